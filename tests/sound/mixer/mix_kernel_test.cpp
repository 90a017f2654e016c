#include "sound/mixer/mix_kernel.h"

#include <gtest/gtest.h>

#include <algorithm>
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
        for (std::size_t n :
             {0u, 1u, 15u, 16u, 17u, 31u, 32u, 33u, 63u, 64u, 65u, 100u, 191u, 257u, 4096u}) {
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

// Runs of the extreme bytes, the sums that land on each side of both clamps, and bytes that
// carry from one byte of a 16-bit lane into the next, at every length from 1 to 130 (so every
// tail of every vector width), with the output and each source misaligned differently. The
// bytes around the output must stay untouched.
TEST(MixKernel, EveryKernelEqualsTheRuleAtTheEdgesAndLeavesTheBytesAroundAlone) {
    std::mt19937 gen(11);
    const std::uint8_t edge[] = {0x00, 0x01, 0x7F, 0x80, 0x81, 0xFE, 0xFF};
    for (int count : {1, 2, 3, 4, 5, 6, 7, 8, 9, 16, 256}) {
        for (int pattern = 0; pattern < 7; ++pattern) {
            const std::size_t len = 256;
            std::vector<std::vector<std::uint8_t>> srcs(count, std::vector<std::uint8_t>(len + 8));
            for (int s = 0; s < count; ++s) {
                for (std::size_t i = 0; i < srcs[s].size(); ++i) {
                    std::uint8_t& b = srcs[s][i];
                    switch (pattern) {
                        case 0:
                            b = 0x00;
                            break;
                        case 1:
                            b = 0x80;
                            break;
                        case 2:
                            b = 0xFF;
                            break;
                        // Even bytes high, odd bytes low: the even sums carry into the odd.
                        case 3:
                            b = i % 2 == 0 ? 0xFF : 0x00;
                            break;
                        // The first source sweeps every byte against full-scale others, so
                        // the sum crosses each clamp one step at a time.
                        case 4:
                            b = s == 0 ? static_cast<std::uint8_t>(i % 256) : 0xFF;
                            break;
                        case 5:
                            b = s == 0 ? static_cast<std::uint8_t>(i % 256) : 0x00;
                            break;
                        default:
                            b = edge[gen() % 7];
                            break;
                    }
                }
            }
            for (std::size_t n = 1; n <= 130; ++n) {
                std::vector<const std::uint8_t*> ptrs;
                for (int s = 0; s < count; ++s) ptrs.push_back(srcs[s].data() + (s + n) % 7);
                std::vector<std::uint8_t> ref(n);
                mix_sources_scalar(ref.data(), ptrs.data(), count, n);
                for (const MixKernel& k : mix_kernels()) {
                    std::vector<std::uint8_t> got(n + 4, 0x5A);
                    k.fn(got.data() + 1, ptrs.data(), count, n);
                    ASSERT_TRUE(std::equal(ref.begin(), ref.end(), got.begin() + 1))
                        << k.name << ", " << count << " sources, pattern " << pattern << ", " << n
                        << " bytes";
                    ASSERT_EQ(got[0], 0x5A) << k.name;
                    ASSERT_EQ(got[n + 1], 0x5A) << k.name << ", " << count << " sources, " << n;
                }
            }
        }
    }
}

// Every sum within two steps a source of each clamp, from every mix of odd and even bytes:
// where a kernel rounds or splits sums, the bytes whose carries and roundings all go one way
// are the ones that would land on the wrong side of a clamp.
TEST(MixKernel, EveryKernelEqualsTheRuleForEverySumNearBothClamps) {
    for (int count = 3; count <= 8; ++count) {
        std::size_t n = 1;
        for (int s = 0; s < count; ++s) n *= 5;
        for (int side : {-1, 1}) {
            const int base = 128 + side * (128 / count);
            std::vector<std::vector<std::uint8_t>> srcs(count, std::vector<std::uint8_t>(n));
            for (std::size_t i = 0; i < n; ++i) {
                std::size_t digits = i;
                for (int s = 0; s < count; ++s, digits /= 5) {
                    srcs[s][i] = static_cast<std::uint8_t>(base + static_cast<int>(digits % 5) - 2);
                }
            }
            const auto want = mix(srcs, n, true);
            ASSERT_TRUE(std::count(want.begin(), want.end(), side < 0 ? 0 : 255) > 0);
            std::vector<const std::uint8_t*> ptrs;
            for (const auto& s : srcs) ptrs.push_back(s.data());
            for (const MixKernel& k : mix_kernels()) {
                std::vector<std::uint8_t> got(n);
                k.fn(got.data(), ptrs.data(), count, n);
                ASSERT_EQ(got, want) << k.name << ", " << count << " sources, side " << side;
            }
        }
    }
}

}  // namespace
}  // namespace lum::mix
