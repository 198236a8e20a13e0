#include "operations/cell_edits.h"

#include <string>

#include "model/number_text.h"

namespace velkor {

namespace {

// After a change stored by a table: element results of a changed mesh go, and heads no longer
// answer a problem whose equations changed.
Applied settle(Problem& problem, const TableForm& form, int col, Change changed, Result result = {}) {
    if (changed == Change::None) return Applied::nothing(std::move(result));
    if (problem.resultsStale) {
        problem.clearResults();
        changed |= Change::Results;
    }
    if (form.entersEquations(col) && !problem.resultsOutOfDate) {
        problem.resultsOutOfDate = true;
        changed |= Change::Results;
    }
    return {std::move(result), changed};
}

} // namespace

std::optional<Result> refuseNonNumber(const TableForm& form, int col, int row, std::string_view text) {
    const CellInfo cell = form.cellInfo(col, row);
    if (cell.kind == CellKind::Text) return std::nullopt;
    const bool whole = cell.kind == CellKind::Integer;
    if (isNumberText(text, whole)) return std::nullopt;
    return Result::failed(Outcome::BadInput, "'" + std::string(text) + "' is not " +
                                                 (whole ? "a whole number: " : "a number: ") + cell.name +
                                                 " kept at " + format("%.10g", cell.value));
}

Applied editCell(Problem& problem, TableForm& form, int col, int row, std::string_view text,
                 CellCommit& shown) {
    if (std::optional<Result> refused = refuseNonNumber(form, col, row, text)) {
        shown = CellCommit{form.cellText(col, row), {}, true, Change::None};
        return Applied::nothing(std::move(*refused));
    }
    shown = form.commit(col, row, text);
    return settle(problem, form, col, shown.changed);
}

Applied pressCellKey(Problem& problem, TableForm& form, char key, int col, int row,
                     std::string_view typedText, KeyAction& action) {
    // C copies the text in the cell into the whole column: no column is filled with a 0 that
    // stands for unreadable text.
    if (key == 'C' && !form.keyStepName(key, col).empty()) {
        if (std::optional<Result> refused = refuseNonNumber(form, col, row, typedText)) {
            action = KeyAction{};
            action.swallow = true;
            action.editorText = form.cellText(col, row);
            return Applied::nothing(std::move(*refused));
        }
    }
    action = form.key(key, col, row, typedText);
    return settle(problem, form, col, action.changed);
}

} // namespace velkor
