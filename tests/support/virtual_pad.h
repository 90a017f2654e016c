#pragma once

// A game controller that exists only inside SDL (its virtual joysticks): plugged in, pressed
// and pulled out by the test, reaching the game through the same events a real pad sends.

#include <SDL2/SDL.h>

#include <string>

#include "sound/sdl_api.h"
#include "sound/shared_library.h"

namespace lum::test {

struct VirtualPadApi {
    decltype(&::SDL_JoystickAttachVirtualEx) SDL_JoystickAttachVirtualEx = nullptr;
    decltype(&::SDL_JoystickDetachVirtual) SDL_JoystickDetachVirtual = nullptr;
    decltype(&::SDL_JoystickOpen) SDL_JoystickOpen = nullptr;
    decltype(&::SDL_JoystickClose) SDL_JoystickClose = nullptr;
    decltype(&::SDL_JoystickSetVirtualButton) SDL_JoystickSetVirtualButton = nullptr;
    decltype(&::SDL_JoystickSetVirtualAxis) SDL_JoystickSetVirtualAxis = nullptr;

    static const VirtualPadApi* get() {
        static const VirtualPadApi api = [] {
            VirtualPadApi a;
            static SharedLibrary lib(kSdlLibrary);  // the game's SDL: the same instance
            const bool ok =
                lib.bind(a.SDL_JoystickAttachVirtualEx, "SDL_JoystickAttachVirtualEx") &&
                lib.bind(a.SDL_JoystickDetachVirtual, "SDL_JoystickDetachVirtual") &&
                lib.bind(a.SDL_JoystickOpen, "SDL_JoystickOpen") &&
                lib.bind(a.SDL_JoystickClose, "SDL_JoystickClose") &&
                lib.bind(a.SDL_JoystickSetVirtualButton, "SDL_JoystickSetVirtualButton") &&
                lib.bind(a.SDL_JoystickSetVirtualAxis, "SDL_JoystickSetVirtualAxis");
            if (!ok) a.SDL_JoystickAttachVirtualEx = nullptr;
            return a;
        }();
        return api.SDL_JoystickAttachVirtualEx ? &api : nullptr;
    }
};

// One virtual pad with every button and axis of SDL's game-controller layout. SDL's own
// controller subsystem must be running (GamePads::open starts it).
class VirtualPad {
  public:
    explicit VirtualPad(const char* name = "Test Pad") {
        api_ = VirtualPadApi::get();
        if (!api_) return;
        SDL_VirtualJoystickDesc d{};
        d.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        d.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        d.naxes = SDL_CONTROLLER_AXIS_MAX;
        d.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        d.name = name;
        index_ = api_->SDL_JoystickAttachVirtualEx(&d);
        if (index_ >= 0) joy_ = api_->SDL_JoystickOpen(index_);
        // A raw axis at 0 is a half-pulled trigger: both rest at the raw minimum.
        if (joy_) {
            axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, kTriggerRest);
            axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, kTriggerRest);
        }
    }
    static constexpr int kTriggerRest = -32768;
    ~VirtualPad() { unplug(); }

    bool ok() const { return joy_ != nullptr; }
    void button(SDL_GameControllerButton b, bool down) {
        api_->SDL_JoystickSetVirtualButton(joy_, b, down ? 1 : 0);
    }
    void axis(SDL_GameControllerAxis a, int value) {
        api_->SDL_JoystickSetVirtualAxis(joy_, a, static_cast<Sint16>(value));
    }
    void unplug() {
        if (!joy_) return;
        api_->SDL_JoystickClose(joy_);
        api_->SDL_JoystickDetachVirtual(index_);
        joy_ = nullptr;
    }

  private:
    const VirtualPadApi* api_ = nullptr;
    int index_ = -1;
    SDL_Joystick* joy_ = nullptr;
};

}  // namespace lum::test
