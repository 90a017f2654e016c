#include "sound/mixer/mix_kernel.h"

#include <cstdint>
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

// Three or more sources in one pass over the output, every source read once. A 16-bit lane
// holds two output bytes; widening each source to 16 bits would cost two shuffles a vector.
// Instead the lanes are summed as they are: t = Σ word = (even sum) + 256 × (odd sum) modulo
// 2^16, and o = Σ (word >> 8) is the odd sum alone, so t − (o << 8) is the even sum (below
// 2^16 for up to 257 sources). Both sums less the bias 128 × (count − 1) fit a signed lane,
// and the unsigned pack is the clamp to 0..255. The sums start at −bias (o) and −257 × bias
// (t), so t − (o << 8) comes out as the even sum less the bias without a subtraction of its own.
// N > 0 fixes the count so the loop is unrolled and the pointers stay in registers.

// The biased even and odd sums of K consecutive vectors from offset i; each source pointer is
// read once for all K. V is a vector of 16-bit lanes of 16, 32 or 64 bytes: the code is always
// inlined, so it is compiled for the instruction set of the kernel it is inlined into.
template <class V>
struct Lanes {
    typedef unsigned short type __attribute__((vector_size(sizeof(V))));
};

template <class V, int N, int K>
[[gnu::always_inline]] inline void sum_lanes(const std::uint8_t* const* src, int count,
                                             std::size_t i, V* even, V* odd) {
    using L = typename Lanes<V>::type;
    const int c = N > 0 ? N : count;
    const int bias = 128 * (c - 1);
    L t[K], o[K];
    for (int k = 0; k < K; ++k) {
        t[k] = L{} + static_cast<unsigned short>(-257 * bias);
        o[k] = L{} + static_cast<unsigned short>(-bias);
    }
#pragma GCC unroll 8
    for (int s = 0; s < c; ++s) {
        const std::uint8_t* p = src[s] + i;
        for (int k = 0; k < K; ++k) {
            L v;
            std::memcpy(&v, p + sizeof(L) * k, sizeof(L));
            // One load a vector: left free, GCC reads each vector twice (once for the shift,
            // once folded into the add), up to 8 % slower. Clang checks the operand against
            // this function's own instruction set, so it goes without.
#if !defined(__clang__)
            asm("" : "+v"(v));
#endif
            t[k] += v;
            o[k] += v >> 8;
        }
    }
    for (int k = 0; k < K; ++k) {
        even[k] = reinterpret_cast<V>(t[k] - (o[k] << 8));
        odd[k] = reinterpret_cast<V>(o[k]);
    }
}

inline std::uint8_t mix_byte(const std::uint8_t* const* src, int count, std::size_t i) {
    int sum = 128;
    for (int s = 0; s < count; ++s) sum += src[s][i] - 128;
    return static_cast<std::uint8_t>(sum < 0 ? 0 : sum > 255 ? 255 : sum);
}

// The byte operations of the mean kernel below for one vector width: `pre` names the
// intrinsics (_mm, _mm256, _mm512), `bits` the whole-register ones. Results go through the first
// argument: clang refuses vectors passed by value into code not compiled for their instruction
// set, as the shared kernel templates are.
#define LUM_BYTE_OPS(target, pre, bits)                          \
    target static void load(V& r, const std::uint8_t* p) {       \
        r = pre##_loadu_si##bits(reinterpret_cast<const V*>(p)); \
    }                                                            \
    target static void put(std::uint8_t* p, const V& v) {        \
        pre##_storeu_si##bits(reinterpret_cast<V*>(p), v);       \
    }                                                            \
    target static void set(V& r, int b) {                        \
        r = pre##_set1_epi8(static_cast<char>(b));               \
    }                                                            \
    target static void add(V& r, const V& a, const V& b) {       \
        r = pre##_add_epi8(a, b);                                \
    }                                                            \
    target static void sub(V& r, const V& a, const V& b) {       \
        r = pre##_sub_epi8(a, b);                                \
    }                                                            \
    target static void avg(V& r, const V& a, const V& b) {       \
        r = pre##_avg_epu8(a, b);                                \
    }                                                            \
    target static void adds(V& r, const V& a, const V& b) {      \
        r = pre##_adds_epi8(a, b);                               \
    }                                                            \
    target static void subs(V& r, const V& a, const V& b) {      \
        r = pre##_subs_epi8(a, b);                               \
    }                                                            \
    target static void flip(V& r, const V& a) {                  \
        r = pre##_xor_si##bits(a, pre##_set1_epi8(-128));        \
    }

// Where the sums of two consecutive vectors go: packing both vectors' even sums, then their
// odd sums, lines the bytes up for two interleaves, the first vector's bytes, then the
// second's. Packs and interleaves keep to 128-bit lanes, so the order is the same at every
// width; each width is compiled for its own instruction set.
struct Sse2 {
    using V = __m128i;
    static void store(std::uint8_t* out, const V* ev, const V* od) {
        V e = _mm_packus_epi16(ev[0], ev[1]);
        V o = _mm_packus_epi16(od[0], od[1]);
        _mm_storeu_si128(reinterpret_cast<V*>(out), _mm_unpacklo_epi8(e, o));
        _mm_storeu_si128(reinterpret_cast<V*>(out + 16), _mm_unpackhi_epi8(e, o));
    }
    LUM_BYTE_OPS(, _mm, 128)
};

// Hands bytes i..n on to a narrower kernel. The loops keep their own copy of the pointers that
// never leaves them: a store through a byte pointer may change any array whose address escapes,
// and the pointers were reloaded from memory for every step.
template <int N>
inline void hand_on(MixFn rest, std::uint8_t* out, const std::uint8_t* const* sources, int count,
                    std::size_t i, std::size_t n) {
    if (i >= n) return;
    const std::uint8_t* src[N > 0 ? N : 256];
    for (int s = 0; s < count; ++s) src[s] = sources[s] + i;
    rest(out + i, src, count, n - i);
}

// The kernel for N sources (any count when N is 0) over whole steps of two vectors of W; what
// is left goes to `rest`.
template <class W, int N, MixFn rest>
[[gnu::always_inline]] inline void mix_wide(std::uint8_t* out, const std::uint8_t* const* sources,
                                            int count, std::size_t n) {
    using V = typename W::V;
    const int c = N > 0 ? N : count;
    const std::uint8_t* src[N > 0 ? N : 256];
    for (int s = 0; s < c; ++s) src[s] = sources[s];
    std::size_t i = 0;
    for (; i + 2 * sizeof(V) <= n; i += 2 * sizeof(V)) {
        V ev[2], od[2];
        sum_lanes<V, N, 2>(src, c, i, ev, od);
        W::store(out + i, ev, od);
    }
    hand_on<N>(rest, out, sources, c, i, n);
}

// Under 32 bytes: one 16-byte vector, then byte by byte.
template <int N>
void mix_tail(std::uint8_t* out, const std::uint8_t* const* src, int count, std::size_t n) {
    const int c = N > 0 ? N : count;
    std::size_t i = 0;
    if (n >= 16) {
        __m128i ev, od;
        sum_lanes<__m128i, N, 1>(src, c, 0, &ev, &od);
        __m128i p = _mm_packus_epi16(ev, od);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                         _mm_unpacklo_epi8(p, _mm_srli_si128(p, 8)));
        i = 16;
    }
    for (; i < n; ++i) out[i] = mix_byte(src, c, i);
}

// The mean kernel: two operations a source vector instead of the lane kernel's three, all on
// bytes: a wrapping byte sum w = S mod 256, and a tree of rounding averages over P = 4 or 8
// leaves (the sources, then zeros), whose result m overstates S / P by at most L / 2 for a tree
// of L levels. So d = P·m − S lies in 0..P·L/2 (at most 12). With x = m − 128·N / P (a signed
// byte), T = S − 128·N = P·x − d, and the output is clamp(T, −128, 127) + 128. In signed
// saturating bytes: y = sat(P/2 · x), then sat(y + sat(y − d)) equals sat(T): where y − d
// saturates, T lies below −128; where y saturates, T lies beyond the same clamp and the result
// is that clamp whatever d is. So d is needed only where y did not saturate, and there it is
// (2y − w + 128·N) mod 256 exactly.
template <class W, int N, int B, int C>
[[gnu::always_inline]] inline void mean_tree(typename W::V& m, const typename W::V* v,
                                             const typename W::V& zero) {
    if constexpr (C == 1) {
        m = v[B];
    } else if constexpr (B + C / 2 >= N) {
        typename W::V lo;
        mean_tree<W, N, B, C / 2>(lo, v, zero);
        W::avg(m, lo, zero);
    } else {
        typename W::V lo, hi;
        mean_tree<W, N, B, C / 2>(lo, v, zero);
        mean_tree<W, N, B + C / 2, C / 2>(hi, v, zero);
        W::avg(m, lo, hi);
    }
}

// The output vector at offset i.
template <class W, int N>
[[gnu::always_inline]] inline void mix_mean_vector(std::uint8_t* out,
                                                   const std::uint8_t* const* src, std::size_t i) {
    using V = typename W::V;
    constexpr int P = N <= 4 ? 4 : 8;
    constexpr int L = P == 4 ? 2 : 3;
    V v[N];
#pragma GCC unroll 8
    for (int s = 0; s < N; ++s) {
        W::load(v[s], src[s] + i);
        // Each source read once: left free, GCC reads it again for the sum.
#if !defined(__clang__)
        asm("" : "+v"(v[s]));
#endif
    }
    V w, m, zero, y, d, z;
    W::add(w, v[0], v[1]);
#pragma GCC unroll 8
    for (int s = 2; s < N; ++s) W::add(w, w, v[s]);
    W::set(zero, 0);
    mean_tree<W, N, 0, P>(m, v, zero);
    W::set(y, 128 * N / P);
    W::sub(y, m, y);
#pragma GCC unroll 4
    for (int l = 1; l < L; ++l) W::adds(y, y, y);
    if constexpr (N % 2 == 1) W::flip(w, w);  // 128·N: off the longest chain
    W::add(d, y, y);
    W::sub(d, d, w);
    W::subs(z, y, d);
    W::adds(z, y, z);
    W::flip(z, z);
    W::put(out + i, z);
}

// Seven or eight sources and the output outgrow a 32 KB first-level cache, and the processor's
// own prefetch falls behind that many streams: each source's line 1 KB ahead is asked for
// early (farther ahead, the lines were gone again before use; with fewer sources it only
// costs). Past a segment's end that is the same wave's next bytes, which the next mix reads.
// The address is formed as an integer: a prefetch never faults, but a pointer past its array is
// not allowed.
template <int N>
[[gnu::always_inline]] inline void prefetch_ahead(const std::uint8_t* const* src, std::size_t i) {
    if constexpr (N >= 7) {
#pragma GCC unroll 8
        for (int s = 0; s < N; ++s) {
            _mm_prefetch(
                reinterpret_cast<const char*>(reinterpret_cast<std::uintptr_t>(src[s] + i) + 1024),
                _MM_HINT_T0);
        }
    }
}

// Whole steps of 64 bytes or two vectors of W, whichever is more, and of four 32-byte vectors at
// seven and eight sources: there the eight pointer steps a step weigh on the rate at which
// instructions go through (2-4 % faster; with 16-byte vectors no gain). What is left goes to
// `rest`.
template <class W, int N, MixFn rest>
[[gnu::always_inline]] inline void mix_mean(std::uint8_t* out, const std::uint8_t* const* sources,
                                            int count, std::size_t n) {
    using V = typename W::V;
    constexpr std::size_t step = sizeof(V) < 32              ? 64
                                 : sizeof(V) == 32 && N >= 7 ? 4 * sizeof(V)
                                                             : 2 * sizeof(V);
    const std::uint8_t* src[N];
    for (int s = 0; s < N; ++s) src[s] = sources[s];
    std::size_t i = 0;
    for (; i + step <= n; i += step) {
#pragma GCC unroll 2
        for (std::size_t line = 0; line < step; line += 64) prefetch_ahead<N>(src, i + line);
#pragma GCC unroll 4
        for (std::size_t k = 0; k < step; k += sizeof(V)) mix_mean_vector<W, N>(out, src, i + k);
    }
    hand_on<N>(rest, out, sources, count, i, n);
}

// Where the mean kernel is the faster of the two (measured in bench_mixer): at four, seven and
// eight sources; at six only with 64-byte vectors (with 16 and 32 bytes it measured 1–5 %
// slower); not at three or five, whose trees carry one and three leaves of padding.
template <class W>
constexpr bool by_mean(int n) {
    return n == 4 || n >= 7 || (n == 6 && sizeof(typename W::V) == 64);
}

// The faster of the two kernels for N sources at width W; what is left goes to `rest`.
template <class W, int N, MixFn rest>
[[gnu::always_inline]] inline void mix_vectors(std::uint8_t* out,
                                               const std::uint8_t* const* sources, int count,
                                               std::size_t n) {
    if constexpr (N > 0 && by_mean<W>(N)) {
        mix_mean<W, N, rest>(out, sources, count, n);
    } else {
        mix_wide<W, N, rest>(out, sources, count, n);
    }
}

// Steps of 32 bytes, for what the 64-byte steps of the mean kernel leave.
template <int N>
void mix_lanes(std::uint8_t* out, const std::uint8_t* const* sources, int count, std::size_t n) {
    mix_wide<Sse2, N, &mix_tail<N>>(out, sources, count, n);
}

template <int N>
void mix_many(std::uint8_t* out, const std::uint8_t* const* sources, int count, std::size_t n) {
    mix_vectors<Sse2, N, &mix_lanes<N>>(out, sources, count, n);
}

// The same kernels 32 bytes at a time, for processors that have AVX2.
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

struct Avx2 {
    using V = __m256i;
    __attribute__((target("avx2"))) static void store(std::uint8_t* out, const V* ev, const V* od) {
        V e = _mm256_packus_epi16(ev[0], ev[1]);
        V o = _mm256_packus_epi16(od[0], od[1]);
        _mm256_storeu_si256(reinterpret_cast<V*>(out), _mm256_unpacklo_epi8(e, o));
        _mm256_storeu_si256(reinterpret_cast<V*>(out + 32), _mm256_unpackhi_epi8(e, o));
    }
    LUM_BYTE_OPS(__attribute__((target("avx2"))), _mm256, 256)
};

template <int N>
__attribute__((target("avx2"))) void mix_many_avx2(std::uint8_t* out,
                                                   const std::uint8_t* const* sources, int count,
                                                   std::size_t n) {
    mix_vectors<Avx2, N, &mix_many<N>>(out, sources, count, n);
}

// The same kernels 64 bytes at a time, for processors with AVX-512BW. Where the vector units are
// 512 bits wide this halves the operations a byte.
__attribute__((target("avx512bw"))) void mix_two_avx512(std::uint8_t* out, const std::uint8_t* a,
                                                        const std::uint8_t* b, std::size_t n) {
    const __m512i bias = _mm512_set1_epi8(static_cast<char>(0x80));
    std::size_t i = 0;
    for (; i + 64 <= n; i += 64) {
        __m512i s = _mm512_adds_epi8(_mm512_xor_si512(_mm512_loadu_si512(a + i), bias),
                                     _mm512_xor_si512(_mm512_loadu_si512(b + i), bias));
        _mm512_storeu_si512(out + i, _mm512_xor_si512(s, bias));
    }
    mix_two_avx2(out + i, a + i, b + i, n - i);
}

struct Avx512 {
    using V = __m512i;
    __attribute__((target("avx512bw"))) static void store(std::uint8_t* out, const V* ev,
                                                          const V* od) {
        V e = _mm512_packus_epi16(ev[0], ev[1]);
        V o = _mm512_packus_epi16(od[0], od[1]);
        _mm512_storeu_si512(out, _mm512_unpacklo_epi8(e, o));
        _mm512_storeu_si512(out + 64, _mm512_unpackhi_epi8(e, o));
    }
    LUM_BYTE_OPS(__attribute__((target("avx512bw"))), _mm512, 512)
};

template <int N>
__attribute__((target("avx512bw"))) void mix_many_avx512(std::uint8_t* out,
                                                         const std::uint8_t* const* sources,
                                                         int count, std::size_t n) {
    mix_vectors<Avx512, N, &mix_many_avx2<N>>(out, sources, count, n);
}

// By count: 3..8 (the mixer's eight channels) fixed, more through the general loop.
constexpr MixFn many_sse2[9] = {&mix_many<0>, nullptr,      nullptr,
                                &mix_many<3>, &mix_many<4>, &mix_many<5>,
                                &mix_many<6>, &mix_many<7>, &mix_many<8>};
constexpr MixFn many_avx2[9] = {&mix_many_avx2<0>, nullptr,           nullptr,
                                &mix_many_avx2<3>, &mix_many_avx2<4>, &mix_many_avx2<5>,
                                &mix_many_avx2<6>, &mix_many_avx2<7>, &mix_many_avx2<8>};
constexpr MixFn many_avx512[9] = {&mix_many_avx512<0>,
                                  nullptr,
                                  nullptr,
                                  &mix_many_avx512<3>,
                                  &mix_many_avx512<4>,
                                  &mix_many_avx512<5>,
                                  &mix_many_avx512<6>,
                                  &mix_many_avx512<7>,
                                  &mix_many_avx512<8>};

// One count to kernel rule for every instruction set: 0, 1 and over 256 sources by the rule
// itself (silence, a copy, sums past the 16-bit lanes), two by the saturating add.
using TwoFn = void (*)(std::uint8_t*, const std::uint8_t*, const std::uint8_t*, std::size_t);
template <TwoFn two, const MixFn (&many)[9]>
void mix_by_count(std::uint8_t* out, const std::uint8_t* const* sources, int count, std::size_t n) {
    if (count <= 1 || count > 256) {
        mix_sources_scalar(out, sources, count, n);
    } else if (count == 2) {
        two(out, sources[0], sources[1], n);
    } else {
        many[count < 9 ? count : 0](out, sources, count, n);
    }
}
constexpr MixFn mix_sse2 = &mix_by_count<&mix_two, many_sse2>;
constexpr MixFn mix_avx2 = &mix_by_count<&mix_two_avx2, many_avx2>;
constexpr MixFn mix_avx512 = &mix_by_count<&mix_two_avx512, many_avx512>;

bool has_avx2() {
    return __builtin_cpu_supports("avx2");
}

// libgcc reports AVX-512 only where the system also saves the 512-bit registers.
bool has_avx512() {
    return __builtin_cpu_supports("avx512bw");
}

const MixFn chosen = has_avx512() ? mix_avx512 : has_avx2() ? mix_avx2 : mix_sse2;

}  // namespace

void mix_sources(std::uint8_t* out, const std::uint8_t* const* sources, int count, std::size_t n) {
    chosen(out, sources, count, n);
}

const char* mix_kernel_name() {
    return chosen == mix_avx512 ? "avx512bw" : chosen == mix_avx2 ? "avx2" : "sse2";
}

std::vector<MixKernel> mix_kernels() {
    std::vector<MixKernel> k{{"scalar", &mix_sources_scalar}, {"sse2", mix_sse2}};
    if (has_avx2()) k.push_back({"avx2", mix_avx2});
    if (has_avx512()) k.push_back({"avx512bw", mix_avx512});
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
