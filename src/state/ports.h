#pragma once

// The small interfaces through which the rules talk to the world. The program passes real
// ones; tests pass fakes that record calls and answer from a script.

#include <string>

namespace lum {

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // A modal information box.
    virtual void inform(const std::string& text) = 0;
    // A modal Yes/No question; only an explicit "No" cancels.
    virtual bool ask_yes_no(const std::string& text) = 0;
    // The same question with "No" under Enter, for a choice that cannot be undone.
    virtual bool ask_yes_no_default_no(const std::string& text) { return ask_yes_no(text); }
};

// The five sound operations of the sound front. Every error is swallowed behind them.
class Sound {
  public:
    virtual ~Sound() = default;
    virtual void play_ok_sound() = 0;                        // on1.wav, channel 0
    virtual void play_step_sound() = 0;                      // foot.wav, channel 1
    virtual void play_effect(const std::string& wave) = 0;   // channel 2
    virtual void play_effect3(const std::string& wave) = 0;  // channel 3
    virtual void play_music(const std::string& midi) = 0;    // "not" stops the music
};

// The short blocking pauses of a few animations, and "repaint now".
class Pacing {
  public:
    virtual ~Pacing() = default;
    virtual void pause_ms(int ms) = 0;
    virtual void repaint_now() = 0;
};

enum class ScreenId { battle, result, travel, story };

// Showing and hiding screens. Every switch goes through the one router behind this.
class Screens {
  public:
    virtual ~Screens() = default;
    virtual void show(ScreenId s) = 0;
    virtual void hide(ScreenId s) = 0;
    // Closing the battle screen ends the program (saving first when save_on_close is set);
    // closing another screen hides it.
    virtual void close(ScreenId s) = 0;
};

// A sound port that does nothing, for screens and tests that do not listen.
class SilentSound : public Sound {
  public:
    void play_ok_sound() override {}
    void play_step_sound() override {}
    void play_effect(const std::string&) override {}
    void play_effect3(const std::string&) override {}
    void play_music(const std::string&) override {}
};

}  // namespace lum
