// battlesim --battles N --seed S: plays N battles headless and prints the figures.

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "battle/battle_sim.h"

namespace {

template <typename T>
bool parse(std::string_view text, T& out) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

int usage(const char* why) {
    std::fprintf(stderr, "battlesim: %s\nusage: battlesim --battles N --seed S\n", why);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    long long battles = 1000;
    std::uint64_t seed = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if ((arg == "--battles" || arg == "--seed") && i + 1 < argc) {
            const std::string_view value = argv[++i];
            const bool ok = arg == "--battles" ? parse(value, battles) : parse(value, seed);
            if (!ok)
                return usage(
                    ("not a number for " + std::string(arg) + ": " + std::string(value)).c_str());
        } else {
            return usage(("unknown or incomplete argument: " + std::string(arg)).c_str());
        }
    }
    if (battles < 0 || battles > 100000000) return usage("--battles must be 0..100000000");

    const lum::sim::Totals t = lum::sim::run_battles(battles, seed);
    std::fputs(lum::sim::report(t, seed).c_str(), stdout);
    return t.errors == 0 ? 0 : 1;
}
