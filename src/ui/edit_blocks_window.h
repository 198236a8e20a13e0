// The block editor: main nodes and triangular blocks drawn with the mouse. It works on the blocks
// alone: the Edit Blocks command rebuilds the mesh from the blocks before it shows the window, and
// every change made here keeps the mesh the blocks. Each change is a step that Undo takes back.
#pragma once

#include "editors/editor_tools.h"
#include "ui/editor_window.h"

namespace velkor {

class TFormEdit : public EditorWindow {
    Q_OBJECT
  public:
    explicit TFormEdit(Application& app);

    // Sized from the screen, every mode off, panel and label hidden: at creation and every time
    // the window is shown.
    void FormActivate();
    // Leaving the block editor: the mesh is the blocks already, nothing is left to do to it.
    void FormClose() override;

    void SpeedButtonDragClick();
    void SpeedButtonNodeClick();
    void SpeedButtonLineClick();
    // Mouse events at a point of the window; the world point is clamped onto the area.
    // While a long run holds the problem the blocks only show.
    void problemHeld(bool held) override;
    void FormMouseDown(QPoint point);
    void FormMouseMove(QPoint point);
    void FormMouseUp(QPoint point);

    QWidget* PanelNew = nullptr;
    QToolButton* SpeedButtonDrag = nullptr;
    QToolButton* SpeedButtonNode = nullptr;
    QToolButton* SpeedButtonLine = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    EditorTool& boxTool() override { return activeTool(); }
    void showModeButtons() override;

  private:
    EditorTool& activeTool();
    void documentChanged(Change what);

    EditorTool idleTool_;
    DragNodeTool dragTool_;
    NewNodeTool newNodeTool_;
    NewLineTool lineTool_;
};

} // namespace velkor
