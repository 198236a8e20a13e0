#include "batch/batch.h"

namespace velkor::batch {

OperationResult runSolverOperation(State&, std::string_view) { return OperationResult::NotMine; }

} // namespace velkor::batch
