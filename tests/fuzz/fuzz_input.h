#pragma once

// Turns a fuzzer's bytes into the values a game state can hold. Past the end every value
// reads as 0 (or empty), so any input, even an empty one, is a whole case.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "state/cp932.h"
#include "state/data_files.h"

namespace lum::fuzz {

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return pos_ >= size_; }
    std::uint8_t byte() { return empty() ? 0 : data_[pos_++]; }
    bool flag() { return byte() & 1; }
    // 0..n-1.
    int below(int n) { return n <= 0 ? 0 : byte() % n; }
    std::int32_t int32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = v << 8 | byte();
        return static_cast<std::int32_t>(v);
    }
    // Mostly small numbers, now and then any 32-bit one: most rules only care near zero.
    int number() {
        const std::uint8_t kind = byte();
        if (kind < 160) return static_cast<std::int8_t>(byte());
        if (kind < 240) return static_cast<std::int16_t>(byte() << 8 | byte());
        return int32();
    }
    // A line of a data file as the readers give it: CP932 bytes (length first, at most
    // `max`), converted to UTF-8; undecodable bytes give an empty line.
    std::string line(std::size_t max = 40) {
        const std::size_t n = below(static_cast<int>(max) + 1);
        std::string raw;
        for (std::size_t i = 0; i < n && !empty(); ++i) {
            const char c = static_cast<char>(byte());
            if (c == '\r' || c == '\n') break;
            raw += c;
        }
        return cp932_to_utf8(raw).value_or("");
    }
    // One of `choices`, or with the top index a line of the input's own.
    template <std::size_t N>
    std::string pick(const char* const (&choices)[N]) {
        const int i = below(static_cast<int>(N) + 1);
        return i < static_cast<int>(N) ? choices[i] : line();
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// The game's own tables and save, read once from the game folder of the build.
inline const GameState& game_tables() {
    static const std::unique_ptr<GameState> gs = [] {
        auto g = std::make_unique<GameState>();
        g->game_dir = LUM_GAME_DIR;
        load_game(*g);
        return g;
    }();
    return *gs;
}

// A copy of the game's dat folder for targets that write (saves), on a memory file system
// where there is one; removed at exit. `with_save` false leaves out my.dat and item.dat.
inline std::filesystem::path scratch_game_dir(bool with_save) {
    namespace fs = std::filesystem;
    const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    static const fs::path dir = base / ("lum_fuzz_" + std::to_string(::getpid()));
    fs::create_directories(dir / "dat");
    for (const auto& e : fs::directory_iterator(fs::path(LUM_GAME_DIR) / "dat")) {
        const std::string name = e.path().filename().string();
        if (e.path().extension() != ".dat") continue;
        if (!with_save && (name == "my.dat" || name == "item.dat")) continue;
        fs::copy_file(e.path(), dir / "dat" / name, fs::copy_options::overwrite_existing);
    }
    std::atexit([] {
        std::error_code ec;
        fs::remove_all(dir, ec);
    });
    return dir;
}

}  // namespace lum::fuzz
