// velkor-batch under mpirun: every process of the group starts the program; process 0 runs it, the
// others only take part in its fast solves.
#include <string>

#include "batch/batch.h"
#include "solver/fast_solve.h"
#include "solver/parallel_session.h"

namespace velkor::batch {

std::optional<int> serveAsHelper() {
    if (!parallel::launchedByMpirun()) return std::nullopt;
    std::string why;
    if (!parallel::ensureStarted(why)) {
        reportMessage(why);
        return 3;
    }
    if (parallel::rank() == 0) return std::nullopt;
    // MPI ends, and process 0 is told nothing more, when this process returns from main.
    return serveFastSolves();
}

} // namespace velkor::batch
