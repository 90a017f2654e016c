#pragma once

// Pixel-art drawing: an RGB canvas, shape masks and shaded fills. Everything here is integer
// or plain double arithmetic with a private generator, so the same recipe always gives the
// same pixels.

#include <cstdint>
#include <string>
#include <vector>

namespace lum::art {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

Rgb rgb(uint32_t hex);
Rgb mix(Rgb a, Rgb b, double t);  // t = 0 gives a, 1 gives b
Rgb scale(Rgb c, double f);

// xorshift64*: small, fast and identical on every platform.
class Rng {
  public:
    explicit Rng(uint64_t seed) : s_(seed * 0x9E3779B97F4A7C15ull + 0x1234567ull) { next(); }
    uint64_t next();
    int uniform(int n);  // 0..n-1, 0 for n <= 0
    double real();       // [0, 1)
    bool chance(int one_in) { return uniform(one_in) == 0; }

  private:
    uint64_t s_;
};

uint64_t hash_name(const std::string& s);

// A set of pixels, built from shapes; painted with a ramp so it gets an outline and light.
class Mask {
  public:
    Mask(int w, int h) : w_(w), h_(h), m_(static_cast<size_t>(w) * h, 0) {}
    int width() const { return w_; }
    int height() const { return h_; }
    bool at(int x, int y) const {
        return x >= 0 && y >= 0 && x < w_ && y < h_ && m_[static_cast<size_t>(y) * w_ + x];
    }
    void set(int x, int y, bool v = true) {
        if (x >= 0 && y >= 0 && x < w_ && y < h_) m_[static_cast<size_t>(y) * w_ + x] = v;
    }
    Mask& rect(int x, int y, int w, int h, bool v = true);
    Mask& ellipse(double cx, double cy, double rx, double ry, bool v = true);
    // The ellipse with a smaller one of the same centre cut out of the mask.
    Mask& ring(double cx, double cy, double rx, double ry, double inner_rx, double inner_ry);
    Mask& polygon(const std::vector<std::pair<double, double>>& pts, bool v = true);
    Mask& line(double x0, double y0, double x1, double y1, double thick, bool v = true);
    Mask& add(const Mask& o);
    Mask& subtract(const Mask& o);
    Mask& intersect(const Mask& o);
    bool empty() const;

  private:
    int w_, h_;
    std::vector<uint8_t> m_;
};

// Five tones from outline to highlight; shadows lean cool, lights lean warm.
struct Ramp {
    Rgb outline, shadow, base, light, shine;
};
Ramp ramp(Rgb base);
Ramp ramp(uint32_t hex);

class Canvas {
  public:
    Canvas() = default;
    Canvas(int w, int h, Rgb fill = {});
    int width() const { return w_; }
    int height() const { return h_; }
    Rgb get(int x, int y) const;
    void set(int x, int y, Rgb c);
    void fill(Rgb c);
    void rect(int x, int y, int w, int h, Rgb c);
    void paint(const Mask& m, Rgb c);
    // Outline where the mask meets the outside, light towards the top left, shade towards
    // the bottom right.
    void shade(const Mask& m, const Ramp& r, bool outline = true, int depth = 2);
    // Outline only the mask's border (1 px) with colour c, on pixels outside the mask.
    void outline_outside(const Mask& m, Rgb c);
    // Vertical gradient with ordered dithering between bands.
    void vgradient(int x, int y, int w, int h, Rgb top, Rgb bottom, int bands = 6);
    // Ordered 4x4 dither mix of two colours inside a mask: t in 0..1.
    void dither(const Mask& m, Rgb a, Rgb b, double t);
    void blit(const Canvas& src, int dx, int dy, int scale = 1);
    // Copy with a key colour left out.
    void blit_keyed(const Canvas& src, int dx, int dy, Rgb key);
    const std::vector<Rgb>& pixels() const { return px_; }

  private:
    int w_ = 0, h_ = 0;
    std::vector<Rgb> px_;
};

// The 4x4 Bayer threshold in 0..15.
int bayer4(int x, int y);

}  // namespace lum::art
