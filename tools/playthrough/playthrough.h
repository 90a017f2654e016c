#pragma once

// A whole game played headless through the real models, from "最初からする" to the ending: at
// each stage the travel map is asked which visible place moves the story on, battles are
// fought by a simple party policy, random battles are fought when a story battle was lost, and
// every people place is visited once when it shows. One line per stage, then a summary.

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

namespace lum::play {

struct StageRecord {
    int stage = 0;
    std::string place;        // the button whose visit finished the stage
    std::vector<int> levels;  // party slots 1..5 in use, when the stage was finished
    int story_battles = 0, story_lost = 0;
    int random_battles = 0, random_lost = 0;
    int people = 0;       // people places visited during the stage
    int shop_visits = 0;  // shops opened to lengthen lives
    long long game_ms = 0;
    long long finished_at_ms = 0;
};

// A stage's first story battle: won or not, and in how many of the party's turns.
struct FirstBattle {
    bool won = false;
    int rounds = 0;
};

struct PlayResult {
    bool finished = false;  // the ending was saved, or the stage to stop at reached
    bool ending = false;    // the ending was played and clear_mark 100 read back from the save
    int stage = 0;          // where it ended or got stuck
    std::string reason;     // why it stopped short
    std::vector<StageRecord> stages;
    int people_visited = 0;
    int people_places = 0;                      // people places that ever showed
    std::vector<std::string> people_unvisited;  // shown, but their conversation never played
    std::vector<std::string> people_unseen;     // never shown at all
    int longest_losing_run = 0;  // story battles lost in a row at one stage, stage 45 aside
    int losing_run_stage = -1;
    int lowest_lifespan = 1 << 30;
    int stand_offs = 0;                        // battles given up after too many turns
    std::map<int, FirstBattle> first_battles;  // by stage
    long long game_ms = 0;
    long long events = 0;
};

struct PlayOptions {
    std::uint64_t seed = 1;
    std::filesystem::path game_dir;  // the built game folder; its dat/ is copied, never written
    std::filesystem::path work_dir;  // where the copy goes; empty: a fresh temporary folder
    bool verbose = false;            // a line for every place visited and what came of it
    // Battles fought as a newcomer fights them: the nearest enemy struck, nothing else.
    bool newcomer = false;
    // Story battles and random battles allowed at one stage before the game counts as stuck;
    // authors raise them to find what lies beyond a hard stage.
    int max_story_attempts = 8;
    int max_random_per_stage = 40;
    // Stops, finished, once this stage is reached (-1: play to the ending).
    int until_stage = -1;
    long long max_events = 20'000'000;
};

// Plays the game; writes the stage lines to `out` as stages finish.
PlayResult play_game(const PlayOptions& options, std::ostream& out);

// At most 3 random battles a stage on average, and no story battle lost more than twice in a
// row (stage 45's battle, which cannot be won, aside).
bool targets_met(const PlayResult& r);

// The summary: totals, the balance targets, and the figures by chapter.
void print_summary(const PlayResult& r, std::uint64_t seed, std::ostream& out);

// The first hour of many new games played as a newcomer, stage by stage: how often the first
// story battle of each stage was won and in how many of the party's turns.
struct FirstHourStage {
    int stage = 0;
    int games = 0;            // games that reached the stage's battle
    int won = 0;              // first battles won
    std::vector<int> rounds;  // party turns of each first battle won, in seed order
    int won_within(int rounds_at_most) const;
};
struct FirstHour {
    std::vector<FirstHourStage> stages;  // 0 .. until_stage - 1
    std::vector<std::string> stuck;  // "seed S: stage N: reason" for the games that stopped short
};

// Plays every seed of `seeds` with the newcomer policy up to `options.until_stage` (6 when not
// set); one line a game to `out`.
FirstHour play_first_hour(const PlayOptions& options, const std::vector<std::uint64_t>& seeds,
                          std::ostream& out);

// Stage 0's first battle won within 10 party turns in at least 95 % of the games, and every
// stage's first battle won in at least 70 % of the games that reached it. A game that stops
// short later (the newcomer never heals) is listed, not counted against the first tries.
bool first_hour_met(const FirstHour& f);

void print_first_hour(const FirstHour& f, std::ostream& out);

// The chapter (0..7) a stage belongs to, by the title cards at 1, 11, 20, 32, 40, 46, 53, 60.
int chapter_of(int stage);
const char* chapter_name(int chapter);

}  // namespace lum::play
