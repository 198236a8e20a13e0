#include "results/three_d_graph.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "model/table.h"
#include "results/contour_levels.h"
#include "results/element_locator.h"

namespace velkor {

namespace {

// Extents, A, P, Zr, h and, for a drawing area of dw by dh, s, e, x0, x1, y0, y1.
void fillGeometry(const Problem& problem, double angleDegrees, GraphView& view) {
    const double pi = 4 * std::atan(1.0);
    const double theta = angleDegrees * pi / 180;
    view.cosTheta = std::cos(theta);
    view.sinTheta = std::sin(theta);
    const int32_t count = problem.usedNodeCount();
    if (count == 0) return;
    const Node& first = problem.nodes[0];
    view.xmin = view.xmax = first.X;
    view.ymin = view.ymax = first.Y;
    view.zmin = view.zmax = first.F;
    for (int32_t i = 0; i < count; ++i) {
        const Node& node = problem.nodes[idx(i)];
        if (node.X < view.xmin) view.xmin = node.X;
        if (node.X > view.xmax) view.xmax = node.X;
        if (node.Y < view.ymin) view.ymin = node.Y;
        if (node.Y > view.ymax) view.ymax = node.Y;
        for (const double z : {node.F, node.B, node.T}) {
            if (z < view.zmin) view.zmin = z;
            if (z > view.zmax) view.zmax = z;
        }
    }
    view.A = (view.xmax - view.xmin) + (view.ymax - view.ymin) * view.cosTheta;
    view.P = (view.ymax - view.ymin) * view.sinTheta;
    view.Zr = view.zmax - view.zmin;
    view.h = 0.1 * std::sqrt((view.A * view.A + view.P * view.P) / count);

    // A direction without extent does not limit the scale.
    const double infinite = std::numeric_limits<double>::infinity();
    const double sx = view.A != 0 ? view.dw / view.A : infinite;
    const double sy = view.P != 0 ? view.dh / (2 * view.P) : infinite;
    view.s = sx < sy ? sx : sy;
    view.valid = std::isfinite(view.s) && view.s > 0;
    if (!view.valid) return;
    // With all elevations equal there is nothing to stretch.
    view.e = view.Zr != 0 ? (view.dh / view.s - view.P) / view.Zr : 0;
    if (!std::isfinite(view.e)) view.e = 0;
    view.x0 = view.xmin - (view.dw / view.s - view.A) * 0.5;
    view.x1 = view.x0 + view.A;
    const double depth = (view.ymax - view.ymin) * view.sinTheta + view.Zr * view.e;
    view.y0 = view.ymin - ((view.Zr * view.e + view.P) - depth) * 0.5;
    view.y1 = view.y0 + depth;
    view.valid =
        std::isfinite(view.x0) && std::isfinite(view.y0) && std::isfinite(view.x1) && std::isfinite(view.y1);
}

class GraphPathlines : public TrackConsumer {
  public:
    GraphPathlines(Canvas& canvas, const GraphView& view, int markHalf)
        : canvas_(canvas), view_(view), half_(markHalf) {}

    void segment(int32_t, const TrackPoint& from, const TrackPoint& to) override {
        CanvasPoint a, b;
        if (view_.map(from.x, from.y, from.z, a) && view_.map(to.x, to.y, to.z, b))
            canvas_.line(a.x, a.y, b.x, b.y);
    }
    void mark(int32_t, const TrackPoint& at) override {
        CanvasPoint p;
        if (view_.map(at.x, at.y, at.z, p)) drawMark(canvas_, p.x, p.y, half_);
    }

  private:
    Canvas& canvas_;
    const GraphView& view_;
    int half_;
};

enum class Surface { Bottom, Top, Water };

void drawSurface(const Problem& problem, Canvas& canvas, const GraphView& view, Surface surface,
                 DrawingStop& stop) {
    const int32_t elements = problem.usedElementCount();
    for (int32_t m = 0; m < elements; ++m) {
        if (stop(m)) return;
        if (!elementNodesUsable(problem, m)) continue;
        const Element& e = problem.elements[idx(m)];
        CanvasPoint corner[3];
        bool drawable = true;
        for (int k = 0; k < 3; ++k) {
            const Node& node = problem.nodes[idx(e.node[k])];
            const double z = surface == Surface::Bottom ? node.B : surface == Surface::Top ? node.T : node.F;
            drawable = drawable && view.map(node.X, node.Y, z, corner[k]);
        }
        if (drawable) canvas.polygon(corner[0], corner[1], corner[2]);
    }
}

// Each well as a vertical line from the lower of head and top down to the bottom.
void drawWells(const Problem& problem, Canvas& canvas, const GraphView& view) {
    const int32_t wells = problem.usedWellCount(), nodes = problem.usedNodeCount();
    for (int32_t i = 0; i < wells; ++i) {
        const int32_t index = problem.wellNodes[idx(i)];
        if (index < 0 || index >= nodes) continue;
        const Node& node = problem.nodes[idx(index)];
        const double upper = node.F < node.T ? node.F : node.T;
        CanvasPoint a, b;
        if (view.map(node.X, node.Y, upper, a) && view.map(node.X, node.Y, node.B, b))
            canvas.line(a.x, a.y, b.x, b.y);
    }
}

// Contours on the water table, level by level (rising) and within a level element by element, the
// crossings interpolated between the unrounded canvas images of the corners. Only the elements a
// level crosses are visited: they are sorted by level first.
void drawContours(const Problem& problem, Canvas& canvas, const GraphView& view, const ContourLevels& levels,
                  DrawingStop& stop) {
    const int32_t elements = problem.usedElementCount();
    const std::size_t levelCount = levels.levels.size();
    if (levelCount == 0) return;
    std::vector<int32_t> start(levelCount + 1, 0);
    const auto rangeOf = [&](int32_t m, std::size_t& first, std::size_t& last) {
        first = last = 0;
        if (!elementNodesUsable(problem, m)) return;
        const Element& e = problem.elements[idx(m)];
        double f[3];
        for (int k = 0; k < 3; ++k)
            f[k] = problem.nodes[idx(e.node[k])].F;
        crossingLevelRange(levels.levels, f, first, last);
    };
    std::size_t first = 0, last = 0;
    for (int32_t m = 0; m < elements; ++m) {
        if (stop(m)) return;
        rangeOf(m, first, last);
        for (std::size_t k = first; k < last; ++k)
            ++start[k + 1];
    }
    for (std::size_t k = 0; k < levelCount; ++k)
        start[k + 1] += start[k];
    std::vector<int32_t> byLevel(idx(start[levelCount]));
    std::vector<int32_t> fill(start.begin(), start.end() - 1);
    for (int32_t m = 0; m < elements; ++m) {
        rangeOf(m, first, last);
        for (std::size_t k = first; k < last; ++k)
            byLevel[idx(fill[k]++)] = m;
    }

    for (std::size_t k = 0; k < levelCount; ++k) {
        const double level = levels.levels[k];
        for (int32_t i = start[k]; i < start[k + 1]; ++i) {
            if (stop(i)) return;
            const Element& e = problem.elements[idx(byLevel[idx(i)])];
            double u[3], v[3], f[3];
            for (int c = 0; c < 3; ++c) {
                const Node& node = problem.nodes[idx(e.node[c])];
                view.project(node.X, node.Y, node.F, u[c], v[c]);
                f[c] = node.F;
            }
            ContourSegment segment;
            if (!contourSegment(u, v, f, level, segment)) continue;
            int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
            if (toCanvasUnit(segment.x1, x1) && toCanvasUnit(segment.y1, y1) &&
                toCanvasUnit(segment.x2, x2) && toCanvasUnit(segment.y2, y2))
                canvas.line(x1, y1, x2, y2);
        }
    }
}

// Frame, surfaces, wells, contours and pathlines (screen drawing steps 1 to 6).
void drawGraph(const Problem& problem, Canvas& canvas, const GraphView& view, const GraphChoices& choices,
               int markHalf, const PlotCallbacks& callbacks, bool announceLegend, PlotReport& report) {
    canvas.setPenColour(kBlack);
    canvas.setBrush(kWhite);
    if (!view.valid) {
        // No scale: the drawing area alone, and the legend when contours are asked for.
        if (view.dw > 0 && view.dh > 0)
            canvas.rectangle(view.left, view.bottom - view.dh, view.left + view.dw, view.bottom);
        if (choices.CheckCont) {
            report.legend = computeContourLevels(problem).legend;
            report.contoursDrawn = true;
            if (announceLegend && callbacks.legendReady) callbacks.legendReady(report.legend);
        }
        return;
    }
    int left = 0, right = 0, bottom = 0, top = 0;
    if (toCanvasUnit(view.left - view.s * view.x0, left) &&
        toCanvasUnit((view.x1 - 2 * view.x0) * view.s + view.left, right) &&
        toCanvasUnit(view.bottom + view.s * view.y0, bottom) &&
        toCanvasUnit(view.bottom - (view.y1 - 2 * view.y0) * view.s, top))
        canvas.rectangle(left - 4, top - 4, right + 5, bottom + 5);

    DrawingStop stop(callbacks.feedback);

    if (choices.CheckBottom) {
        canvas.setPenColour(kLime);
        drawSurface(problem, canvas, view, Surface::Bottom, stop);
    }
    if (choices.CheckTop) {
        canvas.setPenColour(kYellow);
        drawSurface(problem, canvas, view, Surface::Top, stop);
    }
    if (choices.CheckWater) {
        canvas.setPenColour(kAqua);
        drawSurface(problem, canvas, view, Surface::Water, stop);
        canvas.setPenColour(kRed);
        drawWells(problem, canvas, view);
    }
    if (choices.CheckCont) {
        canvas.setPenColour(kRed);
        const ContourLevels levels = computeContourLevels(problem);
        report.legend = levels.legend;
        report.contoursDrawn = true;
        if (announceLegend && callbacks.legendReady) callbacks.legendReady(levels.legend);
        drawWells(problem, canvas, view);
        drawContours(problem, canvas, view, levels, stop);
    }
    if (problem.NP > 0 && !stop.now()) {
        canvas.setPenColour(kBlue);
        GraphPathlines pathlines(canvas, view, markHalf);
        drawPathlines(problem, view.h, pathlines, callbacks, report);
    }
    if (stop.stopped() || report.track.result.outcome == Outcome::Cancelled)
        report.result.outcome = Outcome::Cancelled;
}

} // namespace

void GraphView::project(double x, double y, double z, double& column, double& row) const {
    const double u = (x - x0) + (y - y0) * cosTheta;
    const double v = (z - zmin) * e + (y - y0) * sinTheta;
    column = u * s + left;
    row = bottom - v * s;
}

bool GraphView::map(double x, double y, double z, CanvasPoint& point) const {
    double column = 0, row = 0;
    project(x, y, z, column, row);
    return toCanvasUnit(column, point.x) && toCanvasUnit(row, point.y);
}

GraphView screenGraphView(const Problem& problem, double angleDegrees, int clientWidth, int clientHeight) {
    GraphView view;
    const int width = clientWidth - 1, height = clientHeight - 1;
    const int mx = width / 20, my = height / 20;
    view.dw = width - 2 * mx;
    view.dh = height - my - 25;
    view.left = mx;
    view.bottom = height - 25;
    fillGeometry(problem, angleDegrees, view);
    return view;
}

GraphView printedGraphView(const Problem& problem, double angleDegrees, int pageWidth, int pageHeight,
                           double scaleFactor) {
    GraphView view;
    const int wp = truncToInt(pageWidth * scaleFactor), hp = truncToInt(pageHeight * scaleFactor);
    const int ox = (pageWidth - wp) / 2, oy = (pageHeight - hp) / 2;
    const int mx = wp / 16, my = hp / 16;
    view.dw = wp - 2 * mx;
    view.dh = hp - 2 * my;
    view.left = ox + mx;
    view.bottom = oy + my + view.dh;
    fillGeometry(problem, angleDegrees, view);
    return view;
}

PlotReport draw3DGraph(const Problem& problem, Canvas& canvas, int clientWidth, int clientHeight,
                       const GraphChoices& choices, const PlotCallbacks& callbacks) {
    PlotReport report;
    const GraphView view = screenGraphView(problem, choices.angleDegrees, clientWidth, clientHeight);
    report.geometry = view.valid;
    drawGraph(problem, canvas, view, choices, 1, callbacks, true, report);
    canvas.setPenColour(kBlack);
    return report;
}

PlotReport print3DPage(const Problem& problem, PageSink& sink, int& pageCounter, int leftMargin,
                       const GraphChoices& choices, double scaleFactor, const PlotCallbacks& callbacks) {
    PlotReport report;
    Canvas& canvas = sink.canvas();
    const int pageWidth = sink.pageWidth(), pageHeight = sink.pageHeight();
    canvas.setFont(FontNormal);
    if (pageCounter > 1) sink.newPage();
    drawGraphPageHeader(canvas, pageCounter, leftMargin, pageWidth, problem.problemName,
                        problem.NP <= 0
                            ? "Three Dimensional Graph of Groundwater Head"
                            : "Three Dimensional Graph of Groundwater Head and Pathlines of Particles");
    ++pageCounter;
    const int lineHeight = canvas.textHeight("W");
    const int legendRow = 7 * lineHeight;
    const int markHalf = canvas.textHeight("W") / 12;

    const GraphView view =
        printedGraphView(problem, choices.angleDegrees, pageWidth, pageHeight, scaleFactor);
    report.geometry = view.valid;
    drawGraph(problem, canvas, view, choices, markHalf, callbacks, false, report);

    canvas.setPenColour(kBlack);
    canvas.setFont(FontBold);
    if (report.contoursDrawn) canvas.text(leftMargin, legendRow, report.legend);
    return report;
}

} // namespace velkor
