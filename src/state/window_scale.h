#pragma once

// How large the game is drawn. The game's picture (725 x 493) is scaled into an area of the
// screen (the window, or the whole screen in full screen), measured in device pixels: a
// whole-number zoom keeps every game pixel a square of device pixels, fit fills the area as
// far as the aspect ratio allows and leaves black bars at the other sides.

namespace lum {

enum class ScaleMode { zoom, fit };

struct ScaleChoice {
    double scale = 1;  // device pixels per game pixel
    int left = 0;      // the picture's place in the area, black around it
    int top = 0;
    int width = 0;  // the picture's size in device pixels
    int height = 0;

    bool operator==(const ScaleChoice&) const = default;
};

inline constexpr int kGameWidth = 725;
inline constexpr int kGameHeight = 493;
inline constexpr int kMaxZoom = 8;
// Below half size the texts cannot be read; an area smaller than that (a window dragged
// nearly shut) shows the game cut off rather than smaller.
inline constexpr double kMinFitScale = 0.5;

// The whole number of device pixels a screen gives one of its logical pixels: 1 on an
// ordinary screen, 2 on a HiDPI one. Zooms count in these units, so zoom 1 on a HiDPI screen
// is sharp at twice the size.
int pixel_unit(double device_pixel_ratio);

// The scale and place of a game of `game_w` x `game_h` in an area of `area_w` x `area_h`
// device pixels on a screen of the given device pixel ratio. A zoom of 1..kMaxZoom (others are
// brought into range) is `zoom` units, lowered to the largest whole number of units that fits
// the area (never below one); fit is the largest scale that fits, whole or not.
ScaleChoice choose_scale(int area_w, int area_h, int game_w, int game_h, ScaleMode mode, int zoom,
                         double device_pixel_ratio);

}  // namespace lum
