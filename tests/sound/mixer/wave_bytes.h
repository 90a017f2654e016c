#pragma once

// Builds RIFF WAVE images for the tests, well-formed or broken on purpose.

#include <cstdint>
#include <string>
#include <vector>

namespace lum::mix::test {

using Bytes = std::vector<std::uint8_t>;

inline void put32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
inline void put16(Bytes& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void put_id(Bytes& b, const char* id) {
    b.insert(b.end(), id, id + 4);
}

inline Bytes chunk(const char* id, const Bytes& body, std::uint32_t declared) {
    Bytes b;
    put_id(b, id);
    put32(b, declared);
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() & 1) b.push_back(0);
    return b;
}
inline Bytes chunk(const char* id, const Bytes& body) {
    return chunk(id, body, static_cast<std::uint32_t>(body.size()));
}

inline Bytes fmt_body(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                      std::uint16_t tag = 1) {
    Bytes b;
    put16(b, tag);
    put16(b, channels);
    put32(b, rate);
    put32(b, rate * channels * (bits / 8));
    put16(b, static_cast<std::uint16_t>(channels * (bits / 8)));
    put16(b, bits);
    return b;
}

inline Bytes riff(const std::vector<Bytes>& chunks, const char* form = "WAVE") {
    Bytes body;
    put_id(body, form);
    for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
    return chunk("RIFF", body);
}

inline Bytes wav(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                 const Bytes& samples) {
    return riff({chunk("fmt ", fmt_body(channels, rate, bits)), chunk("data", samples)});
}

inline Bytes ramp(std::size_t n, int from = 0) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(from + i);
    return b;
}

}  // namespace lum::mix::test
