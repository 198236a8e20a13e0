#include "batch/batch.h"

namespace velkor::batch {

OperationResult runMeshOperation(State&, std::string_view) { return OperationResult::NotMine; }

} // namespace velkor::batch
