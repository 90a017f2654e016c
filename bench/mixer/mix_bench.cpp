// Mixing throughput over one 4096-byte block for 1, 2, 4 and 8 sources: the vector kernel
// against the byte rule, SDL's own U8 mixer doing the same mix, and memcpy of the output
// bytes (the ceiling). Prints the ratios of the run at the end.

#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "sound/mixer/mix_kernel.h"

namespace {

constexpr std::size_t kBytes = 4096;

struct Sources {
    std::vector<std::vector<std::uint8_t>> data;
    std::vector<const std::uint8_t*> ptrs;
    std::vector<std::uint8_t> out;
    explicit Sources(int n) : data(n, std::vector<std::uint8_t>(kBytes)), out(kBytes) {
        std::mt19937 gen(n);
        for (auto& d : data) {
            for (auto& b : d) b = static_cast<std::uint8_t>(gen());
            ptrs.push_back(d.data());
        }
    }
};

void BM_vector(benchmark::State& state) {
    Sources s(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        lum::mix::mix_sources(s.out.data(), s.ptrs.data(), static_cast<int>(s.ptrs.size()), kBytes);
        benchmark::DoNotOptimize(s.out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}

void BM_scalar(benchmark::State& state) {
    Sources s(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        lum::mix::mix_sources_scalar(s.out.data(), s.ptrs.data(), static_cast<int>(s.ptrs.size()),
                                     kBytes);
        benchmark::DoNotOptimize(s.out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}

// SDL mixes one source into the output at a time: copy the first, mix in the others.
void BM_sdl(benchmark::State& state) {
    Sources s(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::memcpy(s.out.data(), s.ptrs[0], kBytes);
        for (std::size_t i = 1; i < s.ptrs.size(); ++i) {
            SDL_MixAudioFormat(s.out.data(), s.ptrs[i], AUDIO_U8, kBytes, SDL_MIX_MAXVOLUME);
        }
        benchmark::DoNotOptimize(s.out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}

void BM_memcpy(benchmark::State& state) {
    Sources s(1);
    for (auto _ : state) {
        std::memcpy(s.out.data(), s.ptrs[0], kBytes);
        benchmark::DoNotOptimize(s.out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}

BENCHMARK(BM_vector)->Arg(1)->Arg(2)->Arg(4)->Arg(8);
BENCHMARK(BM_scalar)->Arg(1)->Arg(2)->Arg(4)->Arg(8);
BENCHMARK(BM_sdl)->Arg(1)->Arg(2)->Arg(4)->Arg(8);
BENCHMARK(BM_memcpy);

// Keeps each run's time per iteration so the ratios come from this one run.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type == Run::RT_Iteration && r.iterations > 0) {
                ns[r.benchmark_name()] = r.GetAdjustedCPUTime();
            }
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
    const double mem = t("BM_memcpy");
    std::printf("\nkernel: %s, %zu-byte block\n", lum::mix::mix_kernel_name(), kBytes);
    std::printf("%-8s %12s %12s %12s %12s\n", "sources", "CPU ns/block", "vs scalar", "vs SDL",
                "vs memcpy");
    for (int n : {1, 2, 4, 8}) {
        std::string a = "/" + std::to_string(n);
        double v = t("BM_vector" + a);
        if (v <= 0) continue;
        std::printf("%-8d %12.1f %11.1fx %11.1fx %11.2fx\n", n, v, t("BM_scalar" + a) / v,
                    t("BM_sdl" + a) / v, mem > 0 ? mem / v : 0.0);
    }
    benchmark::Shutdown();
    return 0;
}
