#include "state/window_scale.h"

#include <algorithm>
#include <cmath>

namespace lum {

int pixel_unit(double device_pixel_ratio) {
    if (!(device_pixel_ratio >= 1)) return 1;  // also NaN
    return static_cast<int>(std::lround(std::min(device_pixel_ratio, double(kMaxZoom))));
}

ScaleChoice choose_scale(int area_w, int area_h, int game_w, int game_h, ScaleMode mode, int zoom,
                         double device_pixel_ratio) {
    game_w = std::max(game_w, 1);
    game_h = std::max(game_h, 1);
    area_w = std::max(area_w, 0);
    area_h = std::max(area_h, 0);
    const double fit = std::min(double(area_w) / game_w, double(area_h) / game_h);
    ScaleChoice c;
    if (mode == ScaleMode::fit) {
        c.scale = std::max(fit, kMinFitScale);
    } else {
        const int unit = pixel_unit(device_pixel_ratio);
        const int fits = std::max(1, static_cast<int>(fit / unit));
        c.scale = double(std::min(std::clamp(zoom, 1, kMaxZoom), fits) * unit);
    }
    c.width = static_cast<int>(std::lround(game_w * c.scale));
    c.height = static_cast<int>(std::lround(game_h * c.scale));
    c.left = (area_w - c.width) / 2;
    c.top = (area_h - c.height) / 2;
    return c;
}

}  // namespace lum
