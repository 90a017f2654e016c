#include "wav_file.h"

#include <algorithm>
#include <cmath>

namespace lum::sfx {

static void put16(std::vector<uint8_t>& o, uint32_t v) {
    o.push_back(v & 0xFF);
    o.push_back((v >> 8) & 0xFF);
}

static void put32(std::vector<uint8_t>& o, uint32_t v) {
    put16(o, v & 0xFFFF);
    put16(o, v >> 16);
}

std::vector<uint8_t> encode_wav(const WaveFormat& f, const std::vector<float>& s) {
    const uint32_t bytes_per_sample = f.bits / 8;
    const uint32_t block = bytes_per_sample * f.channels;
    // A stereo stream with an odd sample count would leave half a frame: drop it.
    const size_t frames = s.size() / f.channels;
    const uint32_t data = static_cast<uint32_t>(frames * block);
    std::vector<uint8_t> o;
    o.reserve(44 + data + 1);
    o.insert(o.end(), {'R', 'I', 'F', 'F'});
    put32(o, 36 + data + (data & 1));
    o.insert(o.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(o, 16);
    put16(o, 1);
    put16(o, f.channels);
    put32(o, f.rate);
    put32(o, f.rate * block);
    put16(o, block);
    put16(o, f.bits);
    o.insert(o.end(), {'d', 'a', 't', 'a'});
    put32(o, data);
    for (size_t i = 0; i < frames * f.channels; ++i) {
        double v = std::clamp(static_cast<double>(s[i]), -1.0, 1.0);
        if (f.bits == 8) {
            o.push_back(static_cast<uint8_t>(
                std::clamp(128 + static_cast<int>(std::lround(v * 127)), 0, 255)));
        } else {
            auto q = static_cast<int16_t>(std::lround(v * 32767));
            put16(o, static_cast<uint16_t>(q));
        }
    }
    if (data & 1) o.push_back(0);  // RIFF chunks are word aligned
    return o;
}

}  // namespace lum::sfx
