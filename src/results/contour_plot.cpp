#include "results/contour_plot.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "results/contour_levels.h"
#include "results/element_locator.h"

namespace velkor {

namespace {

struct Extents {
    bool any = false;
    int32_t xmin = 0, xmax = 0, ymin = 0, ymax = 0;
};

Extents nodeExtents(const Problem& problem) {
    Extents ext;
    const int32_t count = problem.usedNodeCount();
    if (count == 0) return ext;
    ext.any = true;
    ext.xmin = ext.xmax = truncToInt(problem.nodes[0].X);
    ext.ymin = ext.ymax = truncToInt(problem.nodes[0].Y);
    for (int32_t i = 0; i < count; ++i) {
        const Node& node = problem.nodes[static_cast<std::size_t>(i)];
        if (ext.xmin > node.X) ext.xmin = truncToInt(node.X);
        if (ext.xmax < node.X) ext.xmax = truncToInt(node.X);
        if (ext.ymin > node.Y) ext.ymin = truncToInt(node.Y);
        if (ext.ymax < node.Y) ext.ymax = truncToInt(node.Y);
    }
    return ext;
}

// Extents, dx, dy, h and the scale for a drawing area of dw by dh. A direction without extent does
// not limit the scale; without extent in both, or without room, there is no scale.
void fillScale(const Problem& problem, PlanView& view) {
    const Extents ext = nodeExtents(problem);
    if (!ext.any) return;
    view.xmin = ext.xmin;
    view.xmax = ext.xmax;
    view.ymin = ext.ymin;
    view.ymax = ext.ymax;
    view.dx = static_cast<double>(ext.xmax) - ext.xmin;
    view.dy = static_cast<double>(ext.ymax) - ext.ymin;
    view.h = 0.1 * std::sqrt((view.dx * view.dx + view.dy * view.dy) / problem.usedNodeCount());
    const double infinite = std::numeric_limits<double>::infinity();
    const double sx = view.dx != 0 ? view.dw / view.dx : infinite;
    const double sy = view.dy != 0 ? view.dh / view.dy : infinite;
    view.s = sx < sy ? sx : sy;
    view.valid = std::isfinite(view.s) && view.s > 0;
}

class PlanPathlines : public TrackConsumer {
  public:
    PlanPathlines(Canvas& canvas, const PlanView& view, int markHalf)
        : canvas_(canvas), view_(view), half_(markHalf) {}

    void segment(int32_t, const TrackPoint& from, const TrackPoint& to) override {
        CanvasPoint a, b;
        if (view_.map(from.x, from.y, a) && view_.map(to.x, to.y, b)) canvas_.line(a.x, a.y, b.x, b.y);
    }
    void mark(int32_t, const TrackPoint& at) override {
        CanvasPoint p;
        if (view_.map(at.x, at.y, p)) drawMark(canvas_, p.x, p.y, half_);
    }

  private:
    Canvas& canvas_;
    const PlanView& view_;
    int half_;
};

// Mesh, contours (element by element, levels rising within each) and pathlines.
void drawPlan(const Problem& problem, Canvas& canvas, const PlanView& view, const ContourLevels& levels,
              int markHalf, const PlotCallbacks& callbacks, bool announceLegend, PlotReport& report) {
    const int32_t elements = problem.usedElementCount();
    DrawingStop stop(callbacks.feedback);
    canvas.setPenColour(kAqua);
    canvas.setBrush(kWhite);
    for (int32_t m = 0; m < elements; ++m) {
        if (stop(m)) break;
        if (!elementNodesUsable(problem, m)) continue;
        const Element& e = problem.elements[static_cast<std::size_t>(m)];
        CanvasPoint corner[3];
        bool drawable = true;
        for (int k = 0; k < 3; ++k) {
            const Node& node = problem.nodes[static_cast<std::size_t>(e.node[k])];
            drawable = drawable && view.map(node.X, node.Y, corner[k]);
        }
        if (drawable) canvas.polygon(corner[0], corner[1], corner[2]);
    }

    if (announceLegend && callbacks.legendReady) callbacks.legendReady(levels.legend);
    report.contoursDrawn = true;
    canvas.setPenColour(kRed);
    for (int32_t m = 0; m < elements && !stop.stopped(); ++m) {
        if (stop(m)) break;
        if (!elementNodesUsable(problem, m)) continue;
        const Element& e = problem.elements[static_cast<std::size_t>(m)];
        double x[3], y[3], f[3];
        for (int k = 0; k < 3; ++k) {
            const Node& node = problem.nodes[static_cast<std::size_t>(e.node[k])];
            x[k] = node.X;
            y[k] = node.Y;
            f[k] = node.F;
        }
        std::size_t first = 0, last = 0;
        crossingLevelRange(levels.levels, f, first, last);
        for (std::size_t k = first; k < last; ++k) {
            ContourSegment segment;
            if (!contourSegment(x, y, f, levels.levels[k], segment)) continue;
            CanvasPoint a, b;
            if (view.map(segment.x1, segment.y1, a) && view.map(segment.x2, segment.y2, b))
                canvas.line(a.x, a.y, b.x, b.y);
        }
    }

    if (problem.NP > 0 && !stop.now()) {
        canvas.setPenColour(kBlue);
        PlanPathlines pathlines(canvas, view, markHalf);
        report.track = trackParticles(problem, view.h, pathlines, callbacks.feedback, callbacks.limits,
                                      callbacks.locator);
    }
    report.cancelled = stop.stopped() || report.track.outcome == Outcome::Cancelled;
}

} // namespace

bool PlanView::map(double x, double y, CanvasPoint& point) const {
    return toCanvasUnit((x - x0) * s + ox + mx, point.x) && toCanvasUnit(bottom - (y - y0) * s, point.y);
}

double planTrackingLength(const Problem& problem) {
    PlanView view;
    fillScale(problem, view);
    return view.h;
}

PlanView screenPlanView(const Problem& problem, int clientWidth, int clientHeight) {
    PlanView view;
    const int width = clientWidth - 1, height = clientHeight - 1;
    view.mx = width / 20;
    view.my = height / 20;
    view.dw = width - 2 * view.mx;
    view.dh = height - view.my - 25;
    view.bottom = view.my + view.dh;
    fillScale(problem, view);
    if (!view.valid) return view;
    view.x0 = truncToInt(view.xmin - (view.dw / view.s - view.dx) * 0.5);
    view.y0 = truncToInt(view.ymin - (view.dh / view.s - view.dy) * 0.5);
    view.x1 = truncToInt(view.x0 + view.dx);
    view.y1 = truncToInt(view.y0 + view.dy);
    return view;
}

PlanView printedPlanView(const Problem& problem, int pageWidth, int pageHeight, double scaleFactor) {
    PlanView view;
    const int wp = truncToInt(pageWidth * scaleFactor), hp = truncToInt(pageHeight * scaleFactor);
    view.ox = (pageWidth - wp) / 2;
    view.oy = (pageHeight - hp) / 2;
    view.mx = wp / 16;
    view.my = hp / 16;
    view.dw = wp - 2 * view.mx;
    view.dh = hp - 2 * view.my;
    view.bottom = view.oy + view.my + view.dh;
    fillScale(problem, view);
    if (!view.valid) return view;
    view.x0 = view.xmin - (view.dw / view.s - view.dx) * 0.5;
    view.y0 = view.ymin - (view.dh / view.s - view.dy) * 0.5;
    view.x1 = view.x0 + view.dx;
    view.y1 = view.y0 + view.dy;
    return view;
}

PlotReport drawContourPlot(const Problem& problem, Canvas& canvas, int clientWidth, int clientHeight,
                           const PlotCallbacks& callbacks) {
    PlotReport report;
    const PlanView view = screenPlanView(problem, clientWidth, clientHeight);
    const ContourLevels levels = computeContourLevels(problem);
    report.legend = levels.legend;
    report.geometry = view.valid;

    canvas.setPenColour(kBlack);
    canvas.setBrush(kWhite);
    if (!view.valid) {
        // No scale: the drawing area alone, and the legend for the panel.
        if (view.dw > 0 && view.dh > 0) canvas.rectangle(view.mx, view.my, view.mx + view.dw, view.bottom);
        if (callbacks.legendReady) callbacks.legendReady(levels.legend);
        return report;
    }
    int left = 0, bottom = 0, right = 0, top = 0;
    const bool frame = toCanvasUnit(view.mx - view.x0 * view.s, left) &&
                       toCanvasUnit(view.y0 * view.s + view.bottom, bottom) &&
                       toCanvasUnit((view.x1 - view.x0) * view.s + left, right) &&
                       toCanvasUnit(bottom - (view.y1 - view.y0) * view.s, top);
    if (frame) canvas.rectangle(left, top, right, bottom);
    drawPlan(problem, canvas, view, levels, 1, callbacks, true, report);
    return report;
}

PlotReport printContourPage(const Problem& problem, PageSink& sink, int& pageCounter, int leftMargin,
                            double scaleFactor, const PlotCallbacks& callbacks) {
    PlotReport report;
    Canvas& canvas = sink.canvas();
    const int pageWidth = sink.pageWidth(), pageHeight = sink.pageHeight();
    canvas.setFont(FontNormal);
    if (pageCounter > 1) sink.newPage();
    drawGraphPageHeader(canvas, pageCounter, leftMargin, pageWidth, problem.problemName,
                        problem.NP <= 0 ? "Contours of Groundwater Head"
                                        : "Contours of Groundwater Head and Pathlines of Particles");
    ++pageCounter;
    const int lineHeight = canvas.textHeight("W");
    const int legendRow = 7 * lineHeight;
    const int markHalf = canvas.textHeight("W") / 12;

    const PlanView view = printedPlanView(problem, pageWidth, pageHeight, scaleFactor);
    const ContourLevels levels = computeContourLevels(problem);
    report.legend = levels.legend;
    report.geometry = view.valid;
    if (view.valid) drawPlan(problem, canvas, view, levels, markHalf, callbacks, false, report);

    canvas.setPenColour(kBlack);
    canvas.setFont(FontBold);
    canvas.text(leftMargin, legendRow, levels.legend);
    return report;
}

} // namespace velkor
