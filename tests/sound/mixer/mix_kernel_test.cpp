#include "sound/mixer/mix_kernel.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace lum::mix {
namespace {

std::vector<std::uint8_t> mix(const std::vector<std::vector<std::uint8_t>>& srcs, std::size_t n,
                              bool scalar = false) {
    std::vector<const std::uint8_t*> ptrs;
    for (const auto& s : srcs) ptrs.push_back(s.data());
    std::vector<std::uint8_t> out(n, 0xAA);
    if (scalar) {
        mix_sources_scalar(out.data(), ptrs.data(), static_cast<int>(ptrs.size()), n);
    } else {
        mix_sources(out.data(), ptrs.data(), static_cast<int>(ptrs.size()), n);
    }
    return out;
}

TEST(MixKernel, ClampsAndCopiesByTheRule) {
    // 200 + 200 − 128 = 272 clamps to 255; 60 + 60 − 128 = −8 clamps to 0.
    EXPECT_EQ(mix({std::vector<std::uint8_t>(40, 200), std::vector<std::uint8_t>(40, 200)}, 40),
              std::vector<std::uint8_t>(40, 255));
    EXPECT_EQ(mix({std::vector<std::uint8_t>(40, 60), std::vector<std::uint8_t>(40, 60)}, 40),
              std::vector<std::uint8_t>(40, 0));
    // Not a pairwise clamp: 250 + 250 + 6 gives 128 + 122 + 122 − 122 = 250.
    EXPECT_EQ(mix({std::vector<std::uint8_t>(33, 250), std::vector<std::uint8_t>(33, 250),
                   std::vector<std::uint8_t>(33, 6)},
                  33),
              std::vector<std::uint8_t>(33, 250));
    std::vector<std::uint8_t> one(37);
    for (int i = 0; i < 37; ++i) one[i] = static_cast<std::uint8_t>(i * 7);
    EXPECT_EQ(mix({one}, 37), one);
    EXPECT_EQ(mix({}, 5), std::vector<std::uint8_t>(5, 128));
}

TEST(MixKernel, EveryKernelEqualsTheScalarRuleForEveryCountAndLength) {
    std::mt19937 gen(7);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int count = 0; count <= 8; ++count) {
        for (std::size_t n : {0u, 1u, 15u, 16u, 17u, 31u, 32u, 33u, 63u, 64u, 65u, 100u, 4096u}) {
            std::vector<std::vector<std::uint8_t>> srcs(count, std::vector<std::uint8_t>(n + 3));
            for (auto& s : srcs) {
                for (auto& b : s) b = static_cast<std::uint8_t>(byte(gen));
            }
            // Extremes too, so both clamps are exercised.
            if (count > 0 && n > 2) {
                for (auto& s : srcs) s[0] = 255, s[1] = 0;
            }
            const auto want = mix(srcs, n, true);
            ASSERT_EQ(mix(srcs, n), want) << count << " sources, " << n << " bytes";
            std::vector<const std::uint8_t*> ptrs;
            for (const auto& s : srcs) ptrs.push_back(s.data() + 1);  // unaligned too
            std::vector<std::uint8_t> ref(n), got(n);
            mix_sources_scalar(ref.data(), ptrs.data(), count, n);
            for (const MixKernel& k : mix_kernels()) {
                k.fn(got.data(), ptrs.data(), count, n);
                ASSERT_EQ(got, ref) << k.name << ", " << count << " sources, " << n << " bytes";
            }
        }
    }
}

}  // namespace
}  // namespace lum::mix
