#pragma once

// How another screen starts a battle. The travel side sets `battle_area` first, then calls
// start() with the kind its place holds; the battle model runs the matching setup routine and
// takes over the timers, the speech and the board from there.

#include "battle/setup.h"

namespace lum {

class BattleStarter {
  public:
    virtual ~BattleStarter() = default;
    virtual void start(BattleKind kind) = 0;
};

}  // namespace lum
