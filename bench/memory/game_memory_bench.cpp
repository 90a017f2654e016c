// Resident memory of the whole game in its real window: the App that the program runs, with
// its real sound (SDL output, FluidSynth music from the game folder's mid/), played by keys
// from the title through new game, travel, the battles of stages 0, 2 and 3 with their result
// dialogs and the scenes up to stage 4, then 20 random battles in a row, the save and the
// close. Prints the peak (VmHWM) and the resident size and heap in use after each battle.
// Fails when the peak is above 80 MB or the heap in use, less Qt's caches and the effect
// waves still queued, grows over the last battles.
// Usage (under X): game_memory [--battles N] [GAME_DIR]   (20 battles, the build's game folder)

#include <malloc.h>

#include <private/qfont_p.h>
#include <QApplication>
#include <QFont>
#include <QPixmapCache>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "key_player.h"
#include "sound/mixer/sound_mixer.h"
#include "sound/sound_front.h"
#include "state/player_settings.h"

using namespace lum;
using namespace lum::test;
namespace fs = std::filesystem;

namespace {

constexpr double kPeakLimitMb = 80;
// The heap in use (less Qt's caches and the held waves) after the last five battles against
// after the five before them: more than this is memory kept for good.
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

// The arenas' chunks in use and the blocks malloc maps on their own: a wave past the mmap
// threshold lives in the second, and the waves are subtracted whichever holds them.
double heap_kb() {
    const struct mallinfo2 m = mallinfo2();
    return static_cast<double>(m.uordblks + m.hblkhd) / 1024.0;
}

// Bytes of the effect waves the mixer holds: those still queued on their channels (battles this
// fast queue effects quicker than they play) and the last one each channel played; from 0.4 to
// 1.6 MB after a battle, with what was still to play when it ended.
double held_waves_kb(App& app) {
    SoundFront* front = app.sound_front();
    if (!front || !front->mixer()) return 0;
    std::size_t bytes = 0;
    for (const mix::TSoundWave* w : front->mixer()->session()->waves) bytes += w->data.capacity();
    return static_cast<double>(bytes) / 1024.0;
}

// Prints the sizes and returns the heap in use less what comes and goes on its own: Qt's
// caches of drawn pixmaps and of font engines (they fill as new buttons and texts are drawn and
// empty on timers of their own) and the held effect waves. Together they swung the heap by up
// to a megabyte from one battle to the next.
double report(App& app, const char* when) {
    const double whole = heap_kb();
    QPixmapCache::clear();
    QFontCache::instance()->clear();
    const double waves = held_waves_kb(app);
    const double heap = heap_kb() - waves;
    std::printf(
        "%-22s peak %6.1f MB  resident %6.1f MB  heap in use %8.1f kB, less caches and "
        "waves %8.1f kB (waves %6.1f kB)\n",
        when, status_kb("VmHWM") / 1024, status_kb("VmRSS") / 1024, whole, heap, waves);
    std::fflush(stdout);
    return heap;
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
    // A failed run keeps the folder: its shots show where the player stood.
    struct Cleanup {
        fs::path d;
        bool keep = false;
        ~Cleanup() {
            std::error_code e;
            if (keep)
                std::fprintf(stderr, "kept %s\n", d.c_str());
            else
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
        report(app, "title");
        KeyHands hands;
        Player player(app, hands, dir / "shots");
        fs::create_directories(dir / "shots");
        if (!player.play(6 * 60 * 1000)) {
            std::fprintf(stderr, "stage 4 was not reached in six minutes\n");
            cleanup.keep = true;
            return 1;
        }
        report(app, "stage 4 reached");
        // The same enemies in every run: the game seeds from the clock at the title.
        app.state().rng.seed(20261210);
        std::vector<double> heap;  // after each battle
        for (int b = 1; b <= battles; ++b) {
            // Each defeat costs two points of lifespan, and a party with none left enters the
            // battle already down: topped up, a long run keeps fighting the same battles.
            for (int c = 1; c <= 5; ++c) {
                auto& chara = app.state().chara_at(c);
                chara.lifespan = std::max(chara.lifespan, 20);
            }
            app.battle_model().start(BattleKind::random);
            app.battle_screen().refresh();
            const bool back = player.play_until(4 * 60 * 1000, [&] {
                return app.router().visible(ScreenId::travel) &&
                       !app.router().visible(ScreenId::battle);
            });
            if (!back) {
                std::fprintf(stderr, "random battle %d did not end in four minutes\n", b);
                cleanup.keep = true;
                return 1;
            }
            const std::string label = "after battle " + std::to_string(b);
            heap.push_back(report(app, label.c_str()));
        }
        // The heap rises over the first battles as pictures and texts are first drawn, then
        // stays level; the last five battles against the five before them must not differ by
        // more than what one battle leaves behind.
        if (battles >= 10) {
            auto mean = [&](int from, int n) {
                double sum = 0;
                for (int k = from; k < from + n; ++k) sum += heap[k];
                return sum / n;
            };
            growth = mean(battles - 5, 5) - mean(battles - 10, 5);
        }
        std::printf("the key player fled %d of the %d battles\n", player.flights, battles);
        app.state().save_on_close = true;
        app.window().close();  // saves, as the player's close does
        QApplication::processEvents();
        report(app, "saved and closed");
        if (!fs::exists(dir / "dat" / "my.dat")) ok = false;
    }
    const double peak_mb = status_kb("VmHWM") / 1024;
    std::printf(
        "whole game: peak %.1f MB (limit %.0f MB); heap in use less caches and waves, the last "
        "five of %d battles against the five before: %+.1f kB (limit %.0f kB)\n",
        peak_mb, kPeakLimitMb, battles, growth, kGrowthLimitKb);
    if (peak_mb > kPeakLimitMb || growth > kGrowthLimitKb || !ok) {
        std::fprintf(stderr, "game memory: over the limits\n");
        return 1;
    }
    return 0;
}
