#include "battle/result_model.h"

#include <algorithm>

namespace lum {

ResultModel::ResultModel(GameState& gs, Sound& sound, Screens& screens, const std::string& caption)
    : gs_(gs), sound_(sound), screens_(screens), caption_(caption) {}

void ResultModel::FormShow() {
    shown_ = true;
    step_ = 1;
    next_b_enabled = false;
    clear_l_visible = clear_l1_visible = clear_l2_visible = clear_l4_visible = clear_l5_visible =
        false;
    lines_ = grant_battle_rewards(gs_, sound_);
    // A tempo of 50 ms or less would give no interval at all; the reveal still steps.
    interval_ = std::max(lines_.reveal_interval_ms, 1);
}

void ResultModel::Timer1Timer() {
    if (step_ == 0) return;
    ++step_;
    switch (step_) {
        case 2:
            clear_l_visible = true;
            break;
        case 3:
            clear_l1_visible = true;
            break;
        case 4:
            clear_l2_visible = true;
            break;
        case 5:
            clear_l4_visible = true;
            break;
        case 6:
            clear_l5_visible = true;
            break;
        default:
            next_b_enabled = true;
            step_ = 0;
            break;
    }
    sound_.play_effect("pi.wav");
}

void ResultModel::FormMouseDown() {
    interval_ = kQuickRevealMs;
}

void ResultModel::next_bClick() {
    if (!next_b_enabled) return;
    // One press: the dialog is closed by it, and a second click must not pay twice.
    next_b_enabled = false;
    leave_result_dialog(gs_, sound_, screens_, caption_);
}

}  // namespace lum
