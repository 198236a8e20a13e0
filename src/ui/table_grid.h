// The one grid widget of the program: shows any table form, with its fixed rows and columns, one
// always-open cell editor on the current cell, and hooks that let the window refuse a move of the
// selection and see the keys typed into the grid.
//
// Nothing is stored per cell. The view (a QTableView) shows a window of the form: the fixed rows
// and as many of the other rows as fit, from the top row on; a scroll bar of the grid's own moves
// the window, so a table of a million rows costs what a table of twenty does. The only text the
// grid keeps is the one being typed in the current cell.
#pragma once

#include <QFrame>
#include <QPointer>

#include <functional>
#include <string>
#include <string_view>

#include "forms/table_form.h"

class QLineEdit;
class QScrollBar;
class QTableView;

namespace velkor {

class TableWindowModel;

class TableGrid : public QFrame {
    Q_OBJECT
  public:
    explicit TableGrid(QWidget* parent = nullptr);
    ~TableGrid() override;

    // The form shown (not owned; it must outlive the grid or be replaced first).
    void setForm(TableForm* form);
    TableForm* form() const { return form_; }

    // Reads the counts and texts from the form again, after the model changed. The typed text of
    // the current cell stays.
    void refresh();

    // Called before the selection moves to (col, row) by mouse, keys, Tab or selectCell. col()
    // and row() still name the cell being left; clearing canSelect keeps them.
    std::function<void(int col, int row, bool& canSelect)> onSelectCell;
    // Sees Enter (as '\r') and every typed character (Windows-1252); setting key to 0 swallows it.
    // Without this hook the form's key rule is applied (applyKey).
    std::function<void(char& key)> onKeyPress;
    // Focus left the grid for another control of the same window.
    std::function<void()> onExit;
    // A key rule of the form stored values into the model (applyKey).
    std::function<void(Change)> onChanged;

    // Applies the form's rule for a key typed into the current cell: the key is swallowed, the
    // typed text replaced, onChanged told and the selection moved as the user would move it.
    void applyKey(char& key);
    void applyKeyAction(const KeyAction& action, char& key);

    int col() const { return col_; }
    int row() const { return row_; }
    // Moves the selection without asking onSelectCell (the program's own moves); typed text is
    // dropped.
    void setCurrentCell(int col, int row);
    // Moves the selection the way the user does: onSelectCell may refuse. True when moved.
    bool selectCell(int col, int row);

    // The text a cell shows: the typed text in the current cell, else the form's text.
    std::string cellText(int col, int row) const;
    // Typed text in the current cell that has not been confirmed by leaving it.
    bool hasPendingEdit() const { return pending_; }
    // Puts text into the current cell as if typed (the value a refused move offers instead).
    void setTypedText(std::string_view text);
    // Forgets the typed text; the cell shows the form's text again.
    void discardTypedText();

    // The editor of the current cell (null when the cell cannot be edited or is scrolled out of
    // view); tests type into it.
    QLineEdit* cellEditor() const;

    // A grid that only shows values: no editor, no selection moves by the user.
    void setEditable(bool editable);

    void setRowHeight(int height);
    // Forms whose column widths leave out the line between cells: each column is shown this many
    // pixels wider (0, the default, for forms whose widths include it).
    void setColumnLineWidth(int pixels);
    void setFixedColour(const QColor& colour);
    QColor fixedColour() const { return fixedColour_; }
    // Width of the scroll bar that appears when not all rows fit.
    static constexpr int kScrollBarWidth = 18;

    // First row shown below the fixed rows, and how many rows below them fit.
    int topRow() const { return top_; }
    void setTopRow(int row);
    int visibleRows() const;
    // Scrolls so that the row is shown.
    void showRow(int row);

    QTableView* view() const { return view_; }
    QScrollBar* scrollBar() const { return scrollBar_; }

    // Used by the window model: the row of the form shown in a row of the view.
    int formRow(int viewRow) const;
    int viewRow(int formRow) const; // -1 when not shown
    bool isFixedCell(int col, int row) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

  private:
    void layoutParts();
    void placeEditor();
    void updateScrollBar();
    bool handleNavigationKey(QKeyEvent* event, bool fromEditor);
    void moveBy(int dcol, int drow);
    void editorTextEdited(const QString& text);
    void focusChanged(QWidget* old, QWidget* now);
    int clampTop(int top) const;
    int dataRows() const;

    TableForm* form_ = nullptr;
    TableWindowModel* model_ = nullptr;
    QTableView* view_ = nullptr;
    QScrollBar* scrollBar_ = nullptr;
    QPointer<QLineEdit> editor_;
    int col_ = 0, row_ = 0;
    int top_ = 0;
    int columns_ = 0, rows_ = 0; // as last read from the form
    int rowHeight_ = 19;
    int columnLine_ = 0;
    bool editable_ = true;
    bool pending_ = false;
    std::string pendingText_; // the typed text of the current cell, when pending_
    bool askingHook_ = false;
    bool settingEditor_ = false;
    QColor fixedColour_;
};

// Shows a widget and paints it before the work that it announces starts.
void showPanelNow(QWidget* panel);

} // namespace velkor
