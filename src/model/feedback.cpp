#include "model/feedback.h"

#include "model/number_text.h"

namespace velkor {

std::string Progress::statusText() const {
    if (stage == Stage::Split4) return format("Split 4 : %d Nodes, %d Elements", nodes, elements);
    if (stage == Stage::Split2) return format("Split 2 : %d Nodes, %d Elements", nodes, elements);
    return {};
}

} // namespace velkor
