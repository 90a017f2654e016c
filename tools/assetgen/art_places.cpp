#include "art_places.h"

#include <algorithm>
#include <cmath>

namespace lum::art {

using Pts = std::vector<std::pair<double, double>>;

const std::vector<std::string> kTerrains = {
    "plains",     "forest", "town",      "village",   "church", "castle",
    "darkcastle", "temple", "skycastle", "slavetown", "desert", "snow",
    "ship",       "space",  "cave",      "ruins",     "beach",  "swamp"};

const std::vector<std::string> kScenes = {
    "town",      "town_night", "field", "forest", "castle",    "hall",      "room",
    "church",    "night",      "space", "desert", "snow",      "sea",       "ship",
    "skycastle", "ruins",      "cave",  "sunset", "slavetown", "darkcastle"};

const std::vector<std::string> kLandmarks = {
    "village",    "town",      "castle",     "church", "forest",   "cave",  "tower",
    "temple",     "ruins",     "field",      "port",   "ship",     "tent",  "house",
    "shop_class", "shop_card", "shop_sword", "portal", "mountain", "oasis", "skycastle",
    "darkcastle", "planet",    "star",       "camp",   "lab",      "gate",  "lake"};

const std::vector<std::string> kRegionStyles = {"green", "desert", "snow", "sky", "sea", "space"};

namespace {

uint64_t mixbits(uint64_t x) {
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdull;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ull;
    x ^= x >> 33;
    return x;
}

double lattice(int x, int y, uint64_t seed) {
    uint64_t h = mixbits(seed ^ (static_cast<uint64_t>(static_cast<uint32_t>(x)) * 0x9E3779B1ull) ^
                         (static_cast<uint64_t>(static_cast<uint32_t>(y)) << 32));
    return static_cast<double>(h >> 11) / 9007199254740992.0;
}

}  // namespace

double noise(double x, double y, uint64_t seed) {
    int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
    double fx = x - xi, fy = y - yi;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    double a = lattice(xi, yi, seed), b = lattice(xi + 1, yi, seed);
    double c = lattice(xi, yi + 1, seed), d = lattice(xi + 1, yi + 1, seed);
    return (a + (b - a) * fx) * (1 - fy) + (c + (d - c) * fx) * fy;
}

double fractal(double x, double y, uint64_t seed, int oct) {
    double sum = 0, amp = 1, norm = 0, f = 1;
    for (int i = 0; i < oct; ++i) {
        sum += amp * noise(x * f, y * f, seed + i * 7919);
        norm += amp;
        amp *= 0.5;
        f *= 2;
    }
    return sum / norm;
}

namespace {

// Three tones chosen by noise, dithered at the borders: the ground of most terrains.
void ground(Canvas& c, int x0, int y0, int w, int h, Rgb dark, Rgb mid, Rgb light, uint64_t seed,
            double freq = 0.12) {
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) {
            double n = fractal(x * freq, y * freq, seed) + (bayer4(x, y) - 7.5) / 60.0;
            c.set(x, y, n < 0.42 ? dark : (n < 0.62 ? mid : light));
        }
}

void tree(Canvas& c, double cx, double cy, double r, Rgb leaves) {
    Mask trunk(c.width(), c.height());
    trunk.rect(static_cast<int>(cx - r / 4), static_cast<int>(cy),
               std::max(2, static_cast<int>(r / 2)), static_cast<int>(r * 0.9));
    c.shade(trunk, ramp(0x6A4428), true, 1);
    Mask crown(c.width(), c.height());
    crown.ellipse(cx, cy - r * 0.2, r, r * 0.9)
        .ellipse(cx - r * 0.5, cy + r * 0.2, r * 0.6, r * 0.5)
        .ellipse(cx + r * 0.5, cy + r * 0.2, r * 0.6, r * 0.5);
    c.shade(crown, ramp(leaves), true, std::max(1, static_cast<int>(r / 3)));
}

void pine(Canvas& c, double cx, double base, double h, Rgb leaves, bool snow) {
    Mask m(c.width(), c.height());
    for (int k = 0; k < 3; ++k) {
        double top = base - h + k * h * 0.25, bot = base - h * 0.3 + k * h * 0.2 - h * 0.15;
        double w = h * (0.22 + 0.1 * k);
        m.polygon({{cx, top}, {cx + w, bot}, {cx - w, bot}});
    }
    Mask trunk(c.width(), c.height());
    trunk.rect(static_cast<int>(cx - 1), static_cast<int>(base - h * 0.35), 2,
               static_cast<int>(h * 0.35));
    c.shade(trunk, ramp(0x5A3A24), false);
    c.shade(m, ramp(leaves), true, 1);
    if (snow)
        for (int y = 0; y < c.height(); ++y)
            for (int x = 0; x < c.width(); ++x)
                if (m.at(x, y) && !m.at(x, y - 1) && m.at(x, y + 1))
                    c.set(x, y, rgb(0xF4F8FF)), c.set(x, y + 1, rgb(0xD8E4F4));
}

void house(Canvas& c, int x, int y, int w, int h, Rgb roof, Rgb wall, bool lit = false) {
    Mask walls(c.width(), c.height());
    walls.rect(x, y + h / 2, w, h - h / 2);
    c.shade(walls, ramp(wall), true, 1);
    Mask r(c.width(), c.height());
    r.polygon({{x - 2.0, y + h / 2.0 + 1}, {x + w / 2.0, y + 0.0}, {x + w + 2.0, y + h / 2.0 + 1}});
    c.shade(r, ramp(roof), true, 1);
    int dw = std::max(2, w / 5);
    c.rect(x + w / 2 - dw / 2, y + h - dw - 2, dw, dw + 2, scale(wall, 0.35));
    if (w >= 10) {
        Rgb win = lit ? rgb(0xFFD870) : rgb(0x40506A);
        c.rect(x + 2, y + h / 2 + 2, 2, 2, win);
        c.rect(x + w - 4, y + h / 2 + 2, 2, 2, win);
    }
}

void pillar(Canvas& c, int x, int y, int w, int h, Rgb col) {
    Mask m(c.width(), c.height());
    m.rect(x, y + 2, w, h - 4);
    m.rect(x - 1, y, w + 2, 2).rect(x - 1, y + h - 2, w + 2, 2);
    c.shade(m, ramp(col), true, 1);
    for (int j = y + 3; j < y + h - 3; ++j) c.set(x + w / 2, j, ramp(col).shadow);
}

void tiles(Canvas& c, int x0, int y0, int w, int h, int size, Rgb a, Rgb b, Rgb line,
           bool checker) {
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) {
            int tx = (x - x0) / size, ty = (y - y0) / size;
            Rgb col = (checker && (tx + ty) % 2) ? b : a;
            if ((x - x0) % size == 0 || (y - y0) % size == 0)
                col = line;
            else if ((x - x0) % size == 1 || (y - y0) % size == 1)
                col = mix(col, rgb(0xFFFFFF), 0.15);
            c.set(x, y, col);
        }
}

void bricks(Canvas& c, int x0, int y0, int w, int h, Rgb a, Rgb line, uint64_t seed) {
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) {
            int row = (y - y0) / 4, off = (row % 2) * 4;
            bool mortar = (y - y0) % 4 == 3 || ((x - x0 + off) % 8) == 7;
            double n = noise((x + off) / 8 * 1.7, row * 1.3, seed);
            Rgb col = mix(a, scale(a, 0.8), n);
            c.set(x, y, mortar ? line : col);
        }
}

// Something on a square that does not stop a unit (nothing on a battle map does): flat, with no
// outline and no shade, and close to the ground it lies on, so that nobody takes it for an
// obstacle.
void ground_mark(Canvas& c, const Mask& m, Rgb col, double strength = 0.3) {
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            if (m.at(x, y)) c.set(x, y, mix(c.get(x, y), col, strength));
}

// The shade a tree's crown casts, seen from above: where a tree stood on the board.
Mask crown_shade(int w, int h, double cx, double cy, double r) {
    Mask m(w, h);
    m.ellipse(cx, cy, r, r * 0.8)
        .ellipse(cx - r * 0.5, cy + r * 0.3, r * 0.6, r * 0.5)
        .ellipse(cx + r * 0.5, cy + r * 0.3, r * 0.6, r * 0.5);
    return m;
}

void grid_lines(Canvas& c) {
    // Squares must read at a glance without hiding the ground.
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            if (x % 16 == 15 || y % 16 == 15)
                c.set(x, y, mix(c.get(x, y), rgb(0x101020), 0.22));
            else if (x % 16 == 0 || y % 16 == 0)
                c.set(x, y, mix(c.get(x, y), rgb(0xFFFFFF), 0.08));
}

void stars(Canvas& c, int count, Rng& rng, int ymax) {
    for (int i = 0; i < count; ++i) {
        int x = rng.uniform(c.width()), y = rng.uniform(ymax);
        int b = rng.uniform(10);
        Rgb col = b < 6 ? rgb(0x8890B8) : (b < 9 ? rgb(0xD8E0FF) : rgb(0xFFF8D0));
        c.set(x, y, col);
        if (b == 9) {
            c.set(x - 1, y, scale(col, 0.6));
            c.set(x + 1, y, scale(col, 0.6));
            c.set(x, y - 1, scale(col, 0.6));
            c.set(x, y + 1, scale(col, 0.6));
        }
    }
}

void cloud(Canvas& c, double cx, double cy, double w, Rgb col) {
    Mask m(c.width(), c.height());
    m.ellipse(cx, cy, w * 0.5, w * 0.2)
        .ellipse(cx - w * 0.2, cy - w * 0.1, w * 0.25, w * 0.2)
        .ellipse(cx + w * 0.15, cy - w * 0.12, w * 0.22, w * 0.22);
    Ramp r = ramp(col);
    r.outline = r.shadow;
    c.shade(m, r, true, 2);
}

void mountains(Canvas& c, int base, int height, Rgb col, uint64_t seed, bool snowcap) {
    for (int x = 0; x < c.width(); ++x) {
        double n = fractal(x * 0.04, 0.5, seed, 3);
        int top = base - static_cast<int>(n * height);
        for (int y = top; y < base; ++y) {
            Rgb v = col;
            if (snowcap && y < top + 3 && n > 0.55)
                v = rgb(0xF0F4FF);
            else if (((x + y) & 1) && y < top + 2)
                v = mix(col, rgb(0xFFFFFF), 0.2);
            c.set(x, y, v);
        }
    }
}

}  // namespace

Canvas draw_battle_map(const std::string& t, uint64_t seed) {
    const int W = 112, H = 80;
    Canvas c(W, H);
    Rng rng(seed);
    if (t == "plains") {
        ground(c, 0, 0, W, H, rgb(0x4E8A3A), rgb(0x62A044), rgb(0x78B450), seed);
        // A worn path across the field.
        for (int x = 0; x < W; ++x) {
            int y = 40 + static_cast<int>(6 * std::sin(x * 0.06 + seed % 7));
            for (int k = -3; k <= 3; ++k)
                c.set(x, y + k,
                      (std::abs(k) == 3) ? rgb(0x8A7A48)
                                         : (bayer4(x, y + k) < 5 ? rgb(0xB09860) : rgb(0xC0A870)));
        }
        for (int i = 0; i < 30; ++i) {
            int x = rng.uniform(W), y = rng.uniform(H);
            Rgb f = (i % 3 == 0) ? rgb(0xF0E060) : (i % 3 == 1 ? rgb(0xF0F0F0) : rgb(0xE07890));
            c.set(x, y, f);
        }
        for (int i = 0; i < 40; ++i) {
            int x = rng.uniform(W), y = rng.uniform(H);
            c.set(x, y, rgb(0x3A6A2A));
            c.set(x + 1, y - 1, rgb(0x3A6A2A));
            c.set(x + 2, y, rgb(0x3A6A2A));
        }
        Mask stones(W, H);
        stones.ellipse(12 + rng.uniform(8), 70, 4, 3).ellipse(96, 8 + rng.uniform(6), 3, 2.5);
        ground_mark(c, stones, rgb(0x9A9A90), 0.35);
    } else if (t == "forest") {
        ground(c, 0, 0, W, H, rgb(0x2E5A2A), rgb(0x3A6E32), rgb(0x4A803A), seed, 0.15);
        for (int i = 0; i < 50; ++i) c.set(rng.uniform(W), rng.uniform(H), rgb(0x6A5030));
        // The trees stand off the board; their shade and the undergrowth lie on it.
        for (int i = 0; i < 8; ++i)
            ground_mark(c, crown_shade(W, H, 6 + i * 14 + rng.uniform(4), rng.uniform(4), 8),
                        rgb(0x14301A), 0.35);
        for (int i = 0; i < 8; ++i)
            ground_mark(c, crown_shade(W, H, 4 + i * 14 + rng.uniform(4), 76 + rng.uniform(4), 8),
                        rgb(0x14301A), 0.35);
        Mask ferns(W, H);
        ferns.ellipse(40, 36, 5, 4).ellipse(72, 48, 5, 4);
        ground_mark(c, ferns, rgb(0x5AA04A), 0.3);
        Mask shroom(W, H);
        shroom.ellipse(58, 30, 2, 1.5);
        ground_mark(c, shroom, rgb(0xD04040), 0.3);
    } else if (t == "town" || t == "slavetown" || t == "village") {
        if (t == "town") {
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x) {
                    int row = y / 5, off = (row % 2) * 3;
                    bool gap = y % 5 == 4 || (x + off) % 6 == 5;
                    double n = noise((x + off) / 6, row, seed);
                    c.set(x, y, gap ? rgb(0x6A6460) : mix(rgb(0xA8A090), rgb(0x90887C), n));
                }
        } else if (t == "village") {
            ground(c, 0, 0, W, H, rgb(0x5A8A3A), rgb(0x6E9A44), rgb(0x8A9A50), seed);
            for (int y = 28; y < 52; ++y)
                for (int x = 0; x < W; ++x)
                    c.set(x, y, bayer4(x, y) < 6 ? rgb(0xA08858) : rgb(0xB89C68));
        } else {
            ground(c, 0, 0, W, H, rgb(0x5A4A38), rgb(0x6A5842), rgb(0x7A684C), seed, 0.2);
            for (int i = 0; i < 6; ++i) {
                Mask puddle(W, H);
                puddle.ellipse(rng.uniform(W), 20 + rng.uniform(40), 4 + rng.uniform(4), 2);
                c.paint(puddle, rgb(0x3E4650));
            }
        }
        Rgb roof1 = t == "slavetown" ? rgb(0x6A5A4A) : rgb(0xB04A3A),
            roof2 = t == "slavetown" ? rgb(0x5A5040) : rgb(0x3A6AA0);
        Rgb wall = t == "slavetown" ? rgb(0x8A7A60) : rgb(0xE0D4B8);
        // The houses stand off the board: what lies on it is the ground before their doors,
        // mats and flagstones in the colours of the roofs and walls.
        for (int i = 0; i < 6; ++i) {
            Mask mat(W, H);
            mat.rect(2 + i * 19, 0, 14, 5);
            ground_mark(c, mat, i % 2 ? roof1 : roof2, 0.25);
        }
        for (int i = 0; i < 5; ++i) {
            Mask step(W, H);
            step.rect(8 + i * 21, 75, 14, 5);
            ground_mark(c, step, wall, 0.25);
        }
        if (t == "slavetown") {
            Mask rut(W, H);
            rut.rect(0, 60, W, 1);
            ground_mark(c, rut, rgb(0x3A3028), 0.3);
            Mask grate(W, H);
            grate.rect(84, 30, 14, 12);
            ground_mark(c, grate, rgb(0x4A4A52), 0.3);
            for (int x = 86; x < 98; x += 3) {
                Mask bar(W, H);
                bar.rect(x, 31, 1, 10);
                ground_mark(c, bar, rgb(0x22222A), 0.3);
            }
        } else if (t == "town") {
            // A round mosaic in the paving of the square.
            Mask ring(W, H);
            ring.ring(56, 40, 6, 5, 3.5, 2.5);
            ground_mark(c, ring, rgb(0x8A8A90), 0.35);
            Mask inlay(W, H);
            inlay.ellipse(56, 40, 3.5, 2.5);
            ground_mark(c, inlay, rgb(0x3A6AB0), 0.25);
        } else {
            Mask furrow(W, H);
            furrow.rect(0, 56, W, 1);
            ground_mark(c, furrow, rgb(0x6A4A2A), 0.3);
            Mask straw(W, H);
            straw.ellipse(20, 20, 5, 4).ellipse(96, 44, 5, 4);
            ground_mark(c, straw, rgb(0xE8D070), 0.35);
        }
    } else if (t == "church" || t == "castle" || t == "darkcastle" || t == "temple" ||
               t == "skycastle") {
        Rgb a, b, line, pil, carpet;
        if (t == "church")
            a = rgb(0xC8C0B0), b = rgb(0xB0A898), line = rgb(0x807868), pil = rgb(0xE0DCD0),
            carpet = rgb(0x9A2A3A);
        else if (t == "castle")
            a = rgb(0x8A8A92), b = rgb(0x7A7A84), line = rgb(0x4A4A54), pil = rgb(0xA0A0AA),
            carpet = rgb(0xA02828);
        else if (t == "darkcastle")
            a = rgb(0x3A3048), b = rgb(0x2E2640), line = rgb(0x18141E), pil = rgb(0x5A4A6A),
            carpet = rgb(0x5A1A4A);
        else if (t == "temple")
            a = rgb(0xD8C08A), b = rgb(0xC8B078), line = rgb(0x8A7048), pil = rgb(0xE8D8B0),
            carpet = rgb(0x2A6A8A);
        else
            a = rgb(0xF0F0F8), b = rgb(0xE0E4F0), line = rgb(0xB0B8D0), pil = rgb(0xF8F0D0),
            carpet = rgb(0x4A7AD0);
        tiles(c, 0, 0, W, H, 8, a, b, line, true);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                double n = fractal(x * 0.2, y * 0.2, seed);
                if (n > 0.66) c.set(x, y, mix(c.get(x, y), line, 0.35));
            }
        // A runner between the two sides.
        for (int y = 34; y < 46; ++y)
            for (int x = 0; x < W; ++x) {
                Rgb col = carpet;
                if (y == 34 || y == 45)
                    col = scale(carpet, 0.6);
                else if (y == 35 || y == 44)
                    col = rgb(0xE0C060);
                c.set(x, y, col);
            }
        // The pillars stand along the walls off the board; their bases show in the floor.
        for (int i = 0; i < 7; ++i) {
            Mask base(W, H);
            base.rect(4 + i * 16, 0, 8, 3).rect(4 + i * 16, 77, 8, 3);
            ground_mark(c, base, pil, 0.3);
        }
        if (t == "church") {
            // Light through the windows, on the floor.
            for (int i = 0; i < 3; ++i) {
                Mask w(W, H);
                w.rect(28 + i * 24, 2, 6, 9);
                Rgb glass[] = {rgb(0xD04050), rgb(0x4070D0), rgb(0xE0C040)};
                ground_mark(c, w, glass[i], 0.3);
            }
        }
        if (t == "darkcastle") {
            for (int i = 0; i < 4; ++i) {
                Mask glow(W, H);
                glow.ellipse(13 + i * 32, 18, 6, 5);
                c.dither(glow, c.get(13 + i * 32, 24), rgb(0x8A4A2A), 0.4);
                c.rect(12 + i * 32, 16, 2, 3, rgb(0xFFB040));
            }
            for (int i = 0; i < 5; ++i) {
                Mask crack(W, H);
                double x = rng.uniform(W), y = 20 + rng.uniform(40);
                crack.line(x, y, x + 6 - rng.uniform(12), y + 5, 1.0);
                c.paint(crack, rgb(0x0C0810));
            }
        }
        if (t == "temple") {
            for (int x = 0; x < W; ++x)
                for (int y = 22; y < 26; ++y)
                    c.set(x, y, (x + y) % 5 ? rgb(0x3A8AC0) : rgb(0x8AD0F0));
        }
        if (t == "skycastle") {
            for (int i = 0; i < 6; ++i) {
                Mask mist(W, H);
                mist.ellipse(rng.uniform(W), (i % 2) ? 78 : 2, 9, 4);
                ground_mark(c, mist, rgb(0xFFFFFF), 0.4);
            }
        }
    } else if (t == "desert") {
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                double ripple =
                    std::sin(x * 0.35 + 5 * fractal(x * 0.05, y * 0.05, seed) + y * 0.1);
                double n = fractal(x * 0.06, y * 0.06, seed + 3);
                Rgb col = n < 0.45 ? rgb(0xC89850) : (n < 0.6 ? rgb(0xD8AC60) : rgb(0xE8C478));
                if (ripple > 0.85) col = mix(col, rgb(0x9A6A30), 0.35);
                c.set(x, y, col);
            }
        for (int i = 0; i < 3; ++i) {
            Mask scrub(W, H);
            double x = 10 + rng.uniform(92), y = i == 0 ? 8 : (i == 1 ? 66 : 20 + rng.uniform(40));
            scrub.ellipse(x, y + 5, 4, 2.5);
            ground_mark(c, scrub, rgb(0x7A8A3A), 0.35);
        }
        Mask bone(W, H);
        bone.line(80, 60, 88, 56, 1.5);
        ground_mark(c, bone, rgb(0xF0ECE0), 0.45);
    } else if (t == "snow") {
        ground(c, 0, 0, W, H, rgb(0xC8D4EC), rgb(0xDCE6F6), rgb(0xF4F8FF), seed, 0.1);
        for (int i = 0; i < 3; ++i) {
            Mask ice(W, H);
            ice.ellipse(20 + rng.uniform(70), 20 + rng.uniform(40), 8, 4);
            ground_mark(c, ice, rgb(0xA0D0F0), 0.4);
        }
        // The pines stand off the board; their shade falls on the snow at its edges.
        for (int i = 0; i < 7; ++i)
            ground_mark(c, crown_shade(W, H, 8 + i * 16 + rng.uniform(3), 0, 6), rgb(0x5A7A9A),
                        0.3);
        for (int i = 0; i < 7; ++i)
            ground_mark(c, crown_shade(W, H, 4 + i * 16 + rng.uniform(3), 80, 6), rgb(0x5A7A9A),
                        0.3);
    } else if (t == "ship") {
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                int plank = y / 6;
                bool seam = y % 6 == 5 || ((x + plank * 13) % 28 == 0);
                double n = noise(x * 0.3, plank * 3.0, seed);
                c.set(x, y, seam ? rgb(0x5A3A22) : mix(rgb(0xA87848), rgb(0x906238), n));
            }
        // Sea beyond the rails at both ends of the deck.
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < W; ++x)
                c.set(x, y, (x + y * 3) % 9 ? rgb(0x2A5A9A) : rgb(0x8AC0F0));
        for (int y = 73; y < H; ++y)
            for (int x = 0; x < W; ++x)
                c.set(x, y, (x + y * 3) % 9 ? rgb(0x2A5A9A) : rgb(0x8AC0F0));
        for (int x = 0; x < W; ++x)
            c.set(x, 7, rgb(0x5A3A22)), c.set(x, 8, rgb(0xC09060)), c.set(x, 72, rgb(0x5A3A22)),
                c.set(x, 71, rgb(0xC09060));
        for (int x = 0; x < W; x += 8)
            c.rect(x, 4, 2, 4, rgb(0x7A5030)), c.rect(x, 72, 2, 4, rgb(0x7A5030));
        // The mast stands beside the board; a hatch and a coil of rope lie flat on the deck.
        Mask hatch(W, H);
        hatch.rect(51, 36, 10, 8);
        ground_mark(c, hatch, rgb(0x5A3A22), 0.3);
        Mask rope(W, H);
        rope.ring(20, 24, 4, 3, 2, 1);
        ground_mark(c, rope, rgb(0xD8C090), 0.35);
    } else if (t == "space") {
        c.fill(rgb(0x080818));
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                double n = fractal(x * 0.04, y * 0.06, seed, 4);
                if (n > 0.55)
                    c.set(x, y,
                          mix(rgb(0x080818), rgb(0x5A2A7A),
                              (n - 0.55) * 3 * (bayer4(x, y) / 16.0 + 0.5)));
            }
        stars(c, 90, rng, H);
        // Floating platforms: the squares one can stand on.
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                int sx = x % 16, sy = y % 16;
                if (sx >= 2 && sx <= 13 && sy >= 2 && sy <= 13) {
                    Rgb col = (sx == 2 || sy == 2)
                                  ? rgb(0x9AA8C8)
                                  : ((sx == 13 || sy == 13) ? rgb(0x3A4058) : rgb(0x5A6888));
                    if (sx >= 6 && sx <= 9 && sy >= 6 && sy <= 9) col = rgb(0x4AD0E0);
                    c.set(x, y, mix(c.get(x, y), col, 0.55));
                }
            }
    } else if (t == "cave") {
        ground(c, 0, 0, W, H, rgb(0x2A2630), rgb(0x3A3440), rgb(0x4A4250), seed, 0.15);
        // Damp patches under the dripstones of the roof, and the glow of crystals in the rock.
        for (int i = 0; i < 9; ++i) {
            Mask damp(W, H);
            damp.ellipse(rng.uniform(W), (i % 2) ? 3 : 77, 5, 3);
            ground_mark(c, damp, rgb(0x1A1620), 0.35);
        }
        for (int i = 0; i < 4; ++i) {
            Mask glow(W, H);
            glow.ellipse(10 + rng.uniform(92), 16 + rng.uniform(48), 3, 2);
            ground_mark(c, glow, rgb(0x6AE0D0), 0.3);
        }
    } else if (t == "ruins") {
        ground(c, 0, 0, W, H, rgb(0x4E7A3A), rgb(0x5E8A44), rgb(0x708E50), seed);
        for (int i = 0; i < 14; ++i) {
            int x = rng.uniform(7) * 16, y = rng.uniform(5) * 16;
            tiles(c, x + 1, y + 1, 14, 14, 7, rgb(0xA8A498), rgb(0x989488), rgb(0x6A665C), false);
            for (int k = 0; k < 12; ++k)
                c.set(x + 1 + rng.uniform(14), y + 1 + rng.uniform(14), rgb(0x5E8A44));
        }
        // Where walls and a pillar stood: their footings, level with the grass.
        Mask footing(W, H);
        footing.rect(60, 8, 26, 6).rect(19, 70, 8, 6);
        ground_mark(c, footing, rgb(0xC0BCB0), 0.35);
    } else if (t == "beach") {
        ground(c, 0, 0, W, H, rgb(0xD8C088), rgb(0xE4CC94), rgb(0xF0DAA4), seed);
        for (int x = 0; x < W; ++x) {
            // Shallows only: the top row is still a place to stand.
            int shore = 6 + static_cast<int>(2 * std::sin(x * 0.12 + seed % 5));
            for (int y = 0; y < shore; ++y)
                c.set(x, y,
                      y > shore - 3 ? rgb(0xF0F8FF)
                                    : ((x + y * 2) % 11 ? rgb(0x5A9AC0) : rgb(0x9AD0F0)));
        }
        for (int i = 0; i < 6; ++i) c.set(rng.uniform(W), 30 + rng.uniform(48), rgb(0xF0A0B0));
        ground_mark(c, crown_shade(W, H, 100, 62, 7), rgb(0x5A7A3A), 0.3);
    } else if (t == "swamp") {
        ground(c, 0, 0, W, H, rgb(0x3A4A2A), rgb(0x4A5A30), rgb(0x5A6A3A), seed);
        for (int i = 0; i < 5; ++i) {
            Mask pool(W, H);
            pool.ellipse(rng.uniform(W), rng.uniform(H), 8 + rng.uniform(6), 4 + rng.uniform(3));
            ground_mark(c, pool, rgb(0x2A4A4A), 0.4);
        }
        for (int i = 0; i < 30; ++i) {
            int x = rng.uniform(W), y = rng.uniform(H);
            c.rect(x, y, 1, 4, rgb(0x6A8A3A));
            c.set(x, y, rgb(0x8A5A30));
        }
    }
    grid_lines(c);
    return c;
}

// ---------------------------------------------------------------------------------------

Canvas draw_scene(const std::string& s, uint64_t seed) {
    const int W = 112, H = 80;
    Canvas c(W, H);
    Rng rng(seed);
    auto sky = [&](Rgb top, Rgb bottom, int h) { c.vgradient(0, 0, W, h, top, bottom, 5); };
    if (s == "town" || s == "town_night" || s == "slavetown") {
        bool night = s == "town_night";
        sky(night ? rgb(0x101838) : rgb(0x5A9AE0), night ? rgb(0x2A3A6A) : rgb(0xB8DCF8), 50);
        if (night)
            stars(c, 30, rng, 30);
        else
            cloud(c, 30, 12, 26, rgb(0xFFFFFF)), cloud(c, 84, 8, 20, rgb(0xF8F8FF));
        if (night) {
            Mask moon(W, H);
            moon.ellipse(92, 12, 6, 6);
            c.shade(moon, ramp(0xF8F0C0), false);
        }
        Rgb road = s == "slavetown" ? rgb(0x6A5A48) : rgb(0xA09888);
        for (int y = 58; y < H; ++y)
            for (int x = 0; x < W; ++x)
                c.set(x, y, ((x / 6 + y / 4) % 2) ? road : scale(road, 0.9));
        Rgb roofs[] = {rgb(0xB04A3A), rgb(0x3A6AA0), rgb(0x7A5A9A), rgb(0x4A8A5A)};
        for (int i = 0; i < 5; ++i) {
            int w = 18 + rng.uniform(6), hh = 26 + rng.uniform(14);
            int x = i * 24 - 4;
            Rgb roof = s == "slavetown" ? rgb(0x5A4A3A) : roofs[i % 4];
            Rgb wall = s == "slavetown" ? rgb(0x7A6A54) : rgb(0xE8DCC0);
            if (night) roof = scale(roof, 0.5), wall = scale(wall, 0.45);
            house(c, x, 60 - hh, w, hh, roof, wall, night);
        }
        if (s == "slavetown")
            for (int x = 0; x < W; x += 5) c.rect(x, 60, 1, 10, rgb(0x2A2018));
    } else if (s == "field" || s == "sunset" || s == "night") {
        Rgb t = s == "field" ? rgb(0x4A8AE0) : (s == "sunset" ? rgb(0x4A3A8A) : rgb(0x0A1030));
        Rgb b = s == "field" ? rgb(0xC0E4FF) : (s == "sunset" ? rgb(0xF8A058) : rgb(0x2A3A6A));
        sky(t, b, 52);
        if (s == "night") {
            stars(c, 60, rng, 45);
            Mask moon(W, H), bite(W, H);
            moon.ellipse(84, 14, 8, 8);
            bite.ellipse(88, 11, 7, 7);
            moon.subtract(bite);
            c.shade(moon, ramp(0xFFF4C0), false);
        } else if (s == "sunset") {
            Mask sun(W, H);
            sun.ellipse(56, 46, 10, 10);
            c.shade(sun, ramp(0xFFD070), false);
        } else {
            cloud(c, 24, 14, 28, rgb(0xFFFFFF));
            cloud(c, 80, 20, 22, rgb(0xFFFFFF));
        }
        mountains(c, 52, 18,
                  s == "night" ? rgb(0x1A2440) : (s == "sunset" ? rgb(0x5A3A5A) : rgb(0x6A7AA8)),
                  seed, s == "field");
        Rgb g1 = s == "night" ? rgb(0x1A3A2A) : (s == "sunset" ? rgb(0x5A5A2A) : rgb(0x5A9A3A));
        ground(c, 0, 52, W, 28, scale(g1, 0.8), g1, mix(g1, rgb(0xFFFF80), 0.15), seed, 0.1);
        for (int x = 0; x < W; ++x) {
            int y = 66 + static_cast<int>(3 * std::sin(x * 0.08));
            for (int k = 0; k < 3; ++k)
                c.set(x, y + k, s == "night" ? rgb(0x4A4A3A) : rgb(0xC0A870));
        }
    } else if (s == "forest") {
        sky(rgb(0x3A6A4A), rgb(0x8AB890), 60);
        for (int i = 0; i < 6; ++i) tree(c, 8 + i * 20, 30, 12, rgb(0x2A5A30));
        ground(c, 0, 56, W, 24, rgb(0x2A4A22), rgb(0x3A5A2A), rgb(0x4A6A32), seed);
        for (int i = 0; i < 5; ++i) tree(c, rng.uniform(W), 52 + rng.uniform(8), 9, rgb(0x3A7A3A));
        for (int i = 0; i < 5; ++i) {
            Mask ray(W, H);
            double x = 20 + i * 20;
            ray.polygon({{x, 0}, {x + 4, 0}, {x + 14, 60}, {x + 10, 60}});
            c.dither(ray, c.get(static_cast<int>(x), 30), rgb(0xE8F0B0), 0.15);
        }
    } else if (s == "castle" || s == "darkcastle" || s == "skycastle") {
        bool dark = s == "darkcastle", skyc = s == "skycastle";
        sky(dark ? rgb(0x1A0A2A) : (skyc ? rgb(0x3A7AE0) : rgb(0x5A90D8)),
            dark ? rgb(0x6A2A4A) : rgb(0xD0E8FF), 80);
        if (dark) stars(c, 20, rng, 30);
        if (skyc)
            for (int i = 0; i < 5; ++i)
                cloud(c, rng.uniform(W), 60 + rng.uniform(16), 30, rgb(0xFFFFFF));
        Rgb stone = dark ? rgb(0x3A3044) : (skyc ? rgb(0xF0F0F8) : rgb(0xA8A8B0));
        Rgb roof = dark ? rgb(0x6A1A3A) : (skyc ? rgb(0x4A7AD0) : rgb(0x3A5A9A));
        int base = skyc ? 60 : 72;
        Mask wall(W, H);
        wall.rect(20, base - 26, 72, 26);
        for (int x = 20; x < 92; x += 6) wall.rect(x, base - 30, 3, 4);
        wall.rect(44, base - 48, 24, 24);
        for (int x = 44; x < 68; x += 5) wall.rect(x, base - 52, 3, 4);
        wall.rect(14, base - 40, 12, 40).rect(86, base - 40, 12, 40);
        c.shade(wall, ramp(stone));
        Mask cones(W, H);
        cones.polygon({{12, base - 40.0}, {20, base - 56.0}, {28, base - 40.0}});
        cones.polygon({{84, base - 40.0}, {92, base - 56.0}, {100, base - 40.0}});
        cones.polygon({{42, base - 52.0}, {56, base - 70.0}, {70, base - 52.0}});
        c.shade(cones, ramp(roof));
        c.rect(52, base - 14, 8, 14, scale(stone, 0.3));
        for (int i = 0; i < 3; ++i)
            c.rect(50 + i * 5, base - 42, 2, 4, dark ? rgb(0xFF6040) : rgb(0xFFE080));
        if (skyc) {
            Mask rock(W, H);
            rock.polygon({{10, 60}, {102, 60}, {80, 76}, {56, 80}, {30, 74}});
            c.shade(rock, ramp(0x8A7A6A));
        } else {
            ground(c, 0, base, W, H - base, rgb(0x3A5A2A), rgb(0x4A6A32), rgb(0x5A7A3A), seed);
            if (dark)
                for (int y = base; y < H; ++y)
                    for (int x = 0; x < W; ++x) c.set(x, y, scale(c.get(x, y), 0.5));
        }
    } else if (s == "hall" || s == "church" || s == "room") {
        Rgb wall = s == "hall" ? rgb(0x8A8494) : (s == "church" ? rgb(0xD8D0C0) : rgb(0xC8A478));
        if (s == "room") {
            for (int y = 0; y < 56; ++y)
                for (int x = 0; x < W; ++x) c.set(x, y, (x % 10 == 0) ? scale(wall, 0.8) : wall);
        } else {
            bricks(c, 0, 0, W, 56, wall, scale(wall, 0.7), seed);
        }
        Rgb floor = s == "room" ? rgb(0x8A5A34) : (s == "church" ? rgb(0xB0A898) : rgb(0x6A6470));
        for (int y = 56; y < H; ++y)
            for (int x = 0; x < W; ++x)
                c.set(x, y, ((x + (y - 56) * 2) / 8 % 2) ? floor : scale(floor, 0.88));
        if (s == "hall") {
            for (int i = 0; i < 4; ++i) pillar(c, 6 + i * 30, 4, 8, 54, rgb(0xC0BCC8));
            for (int y = 56; y < H; ++y)
                for (int x = 44 - (y - 56); x < 68 + (y - 56); ++x) c.set(x, y, rgb(0xA02828));
            Mask throne(W, H);
            throne.rect(50, 30, 12, 26).rect(46, 44, 20, 6);
            c.shade(throne, ramp(0xD0A030));
            for (int i = 0; i < 2; ++i) {
                Mask banner(W, H);
                banner.polygon({{22.0 + i * 60, 6},
                                {30.0 + i * 60, 6},
                                {30.0 + i * 60, 30},
                                {26.0 + i * 60, 26},
                                {22.0 + i * 60, 30}});
                c.shade(banner, ramp(0x3A5AA0), true, 1);
            }
        } else if (s == "church") {
            Mask win(W, H);
            win.ellipse(56, 16, 12, 12).rect(44, 16, 25, 24);
            Rgb glass[] = {rgb(0xD04050), rgb(0x4070D0), rgb(0xE0C040), rgb(0x40A060)};
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x)
                    if (win.at(x, y))
                        c.set(x, y,
                              (x % 6 == 0 || y % 6 == 0) ? rgb(0x2A2A30)
                                                         : glass[(x / 6 + y / 6) % 4]);
            for (int i = 0; i < 4; ++i) {
                Mask pew(W, H);
                pew.rect(6 + (i % 2) * 72, 60 + (i / 2) * 10, 30, 5);
                c.shade(pew, ramp(0x7A4A2A), true, 1);
            }
            Mask altar(W, H);
            altar.rect(46, 46, 20, 10);
            c.shade(altar, ramp(0xF0ECE0), true, 1);
        } else {
            Mask window(W, H);
            window.rect(14, 12, 22, 18);
            c.shade(window, ramp(0x8AC0F0), true, 1);
            c.rect(24, 12, 2, 18, rgb(0x5A3A22));
            c.rect(14, 20, 22, 2, rgb(0x5A3A22));
            Mask table(W, H);
            table.rect(50, 48, 30, 5).rect(52, 53, 3, 10).rect(75, 53, 3, 10);
            c.shade(table, ramp(0x6A4428), true, 1);
            Mask shelf(W, H);
            shelf.rect(86, 16, 20, 40);
            c.shade(shelf, ramp(0x5A3A22), true, 1);
            for (int j = 0; j < 4; ++j)
                for (int i = 0; i < 6; ++i)
                    c.rect(88 + i * 3, 19 + j * 9, 2, 6,
                           (i + j) % 3 ? rgb(0xA03030) : rgb(0x3050A0));
            Mask candle(W, H);
            candle.rect(64, 42, 2, 6);
            c.shade(candle, ramp(0xF0F0E0), false);
            c.set(64, 41, rgb(0xFFD040));
        }
    } else if (s == "space") {
        c.fill(rgb(0x05050F));
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                double n = fractal(x * 0.03, y * 0.05, seed, 4);
                if (n > 0.52)
                    c.set(x, y,
                          mix(rgb(0x05050F), rgb(0x3A2A8A),
                              std::min(1.0, (n - 0.52) * 4) * (0.6 + bayer4(x, y) / 40.0)));
            }
        stars(c, 110, rng, H);
        Mask planet(W, H);
        planet.ellipse(84, 54, 18, 18);
        c.shade(planet, ramp(0x4A8AD0), false, 5);
        Mask ring(W, H);
        ring.ring(84, 54, 28, 5, 22, 3);
        c.paint(ring, rgb(0xD8C890));
    } else if (s == "desert") {
        sky(rgb(0x6AA0E8), rgb(0xF8E8C0), H);
        Mask sun(W, H);
        sun.ellipse(86, 12, 7, 7);
        c.shade(sun, ramp(0xFFF0A0), false);
        for (int y = 40; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                double dune = 46 + 6 * std::sin(x * 0.07 + 1) + 4 * std::sin(x * 0.19);
                if (y >= dune)
                    c.set(x, y,
                          y < dune + 2 ? rgb(0xF0D090)
                                       : (((x + y) % 7) ? rgb(0xD8AC60) : rgb(0xC89850)));
            }
        Mask pyr(W, H);
        pyr.polygon({{14, 50}, {34, 26}, {54, 50}});
        c.shade(pyr, ramp(0xC8A060));
    } else if (s == "snow") {
        sky(rgb(0x8A9AC0), rgb(0xE0E8F8), 50);
        mountains(c, 50, 22, rgb(0x9AA8C8), seed, true);
        ground(c, 0, 50, W, 30, rgb(0xD0DCF0), rgb(0xE4ECF8), rgb(0xF8FAFF), seed);
        for (int i = 0; i < 6; ++i)
            pine(c, 8 + i * 20 + rng.uniform(6), 72, 22, rgb(0x2A5A4A), true);
        for (int i = 0; i < 50; ++i) c.set(rng.uniform(W), rng.uniform(H), rgb(0xFFFFFF));
    } else if (s == "sea" || s == "ship") {
        sky(rgb(0x3A7AD8), rgb(0xC8E4FF), 40);
        cloud(c, 30, 12, 30, rgb(0xFFFFFF));
        for (int y = 40; y < H; ++y)
            for (int x = 0; x < W; ++x)
                c.set(x, y,
                      ((x + y * 5 + (y % 3) * 7) % 13 == 0)
                          ? rgb(0xC0E4FF)
                          : mix(rgb(0x2A6AB0), rgb(0x1A3A7A), (y - 40) / 40.0));
        if (s == "ship") {
            for (int y = 60; y < H; ++y)
                for (int x = 0; x < W; ++x)
                    c.set(x, y, (y % 5 == 4) ? rgb(0x5A3A22) : rgb(0xA87848));
            for (int x = 0; x < W; ++x) c.set(x, 58, rgb(0x5A3A22)), c.set(x, 59, rgb(0xC09060));
            for (int x = 0; x < W; x += 10) c.rect(x, 52, 2, 7, rgb(0x7A5030));
            for (int x = 0; x < W; ++x) c.set(x, 52, rgb(0x7A5030));
            Mask mast(W, H);
            mast.rect(80, 0, 4, 60);
            c.shade(mast, ramp(0x7A5030), true, 1);
            Mask sail(W, H);
            sail.polygon({{84, 4}, {108, 10}, {106, 40}, {84, 44}});
            c.shade(sail, ramp(0xF0E8D8));
        } else {
            Mask isle(W, H);
            isle.polygon({{66, 41}, {78, 34}, {84, 36}, {92, 30}, {104, 41}});
            c.shade(isle, ramp(0x5A7A9A), false);
        }
    } else if (s == "ruins") {
        sky(rgb(0x7A8AB0), rgb(0xE0D8C8), 52);
        ground(c, 0, 52, W, 28, rgb(0x4A6A3A), rgb(0x5A7A44), rgb(0x6A8A50), seed);
        for (int i = 0; i < 5; ++i) {
            int h = 16 + rng.uniform(24);
            pillar(c, 6 + i * 22, 60 - h, 8, h, rgb(0xC8C4B8));
        }
        Mask beam(W, H);
        beam.polygon({{30, 30}, {72, 24}, {72, 29}, {30, 35}});
        c.shade(beam, ramp(0xC8C4B8), true, 1);
    } else if (s == "cave") {
        ground(c, 0, 0, W, H, rgb(0x1A1620), rgb(0x2A2430), rgb(0x3A3240), seed, 0.08);
        Mask mouth(W, H);
        mouth.ellipse(56, 46, 40, 30);
        c.dither(mouth, rgb(0x0C0A10), rgb(0x1A1620), 0.3);
        for (int i = 0; i < 8; ++i) {
            Mask sp(W, H);
            double x = rng.uniform(W);
            sp.polygon({{x - 4, 0}, {x + 4, 0}, {x, 10.0 + rng.uniform(10)}});
            c.shade(sp, ramp(0x4A4252), true, 1);
        }
        for (int i = 0; i < 6; ++i) {
            Mask cr(W, H);
            double x = 6 + rng.uniform(100), y = 56 + rng.uniform(20);
            cr.polygon({{x, y - 8}, {x + 3, y}, {x, y + 2}, {x - 3, y}});
            c.shade(cr, ramp(0x6AE0D0), true, 1);
        }
    }
    return c;
}

Canvas draw_title(uint64_t seed) {
    const int W = 448, H = 320;
    Canvas c(W, H);
    Rng rng(seed);
    c.vgradient(0, 0, W, H, rgb(0x06061A), rgb(0x3A2A6A), 10);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            double n = fractal(x * 0.012, y * 0.02, seed, 4);
            double band = std::exp(-std::pow((y - 120 - 40 * std::sin(x * 0.01)) / 60.0, 2));
            double v = (n - 0.4) * 2.2 * band;
            if (v > 0)
                c.set(x, y,
                      mix(c.get(x, y), v > 0.5 ? rgb(0x8A5AC8) : rgb(0x4A3A9A),
                          std::min(0.8, v) * (0.7 + bayer4(x, y) / 50.0)));
        }
    stars(c, 500, rng, 240);
    // A great moon and a castle on a cliff: the world waiting below.
    Mask moon(W, H);
    moon.ellipse(330, 90, 46, 46);
    c.shade(moon, ramp(0xF0E8D0), false, 10);
    for (int i = 0; i < 6; ++i) {
        Mask crater(W, H);
        crater.ellipse(310 + rng.uniform(40), 70 + rng.uniform(40), 4 + rng.uniform(5),
                       3 + rng.uniform(4));
        crater.intersect(moon);
        c.paint(crater, rgb(0xD0C8B4));
    }
    for (int x = 0; x < W; ++x) {
        double n = fractal(x * 0.01, 3.5, seed + 5, 4);
        int top = 230 - static_cast<int>(n * 60);
        for (int y = top; y < H; ++y) c.set(x, y, y < top + 2 ? rgb(0x4A3A7A) : rgb(0x1A1434));
    }
    Mask cliff(W, H);
    cliff.polygon({{40, 320}, {60, 200}, {110, 180}, {170, 190}, {190, 320}});
    c.shade(cliff, ramp(0x241C40), true, 4);
    Mask castle(W, H);
    castle.rect(72, 140, 90, 44);
    castle.rect(92, 104, 22, 40).rect(124, 92, 18, 52).rect(66, 124, 14, 60).rect(154, 130, 12, 54);
    castle.polygon({{90, 104}, {103, 78}, {116, 104}}).polygon({{122, 92}, {133, 58}, {144, 92}});
    castle.polygon({{64, 124}, {73, 104}, {82, 124}}).polygon({{152, 130}, {160, 112}, {168, 130}});
    c.shade(castle, ramp(0x2E2650), true, 3);
    for (int i = 0; i < 14; ++i)
        c.rect(80 + rng.uniform(80), 112 + rng.uniform(60), 2, 3, rgb(0xFFD870));
    for (int i = 0; i < 40; ++i) {
        int x = rng.uniform(W), y = 250 + rng.uniform(70);
        c.set(x, y, rgb(0xFFE8A0));
    }
    return c;
}

// ---------------------------------------------------------------------------------------

ButtonRect button_rect(const Landmark& m) {
    return {m.x - 14, m.y - 12, 28, 24};
}

namespace {

void landmark(Canvas& c, const Landmark& m, const std::string& style, Rng& rng) {
    const int W = c.width(), H = c.height();
    double x = m.x, y = m.y;
    const std::string& k = m.kind;
    Mask base(W, H);
    base.ellipse(x, y + 8, 13, 4);
    c.dither(base, c.get(m.x, m.y + 8), rgb(0x202030), 0.4);
    auto shaded = [&](Mask& mk, uint32_t col, int d = 1) { c.shade(mk, ramp(col), true, d); };
    if (k == "village" || k == "house" || k == "camp" || k == "lab" || k == "tent") {
        if (k == "tent" || k == "camp") {
            Mask t(W, H);
            t.polygon({{x - 10, y + 8}, {x, y - 8}, {x + 10, y + 8}});
            shaded(t, k == "camp" ? 0xC8A060 : 0xA04A6A);
            c.rect(m.x - 1, m.y + 2, 3, 6, rgb(0x2A1A1A));
        } else if (k == "lab") {
            house(c, m.x - 9, m.y - 8, 18, 16, rgb(0x5A6A7A), rgb(0xD0D4DC));
            Mask dome(W, H);
            dome.ellipse(x + 6, y - 8, 5, 4);
            shaded(dome, 0x8AD0E0);
        } else {
            house(c, m.x - 11, m.y - 4, 10, 12, rgb(0xB04A3A), rgb(0xE8DCC0));
            house(c, m.x + 1, m.y - 8, 11, 16, rgb(0x3A6AA0), rgb(0xE8DCC0));
        }
    } else if (k == "town" || k == "oasis" || k == "port") {
        Mask wall(W, H);
        wall.rect(m.x - 12, m.y, 24, 8);
        shaded(wall, 0xA8A098);
        house(c, m.x - 11, m.y - 8, 9, 10, rgb(0xB04A3A), rgb(0xE8DCC0));
        house(c, m.x - 3, m.y - 12, 8, 14, rgb(0x3A6AA0), rgb(0xE8DCC0));
        house(c, m.x + 4, m.y - 7, 8, 9, rgb(0x7A5A9A), rgb(0xE8DCC0));
        if (k == "oasis") {
            Mask pool(W, H);
            pool.ellipse(x + 12, y + 8, 6, 3);
            shaded(pool, 0x3A8AD0);
            tree(c, x + 16, y + 2, 4, rgb(0x3A9A4A));
        }
        if (k == "port") {
            Mask pier(W, H);
            pier.rect(m.x + 8, m.y + 6, 10, 3);
            shaded(pier, 0x8A6038);
        }
    } else if (k == "castle" || k == "darkcastle" || k == "skycastle") {
        uint32_t col = k == "darkcastle" ? 0x5A4A6A : (k == "skycastle" ? 0xF0F0F8 : 0xB0B0B8);
        uint32_t roof = k == "darkcastle" ? 0x8A1A3A : 0x3A5AA0;
        if (k == "skycastle") {
            Mask rock(W, H);
            rock.polygon({{x - 13, y + 4}, {x + 13, y + 4}, {x + 4, y + 14}, {x - 4, y + 14}});
            shaded(rock, 0x8A7A6A);
        }
        Mask w(W, H);
        w.rect(m.x - 10, m.y - 6, 20, 12)
            .rect(m.x - 13, m.y - 10, 6, 16)
            .rect(m.x + 7, m.y - 10, 6, 16)
            .rect(m.x - 4, m.y - 14, 8, 10);
        shaded(w, col);
        Mask r(W, H);
        r.polygon({{x - 14, y - 10}, {x - 10, y - 17}, {x - 6, y - 10}})
            .polygon({{x + 6, y - 10}, {x + 10, y - 17}, {x + 14, y - 10}})
            .polygon({{x - 5, y - 14}, {x, y - 22}, {x + 5, y - 14}});
        shaded(r, roof);
        c.rect(m.x - 2, m.y + 1, 4, 5, rgb(0x201820));
    } else if (k == "church" || k == "temple") {
        Mask b(W, H);
        if (k == "church") {
            b.rect(m.x - 8, m.y - 4, 16, 12).rect(m.x - 3, m.y - 14, 6, 10);
            shaded(b, 0xE8E4DC);
            Mask roof(W, H);
            roof.polygon({{x - 10, y - 3}, {x, y - 10}, {x + 10, y - 3}});
            shaded(roof, 0x4A6AA0);
            c.rect(m.x, m.y - 20, 1, 6, rgb(0xE0C040));
            c.rect(m.x - 2, m.y - 18, 5, 1, rgb(0xE0C040));
        } else {
            b.rect(m.x - 12, m.y - 2, 24, 4).rect(m.x - 10, m.y + 2, 20, 6);
            b.polygon({{x - 13, y - 3}, {x, y - 12}, {x + 13, y - 3}});
            shaded(b, 0xE0D0A0);
            for (int i = -8; i <= 8; i += 4) c.rect(m.x + i, m.y + 2, 1, 6, rgb(0x8A7048));
        }
    } else if (k == "forest") {
        for (int i = 0; i < 4; ++i)
            tree(c, x - 8 + (i % 2) * 14 + (i / 2) * 2, y - 4 + (i / 2) * 8, 5,
                 style == "snow" ? rgb(0x2A5A4A) : rgb(0x2E7A34));
    } else if (k == "cave" || k == "mountain") {
        Mask mt(W, H);
        mt.polygon(
            {{x - 14, y + 8}, {x - 2, y - 12}, {x + 4, y - 4}, {x + 8, y - 8}, {x + 15, y + 8}});
        shaded(mt, style == "desert" ? 0xA07A50 : 0x7A7A8A, 2);
        for (int i = -2; i <= 2; ++i) c.set(m.x - 2 + i, m.y - 11 + std::abs(i), rgb(0xF4F8FF));
        if (k == "cave") {
            Mask mouth(W, H);
            mouth.ellipse(x + 1, y + 5, 4, 4);
            mouth.rect(m.x - 3, m.y + 5, 9, 3);
            c.paint(mouth, rgb(0x100C14));
        }
    } else if (k == "tower") {
        Mask t(W, H);
        t.rect(m.x - 4, m.y - 14, 8, 22);
        shaded(t, 0xA09AA8);
        Mask r(W, H);
        r.polygon({{x - 6, y - 14}, {x, y - 24}, {x + 6, y - 14}});
        shaded(r, 0x6A3A8A);
        c.rect(m.x - 1, m.y - 8, 2, 3, rgb(0xFFD870));
    } else if (k == "ruins") {
        pillar(c, m.x - 10, m.y - 8, 4, 16, rgb(0xC8C4B8));
        pillar(c, m.x + 4, m.y - 2, 4, 10, rgb(0xC8C4B8));
        Mask beam(W, H);
        beam.rect(m.x - 6, m.y + 4, 10, 3);
        shaded(beam, 0xC8C4B8);
    } else if (k == "field") {
        for (int i = 0; i < 14; ++i) {
            int px = m.x - 10 + rng.uniform(20), py = m.y - 6 + rng.uniform(14);
            c.set(px, py, rgb(0xF0E060));
            c.set(px, py + 1, rgb(0x3A7A2A));
        }
        Mask sign(W, H);
        sign.rect(m.x - 1, m.y - 8, 2, 14).rect(m.x - 6, m.y - 10, 12, 5);
        shaded(sign, 0x9A6A3A);
    } else if (k == "ship") {
        Mask hull(W, H);
        hull.polygon({{x - 13, y}, {x + 13, y}, {x + 9, y + 7}, {x - 9, y + 7}});
        shaded(hull, 0x8A5A30);
        Mask sail(W, H);
        sail.polygon({{x - 1, y - 16}, {x + 10, y - 3}, {x - 1, y - 2}});
        shaded(sail, 0xF0E8D8);
        c.rect(m.x - 2, m.y - 16, 1, 16, rgb(0x5A3A22));
    } else if (k == "shop_class" || k == "shop_card" || k == "shop_sword") {
        house(
            c, m.x - 10, m.y - 8, 20, 16,
            k == "shop_class" ? rgb(0x8A4AA0) : (k == "shop_card" ? rgb(0x2A8A7A) : rgb(0xA06A2A)),
            rgb(0xF0E4C8));
        Mask sign(W, H);
        sign.ellipse(x + 9, y - 9, 5, 5);
        shaded(sign, 0xF0D060);
        if (k == "shop_class") {
            c.set(m.x + 9, m.y - 12, rgb(0x6A2A8A));
            c.rect(m.x + 7, m.y - 10, 5, 1, rgb(0x6A2A8A));
            c.rect(m.x + 8, m.y - 9, 3, 2, rgb(0x6A2A8A));
        } else if (k == "shop_card") {
            c.rect(m.x + 7, m.y - 12, 4, 6, rgb(0xF8F8F8));
            c.set(m.x + 9, m.y - 9, rgb(0xD02040));
        } else {
            c.rect(m.x + 9, m.y - 13, 1, 7, rgb(0x707888));
            c.rect(m.x + 7, m.y - 8, 5, 1, rgb(0x5A3A22));
        }
    } else if (k == "portal" || k == "gate" || k == "star" || k == "planet") {
        if (k == "planet") {
            Mask p(W, H);
            p.ellipse(x, y, 9, 9);
            shaded(p, 0x4A8AD0 + static_cast<uint32_t>(rng.uniform(4)) * 0x201000, 3);
            Mask ring(W, H);
            ring.ring(x, y, 14, 3, 10, 1.5);
            c.paint(ring, rgb(0xD8C890));
        } else if (k == "star") {
            Mask s(W, H);
            s.polygon({{x, y - 12},
                       {x + 3, y - 3},
                       {x + 12, y - 2},
                       {x + 4, y + 3},
                       {x + 7, y + 12},
                       {x, y + 6},
                       {x - 7, y + 12},
                       {x - 4, y + 3},
                       {x - 12, y - 2},
                       {x - 3, y - 3}});
            shaded(s, 0xFFE060);
        } else {
            Mask ring(W, H);
            ring.ring(x, y - 2, 9, 12, 6, 9);
            Mask glow(W, H);
            glow.ellipse(x, y - 2, 6, 9);
            shaded(ring, k == "gate" ? 0xB0A890 : 0x8A6AD0);
            for (int yy = 0; yy < H; ++yy)
                for (int xx = 0; xx < W; ++xx)
                    if (glow.at(xx, yy))
                        c.set(xx, yy, ((xx + yy) % 3) ? rgb(0x6AD0F0) : rgb(0xE0F8FF));
        }
    } else if (k == "lake") {
        Mask l(W, H);
        l.ellipse(x, y, 13, 7);
        shaded(l, 0x3A7AC0, 2);
    }
}

}  // namespace

Canvas draw_region(const std::string& style, const std::vector<Landmark>& marks,
                   const std::vector<Road>& roads, uint64_t seed) {
    const int W = 433, H = 297;
    Canvas c(W, H);
    Rng rng(seed);
    // Land and water from one height field; each region colours it its own way.
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            double e = fractal(x * 0.012, y * 0.014, seed, 5);
            double edge = std::min({x, y, W - 1 - x, H - 1 - y}) / 40.0;
            if (style == "sea")
                e = e - 0.12;
            else
                e = e + 0.1 * std::min(1.0, edge) - 0.02;
            double d = (bayer4(x, y) - 7.5) / 400.0;
            e += d;
            // Each landmark stands on its own kind of ground (ships on water), with a ragged
            // shore so the land does not come out as neat circles.
            for (const Landmark& m : marks) {
                if (m.kind == "portal" || m.kind == "planet" || m.kind == "star" ||
                    style == "space")
                    continue;
                double dx = x - m.x, dy = y - m.y;
                double reach = 18 + 22 * fractal(x * 0.07, y * 0.07, seed + 77, 2);
                double w = std::clamp(1.0 - std::sqrt(dx * dx + dy * dy) / reach, 0.0, 1.0);
                w = w * w * (3 - 2 * w);
                double want = m.kind == "ship" ? 0.36 : 0.56;
                e = e * (1 - w) + want * w;
            }
            Rgb col;
            if (style == "space") {
                double n = fractal(x * 0.01, y * 0.015, seed + 9, 4);
                col = n > 0.55 ? mix(rgb(0x080818), rgb(0x4A2A8A), std::min(1.0, (n - 0.55) * 3))
                               : rgb(0x080818);
            } else if (style == "sky") {
                col = e < 0.5 ? mix(rgb(0x6AA8F0), rgb(0xB8DCFF), y / static_cast<double>(H))
                              : (e < 0.53 ? rgb(0xF8FCFF)
                                          : (e < 0.6 ? rgb(0x7AB85A)
                                                     : (e < 0.7 ? rgb(0x5A9A4A) : rgb(0x9A8A7A))));
            } else {
                Rgb deep = rgb(0x1E4A8A), shallow = rgb(0x3A7AC0), sand = rgb(0xE0CC90);
                Rgb low = rgb(0x5EA04A), mid = rgb(0x4A8A3A), high = rgb(0x8A8A6A),
                    peak = rgb(0xE8ECF4);
                if (style == "desert")
                    low = rgb(0xE0C078), mid = rgb(0xD0A860), high = rgb(0xA07A50),
                    peak = rgb(0x8A6A48);
                if (style == "snow")
                    low = rgb(0xE8EEF8), mid = rgb(0xD0DCEC), high = rgb(0xA8B4CC),
                    peak = rgb(0xFFFFFF), sand = rgb(0xC8D4E8), shallow = rgb(0x5A8AC0);
                col = e < 0.40
                          ? deep
                          : (e < 0.46
                                 ? shallow
                                 : (e < 0.48
                                        ? sand
                                        : (e < 0.6 ? low
                                                   : (e < 0.7 ? mid : (e < 0.78 ? high : peak)))));
                if (e >= 0.46 && e < 0.47 && ((x + y) % 3 == 0)) col = rgb(0xF0F8FF);
            }
            c.set(x, y, col);
        }
    if (style == "space") stars(c, 400, rng, H);
    if (style == "sky")
        for (int i = 0; i < 14; ++i)
            cloud(c, rng.uniform(W), rng.uniform(H), 30 + rng.uniform(30), rgb(0xFFFFFF));
    // Roads first, landmarks on top.
    for (const Road& r : roads) {
        double len = std::hypot(r.x1 - r.x0, r.y1 - r.y0);
        int steps = static_cast<int>(len);
        for (int i = 0; i < steps; ++i) {
            double t = static_cast<double>(i) / std::max(1, steps);
            double wob = 3 * std::sin(t * 6.28 + r.x0 * 0.1);
            int x = static_cast<int>(r.x0 + (r.x1 - r.x0) * t -
                                     wob * (r.y1 - r.y0) / std::max(1.0, len));
            int y = static_cast<int>(r.y0 + (r.y1 - r.y0) * t +
                                     wob * (r.x1 - r.x0) / std::max(1.0, len));
            if ((i / 3) % 2 == 0) {
                Rgb road = style == "space" ? rgb(0x8A9AD0)
                                            : (style == "snow" ? rgb(0x8A7A6A) : rgb(0xB89A60));
                c.set(x, y, road);
                c.set(x + 1, y, road);
                c.set(x, y + 1, scale(road, 0.7));
            }
        }
    }
    for (const Landmark& m : marks) landmark(c, m, style, rng);
    // A frame so the map reads as a map.
    for (int x = 0; x < W; ++x)
        c.set(x, 0, rgb(0x3A2A1A)), c.set(x, H - 1, rgb(0x3A2A1A)), c.set(x, 1, rgb(0xC8A870)),
            c.set(x, H - 2, rgb(0xC8A870));
    for (int y = 0; y < H; ++y)
        c.set(0, y, rgb(0x3A2A1A)), c.set(W - 1, y, rgb(0x3A2A1A)), c.set(1, y, rgb(0xC8A870)),
            c.set(W - 2, y, rgb(0xC8A870));
    return c;
}

}  // namespace lum::art
