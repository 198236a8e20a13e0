// Mesh operations of velkor-batch, each the operation an editor window runs for the same button or
// click. A block editor operation works on the mesh rebuilt from the blocks, as the block editor
// does.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "batch/batch.h"
#include "mesh/block_operations.h"
#include "model/number_text.h"
#include "operations/mesh_edits.h"

namespace velkor::batch {

namespace {

// Comma-separated reals, exactly `count` of them and nothing else.
bool parseReals(std::string_view text, std::size_t count, std::vector<double>& values) {
    values.clear();
    std::size_t position = 0;
    while (values.size() < count) {
        const ScannedNumber number = scanReal(text.substr(position));
        if (!number.found || number.overflow) return false;
        values.push_back(number.value);
        position += number.length;
        if (values.size() < count) {
            if (position >= text.size() || text[position] != ',') return false;
            ++position;
        }
    }
    return position == text.size();
}

// Every message an editor shows is a refusal: it goes to standard error and sets the exit status.
void reportIfAny(State& state, const std::string& message) {
    if (message.empty()) return;
    reportMessage(message);
    state.refused = true;
}

// With --verbose, the status text of every element of a pass goes to standard error.
class SplitStatus : public Feedback {
  public:
    void progress(const Progress& progress) override { reportMessage(progress.statusText()); }
};

OperationUse split(State& state, bool intoFour) {
    Problem& p = state.problem;
    SplitStatus status;
    Feedback* feedback = state.options.verbose ? &status : nullptr;
    const Applied split = splitMesh(p, intoFour ? SplitKind::IntoFour : SplitKind::IntoTwo, feedback);
    reportIfAny(state, split.result.message);
    return OperationUse::Ran;
}

OperationUse failed(std::string_view operation, const char* form) {
    reportMessage("velkor-batch: " + std::string(operation) + ": expected " + form);
    return OperationUse::BadArguments;
}

} // namespace

OperationUse runMeshOperation(State& state, std::string_view operation) {
    Problem& p = state.problem;
    const std::size_t colon = operation.find(':');
    const std::string_view name = operation.substr(0, colon);
    const std::string_view arguments =
        colon == std::string_view::npos ? std::string_view{} : operation.substr(colon + 1);
    const bool hasArguments = colon != std::string_view::npos;
    std::vector<double> v;

    if (name == "reset") {
        if (hasArguments) return failed(operation, "reset without arguments");
        rebuildMeshFromBlocks(p);
        return OperationUse::Ran;
    }
    if (name == "split4" || name == "split2") {
        if (hasArguments) return failed(operation, "no arguments");
        return split(state, name == "split4");
    }
    if (name == "addwell") {
        if (!parseReals(arguments, 2, v)) return failed(operation, "addwell:X,Y");
        reportIfAny(state, addWellAt(p, v[0], v[1]).result.message);
        return OperationUse::Ran;
    }
    if (name == "newnode" || name == "newline" || name == "drag") {
        const bool twoPoints = name != "newnode";
        if (!parseReals(arguments, twoPoints ? 4 : 2, v))
            return failed(operation, twoPoints ? "X1,Y1,X2,Y2" : "X,Y");
        rebuildMeshFromBlocks(p);
        if (name == "newnode") {
            reportIfAny(state, addMainNode(p, v[0], v[1]).result.message);
            return OperationUse::Ran;
        }
        // Both start at the main node nearest the first point, held to the problem area.
        const int32_t node = pickMainNode(p, std::clamp(v[0], 0.0, p.LX), std::clamp(v[1], 0.0, p.LY));
        if (node < 0) return OperationUse::Ran;
        const Applied done =
            name == "newline" ? addBlockOnLine(p, node, v[2], v[3]) : moveMainNode(p, node, v[2], v[3]);
        reportIfAny(state, done.result.message);
        return OperationUse::Ran;
    }
    return OperationUse::NotMine;
}

} // namespace velkor::batch
