#include "state/window_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace lum;

namespace {

ScaleChoice fit(int w, int h, double dpr = 1) {
    return choose_scale(w, h, kGameWidth, kGameHeight, ScaleMode::fit, 1, dpr);
}
ScaleChoice zoom(int w, int h, int z, double dpr = 1) {
    return choose_scale(w, h, kGameWidth, kGameHeight, ScaleMode::zoom, z, dpr);
}
void expect(const ScaleChoice& c, double scale, int left, int top, int width, int height) {
    EXPECT_DOUBLE_EQ(c.scale, scale);
    EXPECT_EQ(c.left, left);
    EXPECT_EQ(c.top, top);
    EXPECT_EQ(c.width, width);
    EXPECT_EQ(c.height, height);
}

}  // namespace

// Fit: the largest scale that fits, the picture centred with black bars at the other sides.
TEST(WindowScale, FitFillsTheHeightOrTheWidthOfEveryScreen) {
    expect(fit(725, 493), 1.0, 0, 0, 725, 493);
    expect(fit(1280, 800), 800.0 / 493, 52, 0, 1176, 800);  // a handheld: ≈ 1.62
    expect(fit(1920, 1080), 1080.0 / 493, 166, 0, 1588, 1080);
    expect(fit(3840, 2160), 2160.0 / 493, 332, 0, 3176, 2160);
    expect(fit(1450, 986), 2.0, 0, 0, 1450, 986);
    // A tall window fills its width and bars the top and the bottom.
    expect(fit(1000, 1000), 1000.0 / 725, 0, 160, 1000, 680);
    // The device pixel ratio does not change a fit: it counts device pixels already.
    EXPECT_EQ(fit(3840, 2160, 2), fit(3840, 2160));
}

// A zoom is whole units and never larger than the area; a HiDPI screen's unit is 2.
TEST(WindowScale, ZoomIsWholeAndLoweredToWhatFits) {
    expect(zoom(725, 493, 1), 1.0, 0, 0, 725, 493);
    expect(zoom(1280, 800, 1), 1.0, 277, 153, 725, 493);
    expect(zoom(1280, 800, 2), 1.0, 277, 153, 725, 493);  // 1450 x 986 would not fit
    expect(zoom(1920, 1080, 2), 2.0, 235, 47, 1450, 986);
    expect(zoom(1920, 1080, 8), 2.0, 235, 47, 1450, 986);
    expect(zoom(3840, 2160, 3), 3.0, 832, 340, 2175, 1479);
    expect(zoom(3840, 2160, 8), 4.0, 470, 94, 2900, 1972);
    // HiDPI: zoom 1 is two device pixels a game pixel, zoom 2 four.
    expect(zoom(3840, 2160, 1, 2), 2.0, 1195, 587, 1450, 986);
    expect(zoom(3840, 2160, 2, 2), 4.0, 470, 94, 2900, 1972);
    expect(zoom(3840, 2160, 8, 2), 4.0, 470, 94, 2900, 1972);
    // An area smaller than one unit still shows one unit, cut off at the edges.
    expect(zoom(640, 480, 1), 1.0, -42, -6, 725, 493);
    expect(zoom(1280, 800, 1, 2), 2.0, -85, -93, 1450, 986);
}

TEST(WindowScale, NonsenseComesBackInRange) {
    EXPECT_EQ(zoom(3840, 2160, 0), zoom(3840, 2160, 1));
    EXPECT_EQ(zoom(3840, 2160, -5), zoom(3840, 2160, 1));
    EXPECT_EQ(zoom(30000, 30000, 99), zoom(30000, 30000, kMaxZoom));
    expect(fit(0, 0), kMinFitScale, -181, -123, 363, 247);
    expect(fit(-10, 200), kMinFitScale, -181, -23, 363, 247);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(zoom(1920, 1080, 2, nan), zoom(1920, 1080, 2));
    EXPECT_EQ(zoom(1920, 1080, 2, -1), zoom(1920, 1080, 2));
    const ScaleChoice none = choose_scale(800, 600, 0, 0, ScaleMode::fit, 1, 1);
    EXPECT_TRUE(std::isfinite(none.scale));
}

TEST(WindowScale, PixelUnitRoundsTheRatio) {
    EXPECT_EQ(pixel_unit(1), 1);
    EXPECT_EQ(pixel_unit(1.25), 1);
    EXPECT_EQ(pixel_unit(1.5), 2);
    EXPECT_EQ(pixel_unit(2), 2);
    EXPECT_EQ(pixel_unit(3), 3);
    EXPECT_EQ(pixel_unit(0.5), 1);
    EXPECT_EQ(pixel_unit(1000), kMaxZoom);
}
