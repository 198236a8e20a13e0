// Node operations of velkor-batch: setnodes:X0,Y0,X1,Y1,TYPE[,F], Set Nodes of the mesh editor
// with a rectangle dragged from (X0, Y0) to (X1, Y1).
#include <string>
#include <string_view>
#include <vector>

#include "batch/batch.h"
#include "model/number_text.h"
#include "operations/set_nodes.h"

namespace velkor::batch {

namespace {

// Comma-separated reals, all of the text, between least and most of them.
bool parseRealList(std::string_view text, std::size_t least, std::size_t most, std::vector<double>& values) {
    values.clear();
    std::size_t position = 0;
    while (true) {
        const ScannedNumber number = scanReal(text.substr(position));
        if (!number.found || number.overflow) return false;
        values.push_back(number.value);
        position += number.length;
        if (position == text.size()) return values.size() >= least && values.size() <= most;
        if (values.size() == most || text[position] != ',') return false;
        ++position;
    }
}

} // namespace

OperationUse runNodeOperation(State& state, std::string_view operation) {
    const std::size_t colon = operation.find(':');
    if (operation.substr(0, colon) != "setnodes") return OperationUse::NotMine;
    std::vector<double> v;
    const bool parsed =
        colon != std::string_view::npos && parseRealList(operation.substr(colon + 1), 5, 6, v);
    if (!parsed || (v[4] != 0 && v[4] != 1)) {
        reportMessage("velkor-batch: " + std::string(operation) +
                      ": expected setnodes:X0,Y0,X1,Y1,TYPE[,F] " +
                      "with TYPE 1 (head prescribed) or 0 (given supply)");
        return OperationUse::BadArguments;
    }
    NodeSettings settings;
    settings.Type = static_cast<int32_t>(v[4]);
    if (v.size() == 6) settings.F = v[5];
    const NodeSelection selection = nodesInRectangle(state.problem, v[0], v[1], v[2], v[3]);
    const Applied applied = setNodes(state.problem, selection, settings);
    if (applied.result.outcome == Outcome::Done) {
        if (state.options.verbose) reportMessage(applied.result.message);
    } else {
        // A rectangle that catches nothing is a refusal as the editor's message box is.
        reportMessage(applied.result.message);
        state.refused = true;
    }
    return OperationUse::Ran;
}

} // namespace velkor::batch
