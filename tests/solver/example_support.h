// A shipped example datafile loaded as the Open command loads it: default tables, the file read,
// the element velocities computed from its heads.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "default_problem.h"
#include "io/datafile.h"
#include "solver/element_velocities.h"

namespace velkor::test {

inline Problem openedExample(const char* name) {
    Problem problem = defaultProblem();
    const Result result = readDatafile(problem, std::string(VELKOR_EXAMPLES_DIR) + "/" + name);
    EXPECT_TRUE(result.ok()) << name << ": " << result.message;
    computeElementVelocities(problem);
    return problem;
}

} // namespace velkor::test
