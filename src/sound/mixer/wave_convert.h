#pragma once

// Reading a RIFF WAVE image and bringing its samples to the mixer's output format. Both
// throw EMixerError with the mixer's messages and never read outside the bytes given.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sound/mixer/mixer_types.h"

namespace lum::mix {

struct ParsedWave {
    WaveFormat format;               // the 16 bytes of the "fmt " chunk
    std::vector<std::uint8_t> data;  // the "data" chunk
};

ParsedWave parse_riff_wave(const std::uint8_t* bytes, std::size_t size);

// The three steps, in the order they run: sample size, channel count, rate. Each takes
// 8-bit or 16-bit little-endian samples as the format says and returns the new buffer.
std::vector<std::uint8_t> convert_bits(const std::vector<std::uint8_t>& in, int bits_in,
                                       int bits_out);
std::vector<std::uint8_t> convert_channels(const std::vector<std::uint8_t>& in, int channels_in,
                                           int channels_out);
std::vector<std::uint8_t> convert_rate(const std::vector<std::uint8_t>& in, int channels,
                                       std::uint32_t rate_in, std::uint32_t rate_out);

// All three as needed; nothing changes when channels, rate and bits already match.
std::vector<std::uint8_t> convert_wave(std::vector<std::uint8_t> data, const WaveFormat& in,
                                       const WaveFormat& out);

}  // namespace lum::mix
