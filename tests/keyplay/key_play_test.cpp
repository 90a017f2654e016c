// The first stages played without a mouse, in the real window under Xvfb: title, new game,
// travel, the battles of stages 0, 2 and 3 fought through the panels, the result dialog, the
// scenes with the new member's box, until stage 4 is reached. Once with the
// keyboard (key events at the focused widget, as a player's keys arrive) and once with a
// controller (SDL's virtual pad, through the game's own controller layer). The player looks
// only at what the screen shows and the focus; screenshots go to the artifacts folder.

#include <QtTest>
#include <filesystem>

#include "key_player.h"
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
