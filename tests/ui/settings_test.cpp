// The player's settings: the model's defaults, bounds and faults through a real QSettings
// file, the dialog and its effects, and the keyboard on the title box and message boxes.

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <fstream>

#include "battle/battle_screen.h"
#include "shell/app.h"
#include "shell/main_window.h"
#include "shell/qt_dialogs.h"
#include "shell/qt_settings_store.h"
#include "shell/router.h"
#include "shell/title_box.h"
#include "support/write_faults.h"
#include "ui/focus_ring.h"
#include "ui/picture_filter.h"
#include "ui/settings_dialog.h"
#include "ui_support.h"

using namespace lum;
using namespace lum::test;
namespace fs = std::filesystem;

namespace {

bool exists(const std::string& f) {
    return fs::is_regular_file(f);
}

LoadedSettings load_from(const QString& file) {
    QtSettingsStore store(file);
    return load_settings(store, exists);
}

void write_text(const QString& file, const std::string& text) {
    std::ofstream(file.toStdString(), std::ios::binary) << text;
}

// Runs `step` on the settings dialog once it is up (it is modal).
void when_dialog_opens(std::function<void(SettingsDialog&)> step) {
    QTimer::singleShot(0, [step] {
        auto* d = qobject_cast<SettingsDialog*>(QApplication::activeModalWidget());
        QVERIFY(d);
        step(*d);
        d->close_b->click();
    });
}

}  // namespace

class SettingsTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir tmp_;
    QString file(const QString& name) { return tmp_.filePath(name); }

  private slots:
    void cleanupTestCase() { remove_game_dirs(); }

    void defaultsWhenThereIsNoFile() {
        LoadedSettings l = load_from(file("none.ini"));
        QVERIFY(l.values == PlayerSettings{});
        QCOMPARE(l.complaint, std::string());
        PlayerSettings d;
        QCOMPARE(d.music_volume, 100);
        QCOMPARE(d.effect_volume, 100);
        QVERIFY(!d.muted);
        QCOMPARE(d.char_delay_ms, 40);
        QCOMPARE(d.speed_ms, 500);
        QCOMPARE(d.zoom, 1);
        QVERIFY(d.battle_effects);
        QVERIFY(!d.full_screen);
        QVERIFY(!d.fit_window);
        QVERIFY(d.fit_full_screen);  // full screen fills the screen unless told otherwise
        QVERIFY(!d.smooth_scaling);
        QVERIFY(!d.window_size);
        QCOMPARE(d.audio_device, std::string());
        QCOMPARE(d.soundfont, std::string());
        QVERIFY(!d.window_pos);
    }

    void roundTripThroughTheFile() {
        std::string sf = (fs::path(tmp_.path().toStdString()) / "mine.sf2").string();
        std::ofstream(sf) << "x";
        PlayerSettings s;
        s.music_volume = 0;
        s.effect_volume = 73;
        s.muted = true;
        s.char_delay_ms = 90;
        s.speed_ms = 312;
        s.zoom = 8;
        s.auto_speed = 9;
        s.skip_unread = true;
        s.one_box_per_message = true;
        s.battle_effects = false;
        s.full_screen = true;
        s.audio_device = "Built-in Audio, Analog Stereo";
        s.soundfont = sf;
        s.window_pos = std::make_pair(-30, 1200);
        s.fit_window = true;
        s.fit_full_screen = false;
        s.smooth_scaling = true;
        s.window_size = std::make_pair(1176, 800);
        {
            QtSettingsStore store(file("trip.ini"));
            save_settings(store, s);
            QVERIFY(store.flush());
        }
        LoadedSettings l = load_from(file("trip.ini"));
        QCOMPARE(l.complaint, std::string());
        QVERIFY(l.values == s);

        // Forgetting the position removes it from the file.
        s.window_pos.reset();
        {
            QtSettingsStore store(file("trip.ini"));
            save_settings(store, s);
            QVERIFY(store.flush());
        }
        QVERIFY(!load_from(file("trip.ini")).values.window_pos);

        // Any device name reads back exactly: the characters an INI file gives meaning to,
        // a leading '@', blanks at the ends, Japanese.
        for (const char* name : {"@内蔵オーディオ; \"アナログ\" = A\\B, [x] #1 ", " a\tb"}) {
            s.audio_device = name;
            {
                QtSettingsStore store(file("trip.ini"));
                save_settings(store, s);
                QVERIFY(store.flush());
            }
            QCOMPARE(load_from(file("trip.ini")).values.audio_device, std::string(name));
        }
    }

    void boundsAreKeptExactly() {
        struct Case {
            const char* key;
            const char* value;
            bool usable;
        };
        const Case cases[] = {
            {"sound/music_volume", "0", true},    {"sound/music_volume", "100", true},
            {"sound/music_volume", "101", false}, {"sound/effect_volume", "-1", false},
            {"window/zoom", "1", true},           {"window/zoom", "8", true},
            {"window/zoom", "0", false},          {"window/zoom", "9", false},
            {"game/speed_ms", "500", true},       {"game/speed_ms", "312", true},
            {"game/speed_ms", "728", true},       {"game/speed_ms", "313", false},
            {"game/speed_ms", "780", false},      {"game/char_delay_ms", "10", true},
            {"game/char_delay_ms", "90", true},   {"game/char_delay_ms", "0", false},
            {"game/char_delay_ms", "45", false},  {"game/char_delay_ms", "100", false},
            {"sound/muted", "true", true},        {"sound/muted", "yes", false},
            {"window/zoom", "2x", false},         {"window/zoom", "", false},
            {"game/auto_speed", "1", true},       {"game/auto_speed", "9", true},
            {"game/auto_speed", "0", false},      {"game/auto_speed", "10", false},
            {"game/skip_unread", "true", true},   {"game/skip_unread", "2", false},
            {"game/battle_effects", "0", true},   {"game/battle_effects", "x", false},
        };
        const Case scale_cases[] = {
            {"window/fit", "true", true},        {"window/fit", "fit", false},
            {"window/fit", "0", true},           {"window/smooth", "1", true},
            {"window/smooth", "smooth", false},  {"window/size", "1176,800", true},
            {"window/size", "32767,1", true},    {"window/size", "0,800", false},
            {"window/size", "32768,800", false}, {"window/size", "1176x800", false},
            {"window/size", "-5,-5", false},     {"window/position", "-5,-5", true},
        };
        std::vector<Case> all(std::begin(cases), std::end(cases));
        all.insert(all.end(), std::begin(scale_cases), std::end(scale_cases));
        int n = 0;
        for (const Case& c : all) {
            // A fresh name each time: QSettings caches a file it has read.
            QString f = file(QStringLiteral("bound%1.ini").arg(++n));
            std::string key = c.key;
            auto slash = key.find('/');
            write_text(f, "[" + key.substr(0, slash) + "]\n" + key.substr(slash + 1) + "=" +
                              c.value + "\n");
            LoadedSettings l = load_from(f);
            QVERIFY2(l.complaint.empty() == c.usable, (key + "=" + c.value).c_str());
            if (!c.usable) QVERIFY(l.values == PlayerSettings{});
        }
    }

    void nonsenseFallsBackToDefaultsWithOneLine() {
        QString f = file("bad.ini");
        write_text(f,
                   "[sound]\nmusic_volume=-5\neffect_volume=60\nsoundfont=/no/such.sf2\n"
                   "[window]\nzoom=0\nposition=left\n");
        LoadedSettings l = load_from(f);
        PlayerSettings want;
        want.effect_volume = 60;  // the one usable value stays
        QVERIFY(l.values == want);
        QCOMPARE(l.complaint,
                 std::string("sound/music_volume \"-5\" is outside 0..100; "
                             "sound/soundfont \"/no/such.sf2\" is not there; "
                             "window/zoom \"0\" is outside 1..8; "
                             "window/position \"left\" is not \"x,y\"; their defaults are used"));

        // A file that cannot be read at all: every default, and the next save replaces it.
        QString dir_file = file("folder.ini");
        QDir().mkpath(dir_file);
        QtSettingsStore store(dir_file);
        LoadedSettings u = load_settings(store, exists);
        QVERIFY(u.values == PlayerSettings{});
        QCOMPARE(u.complaint,
                 dir_file.toStdString() + " cannot be read; every setting takes its default");
    }

    // A write failing at any step keeps the previous file whole and says which file and why;
    // the running game tells the player of each new fault once.
    void aFailedWriteKeepsTheFileAndSaysWhy() {
        const QString f = file("keep.ini");
        const std::string path = f.toStdString();
        PlayerSettings s;
        s.effect_volume = 42;
        {
            QtSettingsStore store(f);
            save_settings(store, s);
            QVERIFY(store.flush());
        }
        const std::string before = file_bytes(path);
        s.effect_volume = 7;
        for (int err : kWriteErrors)
            for (int n = 0;; ++n) {
                QtSettingsStore store(f);
                save_settings(store, s);
                bool ok = false, fired = false;
                {
                    WriteFaultAt fault(n, err);
                    ok = store.flush();
                    fired = fault.fired();
                }
                if (!fired) {
                    QVERIFY(ok);
                    QCOMPARE(n, 5);  // open, write, sync, close, then the rename
                    std::ofstream(path, std::ios::binary) << before;
                    break;
                }
                QVERIFY(!ok);
                QCOMPARE(store.write_fault(),
                         path +
                             (n < 4 ? ": cannot write the file: " : ": cannot replace the file: ") +
                             std::strerror(err));
                QCOMPARE(file_bytes(path), before);
                QVERIFY(!fs::exists(path + ".tmp"));
            }

        fs::path dir = make_game_dir("settings_fault");
        std::vector<std::string> sounds;
        FakeDialogs* dialogs = nullptr;
        App::Options o = fake_port_options(dir, sounds, dialogs);
        o.settings_store = std::make_unique<QtSettingsStore>(f);
        App app(std::move(o));
        QVERIFY(app.start());
        WriteFault old = set_write_fault([](WriteStep, const fs::path&) { return ENOSPC; });
        PlayerSettings t = app.settings();
        t.music_volume = 11;
        app.apply_settings(t);
        t.music_volume = 12;
        app.apply_settings(t);
        QVERIFY(app.window().close());
        set_write_fault(old);
        QCOMPARE(dialogs->log,
                 std::vector<std::string>{"inform:設定を保存できませんでした。\r" + path +
                                          ": cannot write the file: " + std::strerror(ENOSPC)});
        QCOMPARE(file_bytes(path), before);
    }

    void sliderPositionsFollowTheGamesRules() {
        QCOMPARE(battle_speed_ms(1), 312);
        QCOMPARE(battle_speed_ms(9), 728);
        QCOMPARE(text_delay_ms(2), 20);
        QCOMPARE(battle_speed_position(500), 5);  // 520 is nearer than 468
        QCOMPARE(battle_speed_position(312), 1);
        QCOMPARE(text_speed_position(40), 4);
        QCOMPARE(text_speed_position(90), 9);
    }

    void startTakesTheSpeedsAndTheDialogAppliesAtOnce() {
        fs::path dir = make_game_dir("settings_app");
        App::Options o;
        o.game_dir = dir;
        o.dialogs = std::make_unique<FakeDialogs>();
        std::vector<std::string> sounds;
        o.sound = std::make_unique<RecordingSound>(sounds);
        o.settings.char_delay_ms = 70;
        o.settings.speed_ms = 364;
        QString f = file("app.ini");
        o.settings_store = std::make_unique<QtSettingsStore>(f);
        App app(std::move(o));
        QCOMPARE(app.state().char_delay_ms, 70);
        QCOMPARE(app.state().speed_ms, 364);
        QVERIFY(app.start());

        // The title box's 設定 button opens the dialog; its knobs show the values in force.
        bool seen = false;
        when_dialog_opens([&](SettingsDialog& d) {
            seen = true;
            QCOMPARE(d.text_speed_tb->value(), 7);
            QCOMPARE(d.battle_speed_tb->value(), 2);
            QCOMPARE(d.device_cmb->itemText(0), QStringLiteral("システムの既定"));
            d.text_speed_tb->setValue(3);
            d.battle_speed_tb->setValue(9);
            d.effect_tb->setValue(25);
            d.mute_cb->setChecked(true);
            d.auto_speed_tb->setValue(2);
            d.skip_unread_cb->setChecked(true);
            QVERIFY(!d.one_box_cb->isChecked());
            d.one_box_cb->setChecked(true);
            QVERIFY(d.battle_effects_cb->isChecked());  // 戦闘演出 is on until turned off
            d.battle_effects_cb->setChecked(false);
        });
        app.start_box().config_b->click();
        QVERIFY(seen);
        QCOMPARE(app.state().char_delay_ms, 30);
        QCOMPARE(app.state().speed_ms, 728);
        LoadedSettings stored = load_from(f);
        QCOMPARE(stored.values.effect_volume, 25);
        QVERIFY(stored.values.muted);
        QCOMPARE(stored.values.speed_ms, 728);
        QCOMPARE(stored.values.auto_speed, 2);
        QVERIFY(stored.values.skip_unread);
        QCOMPARE(app.state().auto_speed, 2);
        QVERIFY(app.state().skip_unread);
        QVERIFY(stored.values.one_box_per_message);
        QVERIFY(app.state().one_box_per_message);
        QVERIFY(!stored.values.battle_effects);
        QVERIFY(!app.state().battle_effects);

        // F2 opens it from any screen; the travel slider's value is what it shows.
        app.router().show(ScreenId::travel);
        app.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&app.window()));
        app.state().char_delay_ms = 90;
        seen = false;
        when_dialog_opens([&](SettingsDialog& d) {
            seen = true;
            QCOMPARE(d.text_speed_tb->value(), 9);
            // The control with the keys wears the gold frame, and the frame follows Tab.
            QTRY_VERIFY(d.focus_ring->isVisible());
            QCOMPARE(d.focus_ring->geometry(), FocusRing::around(d.music_tb, &d));
            QTest::keyClick(d.music_tb, Qt::Key_Tab);
            QWidget* next = d.focusWidget();
            QVERIFY(next && next != d.music_tb);
            QCOMPARE(d.focus_ring->geometry(), FocusRing::around(next, &d));
        });
        QTest::keyClick(&app.window(), Qt::Key_F2);
        QVERIFY(seen);

        // Esc and Enter close it; what was changed stays in force.
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
            bool closed_by_key = false;
            QTimer::singleShot(0, [&] {
                auto* d = qobject_cast<SettingsDialog*>(QApplication::activeModalWidget());
                QVERIFY(d);
                d->music_tb->setValue(key == Qt::Key_Escape ? 10 : 20);
                QTest::keyClick(d, key);
                closed_by_key = !d->isVisible();
                if (!closed_by_key) d->close_b->click();
            });
            app.open_settings();
            QVERIFY(closed_by_key);
        }
        QCOMPARE(load_from(f).values.music_volume, 20);

        // Closing keeps the speeds of the run and where the window was.
        app.state().speed_ms = 416;
        app.window().move(40, 30);
        QVERIFY(app.window().close());
        stored = load_from(f);
        QCOMPARE(stored.values.speed_ms, 416);
        QCOMPARE(stored.values.char_delay_ms, 90);
        QVERIFY(stored.values.window_pos.has_value());
        QVERIFY(!stored.values.full_screen);
    }

    // Zoom, fit and the filtering apply the moment they change: the window, its pages and the
    // dialog itself take the new scale, and a fitted window follows its size.
    void scalingAppliesWhilePlaying() {
        std::vector<std::string> sounds;
        FakeDialogs* dialogs = nullptr;
        App::Options o = fake_port_options(make_game_dir("scaling"), sounds, dialogs);
        QString f = file("scaling.ini");
        o.settings_store = std::make_unique<QtSettingsStore>(f);
        App app(std::move(o));
        QVERIFY(app.start());
        MainWindow& win = app.window();
        QCOMPARE(win.scale(), 1.0);
        QCOMPARE(win.device_size(), QSize(725, 493));

        bool seen = false;
        when_dialog_opens([&](SettingsDialog& d) {
            seen = true;
            QCOMPARE(d.zoom_cmb->count(), kMaxZoom + 1);
            QVERIFY(d.full_fit_cb->isChecked());
            QVERIFY(!d.smooth_cb->isChecked());
            const QSize dialog_size = d.size();
            d.zoom_cmb->setCurrentIndex(1);  // 2 倍
            QCOMPARE(win.scale(), 2.0);
            QCOMPARE(win.size(), QSize(725, 493));
            QCOMPARE(win.device_size(), QSize(1450, 986));
            // The dialog grows with the game as far as the screen holds it; the rest scrolls.
            QCOMPARE(d.devicePixelRatioF(), 2.0);
            const QRect room = d.screen()->availableGeometry();
            QVERIFY(room.contains(d.frameGeometry()));
            QVERIFY(d.height() < dialog_size.height() * 2);
            QVERIFY(d.close_b->isVisible());
            QVERIFY(QRect(QPoint(), d.size()).contains(d.close_b->geometry()));
            d.zoom_cmb->setCurrentText(QStringLiteral("画面に合わせる"));
            QCOMPARE(win.scale(), 2.0);  // the window as it is holds twice the game
            d.smooth_cb->setChecked(true);
            QVERIFY(smooth_pictures());
        });
        app.start_box().config_b->click();
        QVERIFY(seen);
        LoadedSettings stored = load_from(f);
        QVERIFY(stored.values.fit_window);
        QCOMPARE(stored.values.zoom, 2);
        QVERIFY(stored.values.smooth_scaling);

        // A fitted window resized (as by its edge) rescales the game; the screen stays centred.
        win.resize_device(QSize(1200, 700));  // as the window manager would, in device pixels
        QTRY_COMPARE(win.scale(), 700.0 / 493);
        QCOMPARE(win.device_size(), QSize(1200, 700));
        QWidget* page = app.router().page(ScreenId::battle);
        QCOMPARE(page->size(), QSize(725, 493));
        QCOMPARE(page->y(), 0);
        QVERIFY(std::abs(page->x() - (win.width() - 725) / 2) <= 1);
        QVERIFY(win.width() >= 725 + 2 * 55);  // 1200 / 1.42 = 845

        // Full screen fits the screen; back in the window the fitted size returns.
        win.set_full_screen(true);
        const QSize screen = win.screen()->size() * win.screen()->devicePixelRatio();
        QTRY_COMPARE(win.scale(), std::min(screen.width() / 725.0, screen.height() / 493.0));
        win.set_full_screen(false);
        QTRY_COMPARE(win.scale(), 700.0 / 493);

        // Closing keeps the fitted window's size.
        QVERIFY(win.close());
        stored = load_from(f);
        QVERIFY(stored.values.window_size.has_value());
        QCOMPARE(*stored.values.window_size, std::make_pair(1200, 700));
        set_smooth_pictures(false);
    }

    // On a HiDPI screen (run with QT_SCREEN_SCALE_FACTORS=2) zoom counts in the screen's own
    // pixels: zoom 1 is sharp at twice the size, and fit fills the screen's real pixels.
    void hiDpiZoomCountsInTheScreensPixels() {
        if (QGuiApplication::primaryScreen()->devicePixelRatio() != 2.0)
            QSKIP("needs a screen of device pixel ratio 2");
        std::vector<std::string> sounds;
        FakeDialogs* dialogs = nullptr;
        App app(fake_port_options(make_game_dir("hidpi"), sounds, dialogs));
        QVERIFY(app.start());
        MainWindow& win = app.window();
        QCOMPARE(win.scale(), 2.0);
        QCOMPARE(win.size(), QSize(725, 493));
        QCOMPARE(win.device_size(), QSize(1450, 986));
        PlayerSettings s = app.settings();
        s.zoom = 2;  // 4 screen pixels a game pixel would not fit 1920 x 1080
        app.apply_settings(s);
        QCOMPARE(win.scale(), 2.0);
        s.full_screen = true;
        app.apply_settings(s);
        QTRY_COMPARE(win.scale(), 1080.0 / 493);
        QCOMPARE(win.device_size(), QSize(1920, 1080));
    }

    void titleBoxByKeyboard() {
        fs::path dir = make_game_dir("title_keys");
        App::Options o;
        o.game_dir = dir;
        o.dialogs = std::make_unique<FakeDialogs>();
        std::vector<std::string> sounds;
        o.sound = std::make_unique<RecordingSound>(sounds);
        App app(std::move(o));
        QVERIFY(app.start());
        app.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&app.window()));
        TitleBox& t = app.start_box();
        QVERIFY(t.Button2->hasFocus());
        QTest::keyClick(t.Button2, Qt::Key_Down);
        QVERIFY(t.Button1->hasFocus());
        // The ending buttons are hidden, so the next is 設定; past the last it wraps.
        QTest::keyClick(t.Button1, Qt::Key_Down);
        QVERIFY(t.config_b->hasFocus());
        QTest::keyClick(t.config_b, Qt::Key_Down);
        QVERIFY(t.Button2->hasFocus());
        QTest::keyClick(t.Button2, Qt::Key_Up);
        QVERIFY(t.config_b->hasFocus());
        QTest::keyClick(t.config_b, Qt::Key_Left);
        QVERIFY(t.Button1->hasFocus());
        QTest::keyClick(t.Button1, Qt::Key_Up);
        // Enter on コンティニュー continues.
        QTest::keyClick(t.Button2, Qt::Key_Return);
        QVERIFY(app.router().visible(ScreenId::travel));
        QVERIFY(std::find(sounds.begin(), sounds.end(), "ok") != sounds.end());
    }

    void messageBoxesAnswerEnterAndEsc() {
        QWidget parent;
        QtDialogs dialogs(&parent);
        auto press = [](Qt::Key key) {
            QTimer::singleShot(0, [key] {
                QWidget* box = QApplication::activeModalWidget();
                QVERIFY(qobject_cast<QMessageBox*>(box));
                QTest::keyClick(box, key);
            });
        };
        press(Qt::Key_Return);
        QVERIFY(dialogs.ask_yes_no("はい？"));
        press(Qt::Key_Escape);
        QVERIFY(!dialogs.ask_yes_no("いいえ？"));
        // A question that cannot be undone answers いいえ to Enter; はい must be chosen.
        press(Qt::Key_Return);
        QVERIFY(!dialogs.ask_yes_no_default_no("奪いますか？"));
        QTimer::singleShot(0, [] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            QCOMPARE(box->defaultButton()->text(), QStringLiteral("いいえ"));
            QAbstractButton* yes = box->button(QMessageBox::Yes);
            QVERIFY(box->focusWidget());
            for (int i = 0; i < 3 && box->focusWidget() != yes; ++i)
                QTest::keyClick(box->focusWidget(), Qt::Key_Tab);
            QCOMPARE(box->focusWidget(), yes);
            QTest::keyClick(yes, Qt::Key_Space);
        });
        QVERIFY(dialogs.ask_yes_no_default_no("奪いますか？"));
        press(Qt::Key_Return);
        dialogs.inform("お知らせ");  // returns: Enter closes it
        press(Qt::Key_Escape);
        dialogs.inform("お知らせ");
    }
};

QTEST_MAIN(SettingsTest)
#include "settings_test.moc"
