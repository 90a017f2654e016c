#pragma once

#include <cstdint>
#include <vector>

#include "canvas.h"

namespace lum::art {

// A bottom-up 24-bit Windows bitmap (BITMAPINFOHEADER, rows padded to four bytes).
std::vector<uint8_t> encode_bmp24(const Canvas& c);

}  // namespace lum::art
