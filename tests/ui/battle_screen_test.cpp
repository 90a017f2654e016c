// The battle screen and the result dialog on the offscreen platform, over the game's real
// pictures and tables: a random battle from the travel screen won with the mouse, a story
// battle leading into its scene, flight, the warp click, the keys, the slider, screenshots.

#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

#include "battle/battle_screen.h"
#include "battle/result_dialog.h"
#include "shell/app.h"
#include "shell/main_window.h"
#include "shell/qt_settings_store.h"
#include "shell/router.h"
#include "shell/title_box.h"
#include "story/story_screen.h"
#include "travel/travel_screen.h"
#include "ui/status_panel_view.h"
#include "ui_support.h"

using namespace lum;
using namespace lum::test;
namespace fs = std::filesystem;

namespace {

fs::path artifacts() {
    fs::path dir = fs::path(LUM_GAME_DIR).parent_path() / "test-artifacts";
    fs::create_directories(dir);
    return dir;
}

struct Harness {
    explicit Harness(const std::string& name) : dir(copy_built_game("battle_" + name)) {
        app = std::make_unique<App>(fake_port_options(dir, sounds, dialogs));
        dialogs->default_answer = false;  // no 哀古 taken unless a test says so
    }
    ~Harness() {
        app.reset();
        fs::remove_all(dir);
    }

    // Title → "最初からする" → travel, then the party and bag a test needs.
    void new_game() {
        start_new_game(*app, *dialogs);
        GameState& gs = app->state();
        TChara& hero = gs.chara[1];
        hero.max_hp = hero.hp = 500;
        hero.body = 30;  // 体術 1..4
        hero.aiko_power = 1;
        hero.lifespan = 50;
        for (int i = 2; i <= 10; ++i) gs.chara[i].state = kStateEmpty;
        gs.skill_flags.fill(0);
        gs.skill_flags[1] = 1;
        gs.item_owned.fill(0);
        gs.item_table[5] = {"試しの傷薬", "ひとりのＨｐを回復する。", 0, 2};
        gs.item_owned[5] = 1;
    }
    BattleScreen& screen() { return app->battle_screen(); }
    BattleModel& model() { return screen().model(); }
    GameState& gs() { return app->state(); }
    ResultDialog& result() {
        return static_cast<ResultDialog&>(*app->router().page(ScreenId::result));
    }
    bool shows(ScreenId id) { return app->router().visible(id); }
    bool visible(QWidget* w) { return w->isVisibleTo(&screen()); }

    // A random battle as the travel screen's "通常戦闘" starts it: one enemy, the hero on
    // column 5. The enemy is then set on `x`, 0 and turned to stone, so its turns pass without
    // draws and the test decides every blow.
    void random_battle_from_travel(int enemy_x, int enemy_hp) {
        auto* start = app->travel_screen().findChild<QPushButton*>("BitBtn18");
        QVERIFY(start);
        gs().rng.seed(11);
        gs().rng.script({0, 0, 0});  // music, the hero's column 5 + 0, one enemy
        start->click();
        QVERIFY(shows(ScreenId::battle));
        QVERIFY(!shows(ScreenId::travel));
        TChara& e = gs().chara[11];
        QCOMPARE(int(gs().chara[12].state), int(kStateEmpty));
        e.x = static_cast<byte>(enemy_x);
        e.y = 0;
        e.hp = e.max_hp = enemy_hp;
        e.state = kStatePetrified;
        QCOMPARE(int(gs().chara[1].x), 5);
        QTest::qWait(120);  // a board redraw marks the new squares
    }
    void wait_for_turn() {
        QTRY_VERIFY_WITH_TIMEOUT(visible(screen().menu0) && gs().player_phase == 0, 8000);
    }
    void click(QWidget* w) {
        QVERIFY2(w->isVisibleTo(&screen()) || w->isVisibleTo(&result()),
                 qPrintable(w->objectName()));
        QTest::mouseClick(w, Qt::LeftButton);
    }
    void use_technique(int family, int slot) {
        click(screen().usu_b);
        click(screen().family_buttons[family]);
        QVERIFY(visible(screen().menu4));
        QTest::mouseMove(screen().technique_buttons[slot], QPoint(20, 8));
        gs().rng.script({0});  // the 1-in-30 failure does not come
        click(screen().technique_buttons[slot]);
    }

    fs::path dir;
    std::vector<std::string> sounds;
    FakeDialogs* dialogs = nullptr;
    std::unique_ptr<App> app;
};

int count_near(const QImage& img, QRect area, QColor c, int tolerance = 24) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor p = img.pixelColor(x, y);
            if (std::abs(p.red() - c.red()) <= tolerance &&
                std::abs(p.green() - c.green()) <= tolerance &&
                std::abs(p.blue() - c.blue()) <= tolerance)
                ++n;
        }
    return n;
}

}  // namespace

class BattleScreenTest : public QObject {
    Q_OBJECT
  private slots:
    void cleanupTestCase() { remove_game_dirs(); }

    void randomBattleWonWithCommandsThroughTheResultToTravel() {
        Harness h("win");
        h.new_game();
        BattleScreen& s = h.screen();
        s.TrackBar1->setValue(1);
        QCOMPARE(h.gs().speed_ms, 312);
        h.random_battle_from_travel(3, 62);
        h.wait_for_turn();
        QCOMPARE(s.menu0->title(), QStringLiteral("ルミナリア"));

        // Turn 1: a step to the left.
        h.click(s.idou_b);
        QVERIFY(h.visible(s.menu1));
        QVERIFY(s.step_buttons[int(StepButton::mae)]->isEnabled());
        QVERIFY(!s.step_buttons[int(StepButton::ue)]->isEnabled());  // row 0
        h.click(s.step_buttons[int(StepButton::mae)]);
        QVERIFY(!h.visible(s.menu1) && !h.visible(s.menu0));
        QCOMPARE(s.moji_l->text(), QStringLiteral("ルミナリアは移動した。"));
        QCOMPARE(int(h.gs().chara[1].x), 4);
        h.wait_for_turn();

        // Turn 2: 正拳突き on the enemy in front: 体力 30 + 哀古 1 / 3.
        h.use_technique(1, 1);
        QCOMPARE(h.gs().chara[11].hp, 32);
        QTRY_COMPARE_WITH_TIMEOUT(s.moji_l->text(),
                                  QStringLiteral("ルミナリアは体術「") +
                                      QString::fromStdString(h.gs().skill_table[1][1].name) +
                                      QStringLiteral("」を行った！"),
                                  3000);
        h.wait_for_turn();

        // Turn 3: the item box; use item's message ends the turn.
        h.gs().chara[1].hp = 470;
        h.click(s.Button18);
        QVERIFY(h.visible(s.item_box));
        QVERIFY(!h.visible(s.menu0));
        QCOMPARE(s.item_list->count(), 1);
        QTest::mouseClick(s.item_list->viewport(), Qt::LeftButton, {},
                          s.item_list->visualItemRect(s.item_list->item(0)).center());
        QCOMPARE(s.item_about->text(), QStringLiteral("ひとりのＨｐを回復する。"));
        h.click(s.item_use);
        QCOMPARE(s.moji_l->text(), QStringLiteral("ルミナリアのＨｐが20回復した。"));
        QVERIFY(!h.visible(s.item_box));
        QCOMPARE(h.gs().chara[1].hp, 490);
        QCOMPARE(h.gs().item_owned[5], 0);
        h.wait_for_turn();

        // Turn 4: 足払い would strike the empty square below; 昇竜脚 above is off the board;
        // 崩拳 in front finishes it: 30 + 2 x 1.
        h.use_technique(1, 4);
        QTRY_VERIFY_WITH_TIMEOUT(h.shows(ScreenId::result), 8000);
        QVERIFY(!h.shows(ScreenId::battle));
        QVERIFY(std::find(h.dialogs->log.begin(), h.dialogs->log.end(),
                          "inform:" + h.gs().chara[11].name + "を倒した") != h.dialogs->log.end());

        // The reveal: a click anywhere brings the rest out at once.
        ResultDialog& r = h.result();
        QVERIFY(!r.next_b->isEnabled());
        QCOMPARE(r.next_b->text(), QStringLiteral("RETURN"));
        QTest::mouseClick(&r, Qt::LeftButton, {}, QPoint(30, 230));
        QCOMPARE(r.Timer1->interval(), 10);
        QTRY_VERIFY_WITH_TIMEOUT(r.next_b->isEnabled(), 1000);
        QVERIFY(r.clear_l5->isVisibleTo(&r));
        QVERIFY(r.clear_l1->text().startsWith(QStringLiteral("GetGold ")));
        QVERIFY(r.clear_l2->text().startsWith(QStringLiteral("GetArk ")));
        const int pis = std::count(h.sounds.begin(), h.sounds.end(), "effect:pi.wav");
        QCOMPARE(pis, 6);
        const int lifespan = h.gs().chara[1].lifespan;
        h.click(r.next_b);
        QVERIFY(h.shows(ScreenId::travel));
        QVERIFY(!h.shows(ScreenId::result));
        QCOMPARE(h.gs().chara[1].lifespan, lifespan - 1);
        QCOMPARE(h.gs().chara[1].hp, 500);  // the roster is healed

        // The next battle starts clean: the last one's message, technique texts and target
        // squares are gone.
        h.random_battle_from_travel(3, 62);
        QCOMPARE(s.moji_l->text(), QStringLiteral("ルミナリアの攻撃"));
        QVERIFY(s.magic_about_l->text().isEmpty() && s.magic_about_l2->text().isEmpty());
        QVERIFY(!h.visible(s.menu4) && !h.visible(s.item_box));
        for (const Marker& m : h.model().widgets().markers) QCOMPARE(m.left, kOffBoardLeft);
        QCOMPARE(h.model().hover_slot, 0);
    }

    void storyBattleContinuesIntoItsSceneAtTheFirstEntry() {
        Harness h("story");
        h.new_game();
        h.gs().stage_enemies = {};
        h.gs().stage_enemies[0] = {"試しの影", "", "", "", 0, 0, 1, ""};
        auto* boss = h.screen().findChild<QPushButton*>("BitBtn3");  // "ボス戦"
        QVERIFY(boss);
        boss->click();
        h.wait_for_turn();
        h.screen().Button21->click();  // "敵全滅"
        QVERIFY(h.shows(ScreenId::result));
        ResultDialog& r = h.result();
        QCOMPARE(r.next_b->text(), QStringLiteral("NEXT MISSION"));
        QTest::mouseClick(r.clear_l4, Qt::LeftButton);  // the MVP line takes the click too
        QTRY_VERIFY_WITH_TIMEOUT(r.next_b->isEnabled(), 1000);
        h.gs().script_pos = 37;
        // By keys: the button has them once it is enabled; Tab keeps them there, Space presses.
        QTRY_COMPARE_WITH_TIMEOUT(focused(&r), r.next_b, 1000);
        press(&r, Qt::Key_Tab);
        QCOMPARE(focused(&r), r.next_b);
        press(&r, Qt::Key_Space);
        QVERIFY(h.shows(ScreenId::story));
        QCOMPARE(int(h.gs().script_pos), 0);
        QCOMPARE(h.gs().char_pos, 0);
    }

    void flightAnsweredNoThenYes() {
        Harness h("flee");
        h.new_game();
        h.gs().money = 1004;
        h.gs().ark = 9;
        h.random_battle_from_travel(0, 50);
        h.wait_for_turn();
        BattleScreen& s = h.screen();
        h.click(s.idou_b);
        h.dialogs->answers = {false, true};
        h.click(s.nigeru_b);
        QCOMPARE(h.gs().money, 1004);
        QVERIFY(h.shows(ScreenId::battle));
        QVERIFY(h.visible(s.menu1));
        h.click(s.nigeru_b);
        QCOMPARE(h.gs().money, 804);
        QCOMPARE(h.gs().ark, 8);
        QCOMPARE(h.dialogs->log.back(),
                 std::string("inform:ルミナリア達は逃亡した\rお金200円と\rＡｒｋ1Ａを消費した。"));
        QVERIFY(h.shows(ScreenId::travel));
        QVERIFY(!s.Timer4->isActive() && !s.Timer3->isActive());

        // A story battle next: while its enemy speaks, no panel of the fled battle shows or
        // answers, the clock stands still and the portrait is the plain one.
        s.TrackBar1->setValue(1);
        h.gs().stage_enemies = {};
        h.gs().stage_enemies[0] = {"試しの影", "", "", "", 0, 0, 1, "ここは通さぬ"};
        h.app->battle_model().start(BattleKind::story);
        QVERIFY(h.shows(ScreenId::battle));
        QCOMPARE(s.moji_l2->text(), QStringLiteral("ここは通さぬ"));
        QVERIFY(s.moji_l2->isVisibleTo(&s));
        QVERIFY(!h.visible(s.menu0) && !h.visible(s.menu1));
        QVERIFY(s.moji_l->text().isEmpty());
        QVERIFY(!s.Timer4->isActive() && !s.Timer3->isActive());
        QVERIFY(s.SpeechTimer->isActive());
        QTRY_VERIFY(s.status_panel->portrait_file().endsWith("/my0.bmp"));
        QTest::keyClick(&s, Qt::Key_6);  // 待機
        QTest::keyClick(&s, Qt::Key_1);  // 移動
        QCOMPARE(h.gs().player_phase, 0);
        QVERIFY(!h.visible(s.menu0) && !h.visible(s.menu1));
        // The first turn is the hero's, and stays open through the party driver's ticks.
        h.wait_for_turn();
        QVERIFY(!s.moji_l2->isVisibleTo(&s));
        QCOMPARE(int(h.gs().cur_unit), 1);
        QCOMPARE(s.moji_l->text(), QStringLiteral("ルミナリアの攻撃"));
        QTRY_VERIFY(s.status_panel->portrait_file().endsWith("/my1.bmp"));
        QTest::qWait(3 * 312);  // a lost turn would have passed to the enemy by now
        QVERIFY(h.visible(s.menu0));
        QCOMPARE(int(h.gs().cur_unit), 1);
    }

    void warpClickRefusesAnOccupiedSquareThenTakesAFreeOne() {
        Harness h("warp");
        h.new_game();
        h.random_battle_from_travel(2, 50);
        h.wait_for_turn();
        GameState& gs = h.gs();
        BattleModel& m = h.model();
        // As 飛法's fourth technique leaves it: menus hidden, the turn waiting for the map.
        gs.skill_family = 14;
        gs.skill_slot = 4;
        m.widgets().warp_click_armed = true;
        m.widgets().menu0 = false;
        h.screen().refresh();
        BoardView* board = h.screen().map_cg;
        QTest::mouseClick(board, Qt::LeftButton, {}, QPoint(2 * 64 + 30, 30));
        QCOMPARE(h.dialogs->log.back(), std::string("inform:そこには移動できません"));
        QVERIFY(m.widgets().warp_click_armed);
        QTest::mouseClick(board, Qt::LeftButton, {}, QPoint(1 * 64 + 30, 3 * 64 + 30));
        QVERIFY(!m.widgets().warp_click_armed);
        QCOMPARE(int(gs.chara[1].x), 1);
        QCOMPARE(int(gs.chara[1].y), 3);
        QCOMPARE(h.screen().moji_l->text(), QStringLiteral("ルミナリアはワープした"));
        QCOMPARE(gs.player_phase, 2);
    }

    void overlayFloatsTheAmountFramesTheActorAndShowsTheTurns() {
        Harness h("overlay");
        h.new_game();
        h.random_battle_from_travel(4, 62);
        h.wait_for_turn();
        BattleScreen& s = h.screen();
        const QColor damage(255, 92, 60), acting(120, 230, 255);
        const QRect board(0, 0, 448, 320);
        QImage shot = s.map_cg->grab().toImage();
        QCOMPARE(count_near(shot, board, damage, 0), 0);  // the map holds no such colour
        // The hero's square (5, 0) wears the acting frame's corners; the strip opens with it.
        QCOMPARE(shot.pixelColor(5 * 64 + 8, 2), acting);
        QImage strip = s.turn_strip->grab().toImage();
        QCOMPARE(strip.pixelColor(1, 10), acting);
        QCOMPARE(strip.pixelColor(40, 3), QColor(34, 52, 104));  // a party member's turn

        // 正拳突き on the enemy in front: 30 rises from its square in the damage colour, over
        // the HP label, and the label stays readable (white on its dark ground) under the tint.
        h.use_technique(1, 1);
        QCOMPARE(h.gs().chara[11].hp, 32);
        shot = s.map_cg->grab().toImage();
        const QRect number(4 * 64, 10, 64, 44);
        QVERIFY(count_near(shot, number, damage, 0) >= 20);
        QCOMPARE(count_near(shot, board, damage, 0), count_near(shot, number, damage, 0));
        QVERIFY(count_near(shot, QRect(4 * 64 + 10, 53, 40, 13), Qt::white, 10) >= 5);
        shot.save(QString::fromStdString((artifacts() / "battle_overlay_board.png").string()));
        // The number rises, fades and is gone in about a second at this tempo.
        QTRY_VERIFY_WITH_TIMEOUT(!h.model().overlay().animating(), 3000);
        QCOMPARE(count_near(s.map_cg->grab().toImage(), board, damage, 0), 0);

        // Off in the settings: the next blow shows no number.
        h.gs().battle_effects = false;
        h.wait_for_turn();
        h.use_technique(1, 1);
        QCOMPARE(h.gs().chara[11].hp, 2);
        QTest::qWait(60);
        QCOMPARE(count_near(s.map_cg->grab().toImage(), board, damage, 0), 0);
    }

    void pointerSelectsAndHighlightsAUnit() {
        Harness h("hover");
        h.new_game();
        h.random_battle_from_travel(1, 50);
        h.wait_for_turn();
        const std::string name = h.gs().chara[11].name;
        QTest::mouseMove(h.screen().map_cg, QPoint(1 * 64 + 30, 30));
        QCOMPARE(int(h.gs().sel_unit), 11);
        QCOMPARE(h.model().hover_slot, 11);
        QTRY_COMPARE_WITH_TIMEOUT(h.screen().status_panel->state_l1->text(),
                                  QString::fromStdString(name), 500);
        QImage shot = h.screen().map_cg->grab().toImage();
        QCOMPARE(shot.pixelColor(64 + 2, 2), QColor(255, 255, 120));  // the highlight frame
        // The pointer leaving the window from the board takes the frame along.
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(h.screen().map_cg, &leave);
        QCOMPARE(h.model().hover_slot, 0);
        QVERIFY(h.screen().map_cg->grab().toImage().pixelColor(64 + 2, 2) != QColor(255, 255, 120));
        QTest::mouseMove(h.screen().map_cg, QPoint(1 * 64 + 20, 20));
        QCOMPARE(h.model().hover_slot, 11);
        QTest::mouseMove(h.screen().map_cg, QPoint(3 * 64 + 30, 4 * 64 + 30));
        QCOMPARE(int(h.gs().sel_unit), 1);
        QCOMPARE(h.model().hover_slot, 0);
    }

    // The log over the board: L and 「ログ」 open it on the newest message with the keyboard on
    // its list; L, Esc and a click outside close it; the clock waits meanwhile.
    // The scale changed in the middle of a turn, whole and fractional: the board, the turn, the
    // panel and the keys stay as they were, and the clock goes on.
    void scaleChangedMidBattleKeepsTheBattleGoing() {
        Harness h("scale");
        h.new_game();
        h.random_battle_from_travel(4, 62);
        h.wait_for_turn();
        BattleScreen& s = h.screen();
        MainWindow& win = h.app->window();
        auto snapshot = [&] {
            const GameState& g = h.gs();
            return std::vector<int>{g.chara[1].hp, g.chara[1].x,      g.chara[11].hp,
                                    g.chara[11].x, int(g.cur_unit),   g.player_phase,
                                    g.enemy_phase, h.visible(s.menu0)};
        };
        const auto before = snapshot();
        QWidget* focus = focused(&s);
        PlayerSettings z = h.app->settings();
        z.zoom = 2;
        h.app->apply_settings(z);
        QCOMPARE(win.scale(), 2.0);
        QCOMPARE(snapshot(), before);
        QCOMPARE(focused(&s), focus);
        z.fit_window = true;
        h.app->apply_settings(z);
        win.resize_device(QSize(1100, 640));
        QTRY_COMPARE(win.scale(), 640.0 / 493);
        QCOMPARE(snapshot(), before);
        QCOMPARE(focused(&s), focus);
        QCOMPARE(s.map_cg->size(), QSize(448, 320));  // the board keeps its game pixels

        // Pictures at this scale: sharp shows only the portrait's own colours, smooth blends.
        auto blended = [&] {
            QSet<QRgb> own;
            const QImage source = s.status_panel->portrait()->pixmap().toImage();
            for (int y = 0; y < source.height(); ++y)
                for (int x = 0; x < source.width(); ++x) own.insert(source.pixel(x, y) & 0xffffff);
            const QImage shown = s.status_panel->portrait()->grab().toImage();
            int n = 0;
            for (int y = 0; y < shown.height(); ++y)
                for (int x = 0; x < shown.width(); ++x)
                    n += !own.contains(shown.pixel(x, y) & 0xffffff);
            return n;
        };
        QCOMPARE(blended(), 0);
        z.smooth_scaling = true;
        h.app->apply_settings(z);
        QVERIFY(blended() > 1000);
        z.smooth_scaling = false;
        h.app->apply_settings(z);

        // 正拳突き lands as at scale 1, and the turns come round again.
        h.use_technique(1, 1);
        QCOMPARE(h.gs().chara[11].hp, 32);
        h.wait_for_turn();
        QCOMPARE(win.scale(), 640.0 / 493);
    }

    void logOpensOverTheBoardAndTheClockWaits() {
        Harness h("log");
        h.new_game();
        BattleScreen& s = h.screen();
        BattleLogView& v = *s.log_view;
        s.TrackBar1->setValue(1);
        h.random_battle_from_travel(0, 50);
        h.wait_for_turn();
        press(&s, Qt::Key_6);  // 待機
        QCOMPARE(s.moji_l->text(), QStringLiteral("ルミナリアは待機した"));
        press(&s, Qt::Key_L);
        QVERIFY(v.isVisible());
        QCOMPARE(focused(&s), v.log_list);
        QCOMPARE(v.log_list->count(), 2);
        QCOMPARE(v.log_list->item(0)->text(), QStringLiteral("ルミナリアの攻撃"));
        QCOMPARE(v.log_list->currentRow(), 1);
        const int phase = h.gs().player_phase;
        QTest::qWait(3 * 312);
        QCOMPARE(h.gs().player_phase, phase);
        QCOMPARE(s.moji_l->text(), QStringLiteral("ルミナリアは待機した"));
        press(&s, Qt::Key_1);  // no command under the log
        QVERIFY(!h.visible(s.menu1));
        press(&s, Qt::Key_Tab);
        QCOMPARE(focused(&s), v.close_b);
        press(&s, Qt::Key_L);
        QVERIFY(!v.isVisible());
        h.wait_for_turn();
        QCOMPARE(focused(&s), s.idou_b);

        QTest::mouseClick(s.log_b, Qt::LeftButton);
        QVERIFY(v.isVisible());
        QTest::mouseClick(v.log_list->viewport(), Qt::LeftButton);  // inside: stays open
        QVERIFY(v.isVisible());
        QTest::mouseClick(&v, Qt::LeftButton, {}, QPoint(600, 420));
        QVERIFY(!v.isVisible());
        press(&s, Qt::Key_L);
        QVERIFY(v.isVisible());
        press(&s, Qt::Key_Escape);
        QVERIFY(!v.isVisible());
        QVERIFY(h.visible(s.menu0));  // Esc closed the log, not the turn's panel

        // Two rows for a two-line message, each whole.
        h.model().context().say("ルミナリアは待機した\r哀古が1上がった");
        s.refresh();
        QCOMPARE(s.moji_l->font().pixelSize(), MessageLine::kLargestPx);
        QVERIFY(s.moji_l->contentsRect().height() >= 2 * s.moji_l->fontMetrics().lineSpacing());
    }

    void keysAndSpaceFastForward() {
        Harness h("keys");
        h.new_game();
        BattleScreen& s = h.screen();
        s.TrackBar1->setValue(9);
        h.random_battle_from_travel(0, 50);
        h.wait_for_turn();
        QTest::keyClick(&s, Qt::Key_1);
        QVERIFY(h.visible(s.menu1));
        QTest::keyClick(&s, Qt::Key_Escape);
        QVERIFY(!h.visible(s.menu1));
        QTest::keyClick(&s, Qt::Key_2);
        QVERIFY(h.visible(s.menu2));
        QTest::keyClick(&s, Qt::Key_Escape);
        QVERIFY(!h.visible(s.menu2));

        QTest::keyPress(&s, Qt::Key_Space);
        QCOMPARE(s.Timer4->interval(), 312);
        QTest::keyRelease(&s, Qt::Key_Space);
        QTest::keyClick(&s, Qt::Key_1);
        QTest::keyClick(&s, Qt::Key_Left);
        QCOMPARE(int(h.gs().chara[1].x), 4);
        // Held through the enemies' half: both drivers at the fast end.
        QTest::keyPress(&s, Qt::Key_Space);
        QTRY_VERIFY_WITH_TIMEOUT(h.gs().cur_unit >= 10, 3000);
        QCOMPARE(s.Timer3->interval(), 468);
        QCOMPARE(s.Timer4->interval(), 312);
        h.wait_for_turn();  // the stone enemy's half went by at the fast end
        QTest::keyRelease(&s, Qt::Key_Space);
        QCOMPARE(s.Timer4->interval(), 728);
        QCOMPARE(s.Timer3->interval(), 1092);
    }

    // A whole battle with the hands on the keyboard: each panel opens on its first control,
    // arrows and Tab only move the focus, Enter presses, Esc goes back to the control that
    // opened the panel, and the result dialog continues on Enter.
    void skillsItemsAndResultByKeysAlone() {
        Harness h("keys_alone");
        h.new_game();
        BattleScreen& s = h.screen();
        s.TrackBar1->setValue(9);
        h.random_battle_from_travel(3, 62);
        h.wait_for_turn();
        QTRY_COMPARE(focused(&s), s.idou_b);

        // Movement: on 「cancel」, Tab walks the panel's usable buttons (逃亡 last, ワープ not
        // open at this speed), and the arrows still step.
        press(&s, Qt::Key_Return);
        QVERIFY(h.visible(s.menu1));
        QCOMPARE(focused(&s), s.Button4);
        press(&s, Qt::Key_Tab);
        QCOMPARE(focused(&s), s.step_buttons[int(StepButton::mae)]);  // ↑ is shut on row 0
        press(&s, Qt::Key_Backtab);
        press(&s, Qt::Key_Backtab);
        QCOMPARE(focused(&s), s.nigeru_b);
        QVERIFY(h.visible(s.menu1));
        press(&s, Qt::Key_Tab);
        QCOMPARE(focused(&s), s.Button4);
        press(&s, Qt::Key_Left);
        QCOMPARE(int(h.gs().chara[1].x), 4);
        h.wait_for_turn();
        QTRY_COMPARE(focused(&s), s.idou_b);

        // Focus alone opens nothing; Enter on 通常技 opens the families on the first.
        press(&s, Qt::Key_Down);
        QCOMPARE(focused(&s), s.usu_b);
        QVERIFY(!h.visible(s.menu2));
        press(&s, Qt::Key_Up);
        press(&s, Qt::Key_Up);  // wraps past the first command
        QCOMPARE(focused(&s), s.Button3);
        QVERIFY(h.visible(s.menu0) && !h.visible(s.menu1));
        press(&s, Qt::Key_Down);
        press(&s, Qt::Key_Down);
        press(&s, Qt::Key_Return);
        QVERIFY(h.visible(s.menu2));
        QCOMPARE(focused(&s), s.family_buttons[1]);
        QVERIFY(!h.visible(s.menu4));
        press(&s, Qt::Key_Tab);  // to the commands and back
        QCOMPARE(focused(&s), s.idou_b);
        press(&s, Qt::Key_Backtab);
        QCOMPARE(focused(&s), s.family_buttons[1]);

        // The techniques open on the first, and the one the keys reach is previewed.
        press(&s, Qt::Key_Return);
        QVERIFY(h.visible(s.menu4));
        QCOMPARE(focused(&s), s.technique_buttons[1]);
        press(&s, Qt::Key_Down);
        QCOMPARE(focused(&s), s.technique_buttons[2]);
        QCOMPARE(
            s.magic_about_l->text(),
            QStringLiteral("哀古力：") + QString::fromStdString(h.gs().skill_table[1][2].text1));
        QCOMPARE(h.gs().chara[11].hp, 62);
        press(&s, Qt::Key_Escape);
        QVERIFY(!h.visible(s.menu4) && h.visible(s.menu2));
        QCOMPARE(focused(&s), s.family_buttons[1]);
        QVERIFY(s.magic_about_l->text().isEmpty());
        press(&s, Qt::Key_Escape);
        QVERIFY(!h.visible(s.menu2));
        QCOMPARE(focused(&s), s.usu_b);

        // Space from a focused command fast-forwards and presses nothing.
        QTest::keyPress(focused(&s), Qt::Key_Space);
        QCOMPARE(s.Timer4->interval(), 312);
        QTest::keyRelease(focused(&s), Qt::Key_Space);
        QCOMPARE(s.Timer4->interval(), 728);
        QVERIFY(!h.visible(s.menu2));

        // 正拳突き by Enter: 体力 30 + 哀古 1 / 3.
        press(&s, Qt::Key_Return);
        press(&s, Qt::Key_Return);
        h.gs().rng.script({0});  // no 1-in-30 failure
        press(&s, Qt::Key_Return);
        QCOMPARE(h.gs().chara[11].hp, 32);
        h.wait_for_turn();

        // The item box by keys: the list takes the focus, a row is chosen by moving onto it,
        // and Tab reaches 「アイテム使用」.
        h.gs().chara[1].hp = 470;
        press(&s, Qt::Key_5);
        QVERIFY(h.visible(s.item_box));
        QCOMPARE(focused(&s), static_cast<QWidget*>(s.item_list));
        QVERIFY(s.item_about->text().isEmpty());
        press(&s, Qt::Key_Down);
        QCOMPARE(s.item_about->text(), QStringLiteral("ひとりのＨｐを回復する。"));
        press(&s, Qt::Key_Tab);
        QCOMPARE(focused(&s), s.item_use);
        press(&s, Qt::Key_Return);
        QCOMPARE(h.gs().chara[1].hp, 490);
        h.wait_for_turn();

        // 特殊技 with nothing learned: the keys stay on the commands, Esc comes back to it.
        press(&s, Qt::Key_3);
        QVERIFY(h.visible(s.menu3) && h.visible(s.Label3));
        QCOMPARE(focused(&s), s.idou_b);
        press(&s, Qt::Key_Escape);
        QVERIFY(!h.visible(s.menu3));
        QCOMPARE(focused(&s), s.spa_b);

        // 崩拳 ends it: 30 + 2 x 1. A number key works from a focused button too.
        press(&s, Qt::Key_2);
        QCOMPARE(focused(&s), s.family_buttons[1]);
        press(&s, Qt::Key_Return);
        press(&s, Qt::Key_Up);  // wraps to the fourth
        QCOMPARE(focused(&s), s.technique_buttons[4]);
        h.gs().rng.script({0});  // no 1-in-30 failure
        press(&s, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(h.shows(ScreenId::result), 8000);

        // The result: Enter brings the lines out as a click does, then presses 「RETURN」.
        ResultDialog& r = h.result();
        QVERIFY(!r.next_b->isEnabled());
        press(&r, Qt::Key_Return);
        QCOMPARE(r.Timer1->interval(), 10);
        QVERIFY(h.shows(ScreenId::result));
        QTRY_COMPARE_WITH_TIMEOUT(focused(&r), r.next_b, 1000);
        press(&r, Qt::Key_Return);
        QVERIFY(h.shows(ScreenId::travel));
        QVERIFY(!h.shows(ScreenId::result));
    }

    void sliderPositionIsRememberedBetweenRuns() {
        // The speed goes with the player's settings: a second run over the same settings file
        // starts at the tempo the first one left.
        const fs::path ini =
            fs::temp_directory_path() / ("lum_slider_" + std::to_string(::getpid()) + ".ini");
        fs::remove(ini);
        auto options = [&](const fs::path& dir, std::vector<std::string>& sounds,
                           FakeDialogs*& dialogs) {
            App::Options o = fake_port_options(dir, sounds, dialogs);
            auto store = std::make_unique<QtSettingsStore>(QString::fromStdString(ini.string()));
            o.settings = load_settings(*store, [](const std::string&) { return true; }).values;
            o.settings_store = std::move(store);
            return o;
        };
        fs::path dir = make_game_dir("slider");
        {
            std::vector<std::string> sounds;
            FakeDialogs* dialogs = nullptr;
            App first(options(dir, sounds, dialogs));
            QVERIFY(first.start());
            QCOMPARE(first.state().speed_ms, 500);  // nothing remembered yet
            first.battle_screen().TrackBar1->setValue(2);
            QCOMPARE(first.state().speed_ms, 364);
            QVERIFY(first.window().close());
        }
        std::vector<std::string> sounds;
        FakeDialogs* dialogs = nullptr;
        App again(options(dir, sounds, dialogs));
        QVERIFY(again.start());
        QCOMPARE(again.state().speed_ms, 364);
        QCOMPARE(again.battle_screen().TrackBar1->value(), 2);
        fs::remove(ini);
    }

    void screenshotsOfThePanels() {
        Harness h("shots");
        h.new_game();
        BattleScreen& s = h.screen();
        h.random_battle_from_travel(2, 500);
        h.wait_for_turn();
        const fs::path out = artifacts();

        QImage menu = s.grab().toImage();
        menu.save(QString::fromStdString((out / "battle_command_menu.png").string()));
        QCOMPARE(menu.size(), QSize(725, 493));
        // 移動 has the keys: the game's gold frame around a lighter face.
        QCOMPARE(menu.pixelColor(452 + 8, 20 + 4), QColor(0x4a, 0x42, 0x74));
        QCOMPARE(menu.pixelColor(452 + 5, 20 + 14), QColor(0xff, 0xd8, 0x60));
        QCOMPARE(menu.pixelColor(452 + 5, 20 + 32 + 14), QColor(0x2a, 0x2f, 0x5c));     // 通常技
        QCOMPARE(menu.pixelColor(452 + 8, 20 + 5 * 32 + 4), QColor(0x2a, 0x2f, 0x5c));  // 待機
        // The acting hero stands opaque on its square: its picture's own background shows.
        const QImage hero(QString::fromStdString((h.dir / "cg" / "char0.bmp").string()));
        const QColor key = hero.pixelColor(0, hero.height() - 1);
        QVERIFY(count_near(menu, QRect(1 + 5 * 64, 1, 64, 62), key, 4) > 200);

        h.click(s.idou_b);
        QImage move = s.grab().toImage();
        move.save(QString::fromStdString((out / "battle_movement_panel.png").string()));
        QCOMPARE(move.pixelColor(452 + 170, 50), QColor(0x12, 0x14, 0x2c));  // menu1 over all
        QCOMPARE(move.pixelColor(452 + 4 + 2 * 34 + 3, 62 + 3), QColor(0x1e, 0x20, 0x36));  // ↑ off
        QCOMPARE(move.pixelColor(452 + 4 + 1 * 34 + 3, 62 + 36 + 3),
                 QColor(0x2a, 0x2f, 0x5c));  // ←
        h.click(s.Button4);

        h.click(s.usu_b);
        h.click(s.family_buttons[1]);
        // Opened by the mouse: the first technique has the keys but shows nothing (and draws
        // nothing) until it is pointed at.
        QCOMPARE(focused(&s), s.technique_buttons[1]);
        QVERIFY(s.magic_about_l->text().isEmpty());
        QTest::mouseMove(s.technique_buttons[1], QPoint(20, 8));
        QImage tech = s.grab().toImage();
        tech.save(QString::fromStdString((out / "battle_technique_panel.png").string()));
        // 正拳突き marks the square in front of the hero (4, 0) with a hatched square.
        QVERIFY(count_near(tech, QRect(1 + 4 * 64, 1, 64, 64), QColor(255, 64, 32), 30) > 200);
        QVERIFY(count_near(tech, QRect(1 + 3 * 64, 1, 64, 64), QColor(255, 64, 32), 30) < 20);
        QVERIFY(!s.magic_about_l->text().isEmpty());
        QVERIFY(s.magic_about_l2->text().startsWith(QStringLiteral(">-mp0\n◆")));

        // The preview goes with Esc, and with the pointer leaving the button for the board.
        const QRect front(1 + 4 * 64, 1, 64, 64);
        QTest::keyClick(&s, Qt::Key_Escape);
        QVERIFY(!h.visible(s.menu4));
        QVERIFY(count_near(s.grab().toImage(), front, QColor(255, 64, 32), 30) < 20);
        QVERIFY(s.magic_about_l->text().isEmpty());
        h.click(s.family_buttons[1]);
        QTest::mouseMove(s.technique_buttons[1], QPoint(20, 8));
        QVERIFY(count_near(s.grab().toImage(), front, QColor(255, 64, 32), 30) > 200);
        QTest::mouseMove(s.map_cg, QPoint(2 * 64 + 30, 4 * 64 + 30));
        QVERIFY(count_near(s.grab().toImage(), front, QColor(255, 64, 32), 30) < 20);

        h.screen().Button21->click();  // "敵全滅"
        QVERIFY(h.shows(ScreenId::result));
        ResultDialog& r = h.result();
        QTest::mouseClick(&r, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(r.next_b->isEnabled(), 1000);
        QImage res = r.grab().toImage();
        res.save(QString::fromStdString((out / "battle_result_dialog.png").string()));
        QCOMPARE(res.size(), QSize(470, 256));
        QVERIFY(count_near(res, QRect(40, 12, 300, 44), QColor(0xff, 0xd8, 0x60), 40) > 100);
        QCOMPARE(res.pixelColor(1, 100), QColor(201, 178, 124));  // the frame
    }

    void missingPicturesShowPlaceholdersAndTheBattleGoesOn() {
        Harness h("missing");
        h.new_game();
        fs::remove(h.dir / "cg" / "char0.bmp");
        fs::remove(h.dir / "cg" / "unit0.bmp");
        fs::remove(h.dir / "cg" / "unit1.bmp");
        fs::remove(h.dir / "cg" / "my1.bmp");
        h.random_battle_from_travel(1, 50);
        h.wait_for_turn();
        QImage shot = h.screen().map_cg->grab().toImage();
        // The placeholder: a grey square with a light frame, where the picture would be.
        QCOMPARE(shot.pixelColor(5 * 64 + 10, 10), QColor(70, 70, 80));
        h.click(h.screen().idou_b);
        QVERIFY(h.visible(h.screen().menu1));
    }
};

QTEST_MAIN(BattleScreenTest)
#include "battle_screen_test.moc"
