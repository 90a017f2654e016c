// One tick of each battle timer with a full board (five party members, five enemies): the
// party driver showing an action's result and running the end-of-action check, the enemy
// driver carrying out an enemy's action, and the status panel refresh with its clamping.
// Each tick first puts the roster back as it was; the baseline is that restore alone, so the
// ratios say what a tick costs beyond copying the 31 character records. Target: under 1 ms.
// The board overlay (floating amounts, flashes, tints, the acting unit, the turn strip) is on
// as in the game; each "/plain" twin runs the same tick with 戦闘演出 off, for comparison. The
// overlay's own frame (its 25 ms animation tick and everything the board paints from it) is
// timed with an enemy acting every 8th frame (not timed), so amounts and flashes keep coming.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "battle/battle_clock.h"
#include "bench_board.h"

namespace {

using namespace lum;
using lum::bench::Board;

void BM_restore_baseline(benchmark::State& state) {
    Board b;
    for (auto _ : state) {
        b.restore();
        benchmark::DoNotOptimize(b.gs.chara.data());
    }
}

void BM_party_driver_tick(benchmark::State& state, bool effects) {
    Board b;
    b.gs.battle_effects = effects;
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

void BM_enemy_driver_tick(benchmark::State& state, bool effects) {
    Board b;
    b.gs.battle_effects = effects;
    for (auto _ : state) {
        b.enemy_acts();
        // The overlay's clock runs on through the driver's interval, as on screen.
        b.model.overlay_tick(enemy_interval(b.gs.speed_ms));
        benchmark::DoNotOptimize(b.gs.enemy_result_msg.data());
    }
    if (b.gs.enemy_phase == 1 || b.model.widgets().moji_l.empty())
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

void BM_overlay_frame(benchmark::State& state, bool effects) {
    Board b;
    b.gs.battle_effects = effects;
    std::size_t shown = 0;
    int frame = 0;
    for (auto _ : state) {
        b.strike_now_and_then(state, ++frame);
        b.model.overlay_tick(25);
        shown = b.model.overlay().floats().size() + b.model.overlay().flashes().size() +
                b.model.tints().size() + b.model.turn_order(6).size();
        benchmark::DoNotOptimize(shown);
        benchmark::DoNotOptimize(b.model.acting());
    }
    // The first short run may end before the first strike.
    if (effects && state.iterations() >= 64 && b.floated == 0)
        state.SkipWithError("nothing floated");
}

BENCHMARK(BM_restore_baseline);
BENCHMARK_CAPTURE(BM_party_driver_tick, overlay, true);
BENCHMARK_CAPTURE(BM_party_driver_tick, plain, false);
BENCHMARK_CAPTURE(BM_enemy_driver_tick, overlay, true);
BENCHMARK_CAPTURE(BM_enemy_driver_tick, plain, false);
BENCHMARK(BM_status_refresh);
BENCHMARK(BM_board_redraw);
BENCHMARK_CAPTURE(BM_overlay_frame, overlay, true);
BENCHMARK_CAPTURE(BM_overlay_frame, plain, false);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    lum::bench::Summary summary;
    benchmark::RunSpecifiedBenchmarks(&summary);
    const double base = summary.ns["BM_restore_baseline"];
    bool ok = base > 0;
    std::printf("\nbaseline (restore the roster): %.2f us\n", base / 1000);
    for (const char* name :
         {"BM_party_driver_tick/overlay", "BM_party_driver_tick/plain",
          "BM_enemy_driver_tick/overlay", "BM_enemy_driver_tick/plain", "BM_status_refresh",
          "BM_board_redraw", "BM_overlay_frame/overlay", "BM_overlay_frame/plain"}) {
        const double t = summary.ns[name];
        const double tick = t - base;
        std::printf("%-28s %8.2f us  (%.2f x baseline; tick alone %.2f us) %s\n", name, t / 1000,
                    base > 0 ? t / base : 0.0, tick / 1000, t < 1e6 ? "under 1 ms" : "OVER 1 ms");
        ok = ok && t > 0 && t < 1e6;  // 0: a benchmark named here did not run
    }
    benchmark::Shutdown();
    return ok ? 0 : 1;
}
