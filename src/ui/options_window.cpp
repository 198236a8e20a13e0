#include "ui/options_window.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>

#include "paint/font_table.h"
#include "paint/text_codec.h"
#include "results/plot_options.h"
#include "ui/application.h"
#include "ui/window_parts.h"

namespace velkor {

namespace {

constexpr int kStripHeight = 25;
constexpr int kButtonSize = 25;
constexpr int kBoxWidth = 150;
constexpr int kBoxHeight = 273;
constexpr int kBoxTop = kStripHeight + 20;
// The three boxes of the solution, print and 3D-graph options stand where they always stood; the
// fourth, of the plot options, stands to their right, and the window is a box wider. Budget sits
// below the graphics scale in the print box: the boxes and the window are taller for it.
constexpr int kBoxLeft = (456 - 3 * kBoxWidth) / 2;
constexpr int kWidth = 456 + kBoxWidth;
constexpr int kHeight = 326;

const char* const kHelpText = "Options :\n"
                              "\n"
                              "Solution Options :\n"
                              "\n"
                              "- Preconditioner : Use diagonal preconditioner in solution procedure.\n"
                              "- Fast Solver : Use algebraic multigrid solver in solution procedure.\n"
                              "\n"
                              "Print Options :\n"
                              "\n"
                              "- Print General Data : Print all general data, including the data of the\n"
                              "    main nodes and the blocks,\n"
                              "- Nodes : Print the data of all nodes,\n"
                              "- Elements : Print the data of all elements,\n"
                              "- Mesh : Print a graph of the finite element mesh,\n"
                              "- Contours : Print a graph of contours of the groundwater head,\n"
                              "- 3D-Graph : Print a three dimensional graph of the groundwater head,\n"
                              "- Budget : Print the water budget of the solution,\n"
                              "- Graphics Scale : Scale of the graphs on printing paper.\n"
                              "\n"
                              "Warning : For a large problem, with many nodes and elements, printing the\n"
                              "output data of all nodes and all elements may require the printing of many\n"
                              "pages of output data.\n"
                              "\n"
                              "3D-Graphics Options :\n"
                              "\n"
                              "- Groundwater Table : Show mesh of the groundwater head, in blue,\n"
                              "- Contours : Draw contours of the groundwater head, in red,\n"
                              "- Bottom Surface : Show mesh in the bottom of the aquifer, in green,\n"
                              "- Top Surface : Show mesh in the top of the aquifer, in yellow,\n"
                              "- Viewing Angle : Scale of the viewing angle (1..89 degrees).\n"
                              "\n"
                              "Plot Options :\n"
                              "\n"
                              "- Label contours : Write the head along the contour lines,\n"
                              "- Scale bar : Draw a scale in metres in the contour plot.";

QFrame* makeBox(QWidget* parent, int index, Colour colour, const char* heading, int headingLeft) {
    auto* box = new QFrame(parent);
    box->setFrameStyle(QFrame::Panel | QFrame::Raised);
    fillBackground(box, colour);
    box->setGeometry(kBoxLeft + index * kBoxWidth, kBoxTop, kBoxWidth, kBoxHeight);
    auto* label = new QLabel(fromWindows1252(heading), box);
    label->setFont(qtFont(Font{"MS Sans Serif", 10, true, false}));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    label->adjustSize();
    label->move(headingLeft, 16);
    return box;
}

QCheckBox* makeCheck(QFrame* box, const char* caption, int top) {
    auto* check = new QCheckBox(fromWindows1252(caption), box);
    check->adjustSize();
    check->move(24, top);
    return check;
}

QSlider* makeTrackBar(QFrame* box, int pageStep, const char* caption, QLabel*& label) {
    auto* bar = new QSlider(Qt::Horizontal, box);
    bar->setRange(kTrackBarMinimum, kTrackBarMaximum);
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setTickInterval(1);
    bar->setSingleStep(1);
    bar->setPageStep(pageStep);
    bar->setGeometry(20, 187, 100, 35);
    label = new QLabel(fromWindows1252(caption), box);
    label->adjustSize();
    label->move(32, 224);
    return bar;
}

} // namespace

TFormOpt::TFormOpt(Application& app) : SecondaryWindow(app, WindowId::Options, "Options") {
    // A fixed dialog with a single border and only the system menu, kept above the other windows.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setFont(qtFont(Font{"MS Sans Serif", 8, false, false}));
    buildControls();
    connect(&app_.document, &Document::changed, this, &TFormOpt::documentChanged);
    FormCreate();
}

void TFormOpt::buildControls() {
    ToolStrip = new QWidget(this);
    fillBackground(ToolStrip, kLime);
    SpeedButtonHelp = makeHelpButton(ToolStrip);
    connect(SpeedButtonHelp, &QToolButton::clicked, this, &TFormOpt::SpeedButtonHelpClick);

    PanelSolution = makeBox(this, 0, kRed, "Solution Options", 16);
    CheckPreconditioner = makeCheck(PanelSolution, "Use Preconditioner", 40);
    CheckFastSolver = makeCheck(PanelSolution, "Use Fast Solver", 64);

    PanelPrint = makeBox(this, 1, kYellow, "Print Options", 16);
    CheckGeneral = makeCheck(PanelPrint, "General Data", 40);
    CheckNodes = makeCheck(PanelPrint, "Nodes", 64);
    CheckElements = makeCheck(PanelPrint, "Elements", 88);
    CheckMesh = makeCheck(PanelPrint, "Mesh", 112);
    CheckContours = makeCheck(PanelPrint, "Contours", 136);
    Check3D = makeCheck(PanelPrint, "3D-Graph", 160);
    GraphScale = makeTrackBar(PanelPrint, 5, "Graphics Scale ", LabelGraphScale);
    CheckBudget = makeCheck(PanelPrint, "Budget", 248);

    Panel3D = makeBox(this, 2, kAqua, "3D-Graph Options", 11);
    CheckWater = makeCheck(Panel3D, "Groundwater Table", 40);
    CheckCont = makeCheck(Panel3D, "Contours", 64);
    CheckBottom = makeCheck(Panel3D, "Bottom Surface", 88);
    CheckTop = makeCheck(Panel3D, "Top Surface", 112);
    AngleScale = makeTrackBar(Panel3D, 2, "Viewing Angle", LabelAngleScale);

    PanelPlot = makeBox(this, 3, kWhite, "Plot", 16);
    CheckLabelContours = makeCheck(PanelPlot, "Label contours", 40);
    CheckScaleBar = makeCheck(PanelPlot, "Scale bar", 64);

    connect(CheckPreconditioner, &QCheckBox::clicked, this, &TFormOpt::CheckPreconditionerClick);
    for (QCheckBox* check : {CheckPreconditioner, CheckFastSolver, CheckGeneral, CheckNodes, CheckElements,
                             CheckMesh, CheckContours, Check3D, CheckBudget, CheckWater, CheckCont,
                             CheckBottom, CheckTop, CheckLabelContours, CheckScaleBar})
        connect(check, &QCheckBox::toggled, this, &TFormOpt::storeSettings);
    for (QSlider* bar : {GraphScale, AngleScale})
        connect(bar, &QSlider::valueChanged, this, &TFormOpt::storeSettings);
    showSettings();
}

// The client area is the size of the four boxes; the window with its frame stands 260 pixels from
// the top of the screen, centred.
void TFormOpt::FormCreate() {
    const QSize screen = screenSize();
    const QMargins frame = frameExtent();
    setFixedSize(kWidth, kHeight);
    placeClient(QPoint((screen.width() - kWidth - frame.left() - frame.right()) / 2, 260),
                QSize(kWidth, kHeight));
    ToolStrip->setGeometry(0, 0, kWidth, kStripHeight);
    SpeedButtonHelp->setGeometry(kWidth - kButtonSize - 4, 0, kButtonSize, kButtonSize);
}

void TFormOpt::showEvent(QShowEvent* event) {
    showSettings();
    // Created before any window was on the screen, the window is centred with the frame the
    // desktop draws once that is known.
    if (!event->spontaneous() && !placedWithFrame_) {
        placedWithFrame_ = true;
        FormCreate();
    }
    SecondaryWindow::showEvent(event);
}

void TFormOpt::documentChanged(Change what) {
    if (!storing_ && touches(what, Change::Options)) showSettings();
}

void TFormOpt::showSettings() {
    const OptionSettings& options = app_.options;
    const struct {
        QCheckBox* check;
        bool value;
    } checks[] = {{CheckPreconditioner, options.CheckPreconditioner},
                  {CheckFastSolver, options.CheckFastSolver},
                  {CheckGeneral, options.CheckGeneral},
                  {CheckNodes, options.CheckNodes},
                  {CheckElements, options.CheckElements},
                  {CheckMesh, options.CheckMesh},
                  {CheckContours, options.CheckContours},
                  {Check3D, options.Check3D},
                  {CheckBudget, options.CheckBudget},
                  {CheckWater, options.CheckWater},
                  {CheckCont, options.CheckCont},
                  {CheckBottom, options.CheckBottom},
                  {CheckTop, options.CheckTop},
                  {CheckLabelContours, options.CheckLabelContours},
                  {CheckScaleBar, options.CheckScaleBar}};
    for (const auto& entry : checks) {
        const QSignalBlocker blocker(entry.check);
        entry.check->setChecked(entry.value);
    }
    const QSignalBlocker graphBlocker(GraphScale), angleBlocker(AngleScale);
    GraphScale->setValue(options.GraphScale);
    AngleScale->setValue(options.AngleScale);
}

void TFormOpt::storeSettings() {
    OptionSettings& options = app_.options;
    options.CheckPreconditioner = CheckPreconditioner->isChecked();
    options.CheckFastSolver = CheckFastSolver->isChecked();
    options.CheckGeneral = CheckGeneral->isChecked();
    options.CheckNodes = CheckNodes->isChecked();
    options.CheckElements = CheckElements->isChecked();
    options.CheckMesh = CheckMesh->isChecked();
    options.CheckContours = CheckContours->isChecked();
    options.Check3D = Check3D->isChecked();
    options.CheckBudget = CheckBudget->isChecked();
    options.GraphScale = GraphScale->value();
    options.CheckWater = CheckWater->isChecked();
    options.CheckCont = CheckCont->isChecked();
    options.CheckBottom = CheckBottom->isChecked();
    options.CheckTop = CheckTop->isChecked();
    options.AngleScale = AngleScale->value();
    options.CheckLabelContours = CheckLabelContours->isChecked();
    options.CheckScaleBar = CheckScaleBar->isChecked();
    storing_ = true;
    app_.document.notify(Change::Options);
    storing_ = false;
}

void TFormOpt::CheckPreconditionerClick() {
    app_.document.problemForRules().preconditioner = CheckPreconditioner->isChecked();
}

void TFormOpt::SpeedButtonHelpClick() {
    app_.dialogs.help(kHelpText);
}

void TFormOpt::problemHeld(bool held) {
    for (QFrame* panel : {PanelSolution, PanelPrint, Panel3D})
        panel->setEnabled(!held);
}

} // namespace velkor
