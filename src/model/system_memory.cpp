#include "model/system_memory.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace velkor {

namespace {

constexpr uint64_t kUnlimited = std::numeric_limits<uint64_t>::max();

// What a process limit leaves once the process's present use is counted.
uint64_t leftUnder(int resource, uint64_t used) {
    rlimit limit{};
    if (::getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kUnlimited;
    const auto cap = static_cast<uint64_t>(limit.rlim_cur);
    return cap > used ? cap - used : 0;
}

// A limit file of a control group: a number of bytes, or "max" for none.
uint64_t limitIn(const std::string& path) {
    std::ifstream in(path);
    std::string text;
    if (!(in >> text) || text == "max") return kUnlimited;
    try {
        return std::stoull(text);
    } catch (...) {
        return kUnlimited;
    }
}

// The memory limit of the process's control group, in the unified hierarchy or the memory
// controller's own; the root of the hierarchy when the group's folder is not visible.
uint64_t controlGroupLimit() {
    std::ifstream groups("/proc/self/cgroup");
    uint64_t limit = kUnlimited;
    for (std::string line; std::getline(groups, line);) {
        const std::size_t first = line.find(':'), second = line.find(':', first + 1);
        if (first == std::string::npos || second == std::string::npos) continue;
        const std::string controllers = line.substr(first + 1, second - first - 1);
        const std::string path = line.substr(second + 1);
        std::string folder, file;
        if (controllers.empty()) {
            folder = "/sys/fs/cgroup", file = "/memory.max";
        } else if (("," + controllers + ",").find(",memory,") != std::string::npos) {
            folder = "/sys/fs/cgroup/memory", file = "/memory.limit_in_bytes";
        } else {
            continue;
        }
        std::ifstream probe(folder + path + file);
        limit = std::min(limit, limitIn((probe ? folder + path : folder) + file));
    }
    return limit;
}

} // namespace

uint64_t availableMemory() {
    uint64_t memory = kUnlimited;
    const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0) memory = static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);

    // Present size of the address space and of the data segment, in pages.
    uint64_t addressSpace = 0, data = 0, resident = 0, shared = 0, text = 0, library = 0;
    std::ifstream statm("/proc/self/statm");
    if (statm >> addressSpace >> resident >> shared >> text >> library >> data) {
        const auto page = static_cast<uint64_t>(pageSize > 0 ? pageSize : 4096);
        memory = std::min(memory, leftUnder(RLIMIT_AS, addressSpace * page));
        memory = std::min(memory, leftUnder(RLIMIT_DATA, data * page));
    }
    return std::min(memory, controlGroupLimit());
}

} // namespace velkor
