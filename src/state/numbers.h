#pragma once

#include <climits>
#include <string>

namespace lum {

// Integer results that would leave 32 bits saturate instead of wrapping.
inline int saturate(long long v) {
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}
inline void add_sat(int& target, long long amount) {
    target = saturate(target + amount);
}

// A number as the game's texts write it.
inline std::string num(long long v) {
    return std::to_string(v);
}

}  // namespace lum
