// The main window: tool bar and menu of every command, the installation and general data grids,
// the panels that report reading, saving, solving, printing and the aquifer warning, and a status
// line that keeps the outcome of the last solve.
#pragma once

#include <QMainWindow>

#include <functional>
#include <utility>
#include <vector>

#include "forms/close_groups.h"
#include "forms/main_forms.h"
#include "gis/results_export.h"
#include "model/changes.h"
#include "model/feedback.h"
#include "ui/recent_files.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QShortcut;
class QToolButton;

namespace velkor {

class Application;
class TableGrid;

class TFormFem : public QMainWindow {
    Q_OBJECT
  public:
    explicit TFormFem(Application& app);

    // Commands, from the tool buttons and the menu items.
    void Open1Click();
    void SpeedButtonOpenClick();
    void New1Click();
    void Save1Click();
    void SpeedButtonSaveClick();
    void Print1Click();
    void SpeedButtonPrintClick();
    void PrintPreview1Click();
    // File menu "Export...": CSV tables or a GeoPackage of the results.
    void Export1Click();
    void Quit2Click();
    void Info1Click();
    void SpeedButtonHelpClick();
    void About1Click();
    void Options1Click();
    void SpeedButtonOptionsClick();
    void SoilsClick();
    void SpeedButtonSoilsClick();
    void Nodes1Click();
    void SpeedButtonNodeClick();
    void Elements1Click();
    void SpeedButtonElementClick();
    void Mesh1Click();
    void SpeedButtonMeshClick();
    void SpeedButtonEditClick();
    void WellsClick();
    void SpeedButtonWellsClick();
    void ParticlesClick();
    void SpeedButtonParticlesClick();
    void SpeedButtonCalcClick();
    void SpeedButtonContoursClick();
    void SpeedButton3dClick();
    void SpeedButtonManualClick();
    void Budget1Click();
    void SpeedButtonBudgetClick();
    // Edit menu: the last change to the problem taken back, or done again.
    void Undo1Click();
    void Redo1Click();

    // Opens the datafile at path as the Open command opens the file chosen in its dialog (same
    // messages; a refused file keeps the problem held). The command line, the recent files of the
    // File menu and a file dropped on the window come here.
    void openDatafilePath(const std::string& path);

    // Grid events.
    void GeneralGridSelectCell(int col, int row, bool& canSelect);
    void GeneralGridKeyPress(char& key);
    void GeneralGridExit();
    void GeneralHelpButtonClick();
    void InstallationGridSelectCell(int col, int row, bool& canSelect);
    void InstallationGridKeyPress(char& key);
    void InstallationGridExit();
    void InstallationHelpButtonClick();
    // Writes the installation file; new capacity limits make the tables anew, with the problem
    // when it fits them.
    void ButtonSaveInstallClick();

    // Window events.
    void FormCreate();
    // The main window's repaint rules: stale results cleared, grids and buttons from the model.
    // Runs after every command and whenever the document reports a change.
    void FormPaint();
    void FormResize();
    void FormClose();

    // The secondary windows exist: the first repaint fills the grids and enables the buttons.
    void windowsCreated();

    // Called after every progress shown while a solve runs (screenshots, tests).
    std::function<void()> onSolveProgress;
    // Called after every repaint while an export tracks particles (tests).
    std::function<void()> onExportProgress;
    // Called after every page shown while a report is printed (tests).
    std::function<void()> onPrintProgress;

    // Cancel on a progress panel, and Escape: the long run going on stops at its next step.
    void ButtonCancelClick();

    QWidget* ToolBar = nullptr;
    QToolButton* SpeedButtonOpen = nullptr;
    QToolButton* SpeedButtonNew = nullptr;
    QToolButton* SpeedButtonEdit = nullptr;
    QToolButton* SpeedButtonSave = nullptr;
    QToolButton* SpeedButtonPrint = nullptr;
    QToolButton* SpeedButtonOptions = nullptr;
    QToolButton* SpeedButtonSoils = nullptr;
    QToolButton* SpeedButtonNode = nullptr;
    QToolButton* SpeedButtonElement = nullptr;
    QToolButton* SpeedButtonMesh = nullptr;
    QToolButton* SpeedButtonWells = nullptr;
    QToolButton* SpeedButtonParticles = nullptr;
    QToolButton* SpeedButtonCalc = nullptr;
    QToolButton* SpeedButtonContours = nullptr;
    QToolButton* SpeedButton3d = nullptr;
    QToolButton* SpeedButtonManual = nullptr;
    QToolButton* SpeedButtonBudget = nullptr;
    QToolButton* SpeedButtonHelp = nullptr;

    QAction* Open1 = nullptr;
    QAction* New1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* Print1 = nullptr;
    QAction* PrintPreview1 = nullptr;
    QAction* Export1 = nullptr;
    QAction* Quit2 = nullptr;
    QAction* Undo1 = nullptr;
    QAction* Redo1 = nullptr;
    QAction* Info1 = nullptr;
    QAction* About1 = nullptr;
    QAction* Options1 = nullptr;
    QAction* Soils = nullptr;
    QAction* Nodes1 = nullptr;
    QAction* Elements1 = nullptr;
    QAction* Mesh1 = nullptr;
    QAction* Wells = nullptr;
    QAction* Particles = nullptr;
    QAction* Solve1 = nullptr;
    QAction* Contours1 = nullptr;
    QAction* Graph3d1 = nullptr;
    QAction* Manual1 = nullptr;
    QAction* Budget1 = nullptr;
    QMenu* FileMenu = nullptr;

    QFrame* PanelInstallation = nullptr;
    TableGrid* InstallationGrid = nullptr;
    QToolButton* InstallationHelpButton = nullptr;
    QFrame* PanelGeneral = nullptr;
    TableGrid* GeneralGrid = nullptr;
    QToolButton* GeneralHelpButton = nullptr;
    QFrame* ProgressPanel = nullptr;
    QLabel* ProgressLabel = nullptr;
    TableGrid* ProgressGrid = nullptr;
    // Below the grid: what the solve is doing ("Cycle 2 of 6 : assembly, 40 %"), and Cancel.
    QLabel* ProgressStage = nullptr;
    QPushButton* ButtonCancel = nullptr;
    QLabel* PanelRead = nullptr;
    QLabel* PanelSave = nullptr;
    // The panel of a report being printed: its caption, the page being printed, and Cancel.
    QLabel* PanelWait = nullptr;
    QLabel* PanelExport = nullptr;
    QLabel* PrintProgress = nullptr;
    QPushButton* ButtonCancelPrint = nullptr;
    QLabel* PanelWarning = nullptr;
    // The outcome of the last solve, kept until the problem changes.
    QLabel* StatusLine = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void buildToolBar();
    void buildMenu();
    void buildPanels();
    void layoutPanels();
    void placeProgressPanel();
    void setButtonStates(bool dataButtons, bool wells, bool particles);
    // The commands' enabled states and hints: from the problem, and held while a long run works
    // on it.
    void showCommandStates();
    void documentChanged(Change what);
    void historyChanged();
    void showTitle();
    void showStatus(const std::string& text);

    // Runs a command: a value typed into a data grid cell is committed first, as leaving the cell
    // would commit it; if it is refused the command does not run. Then the repaint rules.
    void perform(Command command, std::function<void()> body);
    // Validates and stores the typed cell of either data grid; false when a value was refused.
    bool commitTypedCells();
    bool leaveGeneralCell(int row);
    // Writes the installation file; a failure is said in the status line.
    void storeInstallation();
    void leaveInstallationCell(int row);

    // Before the problem is replaced or the program ends: a problem that differs from its file is
    // saved or given up as the user chooses. False when the user cancelled (or the save failed).
    bool maySetProblemAside();

    // The first start of the program: the installation file read, the tables made and the default
    // problem in them (no step to undo).
    void startProblem();

    // The bodies of the long commands.
    void openDatafile();
    // Reads the datafile at path as one step that Undo takes back; a refused file leaves the
    // problem, its file and the history as they were.
    void readDatafileAt(const std::string& path);
    // The recent files, those that still exist, listed in the File menu above Quit.
    void listRecentFiles();
    void rememberFile(const std::string& path);
    // True when the problem was written; false when it was not (a cancelled dialog says nothing).
    bool saveDatafile();
    // Starts the solve on a worker thread; solveEnded takes its results and offers to save them.
    void solve();
    struct SolveWork;
    void showSolveProgress(const Progress& progress, int32_t elements, bool fast);
    void solveEnded(SolveWork& work);
    // The progress panel in the main window's colours, red while a warning applies.
    void showProgressWarning(bool warning);
    void editBlocks();
    void toggle(Command command);

    Application& app_;
    QWidget* surface_ = nullptr;
    InstallationForm installationForm_;
    GeneralForm generalForm_;
    ProgressForm progressForm_;
    bool startingUp_ = false;
    // The choices of the last export, proposed by the next.
    ExportChoice exportChoice_;
    RecentFiles recentFiles_;
    // The File menu's entries of the recent files ("&1 path", ...) with their separator, made
    // anew each time the menu opens, above the separator before Quit.
    QList<QAction*> recentFileItems_;
    QAction* recentFilesEnd_ = nullptr;
    // The enabled states the problem gives the data buttons (the rest are always enabled).
    bool dataButtons_ = false, wellsButton_ = false, particlesButton_ = false;
    std::vector<std::pair<QToolButton*, QString>> hints_;
    QShortcut* escape_ = nullptr;
};

} // namespace velkor
