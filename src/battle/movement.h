#pragma once

// The movement panel: which steps a unit's square and speed allow, a step with its oath
// counter, the random warp, the warp to a clicked square, and flight.

#include "battle/battle_context.h"

namespace lum {

enum class StepButton { mae, mae2, usiro, usiro2, ue, sita, mae3, mae4, usiro3, usiro4 };

// The steps offered to `unit`: free destination on the board, the jumped-over square free for
// two-square steps, and speed strictly above each step's threshold.
StepButtons step_buttons(const GameState& gs, int unit);

// `idou_b`: opens `menu1` with the step buttons enabled.
void open_movement_panel(BattleContext& ctx);

// `Button4` ("cancel"): closes `menu1`; the turn stays open.
void cancel_movement(BattleContext& ctx);

// A step button: moves the acting unit, then `take_step`.
void step(BattleContext& ctx, StepButton b);

// The common end of a step: the turn ends and the oath counter grows; at 99 or more the oath
// fires, refilling HP and MP, and the counter restarts.
void take_step(BattleContext& ctx);

// `warp_b`: a random free square.
void random_warp(BattleContext& ctx);

// `map_cg` mouse down at (x, y) in the map picture's coordinates: finishes the warp armed by
// 飛法's fourth technique. An occupied square is refused and the warp stays armed, so the turn
// can still go on. Returns true when the unit warped.
bool warp_to_clicked_square(BattleContext& ctx, int x, int y);

// `nigeru_b`: asks, pays a fifth of money and Ark, and returns to travel. True when fled.
bool flee(BattleContext& ctx);

}  // namespace lum
