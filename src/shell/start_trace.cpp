#include "shell/start_trace.h"

#include <time.h>

#include <cstdio>
#include <cstdlib>

namespace lum {

namespace {

long long now_ns() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

}  // namespace

void trace_start(const char* step) {
    static const char* const env = std::getenv("LUM_TRACE_START");
    if (!env) return;
    static const long long origin = [] {
        char* end = nullptr;
        long long given = std::strtoll(env, &end, 10);
        return end && *end == '\0' && given > 0 ? given : now_ns();
    }();
    std::fprintf(stderr, "start: %8.1f ms  %s\n", (now_ns() - origin) / 1e6, step);
}

}  // namespace lum
