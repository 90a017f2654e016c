#include "battle/setup.h"

#include "battle/battle_clock.h"
#include "state/cp932.h"

namespace lum {

namespace {

const char* const kSyllables =
    "アイウエオカキクケコサシスセソナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲンガギグゲゴ"
    "ザジズゼゾダヂヅデドバビブベボパピプペポﾁｬｷｬｼｬﾋｬﾋｭﾋｮｷｭｷｮｼｭｼｮﾁｭﾁｮﾐｬﾐｭﾐｮｱｯｲｯﾃｰｸｰﾏｰﾁｰﾉｯﾉｰﾗｰﾅｯﾐｰ";

const char* const kSpecialAiko[5] = {"聖剣＋", "光剣＋", "伝説剣＋", "パイプ＋", "Ｍ刀＋"};
const char* const kFallbackAiko = "万古ν";

// The result dialog's continue caption decides where a victory leads.
const char* result_caption(BattleKind kind) {
    switch (kind) {
        case BattleKind::story:
            return "NEXT MISSION";
        case BattleKind::region:
            return "EVENT CLEAR";
        default:
            return "RETURN";
    }
}

void special_aiko(GameState& gs, TChara& e) {
    if (gs.random(20) != 1) return;
    e.aiko_power = saturate(static_cast<long long>(e.aiko_power) * 3 / 2);
    e.aiko_name = kSpecialAiko[gs.random(5)];
}

// Oath, past/justice/dark and the attributes, shared by every kind of enemy.
void roll_enemy_attributes(GameState& gs, TChara& e, int level) {
    e.oath = gs.random(51);
    e.oath_count = gs.random(30);
    e.past = gs.random(50);
    e.justice = gs.random(100 - e.past);
    e.dark = gs.random(100 - e.justice);
    e.body = saturate(static_cast<long long>(level) + gs.random(3));
    e.magic = e.body / 2 + 1;
    e.order = saturate(static_cast<long long>(level) + gs.random(3));
    e.calm = saturate(static_cast<long long>(level) + gs.random(3));
    e.mech = saturate(static_cast<long long>(level) + gs.random(3));
    e.speed = saturate(static_cast<long long>(level) + gs.random(3));
    e.beast = saturate(static_cast<long long>(level / 2) + gs.random(3));
}

void fresh_enemy_counters(TChara& e) {
    e.hp = e.max_hp;
    e.lifespan = 1;
    e.mp = 10;
    e.exp = 0;
    e.max_mp = 10;
}

// However the last battle ended (won, lost, fled, abandoned mid-turn), nothing of it may stay
// on the screen or take input: its panels, messages, technique texts, markers and clock.
void clear_last_battle(BattleContext& ctx) {
    BattleWidgets& w = ctx.w;
    ctx.set_timers(false);
    ctx.hide_command_menus();
    ctx.hide_markers();
    w.s_l.clear();
    w.s_l_visible = w.s_l2_visible = false;
    w.moji_l.clear();
    w.log.clear();
    ctx.gathered.clear();
    ctx.gathering = false;
    w.moji_l2.clear();
    w.moji_l2_visible = false;
    w.speech.clear();
    w.speech_running = false;
    w.menu0_caption.clear();
    w.menu4_caption.clear();
    w.technique_captions = {};
    w.magic_about_l.clear();
    w.magic_about_l2.clear();
    w.steps = {};
    w.warp_click_armed = false;
    ctx.gs.cur_unit = 0;
    ctx.gs.player_act_msg.clear();
    ctx.gs.player_result_msg.clear();
    ctx.gs.enemy_act_msg.clear();
    ctx.gs.enemy_result_msg.clear();
}

void common_opening(BattleContext& ctx, BattleKind kind) {
    GameState& gs = ctx.gs;
    BattleWidgets& w = ctx.w;
    clear_last_battle(ctx);

    w.map_file = gs.place_at(gs.battle_area).map_file;

    static const char* const kStoryMusic[3] = {"cl_s10.mid", "cl_10.mid", "cl_s8.mid"};
    static const char* const kFieldMusic[3] = {"cl_s9.mid", "cl_s7.mid", "cl_02.mid"};
    int m = gs.random(3);
    ctx.sound.play_music(kind == BattleKind::story ? kStoryMusic[m] : kFieldMusic[m]);

    if (kind == BattleKind::random) ctx.sound.play_effect("mowa.wav");

    ctx.screens.show(ScreenId::battle);
    ctx.screens.hide(ScreenId::travel);
    w.battle_shown = true;

    gs.player_phase = 0;
    gs.enemy_phase = 0;
    w.result_caption = result_caption(kind);

    restore_roster(gs);

    for (int i = kFirstParty; i <= kLastParty; ++i) {
        TChara& c = gs.chara[i];
        w.party[i].visible = false;
        if (c.state != kStateEmpty) {
            c.state = c.lifespan <= 0 ? kStateDown : kStateNormal;
            c.x = static_cast<byte>(5 + gs.random(2));
            c.y = static_cast<byte>(i - 1);
        }
        w.party[i].picture = party_picture_file(c, gs.stage_no);
        gs.chara[10 + i].state = kStateEmpty;
        w.enemy[i].visible = false;
    }
}

struct StagedLevels {
    int first_level_offset;  // character 11
    int first_hp_factor;
    int other_level_offset;  // characters 12..15
    bool story;
};

void fill_staged_enemies(BattleContext& ctx, const std::array<TEnemyEntry, kStageEnemies>& entries,
                         const StagedLevels& p) {
    GameState& gs = ctx.gs;
    const long long s = gs.stage_no;

    // Levels and maximum HP first, for all five.
    for (int k = 0; k < kStageEnemies; ++k) {
        TChara& e = gs.chara[kFirstEnemy + k];
        e.level = saturate(s + (k == 0 ? p.first_level_offset : p.other_level_offset));
        long long factor = k == 0 ? p.first_hp_factor : 9;
        int spread = (k == 1 || k == 2) ? 10 : 5;
        e.max_hp = saturate(factor * e.level + gs.random(spread));
    }

    for (int k = 0; k < kStageEnemies; ++k) {
        TChara& e = gs.chara[kFirstEnemy + k];
        const TEnemyEntry& entry = entries[k];
        const int level = e.level;
        fresh_enemy_counters(e);
        roll_enemy_attributes(gs, e, level);
        if (p.story) {
            long long base = static_cast<long long>(level) + gs.random(3);
            e.aiko_power = saturate(3 * base + gs.random(10));
        } else {
            e.aiko_power = saturate(3 * (static_cast<long long>(level) + 1) + gs.random(10));
        }
        e.aiko_name = gs.aiko_name_at(e.aiko_power / 6);
        special_aiko(gs, e);
        if (e.aiko_name.empty()) e.aiko_name = kFallbackAiko;
        e.name = entry.name;
        e.profile = entry.profile;
        e.job = entry.job;
        e.sex = entry.sex;
        e.state = entry.state;
        ctx.w.enemy[k + 1].picture =
            entry.sprite_file.empty() ? enemy_class_picture(e.job) : entry.sprite_file;
        ctx.w.enemy_portrait[k + 1] =
            entry.portrait_file.empty() ? ctx.w.enemy[k + 1].picture : entry.portrait_file;
        if (e.state != kStateEmpty) {
            e.x = static_cast<byte>(gs.random(2));
            e.y = static_cast<byte>(k);
        }
    }

    // The leader's 哀古 always comes from the table.
    TChara& leader = gs.chara[kFirstEnemy];
    leader.aiko_power = saturate(5LL * leader.level + gs.random(3));
    leader.aiko_name = gs.aiko_name_at(leader.aiko_power / 6);
}

void staged_closing(BattleContext& ctx, const std::array<TEnemyEntry, kStageEnemies>& entries) {
    draw_units(ctx);
    ctx.w.moji_l2_visible = true;
    for (int i = kFirstParty; i <= kLastParty; ++i) ctx.w.party[i].opaque = false;
    ctx.w.speech.clear();
    for (const TEnemyEntry& entry : entries)
        if (!entry.speech.empty()) ctx.w.speech.push_back(entry.speech);
    // Each line stays 3 x speed_ms; the battle screen's timer steps them (speech_tick), so the
    // window keeps painting and the music keeps playing meanwhile.
    ctx.w.speech_running = true;
    speech_tick(ctx);
}

}  // namespace

const std::vector<std::string>& name_syllables() {
    static const std::vector<std::string> pieces = [] {
        std::vector<std::string> out;
        std::string piece;
        int bytes = 0;
        for (const Cp932Char& c : cp932_chars(kSyllables)) {
            piece += c.utf8;
            bytes += c.width;
            if (bytes >= 2) {
                out.push_back(piece);
                piece.clear();
                bytes = 0;
            }
        }
        return out;
    }();
    return pieces;
}

std::string random_enemy_name(GameState& gs) {
    int entry = gs.random(kNameCount);
    std::string name = gs.name_table[entry];
    if (gs.random(100) == 1) {
        const auto& pieces = name_syllables();
        name.clear();
        for (int i = 0; i < 4; ++i) {
            int k = gs.random(96);
            if (k < static_cast<int>(pieces.size())) name += pieces[k];
        }
    }
    return name;
}

int party_picture_number(const std::string& name, int state, int stage_no) {
    if (state == kStateDown) return -1;
    if (name == "ルミナリア") return stage_no >= 51 ? 10 : 0;
    if (name == "トゥルネア") return 1;
    if (name == "ルクサ") return 3;
    if (name == "ﾊﾙﾃｨｱ" || name == "ハルティア") return 2;
    if (name == "メルヴィ") return stage_no >= 29 ? 6 : 4;
    if (name == "ザビナ") return stage_no >= 29 ? 7 : 5;
    if (name == "月影院楓") return 8;
    if (name == "月影院睦月") return 9;
    return 0;
}

std::string party_picture_file(const TChara& c, int stage_no) {
    return "char" + num(party_picture_number(c.name, c.state, stage_no)) + ".bmp";
}

std::string enemy_class_picture(int job) {
    return "unit" + num(job) + ".bmp";
}

void start_story_battle(BattleContext& ctx) {
    common_opening(ctx, BattleKind::story);
    fill_staged_enemies(ctx, ctx.gs.stage_enemies, {2, 9, 1, true});
    staged_closing(ctx, ctx.gs.stage_enemies);
}

void start_region_battle(BattleContext& ctx) {
    common_opening(ctx, BattleKind::region);
    fill_staged_enemies(ctx, ctx.gs.people_enemies, {1, 12, 0, false});
    staged_closing(ctx, ctx.gs.people_enemies);
}

void start_random_battle(BattleContext& ctx) {
    GameState& gs = ctx.gs;
    common_opening(ctx, BattleKind::random);

    const int n = 1 + gs.random(5);
    const long long hero_level = gs.chara[1].level;
    for (int m = 1; m <= n; ++m) {
        TChara& e = gs.chara[10 + m];
        e.state = kStateNormal;
        e.level = saturate(hero_level + gs.random(2));
        const int level = e.level;
        e.max_hp = saturate(9LL * level + gs.random(10));
        fresh_enemy_counters(e);
        roll_enemy_attributes(gs, e, level);
        long long base = static_cast<long long>(level) + gs.random(3);
        e.aiko_power = saturate(4 * base + gs.random(10));
        e.aiko_name = gs.aiko_name_at(e.aiko_power / 5);

        // Classes above 20 are redrawn from the low range; level/3 keeps early enemies simple.
        const int low_range = saturate(2LL * (level / 3));
        int job = gs.random(low_range);
        if (gs.random(6) == 1) job = gs.random(level);
        // A low range of 21 or less cannot draw above 20, so this ends at once there; above it
        // each try succeeds with a fixed chance, and the cap only guards against a broken rng.
        for (int tries = 0; job > 20 && tries < 100000; ++tries) job = gs.random(low_range);
        if (job > 20) job = 0;
        e.job = static_cast<byte>(job);

        special_aiko(gs, e);
        if (e.aiko_name.empty()) e.aiko_name = kFallbackAiko;
        e.name = random_enemy_name(gs);
        e.profile.clear();
        int s = gs.random(10);
        e.sex = s <= 3 ? 0 : s <= 7 ? 1 : s == 8 ? 2 : 3;
        ctx.w.enemy[m].picture = enemy_class_picture(e.job);
        ctx.w.enemy_portrait[m] = ctx.w.enemy[m].picture;
        e.x = static_cast<byte>(gs.random(2));
        e.y = static_cast<byte>(m - 1);
    }

    gs.cur_unit = 0;
    open_next_party_turn(ctx);
    ctx.set_timers(true);
}

bool speech_tick(BattleContext& ctx) {
    BattleWidgets& w = ctx.w;
    if (!w.speech_running) return false;
    if (!w.speech.empty()) {
        w.moji_l2 = w.speech.front();
        w.speech.pop_front();
        ctx.pacing.repaint_now();
        return true;
    }
    w.speech_running = false;
    w.moji_l2_visible = false;
    ctx.gs.cur_unit = 0;
    open_next_party_turn(ctx);
    ctx.set_timers(true);
    return false;
}

int speech_interval_ms(const GameState& gs) {
    return saturate(3LL * gs.speed_ms);
}

void draw_units(BattleContext& ctx) {
    if (!ctx.w.battle_shown) return;
    GameState& gs = ctx.gs;
    for (int x = 0; x <= 10; ++x)
        for (int y = 0; y <= 10; ++y) gs.grid.set(x, y, 0);

    auto place = [&](UnitSprite& s, const TChara& c) {
        s.visible = true;
        s.left = kSquarePx * c.x + kMapLeft;
        s.top = kSquarePx * c.y;
        s.hp_label = num(c.hp) + "/" + num(c.max_hp);
        s.hp_left = s.left + 10;
        s.hp_top = s.top + kSquarePx - 10;
    };

    for (int i = 0; i <= 10; ++i) {
        const TChara& c = gs.chara[i];
        if (c.state != kStateEmpty) {
            gs.grid.set(c.x, c.y, static_cast<byte>(i));
            if (i >= kFirstParty && i <= kLastParty) place(ctx.w.party[i], c);
        }
        const TChara& e = gs.chara[i + 10];
        if (e.state != kStateEmpty) {
            gs.grid.set(e.x, e.y, static_cast<byte>(i + 10));
            if (i >= 1 && i <= 5) place(ctx.w.enemy[i], e);
        }
    }

    ctx.w.menu0_caption = gs.chara_at(gs.cur_unit).name;
    for (int i = 1; i <= 5; ++i) {
        ctx.w.party[i].opaque = gs.cur_unit == i;
        ctx.w.enemy[i].opaque = gs.cur_unit == i + 10;
    }
}

void redraw_tick(BattleContext& ctx) {
    const GameState& gs = ctx.gs;
    if (gs.player_phase == 2 || gs.player_phase == 3 || gs.enemy_phase == 2) return;
    draw_units(ctx);
}

}  // namespace lum
