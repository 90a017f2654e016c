#pragma once

// The turn order the two battle timers step: party slots 1..5, then enemy slots 11..15, then
// again from slot 1. Each step shows one message; the timers only call these.

#include <vector>

#include "battle/battle_context.h"

namespace lum {

// The turn-deciding scan of both halves: the first slot after `from` that is past `last` or
// whose unit can act. The party half scans up to 6, the enemy half up to 16; a result past
// the half's own slots (6 and up, 16 and up) hands over to the other half.
int next_able_slot(const GameState& gs, int from, int last);

// The next `count` turns the clock will open, in order, as it stands now and with every unit
// as it is: the same scan the clock runs, carried forward. Fewer when nobody can act.
std::vector<int> upcoming_turns(const GameState& gs, int count);

// Advances `cur_unit` to the next party member able to act and opens its command panel, or
// hands over to the enemy half (cur_unit 10).
void open_next_party_turn(BattleContext& ctx);

// The wait command (`Button3`).
void wait_command(BattleContext& ctx);

// One tick of the party half (Timer4) and of the enemy half (Timer3); both do nothing while the
// battle screen is hidden. Each returns the timer's next interval in milliseconds.
int party_half_tick(BattleContext& ctx);
int enemy_half_tick(BattleContext& ctx);

}  // namespace lum
