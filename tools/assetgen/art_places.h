#pragma once

// Places: battle maps (112 x 80, 16 pixels a square), story backgrounds (112 x 80), the
// title picture (448 x 320) and the region maps (433 x 297) with their landmarks.

#include <string>
#include <vector>

#include "canvas.h"

namespace lum::art {

extern const std::vector<std::string> kTerrains;
extern const std::vector<std::string> kScenes;
extern const std::vector<std::string> kLandmarks;
extern const std::vector<std::string> kRegionStyles;

// Smooth value noise in 0..1.
double noise(double x, double y, uint64_t seed);
double fractal(double x, double y, uint64_t seed, int octaves = 3);

Canvas draw_battle_map(const std::string& terrain, uint64_t seed);
Canvas draw_scene(const std::string& scene, uint64_t seed);
Canvas draw_title(uint64_t seed);

struct Landmark {
    std::string button;  // m0, BitBtn13, card_b ...
    std::string kind;    // one of kLandmarks
    int x = 0, y = 0;    // centre of the landmark on the map picture
};

struct Road {
    int x0, y0, x1, y1;
};

Canvas draw_region(const std::string& style, const std::vector<Landmark>& marks,
                   const std::vector<Road>& roads, uint64_t seed);

// The button rectangle over a landmark: its left, top, width and height on the map picture.
struct ButtonRect {
    int left, top, width, height;
};
ButtonRect button_rect(const Landmark& m);

}  // namespace lum::art
