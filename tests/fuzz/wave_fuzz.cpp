// The wave reader and the three conversions over arbitrary bytes: a malformed wave is refused
// with EMixerError, never read out of bounds.
#include <cstddef>
#include <cstdint>

#include "sound/mixer/mixer_error.h"
#include "sound/mixer/wave_convert.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lum::mix;
    try {
        ParsedWave w = parse_riff_wave(data, size);
        // The three output formats the mixer can run at.
        for (std::uint32_t rate : {11025u, 22050u, 44100u}) {
            WaveFormat out;
            out.channels = 2;
            out.samples_per_sec = rate;
            out.avg_bytes_per_sec = rate * 2;
            out.block_align = 2;
            out.bits_per_sample = 8;
            convert_wave(w.data, w.format, out);
        }
    } catch (const EMixerError&) {
    }
    return 0;
}
