#pragma once

// Game controllers through SDL's game-controller layer (SDL's own mapping database, plus
// whatever SDL_GAMECONTROLLERCONFIG adds): every pad's buttons and sticks reduced to the few
// inputs the game knows, with pads coming and going while it runs.

#include <SDL2/SDL.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "state/pad_input.h"

namespace lum {

struct SdlApi;

class GamePads {
  public:
    // A stick or trigger counts as pressed past kPressAt and as let go below kReleaseAt: the
    // gap keeps a stick resting near the edge from chattering.
    static constexpr int kPressAt = 16000;
    static constexpr int kReleaseAt = 8000;

    // Starts SDL's game controllers; nullptr, with the reason in `why`, when SDL or its
    // controller layer cannot start. Pads already plugged in arrive as `connected` events.
    static std::unique_ptr<GamePads> open(std::string* why = nullptr);
    ~GamePads();
    GamePads(const GamePads&) = delete;
    GamePads& operator=(const GamePads&) = delete;

    // What happened since the last call, in order. Called on the GUI thread.
    std::vector<PadEvent> poll();
    // One SDL event, as poll() takes it (events that are not a pad's are ignored).
    void take(const SDL_Event& e, std::vector<PadEvent>& out);

    int connected() const { return static_cast<int>(pads_.size()); }

  private:
    explicit GamePads(const SdlApi& sdl) : sdl_(sdl) {}
    void set(PadInput in, bool down, std::vector<PadEvent>& out);
    void axis(int axis, int value, std::vector<PadEvent>& out);

    const SdlApi& sdl_;
    std::map<SDL_JoystickID, std::pair<SDL_GameController*, std::string>> pads_;
    // Held inputs over all pads, so that two pads (or a stick and the D-pad) pressing the same
    // direction give one press and one release.
    std::map<PadInput, int> held_;
    std::map<int, int> axis_dir_;  // per stick axis: -1, 0 or 1
};

}  // namespace lum
