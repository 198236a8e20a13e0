// The tables whose rows are records of the problem - nodes, elements, soils, wells, particles -
// and what they share: one heading row, fixed columns on the left, one row per record (grid row r
// shows record r - 1), the copy key of the property tables, the paging buttons and the layout of
// the small windows that show them.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "forms/table_form.h"
#include "model/problem.h"

namespace velkor {

struct TableColumn {
    const char* heading; // Windows-1252 text of the heading row
    int width;           // pixels, the line between cells not included
};

// Where a table window stands on the screen (its frame's top left corner).
struct WindowPosition {
    int left = 0;
    int top = 0;
};

class RecordTableForm : public TableForm {
  public:
    explicit RecordTableForm(Problem& problem) : problem_(problem) {}

    int columnCount() const override { return static_cast<int>(columns().size()); }
    int rowCount() const override { return recordCount() + 1; }
    int fixedRows() const override { return 1; }
    int columnWidth(int col) const override;
    std::string cellText(int col, int row) const override;

    // Records shown, held to the capacity of their table.
    virtual int recordCount() const = 0;
    virtual std::span<const TableColumn> columns() const = 0;
    // The window's place for a screen of the given size and a window of the given outer width.
    virtual WindowPosition position(int screenWidth, int screenHeight, int windowWidth) const = 0;
    // The text of the help button's message box.
    virtual std::string helpText() const = 0;

    // Enter moves down, from the last row to the first. "c" (lower case only) is not typed: the
    // text of the cell above (in the first row: of the last row) is put into the cell, and the
    // move down then commits it like any typed text.
    KeyAction key(char key, int col, int row, std::string_view typedText) override;

  protected:
    // The text of a record's cell below the heading row.
    virtual std::string recordText(int col, int record) const = 0;
    // A row below the heading that shows a record.
    bool isRecordRow(int row) const { return row >= 1 && row <= recordCount(); }
    // A commit that stores nothing (a cell outside the records, a fixed cell).
    CellCommit unchanged(int col, int row) const { return {cellText(col, row), {}, true, Change::None}; }

    Problem& problem_; // whose tables the form shows and edits
};

// ---- paging of the node and element tables ------------------------------------------------------

enum class PageButton { End, Down, Up, Begin };

// The row a paging button moves the remembered row to, rows counted 1 .. n: the steps are a
// tenth of the table (rounded down), so with fewer than ten rows Up and Down stay where they are.
int pagedRow(PageButton button, int rememberedRow, int n);

// ---- window layout --------------------------------------------------------------------------------

inline constexpr int kTableRowHeight = 17;      // 16 pixels of cell and a line
inline constexpr int kTableVisibleRecords = 20; // more records scroll
inline constexpr int kTableScrollBarWidth = 18;
inline constexpr int kTableStripHeight = 25; // the strip of buttons above the grid
inline constexpr int kTableButtonSize = 25;

struct TableWindowLayout {
    int gridWidth = 0;    // columns with their lines, the frame and the scroll bar when there is one
    int gridHeight = 0;   // the heading and up to 20 records, with the frame
    bool scrolls = false; // more than 20 records
    int windowWidth = 0;  // outer size, a frame of 2 pixels on each side and the caption included
    int windowHeight = 0;
    int clientWidth = 0; // inside the frame: the button strip and the grid below it
    int clientHeight = 0;
    int helpLeft = 0; // the help button sits at the right end of the grid
};

TableWindowLayout tableWindowLayout(std::span<const TableColumn> columns, int records);

} // namespace velkor
