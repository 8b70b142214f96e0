// The self-timing reports' clock and statistics, for builds without Google
// Benchmark (the 32-bit Windows one above all).
#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

typedef std::chrono::steady_clock BenchClock;

inline double MsSince(BenchClock::time_point start) {
    return std::chrono::duration<double, std::milli>(BenchClock::now() - start).count();
}

// The median of some times; they are sorted in place. 0 for none.
inline double MedianOf(std::vector<double>& times) {
    if (times.empty()) return 0.0;
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
