#include "ui/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include <memory>
#include <new>
#include <optional>

#include "forms/main_window_rules.h"
#include "io/datafile.h"
#include "io/installation_file.h"
#include "model/number_text.h"
#include "operations/cell_edits.h"
#include "operations/mesh_edits.h"
#include "operations/problem_operations.h"
#include "operations/problem_snapshot.h"
#include "operations/work_copies.h"
#include "paint/font_table.h"
#include "paint/text_codec.h"
#include "solver/solve_command.h"
#include "ui/application.h"
#include "ui/export_command.h"
#include "ui/print_command.h"
#include "ui/secondary_window.h"
#include "ui/table_grid.h"
#include "ui/tool_glyphs.h"

namespace velkor {

namespace {

// The question asked before the block editor rebuilds a refined or edited mesh from the blocks.
std::string rebuildQuestion(const RebuildLoss& loss) {
    std::string lost;
    auto add = [&lost](int32_t count, const char* one, const char* many) {
        if (count <= 0) return;
        if (!lost.empty()) lost += ", ";
        lost += format("%d %s", count, count == 1 ? one : many);
    };
    add(loss.nodes, "node", "nodes");
    add(loss.elements, "element", "elements");
    add(loss.wells, "well", "wells");
    if (loss.editedElements)
        lost += lost.empty() ? "the changes made to the elements" : " and the changes made to the elements";
    return "Edit Blocks works on the blocks alone and rebuilds the mesh from them.\n\nThis discards " + lost +
           ".\n\nGo on? (Undo brings the mesh back.)";
}

const QColor kSilverColour(0xC0, 0xC0, 0xC0);
const QColor kLimeColour(0x00, 0xFF, 0x00);
const QColor kRedColour(0xFF, 0x00, 0x00);
const QColor kYellowColour(0xFF, 0xFF, 0x00);

constexpr int kButtonSize = 25;
constexpr int kGridRowHeight = 19;
constexpr int kPanelCaptionHeight = 25;
// Progress grid: two columns of 100 and four rows, with a pixel of line each and a border.
constexpr int kProgressGridWidth = 2 * 100 + 2;
constexpr int kProgressGridHeight = 4 * kGridRowHeight + 2;
// Below the grid a line for the stage of the solve and the Cancel button.
constexpr int kProgressPanelWidth = kProgressGridWidth + 160;
constexpr int kStageLineHeight = 26;
constexpr int kProgressPanelHeight = kPanelCaptionHeight + kProgressGridHeight + 8 + kStageLineHeight + 8;
constexpr int kCancelWidth = 70;
// The printing panel, 260 by 50 pixels in bold 8 pt: its caption at the top, and below it the page
// line and Cancel, which fit in the same size.
constexpr int kWaitPanelWidth = 260;
constexpr int kWaitPanelHeight = 50;
constexpr int kWaitRowTop = 25;
constexpr int kWaitRowHeight = 20;
constexpr int kWaitCancelWidth = 60;

// The solve command's fixed number of cycles.
constexpr int kSolveCycles = 6;

// Changes after which the outcome of the last solve no longer describes the problem.
constexpr Change kProblemChanges = Change::Counts | Change::Mesh | Change::NodeValues | Change::Soils |
                                   Change::Wells | Change::Particles | Change::GeneralData;

const std::string kHelpText =
    "VELKOR is a program for the analysis of steady plane groundwater flow, using the finite\n"
    "element method. The mesh consists of triangular blocks, each with constant soil properties,\n"
    "and every block is subdivided into many small triangular elements. The equations are solved\n"
    "by the conjugate gradient method, making use of the symmetry of the matrix.\n\n"
    "List of Commands :\n"
    "- Open : Open existing datafile,\n"
    "- New : Generate a new datafile, from a single triangular block,\n"
    "- Edit : Show blocks, ready for editing,\n"
    "- Save : Save datafile,\n"
    "- Print : Print data, using Options,\n"
    "- Export : Write results as CSV tables or as a GeoPackage for GIS,\n"
    "- Options : Print options and 3D-Graph options,\n"
    "- Properties : Soil properties in blocks,\n"
    "- Nodes : Show data of nodes, ready for editing,\n"
    "- Elements : Show data of elements, ready for editing,\n"
    "- Mesh : Show mesh of finite elements on the screen,\n"
    "- Wells : Show data of wells on the screen,\n"
    "- Particles : Show initial data of particles on the screen,\n"
    "- Solve : Solve finite element equations,\n"
    "- Contours : Show contours of groundwater head,\n"
    "- 3D-Graph : Show a 3D graph of the groundwater head, using Options,\n"
    "- Manual : Show a manual of the program,\n"
    "- Water Budget : Show where the water enters and leaves the aquifer,\n"
    "- Help : Show this information,\n"
    "- Quit : Exit program.\n\n"
    "All data are edited in two-dimensional grids, which can be navigated with the arrow keys,\n"
    "the TAB button or the ENTER button.\n"
    "--------------------------------------------------------------------------------\n"
    "VELKOR - Finite Element Method for Plane Groundwater Flow.\n"
    "Check the results of every analysis with an independent estimate.";

const std::string kGeneralHelpText =
    std::string("General Data\n\n") + "To be modified during execution of the program :\n\n" +
    "- File Name : Name of datafile for storage,\n" + "- NA : Number of main nodes (forming blocks),\n" +
    "- NB : Number of blocks,\n" + "- NW : Number of wells,\n" +
    "- NN : Number of nodes (forming elements),\n" + "- NM : Number of elements,\n\n" +
    "To be modified by the user when defining a problem :\n\n" +
    "- Problem Name : Identification of problem,\n" + "- LX : Size of problem area in x-direction (m),\n" +
    "      all x-coordinates are between 0 and LX,\n" + "- LY : Size of problem area in y-direction (m).\n" +
    "      all y-coordinates are between 0 and LY,\n" + "- NP : Number particles in particle tracking,\n" +
    "- TM : Time between marks in particle tracking (d).\n";

const std::string kInstallationHelpText =
    std::string("Installation Data\n\n") + "- User Name : Identification of user of this program,\n" +
    "- BMAX : Maximum number of blocks (also maximum number of wells),\n" +
    "- NMAX : Maximum number of nodes,\n" + "- MMAX : Maximum number of elements,\n" +
    "- PMAX : Maximum number of particles for particle tracking.\n\n" +
    "These data are stored in the file VELKOR.txt, which is read and saved automatically.";

void setBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// A panel saying what the program is doing, in the main window's colours; red only for a warning.
QLabel* makeNoticePanel(QWidget* parent, const char* caption, const QColor& colour = kLimeColour) {
    auto* panel = new QLabel(fromWindows1252(caption), parent);
    setBackground(panel, colour);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    panel->setAlignment(Qt::AlignCenter);
    QFont font = panel->font();
    font.setBold(true);
    panel->setFont(font);
    panel->resize(panel->sizeHint().width() + 40, 41);
    panel->hide();
    return panel;
}

// The widest a recent file's path is shown in the File menu; longer ones lose their middle.
constexpr int kRecentFileWidth = 480;

QString recentFileLabel(qsizetype number, const QString& path, const QFontMetrics& metrics) {
    QString shown = metrics.elidedText(QDir::toNativeSeparators(path), Qt::ElideMiddle, kRecentFileWidth);
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QLatin1Char('&') + QString::number(number) + QLatin1Char(' ') + shown;
}

std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The datafile among the dropped things: the first local file named *.fem.
std::optional<QString> droppedDatafile(const QMimeData* data) {
    if (!data || !data->hasUrls()) return std::nullopt;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && url.toLocalFile().endsWith(QStringLiteral(".fem"), Qt::CaseInsensitive))
            return url.toLocalFile();
    return std::nullopt;
}

} // namespace

TFormFem::TFormFem(Application& app)
    : app_(app), installationForm_(app.installation), generalForm_(app.document.problemForRules()) {
    surface_ = new QWidget(this);
    setBackground(surface_, kSilverColour);
    setCentralWidget(surface_);
    buildToolBar();
    buildMenu();
    buildPanels();
    StatusLine = new QLabel(this);
    statusBar()->addWidget(StatusLine, 1);
    statusBar()->setSizeGripEnabled(false);
    connect(&app_.document, &Document::changed, this, &TFormFem::documentChanged);
    connect(&app_.document, &Document::historyChanged, this, &TFormFem::historyChanged);
    connect(&app_.document, &Document::statusMessage, this, &TFormFem::showStatus);
    setAcceptDrops(true);
    connect(&app_.document, &Document::holdChanged, this, &TFormFem::showCommandStates);
    // Escape stops a long run, in whichever window of the program it is pressed (a modal box keeps
    // its own); it belongs to the cells of the grids and to the plot windows otherwise.
    escape_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape_->setContext(Qt::ApplicationShortcut);
    escape_->setEnabled(false);
    connect(escape_, &QShortcut::activated, this, &TFormFem::ButtonCancelClick);
    FormCreate();
}

void TFormFem::windowsCreated() {
    FormPaint();
}

// ---- construction ---------------------------------------------------------------------------

void TFormFem::buildToolBar() {
    ToolBar = new QWidget(surface_);
    setBackground(ToolBar, kLimeColour);
    ToolBar->setGeometry(0, 0, 800, kButtonSize);

    struct ToolButtonEntry {
        QToolButton** button;
        ToolGlyph glyph;
        const char* hint;
        void (TFormFem::*handler)();
    };
    const ToolButtonEntry toolButtons[] = {
        {&SpeedButtonOpen, ToolGlyph::Open, "Open", &TFormFem::SpeedButtonOpenClick},
        {&SpeedButtonNew, ToolGlyph::New, "New Mesh", &TFormFem::New1Click},
        {&SpeedButtonEdit, ToolGlyph::Edit, "Edit Blocks", &TFormFem::SpeedButtonEditClick},
        {&SpeedButtonSave, ToolGlyph::Save, "Save", &TFormFem::SpeedButtonSaveClick},
        {&SpeedButtonPrint, ToolGlyph::Print, "Print", &TFormFem::SpeedButtonPrintClick},
        {&SpeedButtonOptions, ToolGlyph::Options, "Options", &TFormFem::SpeedButtonOptionsClick},
        {&SpeedButtonSoils, ToolGlyph::Soils, "Properties", &TFormFem::SpeedButtonSoilsClick},
        {&SpeedButtonNode, ToolGlyph::Node, "List of Nodes", &TFormFem::SpeedButtonNodeClick},
        {&SpeedButtonElement, ToolGlyph::Element, "List of Elements", &TFormFem::SpeedButtonElementClick},
        {&SpeedButtonMesh, ToolGlyph::Mesh, "Edit Mesh", &TFormFem::SpeedButtonMeshClick},
        {&SpeedButtonWells, ToolGlyph::Wells, "Wells", &TFormFem::SpeedButtonWellsClick},
        {&SpeedButtonParticles, ToolGlyph::Particles, "Particles", &TFormFem::SpeedButtonParticlesClick},
        {&SpeedButtonCalc, ToolGlyph::Calc, "Solve", &TFormFem::SpeedButtonCalcClick},
        {&SpeedButtonContours, ToolGlyph::Contours, "Contours", &TFormFem::SpeedButtonContoursClick},
        {&SpeedButton3d, ToolGlyph::Graph3D, "3D-Graph", &TFormFem::SpeedButton3dClick},
        {&SpeedButtonManual, ToolGlyph::Manual, "Manual", &TFormFem::SpeedButtonManualClick},
        {&SpeedButtonBudget, ToolGlyph::Budget, "Water Budget", &TFormFem::SpeedButtonBudgetClick},
        {&SpeedButtonHelp, ToolGlyph::Help, "Help", &TFormFem::SpeedButtonHelpClick},
    };
    int left = 0;
    for (const ToolButtonEntry& entry : toolButtons) {
        auto* button = new QToolButton(ToolBar);
        button->setIcon(toolGlyph(entry.glyph));
        button->setIconSize(QSize(21, 21));
        button->setToolTip(fromWindows1252(entry.hint));
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setGeometry(left, 0, kButtonSize, kButtonSize);
        left += kButtonSize;
        connect(button, &QToolButton::clicked, this, entry.handler);
        *entry.button = button;
        hints_.emplace_back(button, fromWindows1252(entry.hint));
    }
}

void TFormFem::buildMenu() {
    auto add = [this](QMenu* menu, const char* text, void (TFormFem::*handler)(),
                      QKeySequence shortcut = {}) {
        QAction* action =
            menu ? menu->addAction(fromWindows1252(text)) : menuBar()->addAction(fromWindows1252(text));
        action->setShortcut(shortcut);
        // The program's shortcuts work in every one of its windows, never typed into a cell.
        action->setShortcutContext(Qt::ApplicationShortcut);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    FileMenu = file;
    Open1 = add(file, "&Open", &TFormFem::Open1Click, QKeySequence::Open);
    New1 = add(file, "&New", &TFormFem::New1Click);
    Save1 = add(file, "&Save", &TFormFem::Save1Click, QKeySequence::Save);
    Print1 = add(file, "&Print", &TFormFem::Print1Click, QKeySequence::Print);
    PrintPreview1 = add(file, "Print Pre&view", &TFormFem::PrintPreview1Click);
    Export1 = add(file, "&Export\x85", &TFormFem::Export1Click);
    recentFilesEnd_ = file->addSeparator();
    connect(file, &QMenu::aboutToShow, this, &TFormFem::listRecentFiles);
    Quit2 = add(file, "&Quit", &TFormFem::Quit2Click, QKeySequence(Qt::CTRL | Qt::Key_Q));
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    Undo1 = add(edit, "&Undo", &TFormFem::Undo1Click, QKeySequence::Undo);
    Redo1 = add(edit, "&Redo", &TFormFem::Redo1Click);
    Redo1->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    Info1 = add(help, "&Info", &TFormFem::Info1Click, QKeySequence(Qt::Key_F1));
    help->addSeparator();
    About1 = add(help, "&About", &TFormFem::About1Click);
    Options1 = add(nullptr, "&Options", &TFormFem::Options1Click);
    Soils = add(nullptr, "&Properties", &TFormFem::SoilsClick);
    Nodes1 = add(nullptr, "&Nodes", &TFormFem::Nodes1Click);
    Elements1 = add(nullptr, "&Elements", &TFormFem::Elements1Click);
    Mesh1 = add(nullptr, "&Mesh", &TFormFem::Mesh1Click);
    Wells = add(nullptr, "&Wells", &TFormFem::WellsClick);
    Particles = add(nullptr, "&Particles", &TFormFem::ParticlesClick);
    Solve1 = add(nullptr, "&Solve", &TFormFem::SpeedButtonCalcClick);
    Contours1 = add(nullptr, "&Contours", &TFormFem::SpeedButtonContoursClick);
    Graph3d1 = add(nullptr, "&3D-Graph", &TFormFem::SpeedButton3dClick);
    Manual1 = add(nullptr, "&Manual", &TFormFem::SpeedButtonManualClick);
    Budget1 = add(nullptr, "Water &Budget", &TFormFem::Budget1Click);
}

void TFormFem::buildPanels() {
    auto dataPanel = [this](const char* caption, TableGrid*& grid, TableForm& form, QToolButton*& help,
                            void (TFormFem::*helpHandler)()) {
        auto* panel = new QFrame(surface_);
        panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        setBackground(panel, kLimeColour);
        auto* label = new QLabel(fromWindows1252(caption), panel);
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
        label->setGeometry(8, 0, 250, kPanelCaptionHeight);
        grid = new TableGrid(panel);
        grid->setFrameStyle(QFrame::NoFrame);
        grid->setFixedColour(kYellowColour);
        grid->setRowHeight(kGridRowHeight);
        grid->setForm(&form);
        help = new QToolButton(panel);
        help->setIcon(toolGlyph(ToolGlyph::Help));
        help->setIconSize(QSize(21, 21));
        help->setToolTip(QStringLiteral("Help"));
        help->setAutoRaise(true);
        help->setFocusPolicy(Qt::NoFocus);
        connect(help, &QToolButton::clicked, this, helpHandler);
        return panel;
    };
    PanelInstallation = dataPanel("Installation Data", InstallationGrid, installationForm_,
                                  InstallationHelpButton, &TFormFem::InstallationHelpButtonClick);
    InstallationGrid->onSelectCell = [this](int col, int row, bool& canSelect) {
        InstallationGridSelectCell(col, row, canSelect);
    };
    InstallationGrid->onKeyPress = [this](char& key) { InstallationGridKeyPress(key); };
    InstallationGrid->onExit = [this] { InstallationGridExit(); };

    PanelGeneral = dataPanel("General Data", GeneralGrid, generalForm_, GeneralHelpButton,
                             &TFormFem::GeneralHelpButtonClick);
    GeneralGrid->onSelectCell = [this](int col, int row, bool& canSelect) {
        GeneralGridSelectCell(col, row, canSelect);
    };
    GeneralGrid->onKeyPress = [this](char& key) { GeneralGridKeyPress(key); };
    GeneralGrid->onExit = [this] { GeneralGridExit(); };

    ProgressPanel = new QFrame(surface_);
    ProgressPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    setBackground(ProgressPanel, kLimeColour);
    ProgressLabel = new QLabel(QStringLiteral("Progress of Computations"), ProgressPanel);
    QFont bold = ProgressLabel->font();
    bold.setBold(true);
    ProgressLabel->setFont(bold);
    ProgressLabel->adjustSize();
    ProgressGrid = new TableGrid(ProgressPanel);
    ProgressGrid->setFixedColour(kYellowColour);
    ProgressGrid->setRowHeight(kGridRowHeight);
    ProgressGrid->setEditable(false);
    ProgressGrid->setForm(&progressForm_);
    ProgressStage = new QLabel(ProgressPanel);
    ButtonCancel = new QPushButton(QStringLiteral("Cancel"), ProgressPanel);
    ButtonCancel->setToolTip(QStringLiteral("Stops the solve (Escape); the heads stay as they were"));
    ButtonCancel->setFocusPolicy(Qt::NoFocus);
    connect(ButtonCancel, &QPushButton::clicked, this, &TFormFem::ButtonCancelClick);

    PanelRead = makeNoticePanel(surface_, "Reading datafile, Please wait ");
    PanelSave = makeNoticePanel(surface_, "Saving datafile, Please wait");
    PanelWait = makeNoticePanel(surface_, "Please wait while printing is in progress");
    PanelExport = makeNoticePanel(surface_, "Exporting results, Please wait (Escape stops)");
    const QFont smallBold = qtFont(Font{"MS Sans Serif", 8, true, false});
    PanelWait->setFont(smallBold);
    PanelWait->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    PanelWait->setMargin(3);
    PanelWait->resize(kWaitPanelWidth, kWaitPanelHeight);
    PrintProgress = new QLabel(PanelWait);
    PrintProgress->setFont(smallBold);
    PrintProgress->setGeometry(8, kWaitRowTop, kWaitPanelWidth - kWaitCancelWidth - 24, kWaitRowHeight);
    ButtonCancelPrint = new QPushButton(QStringLiteral("Cancel"), PanelWait);
    ButtonCancelPrint->setFont(smallBold);
    ButtonCancelPrint->setToolTip(QStringLiteral("Stops the printing (Escape); nothing is printed"));
    ButtonCancelPrint->setFocusPolicy(Qt::NoFocus);
    ButtonCancelPrint->setGeometry(kWaitPanelWidth - kWaitCancelWidth - 8, kWaitRowTop, kWaitCancelWidth,
                                   kWaitRowHeight);
    connect(ButtonCancelPrint, &QPushButton::clicked, this, &TFormFem::ButtonCancelClick);
    PanelWarning = makeNoticePanel(
        surface_, "Warning : Water level locally below bottom of aquifer. Results invalid.", kRedColour);
}

// ---- window events --------------------------------------------------------------------------

void TFormFem::FormCreate() {
    startingUp_ = true;
    UiState& state = app_.state;
    state.paths.initialDirectory = workingDirectory();

    const QRect screenArea = screen() ? screen()->geometry() : QRect(0, 0, 1024, 768);
    setMinimumSize(screenArea.width() / 2, screenArea.height() / 2);
    move(50, 1);
    resize(screenArea.width() - 100, screenArea.height() - 100);

    // A window still on the screen with its flag cleared could never be closed by a command.
    app_.hideSecondaryWindows();
    // The flag follows the "Use Preconditioner" box, which keeps its state for the whole run
    // (unchecked at program start): a New must not leave the box checked over a plain solve.
    app_.document.problemForRules().preconditioner = app_.options.CheckPreconditioner;
    ProgressPanel->hide();

    setButtonStates(false, SpeedButtonWells->isEnabled(), SpeedButtonParticles->isEnabled());
    state.paths.openProposal = "Data1.fem";

    layoutPanels();

    const std::optional<InstallationData> stored = readInstallationFile(kInstallationFileName);
    app_.installation = stored ? *stored : InstallationData{};
    if (!app_.problem.tablesAllocated) {
        startProblem();
    } else {
        // New: the default problem in tables for the limits read, as one step that Undo takes back.
        const Limits limits = app_.installation.limits;
        Applied started = app_.document.replaceProblem("New", "Data1.fem", [&limits](Problem& p) {
            return sanitizedLimits(limits) == p.limits ? startDefaultProblem(p)
                                                       : applyLimitsWithDefaultProblem(p, limits);
        });
        if (!started.ok()) {
            // The tables for the limits read cannot be had: the default problem in the tables in use.
            app_.dialogs.message(started.result.message);
            started = app_.document.replaceProblem("New", "Data1.fem",
                                                   [](Problem& p) { return startDefaultProblem(p); });
        }
        app_.installation.limits = app_.problem.limits;
        app_.document.limitsChanged();
    }

    InstallationGrid->setCurrentCell(1, static_cast<int>(InstallationRow::UserName));
    GeneralGrid->setCurrentCell(1, static_cast<int>(GeneralRow::ProblemName));
    StatusLine->clear();
    showTitle();
    app_.document.notify(Change::Problem | Change::Installation);
    if (QWidget* editor = GeneralGrid->cellEditor()) editor->setFocus();
    startingUp_ = false;
}

void TFormFem::startProblem() {
    app_.allocateTablesForInstallation();
    startDefaultProblem(app_.document.problemForRules());
    app_.state.paths.saveProposal = "Data1.fem";
    app_.document.forgetHistory();
}

void TFormFem::layoutPanels() {
    PanelInstallation->setGeometry(40, 50, 382, 121);
    PanelGeneral->setGeometry(40, 185, 382, 234);
    for (TableGrid* grid : {InstallationGrid, GeneralGrid}) {
        QWidget* panel = grid->parentWidget();
        grid->setGeometry(0, kPanelCaptionHeight, panel->width(), panel->height() - kPanelCaptionHeight);
    }
    InstallationHelpButton->setGeometry(PanelInstallation->width() - kButtonSize, 0, kButtonSize,
                                        kButtonSize);
    GeneralHelpButton->setGeometry(PanelGeneral->width() - kButtonSize, 0, kButtonSize, kButtonSize);
    const int noticeLeft = PanelGeneral->x() + PanelGeneral->width() + 100;
    PanelRead->move(noticeLeft, PanelInstallation->y());
    PanelSave->move(noticeLeft, PanelInstallation->y());

    ProgressPanel->resize(kProgressPanelWidth, kProgressPanelHeight);
    ProgressGrid->setGeometry((kProgressPanelWidth - kProgressGridWidth) / 2, kPanelCaptionHeight,
                              kProgressGridWidth, kProgressGridHeight);
    const int stageTop = kPanelCaptionHeight + kProgressGridHeight + 8;
    ProgressStage->setGeometry(10, stageTop, kProgressPanelWidth - kCancelWidth - 30, kStageLineHeight);
    ButtonCancel->setGeometry(kProgressPanelWidth - kCancelWidth - 10, stageTop, kCancelWidth,
                              kStageLineHeight);
    FormResize();
}

void TFormFem::placeProgressPanel() {
    const int width = surface_->width();
    const int height = surface_->height();
    ProgressPanel->move((width - ProgressPanel->width()) / 2, (height - ProgressPanel->height()) * 3 / 4);
    ProgressLabel->move((ProgressPanel->width() - ProgressLabel->width()) / 2, 5);
    PanelWait->move((width - PanelWait->width()) / 2, 100);
    PanelExport->move((width - PanelExport->width()) / 2, 100);
    PanelWarning->move((width - PanelWarning->width()) / 2, 100);
}

void TFormFem::FormResize() {
    ToolBar->resize(surface_->width(), kButtonSize);
    SpeedButtonHelp->move(surface_->width() - kButtonSize - 8, 0);
    SpeedButtonManual->move(SpeedButton3d->x() + kButtonSize, 0);
    SpeedButtonBudget->move(SpeedButtonManual->x() + kButtonSize, 0);
    placeProgressPanel();
}

void TFormFem::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TFormFem::FormPaint() {
    const MainWindowRefresh refresh = refreshMainWindow(app_.problem);
    InstallationGrid->refresh();
    GeneralGrid->refresh();
    setButtonStates(refresh.dataButtons, refresh.wellsButton, refresh.particlesButton);
}

void TFormFem::setButtonStates(bool dataButtons, bool wells, bool particles) {
    dataButtons_ = dataButtons;
    wellsButton_ = wells;
    particlesButton_ = particles;
    showCommandStates();
}

void TFormFem::showCommandStates() {
    // While a long run works on the problem, only what leaves it alone stays at hand: the help,
    // the manual, quitting (which stops the run first) and Cancel.
    const bool held = app_.document.held();
    const QString waiting =
        held ? QStringLiteral(" - ") + fromWindows1252(app_.document.waitingText()) : QString();
    for (const auto& [button, hint] : hints_) {
        bool enabled = true;
        if (button == SpeedButtonNode || button == SpeedButtonElement || button == SpeedButtonMesh ||
            button == SpeedButtonSave || button == SpeedButtonPrint)
            enabled = dataButtons_;
        else if (button == SpeedButtonWells)
            enabled = wellsButton_;
        else if (button == SpeedButtonParticles)
            enabled = particlesButton_;
        const bool free = button == SpeedButtonManual || button == SpeedButtonHelp;
        button->setEnabled(enabled && (free || !held));
        button->setToolTip(free ? hint : hint + waiting);
    }
    for (QAction* action : {Open1, New1, Save1, Print1, PrintPreview1, Options1, Soils, Nodes1, Elements1,
                            Mesh1, Wells, Particles, Solve1, Contours1, Graph3d1}) {
        action->setEnabled(!held);
        action->setToolTip(action->text().remove(QLatin1Char('&')) + waiting);
    }
    // The grids stay readable; what is typed there waits too.
    InstallationGrid->setEditable(!held);
    GeneralGrid->setEditable(!held);
    escape_->setEnabled(held);
    ButtonCancel->setEnabled(held && !app_.longRunCancelled());
    ButtonCancelPrint->setEnabled(held && !app_.longRunCancelled());
}

void TFormFem::documentChanged(Change what) {
    if (touches(what, kProblemChanges | Change::Results))
        StatusLine->setText(app_.problem.resultsOutOfDate ? QString::fromLatin1(kResultsOutOfDateMessage)
                                                          : QString());
    if (touches(what, Change::FileName)) showTitle();
    // The start-up sequence (whose first repaint comes when it is complete) and commands
    // (repainted when they end) need no repaint here.
    if (startingUp_ || app_.commandRunning()) return;
    FormPaint();
}

void TFormFem::historyChanged() {
    const Document& document = app_.document;
    Undo1->setEnabled(document.canUndo());
    Redo1->setEnabled(document.canRedo());
    Undo1->setText(
        fromWindows1252(document.canUndo() ? "&Undo " + document.undoName() : std::string("&Undo")));
    Redo1->setText(
        fromWindows1252(document.canRedo() ? "&Redo " + document.redoName() : std::string("&Redo")));
    showTitle();
}

void TFormFem::showStatus(const std::string& text) {
    StatusLine->setText(fromWindows1252(text));
}

void TFormFem::showTitle() {
    setWindowTitle(QStringLiteral("VELKOR - ") + fromWindows1252(app_.problem.fileName) +
                   (app_.document.modified() ? QStringLiteral("*") : QString()));
}

void TFormFem::closeEvent(QCloseEvent* event) {
    if (app_.longRunActive()) {
        // A long run stops first; then the window closes as it would have, asking about changes
        // not saved.
        event->ignore();
        app_.cancelLongRun();
        app_.afterLongRun([this] { close(); });
        return;
    }
    // A value typed into a grid is committed first; a refused one keeps the program open, and so
    // does a Cancel of the unsaved-changes question.
    if (!app_.commandRunning() && (!commitTypedCells() || !maySetProblemAside())) {
        event->ignore();
        return;
    }
    event->accept();
    FormClose();
}

void TFormFem::FormClose() {
    app_.quit();
}

// ---- commands -------------------------------------------------------------------------------

void TFormFem::perform(Command command, std::function<void()> body) {
    // While a long run works on the problem only what leaves it alone runs (the buttons of the
    // others are disabled; this holds for their shortcuts too).
    const bool leavesProblemAlone =
        command == Command::Help || command == Command::About || command == Command::Manual;
    if (app_.document.held() && !leavesProblemAlone) return;
    app_.runCommand([this, command, body] {
        if (command != Command::Help && command != Command::About) {
            if (!commitTypedCells()) return;
            app_.document.storeTypedValues();
        }
        body();
    });
    if (!app_.quitRequested() && app_.problem.tablesAllocated) FormPaint();
}

void TFormFem::toggle(Command command) {
    WindowId window{};
    if (!toggledWindow(command, window)) return;
    app_.closeWindowsFor(command);
    app_.toggleWindow(window);
}

void TFormFem::Open1Click() {
    perform(Command::Open, [this] { openDatafile(); });
}
void TFormFem::SpeedButtonOpenClick() {
    Open1Click();
}

void TFormFem::openDatafile() {
    DatafilePaths& paths = app_.state.paths;
    if (!maySetProblemAside()) return;
    app_.closeWindowsFor(Command::Open);
    const std::optional<std::string> path = app_.dialogs.openFileName(
        {kDatafileFilter, kDatafileExtension, paths.initialDirectory, paths.openProposal});
    if (!path) {
        app_.dialogs.message("Opening datafile failed or canceled");
        return;
    }
    readDatafileAt(*path);
}

void TFormFem::openDatafilePath(const std::string& path) {
    perform(Command::Open, [this, path] {
        if (!maySetProblemAside()) return;
        app_.closeWindowsFor(Command::Open);
        readDatafileAt(path);
    });
}

void TFormFem::readDatafileAt(const std::string& path) {
    app_.state.paths.openProposal = path;
    showPanelNow(PanelRead);
    // Only a problem actually read makes its file the next Save's proposal: after a refusal the
    // previous problem must not be offered for writing over the file that was refused.
    const Applied opened = app_.document.replaceProblem(
        "Open", path, [&path](Problem& p) { return velkor::openDatafile(p, path); });
    if (opened.ok()) rememberFile(path);
    if (!opened.result.message.empty()) app_.dialogs.message(opened.result.message);
    PanelRead->hide();
}

bool TFormFem::maySetProblemAside() {
    if (!app_.document.modified()) return true;
    const SaveChoice choice = app_.dialogs.askToSave("Save changes to " + app_.problem.fileName + "?");
    if (choice == SaveChoice::Cancel) return false;
    if (choice == SaveChoice::Discard) return true;
    return saveDatafile();
}

void TFormFem::Save1Click() {
    perform(Command::Save, [this] { saveDatafile(); });
}
void TFormFem::SpeedButtonSaveClick() {
    Save1Click();
}

bool TFormFem::saveDatafile() {
    DatafilePaths& paths = app_.state.paths;
    app_.closeWindowsFor(Command::Save);
    const std::optional<std::string> path = app_.dialogs.saveFileName(
        {kDatafileFilter, kDatafileExtension, paths.initialDirectory, paths.saveProposal});
    // Cancel says nothing: the user knows that nothing was saved (and the unsaved-changes question
    // takes it as not saved).
    if (!path) return false;
    paths.saveProposal = *path;
    showPanelNow(PanelSave);
    const Result result = writeDatafile(app_.document.problemForRules(), *path);
    PanelSave->hide();
    if (!result.ok()) {
        // The problem still differs from every file: the mark stays.
        app_.dialogs.message(result.message);
        return false;
    }
    rememberFile(*path);
    app_.document.saved(*path);
    return true;
}

// ---- recent files and dropped files -----------------------------------------------------------

void TFormFem::rememberFile(const std::string& path) {
    recentFiles_.add(QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size()))));
}

void TFormFem::listRecentFiles() {
    for (QAction* item : recentFileItems_) {
        FileMenu->removeAction(item);
        // Not deleted at once: the item may still be delivering the trigger of its own command.
        item->deleteLater();
    }
    recentFileItems_.clear();
    const QStringList paths = recentFiles_.existingPaths();
    if (paths.isEmpty()) return;
    recentFileItems_ << new QAction(FileMenu);
    recentFileItems_.constFirst()->setSeparator(true);
    for (qsizetype k = 0; k < paths.size(); ++k) {
        const QString& path = paths[k];
        auto* item = new QAction(recentFileLabel(k + 1, path, FileMenu->fontMetrics()), FileMenu);
        item->setStatusTip(path);
        connect(item, &QAction::triggered, this, [this, path] { openDatafilePath(localPath(path)); });
        recentFileItems_ << item;
    }
    FileMenu->insertActions(recentFilesEnd_, recentFileItems_);
}

void TFormFem::dragEnterEvent(QDragEnterEvent* event) {
    if (droppedDatafile(event->mimeData())) event->acceptProposedAction();
}

void TFormFem::dropEvent(QDropEvent* event) {
    const std::optional<QString> file = droppedDatafile(event->mimeData());
    if (!file) return;
    event->acceptProposedAction();
    // Opened once the drop is over: the program the file came from must not wait for a message.
    QTimer::singleShot(0, this, [this, path = localPath(*file)] { openDatafilePath(path); });
}

void TFormFem::SpeedButtonCalcClick() {
    perform(Command::Solve, [this] { solve(); });
}

// What the worker of a solve makes: the copy of the problem it solves, and the copy of the rows the
// solve changes, for Undo.
struct TFormFem::SolveWork {
    std::optional<ProblemSnapshot> before;
    Problem copy;
    SolveReport report;
    Applied applied;
};

void TFormFem::solve() {
    const Problem& problem = app_.problem;
    app_.closeWindowsFor(Command::Solve);
    progressForm_.setValue(ProgressCycle, "  ");
    progressForm_.setValue(ProgressIteration, "  ");
    ProgressGrid->refresh();
    ProgressStage->clear();
    showProgressWarning(false);
    placeProgressPanel();
    showPanelNow(ProgressPanel);

    // The fast solver, when chosen, takes the place of either variant of the iteration.
    const SolveMethod method = app_.options.CheckFastSolver ? SolveMethod::Fast
                               : problem.preconditioner     ? SolveMethod::Preconditioned
                                                            : SolveMethod::Plain;
    const int32_t elements = problem.usedElementCount();
    const bool fast = method == SolveMethod::Fast;
    auto work = std::make_shared<SolveWork>();
    // The worker solves a copy while the windows show the problem; the heads, discharges and
    // velocities are then taken into it as one step, which Undo takes back.
    app_.startLongRun(
        "solve",
        [work, &problem, method](RunFeedback& feedback) {
            Footprint footprint = Footprint::allNodeRows();
            footprint.withAllElements();
            try {
                work->before = ProblemSnapshot::take(problem, footprint);
            } catch (const std::bad_alloc&) {
                work->before.reset();
            }
            try {
                work->copy = problem.copyWithRowsInUse();
            } catch (const std::bad_alloc&) {
                work->report.result =
                    Result::failed(Outcome::OutOfMemory, "Not enough memory to solve the problem.");
                work->applied = Applied::nothing(work->report.result);
                return;
            }
            // From here on the solve reads its copy only: a Cancel sets the windows free at once
            // (a multigrid setup under way ends on its own).
            feedback.onItsOwn();
            work->applied = velkor::solve(work->copy, method, &feedback, work->report);
        },
        [this, elements, fast](const Progress& progress) { showSolveProgress(progress, elements, fast); },
        [this, work]() mutable {
            solveEnded(*work);
            app_.releaseLater(std::move(work));
        });
}

void TFormFem::showSolveProgress(const Progress& progress, int32_t elements, bool fast) {
    std::string stage;
    if (progress.stage == Stage::Assembly) {
        progressForm_.setValue(ProgressElement, format("%12d", progress.element));
        progressForm_.setValue(ProgressCycle, format("%12d", progress.cycle));
        // The fast solve repeats the assembly's last report while it builds its multigrid
        // hierarchy, which cannot stop part-way.
        if (fast && progress.element >= elements)
            stage = format("Cycle %d of %d : multigrid setup, to its end", progress.cycle, kSolveCycles);
        else
            stage = format("Cycle %d of %d : assembly, %d %%", progress.cycle, kSolveCycles,
                           std::max(percentOf(progress.element, elements), 0));
    } else if (progress.stage == Stage::Iteration) {
        progressForm_.setValue(ProgressIteration, format("%12d", progress.iteration));
        progressForm_.setValue(ProgressLog, format("%12.2f", progress.log10Measure));
        // The iterations end when the measure is small enough: no share of them can be told.
        stage = format("Cycle %d of %d : %s", progress.cycle, kSolveCycles,
                       fast ? "multigrid iterations" : "conjugate gradients");
    }
    if (app_.longRunCancelled()) stage = "Stopping : " + stage;
    if (!stage.empty()) ProgressStage->setText(fromWindows1252(stage));
    ProgressGrid->refresh();
    if (const std::function<void()> hook = onSolveProgress) hook(); // a copy: it may replace itself
}

void TFormFem::solveEnded(SolveWork& work) {
    const Problem& problem = app_.problem;
    if (app_.quitRequested()) {
        ProgressPanel->hide();
        return;
    }
    // A Cancel pressed before the results are taken wins, whatever the worker got to (it may still
    // be winding down: nothing of its work is read then).
    SolveReport cancelled;
    cancelled.result.outcome = Outcome::Cancelled;
    const SolveReport& report = app_.longRunCancelled() ? cancelled : work.report;
    const Result& result = report.result;
    const bool kept = result.outcome == Outcome::Done || result.outcome == Outcome::NotConverged;
    if (kept)
        app_.document.applyWithCopy("Solve", std::move(work.before), [&work](Problem& p) {
            return takeWorkedCopy(p, work.copy, work.applied);
        });
    ButtonCancel->setEnabled(false);
    if (kept)
        ProgressStage->setText(result.outcome == Outcome::Done ? QStringLiteral("Solved")
                                                               : QStringLiteral("Not converged"));

    if (kept) {
        // An answer out of balance is kept, and said so, before it is offered for saving.
        if (!result.message.empty()) app_.dialogs.message(result.message);
        if (problem.warning) {
            showProgressWarning(true);
            showPanelNow(PanelWarning);
        }
        saveDatafile();
    } else if (result.outcome != Outcome::Cancelled && !result.message.empty()) {
        app_.dialogs.message(result.message);
    }
    PanelWarning->hide();
    ProgressPanel->hide();
    showProgressWarning(false);
    StatusLine->setText(fromWindows1252(solveStatusText(report)));
    if (!app_.quitRequested() && problem.tablesAllocated) FormPaint();
}

void TFormFem::showProgressWarning(bool warning) {
    setBackground(ProgressPanel, warning ? kRedColour : kLimeColour);
}

void TFormFem::ButtonCancelClick() {
    if (!app_.longRunActive()) return;
    app_.cancelLongRun();
    ButtonCancel->setEnabled(false);
    ButtonCancelPrint->setEnabled(false);
    if (ProgressPanel->isVisible()) ProgressStage->setText(QStringLiteral("Stopping at the next step"));
    if (PanelWait->isVisible()) PrintProgress->setText(QStringLiteral("Stopping after this page"));
}

void TFormFem::New1Click() {
    perform(Command::New, [this] {
        if (!maySetProblemAside()) return;
        FormCreate();
        editBlocks();
    });
}

void TFormFem::SpeedButtonEditClick() {
    perform(Command::EditBlocks, [this] { editBlocks(); });
}

void TFormFem::editBlocks() {
    if (app_.isShown(WindowId::EditBlocks)) {
        app_.closeWindowsFor(Command::EditBlocks);
        app_.window(WindowId::EditBlocks).FormClose();
        return;
    }
    // The block editor works on the blocks alone: a refined mesh, its wells and element edits go,
    // but not without the user's word, and as one step that Undo takes back.
    const RebuildLoss loss = meshRebuildLoss(app_.problem);
    if (loss.any() && !app_.dialogs.askYesNo(rebuildQuestion(loss))) return;
    app_.closeWindowsFor(Command::EditBlocks);
    app_.document.apply("Edit Blocks", Footprint::whole(),
                        [](Problem& p) { return rebuildMeshFromBlocks(p); });
    app_.showWindow(WindowId::EditBlocks);
}

void TFormFem::Print1Click() {
    perform(Command::Print, [this] { printReportCommand(app_, *this); });
}
void TFormFem::PrintPreview1Click() {
    perform(Command::Print, [this] { printPreviewCommand(app_, *this); });
}
void TFormFem::SpeedButtonPrintClick() {
    Print1Click();
}

void TFormFem::Export1Click() {
    perform(Command::Export, [this] { exportCommand(app_, *PanelExport, exportChoice_, onExportProgress); });
}

void TFormFem::Quit2Click() {
    if (app_.longRunActive()) {
        // The run stops first; then Quit asks about changes not saved, as it always does.
        app_.cancelLongRun();
        app_.afterLongRun([this] { Quit2Click(); });
        return;
    }
    if (!app_.commandRunning() && (!commitTypedCells() || !maySetProblemAside())) return;
    app_.quit();
}

void TFormFem::Undo1Click() {
    perform(Command::Undo, [this] { app_.document.undo(); });
}

void TFormFem::Redo1Click() {
    perform(Command::Undo, [this] { app_.document.redo(); });
}

void TFormFem::Info1Click() {
    perform(Command::Help, [this] { app_.dialogs.help(kHelpText); });
}
void TFormFem::SpeedButtonHelpClick() {
    Info1Click();
}

void TFormFem::About1Click() {
    perform(Command::About,
            [this] { app_.dialogs.message("VELKOR - Finite Element Method for Plane Groundwater Flow"); });
}

void TFormFem::Options1Click() {
    perform(Command::Options, [this] { toggle(Command::Options); });
}
void TFormFem::SpeedButtonOptionsClick() {
    Options1Click();
}

void TFormFem::SoilsClick() {
    perform(Command::Properties, [this] { toggle(Command::Properties); });
}
void TFormFem::SpeedButtonSoilsClick() {
    SoilsClick();
}

void TFormFem::SpeedButtonNodeClick() {
    perform(Command::Nodes, [this] { toggle(Command::Nodes); });
}
void TFormFem::Nodes1Click() {
    if (SpeedButtonNode->isEnabled())
        SpeedButtonNodeClick();
    else
        perform(Command::Help, [this] { app_.dialogs.message("Open datafile first"); });
}

void TFormFem::SpeedButtonElementClick() {
    perform(Command::Elements, [this] { toggle(Command::Elements); });
}
void TFormFem::Elements1Click() {
    if (SpeedButtonElement->isEnabled())
        SpeedButtonElementClick();
    else
        perform(Command::Help, [this] { app_.dialogs.message("Open datafile first"); });
}

void TFormFem::SpeedButtonMeshClick() {
    perform(Command::Mesh, [this] { toggle(Command::Mesh); });
}
void TFormFem::Mesh1Click() {
    if (SpeedButtonMesh->isEnabled())
        SpeedButtonMeshClick();
    else
        perform(Command::Help, [this] { app_.dialogs.message("Open datafile first"); });
}

void TFormFem::SpeedButtonWellsClick() {
    perform(Command::Wells, [this] { toggle(Command::Wells); });
}
void TFormFem::WellsClick() {
    if (SpeedButtonWells->isEnabled()) SpeedButtonWellsClick();
}

void TFormFem::SpeedButtonParticlesClick() {
    perform(Command::Particles, [this] {
        if (!app_.isShown(WindowId::Particles)) app_.state.cursor = GridCursor{1, 1};
        toggle(Command::Particles);
    });
}
void TFormFem::ParticlesClick() {
    if (SpeedButtonParticles->isEnabled()) SpeedButtonParticlesClick();
}

void TFormFem::SpeedButtonContoursClick() {
    perform(Command::Contours, [this] { toggle(Command::Contours); });
}

void TFormFem::SpeedButton3dClick() {
    perform(Command::Graph3D, [this] { toggle(Command::Graph3D); });
}

void TFormFem::SpeedButtonManualClick() {
    perform(Command::Manual, [this] { toggle(Command::Manual); });
}

void TFormFem::SpeedButtonBudgetClick() {
    perform(Command::WaterBudget, [this] { toggle(Command::WaterBudget); });
}
void TFormFem::Budget1Click() {
    SpeedButtonBudgetClick();
}

// ---- grids ----------------------------------------------------------------------------------

bool TFormFem::commitTypedCells() {
    if (GeneralGrid->hasPendingEdit() && !leaveGeneralCell(GeneralGrid->row())) return false;
    if (InstallationGrid->hasPendingEdit()) {
        leaveInstallationCell(InstallationGrid->row());
        InstallationGrid->discardTypedText();
        ButtonSaveInstallClick();
    }
    return true;
}

// Validates the row being left and stores its value; false when the value is refused (the cell
// then offers the value to confirm, as typed text).
bool TFormFem::leaveGeneralCell(int row) {
    app_.closeWindowsFor(Command::GridEdit);
    const std::string text = GeneralGrid->cellText(1, row);
    CellCommit commit;
    const Applied applied =
        app_.document.apply("Set " + generalForm_.cellInfo(1, row).name, generalForm_.commitFootprint(1, row),
                            [&](Problem& p) { return editCell(p, generalForm_, 1, row, text, commit); });
    // Text that is no number is not stored: the status line says why, the cell shows the value kept.
    if (!applied.result.message.empty()) showStatus(applied.result.message);
    if (!commit.message.empty()) app_.dialogs.message(commit.message);
    if (!commit.allowMove) {
        GeneralGrid->setTypedText(commit.text);
        return false;
    }
    if (GeneralGrid->row() == row) GeneralGrid->discardTypedText();
    return true;
}

void TFormFem::GeneralGridSelectCell(int, int, bool& canSelect) {
    if (app_.commandRunning() || app_.document.held()) {
        canSelect = false;
        return;
    }
    canSelect = leaveGeneralCell(GeneralGrid->row());
}

void TFormFem::GeneralGridKeyPress(char& key) {
    GeneralGrid->applyKey(key);
}

// Leaving the grid for another control is leaving its cell: what was typed is validated and
// kept; a refused value keeps the focus in the cell.
void TFormFem::GeneralGridExit() {
    if (app_.commandRunning() || app_.document.held() || !GeneralGrid->hasPendingEdit()) return;
    if (!leaveGeneralCell(GeneralGrid->row()))
        QTimer::singleShot(0, GeneralGrid, [this] { GeneralGrid->setFocus(Qt::OtherFocusReason); });
}

void TFormFem::GeneralHelpButtonClick() {
    perform(Command::Help, [this] { app_.dialogs.help(kGeneralHelpText); });
}

void TFormFem::leaveInstallationCell(int row) {
    app_.closeWindowsFor(Command::GridEdit);
    const std::string text = InstallationGrid->cellText(1, row);
    if (const std::optional<Result> refused = refuseNonNumber(installationForm_, 1, row, text)) {
        showStatus(refused->message);
        return;
    }
    const CellCommit commit = installationForm_.commit(1, row, text);
    if (!commit.message.empty()) app_.dialogs.message(commit.message);
}

void TFormFem::InstallationGridSelectCell(int, int, bool& canSelect) {
    // New limits make the tables anew: not under a command, nor while a long run works on them.
    if (app_.commandRunning() || app_.document.held()) {
        canSelect = false;
        return;
    }
    leaveInstallationCell(InstallationGrid->row());
    canSelect = true;
    ButtonSaveInstallClick();
}

void TFormFem::InstallationGridKeyPress(char& key) {
    InstallationGrid->applyKey(key);
}

// Leaving the grid is leaving its cell: what was typed there is validated and kept, not lost to
// the refill that follows the save.
void TFormFem::InstallationGridExit() {
    if (app_.commandRunning() || app_.document.held()) return;
    if (InstallationGrid->hasPendingEdit()) {
        leaveInstallationCell(InstallationGrid->row());
        InstallationGrid->discardTypedText();
    }
    ButtonSaveInstallClick();
}

void TFormFem::InstallationHelpButtonClick() {
    perform(Command::Help, [this] { app_.dialogs.help(kInstallationHelpText); });
}

void TFormFem::storeInstallation() {
    // The data hold for this run whatever happens; a file that cannot be written is said once in
    // the status line, not in a box at every cell left.
    if (!writeInstallationFile(baseName(kInstallationFileName), app_.installation))
        showStatus(std::string(kInstallationFileName) +
                   " could not be written: the installation data hold for this run only.");
}

void TFormFem::ButtonSaveInstallClick() {
    const Problem& problem = app_.problem;
    storeInstallation();
    app_.document.problemForRules().userName = app_.installation.userName;
    const Limits wanted = app_.installation.limits;
    if (problem.tablesAllocated && sanitizedLimits(wanted) == problem.limits) {
        // Nothing the tables depend on changed: the problem in hand stays.
        app_.installation.limits = problem.limits;
        app_.document.notify(Change::Installation);
        return;
    }
    // New capacities: the tables are made anew and keep the problem when it fits them.
    const Applied kept = applyLimits(app_.document.problemForRules(), wanted);
    if (kept.ok()) {
        app_.installation.limits = problem.limits;
        app_.document.limitsChanged();
        app_.document.notify(kept.changed | Change::Installation);
        return;
    }
    // Limits too small for the problem give it up for the default problem, but only when the user
    // says so (and has saved what is to be saved); otherwise the limits in force stay.
    bool giveUp = false;
    if (kept.result.outcome == Outcome::RefusedCapacity) {
        giveUp = app_.dialogs.askYesNo(
                     "The problem in hand does not fit these capacities.\n\n" + kept.result.message +
                     "\n\nStart again from the default problem? The problem in hand can not be "
                     "brought back by Undo.") &&
                 maySetProblemAside();
    } else {
        app_.dialogs.message(kept.result.message);
    }
    if (giveUp) {
        const Applied started = applyLimitsWithDefaultProblem(app_.document.problemForRules(), wanted);
        if (started.ok()) {
            app_.state.paths.saveProposal = "Data1.fem";
            app_.document.forgetHistory();
            setButtonStates(false, false, false);
        } else {
            app_.dialogs.message(started.result.message);
        }
    }
    app_.installation.limits = problem.limits;
    storeInstallation();
    app_.document.notify(Change::Problem | Change::Installation);
}

} // namespace velkor
