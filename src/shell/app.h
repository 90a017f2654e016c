#pragma once

#include <QObject>
#include <memory>

#include "state/game_state.h"
#include "state/ports.h"

namespace lum {

class MainWindow;
class Router;
class ShellModel;
class BattleScreen;
class ResultDialog;
class TravelScreen;
class StoryScreen;

// The program: the one game state, the one window, the four screens in their creation order,
// the router through which every switch goes, and the sound front.
class App : public QObject {
    Q_OBJECT
  public:
    struct Options {
        std::filesystem::path game_dir;    // holds dat/, cg/, mid/
        std::unique_ptr<Sound> sound;      // the sound front; silent when null
        std::unique_ptr<Dialogs> dialogs;  // message boxes; real ones when null
    };

    explicit App(Options options);
    ~App() override;

    // Battle screen creation and the first show. A data fault is shown in a message box
    // naming the file and the reason; then false is returned and nothing has been saved.
    bool start();

    GameState& state() { return gs_; }
    MainWindow& window() { return *window_; }
    Router& router() { return *router_; }
    ShellModel& shell() { return *shell_; }
    Dialogs& dialogs() { return *dialogs_; }
    Sound& sound() { return *sound_; }
    BattleScreen& battle_screen() { return *battle_; }

  private:
    GameState gs_;
    std::unique_ptr<Sound> sound_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<Dialogs> dialogs_;
    std::unique_ptr<Router> router_;
    std::unique_ptr<ShellModel> shell_;
    BattleScreen* battle_ = nullptr;
    ResultDialog* result_ = nullptr;
    TravelScreen* travel_ = nullptr;
    StoryScreen* story_ = nullptr;
};

// The folder that holds the game's data: beside the program.
std::filesystem::path program_folder();

}  // namespace lum
