#include "battle/enemy_turn.h"

namespace lum {

namespace {

struct Offset {
    int dx, dy;
};

constexpr Offset kF{1, 0}, kU{0, -1}, kD{0, 1}, kB{-1, 0}, kFU{1, -1}, kFD{1, 1}, kF2{2, 0},
    kF2U{2, -1}, kF2D{2, 1}, kF3{3, 0}, kF4{4, 0}, kF5{5, 0};

struct Probe {
    Offset at;
    int action;
};

// Slots first..first+4 (the party or the enemies) hold a unit in state 1.
bool any_normal(const GameState& gs, int first) {
    for (int i = first; i <= first + 4; ++i)
        if (gs.chara[i].state == kStateNormal) return true;
    return false;
}

// Redraws n = first + Random(5) until a unit in state 1 comes up; it becomes `target_unit` and
// the reference unit. Callers make sure one exists (any_normal), so the repetition ends.
void draw_reference_unit(GameState& gs, EnemyDecision& d, int first) {
    int n;
    do {
        n = first + gs.random(5);
    } while (gs.chara[n].state != kStateNormal);
    gs.target_unit = static_cast<byte>(n);
    d.ref_unit = n;
    d.ref_x = gs.chara[n].x;
    d.ref_y = gs.chara[n].y;
}

class Decider {
  public:
    explicit Decider(GameState& gs) : gs_(gs) {
        const TChara& self = gs.chara_at(gs.cur_unit);
        d_.ref_unit = gs.cur_unit;
        d_.ref_x = self.x;
        d_.ref_y = self.y;
    }

    EnemyDecision run() {
        const int job = gs_.chara_at(gs_.cur_unit).job;
        switch (job) {
            case 0:
                first_of({{kF, 1}});
                break;
            case 1:
            case 16:
                close_combat();
                break;
            case 2:
                first_of({{kFU, 5}, {kFD, 6}});
                break;
            case 3:
                first_of({{kF, 1}, {kFU, 5}, {kFD, 6}});
                break;
            case 4:
            case 19:
                archery();
                break;
            case 5:
                gunnery();
                break;
            case 6:
                heal_rule();
                break;
            case 7:
                if (gs_.random(2) == 0) draw_party(16);
                break;
            case 8:
                if (!first_of({{kF, 1}}) && gs_.random(3) == 1) draw_ally(17);
                break;
            case 9:
            case 18:
                close_combat();
                if (sweep_condition()) d_.action = 18;
                break;
            case 10:
                if (!first_of({{kFU, 5}, {kFD, 6}}) && gs_.random(4) == 1) draw_party(16);
                break;
            case 11:
                if (!first_of({{kFU, 5}, {kFD, 6}}) && gs_.random(3) == 1 && self_hurt())
                    d_.action = 15;
                break;
            case 12:
                if (!first_of({{kF, 1}, {kFU, 5}, {kFD, 6}}) && gs_.random(3) == 1) draw_party(16);
                break;
            case 13:
                archery();
                gunnery();
                break;
            case 14:
                // An ally drawn for a boost is passed over for a party unit standing next to it.
                if (gs_.random(3) == 1) draw_ally(17);
                close_combat();
                break;
            case 15:
                archery();
                gunnery();
                close_combat();
                if (sweep_condition()) d_.action = 18;
                if (gs_.random(3) == 1) heal_rule();
                if (gs_.random(5) == 1 && any_normal(gs_, kFirstParty)) d_.action = 19;
                break;
            case 17:
                first_of({{kF, 1}});
                heal_rule();
                break;
            case 20: {
                int r = gs_.random(3);
                if (r == 0)
                    draw_party(16);
                else if (r == 1)
                    heal_rule();
                break;
            }
            default:
                break;
        }
        return d_;
    }

  private:
    int grid_at(Offset o) const { return gs_.grid.at(d_.ref_x + o.dx, d_.ref_y + o.dy); }
    bool party_target(int g) const { return g <= 5 && gs_.chara_at(g).state == kStateNormal; }
    bool ally_in_need(int g) const {
        const TChara& c = gs_.chara_at(g);
        return g > 10 && c.state == kStateNormal && c.hp < c.max_hp;
    }
    bool self_hurt() const {
        const TChara& c = gs_.chara_at(gs_.cur_unit);
        return c.hp < c.max_hp;
    }

    bool first_of(std::initializer_list<Probe> probes) {
        for (const Probe& p : probes) {
            if (party_target(grid_at(p.at))) {
                d_.action = p.action;
                return true;
            }
        }
        return false;
    }
    void close_combat() { first_of({{kF, 1}, {kU, 2}, {kD, 3}, {kB, 4}}); }
    void archery() { first_of({{kF3, 7}, {kF4, 8}, {kF5, 9}}); }
    void gunnery() { first_of({{kF2, 10}, {kF2U, 11}, {kF2D, 12}}); }

    bool sweep_condition() const {
        return party_target(grid_at(kF)) && grid_at(kFU) <= 5 && grid_at(kFD) <= 5;
    }

    void heal_rule() {
        if (ally_in_need(grid_at(kU)))
            d_.action = 13;
        else if (ally_in_need(grid_at(kD)))
            d_.action = 14;
        else if (self_hurt())
            d_.action = 15;
    }

    // With no unit in state 1 to draw the action stays as it was.
    bool draw_unit(int first, int action) {
        if (!any_normal(gs_, first)) return false;
        draw_reference_unit(gs_, d_, first);
        d_.action = action;
        return true;
    }
    bool draw_party(int action) { return draw_unit(kFirstParty, action); }
    bool draw_ally(int action) { return draw_unit(kFirstEnemy, action); }

    GameState& gs_;
    EnemyDecision d_;
};

enum class Kind { strike, heal, drawn_strike, boost, sweep, summon };

struct ActionRow {
    Kind kind;
    const char* sound;
    Offset at;
    int divisor;
    int bonus;
    const char* text;
};

// Index = action number.
const ActionRow kActions[20] = {
    {Kind::strike, "", {0, 0}, 1, 0, ""},
    {Kind::strike, "punch.wav", kF, 3, 1, "は「突き」をした"},
    {Kind::strike, "punch.wav", kU, 3, 1, "は「掌覇」をした"},
    {Kind::strike, "punch.wav", kD, 3, 1, "は「陰剄」をした"},
    {Kind::strike, "punch.wav", kB, 5, 1, "は「裏拳」をした"},
    {Kind::strike, "ken.wav", kFU, 4, 1, "は「あずみ刀」で切り付けた"},
    {Kind::strike, "ken.wav", kFD, 4, 1, "は「あずみ刀」で切り付けた"},
    {Kind::strike, "lezer.wav", kF3, 5, 1, "は「白い矢」を放った"},
    {Kind::strike, "lezer.wav", kF4, 6, 2, "は「赤い矢」を放った"},
    {Kind::strike, "lezer.wav", kF5, 7, 3, "は「ｲﾝﾄﾞﾗの矢」を放った"},
    {Kind::strike, "gun.wav", kF2, 4, 1, "は「トロッコ銃」を撃った"},
    {Kind::strike, "gun.wav", kF2U, 5, 1, "は「羊使いの銃」を撃った"},
    {Kind::strike, "gun.wav", kF2D, 5, 1, "は「羊使いの銃」を撃った"},
    {Kind::heal, "awa.wav", kU, 3, 1, "は「数珠」を使用した。"},
    {Kind::heal, "awa.wav", kD, 3, 1, "は「数珠」を使用した。"},
    {Kind::heal, "awa.wav", {0, 0}, 3, 1, "は「数珠」を使用した。"},
    {Kind::drawn_strike, "magic.wav", {0, 0}, 6, 3, "は「ネクロマンス」の魔法を唱えた!"},
    {Kind::boost, "awa.wav", {0, 0}, 1, 5, "は「哀古の技」を発動させた!"},
    {Kind::sweep, "ken.wav", kF, 3, 1, "は「閻魔の杓」で切り付けた!"},
    {Kind::summon, "gii.wav", {0, 0}, 7, 3, "は亡霊「ヴォルガン」を呼び出した!"},
};

std::string move_enemy(BattleContext& ctx) {
    GameState& gs = ctx.gs;
    TChara& self = ctx.actor();
    add_sat(self.aiko_power, 1);  // moving costs nothing
    std::string msg = self.name + "は移動した。";
    const int job = self.job;
    if (job <= 19) {
        const int reach = job <= 15 ? 1 : 2;  // hawks and angels fly over two squares
        int r = gs.random(11);
        int dx = 0, dy = 0;
        if (r <= 3)
            dx = reach;
        else if (r <= 5)
            dy = -reach;
        else if (r <= 7)
            dy = reach;
        else if (r <= 9)
            dx = -reach;
        const int nx = self.x + dx, ny = self.y + dy;
        if (r != 10 && on_board(nx, ny) && gs.grid.at(nx, ny) == 0) {
            ctx.sound.play_effect("walk.wav");
            self.x = static_cast<byte>(nx);
            self.y = static_cast<byte>(ny);
        } else {
            msg = self.name + "は待機した\r哀古が1上がった";
            add_sat(self.aiko_power, 1);
        }
    } else if (int x, y; job == 20 && draw_free_square(gs, x, y)) {
        ctx.sound.play_effect("warp.wav");
        self.x = static_cast<byte>(x);
        self.y = static_cast<byte>(y);
        msg = self.name + "は瞬間転移した。";
        add_sat(self.aiko_power, 1);
    }
    return msg;
}

}  // namespace

EnemyDecision decide_enemy_action(GameState& gs) {
    return Decider(gs).run();
}

void enemy_act(BattleContext& ctx) {
    GameState& gs = ctx.gs;
    TChara& self = ctx.actor();
    const long long a = self.aiko_power;
    EnemyDecision d = decide_enemy_action(gs);

    add_sat(self.aiko_power, -1);

    // The summon names its victims after one drawn party unit; the decision made sure there is one.
    if (d.action == 19) draw_reference_unit(gs, d, kFirstParty);

    std::array<Offset, 3> marks = {Offset{-10, -10}, Offset{-10, -10}, Offset{-10, -10}};

    if (d.action == 0) {
        std::string msg = move_enemy(ctx);
        gs.enemy_act_msg = msg;
        gs.enemy_result_msg = msg;
        gs.enemy_phase = 0;
    } else {
        const ActionRow& row = kActions[d.action];
        auto square = [&](Offset o) -> TChara& {
            return ctx.on_square(d.ref_x + o.dx, d.ref_y + o.dy);
        };
        const int n = row.kind == Kind::boost
                          ? gs.random(8) + row.bonus
                          : saturate(gs.random(3) + a / row.divisor + row.bonus);
        std::string result;
        switch (row.kind) {
            case Kind::strike: {
                TChara& t = square(row.at);
                add_sat(t.hp, -static_cast<long long>(n));
                result = t.name + "に" + num(n) + "のダメージを与えた";
                marks[0] = row.at;
                break;
            }
            case Kind::heal: {
                TChara& t = d.action == 15 ? self : square(row.at);
                add_sat(t.hp, n);
                result = t.name + "のHpが" + num(n) + "回復した!";
                marks[0] = row.at;
                break;
            }
            case Kind::drawn_strike: {
                TChara& t = ctx.unit(d.ref_unit);
                add_sat(t.hp, -static_cast<long long>(n));
                result = t.name + "に" + num(n) + "のダメージを与えた";
                marks[0] = {0, 0};
                break;
            }
            case Kind::boost: {
                TChara& t = ctx.unit(d.ref_unit);
                add_sat(t.aiko_power, n);
                result = t.name + "の哀古の力を" + num(n) + "引き出した!";
                marks[0] = {0, 0};
                break;
            }
            case Kind::sweep: {
                const std::string front = square(kF).name;
                for (Offset o : {kF, kFU, kFD}) add_sat(square(o).hp, -static_cast<long long>(n));
                result = front + "達に" + num(n) + "のダメージを与えた";
                marks = {kF, kFU, kFD};
                break;
            }
            case Kind::summon: {
                const std::string named = ctx.unit(d.ref_unit).name;
                ctx.w.s_l = "対象：" + named + "達全員";
                ctx.w.s_l_visible = true;
                ctx.w.s_l2_visible = true;
                for (int p = kFirstParty; p <= kLastParty; ++p)
                    add_sat(gs.chara[p].hp, -static_cast<long long>(n));
                result = named + "達全員に" + num(n) + "のダメージを与えた";
                break;
            }
        }
        ctx.sound.play_effect(row.sound);
        gs.enemy_act_msg = self.name + row.text;
        gs.enemy_result_msg = result;
    }

    const TChara& ref = ctx.unit(d.ref_unit);
    for (int k = 0; k < 3; ++k) ctx.place_marker(k, ref.x + marks[k].dx, ref.y + marks[k].dy);
}

}  // namespace lum
