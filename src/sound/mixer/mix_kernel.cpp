#include "sound/mixer/mix_kernel.h"

#include <cstring>

#if defined(__SSE2__) && !defined(LUM_SCALAR_MIX)
#define LUM_MIX_SSE2 1
#include <immintrin.h>
#endif

namespace lum::mix {

// Kept free of auto-vectorisation so it stays the plain byte rule on every compiler setting.
#if defined(__clang__)
#define LUM_NO_VECTORIZE
#else
#define LUM_NO_VECTORIZE __attribute__((optimize("no-tree-vectorize")))
#endif
LUM_NO_VECTORIZE void mix_sources_scalar(std::uint8_t* out, const std::uint8_t* const* sources,
                                         int count, std::size_t n) {
    // An empty span may come with null pointers, which memset and memcpy must not be given.
    if (n == 0) return;
    if (count <= 0) {
        std::memset(out, 128, n);
        return;
    }
    if (count == 1) {
        std::memcpy(out, sources[0], n);
        return;
    }
#if defined(__clang__)
#pragma clang loop vectorize(disable)
#endif
    for (std::size_t i = 0; i < n; ++i) {
        int sum = 128;
        for (int s = 0; s < count; ++s) sum += sources[s][i] - 128;
        out[i] = static_cast<std::uint8_t>(sum < 0 ? 0 : sum > 255 ? 255 : sum);
    }
}

#ifdef LUM_MIX_SSE2

namespace {

// Two sources: as signed bytes (x ^ 0x80 = x − 128) one saturating add is the exact clamp.
void mix_two(std::uint8_t* out, const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
    const __m128i bias = _mm_set1_epi8(static_cast<char>(0x80));
    std::size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        __m128i a0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
        __m128i a1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i + 16));
        __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i + 16));
        __m128i s0 = _mm_adds_epi8(_mm_xor_si128(a0, bias), _mm_xor_si128(b0, bias));
        __m128i s1 = _mm_adds_epi8(_mm_xor_si128(a1, bias), _mm_xor_si128(b1, bias));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_xor_si128(s0, bias));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 16), _mm_xor_si128(s1, bias));
    }
    for (; i < n; ++i) {
        int sum = a[i] + b[i] - 128;
        out[i] = static_cast<std::uint8_t>(sum < 0 ? 0 : sum > 255 ? 255 : sum);
    }
}

// More sources: sum in 16 bits (no overflow below 257 sources), take away the 128 × (count − 1)
// bias, and let the unsigned pack do the clamp to 0..255.
void mix_many(std::uint8_t* out, const std::uint8_t* const* sources, int count, std::size_t n) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i bias = _mm_set1_epi16(static_cast<short>(128 * (count - 1)));
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        __m128i lo = zero, hi = zero;
        for (int s = 0; s < count; ++s) {
            __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sources[s] + i));
            lo = _mm_add_epi16(lo, _mm_unpacklo_epi8(v, zero));
            hi = _mm_add_epi16(hi, _mm_unpackhi_epi8(v, zero));
        }
        lo = _mm_sub_epi16(lo, bias);
        hi = _mm_sub_epi16(hi, bias);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(lo, hi));
    }
    for (; i < n; ++i) {
        int sum = 128;
        for (int s = 0; s < count; ++s) sum += sources[s][i] - 128;
        out[i] = static_cast<std::uint8_t>(sum < 0 ? 0 : sum > 255 ? 255 : sum);
    }
}

// The same two kernels 32 bytes at a time, for processors that have AVX2.
__attribute__((target("avx2"))) void mix_two_avx2(std::uint8_t* out, const std::uint8_t* a,
                                                  const std::uint8_t* b, std::size_t n) {
    const __m256i bias = _mm256_set1_epi8(static_cast<char>(0x80));
    std::size_t i = 0;
    for (; i + 64 <= n; i += 64) {
        __m256i a0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + i));
        __m256i a1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + i + 32));
        __m256i b0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i));
        __m256i b1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i + 32));
        __m256i s0 = _mm256_adds_epi8(_mm256_xor_si256(a0, bias), _mm256_xor_si256(b0, bias));
        __m256i s1 = _mm256_adds_epi8(_mm256_xor_si256(a1, bias), _mm256_xor_si256(b1, bias));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_xor_si256(s0, bias));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i + 32), _mm256_xor_si256(s1, bias));
    }
    mix_two(out + i, a + i, b + i, n - i);
}

__attribute__((target("avx2"))) void mix_many_avx2(std::uint8_t* out,
                                                   const std::uint8_t* const* sources, int count,
                                                   std::size_t n) {
    const __m256i bias = _mm256_set1_epi16(static_cast<short>(128 * (count - 1)));
    std::size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        __m256i lo = _mm256_setzero_si256(), hi = _mm256_setzero_si256();
        for (int s = 0; s < count; ++s) {
            // Zero-extended halves; pack below undoes the lane split of the unpack.
            __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sources[s] + i));
            lo = _mm256_add_epi16(lo, _mm256_unpacklo_epi8(v, _mm256_setzero_si256()));
            hi = _mm256_add_epi16(hi, _mm256_unpackhi_epi8(v, _mm256_setzero_si256()));
        }
        lo = _mm256_sub_epi16(lo, bias);
        hi = _mm256_sub_epi16(hi, bias);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_packus_epi16(lo, hi));
    }
    if (i < n) {
        const std::uint8_t* rest[256];
        for (int s = 0; s < count; ++s) rest[s] = sources[s] + i;
        mix_many(out + i, rest, count, n - i);
    }
}

void mix_sse2(std::uint8_t* out, const std::uint8_t* const* sources, int count, std::size_t n) {
    if (count <= 1 || count > 256) {
        mix_sources_scalar(out, sources, count, n);
    } else if (count == 2) {
        mix_two(out, sources[0], sources[1], n);
    } else {
        mix_many(out, sources, count, n);
    }
}

void mix_avx2(std::uint8_t* out, const std::uint8_t* const* sources, int count, std::size_t n) {
    if (count <= 1 || count > 256) {
        mix_sources_scalar(out, sources, count, n);
    } else if (count == 2) {
        mix_two_avx2(out, sources[0], sources[1], n);
    } else {
        mix_many_avx2(out, sources, count, n);
    }
}

bool has_avx2() {
    return __builtin_cpu_supports("avx2");
}

const MixFn chosen = has_avx2() ? &mix_avx2 : &mix_sse2;

}  // namespace

void mix_sources(std::uint8_t* out, const std::uint8_t* const* sources, int count, std::size_t n) {
    chosen(out, sources, count, n);
}

const char* mix_kernel_name() {
    return chosen == &mix_avx2 ? "avx2" : "sse2";
}

std::vector<MixKernel> mix_kernels() {
    std::vector<MixKernel> k{{"scalar", &mix_sources_scalar}, {"sse2", &mix_sse2}};
    if (has_avx2()) k.push_back({"avx2", &mix_avx2});
    return k;
}

#else

void mix_sources(std::uint8_t* out, const std::uint8_t* const* sources, int count, std::size_t n) {
    mix_sources_scalar(out, sources, count, n);
}

const char* mix_kernel_name() {
    return "scalar";
}

std::vector<MixKernel> mix_kernels() {
    return {{"scalar", &mix_sources_scalar}};
}

#endif

}  // namespace lum::mix
