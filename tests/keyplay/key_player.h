#pragma once

// A player of the real window who looks only at what the screen shows and the focus, and
// presses one key (or pad button) at a time: through the title, new game, travel, the battles
// (fought through the panels), the result dialog and the scenes. Shared by the key-play test
// and the whole-game memory measurement.

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "battle/battle_context.h"
#include "battle/battle_model.h"
#include "battle/battle_screen.h"
#include "battle/result_dialog.h"
#include "shell/app.h"
#include "shell/main_window.h"
#include "shell/router.h"
#include "shell/title_box.h"
#include "story/story_screen.h"
#include "travel/travel_screen.h"

namespace lum::test {

enum class In { up, down, left, right, accept, cancel, next };

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
        static const Qt::Key keys[] = {Qt::Key_Up,     Qt::Key_Down,   Qt::Key_Left, Qt::Key_Right,
                                       Qt::Key_Return, Qt::Key_Escape, Qt::Key_Tab};
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

class Player {
  public:
    Player(App& app, Hands& hands, std::filesystem::path shots)
        : app_(app), hands_(hands), shots_(shots) {}

    // Plays until stage 4 (true) or until `ms` pass. The player looks and presses from a timer
    // of its own, which keeps running inside the loops of message boxes.
    bool play(int ms) {
        return play_until(ms, [this] {
            if (app_.state().stage_no < 4 || !app_.router().visible(ScreenId::travel)) return false;
            shot("travel_stage4");
            return true;
        });
    }

    // Plays until `goal` holds at one of the player's looks (true) or until `ms` pass.
    bool play_until(int ms, const std::function<bool()>& goal) {
        new_battle();
        QTimer tick;
        bool done = false;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            if (done || hands_.busy()) return;
            if (rest_ > 0) {
                --rest_;
                return;
            }
            if (goal()) {
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
            GameState& gs = app_.state();
            for (int u : {1, 2, 3, 4, 5, 11, 12, 13, 14, 15}) {
                const TChara& c = gs.chara_at(u);
                if (c.state != kStateEmpty)
                    qWarning("unit %d at %d,%d hp %d/%d mp %d/%d state %d", u, c.x, c.y, c.hp,
                             c.max_hp, c.mp, c.max_mp, c.state);
            }
        }
        return done;
    }
    std::set<std::string> seen;  // what the player met on the way
    int flights = 0;             // battles fled

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
        new_battle();
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
        new_battle();
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

    void new_battle() {
        lowest_enemy_hp_ = std::numeric_limits<long long>::max();
        turns_without_progress_ = 0;
    }

    // The battle, through the panels: a technique whose marked squares hold an enemy, else a
    // step towards the nearest enemy, else 待機. A battle where the enemies' hit points have not
    // fallen for many turns (the squares next to them held by the fallen, say) is fled.
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
            steps_tried_ = 0;
            if (const long long hp = enemy_hp(); hp < lowest_enemy_hp_) {
                lowest_enemy_hp_ = hp;
                turns_without_progress_ = 0;
            }
            plan_ = ++turns_without_progress_ > kTurnsBeforeFlight ? Plan::flee : Plan::attack;
        }
        BattleScreen& b = battle();
        if (m.item_box.visible || w.menu3 || w.ken_box) return hands_.press(In::cancel);
        if (w.menu4) {
            QWidget* t = focus();
            if (!tried_.count(t) && hits_enemy()) {
                seen.insert("technique");
                shot("technique");
                tried_.insert(t);  // a refused one (too little Mp) keeps the panel open
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
            if (plan_ == Plan::flee) {
                if (focus() != b.nigeru_b) return hands_.press(In::next);
                seen.insert("flight");
                ++flights;
                plan_ = Plan::wait;  // once: the question's default answer is yes
                return hands_.press(In::accept);
            }
            if (plan_ != Plan::walk || steps_tried_ >= 4) {
                plan_ = Plan::wait;
                return hands_.press(In::cancel);
            }
            return hands_.press(step_towards_enemy(steps_tried_++));
        }
        if (!w.menu0) return;
        QWidget* want = plan_ == Plan::attack                        ? b.usu_b
                        : plan_ == Plan::walk || plan_ == Plan::flee ? b.idou_b
                                                                     : b.Button3;
        if (focus() == want) return hands_.press(In::accept);
        hands_.press(In::down);
    }

    long long enemy_hp() const {
        const GameState& gs = app_.state();
        long long sum = 0;
        for (int e = kFirstEnemy; e <= kLastEnemy; ++e)
            if (gs.chara[e].state != kStateEmpty && gs.chara[e].state != kStateDown)
                sum += gs.chara[e].hp;
        return sum;
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

    static constexpr int kTurnsBeforeFlight = 30;
    enum class Plan { attack, walk, wait, flee };
    App& app_;
    Hands& hands_;
    std::filesystem::path shots_;
    bool in_turn_ = false;
    std::set<QWidget*> tried_;
    int rest_ = 0;                    // ticks to wait before looking again
    std::vector<std::string> trace_;  // the last looks, shown when the run times out
    Plan plan_ = Plan::attack;
    int steps_tried_ = 0;
    long long lowest_enemy_hp_ = 0;  // the enemies' hit points at their lowest in this battle
    int turns_without_progress_ = 0;
};

}  // namespace lum::test
