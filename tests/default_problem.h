// The default problem of a fresh start, for tests of every folder: the tables for the given limits
// (the default ones unless said), three main nodes, one block, one element, the default soils.
#pragma once

#include <gtest/gtest.h>

#include "model/problem.h"

namespace velkor::test {

inline Problem defaultProblem(const Limits& limits = Limits{}) {
    Problem problem;
    EXPECT_TRUE(problem.allocateTables(limits));
    problem.resetToDefaultProblem();
    problem.buildColoursAndDefaultSoils();
    return problem;
}

} // namespace velkor::test
