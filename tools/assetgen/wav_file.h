#pragma once

#include <cstdint>
#include <vector>

namespace lum::sfx {

struct WaveFormat {
    int rate = 22050;  // 11025, 22050 or 44100
    int bits = 16;     // 8 (unsigned) or 16 (signed)
    int channels = 1;  // 1 or 2
};

// A canonical RIFF/WAVE PCM file. Samples are floats in -1..1, interleaved when stereo;
// they are clipped, then rounded to the format's depth.
std::vector<uint8_t> encode_wav(const WaveFormat& f, const std::vector<float>& interleaved);

}  // namespace lum::sfx
