#include "sound/game_pads.h"

#include <gtest/gtest.h>

#include "support/virtual_pad.h"

namespace lum {
namespace {

using test::VirtualPad;

std::string show(const std::vector<PadEvent>& evs) {
    static const char* kNames[] = {"up", "down", "left", "right", "a",    "b", "x",
                                   "y",  "lb",   "rb",   "start", "back", "rt"};
    std::string s;
    for (const PadEvent& e : evs) {
        if (!s.empty()) s += ' ';
        switch (e.kind) {
            case PadEvent::press:
                s += std::string("+") + kNames[int(e.input)];
                break;
            case PadEvent::release:
                s += std::string("-") + kNames[int(e.input)];
                break;
            case PadEvent::connected:
                s += "connected:" + e.name;
                break;
            case PadEvent::disconnected:
                s += "disconnected:" + e.name;
                break;
        }
    }
    return s;
}

struct Pads : ::testing::Test {
    void SetUp() override {
        pads = GamePads::open(&why);
        if (!pads) GTEST_SKIP() << "no SDL game controllers here: " << why;
        if (!test::VirtualPadApi::get()) GTEST_SKIP() << "this SDL has no virtual joysticks";
        pads->poll();
    }
    // Everything the pads reported, after SDL has read the virtual pad's new state.
    std::string poll() { return show(pads->poll()); }
    std::string why;
    std::unique_ptr<GamePads> pads;
};

TEST_F(Pads, EveryButtonPressesAndReleasesItsInputOnce) {
    VirtualPad pad("Sofa Pad");
    ASSERT_TRUE(pad.ok());
    EXPECT_EQ(poll(), "connected:Sofa Pad");
    EXPECT_EQ(pads->connected(), 1);
    const std::pair<SDL_GameControllerButton, const char*> buttons[] = {
        {SDL_CONTROLLER_BUTTON_A, "a"},
        {SDL_CONTROLLER_BUTTON_B, "b"},
        {SDL_CONTROLLER_BUTTON_X, "x"},
        {SDL_CONTROLLER_BUTTON_Y, "y"},
        {SDL_CONTROLLER_BUTTON_BACK, "back"},
        {SDL_CONTROLLER_BUTTON_START, "start"},
        {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, "lb"},
        {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, "rb"},
        {SDL_CONTROLLER_BUTTON_DPAD_UP, "up"},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, "down"},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, "left"},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, "right"},
    };
    for (auto [b, name] : buttons) {
        pad.button(b, true);
        EXPECT_EQ(poll(), std::string("+") + name);
        pad.button(b, false);
        EXPECT_EQ(poll(), std::string("-") + name);
    }
    // Sticks clicked and the guide button stand for nothing.
    pad.button(SDL_CONTROLLER_BUTTON_LEFTSTICK, true);
    pad.button(SDL_CONTROLLER_BUTTON_GUIDE, true);
    EXPECT_EQ(poll(), "");
}

TEST_F(Pads, SticksAndTheTriggerPressPastTheirEdgeAndLetGoNearRest) {
    VirtualPad pad;
    ASSERT_TRUE(pad.ok());
    poll();
    pad.axis(SDL_CONTROLLER_AXIS_LEFTX, GamePads::kPressAt);  // not past it yet
    EXPECT_EQ(poll(), "");
    pad.axis(SDL_CONTROLLER_AXIS_LEFTX, GamePads::kPressAt + 1);
    EXPECT_EQ(poll(), "+right");
    pad.axis(SDL_CONTROLLER_AXIS_LEFTX, 12000);  // between the edges: still held
    EXPECT_EQ(poll(), "");
    pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -30000);  // flicked across
    EXPECT_EQ(poll(), "-right +left");
    pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -GamePads::kReleaseAt + 1);
    EXPECT_EQ(poll(), "-left");
    pad.axis(SDL_CONTROLLER_AXIS_LEFTY, 32767);
    EXPECT_EQ(poll(), "+down");
    pad.axis(SDL_CONTROLLER_AXIS_LEFTY, 0);
    EXPECT_EQ(poll(), "-down");
    // The right stick and the left trigger mean nothing.
    pad.axis(SDL_CONTROLLER_AXIS_RIGHTX, 32767);
    pad.axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
    EXPECT_EQ(poll(), "");
    // A trigger's raw axis spans the whole range for SDL's 0..32767.
    pad.axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
    EXPECT_EQ(poll(), "+rt");
    pad.axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -10000);  // 11384: between the edges
    EXPECT_EQ(poll(), "");
    pad.axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, VirtualPad::kTriggerRest);
    EXPECT_EQ(poll(), "-rt");
}

TEST_F(Pads, TheStickAndTheDpadOnOneDirectionGiveOnePressAndOneRelease) {
    VirtualPad pad;
    ASSERT_TRUE(pad.ok());
    poll();
    pad.button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
    EXPECT_EQ(poll(), "+left");
    pad.button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
    EXPECT_EQ(poll(), "");
    pad.axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
    EXPECT_EQ(poll(), "-left");
}

TEST_F(Pads, APadPulledOutLetsGoOfWhatItHeldAndASecondComesAndGoes) {
    {
        VirtualPad pad("First");
        ASSERT_TRUE(pad.ok());
        EXPECT_EQ(poll(), "connected:First");
        pad.axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
        EXPECT_EQ(poll(), "+rt");
        pad.button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
        EXPECT_EQ(poll(), "+up");
        pad.unplug();
        // Fast-forward must not stay on with nobody holding the trigger (SDL lets go of what
        // the pad held in its own order; then the pad goes).
        const std::string gone = poll();
        EXPECT_TRUE(gone == "-up -rt disconnected:First" || gone == "-rt -up disconnected:First")
            << gone;
        EXPECT_EQ(pads->connected(), 0);
    }
    VirtualPad second("Second");
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(poll(), "connected:Second");
    second.button(SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_EQ(poll(), "+a");
}

}  // namespace
}  // namespace lum
