// The heapsort that orders nodes and elements for renumbering, carrying each key's index along.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velkor {

struct KeyedIndex {
    double key;
    int32_t index;
};

// Sorts pairs[0 .. count-1] in ascending key order. Heapsort is not stable: the order it leaves
// among equal keys is part of the numbering (and of every datafile saved after it), so this
// procedure must not be replaced by another sort.
void carriedHeapsort(KeyedIndex* pairs, std::size_t count);

} // namespace velkor
