#include "sound/game_pads.h"

#include "sound/sdl_api.h"

namespace lum {

namespace {

bool button_input(int button, PadInput& in) {
    switch (button) {
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            in = PadInput::up;
            return true;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            in = PadInput::down;
            return true;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            in = PadInput::left;
            return true;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            in = PadInput::right;
            return true;
        case SDL_CONTROLLER_BUTTON_A:
            in = PadInput::a;
            return true;
        case SDL_CONTROLLER_BUTTON_B:
            in = PadInput::b;
            return true;
        case SDL_CONTROLLER_BUTTON_X:
            in = PadInput::x;
            return true;
        case SDL_CONTROLLER_BUTTON_Y:
            in = PadInput::y;
            return true;
        case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
            in = PadInput::lb;
            return true;
        case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
            in = PadInput::rb;
            return true;
        case SDL_CONTROLLER_BUTTON_START:
            in = PadInput::start;
            return true;
        case SDL_CONTROLLER_BUTTON_BACK:
            in = PadInput::back;
            return true;
        default:
            return false;
    }
}

}  // namespace

std::unique_ptr<GamePads> GamePads::open(std::string* why) {
    const SdlApi* sdl = sdl_api(why);
    if (!sdl) return nullptr;
    sdl->SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // SDL has no window of ours to watch: the pads always report, and the game's window
    // decides whether it is in front to take them.
    sdl->SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (sdl->SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        if (why) *why = sdl->SDL_GetError();
        return nullptr;
    }
    return std::unique_ptr<GamePads>(new GamePads(*sdl));
}

GamePads::~GamePads() {
    for (auto& [id, pad] : pads_) sdl_.SDL_GameControllerClose(pad.first);
    sdl_.SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

std::vector<PadEvent> GamePads::poll() {
    std::vector<PadEvent> out;
    SDL_Event e;
    while (sdl_.SDL_PollEvent(&e)) take(e, out);
    return out;
}

void GamePads::take(const SDL_Event& e, std::vector<PadEvent>& out) {
    switch (e.type) {
        case SDL_CONTROLLERDEVICEADDED: {
            SDL_GameController* c = sdl_.SDL_GameControllerOpen(e.cdevice.which);
            if (!c) return;
            const SDL_JoystickID id =
                sdl_.SDL_JoystickInstanceID(sdl_.SDL_GameControllerGetJoystick(c));
            if (pads_.count(id)) {  // SDL reports a pad present at start-up once more
                sdl_.SDL_GameControllerClose(c);
                return;
            }
            const char* name = sdl_.SDL_GameControllerName(c);
            pads_[id] = {c, name ? name : ""};
            out.push_back({PadEvent::connected, PadInput::a, pads_[id].second});
            return;
        }
        case SDL_CONTROLLERDEVICEREMOVED: {
            auto it = pads_.find(e.cdevice.which);
            if (it == pads_.end()) return;
            const std::string name = it->second.second;
            sdl_.SDL_GameControllerClose(it->second.first);
            pads_.erase(it);
            // What the pad held is let go: a pulled cable must not leave fast-forward on.
            if (pads_.empty()) {
                for (auto& [in, n] : held_)
                    if (n > 0) out.push_back({PadEvent::release, in, {}});
                held_.clear();
                axis_dir_.clear();
            }
            out.push_back({PadEvent::disconnected, PadInput::a, name});
            return;
        }
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP: {
            if (!pads_.count(e.cbutton.which)) return;
            PadInput in;
            if (button_input(e.cbutton.button, in))
                set(in, e.type == SDL_CONTROLLERBUTTONDOWN, out);
            return;
        }
        case SDL_CONTROLLERAXISMOTION:
            if (!pads_.count(e.caxis.which)) return;
            axis(e.caxis.axis, e.caxis.value, out);
            return;
        default:
            return;
    }
}

void GamePads::set(PadInput in, bool down, std::vector<PadEvent>& out) {
    int& n = held_[in];
    if (down) {
        if (n++ == 0) out.push_back({PadEvent::press, in, {}});
    } else if (n > 0) {
        if (--n == 0) out.push_back({PadEvent::release, in, {}});
    }
}

void GamePads::axis(int axis, int value, std::vector<PadEvent>& out) {
    if (axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT) {
        int& was = axis_dir_[axis];
        const int now = value > kPressAt ? 1 : value < kReleaseAt ? 0 : was;
        if (now != was) set(PadInput::rt, now == 1, out);
        was = now;
        return;
    }
    if (axis != SDL_CONTROLLER_AXIS_LEFTX && axis != SDL_CONTROLLER_AXIS_LEFTY) return;
    const bool x = axis == SDL_CONTROLLER_AXIS_LEFTX;
    const PadInput neg = x ? PadInput::left : PadInput::up;
    const PadInput pos = x ? PadInput::right : PadInput::down;
    int& was = axis_dir_[axis];
    int now = was;
    if (value > kPressAt)
        now = 1;
    else if (value < -kPressAt)
        now = -1;
    else if (value < kReleaseAt && value > -kReleaseAt)
        now = 0;
    if (now == was) return;
    if (was != 0) set(was < 0 ? neg : pos, false, out);
    if (now != 0) set(now < 0 ? neg : pos, true, out);
    was = now;
}

}  // namespace lum
