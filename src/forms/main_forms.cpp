#include "forms/main_forms.h"

#include "model/table.h"

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

CellInfo InstallationForm::cellInfo(int col, int row) const {
    if (col != 1 || row < 0 || row >= rowCount()) return {};
    const auto which = static_cast<InstallationRow>(row);
    const Limits& l = data_.limits;
    switch (which) {
    case InstallationRow::UserName:
        return {"User Name", CellKind::Text, 0};
    case InstallationRow::BMAX:
        return {"BMAX", CellKind::Integer, static_cast<double>(l.BMAX)};
    case InstallationRow::NMAX:
        return {"NMAX", CellKind::Integer, static_cast<double>(l.NMAX)};
    case InstallationRow::MMAX:
        return {"MMAX", CellKind::Integer, static_cast<double>(l.MMAX)};
    case InstallationRow::PMAX:
        return {"PMAX", CellKind::Integer, static_cast<double>(l.PMAX)};
    }
    return {};
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
    const std::string name = problem_.problemName;
    const double LX = problem_.LX, LY = problem_.LY, TM = problem_.TM;
    const int32_t NP = problem_.NP;
    GeneralCell cell = validateGeneralCell(which, text, problem_);
    Change changed = Change::None;
    if (problem_.NP != NP)
        changed = Change::Counts | Change::Particles;
    else if (problem_.problemName != name || problem_.LX != LX || problem_.LY != LY || problem_.TM != TM)
        changed = Change::GeneralData;
    return {std::move(cell.text), std::move(cell.message), cell.allowMove, changed};
}

CellInfo GeneralForm::cellInfo(int col, int row) const {
    if (col != 1 || !isSelectable(col, row)) return {};
    switch (static_cast<GeneralRow>(row)) {
    case GeneralRow::ProblemName:
        return {"Problem Name", CellKind::Text, 0};
    case GeneralRow::LX:
        return {"LX", CellKind::Real, problem_.LX};
    case GeneralRow::LY:
        return {"LY", CellKind::Real, problem_.LY};
    case GeneralRow::NP:
        return {"NP", CellKind::Integer, static_cast<double>(problem_.NP)};
    case GeneralRow::TM:
        return {"TM", CellKind::Real, problem_.TM};
    default:
        return {};
    }
}

Footprint GeneralForm::commitFootprint(int, int row) const {
    return row == static_cast<int>(GeneralRow::NP) ? Footprint::propertyTables() : Footprint::generalOnly();
}

KeyAction GeneralForm::key(char key, int, int row, std::string_view) {
    if (key != '\r') return {};
    return moveDown(1, row, kGeneralFirstEditableRow);
}

std::string ProgressForm::cellText(int col, int row) const {
    static const char* const labels[] = {"Element", "Cycle", "Iteration", "Log(error)"};
    if (row < 0 || row >= rowCount()) return {};
    return col == 0 ? labels[row] : values_[idx(row)];
}

CellCommit ProgressForm::commit(int col, int row, std::string_view) {
    return {cellText(col, row), {}, true, Change::None};
}

} // namespace velkor
