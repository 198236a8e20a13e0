#include "ui/string_grid.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QStyledItemDelegate>

namespace velkor {

namespace {

// The whole text selected, ready to be typed over, and shown from its start.
void showInEditor(QLineEdit* editor, const QString& text) {
    editor->setText(text);
    editor->setSelection(static_cast<int>(text.size()), -static_cast<int>(text.size()));
}

// Every change of the current cell passes here, whatever started it, so that the grid's hook
// can refuse it before anything moves.
class GridSelectionModel : public QItemSelectionModel {
  public:
    GridSelectionModel(QAbstractItemModel* model, StringGrid* grid)
        : QItemSelectionModel(model, grid), grid_(grid) {}

    void setCurrentIndex(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) override {
        if (grid_->askToSelect(index)) QItemSelectionModel::setCurrentIndex(index, command);
    }

  private:
    StringGrid* grid_;
};

class GridDelegate : public QStyledItemDelegate {
  public:
    explicit GridDelegate(StringGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        const QPersistentModelIndex cell(index);
        StringGrid* grid = grid_;
        QObject::connect(editor, &QLineEdit::textEdited, grid,
                         [grid, cell](const QString& text) { grid->editorTextEdited(cell, text); });
        grid_->editorCreated(editor, index);
        return editor;
    }

    // The editor and the cell hold the same text; writing it again would only move the caret.
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* line = static_cast<QLineEdit*>(editor);
        const QString text = index.data(Qt::EditRole).toString();
        if (line->text() != text) showInEditor(line, text);
    }

    // Typing already reaches the cell as it happens.
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex&) const override {
        editor->setGeometry(option.rect);
    }

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (grid_->isFixedCell(index.column(), index.row())) option->backgroundBrush = grid_->fixedColour();
    }

    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            if (grid_->editorKey(static_cast<QKeyEvent*>(event))) return true;
            return false;
        }
        // The editor stays open when the focus goes elsewhere: it belongs to the current cell.
        if (event->type() == QEvent::FocusOut || event->type() == QEvent::Hide) return false;
        return QStyledItemDelegate::eventFilter(object, event);
    }

  private:
    StringGrid* grid_;
};

bool isInside(const QWidget* widget, const QWidget* container) {
    return widget && (widget == container || container->isAncestorOf(widget));
}

} // namespace

StringGrid::StringGrid(QWidget* parent) : QTableWidget(parent), fixedColour_(Qt::yellow) {
    auto* old = selectionModel();
    setSelectionModel(new GridSelectionModel(model(), this));
    delete old;
    setItemDelegate(new GridDelegate(this));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    // Grid lines in grey, whatever colour the panel around the grid has.
    QPalette linePalette = palette();
    linePalette.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    setPalette(linePalette);
    verticalHeader()->setMinimumSectionSize(8);
    setDefaultRowHeight(19);
    horizontalHeader()->setMinimumSectionSize(8);
    connect(qApp, &QApplication::focusChanged, this, &StringGrid::focusChanged);
}

// The focus moves while the editor is torn down; this grid must not hear of it any more.
StringGrid::~StringGrid() {
    disconnect(qApp, nullptr, this, nullptr);
    onSelectCell = nullptr;
    onKeyPress = nullptr;
    onExit = nullptr;
}

void StringGrid::setGridSize(int colCount, int rowCount) {
    programMove_ = true;
    setColumnCount(colCount);
    setRowCount(rowCount);
    programMove_ = false;
    openEditorOnCurrent();
}

void StringGrid::setRows(int rowCount) {
    if (rowCount == this->rowCount()) return;
    programMove_ = true;
    setRowCount(rowCount);
    programMove_ = false;
    openEditorOnCurrent();
}

void StringGrid::setFixedRows(int count) {
    fixedRows_ = count;
    viewport()->update();
    openEditorOnCurrent();
}

void StringGrid::setFixedCols(int count) {
    fixedCols_ = count;
    viewport()->update();
    openEditorOnCurrent();
}

void StringGrid::setColWidth(int col, int width) {
    setColumnWidth(col, width);
}

void StringGrid::setDefaultRowHeight(int height) {
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(height);
}

void StringGrid::setFixedColour(const QColor& colour) {
    fixedColour_ = colour;
    viewport()->update();
}

int StringGrid::col() const {
    return currentIndex().isValid() ? currentIndex().column() : fixedCols_;
}

int StringGrid::row() const {
    return currentIndex().isValid() ? currentIndex().row() : fixedRows_;
}

void StringGrid::setCurrentCell(int col, int row) {
    const QModelIndex target = model()->index(row, col);
    if (!target.isValid()) return;
    programMove_ = true;
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
    programMove_ = false;
    openEditorOnCurrent();
}

bool StringGrid::selectCell(int col, int row) {
    const QModelIndex target = model()->index(row, col);
    if (!target.isValid()) return false;
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
    return currentIndex() == target;
}

bool StringGrid::isFixedCell(int col, int row) const {
    return col < fixedCols_ || row < fixedRows_;
}

void StringGrid::setEditable(bool editable) {
    editable_ = editable;
    setFocusPolicy(editable ? Qt::StrongFocus : Qt::NoFocus);
    openEditorOnCurrent();
}

QTableWidgetItem* StringGrid::cellItem(int col, int row) const {
    return item(row, col);
}

std::string StringGrid::cellText(int col, int row) const {
    const QTableWidgetItem* cell = cellItem(col, row);
    if (!cell) return {};
    const QByteArray bytes = cell->text().toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void StringGrid::setCellText(int col, int row, std::string_view text) {
    if (col < 0 || row < 0 || col >= columnCount() || row >= rowCount()) return;
    const QString value = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    QTableWidgetItem* cell = cellItem(col, row);
    if (!cell) {
        cell = new QTableWidgetItem(value);
        setItem(row, col, cell);
    } else if (cell->text() != value) {
        cell->setText(value);
    }
    if (pendingIndex_.isValid() && pendingIndex_.row() == row && pendingIndex_.column() == col)
        pendingIndex_ = QPersistentModelIndex();
    // A persistent editor is not refreshed by the view; keep it in step with the cell.
    if (editor_ && editorIndex_.isValid() && editorIndex_.row() == row && editorIndex_.column() == col &&
        editor_->text() != value)
        showInEditor(editor_, value);
}

void StringGrid::refreshCellText(int col, int row, std::string_view text) {
    if (hasPendingEdit(col, row)) return;
    setCellText(col, row, text);
}

bool StringGrid::hasPendingEdit(int col, int row) const {
    return pendingIndex_.isValid() && pendingIndex_.row() == row && pendingIndex_.column() == col;
}

QLineEdit* StringGrid::cellEditor() const {
    return editor_;
}

bool StringGrid::askToSelect(const QModelIndex& index) {
    if (programMove_ || !index.isValid()) return true;
    if (index == currentIndex()) return true;
    if (!editable_ || isFixedCell(index.column(), index.row())) return false;
    if (askingHook_) return false;
    bool canSelect = true;
    if (onSelectCell) {
        askingHook_ = true;
        onSelectCell(index.column(), index.row(), canSelect);
        askingHook_ = false;
    }
    return canSelect;
}

void StringGrid::editorTextEdited(const QModelIndex& index, const QString& text) {
    if (!index.isValid()) return;
    QTableWidgetItem* cell = cellItem(index.column(), index.row());
    if (!cell) {
        cell = new QTableWidgetItem(text);
        setItem(index.row(), index.column(), cell);
    } else {
        cell->setText(text);
    }
    pendingIndex_ = QPersistentModelIndex(index);
}

void StringGrid::editorCreated(QLineEdit* editor, const QModelIndex& index) {
    editor_ = editor;
    editorIndex_ = QPersistentModelIndex(index);
}

// Keys typed into the editor: Enter and characters go to the key hook first; Tab moves along
// the row and on to the next; Escape has nothing to undo.
bool StringGrid::editorKey(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        char typed = '\r';
        if (onKeyPress) onKeyPress(typed);
        return true;
    }
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        int c = col(), r = row();
        if (key == Qt::Key_Tab) {
            if (++c >= columnCount()) c = fixedCols_, ++r;
        } else if (--c < fixedCols_) {
            c = columnCount() - 1, --r;
        }
        if (r >= fixedRows_ && r < rowCount()) selectCell(c, r);
        return true;
    }
    if (key == Qt::Key_Escape) return true;
    const QString text = event->text();
    if (onKeyPress && text.size() == 1 && text.at(0).unicode() >= 0x20 && text.at(0).unicode() < 0x100 &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        char typed = static_cast<char>(text.at(0).unicode());
        onKeyPress(typed);
        if (typed == 0) return true;
    }
    return false;
}

void StringGrid::keyPressEvent(QKeyEvent* event) {
    if (editorKey(event)) return;
    QTableWidget::keyPressEvent(event);
}

void StringGrid::focusInEvent(QFocusEvent* event) {
    QTableWidget::focusInEvent(event);
    if (editor_ && editorIndex_ == currentIndex() && editor_->isVisible()) editor_->setFocus();
}

void StringGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableWidget::currentChanged(current, previous);
    pendingIndex_ = QPersistentModelIndex();
    openEditorOnCurrent();
}

void StringGrid::openEditorOnCurrent() {
    const QModelIndex current = currentIndex();
    if (editor_ && editorIndex_ == current && editable_ && current.isValid() &&
        !isFixedCell(current.column(), current.row()))
        return;
    const bool hadFocus = isInside(QApplication::focusWidget(), this);
    const QPersistentModelIndex oldIndex = editorIndex_;
    editor_ = nullptr;
    editorIndex_ = QPersistentModelIndex();
    // Keep the focus inside the grid while the old editor goes, or it wanders to another control.
    if (hadFocus) setFocus(Qt::OtherFocusReason);
    if (oldIndex.isValid()) QAbstractItemView::closePersistentEditor(oldIndex);
    if (!editable_ || !current.isValid() || isFixedCell(current.column(), current.row())) return;
    QAbstractItemView::openPersistentEditor(current);
    if (editor_ && hadFocus) editor_->setFocus(Qt::OtherFocusReason);
}

void StringGrid::focusChanged(QWidget* old, QWidget* now) {
    if (!onExit || !now || !isInside(old, this) || isInside(now, this)) return;
    if (now->window() != window()) return;    // a message box or another window: still in the cell
    if (qobject_cast<QMenuBar*>(now)) return; // the menu borrows the keyboard, not the focus
    onExit();
}

} // namespace velkor
