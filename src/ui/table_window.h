// What the five table windows (nodes, elements, soils, wells, particles) share: a strip of
// buttons above one grid that shows a record table, and the editing model of all of them.
//
// One cell is remembered program-wide (UiState::cursor). A value typed into a cell is stored only
// when the user selects another cell of the same grid (mouse, arrows, Tab, Enter, the copy keys):
// the remembered cell is committed, then the new cell is remembered. Every activation of a table
// window fills it from the model anew and puts the cursor on the first record row, committing
// nothing; the window's own close drops a value typed but not yet confirmed.
#pragma once

#include <memory>

#include "forms/record_table.h"
#include "model/changes.h"
#include "results/canvas.h"
#include "ui/secondary_window.h"

class QToolButton;

namespace velkor {

class TableGrid;

// The node and element tables are written in 11 pixels, the property tables in 8 points.
inline const Font kMeshTableFont{"Courier New", 11, false, false, true};
inline const Font kPropertyTableFont{"Courier New", 8, false, false, false};

class TableWindow : public SecondaryWindow {
    Q_OBJECT
  public:
    // `paging` adds the four paging buttons of the node and element tables.
    TableWindow(Application& app, WindowId id, const char* caption, std::unique_ptr<RecordTableForm> form,
                const Font& font, bool paging);
    ~TableWindow() override;

    TableGrid& grid() const { return *grid_; }
    RecordTableForm& form() const { return *form_; }

    // Lays the window out for the records in the table, fills the grid from the model and puts
    // the cursor on the first editable cell of the first record, committing nothing.
    void FormActivate();
    // Fills the grid from the model (only the rows on the screen are ever read).
    void FormPaint();
    // Drops a typed value that was not confirmed, clears the shown flag and hides the window.
    void FormClose() override;

    void SpeedButtonHelpClick();
    void SpeedButtonBeginClick();
    void SpeedButtonUpClick();
    void SpeedButtonDownClick();
    void SpeedButtonEndClick();

    QToolButton* SpeedButtonHelp = nullptr;
    // Paging buttons; null in the windows without them.
    QToolButton* SpeedButtonEnd = nullptr;
    QToolButton* SpeedButtonDown = nullptr;
    QToolButton* SpeedButtonUp = nullptr;
    QToolButton* SpeedButtonBegin = nullptr;

  protected:
    // The grid's events, behind each window's own handlers: the select-cell event commits the
    // remembered cell and remembers the new one; the key event applies the table's key rule.
    void gridSelectCell(int col, int row, bool& canSelect);
    void gridKeyPress(char& key);

    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // The grid only shows while a long run holds the problem.
    void problemHeld(bool held) override;

  private:
    void layoutWindow();
    void placeWindow();
    void commitRememberedCell();
    // A message box of the window's own; the activation it gives back is not a new activation.
    void showOwnMessage(const std::string& text, bool help = false);
    void page(PageButton button);
    void documentChanged(Change what);

    std::unique_ptr<RecordTableForm> form_;
    TableGrid* grid_ = nullptr;
    bool ownMessageOpen_ = false;
    bool returningFromOwnMessage_ = false;
};

} // namespace velkor
