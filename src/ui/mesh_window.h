// The mesh editor: the element mesh drawn in plan, refined by Split 4, Split 2 and Add Well, and
// the nodes of an area set at once by Set Nodes.
#pragma once

#include <QImage>

#include <functional>

#include "editors/editor_tools.h"
#include "model/feedback.h"
#include "ui/editor_window.h"

class QCheckBox;
class QPushButton;

namespace velkor {

class TFormMesh : public EditorWindow {
    Q_OBJECT
  public:
    explicit TFormMesh(Application& app);

    // Add Well off, panel and label hidden, the Add Well and Split 4 buttons up: at creation and
    // every time the window is shown.
    void FormActivate();
    // The counts become the restore point and the main window shows them. While a Split pass
    // runs the window stays: it closes when the pass has ended, so that the mesh it leaves is
    // always a whole pass.
    void FormClose() override;

    void SpeedButtonNodeClick();
    // A pass runs on a worker thread; the window, the mesh as it was and the counts of the pass stay
    // on the screen, with Cancel (and Escape), which leaves the mesh as it was.
    void SpeedButtonSplit2Click();
    void SpeedButtonSplit4Click();
    void SpeedButtonSetNodesClick();
    void ButtonCancelClick();
    // Mouse events at a point of the window; the world point is not clamped.
    void FormMouseDown(QPoint point);
    void FormMouseMove(QPoint point);
    void FormMouseUp(QPoint point);
    void FormDblClick(QPoint point);
    // Enter ends the line of Set Nodes, Escape drops it.
    void FormKeyDown(int key);

    // How often the mesh has been drawn: the picture is kept and drawn again only when the mesh,
    // the area or the window's size has changed.
    int meshDrawings() const { return meshDrawings_; }
    // Called whenever the status label has been repainted while a pass runs (tests, screenshots).
    std::function<void()> onSplitProgress;

    QWidget* PanelMesh = nullptr;
    QToolButton* SpeedButtonNode = nullptr;
    QToolButton* SpeedButtonSplit2 = nullptr;
    QToolButton* SpeedButtonSplit4 = nullptr;
    // The element sides shown or not (the blocks stay outlined); a choice of the view only.
    QCheckBox* CheckMeshLines = nullptr;
    QToolButton* SpeedButtonSetNodes = nullptr;
    // Shown while a pass runs.
    QPushButton* ButtonCancel = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void viewChanged() override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    EditorTool& boxTool() override { return addWellTool_; }
    void showModeButtons() override;
    // While a long run works on the problem the mesh only shows: no well, no other pass.
    void problemHeld(bool held) override;

  private:
    void split(bool intoFour);
    struct SplitWork;
    void showSplitProgress(const Progress& progress);
    void splitEnded(SplitWork& work, bool intoFour);

    void documentChanged(Change what);
    void drawPicture();
    // A Set Nodes event: shown, and when its pick is complete the caught nodes are set.
    void applySetNodes(const ToolResponse& response);
    // The caught nodes highlighted, the settings asked for and written as one step.
    void setCaughtNodes();

    AddWellTool addWellTool_;
    SetNodesTool setNodesTool_;
    QImage picture_;
    bool pictureStale_ = true;
    int meshDrawings_ = 0;
    bool splitting_ = false;
    bool closeAfterSplit_ = false;
};

} // namespace velkor
