#pragma once

// Plays whole battles headless: the real setup, clock, techniques, enemy routine and end check,
// with a simple party policy standing in for the player.

#include <cstdint>
#include <functional>
#include <string>

#include "battle/battle_context.h"

namespace lum::sim {

// One step of a running battle in the order the screen's timers take it: the board redraw
// and the status clamp, then the party half or the enemy half of the clock. When a party turn
// waits for its command, `command` gives it; a command that leaves the turn open (a refusal)
// is followed by wait.
void step_battle(BattleContext& ctx, const std::function<void(BattleContext&)>& command);

// The stand-in player: strikes what is in front, casts at range, else walks toward the
// nearest enemy.
void stand_in_command(BattleContext& ctx);

struct Totals {
    long long battles = 0;
    long long wins = 0;
    long long losses = 0;
    long long timeouts = 0;
    long long errors = 0;
    long long cycles = 0;  // party half + enemy half
    long long party_actions = 0;
    long long enemy_actions = 0;
    long long damage_dealt = 0;  // HP lost by enemies
    long long damage_taken = 0;  // HP lost by party members
    long long biggest_hit_dealt = 0;
    long long biggest_hit_taken = 0;
    std::string first_error;
};

// Told of each battle (numbered from 0) once it is set up and after every step.
using Watcher = std::function<void(const BattleContext&, long long battle)>;

Totals run_battles(long long count, std::uint64_t seed, const Watcher& watch = {});

std::string report(const Totals& t, std::uint64_t seed);

}  // namespace lum::sim
