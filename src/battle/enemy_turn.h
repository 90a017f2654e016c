#pragma once

// One enemy's action: its class chooses which squares around it count as targets and which of
// twenty actions follows; every amount comes from its 哀古.

#include <array>

#include "battle/battle_context.h"

namespace lum {

// The decision of step 1, exposed for tests and the simulator.
struct EnemyDecision {
    int action = 0;    // 0 move, 1..19 the actions
    int ref_unit = 0;  // the unit the squares and markers are relative to
    int ref_x = 0, ref_y = 0;
};

EnemyDecision decide_enemy_action(GameState& gs);

// Carries out the turn of enemy `cur_unit` (called with enemy_phase already 2): applies the
// effect, fills enemy_act_msg and enemy_result_msg, plays the sound, places markers s1..s3.
// A move sets enemy_phase back to 0.
void enemy_act(BattleContext& ctx);

}  // namespace lum
