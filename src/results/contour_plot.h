// The contour plot: the mesh in plan, contours of the head and the pathlines of the particles, for
// the contour window (a client area of given size) and for the printed contour page.
#pragma once

#include <cstdint>

#include "model/problem.h"
#include "results/canvas.h"
#include "results/contour_labels.h"
#include "results/contour_levels.h"
#include "results/graph_page.h"
#include "results/plan_index.h"
#include "results/zoom_view.h"

namespace velkor {

// Geometry of one plan drawing. On screen the view origin is whole metres; on paper it is not.
struct PlanView {
    bool valid = false; // a finite positive scale exists (nodes with extent, room to draw)
    int32_t xmin = 0, xmax = 0, ymin = 0, ymax = 0; // node extents, truncated toward zero
    double dx = 0, dy = 0;                          // xmax - xmin, ymax - ymin
    double h = 0;                                   // tracking length handed to the tracker
    double s = 0;                                   // canvas units per metre
    double x0 = 0, y0 = 0;                          // model point at the left and bottom edge
    double x1 = 0, y1 = 0;                          // screen: x0 + dx, y0 + dy truncated
    int mx = 0, my = 0, dw = 0, dh = 0;             // margins and drawing area
    int ox = 0, oy = 0;                             // page offsets (0 on screen)
    int bottom = 0;                                 // canvas row of y0

    // Canvas position of a model point; false when it cannot be drawn.
    bool map(double x, double y, CanvasPoint& point) const;

    // The mapping as a plan scale, the drawing area it fills, and this view moved to show another
    // plan scale (a zoomed view) in the same drawing area.
    PlanScale planScale() const;
    CanvasArea drawingArea() const;
    PlanView zoomedTo(const PlanScale& view) const;
};

// What a plan picture shows beyond the plan itself. The defaults draw the plan alone, at its full
// view. Wherever element sides would stand closer than kDenseElement canvas units, the elements
// are drawn without their sides and the blocks they fill are outlined instead.
struct PlanOptions {
    const PlanScale* view = nullptr; // a zoomed view (screen plot only); nullptr: the full view
    bool meshLines = true;           // false: no element sides at all, only the block outlines
    bool labelContours = false;      // the head on the contour lines
    bool scaleBar = false;           // a metre scale at the lower left of the drawing area
    // Runs of the present mesh, when the caller keeps them: a zoomed view then looks only at the
    // elements near the canvas (the picture is the same).
    const ElementRuns* runs = nullptr;
    // The full view of this canvas size and the contour levels, when the caller keeps them for
    // the problem as it is (each costs a pass over the nodes).
    const PlanView* fullView = nullptr;
    const ContourLevels* levels = nullptr;
};

// An element whose corners lie within this many canvas units of each other, in both directions,
// is too small for its sides to be told apart.
inline constexpr int kDenseElement = 3;

// Tracking length of the plan: 0.1 x sqrt((dx^2 + dy^2) / NN), from the truncated extents.
double planTrackingLength(const Problem& problem);

PlanView screenPlanView(const Problem& problem, int clientWidth, int clientHeight);
PlanView printedPlanView(const Problem& problem, int pageWidth, int pageHeight, double scaleFactor);

// The screen plot: frame, mesh, contours, pathlines with marks. The legend goes to the callback
// (and into the report) before the contours are drawn.
PlotReport drawContourPlot(const Problem& problem, Canvas& canvas, int clientWidth, int clientHeight,
                           const PlotCallbacks& callbacks = {}, const PlanOptions& options = {});

// The printed contour page on the sink's present page (a new page first when pageCounter > 1):
// header, mesh, contours, pathlines, legend. Adds 1 to pageCounter.
PlotReport printContourPage(const Problem& problem, PageSink& sink, int& pageCounter, int leftMargin,
                            double scaleFactor, const PlotCallbacks& callbacks = {},
                            const PlanOptions& options = {});

// A metre scale at the lower left of area: a bar of a round length (1, 2 or 5 times a power of
// ten metres) near a fifth of the area's width at s canvas units per metre, with its ends ticked
// and "0" and the length written above them. Draws nothing where no such bar fits. Returns the
// box it took (empty when it drew nothing).
CanvasArea drawScaleBar(Canvas& canvas, double s, const CanvasArea& area);

} // namespace velkor
