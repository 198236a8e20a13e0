#include "model/outcome.h"

#include "model/feedback.h"
#include "model/number_text.h"

namespace velkor {

const char* outcomeName(Outcome outcome) {
    switch (outcome) {
    case Outcome::Done:
        return "done";
    case Outcome::NothingToDo:
        return "nothing to do";
    case Outcome::RefusedCapacity:
        return "refused for capacity";
    case Outcome::RefusedGeometry:
        return "refused for geometry";
    case Outcome::BadInput:
        return "bad input";
    case Outcome::OutOfMemory:
        return "out of memory";
    case Outcome::FileError:
        return "file error";
    case Outcome::Cancelled:
        return "cancelled";
    case Outcome::NotConverged:
        return "not converged";
    case Outcome::LimitReached:
        return "limit reached";
    case Outcome::Busy:
        return "busy";
    }
    return "unknown";
}

std::string Progress::statusText() const {
    if (stage == Stage::Split4) return format("Split 4 : %d Nodes, %d Elements", nodes, elements);
    if (stage == Stage::Split2) return format("Split 2 : %d Nodes, %d Elements", nodes, elements);
    return {};
}

} // namespace velkor
