#include "forms/main_forms.h"

namespace velkor {

std::string InstallationForm::cellText(int col, int row) const {
    if (row < 0 || row >= rowCount()) return {};
    const auto which = static_cast<InstallationRow>(row);
    return col == 0 ? installationRowLabel(which) : installationRowText(which, data_);
}

CellCommit InstallationForm::commit(int col, int row, std::string_view text) {
    if (col != 1 || row < 0 || row >= rowCount()) return {cellText(col, row), {}, true, Change::None};
    InstallationCell cell = validateInstallationCell(static_cast<InstallationRow>(row), text, data_);
    return {std::move(cell.text), std::move(cell.message), true, Change::Installation};
}

KeyAction InstallationForm::key(char key, int col, int row, std::string_view) {
    if (key != '\r') return {};
    return moveDown(col, row, 0);
}

std::string GeneralForm::cellText(int col, int row) const {
    if (row < 0 || row >= rowCount()) return {};
    const auto which = static_cast<GeneralRow>(row);
    return col == 0 ? generalRowLabel(which) : generalRowText(which, problem_);
}

CellCommit GeneralForm::commit(int col, int row, std::string_view text) {
    if (col != 1 || !isSelectable(col, row)) return {cellText(col, row), {}, true, Change::None};
    const auto which = static_cast<GeneralRow>(row);
    GeneralCell cell = validateGeneralCell(which, text, problem_);
    const Change changed = which == GeneralRow::NP ? Change::Counts | Change::Particles : Change::GeneralData;
    return {std::move(cell.text), std::move(cell.message), cell.allowMove, changed};
}

KeyAction GeneralForm::key(char key, int, int row, std::string_view) {
    if (key != '\r') return {};
    return moveDown(1, row, kGeneralFirstEditableRow);
}

std::string ProgressForm::cellText(int col, int row) const {
    static const char* const labels[] = {"Element", "Cycle", "Iteration", "Log(error)"};
    if (row < 0 || row >= rowCount()) return {};
    return col == 0 ? labels[row] : values_[static_cast<std::size_t>(row)];
}

CellCommit ProgressForm::commit(int col, int row, std::string_view) {
    return {cellText(col, row), {}, true, Change::None};
}

} // namespace velkor
