// Resident memory of the whole game in its real window: the App that the program runs, with
// its real sound (SDL output, FluidSynth music from the game folder's mid/), played by keys
// from the title through new game, travel, the battles of stages 0, 2 and 3 with their result
// dialogs and the scenes up to stage 4, then 20 random battles in a row, the save and the
// close. Prints the peak (VmHWM) and the resident size and heap in use after each battle.
// Fails when the peak is above 80 MB or the heap in use still grows over the last battles.
// Usage (under X): game_memory [--battles N] [GAME_DIR]   (20 battles, the build's game folder)

#include <malloc.h>

#include <QApplication>
#include <QFont>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "key_player.h"
#include "state/player_settings.h"

using namespace lum;
using namespace lum::test;
namespace fs = std::filesystem;

namespace {

constexpr double kPeakLimitMb = 80;
// The heap in use after the last five battles against after the five before them: more than
// this is memory kept for good.
constexpr double kGrowthLimitKb = 256;

// A field of /proc/self/status in kB.
double status_kb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0) return std::stod(line.substr(key.size()));
    return -1;
}

double heap_kb() {
    return static_cast<double>(mallinfo2().uordblks) / 1024.0;
}

void report(const char* when) {
    std::printf("%-22s peak %6.1f MB  resident %6.1f MB  heap in use %8.1f kB\n", when,
                status_kb("VmHWM") / 1024, status_kb("VmRSS") / 1024, heap_kb());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("SDL_AUDIODRIVER")) ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    QApplication qapp(argc, argv);
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(12);
    QApplication::setFont(font);

    int battles = 20;
    fs::path from = LUM_GAME_DIR;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--battles" && i + 1 < argc)
            battles = std::max(1, std::atoi(argv[++i]));
        else
            from = argv[i];
    }
    // A copy of the whole game folder, so the save written at the end is not the build's.
    const fs::path dir = fs::temp_directory_path() / ("lum_memory_" + std::to_string(getpid()));
    std::error_code ec;
    fs::copy(from, dir, fs::copy_options::recursive, ec);
    if (ec) {
        std::fprintf(stderr, "cannot copy %s: %s\n", from.c_str(), ec.message().c_str());
        return 1;
    }
    struct Cleanup {
        fs::path d;
        ~Cleanup() {
            std::error_code e;
            fs::remove_all(d, e);
        }
    } cleanup{dir};

    bool ok = true;
    double growth = 0;
    {
        App::Options o;
        o.game_dir = dir;
        o.settings.char_delay_ms = text_delay_ms(1);  // the quickest text and battles
        // Faster than the slider goes: the battles do the same work in a third of the time.
        o.settings.speed_ms = 100;
        App app(std::move(o));
        if (!app.start()) return 1;
        app.finish_start();  // the real sound, as after the first paint
        app.window().activateWindow();
        if (!QTest::qWaitForWindowActive(&app.window())) {
            std::fprintf(stderr, "the window did not become active\n");
            return 1;
        }
        report("title");
        KeyHands hands;
        Player player(app, hands, dir / "shots");
        fs::create_directories(dir / "shots");
        if (!player.play(6 * 60 * 1000)) {
            std::fprintf(stderr, "stage 4 was not reached in six minutes\n");
            return 1;
        }
        report("stage 4 reached");
        std::vector<double> heap;  // after each battle
        for (int b = 1; b <= battles; ++b) {
            app.battle_model().start(BattleKind::random);
            app.battle_screen().refresh();
            const bool back = player.play_until(4 * 60 * 1000, [&] {
                return app.router().visible(ScreenId::travel) &&
                       !app.router().visible(ScreenId::battle);
            });
            if (!back) {
                std::fprintf(stderr, "random battle %d did not end in four minutes\n", b);
                return 1;
            }
            const std::string label = "after battle " + std::to_string(b);
            report(label.c_str());
            heap.push_back(heap_kb());
        }
        // The heap in use rises over the first ten or so battles and then stays level; the
        // last five battles against the five before them must not differ by more than what
        // one battle leaves behind.
        if (battles >= 10) {
            auto mean = [&](int from, int n) {
                double sum = 0;
                for (int k = from; k < from + n; ++k) sum += heap[k];
                return sum / n;
            };
            growth = mean(battles - 5, 5) - mean(battles - 10, 5);
        }
        app.state().save_on_close = true;
        app.window().close();  // saves, as the player's close does
        QApplication::processEvents();
        report("saved and closed");
        if (!fs::exists(dir / "dat" / "my.dat")) ok = false;
    }
    const double peak_mb = status_kb("VmHWM") / 1024;
    std::printf(
        "whole game: peak %.1f MB (limit %.0f MB); heap in use, the last five of %d battles "
        "against the five before: %+.1f kB (limit %.0f kB)\n",
        peak_mb, kPeakLimitMb, battles, growth, kGrowthLimitKb);
    if (peak_mb > kPeakLimitMb || growth > kGrowthLimitKb || !ok) {
        std::fprintf(stderr, "game memory: over the limits\n");
        return 1;
    }
    return 0;
}
