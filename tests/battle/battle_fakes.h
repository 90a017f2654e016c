#pragma once

// Ports that record every call, and a rig that puts units on the board.

#include <deque>
#include <string>
#include <vector>

#include "battle/battle_context.h"
#include "support/port_fakes.h"

namespace lum::test {

// A unit in state 1 on (x, y), marked on the grid, with plenty of HP.
inline TChara& place_unit(GameState& gs, int slot, int x, int y, int hp = 500) {
    TChara& c = gs.chara[slot];
    c.name = "U" + std::to_string(slot);
    c.state = kStateNormal;
    c.x = static_cast<byte>(x);
    c.y = static_cast<byte>(y);
    c.hp = c.max_hp = hp;
    c.level = 1;
    c.aiko_power = 1;
    gs.grid.set(x, y, static_cast<byte>(slot));
    return c;
}

struct Rig {
    GameState gs;
    FakeDialogs dialogs;
    FakeSound sound;
    FakePacing pacing;
    FakeScreens screens;
    BattleContext ctx{gs, dialogs, sound, pacing, screens, {}};

    Rig() { ctx.w.battle_shown = true; }

    TChara& put(int slot, int x, int y, int hp = 500) { return place_unit(gs, slot, x, y, hp); }
    int lost(int slot, int before) const { return before - gs.chara[slot].hp; }
};

}  // namespace lum::test
