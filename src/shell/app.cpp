#include "shell/app.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <iostream>

#include "battle/battle_screen.h"
#include "battle/result_dialog.h"
#include "battle/setup.h"
#include "shell/main_window.h"
#include "shell/qt_dialogs.h"
#include "shell/router.h"
#include "shell/shell_model.h"
#include "shell/start_trace.h"
#include "shell/title_box.h"
#include "sound/game_pads.h"
#include "sound/music_player.h"
#include "sound/sdl_api.h"
#include "sound/sound_front.h"
#include "state/dat_text.h"
#include "story/story_screen.h"
#include "travel/travel_screen.h"
#include "ui/guide_view.h"
#include "ui/pad_keys.h"
#include "ui/picture_filter.h"
#include "ui/screen_page.h"
#include "ui/settings_dialog.h"

namespace lum {

App::App(Options options)
    : sound_(std::move(options.sound)),
      dialogs_(std::move(options.dialogs)),
      settings_(std::move(options.settings)),
      store_(std::move(options.settings_store)) {
    gs_.game_dir = options.game_dir;
    gs_.save_dir = options.save_dir;
    installed_ = options.installed;
    icon_name_ = options.icon_name;
    // Before the screens: the battle screen still reads its own remembered slider after this.
    settings_to_state(settings_, gs_);
    window_ = std::make_unique<MainWindow>(QSize(kGameWidth, kGameHeight));
    zoom_once_ = options.zoom_once > 0;
    if (zoom_once_)
        window_->set_scaling(options.zoom_once, false, settings_.fit_full_screen);
    else
        apply_scaling();
    set_smooth_pictures(settings_.smooth_scaling);
    trace_start("main window");
    if (!dialogs_) dialogs_ = std::make_unique<QtDialogs>(window_.get());
    if (sound_) proxy_.attach(sound_.get());
    router_ = std::make_unique<Router>(*window_);
    shell_ = std::make_unique<ShellModel>(gs_, *dialogs_, proxy_, *router_);

    // The game's order: battle screen, result dialog, travel screen, story screen. The first
    // paint shows only the title, which covers the whole battle screen: it goes up on a bare
    // page of the battle screen's size and caption, and the battle screen, whose panels take
    // longer to make than everything else before that paint, is made right after it.
    title_page_ =
        new ScreenPage(QString::fromUtf8(BattleScreen::kCaption), QSize(kGameWidth, kGameHeight));
    router_->add(ScreenId::battle, title_page_);
    start_box_ = new TitleBox(*shell_, title_page_);
    start_box_->on_settings = [this] { open_settings(); };
    trace_start("title box");
    router_->add_lazy(ScreenId::result, [this] {
        return new ResultDialog(gs_, proxy_, *router_,
                                battle_screen().model().widgets().result_caption);
    });
    router_->add_lazy(ScreenId::travel, [this] {
        auto* travel = new TravelScreen(gs_, *dialogs_, proxy_, *router_, battle_starts());
        travel->open_settings = [this] { open_settings(); };
        travel->open_help = [this] { open_guide(); };
        return travel;
    });
    router_->add_lazy(ScreenId::story, [this] {
        auto* story = new StoryScreen(gs_, proxy_, *router_, *dialogs_);
        story->open_settings = [this] { open_settings(); };
        return story;
    });

    window_->on_close = [this] {
        if (!shell_->close_battle_screen()) return false;
        remember_settings();
        return true;
    };
    window_->on_help = [this] { toggle_guide(); };
    auto* f2 = new QShortcut(QKeySequence(Qt::Key_F2), window_.get());
    f2->setContext(Qt::ApplicationShortcut);
    connect(f2, &QShortcut::activated, this, [this] { open_settings(); });
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

// The shell's developer buttons lie on the battle screen, which knows nothing of the shell.
void App::add_developer_buttons() {
    ShellModel& m = *shell_;
    BattleScreen& b = *battle_;
    b.BitBtn2 = b.developer_button("BitBtn2", "ＴＲＡＶＥＬ", 2, [&m] { m.BitBtn2Click(); });
    b.BitBtn4 = b.developer_button("BitBtn4", "初期化", 3, [&m] { m.BitBtn4Click(); });
    b.developer_button("Button17", "exp+", 5, [&m] { m.Button17Click(); });
    b.developer_button("Button15", "job+", 6, [&m] { m.Button15Click(); });
    b.developer_button("Button16", "job-", 7, [&m] { m.Button16Click(); });
    const char* const raises[][2] = {
        {"Button5", "体力+"},  {"Button6", "魔力+"},  {"Button7", "秩序+"}, {"Button8", "冷静+"},
        {"Button9", "機工+"},  {"Button10", "天法+"}, {"Button11", "闇+"},  {"Button12", "獣+"},
        {"Button13", "過去+"}, {"Button14", "速さ+"}};
    for (int k = 0; k < 10; ++k)
        b.developer_button(raises[k][0], raises[k][1], 8 + k, [&m, k] { m.raise_attr(k); });
}

// The battle screen takes the title page's place (and the title box) as it is: showing or
// not, with the key focus where it was.
void App::make_battle_screen() {
    if (battle_) return;
    battle_ = new BattleScreen(gs_, *dialogs_, proxy_, *router_);
    add_developer_buttons();
    // The window's focus child, which it keeps while another window is active.
    QWidget* focus = window_->focusWidget();
    const bool title_focus = focus && start_box_->isAncestorOf(focus);
    const bool title_shown = !start_box_->isHidden();
    start_box_->setParent(battle_);
    start_box_->move(0, 0);
    start_box_->setVisible(title_shown);
    start_box_->raise();
    const bool showing = router_->visible(ScreenId::battle);
    router_->replace(ScreenId::battle, battle_)->deleteLater();
    title_page_ = nullptr;
    if (showing) battle_->FormShow();
    if (title_focus) focus->setFocus();
}

// Made after the first paint, or when first asked for.
GuideView& App::guide() {
    if (!guide_) guide_ = new GuideView(gs_, window_.get());
    return *guide_;
}

BattleScreen& App::battle_screen() {
    make_battle_screen();
    return *battle_;
}

BattleModel& App::battle_model() {
    return battle_screen().model();
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
    so.installed = installed_;
    so.output_device = settings_.audio_device;
    so.soundfont = settings_.soundfont;
    so.levels = {settings_.effect_volume, settings_.music_volume, settings_.muted};
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
    if (!pump_) {
        pump_ = new QTimer(this);
        connect(pump_, &QTimer::timeout, this, [this] {
            if (front_) front_->pump();
        });
        pump_->start(100);
    }
    proxy_.attach(sound_.get());
}

void App::restart_sound() {
    if (!front_) return;  // a stand-in sound (tests) or none yet
    std::string music = front_->current_music();
    proxy_.attach(nullptr);
    front_ = nullptr;
    sound_.reset();
    start_sound();
    if (!music.empty()) proxy_.play_music(music);
}

void App::apply_settings(const PlayerSettings& s) {
    PlayerSettings old = settings_;
    settings_ = s;
    settings_to_state(settings_, gs_);
    if (front_) {
        if (s.audio_device != old.audio_device || s.soundfont != old.soundfont)
            restart_sound();
        else
            front_->set_levels({s.effect_volume, s.music_volume, s.muted});
    }
    if (s.zoom != old.zoom || s.fit_window != old.fit_window ||
        s.fit_full_screen != old.fit_full_screen)
        apply_scaling();  // the player's choice replaces --zoom
    if (s.smooth_scaling != old.smooth_scaling) {
        set_smooth_pictures(s.smooth_scaling);
        window_->update();
    }
    if (s.full_screen != window_->isFullScreen()) window_->set_full_screen(s.full_screen);
    if (store_) {
        save_settings(*store_, settings_);
        flush_settings();
    }
}

// A failed write keeps the previous file; the player hears of each new fault once.
void App::flush_settings() {
    if (store_->flush()) {
        settings_fault_told_.clear();
        return;
    }
    std::string fault = store_->write_fault();
    if (fault.empty()) fault = store_->name() + ": cannot write the file";
    std::cerr << "luminaria: " << fault << std::endl;
    if (fault == settings_fault_told_) return;
    settings_fault_told_ = fault;
    dialogs_->inform("設定を保存できませんでした。\r" + fault);
}

void App::apply_scaling() {
    window_->set_scaling(settings_.zoom, settings_.fit_window, settings_.fit_full_screen);
}

void App::remember_settings() {
    settings_from_state(settings_, gs_);
    settings_.full_screen = window_->isFullScreen();
    if (!settings_.full_screen && window_->isVisible()) {
        // In device pixels, which a change of scale leaves as they are.
        if (auto at = window_->device_position()) settings_.window_pos = {at->x(), at->y()};
        const QSize size = window_->device_size();
        if (settings_.fit_window) settings_.window_size = {size.width(), size.height()};
    }
    if (store_) {
        save_settings(*store_, settings_);
        flush_settings();
    }
}

void App::open_settings() {
    if (settings_open_) return;
    settings_open_ = true;
    settings_from_state(settings_, gs_);
    settings_.full_screen = window_->isFullScreen();
    SettingsDialog dlg(settings_, front_ ? front_->output_names() : std::vector<std::string>{},
                       list_soundfonts(), window_.get());
    dlg.on_change = [this](const PlayerSettings& s) { apply_settings(s); };
    dlg.exec();
    settings_open_ = false;
}

void App::open_guide() {
    const auto id = router_->current();
    if (!id) return;
    const bool title = *id == ScreenId::battle && start_box_ && start_box_->isVisible();
    guide().open_over(router_->page(*id), GuideModel::page_for(*id, title));
}

void App::toggle_guide() {
    if (guide().is_open())
        guide().close_guide();
    else
        open_guide();
}

bool App::eventFilter(QObject* obj, QEvent* e) {
    if (e->type() == QEvent::Paint && !first_painted_) {
        first_painted_ = true;
        trace_start("first paint");
        qApp->removeEventFilter(this);
        QTimer::singleShot(0, this, [this] { finish_start(); });
    }
    return QObject::eventFilter(obj, e);
}

void App::finish_start() {
    if (!started_) return;
    if (load_pending_) {
        load_pending_ = false;
        // A click that came first has begun a game and read the save itself.
        std::vector<std::string> notices;
        if (shell_->start_box_visible && !load_for_title(&notices)) {
            started_ = false;  // the game ends: no screens are made on a save never read
            if (load_failed) load_failed();
            return;
        }
        start_box_->refresh();
        tell_loaded(notices);
    }
    make_battle_screen();
    trace_start("battle screen");
    start_box_->name_for_assistive_technology();
    guide();
    if (!icon_name_.empty())
        QApplication::setWindowIcon(QIcon::fromTheme(QString::fromStdString(icon_name_)));
    start_sound();
    trace_start("sound started");
    start_pads();
    trace_start("game pads");
    router_->create_all();
    trace_start("other screens made");
}

void App::start_pads() {
    if (pad_keys_) return;
    // Without SDL the game plays on by keyboard and mouse (the sound has said why already).
    std::string why;
    pads_ = GamePads::open(&why);
    if (!pads_ && sdl_api()) std::cerr << "game controllers: " << why << "\n";
    PadKeys::Poll poll;
    if (pads_) poll = [this] { return pads_->poll(); };
    pad_keys_ = new PadKeys(std::move(poll), window_.get());
}

bool App::load_for_title(std::vector<std::string>* notices) {
    try {
        *notices = shell_->load_for_title();
        trace_start("load_game");
        return true;
    } catch (const DataError& e) {
        dialogs_->inform(std::string("ゲームのデータを読み込めませんでした。\r") + e.what());
        return false;
    }
}

bool App::start(Load load) {
    std::vector<std::string> notices;
    shell_->show_title();
    load_pending_ = load == Load::after_first_paint;
    if (!load_pending_ && !load_for_title(&notices)) return false;
    started_ = true;
    router_->show(ScreenId::battle);
    start_box_->refresh();
    // The window comes back where it was, when that place is still on a screen.
    if (auto pos = settings_.window_pos) {
        const QPoint was = window_->pos();
        window_->move_device(QPoint(pos->first, pos->second));
        if (!QGuiApplication::screenAt(window_->pos() + QPoint(20, 20))) window_->move(was);
    }
    if (settings_.fit_window && settings_.window_size && !zoom_once_)
        window_->fit_to(QSize(settings_.window_size->first, settings_.window_size->second));
    window_->set_full_screen(settings_.full_screen);
    // The rest follows the first paint, so the title is on screen as early as it can be.
    qApp->installEventFilter(this);
    if (!load_pending_) tell_loaded(notices);
    return true;
}

void App::tell_loaded(const std::vector<std::string>& notices) {
    for (const auto& n : notices) dialogs_->inform(n);
    if (after_load) after_load();
}

}  // namespace lum
