#pragma once

// Start-up trace, for finding what delays the title's first paint: with LUM_TRACE_START set,
// each step prints "start: <ms> <step>" to stderr. The value, when it is a CLOCK_MONOTONIC
// time in nanoseconds taken just before exec (startup_bench --trace passes one), makes the
// times count from exec; any other value counts from the first step.

namespace lum {

void trace_start(const char* step);

}  // namespace lum
