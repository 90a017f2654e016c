#pragma once

// The status panel of one unit: the battle screen's lower left and the travel screen's right side
// show the same texts with small differences, so both build them here.

#include <string>

#include "state/game_state.h"

namespace lum {

enum class PanelScreen { battle, travel };

struct StatusPanelTexts {
    std::string state_l1, state_l2, state_l3, state_l4, state_l5, state_l6, tikai_l;
    std::string party_about_l;  // battle only
    bool operator==(const StatusPanelTexts&) const = default;
};

// The panel of unit `sel_unit` as the given screen shows it: travel always says "通常" and names
// the class of slots 1..10; battle names the state, the built-in enemy classes of slots 11..15,
// and fills `party_about_l`. Reads only: the battle refresh clamps first (clamp_values) and
// skips the tick while the unit's slot is empty.
StatusPanelTexts status_panel_texts(const GameState& gs, int sel_unit, PanelScreen screen);

// Built-in enemy class names and descriptions by class number: "？？？" from class 21 on; from 22
// on the name stands for the description.
const std::string& enemy_class_name(int job);
const std::string& enemy_class_about(int job);

// The portrait under cg/ of a party member (kao_cg1..5), chosen by exact name: my1.bmp for the
// hero up to stage 50 and my41.bmp after, the recruits' own, my0.bmp for any other name.
std::string portrait_file(const std::string& name, int stage_no);

// The sex mark of the panels: ♂ ♀ × §, empty for any other value.
const char* sex_mark(int sex);

}  // namespace lum
