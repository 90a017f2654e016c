// playthrough --seed S [--game DIR] [--keep DIR] [--patience N] [--until N] [--strict] [--verbose]:
// plays a new game from the first click to the ending through the real models, headless, and prints
// one line per stage and a summary. Exits 1 with the stage and the reason when the game cannot be
// finished, 2 on bad arguments.
// playthrough --first-hour A-B [--until N] [--strict]: new games on seeds A..B played as a
// newcomer up to stage N (6), with the first story battle of each stage counted.

#include <charconv>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "playthrough.h"

#ifndef LUM_GAME_DIR
#define LUM_GAME_DIR "."
#endif

namespace {

int usage() {
    std::cerr
        << "usage: playthrough --seed S [--game DIR] [--keep DIR] [--patience N] [--until N] "
           "[--verbose]\n"
           "  --seed S    the new game's random seed (a number)\n"
           "  --game DIR  the built game folder whose dat/ is copied (default "
        << LUM_GAME_DIR
        << ")\n"
           "  --keep DIR  play in DIR and keep it (the save written after the ending)\n"
           "  --patience N  N story battles and 5N random battles at one stage before\n"
           "              giving up (default 8)\n"
           "  --strict    also fail when the balance targets are missed (at most 3 random\n"
           "              battles a stage on average, no story battle lost 3 times in a row)\n"
           "  --verbose   a line for every place visited\n"
           "usage: playthrough --first-hour A-B [--game DIR] [--until N] [--strict]\n"
           "  seeds A..B played as a newcomer (the nearest enemy struck, nothing else) up to\n"
           "  stage N (default 6); --strict fails unless stage 0 is won within 10 turns in 95%\n"
           "  of them and every stage's first battle in 70%\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    lum::play::PlayOptions o;
    o.game_dir = LUM_GAME_DIR;
    bool seeded = false, strict = false;
    std::vector<std::uint64_t> first_hour;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--verbose") {
            o.verbose = true;
            continue;
        }
        if (a == "--strict") {
            strict = true;
            continue;
        }
        if (i + 1 >= argc) return usage();
        const std::string v = argv[++i];
        if (a == "--seed") {
            auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), o.seed);
            if (ec != std::errc() || p != v.data() + v.size()) return usage();
            seeded = true;
        } else if (a == "--first-hour") {
            const size_t dash = v.find('-');
            std::uint64_t from = 0, to = 0;
            if (dash == std::string::npos) return usage();
            auto [p1, e1] = std::from_chars(v.data(), v.data() + dash, from);
            auto [p2, e2] = std::from_chars(v.data() + dash + 1, v.data() + v.size(), to);
            if (e1 != std::errc() || p1 != v.data() + dash || e2 != std::errc() ||
                p2 != v.data() + v.size() || from > to || to - from >= 10000)
                return usage();
            for (std::uint64_t s = from; s <= to; ++s) first_hour.push_back(s);
        } else if (a == "--game") {
            o.game_dir = v;
        } else if (a == "--patience") {
            // Story and random battles allowed at one stage: 8 and 40 unless raised.
            int n = 0;
            auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
            if (ec != std::errc() || p != v.data() + v.size() || n < 1) return usage();
            o.max_story_attempts = n;
            o.max_random_per_stage = 5 * n;
        } else if (a == "--until") {
            auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), o.until_stage);
            if (ec != std::errc() || p != v.data() + v.size() || o.until_stage < 0) return usage();
        } else if (a == "--keep") {
            o.work_dir = v;
        } else {
            return usage();
        }
    }
    if (!first_hour.empty()) {
        if (seeded) return usage();
        const lum::play::FirstHour f = lum::play::play_first_hour(o, first_hour, std::cout);
        lum::play::print_first_hour(f, std::cout);
        return strict && !lum::play::first_hour_met(f) ? 1 : 0;
    }
    if (!seeded) return usage();

    const lum::play::PlayResult r = lum::play::play_game(o, std::cout);
    lum::play::print_summary(r, o.seed, std::cout);
    if (!r.finished) {
        std::cerr << "playthrough: stuck at stage " << r.stage << ": " << r.reason << "\n";
        return 1;
    }
    if (strict && !lum::play::targets_met(r)) {
        std::cerr << "playthrough: the balance targets are missed\n";
        return 1;
    }
    return 0;
}
