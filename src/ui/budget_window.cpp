#include "ui/budget_window.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QShowEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolButton>

#include <algorithm>

#include "paint/font_table.h"
#include "paint/text_codec.h"
#include "results/water_budget.h"
#include "ui/application.h"
#include "ui/window_parts.h"

namespace velkor {

namespace {

constexpr int kStripHeight = 25;
constexpr int kButtonSize = 25;
// Wide enough for the budget's lines, high enough for a few boundaries and wells.
constexpr int kColumns = 96;
constexpr int kRows = 30;

const Font kBudgetFont{"Courier New", 9, false, false};

// What the budget is computed from: the mesh, the node values and results, the soils, the wells.
constexpr Change kBudgetChanges = Change::Counts | Change::Mesh | Change::NodeValues | Change::Soils |
                                  Change::Wells | Change::Results | Change::GeneralData;

const char* const kHelpText =
    "Water Budget\n"
    "\n"
    "Where the water of the solution enters and leaves the aquifer, in m\xB3/d :\n"
    "\n"
    "- Boundaries : nodes with a given head (Type 1) joined by element sides form one\n"
    "    boundary, named by its extent and its range of heads. A boundary node feeds in\n"
    "    its Q less its own wells and its share of the infiltration,\n"
    "- Wells : the discharge of every well,\n"
    "- Infiltration : I times the area of every soil, and in all,\n"
    "- Totals : all water in and out, and the discrepancy\n"
    "    100 (In - Out) / ((In + Out) / 2) in percent.\n"
    "\n"
    "Sign convention : In is water entering the aquifer, Out water leaving it, both\n"
    "counted positive. A pumping well (Q < 0) is Out, an injecting well (Q > 0) In;\n"
    "infiltration (I > 0) is In, evaporation (I < 0) Out; a boundary that feeds the\n"
    "aquifer is In, one that drains it Out.\n"
    "\n"
    "The discrepancy is the water the solution leaves out of balance; after a converged\n"
    "solution it is far below 0.000001 %.\n"
    "\n"
    "Without a solution the window says \"Solve first.\"; after a change of the problem it\n"
    "says that the results are out of date. The budget follows every change at once.\n"
    "The item Budget of the print options prints it.";

} // namespace

TFormBudget::TFormBudget(Application& app) : SecondaryWindow(app, WindowId::WaterBudget, "Water Budget") {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint);
    fillBackground(this, kLime);

    ToolStrip = new QWidget(this);
    fillBackground(ToolStrip, kLime);
    SpeedButtonHelp = makeHelpButton(ToolStrip);
    connect(SpeedButtonHelp, &QToolButton::clicked, this, &TFormBudget::SpeedButtonHelpClick);

    BudgetText = new QPlainTextEdit(this);
    BudgetText->setReadOnly(true);
    BudgetText->setLineWrapMode(QPlainTextEdit::NoWrap);
    BudgetText->setFont(qtFont(kBudgetFont));
    BudgetText->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    refreshTimer_.setSingleShot(true);
    connect(&refreshTimer_, &QTimer::timeout, this, &TFormBudget::refreshWhenFree);
    connect(&app_.document, &Document::changed, this, &TFormBudget::documentChanged);
    FormCreate();
}

void TFormBudget::FormCreate() {
    const QFontMetrics metrics(BudgetText->font());
    const int width = metrics.horizontalAdvance(QLatin1Char('0')) * kColumns +
                      BudgetText->verticalScrollBar()->sizeHint().width() + 2 * BudgetText->frameWidth() + 8;
    const int height = kStripHeight + metrics.lineSpacing() * kRows + 2 * BudgetText->frameWidth() + 8;
    const QSize screen = screenSize();
    setMinimumSize(200, kStripHeight + 100);
    // Centred, its frame 100 pixels from the top of the screen.
    const QSize client(std::min(width, screen.width() - 40), std::min(height, screen.height() - 120));
    const QMargins frame = frameExtent();
    placeClient(QPoint((screen.width() - client.width() - frame.left() - frame.right()) / 2, 100), client);
}

void TFormBudget::resizeEvent(QResizeEvent* event) {
    SecondaryWindow::resizeEvent(event);
    ToolStrip->setGeometry(0, 0, width(), kStripHeight);
    SpeedButtonHelp->setGeometry(width() - kButtonSize - 4, 0, kButtonSize, kButtonSize);
    BudgetText->setGeometry(0, kStripHeight, width(), height() - kStripHeight);
}

void TFormBudget::showEvent(QShowEvent* event) {
    SecondaryWindow::showEvent(event);
    // A window shown again shows the budget of the problem as it is now, from the first paint on.
    if (stale_) FormPaint();
}

void TFormBudget::documentChanged(Change what) {
    if (!touches(what, kBudgetChanges)) return;
    stale_ = true;
    // Several changes in a row (a column filled, an Undo of many steps) give one budget.
    if (isVisible() && !refreshTimer_.isActive()) refreshTimer_.start(0);
}

void TFormBudget::refreshWhenFree() {
    // Long work runs on copies of the problem: the problem read here is whole at any time.
    if (isVisible() && stale_) FormPaint();
}

void TFormBudget::FormPaint() {
    if (!app_.problem.tablesAllocated) return;
    const std::vector<BudgetLine> lines = waterBudgetLines(computeWaterBudget(app_.problem));
    ++computations_;
    stale_ = false;

    const int scrolled = BudgetText->verticalScrollBar()->value();
    BudgetText->clear();
    QTextCursor cursor(BudgetText->document());
    QTextCharFormat plain, heading;
    heading.setFontWeight(QFont::Bold);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        if (k > 0) cursor.insertBlock();
        cursor.insertText(fromWindows1252(lines[k].text), lines[k].heading ? heading : plain);
    }
    // The place in a long budget stays where the user scrolled to.
    BudgetText->verticalScrollBar()->setValue(scrolled);
}

void TFormBudget::SpeedButtonHelpClick() {
    app_.dialogs.message(kHelpText);
}

} // namespace velkor
