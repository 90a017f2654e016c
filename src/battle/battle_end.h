#pragma once

// The end-of-action check: fallen enemies give experience and offer their 哀古, fallen party
// members go down and lose lifespan and 哀古, then victory (tested first) or defeat ends the
// battle. `level_up` is the growth step.

#include <string>

#include "battle/battle_context.h"

namespace lum {

enum class BattleOutcome { ongoing, victory, defeat };

BattleOutcome check_battle_end(BattleContext& ctx);

// The question whether actor `a` takes the 哀古 of the fallen enemy `e`.
std::string capture_question(const TChara& e, const TChara& a);

// Experience for beating an enemy: 70.. when it had the higher level, 14.. for equal, 5.. else.
int defeat_experience(GameState& gs, int actor_level, int enemy_level);

// Grows unit u, whose level the caller has already raised.
void level_up(BattleContext& ctx, int u);

}  // namespace lum
