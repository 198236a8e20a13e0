// The options window: print choices, graphics scale, 3D-graph choices, the preconditioner and the
// fast solver. It computes nothing; the solve command, the print command and the 3D graph read the
// settings (app.options, and the problem's preconditioner flag) when they run.
#pragma once

#include "model/changes.h"
#include "ui/secondary_window.h"

class QCheckBox;
class QFrame;
class QLabel;
class QSlider;
class QToolButton;

namespace velkor {

class TFormOpt : public SecondaryWindow {
    Q_OBJECT
  public:
    explicit TFormOpt(Application& app);

    void FormCreate();
    // Sets the solver's preconditioner flag to the box's new state; nothing else changes it.
    void CheckPreconditionerClick();
    void SpeedButtonHelpClick();

    QWidget* ToolStrip = nullptr;
    QToolButton* SpeedButtonHelp = nullptr;
    QFrame* PanelSolution = nullptr;
    QFrame* PanelPrint = nullptr;
    QFrame* Panel3D = nullptr;
    QCheckBox* CheckPreconditioner = nullptr;
    QCheckBox* CheckFastSolver = nullptr;
    QCheckBox* CheckGeneral = nullptr;
    QCheckBox* CheckNodes = nullptr;
    QCheckBox* CheckElements = nullptr;
    QCheckBox* CheckMesh = nullptr;
    QCheckBox* CheckContours = nullptr;
    QCheckBox* Check3D = nullptr;
    QCheckBox* CheckBudget = nullptr;
    QSlider* GraphScale = nullptr;
    QLabel* LabelGraphScale = nullptr;
    QCheckBox* CheckWater = nullptr;
    QCheckBox* CheckCont = nullptr;
    QCheckBox* CheckBottom = nullptr;
    QCheckBox* CheckTop = nullptr;
    QSlider* AngleScale = nullptr;
    QLabel* LabelAngleScale = nullptr;
    QFrame* PanelPlot = nullptr;
    QCheckBox* CheckLabelContours = nullptr;
    QCheckBox* CheckScaleBar = nullptr;

    // The choices wait while a long run holds the problem (a report being printed reads them).
    void problemHeld(bool held) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void buildControls();
    // The controls show the settings as they are.
    void showSettings();
    // A control changed: its setting follows and the readers hear of it.
    void storeSettings();
    void documentChanged(Change what);

    bool storing_ = false;
    bool placedWithFrame_ = false; // placed once the frame of the desktop was known
};

} // namespace velkor
