#pragma once

// The one arithmetic rule of the mixer, over 8-bit unsigned samples: one source is copied;
// several give 128 + Σ(source − 128), clamped to 0..255.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lum::mix {

// Mixes `n` bytes of each of the `count` sources into `out`. `count` may be 0 (silence).
void mix_sources(std::uint8_t* out, const std::uint8_t* const* sources, int count, std::size_t n);

// The rule written out byte by byte: the reference the fast kernel must equal.
void mix_sources_scalar(std::uint8_t* out, const std::uint8_t* const* sources, int count,
                        std::size_t n);

// Name of the kernel in use, chosen at start from what the processor has: "avx512bw", "avx2",
// "sse2", or "scalar" (other machines, or a build with LUM_SCALAR_MIX).
const char* mix_kernel_name();

// Every kernel this build and processor can run, for tests that hold each to the rule.
using MixFn = void (*)(std::uint8_t*, const std::uint8_t* const*, int, std::size_t);
struct MixKernel {
    const char* name;
    MixFn fn;
};
std::vector<MixKernel> mix_kernels();

}  // namespace lum::mix
