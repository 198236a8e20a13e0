#include "mesh/carried_heapsort.h"

namespace velkor {

void carriedHeapsort(KeyedIndex* pairs, std::size_t count) {
    if (count < 2) return;
    // The heap is numbered 1 .. count; position k lives at pairs[k - 1].
    auto at = [pairs](std::size_t k) -> KeyedIndex& { return pairs[k - 1]; };
    std::size_t l = count / 2 + 1;
    std::size_t ir = count;
    for (;;) {
        KeyedIndex moving;
        if (l > 1) {
            --l;
            moving = at(l);
        } else {
            moving = at(ir);
            at(ir) = at(1);
            --ir;
            if (ir == 1) {
                at(1) = moving;
                return;
            }
        }
        std::size_t i = l;
        std::size_t j = l + l;
        while (j <= ir) {
            if (j < ir && at(j).key < at(j + 1).key) ++j;
            if (moving.key < at(j).key) {
                at(i) = at(j);
                i = j;
                j += j;
            } else {
                break;
            }
        }
        at(i) = moving;
    }
}

} // namespace velkor
