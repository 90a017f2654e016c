#pragma once

// Shared pieces of the offscreen UI tests: fake message boxes and sound, and a throw-away
// game folder with a complete, small data set.

#include <QWidget>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "shell/app.h"
#include "state/game_state.h"
#include "state/ports.h"
#include "support/port_fakes.h"

namespace lum::test {

class RecordingSound : public Sound {
  public:
    explicit RecordingSound(std::vector<std::string>& log) : log_(log) {}
    void play_ok_sound() override { log_.push_back("ok"); }
    void play_step_sound() override { log_.push_back("step"); }
    void play_effect(const std::string& w) override { log_.push_back("effect:" + w); }
    void play_effect3(const std::string& w) override { log_.push_back("effect3:" + w); }
    void play_music(const std::string& m) override { log_.push_back("music:" + m); }

  private:
    std::vector<std::string>& log_;
};

// A game folder under the temporary directory with every master file, a save and the stage
// files 0 and 61. `tweak` may change the save before it is written.
std::filesystem::path make_game_dir(const std::string& name, void (*tweak)(GameState&) = nullptr);

// A copy of the built game folder's dat/ and cg/ (mid/ left empty), so a test plays the real
// content without touching the build's save. Removed by remove_game_dirs too.
std::filesystem::path copy_built_game(const std::string& name);

// What an App over `dir` needs to run on fakes: message boxes answered from a script (handed
// back in `dialogs`) and sounds recorded into `sounds`.
App::Options fake_port_options(const std::filesystem::path& dir, std::vector<std::string>& sounds,
                               FakeDialogs*& dialogs);

std::string file_bytes(const std::filesystem::path& p);

// Title → 最初からする → はい: the travel screen of a new game, its window active for keys.
void start_new_game(App& app, FakeDialogs& dialogs);

// The widget that has the keyboard in `any`'s window, and a key pressed and released there as
// a player's key would be (so the focused control, not a chosen widget, gets it first).
QWidget* focused(QWidget* any);
void press(QWidget* any, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier);

// Removes every folder make_game_dir made in this process.
void remove_game_dirs();

}  // namespace lum::test
