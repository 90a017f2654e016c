#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "art_places.h"
#include "assets.h"
#include "canvas.h"
#include "recipes.h"
#include "sfx.h"

namespace fs = std::filesystem;
using namespace lum::art;

namespace {

std::string rows(const Mask& m) {
    std::string s;
    for (int y = 0; y < m.height(); ++y) {
        for (int x = 0; x < m.width(); ++x) s += m.at(x, y) ? '#' : '.';
        s += '\n';
    }
    return s;
}

TEST(ArtMask, ShapesCoverTheExpectedPixels) {
    Mask e(7, 5);
    e.ellipse(3.5, 2.5, 3.5, 2.5);
    // A pixel is inside when its centre is.
    EXPECT_EQ(rows(e), ".#####.\n#######\n#######\n#######\n.#####.\n");
    Mask p(6, 4);
    p.polygon({{0, 0}, {6, 0}, {0, 4}});
    EXPECT_EQ(rows(p), "#####.\n####..\n##....\n#.....\n");
    Mask r(4, 3);
    r.rect(-2, 1, 5, 9).subtract(Mask(4, 3).rect(1, 2, 1, 1));
    EXPECT_EQ(rows(r), "....\n###.\n#.#.\n");
    EXPECT_FALSE(r.at(-1, 1));  // outside the mask is never inside
}

TEST(ArtCanvas, ShadeOutlinesEdgesAndLightsTheTopLeft) {
    Canvas c(8, 8, rgb(0x000000));
    Mask m(8, 8);
    m.rect(1, 1, 6, 6);
    Ramp r{rgb(0x010101), rgb(0x020202), rgb(0x030303), rgb(0x040404), rgb(0x050505)};
    c.shade(m, r, true, 2);
    EXPECT_EQ(c.get(0, 0), rgb(0x000000));
    EXPECT_EQ(c.get(1, 1), r.outline);
    EXPECT_EQ(c.get(6, 3), r.outline);
    EXPECT_EQ(c.get(2, 2), r.shine);   // nearest the light
    EXPECT_EQ(c.get(3, 3), r.base);    // the middle
    EXPECT_EQ(c.get(5, 5), r.shadow);  // away from the light
}

TEST(ArtCanvas, DeterministicGeneratorAndNoise) {
    Rng a(42), b(42), c(43);
    for (int i = 0; i < 100; ++i) {
        int va = a.uniform(1000);
        EXPECT_EQ(va, b.uniform(1000));
        EXPECT_GE(va, 0);
        EXPECT_LT(va, 1000);
    }
    EXPECT_NE(Rng(42).next(), c.next());
    EXPECT_EQ(Rng(1).uniform(0), 0);
    EXPECT_DOUBLE_EQ(noise(3.0, 4.0, 9), noise(3.0, 4.0, 9));
    for (double x = 0; x < 5; x += 0.37) {
        double n = fractal(x, x * 0.5, 7);
        EXPECT_GE(n, 0.0);
        EXPECT_LE(n, 1.0);
    }
}

TEST(ArtPlaces, EveryTerrainAndSceneHasItsOwnLook) {
    std::vector<std::vector<Rgb>> seen;
    for (auto& t : kTerrains) {
        Canvas c = draw_battle_map(t, 1);
        ASSERT_EQ(c.width(), 112);
        ASSERT_EQ(c.height(), 80);
        for (auto& o : seen) EXPECT_FALSE(o == c.pixels()) << t;
        seen.push_back(c.pixels());
    }
    for (auto& s : kScenes) {
        Canvas c = draw_scene(s, 1);
        // A scene fills its whole frame: no untouched black rows left by a missing layer.
        for (int y = 0; y < c.height(); ++y) {
            int black = 0;
            for (int x = 0; x < c.width(); ++x) black += c.get(x, y) == Rgb{} ? 1 : 0;
            EXPECT_LT(black, c.width()) << s << " row " << y;
        }
    }
}

// Units stand on every square, so nothing on a battle map may look like an obstacle: what lies
// on a square is drawn flat, without the outline and shadow of a solid thing. An outline or a
// shadow is far darker than the ground around it; a flat mark, a seam or a grout line is not.
TEST(ArtPlaces, NothingOnABattleMapCastsAShadowOrHasAnOutline) {
    auto luma = [](Rgb c) { return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b; };
    for (const auto& t : kTerrains)
        for (uint64_t seed = 1; seed <= 5; ++seed) {
            const Canvas c = draw_battle_map(t, seed);
            for (int sy = 0; sy < 5; ++sy)
                for (int sx = 0; sx < 7; ++sx) {
                    // The square without its grid lines, against its median.
                    std::vector<double> v;
                    for (int y = 1; y < 15; ++y)
                        for (int x = 1; x < 15; ++x)
                            v.push_back(luma(c.get(sx * 16 + x, sy * 16 + y)));
                    std::vector<double> sorted = v;
                    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2,
                                     sorted.end());
                    const double median = sorted[sorted.size() / 2];
                    const double darkest = *std::min_element(v.begin(), v.end());
                    EXPECT_LT(median - darkest, 80.0)
                        << t << " seed " << seed << " square (" << sx << ", " << sy << ")";
                }
        }
}

TEST(ArtPlaces, ButtonRectangleIsCentredOnItsLandmark) {
    ButtonRect r = button_rect({"m0", "village", 100, 50});
    EXPECT_EQ(r.left, 86);
    EXPECT_EQ(r.top, 38);
    EXPECT_EQ(r.width, 28);
    EXPECT_EQ(r.height, 24);
}

TEST(ArtRecipes, RegionsRefuseOverlappingButtonsAndUnknownPlaces) {
    fs::path d = fs::temp_directory_path() / ("assetgen_regions_" + std::to_string(::getpid()));
    fs::remove_all(d);
    fs::create_directories(d / "art");
    std::ofstream(d / "art" / "people.txt") << "portrait my0\n";
    std::ofstream(d / "art" / "places.txt") << "title map_bak\n";
    auto fault = [&](const std::string& regions) -> std::string {
        std::ofstream(d / "art" / "regions.txt", std::ios::trunc) << regions;
        try {
            lum::assets::build_pictures(d.string(), nullptr);
        } catch (const lum::assets::RecipeError& e) {
            return e.what();
        }
        return "no fault";
    };
    EXPECT_EQ(fault("region b_map1 box=m100\nplace m0 map=b_map1 x=50 y=50\nplace m1 map=b_map1 "
                    "x=70 y=60\n"),
              "regions.txt:3: button m1 overlaps m0");
    EXPECT_EQ(fault("region b_map1 box=m100\nplace m0 map=b_map9 x=50 y=50\n"),
              "regions.txt:2: map=b_map9 names no region written above");
    EXPECT_EQ(fault("region b_map1 box=m100\nplace m0 map=b_map1 x=50 y=50\nplace m0 map=b_map1 "
                    "x=150 y=50\n"),
              "regions.txt:3: button m0 is placed twice");
    EXPECT_EQ(fault("region b_map1 box=m100\nplace m0 map=b_map1 x=5 y=50\n"),
              "regions.txt:2: x=5 is outside 16..417");
    EXPECT_EQ(
        fault("region b_map1 box=m100\nplace m0 map=b_map1 x=50 y=50\nroad b_map1 from=m0 to=m7\n"),
        "regions.txt:3: road end m7 is no place of b_map1");
    EXPECT_EQ(fault("region b_map1 box=m100\nplace m0 map=b_map1 x=50 y=50\n"), "no fault");
    std::ofstream(d / "art" / "people.txt", std::ios::trunc) << "sprite char1 look=my2\n";
    EXPECT_EQ(fault(""), "people.txt:1: look=my2 names no portrait written above");
    fs::remove_all(d);
}

TEST(Sfx, EveryVoiceRendersDeterministicallyAtItsRateAndWidth) {
    for (auto& v : lum::sfx::voices()) {
        auto mono = lum::sfx::render(v, {11025, 8, 1}, 5);
        auto stereo = lum::sfx::render(v, {44100, 16, 2}, 5);
        EXPECT_EQ(mono, lum::sfx::render(v, {11025, 8, 1}, 5)) << v;
        ASSERT_FALSE(mono.empty()) << v;
        // The same sound lasts as long at any rate: four times the rate, twice the channels.
        EXPECT_NEAR(static_cast<double>(stereo.size()) / mono.size(), 8.0, 0.01) << v;
        float peak = 0;
        for (float s : stereo) peak = std::max(peak, std::abs(s));
        EXPECT_LE(peak, 0.9f) << v;
        EXPECT_GT(peak, 0.2f) << v;
        EXPECT_NEAR(stereo[stereo.size() - 1], 0.0f, 0.02f) << v << " ends on a click";
    }
}

}  // namespace
