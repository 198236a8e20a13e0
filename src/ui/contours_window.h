// The contour plot of the groundwater head, with the particle pathlines.
#pragma once

#include "ui/plot_window.h"

namespace velkor {

class TFormContours : public PlotWindow {
    Q_OBJECT
  public:
    explicit TFormContours(Application& app);

    void SpeedButtonHelpClick();

    // The lime panel whose caption is the contour legend.
    QLabel* const PanelContours;

  protected:
    Drawing plotDrawing() const override;
    const char* pictureSuffix() const override { return "contours"; }
};

} // namespace velkor
