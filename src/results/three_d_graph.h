// The three-dimensional graph: an oblique parallel projection of the bottom, the top and the
// groundwater table as meshes of white triangles painted in a fixed order (no hidden lines), the
// wells, the head contours on the water table and the pathlines, on screen and on paper.
#pragma once

#include "model/problem.h"
#include "results/canvas.h"
#include "results/graph_page.h"
#include "results/plot_options.h"

namespace velkor {

// Geometry of one 3D drawing. A model point (x, y, z) goes to u = (x - x0) + (y - y0) cos(theta),
// v = (z - zmin) e + (y - y0) sin(theta); column = trunc(u s + left), row = trunc(bottom - v s).
struct GraphView {
    bool valid = false; // a finite positive scale exists
    double cosTheta = 0, sinTheta = 0;
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0, zmin = 0, zmax = 0;
    double A = 0;  // projected width
    double P = 0;  // projected depth of the plan
    double Zr = 0; // elevation range
    double h = 0;  // tracking length
    double s = 0;  // canvas units per metre
    double e = 0;  // vertical exaggeration (0 when all elevations are equal)
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    int dw = 0, dh = 0;
    int left = 0, bottom = 0; // left edge and bottom line of the drawing area

    // Unrounded canvas position of a model point.
    void project(double x, double y, double z, double& column, double& row) const;
    // Truncated canvas position; false when it cannot be drawn.
    bool map(double x, double y, double z, CanvasPoint& point) const;
};

GraphView screenGraphView(const Problem& problem, double angleDegrees, int clientWidth, int clientHeight);
GraphView printedGraphView(const Problem& problem, double angleDegrees, int pageWidth, int pageHeight,
                           double scaleFactor);

// The screen graph. The legend goes to the callback only when contours are drawn.
PlotReport draw3DGraph(const Problem& problem, Canvas& canvas, int clientWidth, int clientHeight,
                       const GraphChoices& choices, const PlotCallbacks& callbacks = {});

// The printed 3D page (a new page first when pageCounter > 1): header, frame, surfaces, wells,
// contours, pathlines, and the legend when contours were drawn. Adds 1 to pageCounter.
PlotReport print3DPage(const Problem& problem, PageSink& sink, int& pageCounter, int leftMargin,
                       const GraphChoices& choices, double scaleFactor, const PlotCallbacks& callbacks = {});

} // namespace velkor
