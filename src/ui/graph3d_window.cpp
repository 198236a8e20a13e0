#include "ui/graph3d_window.h"

#include <QToolButton>

#include "results/three_d_graph.h"
#include "ui/application.h"

namespace velkor {

TForm3D::TForm3D(Application& app)
    // The graph reads the whole problem except its file name, and its four choices and the angle.
    : PlotWindow(app, WindowId::Graph3D, "3D-Graph",
                 Change::Counts | Change::Mesh | Change::NodeValues | Change::Soils | Change::Wells |
                     Change::Particles | Change::Results | Change::GeneralData | Change::Options),
      Panel3D(panel()) {
    connect(SpeedButtonHelp, &QToolButton::clicked, this, &TForm3D::SpeedButtonHelpClick);
    FormCreate();
}

void TForm3D::SpeedButtonHelpClick() {
    app_.dialogs.help("3D-Graph\n\n"
                      "This window shows a 3D-graph of the groundwater head.\n\n"
                      "The figure may show the groundwater table, contours of the groundwater head, "
                      "the bottom of the aquifer and the top of the aquifer, depending on the values "
                      "of parameters set in the OPTIONS window.  If NP>0 the pathlines of particles "
                      "will be traced.");
}

PlotWindow::Drawing TForm3D::plotDrawing() {
    // The options are read when a drawing starts: a change in the options window shows at the next.
    return [choices = app_.options.graphChoices()](const Problem& problem, Canvas& canvas, int width,
                                                   int height, const PlotCallbacks& callbacks) {
        return draw3DGraph(problem, canvas, width, height, choices, callbacks);
    };
}

} // namespace velkor
