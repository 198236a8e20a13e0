// The three grids of the main window as table forms: installation data, general data and the
// progress of a solve.
#pragma once

#include <array>
#include <string>

#include "forms/table_form.h"
#include "io/installation_file.h"
#include "model/general_data.h"
#include "model/problem.h"

namespace velkor {

// Labels in column 0, values in column 1; every row can be edited.
class InstallationForm : public TableForm {
  public:
    explicit InstallationForm(InstallationData& data) : data_(data) {}
    int columnCount() const override { return 2; }
    int rowCount() const override { return 5; }
    int fixedColumns() const override { return 1; }
    int columnWidth(int col) const override { return col == 0 ? 150 : 230; }
    std::string cellText(int col, int row) const override;
    // The value is validated and stored into the installation data; writing the file and
    // reallocating the tables are the window's to do.
    CellCommit commit(int col, int row, std::string_view text) override;
    KeyAction key(char key, int col, int row, std::string_view typedText) override;
    CellInfo cellInfo(int col, int row) const override;

  private:
    InstallationData& data_;
};

// Rows 0 to 5 (file name and counts) are shown only; rows 6 to 10 are typed by the user.
class GeneralForm : public TableForm {
  public:
    explicit GeneralForm(Problem& problem) : problem_(problem) {}
    int columnCount() const override { return 2; }
    int rowCount() const override { return kGeneralRowCount; }
    int fixedColumns() const override { return 1; }
    int fixedRows() const override { return kGeneralFirstEditableRow; }
    int columnWidth(int col) const override { return col == 0 ? 150 : 230; }
    std::string cellText(int col, int row) const override;
    CellCommit commit(int col, int row, std::string_view text) override;
    // Enter moves down, from the last row back to "Problem Name".
    KeyAction key(char key, int col, int row, std::string_view typedText) override;
    CellInfo cellInfo(int col, int row) const override;
    // NP brings new particles, which start at (0, 0, 0).
    Footprint commitFootprint(int col, int row) const override;

  private:
    Problem& problem_;
};

enum ProgressRow { ProgressElement = 0, ProgressCycle = 1, ProgressIteration = 2, ProgressLog = 3 };

// "Element", "Cycle", "Iteration", "Log(error)" with the values the solve writes. Shown only.
class ProgressForm : public TableForm {
  public:
    int columnCount() const override { return 2; }
    int rowCount() const override { return 4; }
    int fixedColumns() const override { return 1; }
    int columnWidth(int) const override { return 100; }
    std::string cellText(int col, int row) const override;
    bool isSelectable(int, int) const override { return false; }
    CellCommit commit(int col, int row, std::string_view text) override;

    void setValue(ProgressRow row, std::string text) {
        values_[static_cast<std::size_t>(row)] = std::move(text);
    }

  private:
    std::array<std::string, 4> values_;
};

} // namespace velkor
