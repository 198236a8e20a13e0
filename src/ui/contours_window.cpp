#include "ui/contours_window.h"

#include <QToolButton>

#include "results/contour_plot.h"
#include "ui/application.h"

namespace velkor {

TFormContours::TFormContours(Application& app)
    // The plan reads the whole problem except its file name; it reads no option.
    : PlotWindow(app, WindowId::Contours, "Contours",
                 Change::Counts | Change::Mesh | Change::NodeValues | Change::Soils | Change::Wells |
                     Change::Particles | Change::Results | Change::GeneralData),
      PanelContours(panel()) {
    connect(SpeedButtonHelp, &QToolButton::clicked, this, &TFormContours::SpeedButtonHelpClick);
    FormCreate();
}

void TFormContours::SpeedButtonHelpClick() {
    app_.dialogs.help("Contours\n\n"
                      "This window shows the contours of the groundwater head, and pathlines "
                      "of the particles, if NP > 0.");
}

PlotWindow::Drawing TFormContours::plotDrawing() const {
    return [](const Problem& problem, Canvas& canvas, int width, int height, const PlotCallbacks& callbacks) {
        return drawContourPlot(problem, canvas, width, height, callbacks);
    };
}

} // namespace velkor
