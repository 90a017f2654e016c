#include "shell/app.h"

#include <QCoreApplication>

#include "battle/battle_screen.h"
#include "battle/result_dialog.h"
#include "shell/main_window.h"
#include "shell/qt_dialogs.h"
#include "shell/router.h"
#include "shell/shell_model.h"
#include "shell/title_box.h"
#include "state/dat_text.h"
#include "story/story_screen.h"
#include "travel/travel_screen.h"

namespace lum {

std::filesystem::path program_folder() {
    return std::filesystem::path(QCoreApplication::applicationDirPath().toStdString());
}

App::App(Options options) : sound_(std::move(options.sound)), dialogs_(std::move(options.dialogs)) {
    gs_.game_dir = options.game_dir;
    if (!sound_) sound_ = std::make_unique<SilentSound>();

    window_ = std::make_unique<MainWindow>(QSize(725, 493));
    if (!dialogs_) dialogs_ = std::make_unique<QtDialogs>(window_.get());
    router_ = std::make_unique<Router>(*window_);
    shell_ = std::make_unique<ShellModel>(gs_, *dialogs_, *sound_, *router_);

    // Created in the game's order: battle screen, result dialog, travel screen, story screen.
    battle_ = new BattleScreen(*shell_);
    router_->add(ScreenId::battle, battle_);
    result_ = new ResultDialog();
    router_->add(ScreenId::result, result_);
    travel_ = new TravelScreen();
    router_->add(ScreenId::travel, travel_);
    story_ = new StoryScreen(gs_, *sound_, *router_, *dialogs_);
    router_->add(ScreenId::story, story_);

    window_->on_close = [this] { return shell_->close_battle_screen(); };
}

App::~App() = default;

bool App::start() {
    std::vector<std::string> notices;
    try {
        notices = shell_->FormCreate();
    } catch (const DataError& e) {
        dialogs_->inform(std::string("ゲームのデータを読み込めませんでした。\r") + e.what());
        return false;
    }
    router_->show(ScreenId::battle);
    battle_->start_box->refresh();
    window_->show();
    for (const auto& n : notices) dialogs_->inform(n);
    return true;
}

}  // namespace lum
