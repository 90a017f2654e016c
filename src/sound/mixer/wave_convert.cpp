#include "sound/mixer/wave_convert.h"

#include <cstring>

#include "sound/mixer/mixer_error.h"

namespace lum::mix {

namespace {

// A converted wave larger than this is refused rather than allocated: no effect of the game
// comes near it, and a rate of a few hertz would otherwise blow a small file up to gigabytes.
constexpr std::uint64_t kMaxConverted = 64u << 20;

std::uint32_t le32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

bool is_id(const std::uint8_t* p, const char* id) {
    return std::memcmp(p, id, 4) == 0;
}

// Finds the chunk `id` among the chunks between `pos` and `end`. On success `pos` is the
// start of its data and `size` its declared size. False when a header does not fit.
bool find_chunk(const std::uint8_t* bytes, std::uint64_t& pos, std::uint64_t end, const char* id,
                std::uint32_t& size) {
    while (pos + 8 <= end) {
        const std::uint8_t* h = bytes + pos;
        std::uint32_t n = le32(h + 4);
        if (is_id(h, id)) {
            pos += 8;
            size = n;
            return true;
        }
        pos += 8 + static_cast<std::uint64_t>(n) + (n & 1);  // chunks are padded to even
    }
    return false;
}

}  // namespace

ParsedWave parse_riff_wave(const std::uint8_t* bytes, std::size_t size) {
    // The RIFF chunk of form WAVE, among the top-level chunks.
    std::uint64_t pos = 0;
    std::uint64_t riff_end = 0;
    for (;;) {
        std::uint32_t n = 0;
        if (!find_chunk(bytes, pos, size, "RIFF", n) || pos + 4 > size) {
            throw EMixerError("This is not a WAVE file");
        }
        if (is_id(bytes + pos, "WAVE")) {
            // A RIFF size past the end of the image is taken as "to the end".
            riff_end = std::min<std::uint64_t>(pos + n, size);
            pos += 4;
            break;
        }
        pos += static_cast<std::uint64_t>(n) + (n & 1);
    }

    std::uint32_t fmt_size = 0;
    if (!find_chunk(bytes, pos, riff_end, "fmt ", fmt_size)) {
        throw EMixerError("WAVE file is corrupted");
    }
    if (fmt_size < 16 || pos + 16 > riff_end) throw EMixerError("Failed to read format chunk");
    ParsedWave w;
    const std::uint8_t* f = bytes + pos;
    w.format.format_tag = le16(f);
    w.format.channels = le16(f + 2);
    w.format.samples_per_sec = le32(f + 4);
    w.format.avg_bytes_per_sec = le32(f + 8);
    w.format.block_align = le16(f + 12);
    w.format.bits_per_sample = le16(f + 14);
    if (w.format.format_tag != 1) throw EMixerError("The file is not a PCM file");
    if (w.format.channels == 0 || w.format.samples_per_sec == 0) {
        throw EMixerError("The wave format has no channels or no sample rate");
    }
    pos += static_cast<std::uint64_t>(fmt_size) + (fmt_size & 1);

    std::uint32_t data_size = 0;
    if (!find_chunk(bytes, pos, riff_end, "data", data_size)) {
        throw EMixerError("WAVE file has no data chunk");
    }
    if (data_size == 0) throw EMixerError("The data chunk has no data");
    if (pos + data_size > riff_end) throw EMixerError("Failed to read data chunk");
    std::uint32_t frame = w.format.channels * ((w.format.bits_per_sample + 7u) / 8u);
    if (frame != 0 && data_size % frame != 0) {
        throw EMixerError("The data chunk does not hold whole sample frames");
    }
    w.data.assign(bytes + pos, bytes + pos + data_size);
    return w;
}

std::vector<std::uint8_t> convert_bits(const std::vector<std::uint8_t>& in, int bits_in,
                                       int bits_out) {
    std::vector<std::uint8_t> out;
    if (bits_in == 16 && bits_out == 8) {
        out.resize(in.size() / 2);
        // Unsigned 8-bit is the high byte moved up by half the range.
        for (std::size_t i = 0; i < out.size(); ++i) {
            out[i] = static_cast<std::uint8_t>(in[2 * i + 1] + 128);
        }
    } else if (bits_in == 8 && bits_out == 16) {
        out.resize(in.size() * 2);
        for (std::size_t i = 0; i < in.size(); ++i) {
            auto v = static_cast<std::uint16_t>(in[i] * 256 - 32768);
            out[2 * i] = static_cast<std::uint8_t>(v & 0xFF);
            out[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
        }
    } else {
        out = in;
    }
    return out;
}

std::vector<std::uint8_t> convert_channels(const std::vector<std::uint8_t>& in, int channels_in,
                                           int channels_out) {
    std::vector<std::uint8_t> out;
    if (channels_in == 1 && channels_out == 2) {
        out.resize(in.size() * 2);
        for (std::size_t i = 0; i < in.size(); ++i) out[2 * i] = out[2 * i + 1] = in[i];
    } else if (channels_in == 2 && channels_out == 1) {
        out.resize(in.size() / 2);
        for (std::size_t i = 0; i < out.size(); ++i) {
            out[i] = static_cast<std::uint8_t>((in[2 * i] + in[2 * i + 1]) / 2);
        }
    } else {
        out = in;
    }
    return out;
}

std::vector<std::uint8_t> convert_rate(const std::vector<std::uint8_t>& in, int channels,
                                       std::uint32_t rate_in, std::uint32_t rate_out) {
    std::vector<std::uint8_t> out;
    if (channels <= 0 || rate_in == 0 || rate_out == 0) return out;
    const std::size_t frames = in.size() / channels;
    if (rate_in < rate_out) {
        std::uint32_t k = rate_out / rate_in;
        if (k <= 1) return in;
        if (static_cast<std::uint64_t>(frames) * k * channels > kMaxConverted) return out;
        out.resize(frames * k * channels);
        std::size_t o = 0;
        for (std::size_t f = 0; f < frames; ++f) {
            for (int c = 0; c < channels; ++c) {
                int here = in[f * channels + c];
                if (f + 1 == frames) {
                    for (std::uint32_t j = 0; j < k; ++j) out[o + j * channels + c] = here;
                } else {
                    int step = (in[(f + 1) * channels + c] - here) / static_cast<int>(k);
                    for (std::uint32_t j = 0; j < k; ++j) {
                        out[o + j * channels + c] = static_cast<std::uint8_t>(here + j * step);
                    }
                }
            }
            o += k * channels;
        }
    } else if (rate_in > rate_out) {
        std::uint64_t k = (static_cast<std::uint64_t>(rate_in) + rate_out / 2) / rate_out;
        if (k <= 1) return in;
        // Every full group of k frames becomes its average; frames left over (a whole wave
        // shorter than k included) become one frame copying the first of them.
        const std::size_t groups = frames / k;
        const bool rest = frames % k != 0;
        out.resize((groups + (rest ? 1 : 0)) * channels);
        for (std::size_t g = 0; g < groups; ++g) {
            for (int c = 0; c < channels; ++c) {
                int sum = 0;
                for (std::uint64_t j = 0; j < k; ++j) sum += in[(g * k + j) * channels + c] - 128;
                out[g * channels + c] = static_cast<std::uint8_t>(128 + sum / static_cast<int>(k));
            }
        }
        if (rest) {
            for (int c = 0; c < channels; ++c)
                out[groups * channels + c] = in[groups * k * channels + c];
        }
    } else {
        return in;
    }
    return out;
}

std::vector<std::uint8_t> convert_wave(std::vector<std::uint8_t> data, const WaveFormat& in,
                                       const WaveFormat& out) {
    if (in.channels == out.channels && in.samples_per_sec == out.samples_per_sec &&
        in.bits_per_sample == out.bits_per_sample) {
        return data;
    }
    if ((in.bits_per_sample != 8 && in.bits_per_sample != 16) || in.channels > 2 ||
        in.channels == 0) {
        throw EMixerError("File format not supported");
    }
    auto step = [](std::vector<std::uint8_t>&& next) {
        if (next.empty()) throw EMixerError("Failed to convert wave format");
        return std::move(next);
    };
    data = step(convert_bits(data, in.bits_per_sample, out.bits_per_sample));
    data = step(convert_channels(data, in.channels, out.channels));
    data = step(convert_rate(data, out.channels, in.samples_per_sec, out.samples_per_sec));
    return data;
}

}  // namespace lum::mix
