#pragma once

// What a game controller does, as the game knows it: the few inputs it maps to keys, and pads
// coming and going. The controller layer reports these; the screens' key handling takes them.

#include <string>

namespace lum {

enum class PadInput { up, down, left, right, a, b, x, y, lb, rb, start, back, rt };

struct PadEvent {
    enum Kind { press, release, connected, disconnected };
    Kind kind = press;
    PadInput input = PadInput::a;  // for press and release
    std::string name;              // the pad's name, for connected and disconnected
};

}  // namespace lum
