// The problem the editor tests start from.
#pragma once

#include "model/problem.h"

namespace velkor::test {

// The default problem with its colours and soils, for the given limits.
inline Problem defaultProblem(const Limits& limits = Limits{}) {
    Problem p;
    p.allocateTables(limits);
    p.resetToDefaultProblem();
    p.buildColoursAndDefaultSoils();
    return p;
}

} // namespace velkor::test
