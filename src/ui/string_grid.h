// An editable grid of text cells with fixed (shown only) rows and columns, one always-open cell
// editor, and two hooks: one that is asked before the selection moves and may refuse the move,
// and one that sees the keys typed into the grid. Every window that edits a table uses it.
#pragma once

#include <QPointer>
#include <QTableWidget>

#include <functional>
#include <string>
#include <string_view>

class QLineEdit;

namespace velkor {

class StringGrid : public QTableWidget {
    Q_OBJECT
  public:
    explicit StringGrid(QWidget* parent = nullptr);
    ~StringGrid() override;

    // Called before the selection moves to (col, row) by mouse, keys, Tab or selectCell. The
    // grid's col() and row() still name the cell being left; clearing canSelect keeps them.
    std::function<void(int col, int row, bool& canSelect)> onSelectCell;
    // Sees Enter (as '\r') and every typed character; setting key to 0 swallows it.
    std::function<void(char& key)> onKeyPress;
    // Focus left the grid for another control of the same window.
    std::function<void()> onExit;

    void setGridSize(int colCount, int rowCount);
    void setRows(int rowCount);
    void setFixedRows(int count);
    void setFixedCols(int count);
    int fixedRows() const { return fixedRows_; }
    int fixedCols() const { return fixedCols_; }
    void setColWidth(int col, int width);
    void setDefaultRowHeight(int height);
    void setFixedColour(const QColor& colour);
    QColor fixedColour() const { return fixedColour_; }

    int col() const;
    int row() const;
    // Moves the selection without asking onSelectCell (the program's own moves).
    void setCurrentCell(int col, int row);
    // Moves the selection the way the user does: onSelectCell may refuse. True when moved.
    bool selectCell(int col, int row);

    // Cell texts are single-byte Windows-1252, like every text of the core.
    std::string cellText(int col, int row) const;
    void setCellText(int col, int row, std::string_view text);
    // Writes the text unless the cell holds typing that has not been confirmed yet.
    void refreshCellText(int col, int row, std::string_view text);
    bool hasPendingEdit(int col, int row) const;

    // The editor of the current cell (null on a fixed cell); tests type into it.
    QLineEdit* cellEditor() const;

    bool isFixedCell(int col, int row) const;

    // A grid that only shows values: no editor, no selection moves by the user.
    void setEditable(bool editable);

    // Used by the delegate and the selection model; not for windows.
    bool askToSelect(const QModelIndex& index);
    void editorTextEdited(const QModelIndex& index, const QString& text);
    bool editorKey(QKeyEvent* event);
    void editorCreated(QLineEdit* editor, const QModelIndex& index);

  protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

  private:
    QTableWidgetItem* cellItem(int col, int row) const;
    void ensureItems();
    void styleCells();
    void openEditorOnCurrent();
    void focusChanged(QWidget* old, QWidget* now);

    int fixedRows_ = 0;
    int fixedCols_ = 0;
    QColor fixedColour_;
    bool programMove_ = false;
    bool askingHook_ = false;
    bool editable_ = true;
    QPersistentModelIndex editorIndex_;
    QPointer<QLineEdit> editor_;
    QPersistentModelIndex pendingIndex_;
};

} // namespace velkor
