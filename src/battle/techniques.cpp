#include "battle/techniques.h"

#include <initializer_list>

#include "battle/effects.h"
#include "battle/sealed_sword.h"

namespace lum {

namespace {

constexpr int kArk = -1;  // the party's Ark in place of an attribute

struct Requirement {
    int attr;
    std::array<int, 4> bounds;
};

// Body 0, magic 1, order 2, calm 3, mech 4, justice 5, dark 6, beast 7, past 8, speed 9.
const std::vector<Requirement>& requirements(int family) {
    static const std::array<std::vector<Requirement>, 19> table = [] {
        std::array<std::vector<Requirement>, 19> t;
        t[1] = {{0, {-1, 3, 10, 29}}};
        t[2] = {{1, {4, 10, 20, 30}}};
        t[3] = {{2, {4, 9, 20, 30}}};
        t[4] = {{3, {3, 9, 16, 30}}};
        t[5] = {{4, {3, 9, 14, 30}}};
        t[6] = {{5, {4, 15, 35, 50}}};
        t[7] = {{6, {10, 20, 35, 50}}};
        t[8] = {{7, {15, 30, 45, 60}}};
        t[9] = {{6, {7, 15, 35, 55}}, {8, {4, 8, 16, 20}}, {1, {7, 20, 30, 40}}};
        t[10] = {{5, {9, 20, 30, 40}}, {8, {4, 10, 15, 22}}, {2, {9, 30, 45, 60}}};
        t[11] = {
            {9, {6, 14, 30, 40}}, {8, {5, 10, 15, 22}}, {0, {9, 20, 45, 60}}, {3, {5, 16, 24, 32}}};
        t[12] = {
            {1, {5, 15, 30, 40}}, {5, {6, 14, 35, 55}}, {6, {5, 16, 30, 50}}, {3, {4, 9, 15, 20}}};
        t[13] = {
            {1, {9, 17, 25, 31}}, {7, {8, 16, 25, 55}}, {6, {5, 13, 25, 50}}, {8, {4, 9, 20, 30}}};
        t[14] = {
            {3, {1, 5, 10, 12}}, {7, {3, 6, 9, 12}}, {9, {6, 15, 35, 45}}, {4, {2, 5, 10, 15}}};
        t[16] = {{kArk, {50, 100, 150, 200}}};
        t[18] = {{kArk, {30, 60, 90, 200}}};
        return t;
    }();
    static const std::vector<Requirement> none;
    if (family < 0 || family >= static_cast<int>(table.size())) return none;
    return table[family];
}

void refuse(BattleContext& ctx, const std::string& text) {
    ctx.sound.play_effect("off1.wav");
    ctx.say(text);
}

void drain_aiko(TChara& a) {
    add_sat(a.aiko_power, -1);
    if (a.aiko_power < 1) a.aiko_power = 1;
}

void open_family_box(BattleContext& ctx, bool special) {
    ctx.w.menu2 = !special;
    ctx.w.menu3 = special;
    ctx.w.ken_box = ctx.w.menu1 = ctx.w.menu4 = false;
    ctx.sound.play_step_sound();
    ctx.w.family_enabled = families_enabled_for_class(ctx.actor().job);
}

}  // namespace

std::string family_caption(int family) {
    static const char* const kCaptions[27] = {
        "",       "体術",     "魔術",   "剣法",     "弓矢",     "銃器",   "天法",
        "暗黒剣", "猫術",     "Ｍ法",   "ｼﾙｳﾞｨｱ剣", "ビンタ",   "占星術", "竜言語魔法",
        "飛法",   "万古の技", "ダンス", "",         "カード",   "",       "笑う",
        "祈る",   "誘う",     "食べる", "哀古解放", "ジェット", "哀しむ"};
    if (family < 0 || family > 26) return "";
    return kCaptions[family];
}

std::string family_sound(int family) {
    static const char* const kSounds[19] = {
        "",           "punch.wav",  "magic.wav", "ken.wav",  "lezer.wav", "gun.wav",  "awa.wav",
        "ankoku.wav", "sander.wav", "gii.wav",   "woon.wav", "binta.wav", "hosi.wav", "dragon.wav",
        "hihou.wav",  "",           "dance.wav", "",         ""};
    if (family < 0 || family > 18) return "";
    return kSounds[family];
}

bool technique_unlocked(const GameState& gs, const TChara& c, int family, int slot) {
    if (slot < 1 || slot > 4) return false;
    const auto& reqs = requirements(family);
    if (reqs.empty()) return false;
    for (const Requirement& r : reqs) {
        int value = r.attr == kArk ? gs.ark : c.attr(r.attr);
        if (!(value > r.bounds[slot - 1])) return false;
    }
    return true;
}

std::array<bool, 16> families_enabled_for_class(int job) {
    static const std::array<std::vector<int>, 24> kDisabled = {{
        {},
        {2, 4, 5, 6, 8, 9, 10, 11, 12, 13},
        {2, 3, 5, 7, 8, 9, 10, 11, 12, 13},
        {2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13},
        {3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
        {3, 4, 5, 7, 8, 9, 10, 11, 13},
        {6, 8, 9, 11, 13},
        {2, 4, 5, 6, 8, 9, 12, 13, 14},
        {3, 4, 7, 8, 9, 10, 13},
        {3, 5, 7, 8, 10, 11},
        {4, 5, 7, 8, 9},
        {3, 6, 7, 9, 10, 11},
        {2, 6, 10, 12},
        {6, 8, 12},
        {7, 8, 9, 11, 13, 14},
        {4, 5, 6, 8, 12},
        {3, 5, 6, 9, 13},
        {2, 3, 7, 9, 10, 13},
        {2, 6, 7, 8, 13, 14},
        {2, 3, 7, 8, 12, 13},
        {3, 7, 9, 13},
        {4, 6, 12},
        {1},
        {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
    }};
    std::array<bool, 16> enabled{};
    for (int f = 1; f <= 15; ++f) enabled[f] = true;
    if (job >= 0 && job < static_cast<int>(kDisabled.size()))
        for (int f : kDisabled[job]) enabled[f] = false;
    return enabled;
}

int held_card(const GameState& gs) {
    for (int i = kItemCount - 1; i >= 0; --i)
        if (gs.item_table[i].kind == kCardKind && gs.item_owned[i] == 1) return i;
    return -1;
}

int technique_mp_cost(int family, int slot) {
    if (family >= 2 && family <= 7) return 2 * slot - 1;
    if (family >= 8 && family <= 16) return 4 * slot;
    return 0;
}

std::string technique_cost_text(int family, int slot) {
    if (slot < 1 || slot > 4) return "";
    if (family >= 1 && family <= 16) return "-mp" + num(technique_mp_cost(family, slot));
    if (family == 18) {
        static const char* const kCard[5] = {"", "-30Ark,カード1枚", "-60Ark,カード１枚",
                                             "-90Ark,カード1枚", "-150Ark"};
        return kCard[slot];
    }
    return "";
}

std::string required_attributes_text(int family) {
    switch (family) {
        case 1:
            return "【体力】";
        case 2:
            return "【魔力】";
        case 3:
            return "【秩序】";
        case 4:
            return "【冷静】";
        case 5:
            return "【機工】";
        case 6:
            return "【正義】";
        case 7:
            return "【闇】";
        case 8:
            return "【獣】";
        case 9:
            return "【闇】【魔力】【過去】";
        case 10:
            return "【秩序】【過去】【正義】";
        case 11:
            return "【体力】【冷静】【過去】【速さ】";
        case 12:
            return "【正義】【闇】【冷静】【魔力】";
        case 13:
            return "【獣】【闇】【魔力】【過去】";
        case 14:
            return "【速さ】【獣】【機工】【冷静】";
        case 18:
            return "【Ａｒｋ】";
        default:
            return "？？？？";
    }
}

void open_normal_families(BattleContext& ctx) {
    open_family_box(ctx, false);
}
void open_special_families(BattleContext& ctx) {
    open_family_box(ctx, true);
}

void open_technique_panel(BattleContext& ctx, int family) {
    if (requirements(family).empty()) return;  // 万古の技 and non-families do nothing
    GameState& gs = ctx.gs;
    BattleWidgets& w = ctx.w;
    w.menu4 = true;
    w.magic_about_l.clear();
    w.magic_about_l2.clear();
    for (int s = 1; s <= 4; ++s) w.technique_captions[s] = "？";
    w.menu4_caption = family_caption(family);
    gs.skill_family = static_cast<byte>(family);
    ctx.sound.play_step_sound();
    const TChara& a = ctx.actor();
    for (int s = 1; s <= 4; ++s)
        if (technique_unlocked(gs, a, family, s))
            w.technique_captions[s] = gs.skill_at(family, s).name;
}

void point_at_technique(BattleContext& ctx, int slot) {
    if (slot < 1 || slot > 4) return;
    GameState& gs = ctx.gs;
    BattleWidgets& w = ctx.w;
    const int family = gs.skill_family;
    if (w.technique_captions[slot] == "？") {
        w.magic_about_l = "まだ技を憶えていません";
        w.magic_about_l2 = "必要要素:\r" + required_attributes_text(family);
        return;
    }
    const TSkill& skill = gs.skill_at(family, slot);
    w.magic_about_l = "哀古力：" + skill.text1;
    w.magic_about_l2 = ">" + technique_cost_text(family, slot) + "\r◆" + skill.text2;

    // Families that strike whole sides show a caption instead of squares.
    const char* caption = nullptr;
    if (family == 7 && slot != 1) caption = slot == 3 ? "対象：味方全員" : "対象：敵全員";
    if (family == 8) caption = "対象：敵全員";
    if (family == 9) caption = "対象：全員";
    if (family == 14) {
        static const char* const kHiho[5] = {"", "対象：味方全員", "対象：味方全員", "対象：敵全員",
                                             "対象：自分"};
        caption = kHiho[slot];
    }
    ctx.hide_markers();
    if (caption) {
        w.s_l = caption;
        w.s_l_visible = true;
        w.s_l2_visible = true;
        return;
    }
    w.s_l_visible = false;
    w.s_l2_visible = false;

    const TChara& a = ctx.actor();
    int base_x = a.x, base_y = a.y;
    std::vector<SquareOffset> squares;
    if (family == 2 || family == 13 || (family == 7 && slot == 1)) {
        draw_technique_target(gs);
        const TChara& t = gs.chara_at(gs.target_unit);
        base_x = t.x;
        base_y = t.y;
    }
    switch (family) {
        case 2:
            squares = technique_squares(2, slot);
            break;
        case 6: {
            static const std::vector<SquareOffset> kHeal[5] = {
                {}, {{0, 0}}, {{-1, 0}}, {{-1, 0}, {1, 0}}, {{-1, 0}, {1, 0}, {0, -1}, {0, 1}}};
            squares = kHeal[slot];
            break;
        }
        case 7:
            squares = {{0, 0}};
            break;
        case 12: {
            // The preview marks (4, 2) and (2, 2) for the third technique, which strikes
            // (2, 3) and (5, 1); kept as the game has always shown it.
            base_x = 3;
            base_y = 2;
            static const std::vector<SquareOffset> kStars[5] = {
                {},
                {{0, 0}},
                {{0, 0}, {0, -1}, {0, 1}},
                {{0, 0}, {0, -1}, {0, 1}, {1, 0}, {-1, 0}},
                {{0, 0}}};
            squares = kStars[slot];
            break;
        }
        case 13: {
            static const std::vector<SquareOffset> kDragon[5] = {
                {}, {{0, 0}}, {{0, 0}, {0, -1}, {0, 1}}, {{0, 0}}, {{0, 0}, {0, -1}, {0, 1}}};
            squares = kDragon[slot];
            break;
        }
        case 18:
            squares = {slot == 4 ? SquareOffset{-1, 0} : SquareOffset{-2, 0}};
            break;
        default:
            squares = technique_squares(family, slot);
            break;
    }
    for (std::size_t k = 0; k < squares.size() && k < w.markers.size(); ++k)
        ctx.place_marker(static_cast<int>(k), base_x + squares[k].dx, base_y + squares[k].dy);
}

void pointer_over_background(BattleContext& ctx) {
    ctx.w.magic_about_l.clear();
    ctx.w.magic_about_l2.clear();
    ctx.gs.sel_unit = ctx.gs.cur_unit;
    if (ctx.gs.player_phase == 0 && ctx.gs.enemy_phase != 2) {
        ctx.hide_markers();
        ctx.w.s_l_visible = false;
        ctx.w.s_l2_visible = false;
    }
}

void choose_technique(BattleContext& ctx, int slot) {
    if (slot < 1 || slot > 4) return;
    if (ctx.w.technique_captions[slot] == "？") {
        ctx.w.magic_about_l = "技を憶えていません";
        return;
    }
    ctx.gs.skill_slot = static_cast<byte>(slot);
    resolve_technique(ctx, ctx.gs.skill_family, slot);
}

void resolve_technique(BattleContext& ctx, int family, int slot) {
    const bool sealed = family >= kFirstSealed && family <= kLastSealed;
    if (!sealed && (requirements(family).empty() || slot < 1 || slot > 4)) return;
    GameState& gs = ctx.gs;
    TChara& a = ctx.actor();

    // Refusals cost nothing and keep the turn open.
    const int mp_cost = technique_mp_cost(family, slot);
    if (mp_cost > 0 && a.mp < mp_cost) return refuse(ctx, "Ｍｐが足りません");
    if (sealed && a.oath_count < 20)
        return refuse(
            ctx, "【誓い】の数が足りません。封印剣を使用するには最低でも20の誓い数が必要です。");
    int card = -1;
    if (family == 18) {
        if (slot <= 3) {
            card = held_card(gs);
            if (card < 0) return refuse(ctx, "【カード】を１枚も持っていません。");
            if (gs.ark < 30 * slot) return refuse(ctx, "【Ark】が足りません。");
        } else if (gs.ark < 150) {
            return refuse(ctx, "【Ark】が足りません。");
        }
    }

    ctx.hide_command_menus();
    const TechniqueStart start{a.aiko_power, a.x, a.y};
    const std::string family_text = sealed ? "封印剣" : family_caption(family);
    const std::string skill_name = sealed ? family_caption(family) : gs.skill_at(family, slot).name;
    gs.player_act_msg = a.name + "は" + family_text + "「" + skill_name + "」を行った！";

    add_sat(a.mp, -static_cast<long long>(mp_cost));
    if (sealed) add_sat(a.oath_count, -20);
    if (family == 18) {
        if (slot <= 3) {
            add_sat(gs.ark, -30LL * slot);
            gs.item_owned[card] = 0;
        } else {
            add_sat(gs.ark, -150);
        }
    }
    drain_aiko(a);

    if (sealed) {
        apply_sealed_sword(ctx, family, start);
        gs.player_phase = 2;
        return;
    }
    // The failure comes after payment: what was spent is gone.
    if (gs.random(30) == 29) {
        ctx.sound.play_effect("miss.wav");
        gs.player_result_msg = kTechniqueMissText;
        gs.player_phase = 2;
        return;
    }
    if (family == 14 && slot == 4) {
        // The turn waits for a click on the map; player_phase stays 0.
        ctx.w.warp_click_armed = true;
        ctx.inform("ＭＡＰ上の移動先をクリックして下さい");
        add_sat(a.mp, -5LL * slot);
        drain_aiko(a);
        return;
    }
    apply_technique_effect(ctx, family, slot, start);
    gs.player_phase = 2;
}

}  // namespace lum
