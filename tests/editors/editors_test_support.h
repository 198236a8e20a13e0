// The problem the editor tests start from.
#pragma once

#include "default_problem.h"
#include "model/problem.h"

namespace velkor::test {

// The default problem with its colours and soils, for the given limits.
} // namespace velkor::test
