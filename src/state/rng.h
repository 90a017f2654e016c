#pragma once

#include <cstdint>
#include <deque>
#include <random>

namespace lum {

// The one random generator of the game. random(n) is uniform in 0..n-1 and 0 for n <= 0.
// Tests either seed it or script the exact values to check the order of draws.
class Rng {
  public:
    Rng();
    explicit Rng(std::uint64_t seed) { this->seed(seed); }

    void seed(std::uint64_t seed);
    void seed_from_clock();

    int random(int n);

    // Scripted values are returned (reduced into 0..n-1) before the engine is used again.
    void script(std::initializer_list<int> values);
    void script_value(int v) { scripted_.push_back(v); }
    bool scripted_empty() const { return scripted_.empty(); }

    // Every n passed to random() since the last reset, in order; lets tests check draw order.
    const std::deque<int>& draws() const { return draws_; }
    void record_draws(bool on) {
        recording_ = on;
        draws_.clear();
    }

  private:
    std::mt19937_64 engine_;
    std::deque<int> scripted_;
    std::deque<int> draws_;
    bool recording_ = false;
};

}  // namespace lum
