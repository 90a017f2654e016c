// The board as the battle screen paints it (map, units, HP labels, markers) into a 448 x 320
// image at each 25 ms frame of the overlay's clock, with the overlay at work (an enemy acting
// every 8th frame, outside the timing, keeps amounts and flashes coming; the acting unit's
// frame; three tinted squares) and with 戦闘演出 off. Pictures come from the built game's cg/
// (LUM_CG_DIR, else build/game/cg beside this program's folder), placeholders where one is missing.
// Target: under 1 ms a frame.

#include <QApplication>
#include <QImage>
#include <cstdio>

#include "battle/board_view.h"
#include "bench_board.h"

namespace {

using namespace lum;

std::filesystem::path g_cg;

void BM_board_paint(benchmark::State& state, bool effects) {
    bench::Board b;
    b.gs.battle_effects = effects;
    b.gs.skill_family = 3;
    PictureCache pictures(g_cg);
    BoardView view(b.model, pictures);
    QImage img(view.size(), QImage::Format_ARGB32_Premultiplied);
    int frame = 0;
    for (auto _ : state) {
        b.strike_now_and_then(state, ++frame);
        // The hero's turn again, its preview on the squares the enemy marked.
        b.gs.cur_unit = 1;
        b.gs.enemy_phase = 0;
        b.model.overlay_tick(25);
        view.render(&img);
        benchmark::DoNotOptimize(img.constBits());
    }
    // The first short run may end before the first strike.
    if (effects && state.iterations() >= 64 && b.floated == 0)
        state.SkipWithError("nothing floated");
}

BENCHMARK_CAPTURE(BM_board_paint, overlay, true);
BENCHMARK_CAPTURE(BM_board_paint, plain, false);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QByteArray cg = qgetenv("LUM_CG_DIR");
    g_cg = cg.isEmpty()
               ? std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()) /
                     ".." / ".." / "game" / "cg"
               : std::filesystem::path(cg.toStdString());
    benchmark::Initialize(&argc, argv);
    lum::bench::Summary summary;
    benchmark::RunSpecifiedBenchmarks(&summary);
    bool ok = true;
    std::printf("\npictures from %s\n", g_cg.string().c_str());
    for (const char* name : {"BM_board_paint/overlay", "BM_board_paint/plain"}) {
        const double t = summary.ns[name];
        std::printf("%-24s %8.2f us  %s\n", name, t / 1000, t < 1e6 ? "under 1 ms" : "OVER 1 ms");
        ok = ok && t > 0 && t < 1e6;
    }
    benchmark::Shutdown();
    return ok ? 0 : 1;
}
