// Refusals the fast and the direct solver share: the equations of a cycle that have no unique
// solution. `solver` names the one that found it ("fast", "direct").
#pragma once

#include <cstdint>
#include <string>

#include "model/number_text.h"

namespace velkor {

inline std::string notPositiveDefiniteMessage(const char* solver, int32_t cycle) {
    return format("The equations of cycle %d have no unique solution: the %s solver found them not "
                  "positive definite.\n\n"
                  "Check the permeabilities of the problem.",
                  cycle + 1, solver);
}

inline std::string notFiniteMessage(const char* solver, int32_t cycle) {
    return format("The %s solver found no finite heads for cycle %d: the equations have no unique "
                  "solution.\n\n"
                  "Check the permeabilities, the supplies and the prescribed heads of the problem.",
                  solver, cycle + 1);
}

} // namespace velkor
