// One tick of each battle timer with a full board (five party members, five enemies): the
// party driver showing an action's result and running the end-of-action check, the enemy
// driver carrying out an enemy's action, and the status panel refresh with its clamping.
// Each tick first puts the roster back as it was; the baseline is that restore alone, so the
// ratios say what a tick costs beyond copying the 31 character records. Target: under 1 ms.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "battle/battle_clock.h"
#include "battle/battle_model.h"

namespace {

using namespace lum;

struct QuietDialogs : Dialogs {
    void inform(const std::string&) override {}
    bool ask_yes_no(const std::string&) override { return false; }
};
struct QuietPacing : Pacing {
    void pause_ms(int) override {}
    void repaint_now() override {}
};
struct QuietScreens : Screens {
    void show(ScreenId) override {}
    void hide(ScreenId) override {}
    void close(ScreenId) override {}
};

struct Board {
    GameState gs;
    QuietDialogs dialogs;
    SilentSound sound;
    QuietPacing pacing;
    QuietScreens screens;
    BattleModel model{gs, dialogs, sound, pacing, screens};
    std::array<TChara, kCharaCount> roster{};

    Board() {
        gs.rng.seed(5);
        for (int j = 0; j < kJobCount; ++j)
            gs.job_table[j] = {"職", "説明", "", "", 0, {}, 2, 0, {}};
        for (int i = 0; i < kOathCount; ++i) gs.oath_table[i] = "誓い";
        for (int k = 0; k < 5; ++k) {
            put(1 + k, 4 + k % 3, k, static_cast<byte>(k));
            put(11 + k, k % 2 == 0 ? 1 : 2, k, static_cast<byte>(k * 4));
        }
        gs.chara[1].x = 3;  // someone in reach of the enemies
        BattleWidgets& w = model.widgets();
        w.battle_shown = true;
        for (int k = 1; k <= 5; ++k) w.enemy_portrait[k] = "unit" + std::to_string(k) + ".bmp";
        model.Timer1Timer();
        gs.sel_unit = 12;
        roster = gs.chara;
    }
    void put(int slot, int x, int y, byte job) {
        TChara& c = gs.chara[slot];
        c.name = slot <= 5 ? "仲間" + std::to_string(slot) : "敵" + std::to_string(slot);
        c.profile = slot <= 5 ? "" : "詳細不明。";
        c.aiko_name = "哀古";
        c.state = kStateNormal;
        c.job = job;
        c.x = static_cast<byte>(x);
        c.y = static_cast<byte>(y);
        c.level = 10;
        c.hp = c.max_hp = 100000;  // nobody falls: every tick does the same work
        c.mp = c.max_mp = 50;
        for (int a = 0; a < kAttrCount; ++a) c.attr(a) = 12 + a;
        c.lifespan = 50;
        c.aiko_power = 30;
        c.oath = 3;
        c.oath_count = 10;
    }
    void restore() { gs.chara = roster; }
};

void BM_restore_baseline(benchmark::State& state) {
    Board b;
    for (auto _ : state) {
        b.restore();
        benchmark::DoNotOptimize(b.gs.chara.data());
    }
}

void BM_party_driver_tick(benchmark::State& state) {
    Board b;
    BattleContext& ctx = b.model.context();
    for (auto _ : state) {
        b.restore();
        b.gs.cur_unit = 3;
        b.gs.player_phase = 3;  // the result message, then the end-of-action check
        b.gs.player_result_msg = "敵12に35のダメージを与えた！";
        ctx.w.timer4 = true;
        b.model.Timer4Timer();
        benchmark::DoNotOptimize(ctx.w.moji_l.data());
    }
    if (b.gs.player_phase != 4 || ctx.w.moji_l != b.gs.player_result_msg)
        state.SkipWithError("the party tick did not show the result");
}

void BM_enemy_driver_tick(benchmark::State& state) {
    Board b;
    BattleContext& ctx = b.model.context();
    int e = 0;
    for (auto _ : state) {
        b.restore();  // the grid stays as the last redraw left it: actions do not write it
        b.gs.cur_unit = static_cast<byte>(11 + e);
        e = (e + 1) % 5;
        b.gs.enemy_phase = 1;  // the action itself
        ctx.w.timer3 = true;
        b.model.Timer3Timer();
        benchmark::DoNotOptimize(b.gs.enemy_result_msg.data());
    }
    if (b.gs.enemy_phase == 1 || ctx.w.moji_l.empty())
        state.SkipWithError("the enemy tick did not act");
}

void BM_status_refresh(benchmark::State& state) {
    Board b;
    int u = 0;
    for (auto _ : state) {
        b.restore();
        b.gs.sel_unit = static_cast<byte>(u < 5 ? 1 + u : 6 + u);  // 1..5, 11..15
        u = (u + 1) % 10;
        b.model.Timer2Timer();
        benchmark::DoNotOptimize(b.model.panel.state_l2.data());
    }
    if (b.model.panel.state_l2.empty()) state.SkipWithError("the panel was not filled");
}

void BM_board_redraw(benchmark::State& state) {
    Board b;
    for (auto _ : state) {
        b.restore();
        b.model.Timer1Timer();
        benchmark::DoNotOptimize(b.model.widgets().party[1].hp_label.data());
    }
}

BENCHMARK(BM_restore_baseline);
BENCHMARK(BM_party_driver_tick);
BENCHMARK(BM_enemy_driver_tick);
BENCHMARK(BM_status_refresh);
BENCHMARK(BM_board_redraw);

// Collects the CPU times of the run for the summary.
class Summary : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) ns[r.benchmark_name()] = r.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> ns;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Summary summary;
    benchmark::RunSpecifiedBenchmarks(&summary);
    const double base = summary.ns["BM_restore_baseline"];
    bool ok = base > 0;
    std::printf("\nbaseline (restore the roster): %.2f us\n", base / 1000);
    for (const char* name :
         {"BM_party_driver_tick", "BM_enemy_driver_tick", "BM_status_refresh", "BM_board_redraw"}) {
        const double t = summary.ns[name];
        const double tick = t - base;
        std::printf("%-22s %8.2f us  (%.2f x baseline; tick alone %.2f us) %s\n", name, t / 1000,
                    base > 0 ? t / base : 0.0, tick / 1000, t < 1e6 ? "under 1 ms" : "OVER 1 ms");
        ok = ok && t < 1e6;
    }
    benchmark::Shutdown();
    return ok ? 0 : 1;
}
