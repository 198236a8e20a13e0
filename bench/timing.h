// Clock and memory readings shared by the benchmarks.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

namespace velkor::bench {

using Clock = std::chrono::steady_clock;

// Seconds since start.
inline double seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The shortest of `repeats` runs, in seconds: on a shared machine, the least disturbed one.
template <typename Run> double fastestOf(int repeats, Run&& run) {
    double best = 1e300;
    for (int i = 0; i < repeats; ++i) {
        const Clock::time_point start = Clock::now();
        run();
        best = std::min(best, seconds(start));
    }
    return best;
}

// A field of /proc/self/status in kB ("VmRSS", "VmHWM"); -1 when it cannot be read.
inline long statusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + key.size());
    return -1;
}

} // namespace velkor::bench
