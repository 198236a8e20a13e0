// The main window: tool bar and menu of every command, the installation and general data grids,
// and the panels that report reading, saving, solving, printing and the aquifer warning.
#pragma once

#include <QMainWindow>

#include <functional>

class QAction;
class QFrame;
class QLabel;
class QToolButton;

namespace velkor {

class Application;
class StringGrid;

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

    // Grid events.
    void GeneralGridSelectCell(int col, int row, bool& canSelect);
    void GeneralGridKeyPress(char& key);
    void GeneralHelpButtonClick();
    void InstallationGridSelectCell(int col, int row, bool& canSelect);
    void InstallationGridKeyPress(char& key);
    void InstallationGridExit();
    void InstallationHelpButtonClick();
    // Writes the installation file and starts again from the default problem.
    void ButtonSaveInstallClick();

    // Window events.
    void FormCreate();
    void FormPaint();
    void FormResize();
    void FormClose();

    // Column 1 of both data grids from the model, and the enabled states of the buttons.
    void fillGridsAndButtons();

    // Called after every repaint of the progress panel while a solve runs (screenshots, tests).
    std::function<void()> onSolveProgress;

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
    QToolButton* SpeedButtonHelp = nullptr;

    QAction* Open1 = nullptr;
    QAction* New1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* Print1 = nullptr;
    QAction* Quit2 = nullptr;
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

    QFrame* PanelInstallation = nullptr;
    StringGrid* InstallationGrid = nullptr;
    QToolButton* InstallationHelpButton = nullptr;
    QFrame* PanelGeneral = nullptr;
    StringGrid* GeneralGrid = nullptr;
    QToolButton* GeneralHelpButton = nullptr;
    QFrame* ProgressPanel = nullptr;
    QLabel* ProgressLabel = nullptr;
    StringGrid* ProgressGrid = nullptr;
    QLabel* PanelRead = nullptr;
    QLabel* PanelSave = nullptr;
    QLabel* PanelWait = nullptr;
    QLabel* PanelWarning = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void buildToolBar();
    void buildMenu();
    void buildPanels();
    void layoutPanels();
    void placeProgressPanel();
    void setButtonStates();
    void fillInstallationGrid(bool force);
    void fillGeneralGrid(bool force);
    void clearStaleResults();

    // The bodies of the long commands; the public handlers guard them against re-entry.
    void openDatafile();
    void saveDatafile();
    void solve();
    void editBlocks();
    // Runs a command unless another one is still working.
    void runCommand(const std::function<void()>& command);

    Application& app_;
    QWidget* surface_ = nullptr;
    bool painting_ = false;
};

// Shows a panel and paints it before the work that it announces starts.
void showPanelNow(QWidget* panel);

} // namespace velkor
