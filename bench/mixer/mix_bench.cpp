// Mixing throughput over one 4096-byte block for 1 to 8 sources: the vector kernel in use
// (and the AVX2 and SSE2 kernels, for processors without AVX-512 or AVX2) against the byte rule,
// SDL's own U8 mixer doing the same mix, and memcpy of the output bytes. Prints the ratios of the
// run at the end, with the share of the memory bound: a mix of n sources reads n blocks and writes
// one, so it can run at best at 2 / (n + 1) of memcpy, which reads one and writes one.

#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>
#include <immintrin.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "sound/mixer/mix_kernel.h"

namespace {

constexpr std::size_t kBytes = 4096;

// The blocks lie in one arena at different offsets modulo 4096, as separately allocated waves
// do; blocks exactly 4096 + 16 bytes apart (back-to-back allocations of 4096) would make loads
// of one wait on stores to another that merely share the low address bits. The stride puts
// the output and up to 63 sources at distinct offsets modulo 4096 (a stride of 4096 + 512 put
// the eighth source at the output's offset, and so measured that stall, not the kernel).
constexpr std::size_t kStride = kBytes + 448;
struct Sources {
    std::vector<std::uint8_t> arena;
    std::vector<const std::uint8_t*> ptrs;
    std::uint8_t* out;
    explicit Sources(int n) : arena((n + 2) * kStride) {
        std::uint8_t* base =
            arena.data() + (64 - reinterpret_cast<std::uintptr_t>(arena.data()) % 64);
        out = base;
        std::mt19937 gen(n);
        for (int k = 1; k <= n; ++k) {
            std::uint8_t* d = base + k * kStride;
            for (std::size_t i = 0; i < kBytes; ++i) d[i] = static_cast<std::uint8_t>(gen());
            ptrs.push_back(d);
        }
    }
};

// Times `mix(s)` over blocks of `n` sources, the output kept from being optimised away.
template <class Mix>
void run(benchmark::State& state, int n, Mix mix) {
    Sources s(n);
    for (auto _ : state) {
        mix(s);
        benchmark::DoNotOptimize(s.out);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}

void run_kernel(benchmark::State& state, lum::mix::MixFn fn) {
    if (!fn) {
        state.SkipWithError("no such kernel in this build");
        return;
    }
    run(state, static_cast<int>(state.range(0)),
        [fn](Sources& s) { fn(s.out, s.ptrs.data(), static_cast<int>(s.ptrs.size()), kBytes); });
}

lum::mix::MixFn kernel(const char* name) {
    for (const auto& k : lum::mix::mix_kernels())
        if (std::string(k.name) == name) return k.fn;
    return nullptr;
}

void BM_vector(benchmark::State& state) {
    run_kernel(state, &lum::mix::mix_sources);
}

void BM_sse2(benchmark::State& state) {
    run_kernel(state, kernel("sse2"));
}

void BM_scalar(benchmark::State& state) {
    run_kernel(state, &lum::mix::mix_sources_scalar);
}

// SDL mixes one source into the output at a time: copy the first, mix in the others.
void BM_sdl(benchmark::State& state) {
    run(state, static_cast<int>(state.range(0)), [](Sources& s) {
        std::memcpy(s.out, s.ptrs[0], kBytes);
        for (std::size_t i = 1; i < s.ptrs.size(); ++i)
            SDL_MixAudioFormat(s.out, s.ptrs[i], AUDIO_U8, kBytes, SDL_MIX_MAXVOLUME);
    });
}

void BM_memcpy(benchmark::State& state) {
    run(state, 1, [](Sources& s) { std::memcpy(s.out, s.ptrs[0], kBytes); });
}

// memcpy as a processor without AVX runs it: 16-byte loads and stores, four to a step as
// glibc's own copy does (left rolled up, GCC kept a loop per 16 bytes that took twice the time
// and so flattered the kernel). The bound of the SSE2 kernel, which serves exactly those
// processors, is taken from it.
__attribute__((optimize("no-tree-loop-distribute-patterns"))) void copy_sse2(std::uint8_t* out,
                                                                             const std::uint8_t* in,
                                                                             std::size_t n) {
    for (std::size_t i = 0; i + 64 <= n; i += 64) {
#pragma GCC unroll 4
        for (std::size_t k = 0; k < 64; k += 16)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + k),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i + k)));
    }
}

void BM_copy_sse2(benchmark::State& state) {
    run(state, 1, [](Sources& s) { copy_sse2(s.out, s.ptrs[0], kBytes); });
}

// The fastest of seven repetitions: on a shared machine the others' load only ever adds time.
double fastest(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}
#define LUM_REPEATED(b) \
    BENCHMARK(b)->Repetitions(7)->DisplayAggregatesOnly(true)->ComputeStatistics("min", fastest)
LUM_REPEATED(BM_vector)->DenseRange(1, 8);
LUM_REPEATED(BM_sse2)->DenseRange(1, 8);
LUM_REPEATED(BM_scalar)->DenseRange(1, 8);
LUM_REPEATED(BM_sdl)->DenseRange(1, 8);
LUM_REPEATED(BM_memcpy);
LUM_REPEATED(BM_copy_sse2);

// The bound columns: the kernel and its copy timed in turns over short stretches, the fastest
// stretch of each. A shared host's slow swings in speed then fall on both alike, where the
// separate benchmarks above run a minute apart.
// Clears the upper halves of the vector registers, as a processor without AVX never has them
// set: 16-byte code run after 32-byte code with them set ran up to three times slower here.
__attribute__((target("avx"))) void clean_upper_halves() {
    _mm256_zeroupper();
}

double of_bound(lum::mix::MixFn fn, int n,
                void (*copy)(std::uint8_t*, const std::uint8_t*, std::size_t)) {
    using clock = std::chrono::steady_clock;
    Sources s(n), c(1);
    double best_fn = 1e30, best_copy = 1e30;
    constexpr int kBlocks = 32;
    for (int r = 0; r < 500; ++r) {
        clean_upper_halves();
        const auto t0 = clock::now();
        for (int i = 0; i < kBlocks; ++i) {
            fn(s.out, s.ptrs.data(), n, kBytes);
            benchmark::ClobberMemory();
        }
        clean_upper_halves();
        const auto t1 = clock::now();
        for (int i = 0; i < kBlocks; ++i) {
            copy(c.out, c.ptrs[0], kBytes);
            benchmark::ClobberMemory();
        }
        const auto t2 = clock::now();
        best_fn = std::min(best_fn, std::chrono::duration<double>(t1 - t0).count());
        best_copy = std::min(best_copy, std::chrono::duration<double>(t2 - t1).count());
    }
    const double bound = n == 1 ? 1.0 : 2.0 / (n + 1);
    return best_copy / best_fn / bound;
}

void copy_memcpy(std::uint8_t* out, const std::uint8_t* in, std::size_t n) {
    std::memcpy(out, in, n);
}

// Keeps each run's time per iteration so the ratios come from this one run.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "min")
                ns[r.run_name.function_name +
                   (r.run_name.args.empty() ? "" : "/" + r.run_name.args)] = r.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> ns;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto t = [&](const std::string& name) {
        auto it = reporter.ns.find(name);
        return it == reporter.ns.end() ? 0.0 : it->second;
    };
    const double mem = t("BM_memcpy"), mem_sse2 = t("BM_copy_sse2");
    std::printf("\nkernel: %s, %zu-byte block; bound = 2 / (sources + 1) of memcpy\n",
                lum::mix::mix_kernel_name(), kBytes);
    std::printf("%-8s %12s %10s %10s %10s %10s %12s %12s\n", "sources", "CPU ns/block", "vs scalar",
                "vs SDL", "vs memcpy", "of bound", "AVX2: bound", "SSE2: bound");
    std::printf(
        "(AVX2: the AVX2 kernel against memcpy; SSE2: the SSE2 kernel against a 16-byte copy, "
        "%.1f ns, as memcpy runs without AVX)\n",
        mem_sse2);
    const lum::mix::MixFn avx2 = kernel("avx2");
    for (int n = 1; n <= 8; ++n) {
        std::string a = "/" + std::to_string(n);
        double v = t("BM_vector" + a), v2 = t("BM_sse2" + a);
        if (v <= 0) continue;
        const double vector_bound = of_bound(&lum::mix::mix_sources, n, &copy_memcpy);
        const double avx2_bound = avx2 ? of_bound(avx2, n, &copy_memcpy) : 0.0;
        const double sse2_bound = v2 > 0 ? of_bound(kernel("sse2"), n, &copy_sse2) : 0.0;
        std::printf("%-8d %12.1f %9.1fx %9.1fx %9.2fx %10.2f %12.2f %12.2f\n", n, v,
                    t("BM_scalar" + a) / v, t("BM_sdl" + a) / v, mem / v, vector_bound, avx2_bound,
                    sse2_bound);
    }
    benchmark::Shutdown();
    return 0;
}
