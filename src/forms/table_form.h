// A table as the windows show it, without a window: its size, fixed rows and columns, headings
// and widths, the text of every cell computed from the model when it is asked for, what happens
// when a typed text is committed, and what the keys Enter, c and C do. One grid widget shows any
// table form; the only text it keeps is the one being typed in its editor.
//
// Columns and rows are counted from 0 and include the fixed ones, as the grid shows them: in a
// table with one fixed heading row, row r shows record r - 1.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/changes.h"
#include "operations/problem_snapshot.h"

namespace velkor {

// What a commit leaves.
struct CellCommit {
    std::string text;              // what the cell shows now (normally the stored value, formatted)
    std::string message;           // shown in a message box first; empty for none
    bool allowMove = true;         // false keeps the selection in the cell, which then holds `text` as
                                   // typed text for the user to confirm or correct
    Change changed = Change::None; // what the commit changed in the model
};

// What a key typed into a cell asks of the grid, in this order: take the key out of the editor,
// replace the text being typed, tell the document what changed, move the selection as the user
// would (the grid's select hook runs and may refuse).
struct KeyAction {
    bool swallow = false;                  // the key is not typed into the cell
    std::optional<std::string> editorText; // new typed text of the current cell
    Change changed = Change::None;         // the key itself stored values into the model
    bool move = false;
    int moveCol = 0, moveRow = 0;
};

// What a cell holds, for messages and for the check that typed text is a number at all.
enum class CellKind { Text, Real, Integer };
struct CellInfo {
    std::string name; // "K of soil 2", "LX"; empty for a cell that stores nothing
    CellKind kind = CellKind::Text;
    double value = 0; // the stored value of a number cell
};

class TableForm {
  public:
    virtual ~TableForm() = default;

    virtual int columnCount() const = 0;
    virtual int rowCount() const = 0;
    virtual int fixedColumns() const { return 0; }
    virtual int fixedRows() const { return 0; }
    virtual int columnWidth(int col) const = 0;

    // The text of a cell, headings and fixed cells included, computed from the model.
    virtual std::string cellText(int col, int row) const = 0;
    // Whether the user may select (and type into) a cell; by default every cell outside the
    // fixed rows and columns.
    virtual bool isSelectable(int col, int row) const;

    // Validates the typed text of a cell, stores the value into the model and says what the cell
    // shows now.
    virtual CellCommit commit(int col, int row, std::string_view text) = 0;

    // A key typed into the current cell (Enter arrives as '\r'). The default moves one row down on
    // Enter, from the last row back to the first row that can be selected, in the same column.
    virtual KeyAction key(char key, int col, int row, std::string_view typedText);

    // What a cell holds: its name and kind, and the stored value of a number.
    virtual CellInfo cellInfo(int col, int row) const;
    // The rows and tables a commit of the cell, or a key typed into it, may write: what an undo
    // step must keep. A key that stores nothing needs nothing beyond the general data.
    virtual Footprint commitFootprint(int col, int row) const;
    virtual Footprint keyFootprint(char key, int col, int row) const;
    // The name of the step a key that stores values makes ("Fill Column F").
    virtual std::string keyStepName(char key, int col) const;
    // Whether a value of the column enters the equations of a solve (a permeability, a head, a
    // well's discharge), so that changing it leaves the heads held out of date; porosities and
    // particle start points only enter the pathlines, which are traced anew at every drawing.
    virtual bool entersEquations(int col) const;

    // The first and last rows below the fixed ones, for tables whose rows are records.
    int firstRecordRow() const { return fixedRows(); }
    int lastRow() const { return rowCount() - 1; }

  protected:
    // Enter: the next row down in the column, wrapping from the last row to `wrapRow`.
    KeyAction moveDown(int col, int row, int wrapRow) const;
};

} // namespace velkor
