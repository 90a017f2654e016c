// The save under SIGKILL: a child process saves in a loop, each save numbered k in every
// file of the pair; the parent kills it at a random moment (seeded), loads the folder with the
// game's own loader and checks that it holds exactly one whole save, the last one the child
// finished or the one it was writing, and that the backup pair is the save before it.
//
// usage: save_kill --kills N [--seed S] --game GAME_DIR
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "state/data_files.h"

using namespace lum;
namespace fs = std::filesystem;

namespace {

// Save k carries k at both ends of my.dat and in item.dat, so a mixed pair shows.
void mark(GameState& gs, int k) {
    gs.money = k;
    gs.ark = k;
    gs.chara[27].max_hp = gs.chara[27].hp = k;
    gs.item_table[300].name = "札" + std::to_string(k);
    gs.item_table[300].value = k;
    gs.item_table[512].value = k;
}

// The k of a loaded save, or -1 when its files disagree.
int save_number(const GameState& gs) {
    const int k = gs.money;
    const bool whole = gs.ark == k && gs.chara[27].hp == k &&
                       gs.item_table[300].name == "札" + std::to_string(k) &&
                       gs.item_table[300].value == k && gs.item_table[512].value == k;
    return whole ? k : -1;
}

// The backup pair read directly; -2 when there is none.
int backup_number(const fs::path& dat) {
    if (!fs::exists(dat / "my.dat.bak") && !fs::exists(dat / "item.dat.bak")) return -2;
    auto gs = std::make_unique<GameState>();
    try {
        DatReader m = DatReader::open(dat / "my.dat.bak");
        read_save(m, *gs);
        DatReader i = DatReader::open(dat / "item.dat.bak");
        read_item(i, *gs);
    } catch (const DataError&) {
        return -1;
    }
    return save_number(*gs);
}

[[noreturn]] void child_loop(GameState& gs, int first_k, int fd) {
    for (int k = first_k;; ++k) {
        mark(gs, k);
        save_game(gs);
        if (::write(fd, &k, sizeof k) != sizeof k) std::_Exit(3);
    }
}

double seconds_since(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

}  // namespace

int main(int argc, char** argv) {
    int kills = 30;
    unsigned seed = 1;
    fs::path game;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string a = argv[i];
        if (a == "--kills") kills = std::atoi(argv[i + 1]);
        if (a == "--seed") seed = static_cast<unsigned>(std::strtoul(argv[i + 1], nullptr, 10));
        if (a == "--game") game = argv[i + 1];
    }
    if (game.empty() || kills <= 0) {
        std::fprintf(stderr, "usage: save_kill --kills N [--seed S] --game GAME_DIR\n");
        return 2;
    }

    const fs::path dir =
        fs::temp_directory_path() / ("lum_save_kill_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "dat");
    for (const char* f : {"my.dat", "magic.dat", "job.dat", "aiko.dat", "name.dat", "place.dat",
                          "tikai.dat", "item.dat"})
        fs::copy_file(game / "dat" / f, dir / "dat" / f);
    const fs::path dat = dir / "dat";

    auto gs = std::make_unique<GameState>();
    gs->game_dir = dir;
    load_game(*gs);
    // A few saves in this process give the length of one save, which scales the kill delays.
    const auto t0 = std::chrono::steady_clock::now();
    constexpr int kTimed = 5;
    for (int k = 0; k < kTimed; ++k) {
        mark(*gs, k);
        save_game(*gs);
    }
    const double save_s = seconds_since(t0) / kTimed;

    std::mt19937 rng(seed);
    int current = kTimed - 1;  // the save on disk
    long long finished = 0;
    int found_clean = 0, found_forward = 0, found_back = 0;
    int failures = 0;
    for (int kill = 0; kill < kills; ++kill) {
        int fds[2];
        if (::pipe(fds) != 0) return 2;
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            child_loop(*gs, current + 1, fds[1]);
        }
        ::close(fds[1]);
        // Anywhere in the first three saves of the child, down to the microsecond.
        std::uniform_int_distribution<long> delay(0, static_cast<long>(3e6 * save_s) + 1);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(rng)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        int last_done = current, k = 0;
        while (::read(fds[0], &k, sizeof k) == sizeof k) last_done = k, ++finished;
        ::close(fds[0]);
        if (WIFEXITED(status)) {
            std::fprintf(stderr, "kill %d: the child ended by itself (%d)\n", kill,
                         WEXITSTATUS(status));
            ++failures;
            break;
        }

        const bool marker = fs::exists(dat / "save.commit");
        const bool staged = fs::exists(dat / "my.dat.new") || fs::exists(dat / "item.dat.new") ||
                            fs::exists(dat / "save.commit.new");
        auto loaded = std::make_unique<GameState>();
        loaded->game_dir = dir;
        std::string problem;
        try {
            auto notices = load_game(*loaded);
            for (const auto& n : notices)
                if (n != kInterruptedSaveNotice) problem = "unexpected notice: " + n;
        } catch (const DataError& e) {
            problem = std::string("the save does not load: ") + e.what();
        }
        const int got = save_number(*loaded);
        if (problem.empty() && got < 0)
            problem = "a mixed save: my.dat of " + std::to_string(loaded->money) +
                      ", item.dat of " + std::to_string(loaded->item_table[300].value);
        if (problem.empty() && got != last_done && got != last_done + 1)
            problem = "save " + std::to_string(got) + " loaded; " + std::to_string(last_done) +
                      " was the last one finished";
        const int bak = backup_number(dat);
        if (problem.empty() && bak != got - 1)
            problem = "the backup pair holds " + std::to_string(bak) + " beside save " +
                      std::to_string(got);
        if (!problem.empty()) {
            std::fprintf(stderr, "kill %d (seed %u): %s\n", kill, seed, problem.c_str());
            ++failures;
            break;
        }
        (marker ? found_forward : staged ? found_back : found_clean)++;
        current = got;
    }
    fs::remove_all(dir);
    std::printf(
        "%d kills (seed %u, one save %.2f ms): %lld saves finished; the kill found %d folders "
        "between saves, %d with a save to discard, %d with a save to finish; %d failures\n",
        kills, seed, save_s * 1000, finished, found_clean, found_back, found_forward, failures);
    return failures == 0 ? 0 : 1;
}
