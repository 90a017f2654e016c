#pragma once

// Game folders with sound files, small MIDI files and WAV reading for the sound tests.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace lum::test {

using Bytes = std::vector<std::uint8_t>;

inline void put32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
inline void put16(Bytes& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

// An 8-bit mono WAVE image.
inline Bytes wav8(const Bytes& samples, std::uint32_t rate = 11025) {
    Bytes b;
    b.insert(b.end(), {'R', 'I', 'F', 'F'});
    put32(b, static_cast<std::uint32_t>(36 + samples.size() + (samples.size() & 1)));
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(b, 16);
    put16(b, 1);
    put16(b, 1);
    put32(b, rate);
    put32(b, rate);
    put16(b, 1);
    put16(b, 8);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    put32(b, static_cast<std::uint32_t>(samples.size()));
    b.insert(b.end(), samples.begin(), samples.end());
    if (samples.size() & 1) b.push_back(0);
    return b;
}

inline void write_file(const std::filesystem::path& p, const Bytes& b) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<long>(b.size()));
}

inline Bytes read_file(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A format-0 MIDI file: one note per quarter note at 120 beats a minute (0.5 s each).
inline Bytes midi_notes(const std::vector<int>& notes) {
    Bytes track;
    auto delta = [&track](std::uint32_t d) {
        Bytes v{static_cast<std::uint8_t>(d & 0x7F)};
        while (d >>= 7) v.insert(v.begin(), static_cast<std::uint8_t>(0x80 | (d & 0x7F)));
        track.insert(track.end(), v.begin(), v.end());
    };
    delta(0);
    track.insert(track.end(), {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});  // 500000 µs a beat
    delta(0);
    track.insert(track.end(), {0xC0, 0x00});  // piano
    for (int n : notes) {
        delta(0);
        track.insert(track.end(), {0x90, static_cast<std::uint8_t>(n), 100});
        delta(480);
        track.insert(track.end(), {0x80, static_cast<std::uint8_t>(n), 0});
    }
    delta(0);
    track.insert(track.end(), {0xFF, 0x2F, 0x00});
    Bytes b{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0, 'M', 'T', 'r', 'k'};
    for (int i = 3; i >= 0; --i) b.push_back(static_cast<std::uint8_t>(track.size() >> (8 * i)));
    b.insert(b.end(), track.begin(), track.end());
    return b;
}

// A temporary game folder with a mid/ folder, removed at the end of the test.
struct TempGame {
    std::filesystem::path dir;
    explicit TempGame(const std::string& tag) {
        dir = std::filesystem::temp_directory_path() /
              ("lum_" + tag + "_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir / "mid");
    }
    ~TempGame() { std::filesystem::remove_all(dir); }
    std::filesystem::path mid(const std::string& name) const { return dir / "mid" / name; }
};

}  // namespace lum::test
