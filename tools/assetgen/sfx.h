#pragma once

// The game's sound effects, synthesized: oscillators with pitch sweeps, filtered noise,
// envelopes and short echoes. Each voice is a small score of such layers.

#include <cstdint>
#include <string>
#include <vector>

#include "wav_file.h"

namespace lum::sfx {

const std::vector<std::string>& voices();

// Interleaved samples in -1..1 for the format's rate and channel count.
std::vector<float> render(const std::string& voice, const WaveFormat& f, uint64_t seed);

}  // namespace lum::sfx
