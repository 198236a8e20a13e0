#include "ui/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QToolButton>

#include <optional>

#include "io/datafile.h"
#include "io/installation_file.h"
#include "model/general_data.h"
#include "model/number_text.h"
#include "solver/element_velocities.h"
#include "solver/solve_command.h"
#include "ui/application.h"
#include "ui/edit_blocks_window.h"
#include "ui/nodes_window.h"
#include "ui/particles_window.h"
#include "ui/soils_window.h"
#include "ui/string_grid.h"
#include "ui/tool_glyphs.h"

namespace velkor {

namespace {

const QColor kSilver(0xC0, 0xC0, 0xC0);
const QColor kLime(0x00, 0xFF, 0x00);
const QColor kRed(0xFF, 0x00, 0x00);
const QColor kYellow(0xFF, 0xFF, 0x00);

constexpr int kButtonSize = 25;
constexpr int kGridRowHeight = 19;
constexpr int kPanelCaptionHeight = 25;
// Progress grid: two columns of 100 and four rows, with a pixel of line each.
constexpr int kProgressGridWidth = 2 * 100 + 2;
constexpr int kProgressGridHeight = 4 * kGridRowHeight + 2;
constexpr int kProgressPanelWidth = kProgressGridWidth + 60;
constexpr int kProgressPanelHeight = kPanelCaptionHeight + kProgressGridHeight + 10;

enum ProgressRow { ProgressElement = 0, ProgressCycle = 1, ProgressIteration = 2, ProgressLog = 3 };

const std::string kHelpText =
    "VELKOR is a program for the analysis of steady plane groundwater flow, using the finite "
    "element method. The mesh consists of triangular blocks, each with constant soil properties, "
    "and every block is subdivided into many small triangular elements. The equations are solved "
    "by the conjugate gradient method, making use of the symmetry of the matrix.\n\n"
    "List of Commands :\n"
    "- Open : Open existing datafile,\n"
    "- New : Generate a new datafile, from a single triangular block,\n"
    "- Edit : Show blocks, ready for editing,\n"
    "- Save : Save datafile,\n"
    "- Print : Print data, using Options,\n"
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
    "- Help : Show this information,\n"
    "- Quit : Exit program.\n\n"
    "All data are edited in two-dimensional grids, which can be navigated with the arrow keys, "
    "the TAB button or the ENTER button.\n"
    "--------------------------------------------------------------------------------\n"
    "VELKOR - Finite Element Method for Plane Groundwater Flow. "
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

QLabel* makeNoticePanel(QWidget* parent, const char* caption) {
    auto* panel = new QLabel(QString::fromLatin1(caption), parent);
    setBackground(panel, kRed);
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

// The drawing surface of the main window: its every paint is the window's repaint.
class MainSurface : public QWidget {
  public:
    MainSurface(QWidget* parent, std::function<void()> onPaint)
        : QWidget(parent), onPaint_(std::move(onPaint)) {}

  protected:
    void paintEvent(QPaintEvent*) override { onPaint_(); }

  private:
    std::function<void()> onPaint_;
};

// Shows the solver's progress in the progress grid. A large problem reports millions of times;
// the grid is written and painted at most every 30 ms, and once more at the end with the exact
// last values.
class ProgressDisplay : public Feedback {
  public:
    ProgressDisplay(StringGrid& grid, std::function<void()> afterPaint)
        : grid_(grid), afterPaint_(std::move(afterPaint)) {}

    void progress(const Progress& progress) override {
        if (progress.stage == Stage::Assembly) {
            element_ = progress.element;
            cycle_ = progress.cycle;
        } else if (progress.stage == Stage::Iteration) {
            iteration_ = progress.iteration;
            log_ = progress.log10Measure;
        }
        showThrottled();
    }

    void showFinalValues() {
        write();
        showPanelNow(grid_.parentWidget());
    }

  private:
    void showThrottled() {
        if (clock_.isValid() && clock_.elapsed() < 30) return;
        write();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (afterPaint_) afterPaint_();
        clock_.restart();
    }

    void write() {
        if (element_) grid_.setCellText(1, ProgressElement, format("%12d", *element_));
        if (cycle_) grid_.setCellText(1, ProgressCycle, format("%12d", *cycle_));
        if (iteration_) grid_.setCellText(1, ProgressIteration, format("%12d", *iteration_));
        if (log_) grid_.setCellText(1, ProgressLog, format("%12.2f", *log_));
    }

    StringGrid& grid_;
    std::function<void()> afterPaint_;
    QElapsedTimer clock_;
    std::optional<int32_t> element_, cycle_, iteration_;
    std::optional<double> log_;
};

} // namespace

void showPanelNow(QWidget* panel) {
    panel->show();
    panel->raise();
    panel->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

TFormFem::TFormFem(Application& app) : app_(app) {
    setWindowTitle(QStringLiteral("VELKOR"));
    surface_ = new MainSurface(this, [this] {
        if (painting_) return;
        painting_ = true;
        FormPaint();
        painting_ = false;
    });
    setBackground(surface_, kSilver);
    setCentralWidget(surface_);
    buildToolBar();
    buildMenu();
    buildPanels();
    FormCreate();
}

// ---- construction ---------------------------------------------------------------------------

void TFormFem::buildToolBar() {
    ToolBar = new QWidget(surface_);
    setBackground(ToolBar, kLime);
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
        {&SpeedButtonHelp, ToolGlyph::Help, "Help", &TFormFem::SpeedButtonHelpClick},
    };
    int left = 0;
    for (const ToolButtonEntry& entry : toolButtons) {
        auto* button = new QToolButton(ToolBar);
        button->setIcon(toolGlyph(entry.glyph));
        button->setIconSize(QSize(21, 21));
        button->setToolTip(QString::fromLatin1(entry.hint));
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setGeometry(left, 0, kButtonSize, kButtonSize);
        left += kButtonSize;
        connect(button, &QToolButton::clicked, this, entry.handler);
        *entry.button = button;
    }
}

void TFormFem::buildMenu() {
    auto add = [this](QMenu* menu, const char* text, void (TFormFem::*handler)()) {
        QAction* action = menu ? menu->addAction(QString::fromLatin1(text))
                               : menuBar()->addAction(QString::fromLatin1(text));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    Open1 = add(file, "&Open", &TFormFem::Open1Click);
    New1 = add(file, "&New", &TFormFem::New1Click);
    Save1 = add(file, "&Save", &TFormFem::Save1Click);
    Print1 = add(file, "&Print", &TFormFem::Print1Click);
    file->addSeparator();
    Quit2 = add(file, "&Quit", &TFormFem::Quit2Click);
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    Info1 = add(help, "&Info", &TFormFem::Info1Click);
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
}

void TFormFem::buildPanels() {
    auto dataPanel = [this](const char* caption, StringGrid*& grid, QToolButton*& help,
                            void (TFormFem::*helpHandler)()) {
        auto* panel = new QFrame(surface_);
        panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        setBackground(panel, kLime);
        auto* label = new QLabel(QString::fromLatin1(caption), panel);
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
        label->setGeometry(8, 0, 250, kPanelCaptionHeight);
        grid = new StringGrid(panel);
        grid->setFixedColour(kYellow);
        grid->setFrameShape(QFrame::NoFrame);
        grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        help = new QToolButton(panel);
        help->setIcon(toolGlyph(ToolGlyph::Help));
        help->setIconSize(QSize(21, 21));
        help->setToolTip(QStringLiteral("Help"));
        help->setAutoRaise(true);
        help->setFocusPolicy(Qt::NoFocus);
        connect(help, &QToolButton::clicked, this, helpHandler);
        return panel;
    };
    PanelInstallation = dataPanel("Installation Data", InstallationGrid, InstallationHelpButton,
                                  &TFormFem::InstallationHelpButtonClick);
    InstallationGrid->setGridSize(2, 5);
    InstallationGrid->setFixedCols(1);
    InstallationGrid->onSelectCell = [this](int col, int row, bool& canSelect) {
        InstallationGridSelectCell(col, row, canSelect);
    };
    InstallationGrid->onKeyPress = [this](char& key) { InstallationGridKeyPress(key); };
    InstallationGrid->onExit = [this] { InstallationGridExit(); };

    PanelGeneral =
        dataPanel("General Data", GeneralGrid, GeneralHelpButton, &TFormFem::GeneralHelpButtonClick);
    GeneralGrid->setGridSize(2, kGeneralRowCount);
    GeneralGrid->setFixedCols(1);
    GeneralGrid->setFixedRows(kGeneralFirstEditableRow);
    GeneralGrid->onSelectCell = [this](int col, int row, bool& canSelect) {
        GeneralGridSelectCell(col, row, canSelect);
    };
    GeneralGrid->onKeyPress = [this](char& key) { GeneralGridKeyPress(key); };

    ProgressPanel = new QFrame(surface_);
    ProgressPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    setBackground(ProgressPanel, kRed);
    ProgressLabel = new QLabel(QStringLiteral("Progress of Computations"), ProgressPanel);
    QFont bold = ProgressLabel->font();
    bold.setBold(true);
    ProgressLabel->setFont(bold);
    ProgressLabel->adjustSize();
    ProgressGrid = new StringGrid(ProgressPanel);
    ProgressGrid->setFixedColour(kYellow);
    ProgressGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ProgressGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ProgressGrid->setGridSize(2, 4);
    ProgressGrid->setFixedCols(1);
    ProgressGrid->setEditable(false);
    const char* progressLabels[] = {"Element", "Cycle", "Iteration", "Log(error)"};
    for (int row = 0; row < 4; ++row)
        ProgressGrid->setCellText(0, row, progressLabels[row]);

    PanelRead = makeNoticePanel(surface_, "Reading datafile, Please wait ");
    PanelSave = makeNoticePanel(surface_, "Saving datafile, Please wait");
    PanelWait = makeNoticePanel(surface_, "Please wait while printing is in progress");
    PanelWarning =
        makeNoticePanel(surface_, "Warning : Water level locally below bottom of aquifer. Results invalid.");
}

// ---- window events --------------------------------------------------------------------------

void TFormFem::FormCreate() {
    Problem& problem = app_.problem;
    UiState& state = app_.state;
    state.paths.initialDirectory = workingDirectory();

    const QRect screenArea = screen() ? screen()->geometry() : QRect(0, 0, 1024, 768);
    setMinimumSize(screenArea.width() / 2, screenArea.height() / 2);
    move(50, 1);
    resize(screenArea.width() - 100, screenArea.height() - 100);

    // A window still on the screen with its flag cleared could never be closed by a command.
    app_.hideSecondaryWindows();
    problem.tablesAllocated = false;
    problem.resultsStale = true;
    problem.warning = false;
    problem.preconditioner = false;
    ProgressPanel->hide();

    for (QToolButton* button :
         {SpeedButtonNode, SpeedButtonElement, SpeedButtonMesh, SpeedButtonSave, SpeedButtonPrint})
        button->setEnabled(false);

    problem.fileName = "Data1.fem";
    problem.problemName = "Default Datafile";
    state.paths.openProposal = "Data1.fem";
    state.paths.saveProposal = "Data1.fem";

    layoutPanels();

    const std::optional<InstallationData> stored = readInstallationFile(kInstallationFileName);
    app_.installation = stored ? *stored : InstallationData{};
    app_.allocateTablesForInstallation();
    problem.resetToDefaultProblem();
    problem.buildColoursAndDefaultSoils();

    for (int row = 0; row < 5; ++row)
        InstallationGrid->setCellText(0, row, installationRowLabel(static_cast<InstallationRow>(row)));
    fillInstallationGrid(true);
    // A grid without a current cell would pick one itself when it first gets the focus, and
    // that pick would count as leaving a cell.
    InstallationGrid->setCurrentCell(1, static_cast<int>(InstallationRow::UserName));
    for (int row = 0; row < kGeneralRowCount; ++row)
        GeneralGrid->setCellText(0, row, generalRowLabel(static_cast<GeneralRow>(row)));
    GeneralGrid->setCurrentCell(1, static_cast<int>(GeneralRow::ProblemName));
    if (QWidget* editor = GeneralGrid->cellEditor()) editor->setFocus();
}

void TFormFem::layoutPanels() {
    PanelInstallation->setGeometry(40, 50, 382, 121);
    PanelGeneral->setGeometry(40, 185, 382, 234);
    for (StringGrid* grid : {InstallationGrid, GeneralGrid}) {
        QWidget* panel = grid->parentWidget();
        grid->setGeometry(0, kPanelCaptionHeight, panel->width(), panel->height() - kPanelCaptionHeight);
        grid->setColWidth(0, 150);
        grid->setColWidth(1, 230);
    }
    InstallationHelpButton->setGeometry(PanelInstallation->width() - kButtonSize, 0, kButtonSize,
                                        kButtonSize);
    GeneralHelpButton->setGeometry(PanelGeneral->width() - kButtonSize, 0, kButtonSize, kButtonSize);
    const int noticeLeft = PanelGeneral->x() + PanelGeneral->width() + 100;
    PanelRead->move(noticeLeft, PanelInstallation->y());
    PanelSave->move(noticeLeft, PanelInstallation->y());

    ProgressGrid->setColWidth(0, 100);
    ProgressGrid->setColWidth(1, 100);
    ProgressPanel->resize(kProgressPanelWidth, kProgressPanelHeight);
    ProgressGrid->setGeometry(30, kPanelCaptionHeight, kProgressGridWidth, kProgressGridHeight);
    FormResize();
}

void TFormFem::placeProgressPanel() {
    const int width = surface_->width();
    const int height = surface_->height();
    ProgressPanel->move((width - ProgressPanel->width()) / 2, (height - ProgressPanel->height()) * 3 / 4);
    ProgressLabel->move((ProgressPanel->width() - ProgressLabel->width()) / 2, 5);
    PanelWait->move((width - PanelWait->width()) / 2, 100);
    PanelWarning->move((width - PanelWarning->width()) / 2, 100);
}

void TFormFem::FormResize() {
    ToolBar->resize(surface_->width(), kButtonSize);
    SpeedButtonHelp->move(surface_->width() - kButtonSize - 8, 0);
    SpeedButtonManual->move(SpeedButton3d->x() + kButtonSize, 0);
    placeProgressPanel();
}

void TFormFem::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TFormFem::FormPaint() {
    Problem& problem = app_.problem;
    if (app_.secondaryWindowsCreated()) {
        app_.nodesWindow().NodesGrid->setRows(problem.NN + 1);
        app_.particlesWindow().ParticlesGrid->setRows(problem.NP + 1);
    }
    fillInstallationGrid(false);
    fillGeneralGrid(false);
    setButtonStates();
    if (app_.secondaryWindowsCreated()) app_.propertiesWindow().SoilsGrid->setCurrentCell(1, 1);
    if (problem.resultsStale) clearStaleResults();
}

void TFormFem::clearStaleResults() {
    Problem& problem = app_.problem;
    if (app_.secondaryWindowsCreated() && problem.NP > problem.saved.NP) {
        StringGrid& grid = *app_.particlesWindow().ParticlesGrid;
        const int32_t last = problem.usedParticleCount();
        for (int32_t row = std::max<int32_t>(problem.saved.NP, 0) + 1; row <= last; ++row) {
            const Particle& particle = problem.particles[static_cast<std::size_t>(row - 1)];
            grid.setCellText(0, row, format("%6d", row));
            grid.setCellText(1, row, format("%11.3f", particle.X));
            grid.setCellText(2, row, format("%11.3f", particle.Y));
            grid.setCellText(3, row, format("%11.3f", particle.Z));
        }
    }
    problem.clearResults();
}

void TFormFem::fillGridsAndButtons() {
    fillInstallationGrid(true);
    fillGeneralGrid(true);
    setButtonStates();
}

void TFormFem::fillInstallationGrid(bool force) {
    for (int row = 0; row < 5; ++row) {
        const std::string text = installationRowText(static_cast<InstallationRow>(row), app_.installation);
        if (force)
            InstallationGrid->setCellText(1, row, text);
        else
            InstallationGrid->refreshCellText(1, row, text);
    }
}

void TFormFem::fillGeneralGrid(bool force) {
    for (int row = 0; row < kGeneralRowCount; ++row) {
        const std::string text = generalRowText(static_cast<GeneralRow>(row), app_.problem);
        if (force)
            GeneralGrid->setCellText(1, row, text);
        else
            GeneralGrid->refreshCellText(1, row, text);
    }
}

void TFormFem::setButtonStates() {
    for (QToolButton* button :
         {SpeedButtonNode, SpeedButtonElement, SpeedButtonMesh, SpeedButtonSave, SpeedButtonPrint})
        button->setEnabled(true);
    SpeedButtonWells->setEnabled(app_.problem.NW > 0);
    SpeedButtonParticles->setEnabled(app_.problem.NP > 0);
}

void TFormFem::closeEvent(QCloseEvent* event) {
    event->accept();
    FormClose();
}

void TFormFem::FormClose() {
    app_.quit();
}

// ---- commands -------------------------------------------------------------------------------

void TFormFem::runCommand(const std::function<void()>& command) {
    if (app_.state.busy) return;
    app_.state.busy = true;
    command();
    app_.state.busy = false;
}

void TFormFem::Open1Click() {
    runCommand([this] { openDatafile(); });
}
void TFormFem::SpeedButtonOpenClick() {
    Open1Click();
}

void TFormFem::openDatafile() {
    Problem& problem = app_.problem;
    DatafilePaths& paths = app_.state.paths;
    app_.closeAllSecondaryWindows();
    const std::optional<std::string> path = app_.dialogs.openFileName(
        {kDatafileFilter, kDatafileExtension, paths.initialDirectory, paths.openProposal});
    if (!path) {
        app_.dialogs.message("Opening datafile failed or canceled");
        return;
    }
    paths.openProposal = *path;
    // Results made stale by an editor belong to the problem being replaced; clearing them at a
    // repaint after the read would wipe the velocities just computed for the new one.
    if (problem.resultsStale) clearStaleResults();
    showPanelNow(PanelRead);
    const Result result = readDatafile(problem, *path);
    if (result.ok() || result.outcome == Outcome::RefusedCapacity) computeElementVelocities(problem);
    // The next Save proposes the file just read, also when its problem was too large to load.
    if (result.ok() || result.outcome == Outcome::RefusedCapacity) paths.saveProposal = *path;
    if (!result.message.empty()) app_.dialogs.message(result.message);
    fillGridsAndButtons();
    PanelRead->hide();
    surface_->update();
}

void TFormFem::Save1Click() {
    runCommand([this] { saveDatafile(); });
}
void TFormFem::SpeedButtonSaveClick() {
    Save1Click();
}

void TFormFem::saveDatafile() {
    Problem& problem = app_.problem;
    DatafilePaths& paths = app_.state.paths;
    app_.closeAllSecondaryWindows();
    const std::optional<std::string> path = app_.dialogs.saveFileName(
        {kDatafileFilter, kDatafileExtension, paths.initialDirectory, paths.saveProposal});
    if (!path) {
        app_.dialogs.message("Saving datafile failed or canceled");
        return;
    }
    paths.saveProposal = *path;
    showPanelNow(PanelSave);
    const Result result = writeDatafile(problem, *path);
    PanelSave->hide();
    if (!result.ok()) {
        app_.dialogs.message(result.message.empty() ? "Writing datafile failed.  Disk full ?"
                                                    : result.message);
        return;
    }
    surface_->update();
    GeneralGrid->setCellText(1, static_cast<int>(GeneralRow::FileName), problem.fileName);
}

void TFormFem::SpeedButtonCalcClick() {
    runCommand([this] { solve(); });
}

void TFormFem::solve() {
    Problem& problem = app_.problem;
    app_.closeAllSecondaryWindows();
    // Results made stale by an editor go now, not at some repaint after the new ones exist.
    if (problem.resultsStale) clearStaleResults();
    ProgressGrid->setCellText(1, ProgressCycle, "  ");
    ProgressGrid->setCellText(1, ProgressIteration, "  ");
    placeProgressPanel();
    showPanelNow(ProgressPanel);

    ProgressDisplay progress(*ProgressGrid, [this] {
        if (onSolveProgress) onSolveProgress();
    });
    const SolveReport report = solveProblem(problem, problem.preconditioner, &progress);
    progress.showFinalValues();

    if (report.outcome == Outcome::Done) {
        if (problem.warning) showPanelNow(PanelWarning);
        saveDatafile();
    } else if (!report.message.empty()) {
        app_.dialogs.message(report.message);
    }
    PanelWarning->hide();
    ProgressPanel->hide();
    surface_->update();
}

void TFormFem::New1Click() {
    runCommand([this] {
        FormCreate();
        editBlocks();
    });
}

void TFormFem::SpeedButtonEditClick() {
    runCommand([this] { editBlocks(); });
}

void TFormFem::editBlocks() {
    app_.problem.copyCountsToSaved();
    app_.closeWindows({WindowId::Options, WindowId::Nodes, WindowId::Elements, WindowId::Mesh,
                       WindowId::Properties, WindowId::Graph3D, WindowId::Contours, WindowId::Manual,
                       WindowId::Wells, WindowId::Particles});
    if (!app_.isShown(WindowId::EditBlocks))
        app_.showWindow(WindowId::EditBlocks);
    else
        app_.editBlocksWindow().FormClose();
}

void TFormFem::Print1Click() {
    // The print command comes with the report pages.
}
void TFormFem::SpeedButtonPrintClick() {
    Print1Click();
}

void TFormFem::Quit2Click() {
    app_.quit();
}

void TFormFem::Info1Click() {
    runCommand([this] { app_.dialogs.message(kHelpText); });
}
void TFormFem::SpeedButtonHelpClick() {
    Info1Click();
}

void TFormFem::About1Click() {
    runCommand([this] { app_.dialogs.message("VELKOR - Finite Element Method for Plane Groundwater Flow"); });
}

void TFormFem::Options1Click() {
    runCommand([this] {
        app_.closeWindows({WindowId::Contours, WindowId::Graph3D});
        app_.toggleWindow(WindowId::Options);
    });
}
void TFormFem::SpeedButtonOptionsClick() {
    Options1Click();
}

void TFormFem::SoilsClick() {
    runCommand([this] { app_.toggleWindow(WindowId::Properties); });
}
void TFormFem::SpeedButtonSoilsClick() {
    SoilsClick();
}

void TFormFem::SpeedButtonNodeClick() {
    runCommand([this] { app_.toggleWindow(WindowId::Nodes); });
}
void TFormFem::Nodes1Click() {
    if (SpeedButtonNode->isEnabled())
        SpeedButtonNodeClick();
    else
        runCommand([this] { app_.dialogs.message("Open datafile first"); });
}

void TFormFem::SpeedButtonElementClick() {
    runCommand([this] { app_.toggleWindow(WindowId::Elements); });
}
void TFormFem::Elements1Click() {
    if (SpeedButtonElement->isEnabled())
        SpeedButtonElementClick();
    else
        runCommand([this] { app_.dialogs.message("Open datafile first"); });
}

void TFormFem::SpeedButtonMeshClick() {
    runCommand([this] {
        app_.closeWindows({WindowId::Options, WindowId::Nodes, WindowId::Elements, WindowId::EditBlocks,
                           WindowId::Properties, WindowId::Contours, WindowId::Manual, WindowId::Wells,
                           WindowId::Particles});
        app_.toggleWindow(WindowId::Mesh);
    });
}
void TFormFem::Mesh1Click() {
    if (SpeedButtonMesh->isEnabled())
        SpeedButtonMeshClick();
    else
        runCommand([this] { app_.dialogs.message("Open datafile first"); });
}

void TFormFem::SpeedButtonWellsClick() {
    runCommand([this] { app_.toggleWindow(WindowId::Wells); });
}
void TFormFem::WellsClick() {
    if (SpeedButtonWells->isEnabled()) SpeedButtonWellsClick();
}

void TFormFem::SpeedButtonParticlesClick() {
    runCommand([this] {
        if (!app_.isShown(WindowId::Particles)) app_.state.cursor = GridCursor{1, 1};
        app_.toggleWindow(WindowId::Particles);
    });
}
void TFormFem::ParticlesClick() {
    if (SpeedButtonParticles->isEnabled()) SpeedButtonParticlesClick();
}

void TFormFem::SpeedButtonContoursClick() {
    runCommand([this] {
        app_.closeWindows({WindowId::Options, WindowId::Nodes, WindowId::Elements, WindowId::Mesh,
                           WindowId::EditBlocks, WindowId::Properties, WindowId::Manual, WindowId::Wells,
                           WindowId::Particles, WindowId::Graph3D});
        app_.toggleWindow(WindowId::Contours);
    });
}

void TFormFem::SpeedButton3dClick() {
    runCommand([this] {
        app_.closeWindows({WindowId::Options, WindowId::Nodes, WindowId::Elements, WindowId::Mesh,
                           WindowId::EditBlocks, WindowId::Properties, WindowId::Manual, WindowId::Wells,
                           WindowId::Particles, WindowId::Contours});
        app_.toggleWindow(WindowId::Graph3D);
    });
}

void TFormFem::SpeedButtonManualClick() {
    runCommand([this] { app_.toggleWindow(WindowId::Manual); });
}

// ---- grids ----------------------------------------------------------------------------------

void TFormFem::GeneralGridSelectCell(int, int, bool& canSelect) {
    if (app_.state.busy) {
        canSelect = false;
        return;
    }
    app_.closeWindows(
        {WindowId::Mesh, WindowId::Nodes, WindowId::Elements, WindowId::Properties, WindowId::EditBlocks});
    const int left = GeneralGrid->row();
    if (left < kGeneralFirstEditableRow || left >= kGeneralRowCount) return;
    const GeneralCell cell =
        validateGeneralCell(static_cast<GeneralRow>(left), GeneralGrid->cellText(1, left), app_.problem);
    if (!cell.message.empty()) app_.dialogs.message(cell.message);
    GeneralGrid->setCellText(1, left, cell.text);
    canSelect = cell.allowMove;
}

void TFormFem::GeneralGridKeyPress(char& key) {
    if (key != '\r') return;
    key = 0;
    int next = GeneralGrid->row() + 1;
    if (next >= kGeneralRowCount) next = kGeneralFirstEditableRow;
    GeneralGrid->selectCell(1, next);
}

void TFormFem::GeneralHelpButtonClick() {
    runCommand([this] { app_.dialogs.message(kGeneralHelpText); });
}

void TFormFem::InstallationGridSelectCell(int, int, bool& canSelect) {
    if (app_.state.busy) {
        canSelect = false;
        return;
    }
    app_.closeWindows(
        {WindowId::Mesh, WindowId::Nodes, WindowId::Elements, WindowId::Properties, WindowId::EditBlocks});
    const int left = InstallationGrid->row();
    const InstallationCell cell = validateInstallationCell(
        static_cast<InstallationRow>(left), InstallationGrid->cellText(1, left), app_.installation);
    if (!cell.message.empty()) app_.dialogs.message(cell.message);
    InstallationGrid->setCellText(1, left, cell.text);
    canSelect = true;
    ButtonSaveInstallClick();
}

void TFormFem::InstallationGridKeyPress(char& key) {
    if (key != '\r') return;
    key = 0;
    int next = InstallationGrid->row() + 1;
    if (next >= 5) next = 0;
    InstallationGrid->selectCell(1, next);
}

// Leaving the grid is leaving its cell: what was typed there is validated and kept, not lost to
// the refill that follows the save.
void TFormFem::InstallationGridExit() {
    if (app_.state.busy) return;
    const int row = InstallationGrid->row();
    if (InstallationGrid->hasPendingEdit(1, row)) {
        const InstallationCell cell = validateInstallationCell(
            static_cast<InstallationRow>(row), InstallationGrid->cellText(1, row), app_.installation);
        if (!cell.message.empty()) app_.dialogs.message(cell.message);
        InstallationGrid->setCellText(1, row, cell.text);
    }
    ButtonSaveInstallClick();
}

void TFormFem::InstallationHelpButtonClick() {
    runCommand([this] { app_.dialogs.message(kInstallationHelpText); });
}

void TFormFem::ButtonSaveInstallClick() {
    // A failed write goes unreported: the limits still hold for this run.
    writeInstallationFile(baseName(kInstallationFileName), app_.installation);
    for (QToolButton* button :
         {SpeedButtonNode, SpeedButtonElement, SpeedButtonMesh, SpeedButtonSave, SpeedButtonPrint})
        button->setEnabled(false);
    app_.allocateTablesForInstallation();
    app_.problem.resetToDefaultProblem();
    fillGridsAndButtons();
    app_.problem.buildColoursAndDefaultSoils();
}

} // namespace velkor
