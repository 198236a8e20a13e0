// The mesh editor: the element mesh drawn in plan, refined by Split 4, Split 2 and Add Well.
#pragma once

#include <QImage>

#include <functional>

#include "editors/editor_state.h"
#include "editors/editor_tools.h"
#include "editors/view_mapping.h"
#include "ui/secondary_window.h"

class QLabel;
class QLineEdit;
class QToolButton;

namespace velkor {

class CoordinatePanel;

class TFormMesh : public SecondaryWindow {
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
    void SpeedButtonSplit2Click();
    void SpeedButtonSplit4Click();
    void SpeedButtonHelpClick();
    void EditXExit();
    void EditYExit();
    // Mouse events at a point of the window; the world point is not clamped.
    void FormMouseDown(QPoint point);
    void FormMouseMove(QPoint point);

    // The mapping of the window's present size.
    ViewMapping viewMapping() const;
    bool splitRunning() const { return splitting_; }
    // How often the mesh has been drawn: the picture is kept and drawn again only when the mesh,
    // the area or the window's size has changed.
    int meshDrawings() const { return meshDrawings_; }
    // Called whenever the status label has been repainted while a pass runs (tests, screenshots).
    std::function<void()> onSplitProgress;

    QWidget* PanelMesh = nullptr;
    QToolButton* SpeedButtonNode = nullptr;
    QToolButton* SpeedButtonSplit2 = nullptr;
    QToolButton* SpeedButtonSplit4 = nullptr;
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

  private:
    void split(bool intoFour);
    void apply(const ToolResponse& response);
    void showDisplay();
    void documentChanged(Change what);
    void drawPicture();

    EditorState& state_;
    EditorDisplay display_;
    AddWellTool addWellTool_;
    QImage picture_;
    bool pictureStale_ = true;
    int meshDrawings_ = 0;
    bool splitting_ = false;
    bool closeAfterSplit_ = false;
};

} // namespace velkor
