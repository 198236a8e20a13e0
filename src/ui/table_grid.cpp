#include "ui/table_grid.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QScrollBar>
#include <QTableView>
#include <QWheelEvent>

#include <algorithm>

#include "paint/text_codec.h"

namespace velkor {

// The rows of the form that are on the screen: the fixed rows, then the rows from the grid's top
// row on. Texts are asked of the grid (which answers with the typed text for the current cell).
class TableWindowModel : public QAbstractTableModel {
  public:
    explicit TableWindowModel(TableGrid& grid) : QAbstractTableModel(&grid), grid_(grid) {}

    int rowCount(const QModelIndex& parent) const override {
        if (parent.isValid() || !grid_.form()) return 0;
        return shownRows_;
    }
    int columnCount(const QModelIndex& parent) const override {
        if (parent.isValid() || !grid_.form()) return 0;
        return grid_.form()->columnCount();
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || !grid_.form()) return {};
        const int row = grid_.formRow(index.row());
        switch (role) {
        case Qt::DisplayRole:
            return fromWindows1252(grid_.cellText(index.column(), row));
        case Qt::BackgroundRole:
            if (grid_.isFixedCell(index.column(), row)) return grid_.fixedColour();
            return {};
        case Qt::TextAlignmentRole:
            return static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
        }
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
    }

    void setShownRows(int rows) {
        beginResetModel();
        shownRows_ = rows;
        endResetModel();
    }
    int shownRows() const { return shownRows_; }
    void textsChanged() {
        if (shownRows_ > 0 && columnCount({}) > 0)
            emit dataChanged(index(0, 0), index(shownRows_ - 1, columnCount({}) - 1), {Qt::DisplayRole});
    }

  private:
    TableGrid& grid_;
    int shownRows_ = 0;
};

namespace {

bool isInside(const QWidget* widget, const QWidget* container) {
    return widget && (widget == container || container->isAncestorOf(widget));
}

// The whole text selected, ready to be typed over.
void showInEditor(QLineEdit* editor, const QString& text) {
    editor->setText(text);
    editor->setSelection(static_cast<int>(text.size()), -static_cast<int>(text.size()));
}

// The key as a single Windows-1252 character, or 0 when it is none (control keys, other scripts).
char typedCharacter(const QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return 0;
    const QString text = event->text();
    if (text.size() != 1 || text.at(0).unicode() < 0x20 || text.at(0).unicode() == 0x7F) return 0;
    const std::string bytes = toWindows1252(text);
    return bytes.size() == 1 && bytes[0] != '?' ? bytes[0] : (text == QStringLiteral("?") ? '?' : 0);
}

} // namespace

TableGrid::TableGrid(QWidget* parent) : QFrame(parent), fixedColour_(Qt::yellow) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setFocusPolicy(Qt::StrongFocus);

    view_ = new QTableView(this);
    model_ = new TableWindowModel(*this);
    view_->setModel(model_);
    view_->setFrameStyle(QFrame::NoFrame);
    view_->horizontalHeader()->hide();
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setMinimumSectionSize(8);
    view_->verticalHeader()->setDefaultSectionSize(rowHeight_);
    view_->horizontalHeader()->setMinimumSectionSize(8);
    view_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view_->setSelectionMode(QAbstractItemView::NoSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setTabKeyNavigation(false);
    view_->setWordWrap(false);
    view_->setFocusPolicy(Qt::StrongFocus);
    view_->setFocusProxy(nullptr);
    view_->installEventFilter(this);
    view_->viewport()->installEventFilter(this);
    // Grid lines in grey, whatever colour the panel around the grid has.
    QPalette linePalette = view_->palette();
    linePalette.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    view_->setPalette(linePalette);

    scrollBar_ = new QScrollBar(Qt::Vertical, this);
    scrollBar_->setTracking(true);
    scrollBar_->hide();
    scrollBar_->setFocusPolicy(Qt::NoFocus);
    connect(scrollBar_, &QScrollBar::valueChanged, this,
            [this](int value) { setTopRow(form_ ? value + form_->fixedRows() : value); });

    connect(qApp, &QApplication::focusChanged, this, &TableGrid::focusChanged);
}

// The focus moves while the editor is torn down; this grid must not hear of it any more.
TableGrid::~TableGrid() {
    disconnect(qApp, nullptr, this, nullptr);
    onSelectCell = nullptr;
    onKeyPress = nullptr;
    onExit = nullptr;
    onChanged = nullptr;
}

void TableGrid::setForm(TableForm* form) {
    form_ = form;
    columns_ = rows_ = 0;
    pending_ = false;
    col_ = form ? std::min(form->fixedColumns(), std::max(form->columnCount() - 1, 0)) : 0;
    row_ = form ? std::min(form->fixedRows(), std::max(form->rowCount() - 1, 0)) : 0;
    top_ = form ? form->fixedRows() : 0;
    refresh();
}

int TableGrid::dataRows() const {
    return form_ ? std::max(form_->rowCount() - form_->fixedRows(), 0) : 0;
}

int TableGrid::visibleRows() const {
    if (!form_) return 0;
    // The view has no frame and no scroll bars of its own: its rows fill the grid's inside.
    const int fits = contentsRect().height() / std::max(rowHeight_, 1) - form_->fixedRows();
    return std::max(fits, 1);
}

int TableGrid::clampTop(int top) const {
    if (!form_) return 0;
    const int first = form_->fixedRows();
    const int last = std::max(first, form_->rowCount() - visibleRows());
    return std::clamp(top, first, last);
}

int TableGrid::formRow(int viewRow) const {
    if (!form_) return viewRow;
    return viewRow < form_->fixedRows() ? viewRow : top_ + (viewRow - form_->fixedRows());
}

int TableGrid::viewRow(int formRow) const {
    if (!form_) return -1;
    if (formRow < form_->fixedRows()) return formRow;
    if (formRow < top_ || formRow >= top_ + (model_->shownRows() - form_->fixedRows())) return -1;
    return form_->fixedRows() + (formRow - top_);
}

bool TableGrid::isFixedCell(int col, int row) const {
    return form_ && (col < form_->fixedColumns() || row < form_->fixedRows());
}

void TableGrid::refresh() {
    if (!form_) {
        model_->setShownRows(0);
        placeEditor();
        return;
    }
    const int columns = form_->columnCount();
    const int rows = form_->rowCount();
    const bool newColumns = columns != columns_;
    columns_ = columns;
    rows_ = rows;
    // The current cell and the window stay inside the table.
    const int lastCol = std::max(columns - 1, 0), lastRow = std::max(rows - 1, 0);
    if (col_ > lastCol || row_ > lastRow) {
        col_ = std::min(col_, lastCol);
        row_ = std::min(row_, lastRow);
        pending_ = false;
    }
    if (newColumns) model_->setShownRows(0); // the view takes the new columns at the next reset
    layoutParts();
}

// Sizes the view and the scroll bar and puts the window of rows on the screen.
void TableGrid::layoutParts() {
    if (!form_) return;
    const QRect inside = contentsRect();
    const bool scrolling = dataRows() > 0 && form_->rowCount() * rowHeight_ > inside.height();
    const int barWidth = scrolling ? kScrollBarWidth : 0;
    view_->setGeometry(inside.x(), inside.y(), inside.width() - barWidth, inside.height());
    scrollBar_->setGeometry(inside.right() + 1 - barWidth, inside.y(), barWidth, inside.height());
    scrollBar_->setVisible(scrolling);
    top_ = clampTop(top_);
    const int shown = form_->fixedRows() + std::min(visibleRows(), std::max(form_->rowCount() - top_, 0));
    if (shown != model_->shownRows()) {
        model_->setShownRows(shown);
        for (int c = 0; c < form_->columnCount(); ++c)
            view_->setColumnWidth(c, form_->columnWidth(c) + columnLine_);
    } else {
        model_->textsChanged();
    }
    updateScrollBar();
    placeEditor();
}

void TableGrid::updateScrollBar() {
    if (!form_) return;
    const QSignalBlocker block(scrollBar_);
    const int visible = visibleRows();
    scrollBar_->setRange(0, std::max(dataRows() - visible, 0));
    scrollBar_->setPageStep(visible);
    scrollBar_->setSingleStep(1);
    scrollBar_->setValue(top_ - form_->fixedRows());
}

void TableGrid::setTopRow(int row) {
    const int top = clampTop(row);
    if (top == top_) return;
    top_ = top;
    layoutParts();
}

void TableGrid::showRow(int row) {
    if (!form_ || row < form_->fixedRows()) return;
    const int visible = visibleRows();
    if (row < top_)
        setTopRow(row);
    else if (row >= top_ + visible)
        setTopRow(row - visible + 1);
}

void TableGrid::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    layoutParts();
}

void TableGrid::setRowHeight(int height) {
    rowHeight_ = std::max(height, 1);
    view_->verticalHeader()->setDefaultSectionSize(rowHeight_);
    layoutParts();
}

void TableGrid::setColumnLineWidth(int pixels) {
    columnLine_ = std::max(pixels, 0);
    if (form_)
        for (int c = 0; c < form_->columnCount(); ++c)
            view_->setColumnWidth(c, form_->columnWidth(c) + columnLine_);
    placeEditor();
}

void TableGrid::setFixedColour(const QColor& colour) {
    fixedColour_ = colour;
    view_->viewport()->update();
}

void TableGrid::setEditable(bool editable) {
    editable_ = editable;
    setFocusPolicy(editable ? Qt::StrongFocus : Qt::NoFocus);
    view_->setFocusPolicy(editable ? Qt::StrongFocus : Qt::NoFocus);
    placeEditor();
}

std::string TableGrid::cellText(int col, int row) const {
    if (!form_) return {};
    if (pending_ && col == col_ && row == row_) return pendingText_;
    return form_->cellText(col, row);
}

void TableGrid::setTypedText(std::string_view text) {
    pendingText_ = std::string(text);
    pending_ = true;
    if (editor_) {
        settingEditor_ = true;
        showInEditor(editor_, fromWindows1252(text));
        settingEditor_ = false;
    }
    model_->textsChanged();
}

void TableGrid::discardTypedText() {
    pending_ = false;
    pendingText_.clear();
    placeEditor();
    model_->textsChanged();
}

QLineEdit* TableGrid::cellEditor() const {
    return editor_ && editor_->isVisible() ? editor_.data() : nullptr;
}

void TableGrid::editorTextEdited(const QString& text) {
    if (settingEditor_) return;
    pending_ = true;
    pendingText_ = toWindows1252(text);
}

// The editor stands on the current cell whenever that cell is on the screen and can be edited.
void TableGrid::placeEditor() {
    const bool editable = form_ && editable_ && form_->isSelectable(col_, row_);
    const int shownRow = editable ? viewRow(row_) : -1;
    if (shownRow < 0) {
        if (editor_) {
            const bool hadFocus = editor_->hasFocus();
            editor_->hide();
            if (hadFocus) view_->setFocus(Qt::OtherFocusReason);
        }
        return;
    }
    if (!editor_) {
        editor_ = new QLineEdit(view_->viewport());
        editor_->setFrame(false);
        editor_->installEventFilter(this);
        connect(editor_, &QLineEdit::textEdited, this, &TableGrid::editorTextEdited);
    }
    const QRect cell = view_->visualRect(model_->index(shownRow, col_));
    editor_->setGeometry(cell.adjusted(0, 0, -1, -1));
    editor_->setFont(view_->font());
    const QString text = fromWindows1252(pending_ ? pendingText_ : form_->cellText(col_, row_));
    if (editor_->text() != text) {
        settingEditor_ = true;
        showInEditor(editor_, text);
        settingEditor_ = false;
    }
    const bool gridHadFocus = isInside(QApplication::focusWidget(), this);
    editor_->show();
    if (gridHadFocus && !editor_->hasFocus()) editor_->setFocus(Qt::OtherFocusReason);
}

void TableGrid::setCurrentCell(int col, int row) {
    if (!form_) return;
    col_ = std::clamp(col, 0, std::max(form_->columnCount() - 1, 0));
    row_ = std::clamp(row, 0, std::max(form_->rowCount() - 1, 0));
    pending_ = false;
    pendingText_.clear();
    showRow(row_);
    placeEditor();
    model_->textsChanged();
}

bool TableGrid::selectCell(int col, int row) {
    if (!form_ || !editable_ || askingHook_) return false;
    if (col == col_ && row == row_) return true;
    if (!form_->isSelectable(col, row)) return false;
    bool canSelect = true;
    if (onSelectCell) {
        askingHook_ = true;
        onSelectCell(col, row, canSelect);
        askingHook_ = false;
    }
    // The hook may have changed the table (a commit can change the row count).
    if (!canSelect || !form_ || !form_->isSelectable(col, row)) {
        placeEditor();
        model_->textsChanged();
        return false;
    }
    setCurrentCell(col, row);
    return true;
}

void TableGrid::applyKey(char& key) {
    if (!form_) return;
    applyKeyAction(form_->key(key, col_, row_, cellText(col_, row_)), key);
}

void TableGrid::applyKeyAction(const KeyAction& action, char& key) {
    if (action.swallow) key = 0;
    if (action.editorText) setTypedText(*action.editorText);
    if (action.changed != Change::None) {
        model_->textsChanged();
        if (onChanged) onChanged(action.changed);
    }
    if (action.move) selectCell(action.moveCol, action.moveRow);
}

// Arrow keys, Tab, page keys: the selection moves cell by cell, skipping nothing but the table's
// edge; the user's moves go through the select hook.
void TableGrid::moveBy(int dcol, int drow) {
    if (!form_) return;
    int col = col_ + dcol, row = row_ + drow;
    if (dcol != 0 && drow == 0 && (col < form_->fixedColumns() || col >= form_->columnCount())) return;
    row = std::clamp(row, form_->fixedRows(), std::max(form_->rowCount() - 1, form_->fixedRows()));
    if (!form_->isSelectable(col, row)) return;
    selectCell(col, row);
}

bool TableGrid::handleNavigationKey(QKeyEvent* event, bool fromEditor) {
    if (!form_ || !editable_) return false;
    const bool control = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Up:
        moveBy(0, -1);
        return true;
    case Qt::Key_Down:
        moveBy(0, 1);
        return true;
    case Qt::Key_PageUp:
        moveBy(0, -visibleRows());
        return true;
    case Qt::Key_PageDown:
        moveBy(0, visibleRows());
        return true;
    case Qt::Key_Home:
    case Qt::Key_End:
        if (!control && fromEditor) return false;
        moveBy(0, event->key() == Qt::Key_Home ? -form_->rowCount() : form_->rowCount());
        return true;
    case Qt::Key_Left:
        if (fromEditor && editor_ && (editor_->cursorPosition() > 0 || editor_->hasSelectedText()))
            return false;
        moveBy(-1, 0);
        return true;
    case Qt::Key_Right:
        if (fromEditor && editor_ &&
            (editor_->cursorPosition() < editor_->text().size() || editor_->hasSelectedText()))
            return false;
        moveBy(1, 0);
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        // Along the row and on to the next (or back to the one before).
        int col = col_, row = row_;
        if (event->key() == Qt::Key_Tab) {
            if (++col >= form_->columnCount()) col = form_->fixedColumns(), ++row;
        } else if (--col < form_->fixedColumns()) {
            col = form_->columnCount() - 1, --row;
        }
        if (row >= form_->fixedRows() && row < form_->rowCount()) selectCell(col, row);
        return true;
    }
    case Qt::Key_Escape:
        // The typing is given up: the cell shows the stored value again.
        if (pending_) discardTypedText();
        return true;
    default:
        return false;
    }
}

bool TableGrid::eventFilter(QObject* watched, QEvent* event) {
    const bool fromEditor = editor_ && watched == editor_;
    if ((event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) && fromEditor) {
        // Undo in a cell being typed gives up the typing; with nothing typed it is the program's
        // Undo (and Redo), which the editor would otherwise take for its own.
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        const bool undo = keyEvent->matches(QKeySequence::Undo);
        const bool redo = keyEvent->matches(QKeySequence::Redo) ||
                          keyEvent->keyCombination() == QKeyCombination(Qt::CTRL | Qt::SHIFT, Qt::Key_Z) ||
                          keyEvent->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_Y);
        if (undo || redo) {
            if (event->type() == QEvent::KeyPress) return true; // never the editor's own undo
            if (pending_) {
                if (undo) discardTypedText();
                event->accept();
            } else {
                event->ignore();
            }
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress && (fromEditor || watched == view_)) {
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        // A key typed while the current cell is scrolled away brings it back first.
        if (!fromEditor && form_ && editable_ && viewRow(row_) < 0) showRow(row_);
        if (keyEvent->key() == Qt::Key_Return || keyEvent->key() == Qt::Key_Enter) {
            char key = '\r';
            if (onKeyPress)
                onKeyPress(key);
            else
                applyKey(key);
            return true;
        }
        if (handleNavigationKey(keyEvent, fromEditor)) return true;
        if (const char typed = typedCharacter(keyEvent); typed != 0 && editable_) {
            char key = typed;
            if (onKeyPress)
                onKeyPress(key);
            else
                applyKey(key);
            if (key == 0) return true;
            if (!fromEditor && cellEditor()) {
                // Typed on the view itself: the character goes into the editor.
                cellEditor()->setFocus(Qt::OtherFocusReason);
                QApplication::sendEvent(cellEditor(), event);
                return true;
            }
        }
        return false;
    }
    if (watched == view_->viewport()) {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const QModelIndex index = view_->indexAt(mouse->position().toPoint());
            if (index.isValid() && editable_) {
                const int row = formRow(index.row());
                if (form_ && form_->isSelectable(index.column(), row)) selectCell(index.column(), row);
                if (cellEditor()) cellEditor()->setFocus(Qt::MouseFocusReason);
            }
            return true;
        }
        if (event->type() == QEvent::Wheel) {
            const auto* wheel = static_cast<QWheelEvent*>(event);
            const int steps = wheel->angleDelta().y() / 40;
            if (steps != 0) setTopRow(top_ - steps);
            return true;
        }
        if (event->type() == QEvent::Resize) placeEditor();
    }
    return QFrame::eventFilter(watched, event);
}

void TableGrid::focusInEvent(QFocusEvent* event) {
    QFrame::focusInEvent(event);
    if (cellEditor())
        cellEditor()->setFocus(event->reason());
    else
        view_->setFocus(event->reason());
}

void TableGrid::focusChanged(QWidget* old, QWidget* now) {
    if (!onExit || !now || !isInside(old, this) || isInside(now, this)) return;
    if (now->window() != window()) return;    // a message box or another window: still in the cell
    if (qobject_cast<QMenuBar*>(now)) return; // the menu borrows the keyboard, not the focus
    onExit();
}

void showPanelNow(QWidget* panel) {
    panel->show();
    panel->raise();
    // Painted at once, without running the event loop: the work it announces may follow on this
    // thread (reading a datafile) before the loop turns again.
    panel->repaint();
}

} // namespace velkor
