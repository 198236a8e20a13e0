// The contour plot: the mesh in plan, contours of the head and the pathlines of the particles, for
// the contour window (a client area of given size) and for the printed contour page.
#pragma once

#include <cstdint>

#include "model/problem.h"
#include "results/canvas.h"
#include "results/graph_page.h"

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
};

// Tracking length of the plan: 0.1 x sqrt((dx^2 + dy^2) / NN), from the truncated extents.
double planTrackingLength(const Problem& problem);

PlanView screenPlanView(const Problem& problem, int clientWidth, int clientHeight);
PlanView printedPlanView(const Problem& problem, int pageWidth, int pageHeight, double scaleFactor);

// The screen plot: frame, mesh, contours, pathlines with marks. The legend goes to the callback
// (and into the report) before the contours are drawn.
PlotReport drawContourPlot(const Problem& problem, Canvas& canvas, int clientWidth, int clientHeight,
                           const PlotCallbacks& callbacks = {});

// The printed contour page on the sink's present page (a new page first when pageCounter > 1):
// header, mesh, contours, pathlines, legend. Adds 1 to pageCounter.
PlotReport printContourPage(const Problem& problem, PageSink& sink, int& pageCounter, int leftMargin,
                            double scaleFactor, const PlotCallbacks& callbacks = {});

} // namespace velkor
