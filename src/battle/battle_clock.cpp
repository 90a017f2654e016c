#include "battle/battle_clock.h"

#include "battle/battle_end.h"
#include "battle/enemy_turn.h"

namespace lum {

namespace {
bool can_act(const TChara& c) {
    return c.state != kStateEmpty && c.state != kStateDown && c.state != kStatePetrified;
}
bool party_all_down(const GameState& gs) {
    bool any = false;
    for (int p = kFirstParty; p <= kLastParty; ++p) {
        if (gs.chara[p].state == kStateEmpty) continue;
        if (gs.chara[p].state != kStateDown) return false;
        any = true;
    }
    return any;
}
}  // namespace

int next_able_slot(const GameState& gs, int from, int last) {
    int s = from;
    do {
        ++s;
    } while (s <= last && !can_act(gs.chara[static_cast<std::size_t>(s)]));
    return s;
}

std::vector<int> upcoming_turns(const GameState& gs, int count) {
    std::vector<int> out;
    // Where the clock stands: a party slot (or 0 before the first turn) scans on through the
    // party half; the enemy half (10..15) through the enemies.
    int at = gs.cur_unit;
    bool party = at < 6;
    if (!party && at < 10) at = 10;  // 6..9 only pass through on the way to the enemy half
    int idle_halves = 0;             // whole halves in a row in which nobody could act
    while (static_cast<int>(out.size()) < count && idle_halves < 2) {
        const bool whole = at == (party ? 0 : 10);
        const int s = next_able_slot(gs, at, party ? 6 : 16);
        if (s < (party ? 6 : 16)) {
            out.push_back(s);
            at = s;
            idle_halves = 0;
            continue;
        }
        if (whole) ++idle_halves;
        party = !party;
        at = party ? 0 : 10;
    }
    return out;
}

void open_next_party_turn(BattleContext& ctx) {
    GameState& gs = ctx.gs;
    ctx.hide_command_menus();
    ctx.hide_markers();
    ctx.w.s_l_visible = false;
    ctx.w.s_l2_visible = false;

    gs.cur_unit = static_cast<byte>(next_able_slot(gs, gs.cur_unit, 6));

    // A spirit acts without being announced.
    if (gs.cur_unit <= 6 && gs.chara[gs.cur_unit].state == kStateNormal)
        ctx.say(gs.chara[gs.cur_unit].name + "の攻撃");
    if (gs.cur_unit < 6) {
        ctx.w.menu0_caption = gs.chara[gs.cur_unit].name;
        ctx.w.menu0 = true;
        gs.sel_unit = gs.cur_unit;
    } else {
        gs.cur_unit = 10;
        gs.enemy_phase = 0;
        // A party that entered with every life spent is down from the start, and an enemy
        // that only moves never runs the end-of-action check: the battle would never end.
        if (party_all_down(gs)) check_battle_end(ctx);
    }
}

void wait_command(BattleContext& ctx) {
    ctx.hide_command_menus();
    ctx.say(ctx.actor().name + "は待機した");
    ctx.gs.player_phase = 1;
    ctx.sound.play_step_sound();
}

int party_half_tick(BattleContext& ctx) {
    GameState& gs = ctx.gs;
    const int interval = gs.speed_ms;
    if (!ctx.w.battle_shown || gs.cur_unit >= 6) return interval;
    TChara& a = ctx.actor();
    switch (gs.player_phase) {
        case 0:
            gs.player_act_msg.clear();
            gs.player_result_msg.clear();
            break;
        case 1: {
            int r = gs.random(5);
            if (r <= 1) {
                int n = 1 + gs.random(2);
                add_sat(a.aiko_power, n);
                ctx.say(a.name + "の哀古が" + num(n) + "上がった");
            } else if (r <= 3) {
                int n = 1 + gs.random(2);
                add_sat(a.mp, n);
                if (a.mp > a.max_mp) a.mp = a.max_mp;
                ctx.say(a.name + "のＭｐが" + num(n) + "上がった");
            } else {
                int n = 4 + gs.random(2);
                add_sat(a.exp, n);
                ctx.say(a.name + "の経験値が" + num(n) + "上がった");
            }
            gs.player_phase = 4;
            break;
        }
        case 2:
            ctx.say(gs.player_act_msg);
            gs.player_phase = 3;
            break;
        case 3:
            ctx.say(gs.player_result_msg);
            gs.player_phase = 4;
            ctx.pacing.repaint_now();
            check_battle_end(ctx);
            break;
        case 4:
            gs.player_phase = 0;
            open_next_party_turn(ctx);
            break;
        default:
            break;
    }
    return interval;
}

int enemy_half_tick(BattleContext& ctx) {
    GameState& gs = ctx.gs;
    const int interval = saturate(static_cast<long long>(gs.speed_ms) * 3 / 2);
    if (!ctx.w.battle_shown || gs.cur_unit <= 9) return interval;
    ctx.w.menu0 = false;
    switch (gs.enemy_phase) {
        case 0:
            gs.sel_unit = static_cast<byte>(gs.cur_unit + 1);
            gs.enemy_act_msg.clear();
            gs.enemy_result_msg.clear();
            gs.cur_unit = static_cast<byte>(next_able_slot(gs, gs.cur_unit, 16));
            if (gs.cur_unit < 16) {
                ctx.say(gs.chara[gs.cur_unit].name + "の攻撃");
                gs.enemy_phase = 1;
            } else {
                gs.cur_unit = 0;
                gs.enemy_phase = 0;
                open_next_party_turn(ctx);
            }
            break;
        case 1:
            gs.enemy_phase = 2;
            enemy_act(ctx);
            ctx.say(gs.enemy_act_msg);
            break;
        case 2:
            ctx.say(gs.enemy_result_msg);
            for (int k = 0; k < 3; ++k) ctx.w.markers[k].left = kOffBoardLeft;
            ctx.w.s_l_visible = false;
            ctx.w.s_l2_visible = false;
            gs.enemy_phase = 0;
            ctx.pacing.repaint_now();
            check_battle_end(ctx);
            break;
        default:
            break;
    }
    return interval;
}

}  // namespace lum
