// The story screen on the offscreen platform: scenes played by the real timers from the
// screen's show to the way back to travel, the keys for players, and screenshots of a text
// page, a title card and the party box checked pixel by pixel.

#include <QImage>
#include <QTextBrowser>
#include <QtTest>
#include <fstream>

#include "shell/app.h"
#include "shell/main_window.h"
#include "shell/router.h"
#include "state/data_files.h"
#include "story/story_screen.h"
#include "ui_support.h"

using namespace lum;
using namespace lum::test;
namespace fs = std::filesystem;

namespace {

using Lines = std::vector<TScriptLine>;

void write_script(const fs::path& file, const Lines& lines) {
    std::array<TEnemyEntry, kStageEnemies> enemies{};
    std::array<TScriptLine, kScriptLines> script{};
    for (size_t i = 0; i < lines.size(); ++i) script[i] = lines[i];
    DatWriter w(file.filename().string());
    write_enemies_and_script(w, enemies, script);
    std::ofstream(file, std::ios::binary) << w.bytes();
}

void write_bmp(const fs::path& file, QSize size, QColor colour) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    QVERIFY(img.save(QString::fromStdString(file.string()), "BMP"));
}

bool bright(QRgb c) {
    return qRed(c) > 160 && qGreen(c) > 160 && qBlue(c) > 160;
}

// Bright pixels inside a rectangle of a screenshot.
int bright_pixels(const QImage& img, QRect r) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) n += bright(img.pixel(x, y));
    return n;
}

struct Harness {
    explicit Harness(const std::string& name) {
        dir = make_game_dir(name);
        write_bmp(dir / "cg" / "face.bmp", {64, 64}, QColor(200, 40, 40));
        write_bmp(dir / "cg" / "sky.bmp", {112, 80}, QColor(30, 90, 200));
        write_bmp(dir / "cg" / "my0.bmp", {128, 128}, QColor(20, 160, 20));
        App::Options o;
        o.game_dir = dir;
        auto d = std::make_unique<FakeDialogs>();
        d->default_answer = false;
        dialogs = d.get();
        o.dialogs = std::move(d);
        o.sound = std::make_unique<RecordingSound>(sounds);
        app = std::make_unique<App>(std::move(o));
        story = dynamic_cast<StoryScreen*>(app->router().page(ScreenId::story));
    }
    bool start() {
        if (!app->start()) return false;
        app->state().char_delay_ms = 10;
        return true;
    }
    void stage(int n, const Lines& lines) { write_script(dir / "dat" / stage_file_name(n), lines); }
    // A screenshot of the story screen; kept as <name>.png in $LUM_SHOTS when that is set.
    QImage shot(const char* name) {
        QImage img = story->grab().toImage().convertToFormat(QImage::Format_RGB32);
        if (qEnvironmentVariableIsSet("LUM_SHOTS"))
            img.save(qEnvironmentVariable("LUM_SHOTS") + "/" + name + ".png");
        return img;
    }
    GameState& gs() { return app->state(); }
    StoryModel& model() { return story->model(); }

    fs::path dir;
    std::vector<std::string> sounds;
    FakeDialogs* dialogs = nullptr;
    std::unique_ptr<App> app;
    StoryScreen* story = nullptr;
};

}  // namespace

class StoryScreenTest : public QObject {
    Q_OBJECT
  private slots:
    void cleanupTestCase() { remove_game_dirs(); }

    void layoutOfTheScreen() {
        Harness h("story_layout");
        QVERIFY(h.story);
        QCOMPARE(h.story->size(), QSize(451, 453));
        QCOMPARE(h.story->map_cg->geometry(), QRect(1, 1, 448, 320));
        QCOMPARE(h.story->my_cg->geometry(), QRect(0, 325, 128, 128));
        QCOMPARE(h.story->edit_box->geometry(), QRect(132, 328, 317, 121));
        QCOMPARE(h.story->ok_bb->geometry(), QRect(368, 424, 81, 29));
        QCOMPARE(h.story->ok_bb->text(), QStringLiteral("→OK"));
        QCOMPARE(h.story->sel_box->title(), QStringLiteral("選択肢"));
        QCOMPARE(h.story->BitBtn7->text(), QStringLiteral("いいえ(&N)"));
        QCOMPARE(h.story->party_box->x(), 540);
        QVERIFY(h.story->BitBtn1->x() >= 451);  // outside the client area
        QCOMPARE(h.story->BitBtn1->text(), QStringLiteral("中断"));
        QCOMPARE(h.story->class_buttons[2]->objectName(), QStringLiteral("j_a1"));
        QCOMPARE(h.story->oath_buttons[10]->text(), QStringLiteral("優しさ"));
        QCOMPARE(h.story->oath_buttons[10]->objectName(), QStringLiteral("Button29"));
        QCOMPARE(h.story->oath_buttons[10]->pos(), QPoint(148, 46));
    }

    void aStageScenePlaysToItsEndAndBackToTravel() {
        Harness h("story_flow");
        h.stage(12, {{1, "sky.bmp"},
                     {14, "face.bmp"},
                     {2, "story.mid"},
                     {0, "あいうえおかきくけこさしすせそたちつ"},
                     {0, "おわり"},
                     {3, ""}});
        h.stage(13, {{0, "つぎ"}, {3, ""}});
        QVERIFY(h.start());
        h.sounds.clear();
        QVERIFY(h.story->open_scene("story12"));
        QVERIFY(h.app->router().visible(ScreenId::story));
        QCOMPARE(h.app->window().windowTitle(), QStringLiteral("ＳＴＯＲＹ ＭＯＤＥ"));
        QCOMPARE(h.story->pos(), QPoint(137, 20));
        QVERIFY(h.story->Timer5->isActive());

        QTRY_VERIFY(h.story->ok_bb->isVisible());
        QCOMPARE(h.sounds, (std::vector<std::string>{"music:not", "music:story.mid"}));
        QCOMPARE(int(h.gs().script_pos), 3);

        QImage img = h.shot("story_text");
        // The background stretched 4 x 4 over the picture, the portrait stretched to 128.
        QCOMPARE(img.pixel(1 + 5, 1 + 5), QColor(30, 90, 200).rgb());
        QCOMPARE(img.pixel(1 + 447, 1 + 319), QColor(30, 90, 200).rgb());
        QCOMPARE(img.pixel(64, 325 + 64), QColor(200, 40, 40).rgb());
        // Characters 1..17 on the first row, the 18th opens the second at y = 20.
        QVERIFY(bright_pixels(img, {132, 328, 16, 18}) > 10);
        QVERIFY(bright_pixels(img, {132 + 16 * 18, 328, 16, 18}) > 10);
        QVERIFY(bright_pixels(img, {132 + 17 * 18, 328, 11, 18}) == 0);
        QVERIFY(bright_pixels(img, {132, 348, 16, 18}) > 10);
        QVERIFY(bright_pixels(img, {132 + 18, 348, 16, 18}) == 0);
        QVERIFY(bright_pixels(img, {132, 368, 230, 50}) == 0);

        QTest::mouseClick(h.story->ok_bb, Qt::LeftButton);
        QCOMPARE(h.sounds.back(), std::string("step"));
        QTRY_VERIFY(h.story->ok_bb->isVisible());
        h.story->ok_bb->click();
        // The last line stays until the closing effect slides it away.
        QVERIFY(bright_pixels(h.shot("story_last_line"), {132, 328, 60, 20}) > 10);
        QTRY_VERIFY(h.app->router().visible(ScreenId::travel));
        QCOMPARE(h.gs().stage_no, 13);
        QCOMPARE(QString::fromStdString(h.gs().script[0].arg), QStringLiteral("つぎ"));
        QVERIFY(!h.story->Timer5->isActive());
        QVERIFY(h.dialogs->log.empty());
    }

    void titleCardScreenshot() {
        Harness h("story_title");
        h.stage(1, {{23, "はじまり"}, {19, ""}});
        QVERIFY(h.start());
        QVERIFY(h.story->open_scene("story1"));
        QTRY_VERIFY(h.story->sel_box2->isVisible());
        QImage img = h.shot("story_title");
        GameState& gs = h.gs();
        // Where the title and its subtitle are: measured the way the card measures them.
        Font f{kFaceMinchoProportional, 43, true, true, kWhite};
        Size s = h.story->canvas().text_size("はじまり", f);
        const int x = (448 - s.width) / 2, y = (320 - s.height) / 2;
        QVERIFY(bright_pixels(img, {1 + x, 1 + y, s.width, s.height}) > 200);
        QVERIFY(bright_pixels(img, {1 + x, 1 + y - 14, 60, 14}) > 10);  // "Velmora Ⅰ"
        QCOMPARE(bright_pixels(img, {1, 1, 448, y - 20}), 0);
        // Down to the quick menu, which lies along the picture's bottom edge.
        QCOMPARE(bright_pixels(img, {1, 1 + y + s.height + 4, 448, 301 - y - s.height - 4}), 0);
        QCOMPARE(img.pixel(64, 389), QColor(Qt::black).rgb());  // portrait blacked out
        QCOMPARE(gs.stage_no, 1);
    }

    void partyBoxScreenshotAndSteps() {
        Harness h("story_party");
        h.stage(12, {{9, "ルクサ"}, {0, "よろしく"}, {17, ""}});
        QVERIFY(h.start());
        QVERIFY(h.story->open_scene("story12"));
        QTRY_VERIFY(h.story->party_box->isVisible());
        QCOMPARE(h.story->party_box->pos(), QPoint(0, 0));
        QVERIFY(!h.story->quick_menu->isVisible());  // nothing lies over the box
        QCOMPARE(h.story->party_box->title(), QStringLiteral("ルクサ"));
        QCOMPARE(h.story->state_box_l->text(), QStringLiteral("▼ルクサのｸﾗｽを選択して下さい"));
        QVERIFY(!h.story->party_ok_b->isEnabled());

        QImage img = h.shot("story_party");
        QCOMPARE(img.pixel(300, 440), QColor(24, 24, 40).rgb());  // the box covers the screen
        QVERIFY(h.story->state_box1->isVisible());
        QVERIFY(!h.story->state_box2->isVisible());

        auto move_over = [](QWidget* w) {
            QMouseEvent e(QEvent::MouseMove, QPointF(4, 4), w->mapToGlobal(QPointF(4, 4)),
                          Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(w, &e);
        };
        h.gs().job_table[1].about = "剣の道";
        move_over(h.story->class_buttons[1]);
        QCOMPARE(h.story->job_about_l->text(), QStringLiteral("◆LVUP時の成長要素:\n"));
        QCOMPARE(h.story->job_about_l3->text(), QStringLiteral("剣の道"));
        move_over(h.story->state_box1);
        QCOMPARE(h.story->job_about_l3->text(), QString());
        move_over(h.story->class_buttons[1]);
        QImage about = h.shot("story_party_about");
        QVERIFY(bright_pixels(about, {148 + 112, 20 + 266, 173, 20}) > 10);
        QTest::mouseClick(h.story->class_buttons[1], Qt::LeftButton);
        QCOMPARE(h.gs().chara[2].job, byte(1));
        QCOMPARE(h.story->state_l1->text(), QStringLiteral("職1"));
        QVERIFY(h.story->state_box2->isVisible());
        QTest::mouseClick(h.story->attr_buttons[9], Qt::LeftButton);
        QVERIFY(h.story->state_l2->text().endsWith(QStringLiteral("\n速さ ") +
                                                   QString::number(h.gs().chara[2].speed)));
        QVERIFY(h.gs().chara[2].speed >= 4);
        QTest::mouseClick(h.story->oath_buttons[19], Qt::LeftButton);
        QCOMPARE(h.gs().chara[2].oath, 20);
        QVERIFY(h.story->party_ok_b->isEnabled());
        QVERIFY(!h.story->state_box3->isVisible());

        QTest::mouseClick(h.story->party_ok_b, Qt::LeftButton);
        QVERIFY(!h.story->party_box->isVisible());
        QCOMPARE(int(h.gs().script_pos), 1);
        QCOMPARE(h.sounds.back(), std::string("ok"));
        QTRY_VERIFY(h.story->ok_bb->isVisible());
    }

    void keysForPlayers() {
        Harness h("story_keys");
        h.stage(12, {{0, "ながいながいながいながいぶんしょう"}, {0, "に"}, {0, "さん"}, {19, ""}});
        QVERIFY(h.start());
        h.gs().char_delay_ms = 500;  // slow enough to interrupt
        QVERIFY(h.story->open_scene("story12"));
        QTRY_VERIFY(h.model().revealing());
        QTest::keyClick(h.story, Qt::Key_Return);
        QVERIFY(!h.model().revealing());
        QVERIFY(h.story->ok_bb->isVisible());
        QTest::keyClick(h.story, Qt::Key_Space);
        QCOMPARE(int(h.gs().script_pos), 1);

        QTest::keyClick(h.story, Qt::Key_H);
        QVERIFY(!h.story->edit_box->isVisible());
        QTest::mouseClick(h.story->map_cg, Qt::LeftButton);
        QVERIFY(h.story->edit_box->isVisible());
        QCOMPARE(int(h.gs().script_pos), 1);

        // Ctrl held runs through the text lines (with 未読もスキップする, as none was read) and
        // stops at the choice.
        h.gs().skip_unread = true;
        QTest::keyPress(h.story, Qt::Key_Control);
        QTRY_VERIFY(h.story->sel_box2->isVisible());
        QTest::keyRelease(h.story, Qt::Key_Control);
        QVERIFY(!h.model().fast_forward());
        QCOMPARE(int(h.gs().script_pos), 3);
        // The choice takes the keys on its first answer; moving does not answer, Enter does.
        QCOMPARE(focused(h.story), h.story->BitBtn2);
        press(h.story, Qt::Key_Down);
        QCOMPARE(focused(h.story), h.story->BitBtn3);
        press(h.story, Qt::Key_Down);
        QCOMPARE(focused(h.story), h.story->BitBtn2);
        press(h.story, Qt::Key_Up);
        QCOMPARE(int(h.gs().script_pos), 3);
        QVERIFY(h.story->sel_box2->isVisible());
        press(h.story, Qt::Key_Return);
        QCOMPARE(int(h.gs().script_pos), 4);
        QCOMPARE(h.model().backlog.lines().back().text, std::string("→いいえ"));
        QCOMPARE(focused(h.story), static_cast<QWidget*>(h.story));
    }

    // The new member's box with the keyboard alone: each step starts on its first button, the
    // arrows only move (a class reached shows its texts), Enter or Space chooses, and the box
    // ends on 「→OK」.
    void partyBoxByKeys() {
        Harness h("story_party_keys");
        h.stage(12, {{9, "ルクサ"}, {0, "よろしく"}, {17, ""}});
        QVERIFY(h.start());
        h.gs().job_table[1].about = "剣の道";
        QVERIFY(h.story->open_scene("story12"));
        QTRY_VERIFY(h.story->party_box->isVisible());
        QCOMPARE(focused(h.story), h.story->class_buttons[0]);
        const byte job = h.gs().chara[2].job;
        press(h.story, Qt::Key_Down);
        QCOMPARE(focused(h.story), h.story->class_buttons[1]);
        QCOMPARE(h.story->job_about_l3->text(), QStringLiteral("剣の道"));
        QCOMPARE(h.gs().chara[2].job, job);
        QVERIFY(!h.story->state_box2->isVisible());
        press(h.story, Qt::Key_Return);
        QCOMPARE(h.gs().chara[2].job, byte(1));

        QVERIFY(h.story->state_box2->isVisible());
        QCOMPARE(focused(h.story), h.story->attr_buttons[0]);
        press(h.story, Qt::Key_Up);  // wraps to the last
        QCOMPARE(focused(h.story), h.story->attr_buttons[9]);
        const int speed = h.gs().chara[2].speed;
        press(h.story, Qt::Key_Space);
        QVERIFY(h.gs().chara[2].speed > speed);

        QVERIFY(h.story->state_box3->isVisible());
        QCOMPARE(focused(h.story), h.story->oath_buttons[0]);
        press(h.story, Qt::Key_Left);
        QCOMPARE(focused(h.story), h.story->oath_buttons[19]);
        press(h.story, Qt::Key_Return);
        QCOMPARE(h.gs().chara[2].oath, 20);

        QCOMPARE(focused(h.story), h.story->party_ok_b);
        press(h.story, Qt::Key_Tab);  // no other group shows: it stays
        QCOMPARE(focused(h.story), h.story->party_ok_b);
        press(h.story, Qt::Key_Return);
        QVERIFY(!h.story->party_box->isVisible());
        QCOMPARE(int(h.gs().script_pos), 1);
        QCOMPARE(h.sounds.back(), std::string("ok"));
    }

    // The quick menu, the backlog and auto mode by mouse and by keys.
    void quickMenuBacklogAndAuto() {
        Harness h("story_quick");
        h.stage(12, {{0, "ベン「いち」"}, {0, "に"}, {0, "さん"}, {19, ""}});
        QVERIFY(h.start());
        QVERIFY(h.story->open_scene("story12"));
        QTRY_VERIFY(h.story->ok_bb->isVisible());
        QVERIFY(h.story->quick_menu->isVisible());
        QVERIFY(h.story->quick_menu->geometry().bottom() < h.story->edit_box->y());

        // ログ shows the line with its speaker; Esc closes it and the scene goes on.
        h.story->log_b->click();
        QVERIFY(h.story->backlog_box->isVisible());
        QCOMPARE(h.story->backlog_text->toPlainText(), QStringLiteral("ベン\n「いち」"));
        QTest::keyClick(h.story->backlog_text, Qt::Key_Escape);
        QVERIFY(!h.story->backlog_box->isVisible());
        QTest::keyClick(h.story, Qt::Key_Return);
        QTRY_VERIFY(h.story->ok_bb->isVisible());
        QCOMPARE(int(h.gs().script_pos), 1);

        // The wheel opens it, Page Up too; a right-click closes it.
        QWheelEvent up(QPointF(200, 150), h.story->mapToGlobal(QPointF(200, 150)), QPoint(),
                       QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(h.story, &up);
        QVERIFY(h.story->backlog_box->isVisible());
        QCOMPARE(h.story->backlog_text->toPlainText(), QStringLiteral("ベン\n「いち」\nに"));
        QTest::mouseClick(h.story->backlog_text->viewport(), Qt::RightButton);
        QVERIFY(!h.story->backlog_box->isVisible());
        QTest::keyClick(h.story, Qt::Key_PageUp);
        QVERIFY(h.story->backlog_box->isVisible());
        h.story->backlog_close_b->click();
        QVERIFY(!h.story->backlog_box->isVisible());

        // A right-click elsewhere hides the text box with the quick menu, as H does.
        QTest::mouseClick(h.story, Qt::RightButton, {}, QPoint(200, 150));
        QVERIFY(!h.story->edit_box->isVisible());
        QVERIFY(!h.story->quick_menu->isVisible());
        QTest::mouseClick(h.story, Qt::RightButton, {}, QPoint(200, 150));
        QVERIFY(h.story->edit_box->isVisible());

        // A turns auto mode on: the mark shows and the line goes on by itself.
        QTest::keyClick(h.story, Qt::Key_A);
        QVERIFY(h.story->auto_b->isChecked());
        QCOMPARE(h.story->mode_l->text(), QStringLiteral("AUTO"));
        QVERIFY(h.story->AutoTimer->isActive());
        QTRY_COMPARE_WITH_TIMEOUT(int(h.gs().script_pos), 2, 5000);
        h.story->auto_b->click();
        QVERIFY(!h.model().auto_mode());
        QCOMPARE(h.story->mode_l->text(), QString());
        h.story->skip_b->click();
        QCOMPARE(h.story->mode_l->text(), QStringLiteral("SKIP"));
    }

    void quitButtonEndsWithoutSaving() {
        Harness h("story_quit");
        h.stage(12, {{19, ""}});
        QVERIFY(h.start());
        h.gs().save_on_close = true;
        std::string before = file_bytes(h.dir / "dat" / "my.dat");
        QVERIFY(h.story->open_scene("story12"));
        h.story->BitBtn1->click();
        QVERIFY(!h.gs().save_on_close);
        QTRY_VERIFY(!h.app->window().isVisible());
        QCOMPARE(file_bytes(h.dir / "dat" / "my.dat"), before);
    }

    void badSceneNameIsReported() {
        Harness h("story_bad");
        QVERIFY(h.start());
        QVERIFY(!h.story->open_scene("story99"));
        QCOMPARE(h.dialogs->log.size(), size_t(1));
        QVERIFY(QString::fromStdString(h.dialogs->log[0]).contains("story99.dat"));
        QVERIFY(h.app->router().visible(ScreenId::battle));
    }
};

QTEST_MAIN(StoryScreenTest)
#include "story_screen_test.moc"
