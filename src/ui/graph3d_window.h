// The oblique three-dimensional view of the groundwater head, with the pathlines.
#pragma once

#include "ui/plot_window.h"

namespace velkor {

class TForm3D : public PlotWindow {
    Q_OBJECT
  public:
    explicit TForm3D(Application& app);

    void SpeedButtonHelpClick();

    // The lime panel whose caption is the contour legend of the last graph with contours.
    QLabel* const Panel3D;

  protected:
    Drawing plotDrawing() override;
    const char* pictureSuffix() const override { return "3d"; }
};

} // namespace velkor
