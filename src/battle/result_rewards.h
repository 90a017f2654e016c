#pragma once

// The rewards of a won battle, applied when the result dialog is shown, and the way on when
// its continue button is pressed.

#include <string>

#include "battle/battle_context.h"

namespace lum {

struct RewardLines {
    std::string gold;  // clear_l1
    std::string ark;   // clear_l2
    std::string mvp;   // clear_l4
    std::string item;  // clear_l5
    int reveal_interval_ms = 0;
};

// Gold 200..299, Ark 5..14, with r(3) = 1 a bonus of 1..3 to one value of a party member in
// state 1 (skipped when there is none), and one item not yet owned (none when items 0..252 are
// all owned); then the victory music.
RewardLines grant_battle_rewards(GameState& gs, Sound& sound);

// The continue button `next_b` with its caption: the roster is healed and loses one point of
// lifespan, then travel ("RETURN") or the story screen.
void leave_result_dialog(GameState& gs, Sound& sound, Screens& screens, const std::string& caption);

}  // namespace lum
