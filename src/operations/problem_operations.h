// The operations that replace or reshape the whole problem: a datafile read, the default problem,
// new capacity limits, and a solve taking its results into the problem.
#pragma once

#include <string>

#include "model/feedback.h"
#include "model/problem.h"
#include "operations/applied.h"
#include "solver/solve_command.h"

namespace velkor {

// Reads the datafile at `path` into the problem, with the element velocities of its heads. The
// problem is then called after the file it came from (its base name), whatever name the file
// holds inside. A refused file leaves the problem exactly as it was.
Applied openDatafile(Problem& problem, const std::string& path);

// The default problem: three main nodes, one block, one element and default soils, named
// "Data1.fem" and "Default Datafile".
Applied startDefaultProblem(Problem& problem);

// Whether the problem in hand fits tables of these limits; when it does not, the sentence saying
// what is too large for which limit.
std::string limitsTooSmall(const Problem& problem, const Limits& limits);

// Tables made anew for new capacity limits, with the problem they hold. Refused (RefusedCapacity,
// the sentence of limitsTooSmall) when the problem does not fit them, and OutOfMemory when the
// tables cannot be had; the problem and its tables are then as they were.
Applied applyLimits(Problem& problem, const Limits& limits);

// Tables made anew for new capacity limits, holding the default problem: the problem in hand is
// given up. OutOfMemory, with the tables as they were, when the new tables cannot be had.
Applied applyLimitsWithDefaultProblem(Problem& problem, const Limits& limits);

// Solves the problem and takes the heads, discharges and velocities into it. Only Done and
// NotConverged change the problem (its results then answer the problem again); the report has
// the cycles and the message.
Applied solve(Problem& problem, SolveMethod method, Feedback* feedback, SolveReport& report);

} // namespace velkor
