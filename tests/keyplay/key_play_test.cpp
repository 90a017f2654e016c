// The first stages played without a mouse, in the real window under Xvfb: title, new game,
// travel, the battles of stages 0, 2 and 3 fought through the panels, the result dialog, the
// scenes with the new member's box, until stage 4 is reached. Once with the
// keyboard (key events at the focused widget, as a player's keys arrive) and once with a
// controller (SDL's virtual pad, through the game's own controller layer). The player looks
// only at what the screen shows and the focus; screenshots go to the artifacts folder.

#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <set>

#include "battle/battle_context.h"
#include "battle/battle_model.h"
#include "battle/battle_screen.h"
#include "battle/result_dialog.h"
#include "shell/app.h"
#include "shell/main_window.h"
#include "shell/router.h"
#include "shell/shell_model.h"
#include "shell/title_box.h"
#include "story/story_screen.h"
#include "support/virtual_pad.h"
#include "travel/travel_screen.h"
#include "ui/pad_keys.h"
#include "ui_support.h"

using namespace lum;
using namespace lum::test;
namespace fs = std::filesystem;

namespace {

enum class In { up, down, left, right, accept, cancel };

// One press at a time, by keys or by the pad; the pad's release follows on the next tick.
class Hands {
  public:
    virtual ~Hands() = default;
    virtual void press(In in) = 0;
    virtual bool busy() { return false; }
};

class KeyHands : public Hands {
  public:
    void press(In in) override {
        static const Qt::Key keys[] = {Qt::Key_Up,    Qt::Key_Down,   Qt::Key_Left,
                                       Qt::Key_Right, Qt::Key_Return, Qt::Key_Escape};
        // From the event queue: a key that opens a message box stays in the box's loop until
        // it closes, and the player must keep looking meanwhile.
        const Qt::Key key = keys[static_cast<int>(in)];
        QTimer::singleShot(0, [key] {
            QWidget* to = QApplication::focusWidget();
            if (!to) to = QApplication::activeWindow();
            if (to) QTest::keyClick(to, key);
        });
    }
};

class PadHands : public Hands {
  public:
    explicit PadHands(VirtualPad& pad) : pad_(pad) {}
    void press(In in) override {
        static const SDL_GameControllerButton buttons[] = {
            SDL_CONTROLLER_BUTTON_DPAD_UP,   SDL_CONTROLLER_BUTTON_DPAD_DOWN,
            SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_BUTTON_DPAD_RIGHT,
            SDL_CONTROLLER_BUTTON_A,         SDL_CONTROLLER_BUTTON_B};
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

class Player {
  public:
    Player(App& app, Hands& hands, fs::path shots) : app_(app), hands_(hands), shots_(shots) {}

    // Plays until stage 4 (true) or until `ms` pass. The player looks and presses from a timer
    // of its own, which keeps running inside the loops of message boxes.
    bool play(int ms) {
        QTimer tick;
        bool done = false;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            if (done || hands_.busy()) return;
            if (rest_ > 0) {
                --rest_;
                return;
            }
            if (app_.state().stage_no >= 4 && app_.router().visible(ScreenId::travel)) {
                shot("travel_stage4");
                done = true;
                return;
            }
            step();
        });
        tick.start(kTickMs);
        QElapsedTimer clock;
        clock.start();
        while (!done && clock.elapsed() < ms) QTest::qWait(100);
        if (!done) {
            shot("timed_out");
            for (const std::string& t : trace_) qWarning("%s", t.c_str());
        }
        return done;
    }
    std::set<std::string> seen;  // what the player met on the way
    int battles = 0;

  private:
    static constexpr int kTickMs = 40;

    QWidget* focus() const { return QApplication::focusWidget(); }
    BattleScreen& battle() { return app_.battle_screen(); }

    void shot(const std::string& name) {
        if (seen.count("shot:" + name)) return;
        seen.insert("shot:" + name);
        QScreen* screen = app_.window().screen();
        screen->grabWindow(app_.window().winId())
            .save(QString::fromStdString((shots_ / (name + ".png")).string()));
    }

    void step() {
        QWidget* f = focus();
        trace_.push_back(std::to_string(app_.state().stage_no) + " " +
                         (f ? f->objectName().toStdString() : std::string("-")) +
                         (QApplication::activeModalWidget() ? " modal" : ""));
        if (trace_.size() > 40) trace_.erase(trace_.begin());
        // Xvfb has no window manager to give the window back its activation once a message
        // box closes; the test does what one would.
        if (!QApplication::activeWindow() && !QApplication::activeModalWidget()) {
            app_.window().activateWindow();
            return;
        }
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            seen.insert("message box");
            (void)box;
            return hands_.press(In::accept);  // the default answer
        }
        if (app_.start_box().isVisible()) return title();
        if (app_.router().visible(ScreenId::result)) {
            shot("result");
            seen.insert("result");
            return hands_.press(In::accept);
        }
        if (app_.router().visible(ScreenId::story)) return story();
        if (app_.router().visible(ScreenId::travel)) return travel();
        if (app_.router().visible(ScreenId::battle)) return fight();
    }

    void title() {
        shot("title");
        TitleBox& t = app_.start_box();
        hands_.press(focus() == t.Button1 ? In::accept : In::down);
    }

    void story() {
        StoryScreen& s = app_.story_screen();
        if (s.party_box->isVisible()) {
            if (!seen.count("new member")) {
                seen.insert("new member");
                rest_ = 4;  // the box painted before the picture is taken
                return;
            }
            shot("new_member");
        }
        hands_.press(In::accept);
    }

    void travel() {
        seen.insert("travel");
        shot("travel_stage" + std::to_string(app_.state().stage_no));
        static const char* kPlaces[] = {"m0", "m0", "m1", "m2"};
        TravelScreen& t = app_.travel_screen();
        QWidget* target = t.place_button(kPlaces[std::min(app_.state().stage_no, 3)]);
        if (focus() == target) {
            rest_ = 8;  // a place's click comes a moment after its key
            return hands_.press(In::accept);
        }
        // From anywhere off the places, Esc closes what is open and the screen gives the
        // places the keys back through the arrows.
        hands_.press(qobject_cast<PlaceButton*>(focus()) ? In::right : In::cancel);
    }

    // The battle, through the panels: a technique whose marked squares hold an enemy, else a
    // step towards the nearest enemy, else 待機.
    void fight() {
        BattleModel& m = battle().model();
        const BattleWidgets& w = m.widgets();
        if (!m.awaiting_command()) {
            in_turn_ = false;  // the next command is a new turn's
            return;
        }
        seen.insert("battle turn");
        shot("battle_turn");
        if (!in_turn_) {
            in_turn_ = true;
            tried_.clear();
            plan_ = Plan::attack;
            steps_tried_ = 0;
        }
        BattleScreen& b = battle();
        if (m.item_box.visible || w.menu3 || w.ken_box) return hands_.press(In::cancel);
        if (w.menu4) {
            QWidget* t = focus();
            if (!tried_.count(t) && hits_enemy()) {
                seen.insert("technique");
                shot("technique");
                return hands_.press(In::accept);
            }
            tried_.insert(t);
            for (QPushButton* o : b.technique_buttons)
                if (o && o->isVisible() && o->isEnabled() && !tried_.count(o))
                    return hands_.press(In::down);
            return hands_.press(In::cancel);
        }
        if (w.menu2) {
            QWidget* f = focus();
            if (!tried_.count(f)) {
                tried_.insert(f);
                return hands_.press(In::accept);
            }
            for (QPushButton* o : b.family_buttons)
                if (o && o->isVisible() && o->isEnabled() && !tried_.count(o))
                    return hands_.press(In::down);
            plan_ = Plan::walk;
            return hands_.press(In::cancel);
        }
        if (w.menu1) {
            if (plan_ != Plan::walk || steps_tried_ >= 4) {
                plan_ = Plan::wait;
                return hands_.press(In::cancel);
            }
            return hands_.press(step_towards_enemy(steps_tried_++));
        }
        if (!w.menu0) return;
        QWidget* want = plan_ == Plan::attack ? b.usu_b
                        : plan_ == Plan::walk ? b.idou_b
                                              : b.Button3;
        if (focus() == want) return hands_.press(In::accept);
        hands_.press(In::down);
    }

    bool hits_enemy() {
        const GameState& gs = app_.state();
        for (const Marker& mk : battle().model().widgets().markers) {
            if (mk.left == kOffBoardLeft) continue;
            const int col = (mk.left - kMapLeft) / kSquarePx, row = (mk.top - kMapTop) / kSquarePx;
            if (!on_board(col, row)) continue;
            const int u = gs.grid.at(col, row);
            if (u >= kFirstEnemy && u <= kLastEnemy && gs.chara[u].state != kStateEmpty &&
                gs.chara[u].state != kStateDown)
                return true;
        }
        return false;
    }

    // The n-th best step: along the longer way to the nearest enemy first.
    In step_towards_enemy(int n) {
        GameState& gs = app_.state();
        const TChara& a = gs.chara_at(gs.cur_unit);
        int best = 1 << 30, dx = 0, dy = 0;
        for (int e = kFirstEnemy; e <= kLastEnemy; ++e) {
            const TChara& c = gs.chara[e];
            if (c.state == kStateEmpty || c.state == kStateDown) continue;
            const int d = std::abs(c.x - a.x) + std::abs(c.y - a.y);
            if (d < best) best = d, dx = c.x - a.x, dy = c.y - a.y;
        }
        const In h = dx < 0 ? In::left : In::right, v = dy < 0 ? In::up : In::down;
        const In order[] = {std::abs(dx) >= std::abs(dy) ? h : v,
                            std::abs(dx) >= std::abs(dy) ? v : h,
                            h == In::left ? In::right : In::left, v == In::up ? In::down : In::up};
        return order[n % 4];
    }

    enum class Plan { attack, walk, wait };
    App& app_;
    Hands& hands_;
    fs::path shots_;
    bool in_turn_ = false;
    std::set<QWidget*> tried_;
    int rest_ = 0;                    // ticks to wait before looking again
    std::vector<std::string> trace_;  // the last looks, shown when the run times out
    Plan plan_ = Plan::attack;
    int steps_tried_ = 0;
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
