#include "ui/table_window.h"

#include <QEvent>
#include <QHideEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QShowEvent>
#include <QTableView>
#include <QToolButton>

#include <algorithm>

#include "operations/cell_edits.h"
#include "paint/font_table.h"
#include "paint/text_codec.h"
#include "ui/application.h"
#include "ui/table_grid.h"
#include "ui/tool_glyphs.h"

namespace velkor {

static_assert(kTableScrollBarWidth == TableGrid::kScrollBarWidth);

namespace {

const QColor kLimeColour(0x00, 0xFF, 0x00);
const QColor kYellowColour(0xFF, 0xFF, 0x00);

// An arrow up or down, with a bar at its point for the ends of the list.
QIcon pagingGlyph(PageButton button) {
    QPixmap picture(21, 21);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x00, 0x00, 0x80));
    const bool down = button == PageButton::End || button == PageButton::Down;
    const bool bar = button == PageButton::End || button == PageButton::Begin;
    QPainterPath arrow;
    if (down) {
        arrow.moveTo(3, 8);
        arrow.lineTo(18, 8);
        arrow.lineTo(10.5, 16);
    } else {
        arrow.moveTo(3, 13);
        arrow.lineTo(18, 13);
        arrow.lineTo(10.5, 5);
    }
    arrow.closeSubpath();
    painter.drawPath(arrow);
    if (bar) painter.drawRect(down ? QRectF(3, 17, 15, 2) : QRectF(3, 2, 15, 2));
    return QIcon(picture);
}

QToolButton* makeButton(QWidget* parent, const QIcon& icon, const char* hint, int left) {
    auto* button = new QToolButton(parent);
    button->setIcon(icon);
    button->setIconSize(QSize(21, 21));
    button->setToolTip(fromWindows1252(hint));
    button->setAutoRaise(true);
    // The grid keeps the keyboard: a click on a button leaves the cell being typed in.
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(left, 0, kTableButtonSize, kTableButtonSize);
    return button;
}

} // namespace

TableWindow::TableWindow(Application& app, WindowId id, const char* caption,
                         std::unique_ptr<RecordTableForm> form, const Font& font, bool paging)
    : SecondaryWindow(app, id, caption), form_(std::move(form)) {
    // A fixed single-border window with only the close button, kept above the main window.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kLimeColour);
    setPalette(palette);
    setAutoFillBackground(true);

    grid_ = new TableGrid(this);
    grid_->setFont(qtFont(font));
    grid_->setRowHeight(kTableRowHeight);
    grid_->setColumnLineWidth(1);
    grid_->setFixedColour(kYellowColour);
    // Seven-digit node numbers just fill the number column; cut, never shortened to "1050…".
    grid_->view()->setTextElideMode(Qt::ElideNone);
    grid_->setForm(form_.get());

    SpeedButtonHelp = makeButton(this, toolGlyph(ToolGlyph::Help), "Help", 0);
    connect(SpeedButtonHelp, &QToolButton::clicked, this, &TableWindow::SpeedButtonHelpClick);
    if (paging) {
        SpeedButtonEnd = makeButton(this, pagingGlyph(PageButton::End), "End of List", 0);
        SpeedButtonDown = makeButton(this, pagingGlyph(PageButton::Down), "Down", kTableButtonSize);
        SpeedButtonUp = makeButton(this, pagingGlyph(PageButton::Up), "Up", 2 * kTableButtonSize);
        SpeedButtonBegin =
            makeButton(this, pagingGlyph(PageButton::Begin), "Begin of List", 3 * kTableButtonSize);
        connect(SpeedButtonEnd, &QToolButton::clicked, this, &TableWindow::SpeedButtonEndClick);
        connect(SpeedButtonDown, &QToolButton::clicked, this, &TableWindow::SpeedButtonDownClick);
        connect(SpeedButtonUp, &QToolButton::clicked, this, &TableWindow::SpeedButtonUpClick);
        connect(SpeedButtonBegin, &QToolButton::clicked, this, &TableWindow::SpeedButtonBeginClick);
    }
    connect(&app_.document, &Document::changed, this, &TableWindow::documentChanged);
    connect(&app_.document, &Document::storeTypedValuesRequested, this, [this] {
        if (isVisible()) commitRememberedCell();
    });
    layoutWindow();
}

void TableWindow::problemHeld(bool held) {
    grid_->setEditable(!held);
}

TableWindow::~TableWindow() {
    // The grid must not ask a form that is gone.
    grid_->setForm(nullptr);
}

// ---- layout ---------------------------------------------------------------------------------------

// The grid shows the heading and up to 20 records, and the window with its frame (as wide and
// tall as the desktop draws it) is the grid's size plus 4 and 56 pixels: the sizes follow the
// number of records, so they are taken again at every activation. What the frame leaves beside
// and below the grid is the window's lime.
void TableWindow::layoutWindow() {
    const TableWindowLayout layout = tableWindowLayout(form_->columns(), form_->recordCount());
    const QMargins frame = frameExtent();
    setFixedSize(
        std::max(layout.gridWidth, layout.windowWidth - frame.left() - frame.right()),
        std::max(kTableStripHeight + layout.gridHeight, layout.windowHeight - frame.top() - frame.bottom()));
    grid_->setGeometry(0, kTableStripHeight, layout.gridWidth, layout.gridHeight);
    SpeedButtonHelp->move(layout.helpLeft, 0);
}

void TableWindow::placeWindow() {
    const TableWindowLayout layout = tableWindowLayout(form_->columns(), form_->recordCount());
    const QSize screen = screenSize();
    const WindowPosition position = form_->position(screen.width(), screen.height(), layout.windowWidth);
    placeFrame(QRect(position.left, position.top, layout.windowWidth, layout.windowHeight));
}

// ---- window events ------------------------------------------------------------------------------

bool TableWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowDeactivate) {
        if (ownMessageOpen_)
            returningFromOwnMessage_ = true;
        else if (isVisible())
            // Leaving for another window (another table, the main window) is leaving the cell:
            // what was typed is stored, not dropped by the next activation's refill.
            commitRememberedCell();
    }
    if (event->type() == QEvent::WindowActivate && isVisible()) {
        // Closing the window's own message box (help, a corrected value) hands the activation back:
        // the user never left, and a refill would drop the cell being typed and the place in the
        // table.
        if (returningFromOwnMessage_)
            returningFromOwnMessage_ = false;
        else
            FormActivate();
    }
    return SecondaryWindow::event(event);
}

void TableWindow::showEvent(QShowEvent* event) {
    // Placed where the table belongs each time it is shown, before the desktop maps it (the first
    // showing may then learn the frame and place it again); activations leave a window the user
    // has moved where it is.
    if (!event->spontaneous()) placeWindow();
    SecondaryWindow::showEvent(event);
    if (event->spontaneous()) return;
    FormActivate();
}

void TableWindow::hideEvent(QHideEvent* event) {
    // Hidden by a command of the main window (Save, Solve, its own button, ...): what was typed
    // is stored as leaving the cell would store it, so that the command works on it. The
    // window's own close has dropped it before hiding.
    if (!event->spontaneous()) commitRememberedCell();
    SecondaryWindow::hideEvent(event);
}

void TableWindow::FormActivate() {
    layoutWindow();
    FormPaint();
    const int col = form_->fixedColumns();
    app_.state.cursor = GridCursor{col, 1};
    grid_->setCurrentCell(col, 1);
    grid_->setFocus(Qt::ActiveWindowFocusReason);
}

void TableWindow::FormPaint() {
    grid_->refresh();
}

void TableWindow::FormClose() {
    // The window's own close button leaves the cell like any other way out: the value is kept.
    commitRememberedCell();
    SecondaryWindow::FormClose();
}

void TableWindow::documentChanged(Change what) {
    if (!isVisible()) return; // the next activation fills the grid
    if (touches(what, Change::Counts)) layoutWindow();
    FormPaint();
}

// ---- the grid -------------------------------------------------------------------------------------

// The typed text of the remembered cell is validated and stored. A cell that the cursor only
// passes through is left as it is: its text is the stored value rounded for showing, and storing
// that would turn a permeability of 1e-7 m/d into 0 and nudge every node coordinate to whole
// millimetres.
void TableWindow::commitRememberedCell() {
    const GridCursor cursor = app_.state.cursor;
    if (!grid_->hasPendingEdit() || cursor.col != grid_->col() || cursor.row != grid_->row()) return;
    if (!app_.problem.tablesAllocated) return;
    const std::string text = grid_->cellText(cursor.col, cursor.row);
    CellCommit commit;
    const Applied applied = app_.document.apply(
        "Set " + form_->cellInfo(cursor.col, cursor.row).name, form_->commitFootprint(cursor.col, cursor.row),
        [&](Problem& p) { return editCell(p, *form_, cursor.col, cursor.row, text, commit); });
    grid_->discardTypedText();
    // Text that is no number is not stored: the cell shows the value kept, the status line why.
    if (!applied.result.message.empty()) app_.document.tell(applied.result.message);
    if (!commit.message.empty()) showOwnMessage(commit.message);
}

void TableWindow::gridSelectCell(int col, int row, bool& canSelect) {
    commitRememberedCell();
    app_.state.cursor = GridCursor{col, row};
    canSelect = true;
}

void TableWindow::gridKeyPress(char& key) {
    const int col = grid_->col(), row = grid_->row();
    const std::string typed = grid_->cellText(col, row);
    KeyAction action;
    const std::string step = form_->keyStepName(key, col);
    if (step.empty()) {
        action = form_->key(key, col, row, typed);
    } else {
        // A key that stores values (the copies of the node table) is a step of its own.
        const Applied applied =
            app_.document.apply(step, form_->keyFootprint(key, col, row), [&](Problem& p) {
                return pressCellKey(p, *form_, key, col, row, typed, action);
            });
        if (!applied.result.message.empty()) app_.document.tell(applied.result.message);
    }
    // The key stored the value itself: the cell it leaves has nothing left to commit.
    if (action.changed != Change::None) grid_->discardTypedText();
    grid_->applyKeyAction(action, key);
    // In a table of one row Enter comes back to the cell it leaves, and the grid sees no move:
    // the cell is committed all the same, or a confirmed value would never be stored.
    if (action.move && action.moveCol == col && action.moveRow == row) commitRememberedCell();
}

// ---- buttons --------------------------------------------------------------------------------------

void TableWindow::SpeedButtonHelpClick() {
    showOwnMessage(form_->helpText(), true);
}

void TableWindow::showOwnMessage(const std::string& text, bool help) {
    ownMessageOpen_ = true;
    if (help)
        app_.dialogs.help(text);
    else
        app_.dialogs.message(text);
    ownMessageOpen_ = false;
}

void TableWindow::page(PageButton button) {
    const int n = form_->recordCount();
    if (n < 1) return;
    // Paging leaves the cell: what was typed is stored first.
    commitRememberedCell();
    GridCursor& cursor = app_.state.cursor;
    const int row = std::clamp(pagedRow(button, cursor.row, n), 1, n);
    cursor.row = row;
    const int col = form_->isSelectable(cursor.col, row) ? cursor.col : grid_->col();
    grid_->selectCell(col, row);
    grid_->setFocus(Qt::OtherFocusReason);
}

void TableWindow::SpeedButtonBeginClick() {
    page(PageButton::Begin);
}
void TableWindow::SpeedButtonUpClick() {
    page(PageButton::Up);
}
void TableWindow::SpeedButtonDownClick() {
    page(PageButton::Down);
}
void TableWindow::SpeedButtonEndClick() {
    page(PageButton::End);
}

} // namespace velkor
