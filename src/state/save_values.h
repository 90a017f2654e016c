#pragma once

// The values of a loaded save that the game cannot use, brought into range. A save written by
// the game never needs this; a damaged or hand-edited one (HP in the billions, class 255, a
// board square 200, stage 999) would otherwise reach rules that index tables, divide by
// levels or add HP with these values.

#include <string>
#include <vector>

#include "state/game_state.h"

namespace lum {

// The ranges of the saved values. Limits above anything play reaches keep the battle formulas
// (products of two values) inside 32 bits.
inline constexpr int kMaxLevel = 9999;     // 0 is a level: a reserve member may join at 0
inline constexpr int kMaxPoints = 999999;  // max HP / MP, the 哀古's value
inline constexpr int kMaxAttribute = 99999;
inline constexpr int kMaxLifespan = 9999;   // and down to -9999: defeats take it below 0
inline constexpr int kMaxExp = kMaxPoints;  // 100 and more wait for the next fall to level up
inline constexpr int kMaxOathCount = 100;   // the battle clamp keeps 100 and brings more to 99
inline constexpr int kMaxSex = 3;
inline constexpr int kLastState = kStatePetrified;

// Brings the saved header and characters 0..30 into range, each value to the nearest end of
// its range. Returns one warning per value changed, naming `file`, the field and both values.
std::vector<std::string> repair_save_values(GameState& gs, const std::string& file);

}  // namespace lum
