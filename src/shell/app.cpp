#include "shell/app.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include "battle/battle_screen.h"
#include "battle/result_dialog.h"
#include "battle/setup.h"
#include "shell/main_window.h"
#include "shell/qt_dialogs.h"
#include "shell/router.h"
#include "shell/shell_model.h"
#include "shell/title_box.h"
#include "sound/sound_front.h"
#include "state/dat_text.h"
#include "story/story_screen.h"
#include "travel/travel_screen.h"

namespace lum {

std::filesystem::path program_folder() {
    return std::filesystem::path(QCoreApplication::applicationDirPath().toStdString());
}

App::App(Options options) : sound_(std::move(options.sound)), dialogs_(std::move(options.dialogs)) {
    gs_.game_dir = options.game_dir;
    window_ = std::make_unique<MainWindow>(QSize(725, 493));
    if (!dialogs_) dialogs_ = std::make_unique<QtDialogs>(window_.get());
    if (sound_) proxy_.attach(sound_.get());
    router_ = std::make_unique<Router>(*window_);
    shell_ = std::make_unique<ShellModel>(gs_, *dialogs_, proxy_, *router_);

    // The game's order: battle screen, result dialog, travel screen, story screen. Only the
    // battle screen (with the title box) is needed for the first paint.
    battle_ = new BattleScreen(*shell_, gs_, *dialogs_, proxy_, *router_);
    router_->add(ScreenId::battle, battle_);
    router_->add_lazy(ScreenId::result, [this] {
        return new ResultDialog(gs_, proxy_, *router_, battle_->model().widgets().result_caption);
    });
    router_->add_lazy(ScreenId::travel, [this] {
        return new TravelScreen(gs_, *dialogs_, proxy_, *router_, battle_starts());
    });
    router_->add_lazy(ScreenId::story,
                      [this] { return new StoryScreen(gs_, proxy_, *router_, *dialogs_); });

    window_->on_close = [this] { return shell_->close_battle_screen(); };
    router_->on_shown = [this](ScreenId id) {
        if (front_) front_->set_visible_screen(id);
    };
}

App::~App() {
    // Sound first: its audio thread must not announce blocks to a window being torn down.
    proxy_.attach(nullptr);
    front_ = nullptr;
    sound_.reset();
}

BattleModel& App::battle_model() {
    return battle_->model();
}

// The battles the travel places start: the battle screen's model sets them up and runs them.
BattleStarts App::battle_starts() {
    auto start = [this](BattleKind kind) { return [this, kind] { battle_model().start(kind); }; };
    return {start(BattleKind::story), start(BattleKind::region), start(BattleKind::random)};
}

TravelScreen& App::travel_screen() {
    return static_cast<TravelScreen&>(*router_->page(ScreenId::travel));
}

StoryScreen& App::story_screen() {
    return static_cast<StoryScreen&>(*router_->page(ScreenId::story));
}

void App::start_sound() {
    if (sound_) return;
    // Finished output blocks are announced from SDL's audio thread and handled here on the
    // GUI thread; a slow timer also polls for the end of a piece of music.
    SoundFrontOptions so;
    so.game_dir = gs_.game_dir;
    so.state = &gs_;
    so.wake = [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (front_) front_->pump();
            },
            Qt::QueuedConnection);
    };
    auto front = std::make_unique<SoundFront>(std::move(so));
    front_ = front.get();
    if (auto now = router_->current()) front_->set_visible_screen(*now);
    sound_ = std::move(front);
    auto* pump = new QTimer(this);
    connect(pump, &QTimer::timeout, this, [this] {
        if (front_) front_->pump();
    });
    pump->start(100);
    proxy_.attach(sound_.get());
}

bool App::eventFilter(QObject* obj, QEvent* e) {
    if (e->type() == QEvent::Paint && !first_painted_) {
        first_painted_ = true;
        qApp->removeEventFilter(this);
        QTimer::singleShot(0, this, [this] { finish_start(); });
    }
    return QObject::eventFilter(obj, e);
}

void App::finish_start() {
    if (!started_) return;
    start_sound();
    router_->create_all();
}

bool App::start() {
    std::vector<std::string> notices;
    try {
        notices = shell_->FormCreate();
    } catch (const DataError& e) {
        dialogs_->inform(std::string("ゲームのデータを読み込めませんでした。\r") + e.what());
        return false;
    }
    started_ = true;
    router_->show(ScreenId::battle);
    battle_->start_box->refresh();
    window_->show();
    // The rest follows the first paint, so the title is on screen as early as it can be.
    qApp->installEventFilter(this);
    for (const auto& n : notices) dialogs_->inform(n);
    return true;
}

}  // namespace lum
