// The contour plot of the groundwater head, with the particle pathlines. The plan can be zoomed
// and panned; the panel shows the world point under the mouse with the head there.
#pragma once

#include "editors/view_navigation.h"
#include "results/contour_plot.h"
#include "results/zoom_view.h"
#include "ui/plot_window.h"

class QCheckBox;
class QRubberBand;

namespace velkor {

class TFormContours : public PlotWindow {
    Q_OBJECT
  public:
    explicit TFormContours(Application& app);

    void SpeedButtonHelpClick();
    // The full view again (as Home does).
    void SpeedButtonFitClick();

    // The mapping from the world to the window's canvas for the present size and view.
    PlanScale viewScale();
    const ZoomView& zoomView() const { return zoom_; }

    // The lime panel whose caption is the contour legend.
    QLabel* const PanelContours;
    QToolButton* SpeedButtonFit = nullptr;
    // The element sides shown or not (the blocks stay outlined); a choice of the view only.
    QCheckBox* CheckMeshLines = nullptr;
    // The world point under the mouse, the head there and the element that holds it.
    QLabel* LabelCursor = nullptr;

  protected:
    Drawing plotDrawing() override;
    // The cursor position needs the element locator: a drawing builds it, beside the window.
    bool wantsLocator() const override { return true; }
    const char* pictureSuffix() const override { return "contours"; }
    bool previewTransform(QTransform& transform) const override;

    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    // The full view of the present size (kept until the size or the plan changes).
    const PlanView& fullView();
    void applyNavigation(const NavigationResponse& response);
    void showCursorPosition(QPointF point);
    void documentChanged(Change what);
    void placePanelControls();

    ZoomView zoom_;
    ViewNavigation navigation_{zoom_, true};
    QRubberBand* zoomBox_ = nullptr;
    PlanView fullView_;
    QSize fullViewSize_;
    uint64_t fullViewGeneration_ = ~uint64_t{0};
    // What the picture on the screen was drawn with.
    PlanScale pictureScale_;
    bool pictureScaled_ = false;
    PlanOptions drawnOptions_;
    ContourLevels levels_; // of the problem as it is
    uint64_t levelsGeneration_ = ~uint64_t{0};
    int32_t lastElement_ = 0; // where the search of the next cursor position starts
};

} // namespace velkor
