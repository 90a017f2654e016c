#include "battle/battle_sim.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>

#include "battle/battle_clock.h"
#include "battle/battle_context.h"
#include "battle/clamping.h"
#include "battle/movement.h"
#include "battle/result_rewards.h"
#include "battle/setup.h"
#include "battle/techniques.h"

namespace lum::sim {

namespace {

// Takes every 哀古 offered; the simulation has nobody to ask.
class AutoDialogs : public Dialogs {
  public:
    void inform(const std::string&) override {}
    bool ask_yes_no(const std::string&) override { return true; }
};

class NoPacing : public Pacing {
  public:
    void pause_ms(int) override {}
    void repaint_now() override {}
};

class NoScreens : public Screens {
  public:
    void show(ScreenId) override {}
    void hide(ScreenId) override {}
    void close(ScreenId) override {}
};

constexpr int kMaxCycles = 400;
constexpr long long kMaxTicks = 200000;

void fill_tables(GameState& gs) {
    for (int i = 0; i < kAikoCount; ++i) gs.aiko_names[i] = "哀古" + num(i);
    for (int i = 0; i < kNameCount; ++i) gs.name_table[i] = "敵" + num(i);
    for (int i = 0; i < 60; ++i) gs.oath_table[i] = "誓" + num(i);
    for (int f = 1; f <= 18; ++f)
        for (int s = 1; s <= 4; ++s) gs.skill_table[f][s].name = "技" + num(f) + "-" + num(s);
    for (int j = 0; j < kJobCount; ++j)
        for (int k = 0; k < kAttrCount; ++k) gs.job_table[j].growth[k] = (j + k) % 3;
    for (int i = 0; i < 200; ++i) gs.item_table[i].name = "品" + num(i);
}

void make_party(GameState& gs, int level) {
    static const char* const kNames[5] = {"ルミナリア", "トゥルネア", "ルクサ", "ハルティア",
                                          "メルヴィ"};
    for (int i = 1; i <= 10; ++i) gs.chara[i] = TChara{};
    for (int i = 1; i <= 5; ++i) {
        TChara& c = gs.chara[i];
        c.name = kNames[i - 1];
        c.state = kStateNormal;
        c.job = static_cast<byte>(gs.random(21));
        c.level = level;
        c.max_hp = 12 + 9 * level + gs.random(10);
        c.max_mp = 8 + 2 * level;
        for (int k = 0; k < kAttrCount; ++k) c.attr(k) = level + gs.random(3 + level);
        c.lifespan = 5 + gs.random(20);
        c.aiko_power = 3 * level + gs.random(10);
        c.aiko_name = "古剣";
        c.oath = gs.random(51);
        c.oath_count = gs.random(60);
    }
    gs.skill_flags.fill(0);
    for (int f = 1; f <= 16; ++f) gs.skill_flags[f] = 1;
}

struct Hp {
    std::array<int, 16> hp{};
};
Hp snapshot(const GameState& gs) {
    Hp h;
    for (int i = 0; i < 16; ++i) h.hp[i] = gs.chara[i].hp;
    return h;
}

void account(const GameState& gs, const Hp& before, Totals& t) {
    for (int i = 1; i <= 15; ++i) {
        if (i > 5 && i < 11) continue;
        const long long lost = static_cast<long long>(before.hp[i]) - gs.chara[i].hp;
        if (lost <= 0) continue;
        if (i >= 11) {
            t.damage_dealt += lost;
            t.biggest_hit_dealt = std::max(t.biggest_hit_dealt, lost);
        } else {
            t.damage_taken += lost;
            t.biggest_hit_taken = std::max(t.biggest_hit_taken, lost);
        }
    }
}

bool enemy_on(const GameState& gs, int x, int y) {
    const int g = gs.grid.at(x, y);
    return g >= kFirstEnemy && g <= kLastEnemy && gs.chara[g].state != kStateEmpty;
}

// Tries one technique: opens the family the way a player would and clicks the highest
// technique that is unlocked and affordable. True when the turn was used.
bool try_family(BattleContext& ctx, int family, bool special) {
    TChara& a = ctx.actor();
    if (ctx.gs.skill_flags[family] != 1) return false;
    if (!families_enabled_for_class(a.job)[family]) return false;
    special ? open_special_families(ctx) : open_normal_families(ctx);
    open_technique_panel(ctx, family);
    for (int s = 4; s >= 1; --s) {
        if (ctx.w.technique_captions[s] == "？") continue;
        if (a.mp < technique_mp_cost(family, s)) continue;
        if (family == 1 && s != 1 && s != 4) continue;  // only the blows straight ahead
        point_at_technique(ctx, s);
        choose_technique(ctx, s);
        return ctx.gs.player_phase != 0;
    }
    return false;
}

}  // namespace

// The stand-in player: strike what is in front, cast at range, else walk to the square right
// of the nearest enemy (the party faces left).
void stand_in_command(BattleContext& ctx) {
    GameState& gs = ctx.gs;
    TChara& a = ctx.actor();
    const int x = a.x, y = a.y;
    const bool in_front = enemy_on(gs, x - 1, y);
    if (in_front && (try_family(ctx, 3, false) || try_family(ctx, 1, false))) return;
    if (try_family(ctx, 2, false)) return;
    if (gs.random(4) == 0 && try_family(ctx, 8, true)) return;

    int tx = x, ty = y, best = 1 << 30;
    for (int e = kFirstEnemy; e <= kLastEnemy; ++e) {
        const TChara& c = gs.chara[e];
        if (c.state != kStateNormal && c.state != kStateSpirit) continue;
        const int d = std::abs(c.x + 1 - x) + std::abs(c.y - y);
        if (d < best) best = d, tx = c.x + 1, ty = c.y;
    }
    open_movement_panel(ctx);
    const StepButtons& b = ctx.w.steps;
    if (!in_front) {
        if (tx < x && b.mae) return step(ctx, StepButton::mae);
        if (tx > x && b.usiro) return step(ctx, StepButton::usiro);
        if (ty < y && b.ue) return step(ctx, StepButton::ue);
        if (ty > y && b.sita) return step(ctx, StepButton::sita);
        // Blocked: a random sidestep now and then keeps two units from standing off forever.
        if (gs.random(2) == 0) {
            if (b.ue) return step(ctx, StepButton::ue);
            if (b.sita) return step(ctx, StepButton::sita);
        }
    }
    cancel_movement(ctx);
    wait_command(ctx);
}

void step_battle(BattleContext& ctx, const std::function<void(BattleContext&)>& command) {
    GameState& gs = ctx.gs;
    // The redraw and status timers run between the turn timers' ticks.
    redraw_tick(ctx);
    gs.sel_unit = gs.cur_unit;
    clamp_values(gs);
    if (gs.cur_unit < 6) {
        if (gs.player_phase == 0 && ctx.w.menu0) {
            command(ctx);
            if (gs.player_phase == 0 && ctx.w.battle_shown) wait_command(ctx);  // a refusal
        }
        party_half_tick(ctx);
    } else {
        enemy_half_tick(ctx);
    }
}

namespace {

enum class End { won, lost, timeout };

End play_one(BattleContext& ctx, Totals& t, const Watcher& watch) {
    GameState& gs = ctx.gs;
    const int level = 1 + gs.random(15);
    make_party(gs, level);
    gs.money = 1000;
    gs.ark = 100;
    gs.stage_no = std::max(0, level - 1 + gs.random(3) - 1);
    if (gs.random(4) == 0) {
        for (int k = 0; k < kStageEnemies; ++k) {
            TEnemyEntry& e = gs.stage_enemies[k];
            e = TEnemyEntry{};
            e.name = "将" + num(k);
            e.job = static_cast<byte>(gs.random(22));
            e.state = gs.random(4) == 0 ? 0 : 1;
        }
        start_story_battle(ctx);
    } else {
        start_random_battle(ctx);
    }
    if (watch) watch(ctx, t.battles - 1);

    int cycles = 1;
    for (long long tick = 0; tick < kMaxTicks; ++tick) {
        const int before_unit = gs.cur_unit;
        if (!ctx.w.battle_shown) {
            const bool won =
                std::all_of(gs.chara.begin() + kFirstEnemy, gs.chara.begin() + kLastEnemy + 1,
                            [](const TChara& c) { return c.state == kStateEmpty; });
            t.cycles += cycles;
            if (won) {
                grant_battle_rewards(gs, ctx.sound);
                NoScreens screens;
                leave_result_dialog(gs, ctx.sound, screens, ctx.w.result_caption);
            }
            return won ? End::won : End::lost;
        }
        const bool enemy_acting = gs.cur_unit >= 6 && gs.enemy_phase == 1;
        const Hp before = snapshot(gs);
        step_battle(ctx, [&](BattleContext& c) {
            const Hp before_command = snapshot(gs);
            stand_in_command(c);
            account(gs, before_command, t);
            ++t.party_actions;
        });
        if (watch) watch(ctx, t.battles - 1);
        if (before_unit >= 6) {
            // The enemy half is over when the turn goes back to the party.
            if (before_unit >= 10 && gs.cur_unit < 10 && ++cycles > kMaxCycles) break;
            if (enemy_acting) {
                account(gs, before, t);
                ++t.enemy_actions;
            }
        }
    }
    t.cycles += cycles;
    return End::timeout;
}

}  // namespace

Totals run_battles(long long count, std::uint64_t seed, const Watcher& watch) {
    Totals t;
    auto gs = std::make_unique<GameState>();
    gs->rng.seed(seed);
    fill_tables(*gs);
    AutoDialogs dialogs;
    SilentSound sound;
    NoPacing pacing;
    NoScreens screens;
    for (long long i = 0; i < count; ++i) {
        BattleContext ctx{*gs, dialogs, sound, pacing, screens, {}};
        ++t.battles;
        try {
            switch (play_one(ctx, t, watch)) {
                case End::won:
                    ++t.wins;
                    break;
                case End::lost:
                    ++t.losses;
                    break;
                case End::timeout:
                    ++t.timeouts;
                    break;
            }
        } catch (const std::exception& e) {
            if (t.errors++ == 0) t.first_error = e.what();
        }
    }
    return t;
}

std::string report(const Totals& t, std::uint64_t seed) {
    const double n = t.battles > 0 ? static_cast<double>(t.battles) : 1.0;
    char buf[1024];
    std::snprintf(buf, sizeof buf,
                  "battles %lld seed %llu\n"
                  "wins %lld (win rate %.1f%%)  losses %lld  timeouts %lld  errors %lld\n"
                  "average turns (battle cycles) %.2f  party actions %.2f  enemy actions %.2f\n"
                  "average damage dealt %.1f  taken %.1f per battle\n"
                  "average damage per party action %.2f  per enemy action %.2f\n"
                  "largest hit dealt %lld  taken %lld\n",
                  t.battles, static_cast<unsigned long long>(seed), t.wins, 100.0 * t.wins / n,
                  t.losses, t.timeouts, t.errors, t.cycles / n, t.party_actions / n,
                  t.enemy_actions / n, t.damage_dealt / n, t.damage_taken / n,
                  t.party_actions ? static_cast<double>(t.damage_dealt) / t.party_actions : 0.0,
                  t.enemy_actions ? static_cast<double>(t.damage_taken) / t.enemy_actions : 0.0,
                  t.biggest_hit_dealt, t.biggest_hit_taken);
    std::string out = buf;
    if (t.errors) out += "first error: " + t.first_error + "\n";
    return out;
}

}  // namespace lum::sim
