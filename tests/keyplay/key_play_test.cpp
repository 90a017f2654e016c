// The first stages played without a mouse, in the real window under Xvfb: title, new game,
// travel, the battles of stages 0, 2 and 3 fought through the panels, the result dialog, the
// scenes with the new member's box, until stage 4 is reached. Once with the
// keyboard (key events at the focused widget, as a player's keys arrive) and once with a
// controller (SDL's virtual pad, through the game's own controller layer). The player looks
// only at what the screen shows and the focus; screenshots go to the artifacts folder.

#include <QProcess>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QtTest>
#include <filesystem>

#include "key_player.h"
#include "shell/shell_model.h"
#include "support/virtual_pad.h"
#include "ui/pad_keys.h"
#include "ui_support.h"

using namespace lum;
using namespace lum::test;
namespace fs = std::filesystem;

namespace {

class PadHands : public Hands {
  public:
    explicit PadHands(VirtualPad& pad) : pad_(pad) {}
    void press(In in) override {
        static const SDL_GameControllerButton buttons[] = {SDL_CONTROLLER_BUTTON_DPAD_UP,
                                                           SDL_CONTROLLER_BUTTON_DPAD_DOWN,
                                                           SDL_CONTROLLER_BUTTON_DPAD_LEFT,
                                                           SDL_CONTROLLER_BUTTON_DPAD_RIGHT,
                                                           SDL_CONTROLLER_BUTTON_A,
                                                           SDL_CONTROLLER_BUTTON_B,
                                                           SDL_CONTROLLER_BUTTON_RIGHTSHOULDER};
        held_ = buttons[static_cast<int>(in)];
        pad_.button(held_, true);
        down_ = true;
    }
    bool busy() override {
        if (!down_) return false;
        pad_.button(held_, false);
        down_ = false;
        return true;
    }

  private:
    VirtualPad& pad_;
    SDL_GameControllerButton held_ = SDL_CONTROLLER_BUTTON_A;
    bool down_ = false;
};

struct Game {
    explicit Game(const std::string& name) : dir(copy_built_game(name)) {
        App::Options o;
        o.game_dir = dir;
        o.sound = std::make_unique<RecordingSound>(sounds);
        o.settings.char_delay_ms = text_delay_ms(1);  // the quickest text and battles
        o.settings.speed_ms = battle_speed_ms(1);
        app = std::make_unique<App>(std::move(o));  // real message boxes
    }
    bool start() {
        if (!app->start()) return false;
        app->finish_start();
        app->window().activateWindow();
        return QTest::qWaitForWindowActive(&app->window());
    }
    fs::path dir;
    std::vector<std::string> sounds;
    std::unique_ptr<App> app;
};

fs::path artifacts(const char* run) {
    fs::path p = fs::path(LUM_ARTIFACTS) / run;
    fs::create_directories(p);
    return p;
}

// The X server's pointer and windows, moved as a player and a window manager move them, in
// device pixels.
void xdotool(const QStringList& actions) {
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), actions), 0);
}
QStringList move_to(QPoint p) {
    return {QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y())};
}
QStringList button(const char* action) {
    return {QString::fromLatin1(action), QStringLiteral("1")};
}

// Where a point of `w` lies on the X screen, in device pixels (with no window manager the
// window has no frame).
QPoint on_screen(MainWindow& win, QWidget* w, QPoint at) {
    const QPointF p = QPointF(w->mapTo(&win, at)) * win.scale();
    return *win.device_position() + p.toPoint();
}

void check_the_way(const Player& p) {
    for (const char* met : {"travel", "battle turn", "technique", "result", "new member"})
        QVERIFY2(p.seen.count(met), met);
}

}  // namespace

class KeyPlayTest : public QObject {
    Q_OBJECT
  private slots:
    void cleanupTestCase() { remove_game_dirs(); }

    void keyboardAloneToStageFour() {
        Game g("keys");
        QVERIFY(g.start());
        KeyHands hands;
        Player p(*g.app, hands, artifacts("keyboard"));
        QVERIFY2(p.play(6 * 60 * 1000), "stage 4 was not reached in six minutes");
        check_the_way(p);
    }

    // The mouse at scale 1, 2 and a fractional one, as the X server delivers it: pointer
    // motion and clicks at device pixels land on the control beneath them, in a battle.
    void mouseLandsAtEveryScale() {
        Game g("mouse");
        QVERIFY(g.start());
        App& app = *g.app;
        MainWindow& win = app.window();
        app.shell().Button2Click();  // コンティニュー, then a battle as --battle starts it
        app.start_box().refresh();
        app.battle_model().start(BattleKind::random);
        app.battle_screen().refresh();
        BattleScreen& s = app.battle_screen();
        const GameState& gs = app.state();
        QTRY_VERIFY_WITH_TIMEOUT(s.menu0->isVisibleTo(&s) && gs.player_phase == 0, 10000);
        const fs::path shots = artifacts("mouse");
        struct Scale {
            const char* name;
            int zoom;
            QSize fit_to;  // empty: the whole-number zoom
            double want;
        };
        for (const Scale& sc : {Scale{"zoom1", 1, {}, 1.0}, Scale{"zoom2", 2, {}, 2.0},
                                Scale{"fit", 1, QSize(1300, 800), 800.0 / 493}}) {
            PlayerSettings set = app.settings();
            set.zoom = sc.zoom;
            set.fit_window = sc.fit_to.isValid();
            app.apply_settings(set);
            // The fitted window resized by the X server, as a window manager does for a drag of
            // its edge.
            if (set.fit_window)
                xdotool({QStringLiteral("windowsize"), QString::number(win.winId()),
                         QString::number(sc.fit_to.width()), QString::number(sc.fit_to.height())});
            QTRY_COMPARE(win.scale(), sc.want);
            win.move(0, 0);
            QTRY_COMPARE(*win.device_position(), QPoint(0, 0));
            QTest::qWait(300);  // the X server has the window where Qt put it

            // Pointing at the enemy's square shows its status.
            int enemy = 11;
            while (enemy <= 15 && gs.chara[enemy].state == kStateEmpty) ++enemy;
            QVERIFY(enemy <= 15);
            const QPoint square(gs.chara[enemy].x * 64 + 40, gs.chara[enemy].y * 64 + 40);
            xdotool(move_to(on_screen(win, s.map_cg, square)));
            QTRY_COMPARE(s.model().hover_slot, enemy);
            QTRY_COMPARE(s.status_panel->state_l1->text(),
                         QString::fromStdString(gs.chara[enemy].name));
            QProcess::execute(
                QStringLiteral("import"),
                {QStringLiteral("-window"), QStringLiteral("root"),
                 QString::fromStdString((shots / (std::string(sc.name) + ".png")).string())});

            // 「ログ」 opens the log; its 閉じる closes it.
            xdotool(move_to(on_screen(win, s.log_b, s.log_b->rect().center())) + button("click"));
            QTRY_VERIFY(s.log_view->isVisible());
            QWidget* close = s.log_view->close_b;
            xdotool(move_to(on_screen(win, close, close->rect().center())) + button("click"));
            QTRY_VERIFY(!s.log_view->isVisible());

            // The speed slider's knob dragged to the right end.
            QSlider* speed = s.TrackBar1;
            speed->setValue(speed->minimum());
            QStyleOptionSlider opt;
            opt.initFrom(speed);
            opt.orientation = speed->orientation();
            opt.minimum = speed->minimum();
            opt.maximum = speed->maximum();
            opt.sliderPosition = opt.sliderValue = speed->value();
            const QRect knob = speed->style()->subControlRect(QStyle::CC_Slider, &opt,
                                                              QStyle::SC_SliderHandle, speed);
            const QPoint end(speed->width() + 20, knob.center().y());
            xdotool(move_to(on_screen(win, speed, knob.center())) + button("mousedown") +
                    move_to(on_screen(win, speed, end)) + button("mouseup"));
            QTRY_COMPARE(speed->value(), speed->maximum());
            QCOMPARE(s.menu0->isVisibleTo(&s), true);  // the turn still waits for its command
        }
    }

    void controllerAloneToStageFour() {
        Game g("pad");
        QVERIFY(g.start());
        if (!VirtualPadApi::get()) QSKIP("this SDL has no virtual joysticks");
        QVERIFY(g.app->pad_keys());
        VirtualPad pad("Sofa Pad");
        QVERIFY(pad.ok());
        QTRY_VERIFY(g.app->pad_keys()->notice()->isVisible());
        PadHands hands(pad);
        Player p(*g.app, hands, artifacts("controller"));
        QVERIFY2(p.play(6 * 60 * 1000), "stage 4 was not reached in six minutes");
        check_the_way(p);
    }
};

QTEST_MAIN(KeyPlayTest)
#include "key_play_test.moc"
