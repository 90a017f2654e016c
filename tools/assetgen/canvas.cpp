#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace lum::art {

Rgb rgb(uint32_t hex) {
    return {static_cast<uint8_t>(hex >> 16), static_cast<uint8_t>(hex >> 8),
            static_cast<uint8_t>(hex)};
}

static uint8_t clamp8(double v) {
    return static_cast<uint8_t>(std::clamp(static_cast<int>(std::lround(v)), 0, 255));
}

Rgb mix(Rgb a, Rgb b, double t) {
    return {clamp8(a.r + (b.r - a.r) * t), clamp8(a.g + (b.g - a.g) * t),
            clamp8(a.b + (b.b - a.b) * t)};
}

Rgb scale(Rgb c, double f) {
    return {clamp8(c.r * f), clamp8(c.g * f), clamp8(c.b * f)};
}

uint64_t Rng::next() {
    s_ ^= s_ >> 12;
    s_ ^= s_ << 25;
    s_ ^= s_ >> 27;
    return s_ * 0x2545F4914F6CDD1Dull;
}

int Rng::uniform(int n) {
    if (n <= 0) return 0;
    return static_cast<int>((next() >> 33) % static_cast<uint64_t>(n));
}

double Rng::real() {
    return static_cast<double>(next() >> 11) / 9007199254740992.0;
}

uint64_t hash_name(const std::string& s) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
    return h;
}

Mask& Mask::rect(int x, int y, int w, int h, bool v) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) set(i, j, v);
    return *this;
}

Mask& Mask::ellipse(double cx, double cy, double rx, double ry, bool v) {
    if (rx <= 0 || ry <= 0) return *this;
    int x0 = static_cast<int>(std::floor(cx - rx)), x1 = static_cast<int>(std::ceil(cx + rx));
    int y0 = static_cast<int>(std::floor(cy - ry)), y1 = static_cast<int>(std::ceil(cy + ry));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
            if (dx * dx + dy * dy <= 1.0) set(x, y, v);
        }
    return *this;
}

Mask& Mask::ring(double cx, double cy, double rx, double ry, double inner_rx, double inner_ry) {
    return ellipse(cx, cy, rx, ry).ellipse(cx, cy, inner_rx, inner_ry, false);
}

Mask& Mask::polygon(const std::vector<std::pair<double, double>>& pts, bool v) {
    if (pts.size() < 3) return *this;
    double ymin = pts[0].second, ymax = ymin;
    for (auto& p : pts) ymin = std::min(ymin, p.second), ymax = std::max(ymax, p.second);
    for (int y = static_cast<int>(std::floor(ymin)); y <= static_cast<int>(std::ceil(ymax)); ++y) {
        double sy = y + 0.5;
        std::vector<double> xs;
        for (size_t i = 0; i < pts.size(); ++i) {
            auto a = pts[i], b = pts[(i + 1) % pts.size()];
            if ((a.second <= sy && b.second > sy) || (b.second <= sy && a.second > sy))
                xs.push_back(a.first +
                             (sy - a.second) * (b.first - a.first) / (b.second - a.second));
        }
        std::sort(xs.begin(), xs.end());
        for (size_t i = 0; i + 1 < xs.size(); i += 2)
            for (int x = static_cast<int>(std::ceil(xs[i] - 0.5));
                 x <= static_cast<int>(std::floor(xs[i + 1] - 0.5)); ++x)
                set(x, y, v);
    }
    return *this;
}

Mask& Mask::line(double x0, double y0, double x1, double y1, double thick, bool v) {
    double len = std::hypot(x1 - x0, y1 - y0);
    int steps = std::max(1, static_cast<int>(len * 2));
    double r = thick / 2.0;
    for (int i = 0; i <= steps; ++i) {
        double t = static_cast<double>(i) / steps;
        double x = x0 + (x1 - x0) * t, y = y0 + (y1 - y0) * t;
        if (thick <= 1.0)
            set(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)), v);
        else
            ellipse(x, y, r, r, v);
    }
    return *this;
}

Mask& Mask::add(const Mask& o) {
    for (size_t i = 0; i < m_.size() && i < o.m_.size(); ++i) m_[i] |= o.m_[i];
    return *this;
}

Mask& Mask::subtract(const Mask& o) {
    for (size_t i = 0; i < m_.size() && i < o.m_.size(); ++i)
        if (o.m_[i]) m_[i] = 0;
    return *this;
}

Mask& Mask::intersect(const Mask& o) {
    for (size_t i = 0; i < m_.size() && i < o.m_.size(); ++i)
        if (!o.m_[i]) m_[i] = 0;
    return *this;
}

bool Mask::empty() const {
    return std::none_of(m_.begin(), m_.end(), [](uint8_t v) { return v != 0; });
}

Ramp ramp(Rgb b) {
    Rgb cool{static_cast<uint8_t>(b.r / 3), static_cast<uint8_t>(b.g / 3 + 6),
             static_cast<uint8_t>(std::min(255, b.b / 2 + 30))};
    Rgb warm = mix(b, rgb(0xFFF4D0), 0.45);
    Ramp r;
    r.outline = mix(scale(b, 0.28), rgb(0x140C24), 0.5);
    r.shadow = mix(scale(b, 0.7), cool, 0.25);
    r.base = b;
    r.light = mix(b, warm, 0.5);
    r.shine = mix(b, rgb(0xFFFFF0), 0.7);
    return r;
}

Ramp ramp(uint32_t hex) {
    return ramp(rgb(hex));
}

int bayer4(int x, int y) {
    static const int m[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return m[y & 3][x & 3];
}

Canvas::Canvas(int w, int h, Rgb fill) : w_(w), h_(h), px_(static_cast<size_t>(w) * h, fill) {}

Rgb Canvas::get(int x, int y) const {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return {};
    return px_[static_cast<size_t>(y) * w_ + x];
}

void Canvas::set(int x, int y, Rgb c) {
    if (x >= 0 && y >= 0 && x < w_ && y < h_) px_[static_cast<size_t>(y) * w_ + x] = c;
}

void Canvas::fill(Rgb c) {
    std::fill(px_.begin(), px_.end(), c);
}

void Canvas::rect(int x, int y, int w, int h, Rgb c) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) set(i, j, c);
}

void Canvas::paint(const Mask& m, Rgb c) {
    for (int y = 0; y < std::min(h_, m.height()); ++y)
        for (int x = 0; x < std::min(w_, m.width()); ++x)
            if (m.at(x, y)) set(x, y, c);
}

void Canvas::shade(const Mask& m, const Ramp& r, bool outline, int depth) {
    for (int y = 0; y < std::min(h_, m.height()); ++y)
        for (int x = 0; x < std::min(w_, m.width()); ++x) {
            if (!m.at(x, y)) continue;
            bool edge = !m.at(x - 1, y) || !m.at(x + 1, y) || !m.at(x, y - 1) || !m.at(x, y + 1);
            Rgb c = r.base;
            if (outline && edge) {
                c = r.outline;
            } else {
                bool lit = !m.at(x - depth, y - depth) || !m.at(x, y - depth);
                bool dark = !m.at(x + depth, y + depth) || !m.at(x + depth, y);
                if (lit && !dark)
                    c = (!m.at(x - 1, y - 2) && !m.at(x - 2, y - 1)) ? r.shine : r.light;
                else if (dark && !lit)
                    c = r.shadow;
            }
            set(x, y, c);
        }
}

void Canvas::outline_outside(const Mask& m, Rgb c) {
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x)
            if (!m.at(x, y) &&
                (m.at(x - 1, y) || m.at(x + 1, y) || m.at(x, y - 1) || m.at(x, y + 1)))
                set(x, y, c);
}

void Canvas::vgradient(int x, int y, int w, int h, Rgb top, Rgb bottom, int bands) {
    if (h <= 0 || bands <= 0) return;
    for (int j = 0; j < h; ++j) {
        double t = (h == 1) ? 0 : static_cast<double>(j) * bands / (h - 1);
        int band = std::min(bands - 1, static_cast<int>(t));
        double frac = t - band;
        Rgb a = mix(top, bottom, static_cast<double>(band) / bands);
        Rgb b = mix(top, bottom, static_cast<double>(band + 1) / bands);
        for (int i = 0; i < w; ++i)
            set(x + i, y + j, frac * 16 > bayer4(x + i, y + j) + 0.5 ? b : a);
    }
}

void Canvas::dither(const Mask& m, Rgb a, Rgb b, double t) {
    for (int y = 0; y < std::min(h_, m.height()); ++y)
        for (int x = 0; x < std::min(w_, m.width()); ++x)
            if (m.at(x, y)) set(x, y, t * 16 > bayer4(x, y) + 0.5 ? b : a);
}

void Canvas::blit(const Canvas& src, int dx, int dy, int s) {
    for (int y = 0; y < src.h_ * s; ++y)
        for (int x = 0; x < src.w_ * s; ++x) set(dx + x, dy + y, src.get(x / s, y / s));
}

void Canvas::blit_keyed(const Canvas& src, int dx, int dy, Rgb key) {
    for (int y = 0; y < src.h_; ++y)
        for (int x = 0; x < src.w_; ++x) {
            Rgb c = src.get(x, y);
            if (!(c == key)) set(dx + x, dy + y, c);
        }
}

}  // namespace lum::art
