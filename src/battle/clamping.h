#pragma once

#include "state/game_state.h"

namespace lum {

// The status refresh's first step, every 50 ms: keeps the values of slots 0..21 inside their
// ranges (hp and mp within 0..max, hp 0 while down, 哀古 at least 1, lifespan at least 0, the
// oath counter within 0..100 with anything above 100 set to 99). Nothing happens while the
// selected unit's slot is empty. Returns whether it ran.
bool clamp_values(GameState& gs);

}  // namespace lum
