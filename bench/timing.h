// Clock and memory readings shared by the benchmarks.
#pragma once

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
