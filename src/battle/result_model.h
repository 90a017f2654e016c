#pragma once

// The result dialog without widgets: the rewards applied when it shows, the reward lines
// revealed one per tick with "pi.wav", and the continue button that leads back to travel or on
// into the story.

#include <string>

#include "battle/result_rewards.h"
#include "state/game_state.h"
#include "state/ports.h"

namespace lum {

inline constexpr int kQuickRevealMs = 10;

class ResultModel {
  public:
    // `caption` is the continue button's caption as battle setup leaves it.
    ResultModel(GameState& gs, Sound& sound, Screens& screens, const std::string& caption);

    void FormShow();
    void FormHide() { shown_ = false; }
    void Timer1Timer();    // the reveal
    void FormMouseDown();  // a click anywhere: the rest comes out at once
    void next_bClick();

    // What the dialog shows.
    bool clear_l_visible = false;  // clear_l and its shadow clear_l0, "Congratulation!"
    bool clear_l1_visible = false;
    bool clear_l2_visible = false;
    bool clear_l4_visible = false;
    bool clear_l5_visible = false;
    bool next_b_enabled = true;
    const std::string& next_b_caption() const { return caption_; }
    const RewardLines& lines() const { return lines_; }

    int step() const { return step_; }
    bool timer1_on() const { return shown_ && step_ != 0; }
    int timer1_ms() const { return interval_; }

  private:
    GameState& gs_;
    Sound& sound_;
    Screens& screens_;
    const std::string& caption_;
    RewardLines lines_;
    int step_ = 0;
    int interval_ = 450;
    bool shown_ = false;
};

}  // namespace lum
