// The travel screen on the offscreen platform, over the game's real pictures and tables: the
// first map of a new game, a place that opens a scene, a shop, every region's map, and the
// Japanese message boxes.

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "battle/battle_screen.h"
#include "shell/app.h"
#include "shell/main_window.h"
#include "shell/qt_dialogs.h"
#include "shell/router.h"
#include "shell/title_box.h"
#include "state/data_files.h"
#include "travel/travel_screen.h"
#include "ui/status_panel_view.h"
#include "ui_support.h"

using namespace lum;
using namespace lum::test;
namespace fs = std::filesystem;

namespace {

// A copy of the built game folder (without the program), so the test never touches its save.
fs::path copy_game(const std::string& name) {
    fs::path dir =
        fs::temp_directory_path() / ("lum_ui_travel_" + std::to_string(::getpid()) + "_" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const char* sub : {"dat", "cg"})
        fs::copy(fs::path(LUM_GAME_DIR) / sub, dir / sub, fs::copy_options::recursive);
    fs::create_directories(dir / "mid");
    return dir;
}

struct Harness {
    explicit Harness(const fs::path& dir) : dir(dir) {
        App::Options o;
        o.game_dir = dir;
        auto d = std::make_unique<FakeDialogs>();
        dialogs = d.get();
        o.dialogs = std::move(d);
        o.sound = std::make_unique<RecordingSound>(sounds);
        app = std::make_unique<App>(std::move(o));
    }
    ~Harness() {
        app.reset();
        fs::remove_all(dir);
    }
    TravelScreen& travel() { return app->travel_screen(); }
    void new_game() {
        QVERIFY(app->start());
        app->finish_start();
        app->start_box().Button1->click();
        QVERIFY(app->router().visible(ScreenId::travel));
        // The screen's keys answer while its window is the active one.
        app->window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&app->window()));
    }
    void tick() {
        TravelModel& m = travel().model();
        m.Timer1Timer();
        m.Timer2Timer();
        m.Timer3Timer();
        // The widgets follow at once: the screen's own 50 ms timer may not fire within the wait
        // on a busy machine.
        travel().refresh();
        QTest::qWait(60);
    }

    fs::path dir;
    std::vector<std::string> sounds;
    FakeDialogs* dialogs = nullptr;
    std::unique_ptr<App> app;
};

bool shown(QWidget* w, QWidget* page) {
    return w && w->isVisibleTo(page);
}

}  // namespace

class TravelScreenTest : public QObject {
    Q_OBJECT
  private slots:
    void aNewGameShowsTheHomeMapWithItsOnePlace() {
        Harness h(copy_game("new"));
        h.new_game();
        TravelScreen& t = h.travel();
        QCOMPARE(t.size(), QSize(722, 493));
        QCOMPARE(h.app->window().windowTitle(), QStringLiteral("ＴＲＡＶＥＬ ＭＯＤＥ"));
        QVERIFY(shown(t.region_box(100), &t));
        for (int box : {12, 19, 25, 31, 39}) QVERIFY(!shown(t.region_box(box), &t));
        QVERIFY(shown(t.place_button("m0"), &t));
        for (const char* b : {"m1", "m2", "m5", "m9", "m30", "m101", "m41a", "card_b"})
            QVERIFY2(!shown(t.place_button(b), &t), b);
        QCOMPARE(t.moji_l->text(), QStringLiteral("どこへ行きますか？"));
        QCOMPARE(t.status_panel->state_l1->text(), QStringLiteral("ルミナリア"));
        QVERIFY(t.status_panel->portrait_file().endsWith("my1.bmp"));
        QCOMPARE(t.party_list->count(), 1);

        // The pointer over the place describes it.
        QTest::mouseMove(t.place_button("m0"));
        emit t.place_button("m0")->on_hover();
        h.tick();
        QVERIFY(t.map_about_l->text().startsWith(QStringLiteral("<ルミナの村>\n")));
    }

    void m0AtStageOneOpensTheStoryScreen() {
        Harness h(copy_game("story"));
        h.new_game();
        GameState& gs = h.app->state();
        gs.stage_no = 1;
        load_stage(gs);
        h.travel().place_button("m0")->click();
        QVERIFY(h.app->router().visible(ScreenId::story));
        QVERIFY(!h.app->router().visible(ScreenId::travel));
        QCOMPARE(int(gs.script_pos), 0);
        QCOMPARE(gs.chara[1].aiko_name, std::string("ﾎﾜｲﾄﾎｰﾙ"));
    }

    void aShopOpensAndCloses() {
        Harness h(copy_game("shop"));
        h.new_game();
        TravelScreen& t = h.travel();
        h.app->state().place_flags[5] = 1;
        h.tick();
        QVERIFY(shown(t.place_button("m5"), &t));
        t.place_button("m5")->click();
        h.tick();
        QVERIFY(shown(t.mara_box, &t));
        QVERIFY(t.job_list->count() >= 6);
        QVERIFY(!t.job_state[4]->text().isEmpty());
        fs::create_directories(fs::path(LUM_GAME_DIR).parent_path() / "test-artifacts");
        t.grab().save(QString::fromStdString(
            (fs::path(LUM_GAME_DIR).parent_path() / "test-artifacts" / "travel_class_shop.png")
                .string()));
        t.BitBtn19->click();
        QVERIFY(!shown(t.mara_box, &t));
        QCOMPARE(t.moji_l->text(), QStringLiteral("「また来てね」"));

        // Esc closes a shop panel too.
        h.app->state().stage_no = 6;
        h.tick();
        t.place_button("card_b")->click();
        QVERIFY(shown(t.card_box, &t));
        QTest::keyClick(&t, Qt::Key_Escape);
        QVERIFY(!shown(t.card_box, &t));
    }

    // The item box acts only on a row the player chose: neither a space door that hands the
    // keyboard focus on, nor Tab, chooses the first item.
    void focusIntoTheItemListChoosesNothing() {
        Harness h(copy_game("focus"));
        h.new_game();
        TravelScreen& t = h.travel();
        GameState& gs = h.app->state();
        gs.item_owned.fill(0);
        gs.item_owned[0] = gs.item_owned[1] = 1;
        gs.place_flags[41] = 1;
        h.tick();
        h.travel().FormShow();  // the item list as a visit shows it
        QCOMPARE(t.item_list->count(), 2);
        const int hp = gs.chara[1].hp;

        QTest::mouseClick(t.place_button("m41a"), Qt::LeftButton);
        h.tick();
        QVERIFY(shown(t.region_box(39), &t));
        auto* focused = qobject_cast<PlaceButton*>(QApplication::focusWidget());
        QVERIFY(focused && focused->isVisibleTo(&t));  // the keyboard stays on the map
        t.item_list->setFocus(Qt::TabFocusReason);
        h.tick();
        QVERIFY(t.item_list->selectedItems().isEmpty());
        QCOMPARE(t.item_about->text(), QString());
        QTest::mouseClick(t.item_use, Qt::LeftButton);
        QCOMPARE(t.moji_l->text(), QStringLiteral("アイテムが選択されていません"));
        QCOMPARE(h.sounds.back(), std::string("effect:off1.wav"));
        QCOMPARE(int(gs.item_owned[0]), 1);
        QCOMPARE(gs.chara[1].hp, hp);

        // A key in the list is the player's choice.
        t.item_list->setFocus(Qt::TabFocusReason);
        QTest::keyClick(t.item_list, Qt::Key_Down);
        QCOMPARE(t.item_about->text(), QString::fromStdString(gs.item_table[0].text));
        QTest::keyClick(t.item_list, Qt::Key_Down);
        QCOMPARE(t.item_about->text(), QString::fromStdString(gs.item_table[1].text));
    }

    // Tab walks what the player can see and never the developer buttons past the edge; the
    // arrows step through the right-hand buttons without pressing them, Enter presses.
    void buttonsByKeys() {
        Harness h(copy_game("buttons_keys"));
        h.new_game();
        TravelScreen& t = h.travel();
        t.place_button("m0")->setFocus(Qt::TabFocusReason);
        QSet<QString> reached;
        for (int i = 0; i < 60; ++i) {
            press(&t, Qt::Key_Tab);
            QWidget* f = focused(&t);
            QVERIFY(f && f->isVisibleTo(&t));
            QVERIFY2(QRect(QPoint(), t.client_size()).contains(f->mapTo(&t, QPoint())),
                     qPrintable(f->objectName()));
            reached << f->objectName();
        }
        QVERIFY(reached.contains("BitBtn4") && reached.contains("Button1"));
        t.BitBtn12->setFocus(Qt::TabFocusReason);
        press(&t, Qt::Key_Down);
        QCOMPARE(focused(&t), t.Button1);
        QVERIFY(!shown(t.findChild<QWidget*>("hyoji_box"), &t));
        press(&t, Qt::Key_Return);
        h.tick();
        QVERIFY(shown(t.findChild<QWidget*>("hyoji_box"), &t));
    }

    void everyRegionShowsItsMap() {
        Harness h(copy_game("regions"));
        h.new_game();
        TravelScreen& t = h.travel();
        GameState& gs = h.app->state();
        fs::create_directories(fs::path(LUM_GAME_DIR).parent_path() / "test-artifacts");
        QSet<QRgb> centres;
        for (int box : kRegionBoxes) {
            for (int other : kRegionBoxes) gs.place_flags[other] = other == box;
            h.tick();
            QVERIFY(shown(t.region_box(box), &t));
            QImage shot = t.grab().toImage();
            shot.save(
                QString::fromStdString((fs::path(LUM_GAME_DIR).parent_path() / "test-artifacts" /
                                        ("travel_region_" + std::to_string(box) + ".png"))
                                           .string()));
            // The map fills its box with colour, and no two regions look alike at its centre.
            const QColor c = shot.pixelColor(8 + 216, 18 + 148);
            QVERIFY2(c.value() > 20, qPrintable(QString::number(box)));
            centres.insert(shot.pixel(8 + 216, 18 + 148));
            // The message line is white.
            QCOMPARE(shot.pixelColor(440, 330), QColor(Qt::white));
        }
        QVERIFY(centres.size() >= 5);
        for (int other : kRegionBoxes) gs.place_flags[other] = 0;
        h.tick();
        for (int box : kRegionBoxes) QVERIFY(!shown(t.region_box(box), &t));
    }

    void saveShowsItsToast() {
        Harness h(copy_game("save"));
        h.new_game();
        TravelScreen& t = h.travel();
        QTest::keyClick(&t, Qt::Key_S);
        h.tick();
        QVERIFY(shown(t.toast_l, &t));
        QCOMPARE(t.toast_l->text(), QStringLiteral("セーブしました"));
        QVERIFY(fs::exists(h.dir / "dat" / "my.dat"));
    }

    void messageBoxesSpeakJapanese() {
        QWidget parent;
        QtDialogs d(&parent);
        QStringList seen;
        auto answer = [&](QMessageBox::StandardButton which) {
            QTimer::singleShot(50, [&, which] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                for (QAbstractButton* b : box->buttons()) seen << b->text();
                box->button(which)->click();
            });
        };
        answer(QMessageBox::No);
        QVERIFY(!d.ask_yes_no("よろしいですか？"));
        QCOMPARE(seen, (QStringList{QStringLiteral("はい"), QStringLiteral("いいえ")}));
        seen.clear();
        answer(QMessageBox::Ok);
        d.inform("お知らせ");
        QCOMPARE(seen, QStringList{QStringLiteral("OK")});
    }
};

QTEST_MAIN(TravelScreenTest)
#include "travel_screen_test.moc"
