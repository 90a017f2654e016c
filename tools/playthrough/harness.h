#pragma once

// The four screens of the game without a window: the real models (battle, result, travel,
// story) behind a router that keeps the one-visible-screen rule and runs each model's show and
// hide steps, driven by a virtual clock instead of the event loop. The ports are quiet fakes:
// nothing is drawn or played, pauses advance the clock, and every message box is answered by
// whoever owns the harness.

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "battle/battle_model.h"
#include "battle/result_model.h"
#include "state/canvas.h"
#include "state/game_state.h"
#include "state/ports.h"
#include "story/story_model.h"
#include "travel/travel_model.h"

namespace lum::play {

// Milliseconds of game time: the screens' timer intervals and the rules' pauses.
struct Clock {
    long long now_ms = 0;
};

// Keeps only the pictures' sizes: the rules ask for them, nobody looks at the pixels.
class NullCanvas : public Canvas {
  public:
    void create_picture(const std::string& picture, Size size, Color) override {
        sizes_[picture] = size;
    }
    bool has_picture(const std::string& picture) const override { return sizes_.count(picture); }
    Size picture_size(const std::string& picture) const override;
    bool load_picture(const std::string&, const std::filesystem::path&, bool) override {
        return false;
    }
    void fill(const std::string&, Rect, Color) override {}
    void copy(const std::string&, Rect, const std::string&, Rect) override {}
    void line(const std::string&, int, int, int, int, Color) override {}
    void text(const std::string&, int, int, const std::string&, const Font&) override {}
    Size text_size(const std::string& utf8, const Font& font) override;

  private:
    std::map<std::string, Size> sizes_;
};

// A blocking pause of the rules is game time that passes.
class ClockPacing : public Pacing {
  public:
    explicit ClockPacing(Clock& clock) : clock_(clock) {}
    void pause_ms(int ms) override { clock_.now_ms += ms > 0 ? ms : 0; }
    void repaint_now() override {}

  private:
    Clock& clock_;
};

// Message boxes: information is kept for the owner to read; questions go to `answer`.
class AnsweringDialogs : public Dialogs {
  public:
    void inform(const std::string& text) override { informed.push_back(text); }
    bool ask_yes_no(const std::string& text) override {
        asked.push_back(text);
        return answer ? answer(text) : true;
    }
    std::function<bool(const std::string&)> answer;
    std::vector<std::string> informed;
    std::vector<std::string> asked;
};

// Every switch between screens, as the window's router makes it: showing one hides whichever
// other is up, and each model runs its own show and hide steps.
class ModelRouter : public Screens {
  public:
    struct Page {
        std::function<void()> show, hide;
    };
    void add(ScreenId id, Page page) { pages_[id] = std::move(page); }

    void show(ScreenId id) override;
    void hide(ScreenId id) override;
    void close(ScreenId id) override;

    std::optional<ScreenId> current() const { return current_; }
    int times_shown(ScreenId id) const {
        auto it = shown_.find(id);
        return it == shown_.end() ? 0 : it->second;
    }
    bool showing(ScreenId id) const { return current_ == id; }
    // Closing the battle screen ends the program: the save is written first when it should be.
    bool program_closed = false;
    std::function<void()> on_program_close;

  private:
    std::map<ScreenId, Page> pages_;
    std::map<ScreenId, int> shown_;
    std::optional<ScreenId> current_;
};

// A periodic timer of a screen as the view runs it: started when the model turns it on,
// restarted when its interval changes, stopped when the model turns it off.
struct VirtualTimer {
    long long due = -1;
    int interval = 0;
    void sync(const Clock& c, bool on, int ms);
    bool running() const { return due >= 0; }
};

// The game: state, ports and the four models, wired as the program wires them.
class Harness {
  public:
    explicit Harness(const std::filesystem::path& game_dir);

    GameState gs;
    Clock clock;
    NullCanvas canvas;
    SilentSound sound;
    ClockPacing pacing{clock};
    AnsweringDialogs dialogs;
    ModelRouter router;
    BattleModel battle{gs, dialogs, sound, pacing, router};
    ResultModel result{gs, sound, router, battle.widgets().result_caption};
    TravelModel travel;
    StoryModel story{gs, sound, router, dialogs, canvas};

    // "最初からする" answered Yes: a new game on the given seed, then the travel screen.
    void new_game(std::uint64_t seed);

    // One timer event (or effect frame) of the screen showing now, the clock moved to it.
    // Returns false when no screen is showing or the showing one has nothing running.
    bool step_battle();
    bool step_result();
    bool step_story();

  private:
    VirtualTimer b_timer1_, b_timer2_, b_timer3_, b_timer4_, b_speech_;
    VirtualTimer r_timer1_;
    VirtualTimer s_timer5_, s_timer1_, s_timer3_, s_anim_;
};

// Plays the story screen as a patient player until it hides: "→OK" after every line once it
// has appeared, "はい" to every choice, the party box filled by the policy. `each` runs after
// every step and may throw to stop the scene.
void play_story_screen(Harness& h, const std::function<void()>& each);

}  // namespace lum::play
