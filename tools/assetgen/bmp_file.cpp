#include "bmp_file.h"

namespace lum::art {

static void put16(std::vector<uint8_t>& o, uint32_t v) {
    o.push_back(v & 0xFF);
    o.push_back((v >> 8) & 0xFF);
}

static void put32(std::vector<uint8_t>& o, uint32_t v) {
    put16(o, v & 0xFFFF);
    put16(o, v >> 16);
}

std::vector<uint8_t> encode_bmp24(const Canvas& c) {
    const uint32_t row = (static_cast<uint32_t>(c.width()) * 3 + 3) & ~3u;
    const uint32_t image = row * static_cast<uint32_t>(c.height());
    std::vector<uint8_t> o;
    o.reserve(54 + image);
    o.push_back('B');
    o.push_back('M');
    put32(o, 54 + image);
    put32(o, 0);
    put32(o, 54);
    put32(o, 40);
    put32(o, static_cast<uint32_t>(c.width()));
    put32(o, static_cast<uint32_t>(c.height()));
    put16(o, 1);
    put16(o, 24);
    put32(o, 0);  // BI_RGB
    put32(o, image);
    put32(o, 2835);  // 72 dpi
    put32(o, 2835);
    put32(o, 0);
    put32(o, 0);
    for (int y = c.height() - 1; y >= 0; --y) {
        size_t start = o.size();
        for (int x = 0; x < c.width(); ++x) {
            Rgb p = c.get(x, y);
            o.push_back(p.b);
            o.push_back(p.g);
            o.push_back(p.r);
        }
        while (o.size() - start < row) o.push_back(0);
    }
    return o;
}

}  // namespace lum::art
