#include "state/rng.h"

#include <chrono>

namespace lum {

Rng::Rng() {
    seed(0x4c756d696e617269ULL);
}

void Rng::seed(std::uint64_t seed) {
    engine_.seed(seed);
}

void Rng::seed_from_clock() {
    auto now = std::chrono::steady_clock::now().time_since_epoch().count() ^
               std::chrono::system_clock::now().time_since_epoch().count();
    engine_.seed(static_cast<std::uint64_t>(now));
}

int Rng::random(int n) {
    if (recording_) draws_.push_back(n);
    if (n <= 0) return 0;
    if (!scripted_.empty()) {
        int v = scripted_.front();
        scripted_.pop_front();
        v %= n;
        return v < 0 ? v + n : v;
    }
    std::uniform_int_distribution<int> dist(0, n - 1);
    return dist(engine_);
}

void Rng::script(std::initializer_list<int> values) {
    for (int v : values) scripted_.push_back(v);
}

}  // namespace lum
