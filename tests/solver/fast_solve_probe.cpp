// For the tests of the fast solve on several processes: loads a datafile, refines it by Split 4
// passes, solves it by the fast solve and writes every head with all its digits, one a line, then
// the iterations of every cycle. Started alone or under mpirun; every process but process 0 only
// helps with the solve.
//
//     fast_solve_probe IN.fem SPLITS OUT.txt
#include <cstdio>
#include <cstdlib>
#include <string>

#include "io/datafile.h"
#include "operations/mesh_edits.h"
#include "solver/fast_solve.h"
#include "solver/parallel_session.h"
#include "solver/solve_command.h"

using namespace velkor;

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    if (parallel::launchedByMpirun()) {
        std::string why;
        if (!parallel::ensureStarted(why)) return 3;
        if (parallel::rank() != 0) return serveFastSolves();
    }
    Problem problem;
    Limits limits;
    limits.NMAX = 300000;
    limits.MMAX = 600000;
    if (!problem.allocateTables(limits)) return 4;
    problem.resetToDefaultProblem();
    problem.buildColoursAndDefaultSoils();
    if (!readDatafile(problem, argv[1]).ok()) return 5;
    for (int split = 0; split < std::atoi(argv[2]); ++split)
        if (!splitMesh(problem, SplitKind::IntoFour).ok()) return 6;
    const SolveReport report = solveProblem(problem, SolveMethod::Fast);
    if (report.result.outcome != Outcome::Done) return 7;
    std::FILE* out = std::fopen(argv[3], "w");
    if (!out) return 8;
    for (int32_t i = 0; i < problem.NN; ++i)
        std::fprintf(out, "%.17g\n", problem.nodes[static_cast<std::size_t>(i)].F);
    for (const CycleReport& cycle : report.cycles)
        std::fprintf(out, "cycle %d %d\n", cycle.iterations, cycle.converged ? 1 : 0);
    return std::fclose(out) == 0 ? 0 : 9;
}
