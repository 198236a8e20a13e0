// The block editor: main nodes and triangular blocks drawn with the mouse. Every paint turns the
// blocks into the element mesh again, so while this window is in use the mesh is the blocks.
#pragma once

#include "editors/editor_state.h"
#include "editors/editor_tools.h"
#include "editors/view_mapping.h"
#include "ui/secondary_window.h"

class QLabel;
class QLineEdit;
class QToolButton;

namespace velkor {

class CoordinatePanel;

class TFormEdit : public SecondaryWindow {
    Q_OBJECT
  public:
    explicit TFormEdit(Application& app);

    // Sized from the screen, every mode off, panel and label hidden: at creation and every time
    // the window is shown.
    void FormActivate();
    // Leaving the block editor turns the blocks into the element mesh again and makes the
    // results stale; the main window then shows the new counts.
    void FormClose() override;

    void SpeedButtonDragClick();
    void SpeedButtonNodeClick();
    void SpeedButtonLineClick();
    void SpeedButtonHelpClick();
    void EditXExit();
    void EditYExit();
    // Mouse events at a point of the window; the world point is clamped onto the area.
    void FormMouseDown(QPoint point);
    void FormMouseMove(QPoint point);
    void FormMouseUp(QPoint point);

    // The mapping of the window's present size.
    ViewMapping viewMapping() const;

    QWidget* PanelNew = nullptr;
    QToolButton* SpeedButtonDrag = nullptr;
    QToolButton* SpeedButtonNode = nullptr;
    QToolButton* SpeedButtonLine = nullptr;
    QToolButton* SpeedButtonHelp = nullptr;
    QLabel* LabelOperation = nullptr;
    CoordinatePanel* PanelXY = nullptr;
    QLineEdit* EditX = nullptr;
    QLineEdit* EditY = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    EditorTool& activeTool();
    // After every event: the display shown, the document told, the picture drawn again, the
    // message shown.
    void apply(const ToolResponse& response);
    void showDisplay();
    // The mesh reset that precedes every drawing of the blocks.
    void resetMeshForDrawing();
    void documentChanged(Change what);

    EditorState& state_;
    EditorDisplay display_;
    EditorTool idleTool_;
    DragNodeTool dragTool_;
    NewNodeTool newNodeTool_;
    NewLineTool lineTool_;
};

} // namespace velkor
