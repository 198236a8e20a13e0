// Mesh operations of velkor-batch, each run as the editor windows run it: the mesh editor's
// buttons and click, the block editor opened, used once and closed.
#include <string>
#include <string_view>
#include <vector>

#include "batch/batch.h"
#include "editors/editor_tools.h"
#include "mesh/refinement.h"
#include "model/number_text.h"

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

double clampTo(double value, double limit) {
    if (value < 0) return 0;
    if (value > limit) return limit;
    return value;
}

// The mesh editor closes: its counts become the restore point.
void closeMeshEditor(Problem& p) {
    p.saved.NN = p.NN;
    p.saved.NM = p.NM;
}

void openBlockEditor(Problem& p) {
    p.copyCountsToSaved();
    resetMesh(p); // its first paint
}

void closeBlockEditor(Problem& p) {
    resetMesh(p); // the redraw after the operation
    resetMesh(p); // FormClose
    p.resultsStale = true;
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

OperationResult split(State& state, bool intoFour) {
    Problem& p = state.problem;
    SplitStatus status;
    Feedback* feedback = state.options.verbose ? &status : nullptr;
    const Result result = splitMesh(p, intoFour ? SplitKind::IntoFour : SplitKind::IntoTwo, feedback);
    reportIfAny(state, result.message);
    closeMeshEditor(p);
    return OperationResult::Done;
}

OperationResult failed(std::string_view operation, const char* form) {
    reportMessage("velkor-batch: " + std::string(operation) + ": expected " + form);
    return OperationResult::BadArguments;
}

} // namespace

OperationResult runMeshOperation(State& state, std::string_view operation) {
    Problem& p = state.problem;
    const std::size_t colon = operation.find(':');
    const std::string_view name = operation.substr(0, colon);
    const std::string_view arguments =
        colon == std::string_view::npos ? std::string_view{} : operation.substr(colon + 1);
    const bool hasArguments = colon != std::string_view::npos;
    std::vector<double> v;

    if (name == "reset") {
        if (hasArguments) return failed(operation, "reset without arguments");
        openBlockEditor(p);
        closeBlockEditor(p);
        return OperationResult::Done;
    }
    if (name == "split4" || name == "split2") {
        if (hasArguments) return failed(operation, "no arguments");
        return split(state, name == "split4");
    }
    if (name == "addwell") {
        if (!parseReals(arguments, 2, v)) return failed(operation, "addwell:X,Y");
        EditorState editor;
        EditorDisplay display;
        AddWellTool tool(p, editor, display);
        reportIfAny(state, tool.button().message); // refused at NW = BMAX: no click follows
        if (tool.active()) reportIfAny(state, tool.press(v[0], v[1]).message);
        closeMeshEditor(p);
        return OperationResult::Done;
    }
    if (name == "newnode" || name == "newline" || name == "drag") {
        const bool twoPoints = name != "newnode";
        if (!parseReals(arguments, twoPoints ? 4 : 2, v))
            return failed(operation, twoPoints ? "X1,Y1,X2,Y2" : "X,Y");
        openBlockEditor(p);
        EditorState editor;
        EditorDisplay display;
        const double x1 = clampTo(v[0], p.LX), y1 = clampTo(v[1], p.LY);
        if (name == "newnode") {
            NewNodeTool tool(p, editor, display);
            tool.button();
            tool.move(x1, y1);
            reportIfAny(state, tool.press(x1, y1).message);
        } else {
            const double x2 = clampTo(v[2], p.LX), y2 = clampTo(v[3], p.LY);
            NewLineTool line(p, editor, display);
            DragNodeTool drag(p, editor, display);
            EditorTool* tool = &line;
            if (name == "newline") {
                line.button();
            } else {
                drag.button();
                tool = &drag;
            }
            reportIfAny(state, tool->press(x1, y1).message);
            tool->move(x2, y2);
            reportIfAny(state, tool->release(x2, y2).message);
        }
        closeBlockEditor(p);
        return OperationResult::Done;
    }
    return OperationResult::NotMine;
}

} // namespace velkor::batch
