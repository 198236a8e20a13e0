// How much memory the system can give this process, for the check made before the tables of the
// problem model are allocated.
#pragma once

#include <cstdint>

namespace velkor {

// Bytes this process can count on for new allocations: the smallest of the physical memory, what
// the address-space and data-size limits of the process leave of themselves, and the memory limit
// of its control group. An estimate made before allocating; the allocation itself is still checked.
uint64_t availableMemory();

} // namespace velkor
