// The shell's flows on the offscreen platform: start, the title box, the switches and closing.

#include <QPushButton>
#include <QtTest>
#include <fstream>

#include "battle/battle_model.h"
#include "battle/battle_screen.h"
#include "battle/result_dialog.h"
#include "shell/app.h"
#include "shell/main_window.h"
#include "shell/router.h"
#include "shell/shell_model.h"
#include "shell/title_box.h"
#include "state/cp932.h"
#include "story/story_model.h"
#include "story/story_screen.h"
#include "support/virtual_pad.h"
#include "travel/travel_screen.h"
#include "ui/guide_view.h"
#include "ui/pad_keys.h"
#include "ui/screen_page.h"
#include "ui/settings_dialog.h"
#include "ui_support.h"

using namespace lum;
using namespace lum::test;
namespace fs = std::filesystem;

namespace {

struct Harness {
    explicit Harness(const fs::path& dir) {
        App::Options o;
        o.game_dir = dir;
        auto d = std::make_unique<FakeDialogs>();
        d->default_answer = false;
        dialogs = d.get();
        o.dialogs = std::move(d);
        o.sound = std::make_unique<RecordingSound>(sounds);
        app = std::make_unique<App>(std::move(o));
    }
    TitleBox& title() { return app->start_box(); }
    // Started with every screen made and the window active for keys.
    bool start_active() {
        if (!app->start()) return false;
        app->finish_start();
        app->window().activateWindow();
        return QTest::qWaitForWindowActive(&app->window());
    }
    QString window_title() { return app->window().windowTitle(); }
    bool shows(ScreenId id) { return app->router().visible(id); }
    int visible_count() {
        int n = 0;
        for (auto id : {ScreenId::battle, ScreenId::result, ScreenId::travel, ScreenId::story})
            n += shows(id);
        return n;
    }

    std::vector<std::string> sounds;
    FakeDialogs* dialogs = nullptr;
    std::unique_ptr<App> app;
};

void set_clear_mark_100(GameState& gs) {
    gs.clear_mark = 100;
}
void set_stage_3(GameState& gs) {
    gs.stage_no = 3;
    gs.money = 4321;
}

}  // namespace

class ShellTest : public QObject {
    Q_OBJECT
  private slots:
    void cleanupTestCase() { remove_game_dirs(); }

    void startShowsTheTitleBox() {
        Harness h(make_game_dir("start"));
        QVERIFY(h.app->start());
        QCOMPARE(h.window_title(), QStringLiteral("【ルミナリア】 ver1.2"));
        QVERIFY(h.shows(ScreenId::battle));
        QCOMPARE(h.visible_count(), 1);
        QVERIFY(h.title().isVisible());
        QVERIFY(!h.title().ed_b1->isVisibleTo(&h.title()));
        QVERIFY(!h.title().ed_b2->isVisibleTo(&h.title()));
        QCOMPARE(h.app->window().size(), QSize(725, 493));
        QCOMPARE(h.sounds, std::vector<std::string>{"music:spacial.mid"});
        QVERIFY(!h.app->state().save_on_close);
        QCOMPARE(h.app->state().clear_mark, 0);
        QCOMPARE(h.app->state().money, 500);
        // The developer buttons sit outside the visible client area.
        QVERIFY(h.app->battle_screen().BitBtn2->x() >= 725);
    }

    // The first paint waits for nothing beneath the title: it lies on a bare page of the
    // battle screen's size and caption, and the battle screen takes that page's place after
    // the paint, with the title and its keys as they were.
    void theBattleScreenComesUnderTheTitleAfterTheFirstPaint() {
        Harness h(make_game_dir("under"));
        QVERIFY(h.app->start());
        ScreenPage* bare = h.app->router().page(ScreenId::battle);
        QVERIFY(!qobject_cast<BattleScreen*>(bare));
        QCOMPARE(h.title().parentWidget(), bare);
        QCOMPARE(h.app->window().focusWidget(), h.title().Button2);
        QVERIFY(h.title().accessibleName().isEmpty());
        h.app->finish_start();
        BattleScreen* battle = &h.app->battle_screen();
        QCOMPARE(h.app->router().page(ScreenId::battle), battle);
        QCOMPARE(h.title().parentWidget(), battle);
        QCOMPARE(h.title().geometry(), QRect(0, 0, 725, 493));
        QVERIFY(h.title().isVisible());
        QVERIFY(h.shows(ScreenId::battle));
        QCOMPARE(h.visible_count(), 1);
        QCOMPARE(h.window_title(), QStringLiteral("【ルミナリア】 ver1.2"));
        QCOMPARE(h.app->window().focusWidget(), h.title().Button2);
        QCOMPARE(h.title().accessibleName(), QStringLiteral("スターター"));
    }

    // A plain start paints the title before the save is read. The load follows the first
    // paint: the ending buttons of a cleared save, the title music and `after_load` come with
    // it. A window closed before it writes nothing, and a data fault found by it is told.
    void theTitlePaintsBeforeTheSaveIsRead() {
        fs::path dir = make_game_dir("deferred", set_clear_mark_100);
        const std::string before = file_bytes(dir / "dat" / "my.dat");
        {
            Harness h(dir);
            int loads = 0;
            h.app->after_load = [&] { ++loads; };
            QVERIFY(h.app->start(App::Load::after_first_paint));
            QVERIFY(h.title().isVisible());
            QVERIFY(!h.title().ed_b1->isVisibleTo(&h.title()));
            QVERIFY(h.sounds.empty());
            QCOMPARE(h.app->window().focusWidget(), h.title().Button2);
            QTRY_COMPARE(loads, 1);
            QVERIFY(h.title().ed_b1->isVisibleTo(&h.title()));
            QVERIFY(h.title().ed_b2->isVisibleTo(&h.title()));
            QCOMPARE(h.app->state().clear_mark, 100);
            QCOMPARE(h.sounds, std::vector<std::string>{"music:spacial.mid"});
            QVERIFY(qobject_cast<BattleScreen*>(h.app->router().page(ScreenId::battle)));
            QVERIFY(!h.app->state().save_on_close);
        }
        {
            Harness h(dir);
            QVERIFY(h.app->start(App::Load::after_first_paint));
            QVERIFY(h.app->window().close());
            QCOMPARE(file_bytes(dir / "dat" / "my.dat"), before);
        }
        std::ofstream(dir / "dat" / "job.dat", std::ios::binary) << "x\r\ny\r\n\r\n\r\nabc\r\n";
        Harness h(dir);
        bool failed = false;
        h.app->load_failed = [&] { failed = true; };
        QVERIFY(h.app->start(App::Load::after_first_paint));
        QTRY_VERIFY(failed);
        QCOMPARE(h.dialogs->log.size(), size_t(1));
        QCOMPARE(QString::fromStdString(h.dialogs->log[0]),
                 QStringLiteral("inform:ゲームのデータを読み込めませんでした。\r") +
                     QString::fromStdString((dir / "dat" / "job.dat").string()) +
                     QStringLiteral(": line 5: \"abc\" is not a number"));
        QVERIFY(!qobject_cast<BattleScreen*>(h.app->router().page(ScreenId::battle)));
        QCOMPARE(file_bytes(dir / "dat" / "my.dat"), before);
    }

    void endingButtonsShowOnlyAtClearMark100() {
        Harness h(make_game_dir("clear", set_clear_mark_100));
        QVERIFY(h.app->start());
        QVERIFY(h.title().ed_b1->isVisibleTo(&h.title()));
        QVERIFY(h.title().ed_b2->isVisibleTo(&h.title()));
    }

    void answeringNoLeavesEverythingUntouched() {
        fs::path dir = make_game_dir("no");
        Harness h(dir);
        QVERIFY(h.app->start());
        std::string before = file_bytes(dir / "dat" / "my.dat");
        h.dialogs->answers = {false};
        h.title().Button1->click();
        QCOMPARE(h.dialogs->log.size(), size_t(1));
        QCOMPARE(QString::fromStdString(h.dialogs->log[0]),
                 QStringLiteral("ask:「最初からする」を選択するとこれまでのデータは初期化されます\r"
                                "新しいデータで最初からプレーしますか？"));
        QVERIFY(h.title().isVisible());
        QVERIFY(h.shows(ScreenId::battle));
        QCOMPARE(h.app->state().money, 500);
        QVERIFY(!h.app->state().save_on_close);
        // Closing from the title box does not write the save.
        QVERIFY(h.app->window().close());
        QCOMPARE(file_bytes(dir / "dat" / "my.dat"), before);
    }

    void newGameGoesToTravelAndClosingSaves() {
        fs::path dir = make_game_dir("new");
        Harness h(dir);
        QVERIFY(h.app->start());
        h.dialogs->answers = {true};
        h.title().Button1->click();
        GameState& gs = h.app->state();
        QVERIFY(h.shows(ScreenId::travel));
        QCOMPARE(h.visible_count(), 1);
        QCOMPARE(h.window_title(), QStringLiteral("ＴＲＡＶＥＬ ＭＯＤＥ"));
        QVERIFY(!h.title().isVisibleTo(&h.app->battle_screen()));
        QCOMPARE(gs.money, 1000);
        QCOMPARE(gs.item_owned[1], 1);
        QCOMPARE(gs.item_owned[47], 1);
        QVERIFY(gs.save_on_close);
        QCOMPARE(h.sounds.back(), std::string("ok"));
        QCOMPARE(QString::fromStdString(gs.script[0].arg), QStringLiteral("はじまり"));
        // The 722-pixel travel screen shows centred in the 725-pixel window.
        QCOMPARE(h.app->router().page(ScreenId::travel)->pos(), QPoint(1, 0));

        QVERIFY(h.app->window().close());
        std::string saved = file_bytes(dir / "dat" / "my.dat");
        QVERIFY(saved.rfind(*utf8_to_cp932("ルミナリア\r\n0\r\n1000\r\n10\r\n0\r\n"), 0) == 0);
        QVERIFY(fs::exists(dir / "dat" / "my.dat.bak"));
    }

    void continueLoadsTheSaveAndItsStage() {
        fs::path dir = make_game_dir("cont", set_stage_3);
        Harness h(dir);
        QVERIFY(h.app->start());
        h.app->state().money = 1;  // overwritten by the reload
        h.title().Button2->click();
        GameState& gs = h.app->state();
        QVERIFY(h.shows(ScreenId::travel));
        QCOMPARE(gs.money, 4321);
        QCOMPARE(QString::fromStdString(gs.script[0].arg), QStringLiteral("第三の話"));
        QVERIFY(gs.save_on_close);
        // The ok sound, then at most the travel screen's music.
        auto ok = std::find(h.sounds.begin(), h.sounds.end(), std::string("ok"));
        QVERIFY(ok != h.sounds.end());
        for (auto it = ok + 1; it != h.sounds.end(); ++it) QVERIFY(it->rfind("music:", 0) == 0);
        gs.money = 777;
        QVERIFY(h.app->window().close());
        QVERIFY(file_bytes(dir / "dat" / "my.dat").find("\r\n777\r\n") != std::string::npos);
    }

    // A controller alone, through SDL's own game-controller events from a virtual pad: plugged
    // in, every screen's buttons pressed, pulled out. What it presses reaches the focused
    // control as the key it stands for.
    void controllerPlaysEveryScreenAndComesAndGoes() {
        fs::path dir = copy_built_game("pad");
        Harness h(dir);
        QVERIFY(h.start_active());
        MainWindow& win = h.app->window();
        PadKeys* keys = h.app->pad_keys();
        QVERIFY(keys);
        if (!test::VirtualPadApi::get()) QSKIP("this SDL has no virtual joysticks");
        auto pad = std::make_unique<VirtualPad>("Sofa Pad");
        QVERIFY(pad->ok());
        QTRY_VERIFY(keys->notice()->isVisible());
        QCOMPARE(keys->notice()->text(),
                 QStringLiteral("コントローラー「Sofa Pad」を接続しました"));
        auto hold = [&](SDL_GameControllerButton b, bool down) {
            pad->button(b, down);
            QTest::qWait(3 * PadKeys::kPollMs);
        };
        auto tap = [&](SDL_GameControllerButton b) {
            hold(b, true);
            hold(b, false);
        };
        auto focus = [] { return QApplication::focusWidget(); };

        // Title: down to 最初からする, A, and the question answered.
        QCOMPARE(focus(), h.title().Button2);
        tap(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
        QTRY_COMPARE(focus(), h.title().Button1);
        QVERIFY(h.shows(ScreenId::battle));  // focus alone opened nothing
        h.dialogs->answers = {true};
        tap(SDL_CONTROLLER_BUTTON_A);
        QTRY_VERIFY(h.shows(ScreenId::travel));

        // Travel: the D-pad walks the places, X goes to the items, Start opens the settings.
        TravelScreen& t = h.app->travel_screen();
        QTRY_VERIFY(qobject_cast<PlaceButton*>(focus()));
        QWidget* first = focus();
        h.app->state().place_flags[1] = 1;  // m1 opens beside m0
        QTRY_VERIFY(t.place_button("m1")->isVisible());
        tap(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
        QTRY_COMPARE(focus(), static_cast<QWidget*>(t.place_button("m1")));
        tap(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
        QTRY_COMPARE(focus(), first);
        tap(SDL_CONTROLLER_BUTTON_X);
        QTRY_COMPARE(focus(), static_cast<QWidget*>(t.item_list));
        bool settings_shown = false;
        QTimer::singleShot(300, [&] {
            auto* dlg = qobject_cast<SettingsDialog*>(QApplication::activeModalWidget());
            settings_shown = dlg != nullptr;
            if (dlg) dlg->reject();
        });
        tap(SDL_CONTROLLER_BUTTON_START);
        QTRY_VERIFY(settings_shown);

        // Battle: A opens 移動, B closes it; into the techniques, X back to the commands; RT
        // held is the fast-forward.
        h.app->battle_model().start(BattleKind::random);
        BattleScreen& b = h.app->battle_screen();
        // The offscreen platform gives the window no activation back when a dialog closes.
        win.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&win));
        QTRY_VERIFY_WITH_TIMEOUT(b.menu0->isVisible() && focus() == b.idou_b, 8000);
        tap(SDL_CONTROLLER_BUTTON_A);
        QTRY_VERIFY(b.menu1->isVisible());
        tap(SDL_CONTROLLER_BUTTON_B);
        QTRY_VERIFY(!b.menu1->isVisible());
        QTRY_COMPARE(focus(), b.idou_b);
        tap(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
        tap(SDL_CONTROLLER_BUTTON_A);
        QTRY_COMPARE(focus(), b.family_buttons[1]);
        tap(SDL_CONTROLLER_BUTTON_A);
        QTRY_COMPARE(focus(), b.technique_buttons[1]);
        tap(SDL_CONTROLLER_BUTTON_LEFTSHOULDER);  // the previous panel: the families
        QTRY_COMPARE(focus(), b.family_buttons[1]);
        tap(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
        QTRY_COMPARE(focus(), b.technique_buttons[1]);
        tap(SDL_CONTROLLER_BUTTON_X);
        QTRY_VERIFY(!b.menu4->isVisible() && !b.menu2->isVisible());
        QTRY_COMPARE(focus(), b.usu_b);
        pad->axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
        QTRY_VERIFY(h.app->battle_model().fast_forward());
        pad->axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, VirtualPad::kTriggerRest);
        QTRY_VERIFY(!h.app->battle_model().fast_forward());

        // The result: A brings the lines out, then presses its button.
        b.model().Button21Click();  // every enemy down
        QTRY_VERIFY_WITH_TIMEOUT(h.shows(ScreenId::result), 8000);
        auto& r = static_cast<ResultDialog&>(*h.app->router().page(ScreenId::result));
        tap(SDL_CONTROLLER_BUTTON_A);
        QTRY_COMPARE_WITH_TIMEOUT(focus(), r.next_b, 3000);
        tap(SDL_CONTROLLER_BUTTON_A);
        QTRY_VERIFY(h.shows(ScreenId::travel));

        // Story: A goes on, Y hides the text box, Back opens and closes the backlog, RT skips.
        StoryScreen& st = h.app->story_screen();
        QVERIFY(st.open_scene("story1"));
        QTRY_VERIFY(h.shows(ScreenId::story));
        StoryModel& sm = st.model();
        const int pos = h.app->state().script_pos;
        for (int i = 0; i < 6 && h.app->state().script_pos == pos; ++i)
            tap(SDL_CONTROLLER_BUTTON_A);
        QVERIFY(h.app->state().script_pos != pos);
        tap(SDL_CONTROLLER_BUTTON_Y);
        QTRY_VERIFY(sm.text_box_hidden);
        tap(SDL_CONTROLLER_BUTTON_Y);
        QTRY_VERIFY(!sm.text_box_hidden);
        tap(SDL_CONTROLLER_BUTTON_BACK);
        QTRY_VERIFY(sm.backlog_open());
        tap(SDL_CONTROLLER_BUTTON_BACK);
        QTRY_VERIFY(!sm.backlog_open());
        pad->axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
        QTRY_VERIFY(sm.fast_forward());
        pad->axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, VirtualPad::kTriggerRest);
        QTRY_VERIFY(!sm.fast_forward());

        // Pulled out with the trigger held: the notice, and no fast-forward left on.
        pad->axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
        QTRY_VERIFY(sm.fast_forward());
        pad.reset();
        QTRY_COMPARE(keys->notice()->text(),
                     QStringLiteral("コントローラー「Sofa Pad」が外れました"));
        QVERIFY(keys->notice()->isVisible());
        QTRY_VERIFY(!sm.fast_forward());
        QTRY_VERIFY_WITH_TIMEOUT(!keys->notice()->isVisible(), PadKeys::kNoticeMs + 2000);
    }

    // Alt+Enter (and F11) is the window's key on every screen: it toggles full screen and never
    // reaches the focused button, place or story line.
    void altEnterTogglesFullScreenAndPressesNothing() {
        Harness h(copy_built_game("alt_enter"));
        QVERIFY(h.start_active());
        MainWindow& win = h.app->window();
        auto press = [&](Qt::Key key, Qt::KeyboardModifiers mods, bool full) {
            QWidget* focus = QApplication::focusWidget();
            QVERIFY(focus);
            QTest::keyClick(focus, key, mods);
            QCOMPARE(win.isFullScreen(), full);
        };

        QCOMPARE(QApplication::focusWidget(), h.title().Button2);  // コンティニュー
        press(Qt::Key_Return, Qt::AltModifier, true);
        press(Qt::Key_Enter, Qt::AltModifier | Qt::KeypadModifier, false);
        press(Qt::Key_F11, {}, true);
        QVERIFY(h.title().isVisible());
        QCOMPARE(h.dialogs->log.size(), 0u);

        h.dialogs->answers = {true};
        h.title().Button1->click();
        QVERIFY(h.shows(ScreenId::travel));
        QVERIFY(qobject_cast<PlaceButton*>(QApplication::focusWidget()));
        const auto sounds = h.sounds.size();
        press(Qt::Key_Return, Qt::AltModifier, false);
        QVERIFY(h.shows(ScreenId::travel));
        QCOMPARE(h.sounds.size(), sounds);

        h.app->battle_model().start(BattleKind::random);
        QVERIFY(h.shows(ScreenId::battle));
        QTRY_VERIFY(h.app->battle_screen().menu0->isVisible());
        press(Qt::Key_Return, Qt::AltModifier, true);
        QCOMPARE(h.app->state().player_phase, 0);
        QVERIFY(h.app->battle_screen().menu0->isVisible());

        QVERIFY(h.app->story_screen().open_scene("story1"));
        QVERIFY(h.shows(ScreenId::story));
        const int pos = h.app->state().script_pos;
        press(Qt::Key_Return, Qt::AltModifier, false);
        QCOMPARE(int(h.app->state().script_pos), pos);
    }

    // The guide's pages: the page about each screen, and the bounds of turning them.
    void theGuideOpensAtThePageOfTheScreenAndStopsAtItsEnds() {
        QCOMPARE(GuideModel::page_for(ScreenId::battle, true), 0);
        QCOMPARE(GuideModel::page_for(ScreenId::battle, false), 1);
        QCOMPARE(GuideModel::page_for(ScreenId::result, false), 1);
        QCOMPARE(GuideModel::page_for(ScreenId::travel, false), 0);
        QCOMPARE(GuideModel::page_for(ScreenId::story, false), 0);
        GuideModel m;
        QCOMPARE(GuideModel::page_count(), 8);
        m.open(7);
        QCOMPARE(m.page_caption(), std::string("8 / 8"));
        QVERIFY(!m.next_enabled());
        m.next_bClick();
        QCOMPARE(m.page, 7);
        m.open(8);  // out of range: the first page
        QCOMPARE(m.page, 0);
        QVERIFY(!m.back_enabled());
        m.back_bClick();
        QCOMPARE(m.page, 0);
        m.contents_click(-1);
        m.contents_click(8);
        QCOMPARE(m.page, 0);
        m.contents_click(3);
        QCOMPARE(m.current().title, std::string("寿命"));
        QCOMPARE(m.page_caption(), std::string("4 / 8"));
        m.close();
        QVERIFY(!m.visible);
    }

    // F1 opens the guide over every screen, at the page about it, and F1 or Esc closes it;
    // while it shows, nothing beneath runs: the battle's clock and the story's reveal stand.
    void f1OpensTheGuideOverEveryScreenAndHoldsWhatRunsBeneath() {
        Harness h(copy_built_game("guide"));
        QVERIFY(h.start_active());
        MainWindow& win = h.app->window();
        GuideView& guide = h.app->guide();
        auto key = [](Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); };

        // The title: the keys' page; F1 again closes and gives the keys back.
        key(Qt::Key_F1);
        QVERIFY(guide.isVisible());
        QCOMPARE(guide.title_l->text(), QStringLiteral("画面とキー"));
        QCOMPARE(guide.geometry(), win.rect());
        // It follows the window into full screen and back.
        key(Qt::Key_F11);
        QTRY_COMPARE(guide.geometry(), win.rect());
        key(Qt::Key_F11);
        QTRY_COMPARE(guide.geometry(), win.rect());
        key(Qt::Key_F1);
        QVERIFY(!guide.isVisible());
        QCOMPARE(QApplication::focusWidget(), h.title().Button2);

        h.dialogs->answers = {true};
        h.title().Button1->click();
        QVERIFY(h.shows(ScreenId::travel));
        key(Qt::Key_F1);
        QCOMPARE(guide.page_l->text(), QStringLiteral("1 / 8"));
        key(Qt::Key_Right);
        key(Qt::Key_Right);
        QCOMPARE(guide.title_l->text(), QStringLiteral("能力と哀古"));
        QVERIFY(guide.contents[2]->isChecked());
        // Tab walks the buttons, one by one.
        guide.contents[0]->setFocus(Qt::TabFocusReason);
        key(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), guide.contents[1]);
        key(Qt::Key_Backtab);
        key(Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), guide.close_b);
        key(Qt::Key_Escape);
        QVERIFY(!guide.isVisible());
        // The config box's 「ヘルプ」.
        auto* help = h.app->travel_screen().findChild<QPushButton*>("help_b");
        QVERIFY(help);
        help->click();
        QVERIFY(guide.isVisible());
        QCOMPARE(guide.title_l->text(), QStringLiteral("画面とキー"));
        guide.close_b->click();
        QVERIFY(!guide.isVisible());

        // A battle: the battle's page, every timer of the battle screen held, none started
        // again by the rules while it shows, and the same ones running after.
        h.app->battle_model().start(BattleKind::random);
        QTRY_VERIFY(h.app->battle_screen().menu0->isVisible());
        BattleScreen& b = h.app->battle_screen();
        const std::vector<QTimer*> clock = {b.Timer1, b.Timer2, b.Timer3, b.Timer4};
        std::vector<bool> running;
        for (QTimer* t : clock) running.push_back(t->isActive());
        QVERIFY(b.Timer1->isActive() && b.Timer2->isActive());
        key(Qt::Key_F1);
        QCOMPARE(guide.title_l->text(), QStringLiteral("戦いの流れ"));
        const GameState& gs = h.app->state();
        const int phase = gs.player_phase, unit = gs.cur_unit;
        QTest::qWait(700);
        for (QTimer* t : b.findChildren<QTimer*>())
            QVERIFY2(!t->isActive(), qPrintable(t->objectName()));
        QCOMPARE(gs.player_phase, phase);
        QCOMPARE(gs.cur_unit, unit);
        // Nothing beneath takes a click: the guide lies over the whole window.
        QWidget* top = win.childAt(b.menu0->mapTo(&win, QPoint(5, 5)));
        QVERIFY(top == &guide || guide.isAncestorOf(top));
        key(Qt::Key_Escape);
        for (size_t i = 0; i < clock.size(); ++i) QCOMPARE(clock[i]->isActive(), bool(running[i]));

        // The result: the battle's page, and the reveal of its lines held.
        h.app->router().show(ScreenId::result);
        auto& result = static_cast<ResultDialog&>(*h.app->router().page(ScreenId::result));
        QTRY_VERIFY(result.Timer1->isActive());
        key(Qt::Key_F1);
        QCOMPARE(guide.title_l->text(), QStringLiteral("戦いの流れ"));
        QVERIFY(!result.Timer1->isActive());
        key(Qt::Key_F1);
        QVERIFY(result.Timer1->isActive());

        // A story scene: its player stands while the guide shows.
        StoryScreen& st = h.app->story_screen();
        QVERIFY(st.open_scene("story1"));
        QVERIFY(h.shows(ScreenId::story));
        QTRY_VERIFY(st.Timer5->isActive());
        key(Qt::Key_F1);
        QCOMPARE(guide.title_l->text(), QStringLiteral("画面とキー"));
        const int line = gs.script_pos, shown = gs.char_pos;
        QTest::qWait(500);
        QVERIFY(!st.Timer5->isActive());
        QCOMPARE(int(gs.script_pos), line);
        QCOMPARE(gs.char_pos, shown);
        key(Qt::Key_F1);
        QVERIFY(st.Timer5->isActive());
    }

    void endingButtonsPlayStage61WithoutSaving() {
        for (int which : {1, 2}) {
            fs::path dir = make_game_dir("ending" + std::to_string(which), set_clear_mark_100);
            Harness h(dir);
            QVERIFY(h.app->start());
            std::string before = file_bytes(dir / "dat" / "my.dat");
            (which == 1 ? h.title().ed_b1 : h.title().ed_b2)->click();
            GameState& gs = h.app->state();
            QCOMPARE(gs.stage_no, 61);
            QCOMPARE(int(gs.script_pos), which == 1 ? 0 : 96);
            QCOMPARE(QString::fromStdString(gs.script[0].arg), QStringLiteral("終わりの話"));
            QVERIFY(h.shows(ScreenId::story));
            QCOMPARE(h.visible_count(), 1);
            QCOMPARE(h.window_title(), QStringLiteral("ＳＴＯＲＹ ＭＯＤＥ"));
            // The smaller story screen is centred on black.
            QCOMPARE(h.app->router().page(ScreenId::story)->pos(), QPoint(137, 20));
            QVERIFY(!gs.save_on_close);
            QVERIFY(h.app->window().close());
            QCOMPARE(file_bytes(dir / "dat" / "my.dat"), before);
        }
    }

    void aBrokenDataFileAtStartIsReportedAndNothingIsSaved() {
        fs::path dir = make_game_dir("broken");
        std::ofstream(dir / "dat" / "job.dat", std::ios::binary) << "x\r\ny\r\n\r\n\r\nabc\r\n";
        std::string before = file_bytes(dir / "dat" / "my.dat");
        Harness h(dir);
        QVERIFY(!h.app->start());
        QCOMPARE(h.dialogs->log.size(), size_t(1));
        QCOMPARE(QString::fromStdString(h.dialogs->log[0]),
                 QStringLiteral("inform:ゲームのデータを読み込めませんでした。\r") +
                     QString::fromStdString((dir / "dat" / "job.dat").string()) +
                     QStringLiteral(": line 5: \"abc\" is not a number"));
        QCOMPARE(file_bytes(dir / "dat" / "my.dat"), before);
    }

    void aFailedSaveOnCloseAsksBeforeQuitting() {
        fs::path dir = make_game_dir("savefail");
        Harness h(dir);
        QVERIFY(h.app->start());
        h.title().Button2->click();
        // A folder (not empty, so it is not cleared away) where the new my.dat would be
        // written makes the save fail.
        fs::create_directories(dir / "dat" / "my.dat.new" / "blocker");
        h.dialogs->answers = {false};
        QVERIFY(!h.app->window().close());
        QVERIFY(h.dialogs->log.back().rfind("ask:セーブできませんでした。", 0) == 0);
        h.dialogs->answers = {true};
        QVERIFY(h.app->window().close());
    }

    void theRouterKeepsOneScreenVisible() {
        Harness h(make_game_dir("router"));
        QVERIFY(h.app->start());
        Router& r = h.app->router();
        r.show(ScreenId::result);
        QCOMPARE(h.visible_count(), 1);
        QCOMPARE(h.window_title(), QStringLiteral("戦闘終了"));
        QCOMPARE(r.page(ScreenId::result)->pos(), QPoint(127, 118));
        r.close(ScreenId::result);
        QCOMPARE(h.visible_count(), 0);
        h.app->battle_screen().BitBtn2->click();
        QVERIFY(h.shows(ScreenId::travel));
        QCOMPARE(h.visible_count(), 1);
    }
};

QTEST_MAIN(ShellTest)
#include "shell_test.moc"
