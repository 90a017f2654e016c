#pragma once

#include "state/ports.h"

namespace lum {

// The sound port every screen holds. The real sound front starts right after the window is
// first shown, so its device and synthesizer never delay the title; until then effects are
// dropped and the last music asked for is kept and started once the front is attached.
class SoundProxy : public Sound {
  public:
    void attach(Sound* target) {
        target_ = target;
        if (target_ && !pending_music_.empty()) target_->play_music(pending_music_);
        pending_music_.clear();
    }
    Sound* target() const { return target_; }

    void play_ok_sound() override {
        if (target_) target_->play_ok_sound();
    }
    void play_step_sound() override {
        if (target_) target_->play_step_sound();
    }
    void play_effect(const std::string& w) override {
        if (target_) target_->play_effect(w);
    }
    void play_effect3(const std::string& w) override {
        if (target_) target_->play_effect3(w);
    }
    void play_music(const std::string& m) override {
        if (target_)
            target_->play_music(m);
        else if (!m.empty())
            pending_music_ = m == "not" ? std::string() : m;
    }

  private:
    Sound* target_ = nullptr;
    std::string pending_music_;
};

}  // namespace lum
