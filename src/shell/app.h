#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/sound_proxy.h"
#include "state/game_state.h"
#include "state/player_settings.h"
#include "state/ports.h"
#include "travel/travel_model.h"

namespace lum {

class MainWindow;
class Router;
class ShellModel;
class BattleModel;
class BattleScreen;
class ResultDialog;
class TravelScreen;
class StoryScreen;
class SoundFront;
class TitleBox;
class PadKeys;
class GamePads;
class GuideView;
class ScreenPage;

// The program: the one game state, the one window, the four screens in their creation order,
// the router through which every switch goes, and the sound front.
class App : public QObject {
    Q_OBJECT
  public:
    struct Options {
        std::filesystem::path game_dir;    // holds dat/, cg/, mid/
        std::unique_ptr<Sound> sound;      // replaces the sound front (tests)
        std::unique_ptr<Dialogs> dialogs;  // message boxes; real ones when null
        bool installed = false;            // game_dir is an install's shared folder
        std::filesystem::path save_dir;    // my.dat and item.dat; empty: game_dir/dat
        PlayerSettings settings;           // as loaded
        int zoom_once = 0;                 // --zoom: this run's zoom, until the settings change it
        // Where changed settings are written; null keeps them for this run (tests).
        std::unique_ptr<SettingsStore> settings_store;
        // The window icon's name in the icon theme, set after the first paint (the theme's
        // lookup is slow); empty: none.
        std::string icon_name;
    };

    explicit App(Options options);
    ~App() override;

    // The game's start (load_game) and the first show of the title. A data fault is shown in a
    // message box naming the file and the reason; then false is returned and nothing has been
    // saved. The battle screen under the title, the other three screens and the sound device
    // follow right after the first paint. `after_load` runs once the save is read and its
    // notices told. With `Load::after_first_paint` the title paints before the save is read:
    // the load comes first in finish_start, and after a data fault (told as above)
    // `load_failed` runs instead, which the program's main ends with.
    enum class Load { before_title, after_first_paint };
    bool start(Load load = Load::before_title);
    std::function<void()> after_load;
    std::function<void()> load_failed;
    // Makes what start() left for after the first paint (also done on demand).
    void finish_start();

    GameState& state() { return gs_; }
    MainWindow& window() { return *window_; }
    Router& router() { return *router_; }
    ShellModel& shell() { return *shell_; }
    Dialogs& dialogs() { return *dialogs_; }
    Sound& sound() { return proxy_; }
    // The real sound front, when the program made it (none with a test's sound).
    SoundFront* sound_front() { return front_; }
    BattleScreen& battle_screen();
    // `start_box`: the title box, laid over the battle screen at start.
    TitleBox& start_box() { return *start_box_; }
    // How the travel screen starts battles (it is a BattleStarter).
    BattleModel& battle_model();
    StoryScreen& story_screen();
    TravelScreen& travel_screen();
    // Game controllers as keys; made with the sound, after the first paint.
    PadKeys* pad_keys() { return pad_keys_; }

    // The settings dialog (modal). The title box's 設定 button and F2 open it; the travel
    // screen's config box calls it too.
    void open_settings();
    // The guide over the screen showing, at the page about it; F1 and the travel screen's
    // 「ヘルプ」 open it, F1 again or Esc closes it.
    void open_guide();
    void toggle_guide();
    GuideView& guide();
    // Puts settings in force at once (the speeds into the game state, the sound levels, the
    // output and SoundFont, full screen) and writes them to the store.
    void apply_settings(const PlayerSettings& s);
    const PlayerSettings& settings() const { return settings_; }

  protected:
    bool eventFilter(QObject* obj, QEvent* e) override;

  private:
    // The save and tables read for the title; a fault is told and false returned.
    bool load_for_title(std::vector<std::string>* notices);
    void tell_loaded(const std::vector<std::string>& notices);
    void add_developer_buttons();
    void make_battle_screen();
    void start_sound();
    void start_pads();
    void restart_sound();
    void remember_settings();
    void apply_scaling();
    void flush_settings();
    BattleStarts battle_starts();

    GameState gs_;
    SoundProxy proxy_;
    std::unique_ptr<Sound> sound_;  // what the proxy forwards to
    SoundFront* front_ = nullptr;   // the real sound front, when the program made it
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<Dialogs> dialogs_;
    std::unique_ptr<Router> router_;
    std::unique_ptr<ShellModel> shell_;
    BattleScreen* battle_ = nullptr;
    ScreenPage* title_page_ = nullptr;  // holds the title until the battle screen is made
    TitleBox* start_box_ = nullptr;
    GuideView* guide_ = nullptr;
    bool installed_ = false;
    bool zoom_once_ = false;
    std::string icon_name_;
    PlayerSettings settings_;
    std::unique_ptr<SettingsStore> store_;
    bool settings_open_ = false;
    std::string settings_fault_told_;  // the last write fault the player was told of
    QTimer* pump_ = nullptr;
    std::unique_ptr<GamePads> pads_;
    PadKeys* pad_keys_ = nullptr;
    bool started_ = false;
    bool first_painted_ = false;
    bool load_pending_ = false;
};

}  // namespace lum
