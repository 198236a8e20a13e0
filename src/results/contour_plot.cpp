#include "results/contour_plot.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/number_text.h"
#include "model/table.h"
#include "results/contour_levels.h"
#include "results/element_locator.h"
#include "results/plan_index.h"

namespace velkor {

namespace {

const Font kScaleBarFont{"Arial", 8, false, false};

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
        const Node& node = problem.nodes[idx(i)];
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

// What one drawing of the plan adds to the plain picture.
struct PlanDetail {
    bool cull = false; // leave out elements wholly off the canvas (a zoomed view)
    CanvasArea canvas; // the canvas, for culling
    bool meshLines = true;
    bool labelContours = false;
    bool scaleBar = false;
    CanvasArea area; // the drawing area: labels and the scale bar stay inside it
    const ElementRuns* runs = nullptr;
};

// An element as it lands on the canvas.
struct PlacedElement {
    CanvasPoint corner[3];
    bool dense = false; // too small for its sides to be told apart
};

// False when the element cannot be drawn (bad corners, a corner without a canvas position) or is
// wholly off the canvas of a culled drawing.
bool placeElement(const Problem& problem, int32_t m, const PlanView& view, const PlanDetail& detail,
                  PlacedElement& placed) {
    if (!elementNodesUsable(problem, m)) return false;
    const Element& e = problem.elements[idx(m)];
    for (int k = 0; k < 3; ++k) {
        const Node& node = problem.nodes[idx(e.node[k])];
        if (!view.map(node.X, node.Y, placed.corner[k])) return false;
    }
    const auto [left, right] = std::minmax({placed.corner[0].x, placed.corner[1].x, placed.corner[2].x});
    const auto [top, bottom] = std::minmax({placed.corner[0].y, placed.corner[1].y, placed.corner[2].y});
    if (detail.cull && (right < detail.canvas.left || left > detail.canvas.right ||
                        bottom < detail.canvas.top || top > detail.canvas.bottom))
        return false;
    // Measured before the truncation to whole units, so that a mesh of even elements is all
    // dense or not at all.
    const auto [xmin, xmax] = std::minmax(
        {problem.nodes[idx(e.node[0])].X, problem.nodes[idx(e.node[1])].X, problem.nodes[idx(e.node[2])].X});
    const auto [ymin, ymax] = std::minmax(
        {problem.nodes[idx(e.node[0])].Y, problem.nodes[idx(e.node[1])].Y, problem.nodes[idx(e.node[2])].Y});
    placed.dense = (xmax - xmin) * view.s < kDenseElement && (ymax - ymin) * view.s < kDenseElement;
    return true;
}

// The elements a drawing looks at, in table order: with culling, only the runs near the canvas.
std::vector<ElementRuns::Span> spansOf(const Problem& problem, const PlanView& view,
                                       const PlanDetail& detail) {
    WorldRect window;
    if (detail.cull) {
        const PlanScale scale = view.planScale();
        window = WorldRect{scale.worldX(detail.canvas.left - 1.0), scale.worldY(detail.canvas.bottom + 1.0),
                           scale.worldX(detail.canvas.right + 1.0), scale.worldY(detail.canvas.top - 1.0)};
    }
    return elementSpans(detail.runs, problem.usedElementCount(), detail.cull ? &window : nullptr, view.s,
                        kDenseElement);
}

// True when some element of the picture is drawn without its sides.
bool anyElementWithoutSides(const Problem& problem, const PlanView& view, const PlanDetail& detail,
                            const std::vector<ElementRuns::Span>& spans) {
    for (const ElementRuns::Span& span : spans) {
        if (span.noneSmall && detail.meshLines) continue;
        for (int32_t m = span.first; m < span.last; ++m) {
            PlacedElement placed;
            if (placeElement(problem, m, view, detail, placed) && (placed.dense || !detail.meshLines))
                return true;
        }
    }
    return false;
}

// The blocks as triangles of their main nodes: filled (with their outline in the fill colour) or
// outlined only.
template <class BrushOf>
void drawBlocks(const Problem& problem, Canvas& canvas, const PlanView& view, bool filled, BrushOf brushOf) {
    const int32_t mainNodes = problem.usedMainNodeCount();
    const int32_t blocks = problem.usedBlockCount();
    for (int32_t b = 0; b < blocks; ++b) {
        const Block& block = problem.blocks[idx(b)];
        CanvasPoint corner[3];
        bool drawable = true;
        for (int k = 0; k < 3; ++k) {
            const int32_t n = block.node[k];
            drawable = drawable && n >= 0 && n < mainNodes &&
                       view.map(problem.nodes[idx(n)].X, problem.nodes[idx(n)].Y, corner[k]);
        }
        if (!drawable) continue;
        if (filled) {
            const Colour fill = brushOf(block);
            canvas.setPenColour(fill);
            canvas.setBrush(fill);
            canvas.polygon(corner[0], corner[1], corner[2]);
        } else {
            for (int k = 0; k < 3; ++k)
                canvas.line(corner[k].x, corner[k].y, corner[(k + 1) % 3].x, corner[(k + 1) % 3].y);
        }
    }
}

// The sides of a triangle with heads f that the contour at level crosses, by the rule of
// contourSegment (sides 1-2, 2-3, 3-1); their count.
int crossedSides(const double f[3], double level, int sides[3]) {
    int crossed = 0;
    for (int k = 0; k < 3; ++k) {
        const double fa = f[k], fb = f[(k + 1) % 3];
        if (fa != fb && ((fa <= level && fb > level) || (fb <= level && fa > level))) sides[crossed++] = k;
    }
    return crossed;
}

// Mesh, contours (element by element, levels rising within each), their labels, the scale bar
// and the pathlines.
void drawPlan(const Problem& problem, Canvas& canvas, const PlanView& view, const ContourLevels& levels,
              int markHalf, const PlotCallbacks& callbacks, bool announceLegend, const PlanDetail& detail,
              PlotReport& report) {
    DrawingStop stop(callbacks.feedback);
    const std::vector<ElementRuns::Span> spans = spansOf(problem, view, detail);
    // Where elements are too small for their sides, or their sides are not wanted, the blocks
    // show the area they fill and their outlines show the shape of the problem.
    const bool outlineBlocks = anyElementWithoutSides(problem, view, detail, spans);
    if (outlineBlocks) drawBlocks(problem, canvas, view, true, [](const Block&) { return kWhite; });
    canvas.setPenColour(kAqua);
    canvas.setBrush(kWhite);
    for (const ElementRuns::Span& span : spans) {
        if (span.allSmall || !detail.meshLines || stop.stopped()) continue;
        for (int32_t m = span.first; m < span.last; ++m) {
            if (stop(m)) break;
            PlacedElement placed;
            if (!placeElement(problem, m, view, detail, placed) || placed.dense) continue;
            canvas.polygon(placed.corner[0], placed.corner[1], placed.corner[2]);
        }
    }
    if (outlineBlocks) {
        canvas.setPenColour(kAqua);
        drawBlocks(problem, canvas, view, false, [](const Block&) { return kAqua; });
    }

    if (announceLegend && callbacks.legendReady) callbacks.legendReady(levels.legend);
    report.contoursDrawn = true;
    canvas.setPenColour(kRed);
    ContourLabels labels;
    const PlanScale scale = view.planScale();
    for (const ElementRuns::Span& span : spans) {
        if (stop.stopped()) break;
        // A run whose heads no level reaches holds no contour: the levels c that cross an element
        // lie from its lowest head (included) to its highest (excluded).
        if (span.headsKnown) {
            const auto low = std::lower_bound(levels.levels.begin(), levels.levels.end(), span.headLow);
            if (low == levels.levels.end() || !(*low < span.headHigh)) continue;
        }
        for (int32_t m = span.first; m < span.last; ++m) {
            if (stop(m)) break;
            if (!elementNodesUsable(problem, m)) continue;
            if (detail.cull && !span.inside) {
                PlacedElement placed;
                if (!placeElement(problem, m, view, detail, placed)) continue;
            }
            const Element& e = problem.elements[idx(m)];
            const ElementCorners c = cornersOf(problem, m);
            std::size_t first = 0, last = 0;
            crossingLevelRange(levels.levels, c.f, first, last);
            for (std::size_t k = first; k < last; ++k) {
                ContourSegment segment;
                if (!contourSegment(c.x, c.y, c.f, levels.levels[k], segment)) continue;
                CanvasPoint a, b;
                if (view.map(segment.x1, segment.y1, a) && view.map(segment.x2, segment.y2, b))
                    canvas.line(a.x, a.y, b.x, b.y);
                if (detail.labelContours) {
                    int sides[3];
                    if (crossedSides(c.f, levels.levels[k], sides) != 2) continue;
                    labels.add(static_cast<int32_t>(k), scale.column(segment.x1), scale.row(segment.y1),
                               meshSideKey(e.node[sides[0]], e.node[(sides[0] + 1) % 3]),
                               scale.column(segment.x2), scale.row(segment.y2),
                               meshSideKey(e.node[sides[1]], e.node[(sides[1] + 1) % 3]));
                }
            }
        }
    }
    // The scale bar first: the labels keep clear of it.
    std::vector<CanvasArea> taken;
    if (detail.scaleBar) {
        // In the plan where it shows whole, at the lower left of the drawing area otherwise.
        CanvasArea barArea = detail.area;
        CanvasPoint low, high;
        if (view.map(view.xmin, view.ymin, low) && view.map(view.xmax, view.ymax, high)) {
            barArea.left = std::max(barArea.left, low.x);
            barArea.bottom = std::min(barArea.bottom, low.y);
            barArea.right = std::min(barArea.right, high.x);
            barArea.top = std::max(barArea.top, high.y);
        }
        taken.push_back(drawScaleBar(canvas, view.s, barArea));
    }
    if (detail.labelContours && !labels.empty()) {
        std::vector<std::string> texts;
        texts.reserve(levels.levels.size());
        for (const double level : levels.levels)
            texts.push_back(contourLabelText(level));
        labels.draw(canvas, texts, detail.area, taken);
    }

    if (problem.NP > 0 && !stop.now()) {
        canvas.setPenColour(kBlue);
        PlanPathlines pathlines(canvas, view, markHalf);
        drawPathlines(problem, view.h, pathlines, callbacks, report);
    }
    if (stop.stopped() || report.track.result.outcome == Outcome::Cancelled)
        report.result.outcome = Outcome::Cancelled;
}

} // namespace

bool PlanView::map(double x, double y, CanvasPoint& point) const {
    return toCanvasUnit((x - x0) * s + ox + mx, point.x) && toCanvasUnit(bottom - (y - y0) * s, point.y);
}

PlanScale PlanView::planScale() const {
    return PlanScale{s, x0, y0, static_cast<double>(ox + mx), static_cast<double>(bottom)};
}

CanvasArea PlanView::drawingArea() const {
    return CanvasArea{ox + mx, bottom - dh, ox + mx + dw, bottom};
}

PlanView PlanView::zoomedTo(const PlanScale& view) const {
    PlanView zoomed = *this;
    if (!valid || !(view.s > 0) || !std::isfinite(view.s)) return zoomed;
    zoomed.s = view.s;
    // The same canvas point of every model point, with the drawing area where it was.
    zoomed.x0 = view.x0 + (ox + mx - view.column0) / view.s;
    zoomed.y0 = view.y0 + (view.row0 - bottom) / view.s;
    zoomed.x1 = zoomed.x0 + dx;
    zoomed.y1 = zoomed.y0 + dy;
    return zoomed;
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
                           const PlotCallbacks& callbacks, const PlanOptions& options) {
    PlotReport report;
    const PlanView fit =
        options.fullView ? *options.fullView : screenPlanView(problem, clientWidth, clientHeight);
    const ContourLevels levels = options.levels ? *options.levels : computeContourLevels(problem);
    report.legend = levels.legend;
    report.geometry = fit.valid;

    canvas.setPenColour(kBlack);
    canvas.setBrush(kWhite);
    if (!fit.valid) {
        // No scale: the drawing area alone, and the legend for the panel.
        if (fit.dw > 0 && fit.dh > 0) canvas.rectangle(fit.mx, fit.my, fit.mx + fit.dw, fit.bottom);
        if (callbacks.legendReady) callbacks.legendReady(levels.legend);
        return report;
    }
    const PlanView view = options.view ? fit.zoomedTo(*options.view) : fit;
    int left = 0, bottom = 0, right = 0, top = 0;
    const bool frame = toCanvasUnit(view.mx - view.x0 * view.s, left) &&
                       toCanvasUnit(view.y0 * view.s + view.bottom, bottom) &&
                       toCanvasUnit((view.x1 - view.x0) * view.s + left, right) &&
                       toCanvasUnit(bottom - (view.y1 - view.y0) * view.s, top);
    if (frame) canvas.rectangle(left, top, right, bottom);
    PlanDetail detail;
    detail.cull = options.view != nullptr;
    detail.canvas = CanvasArea{0, 0, clientWidth, clientHeight};
    detail.meshLines = options.meshLines;
    detail.labelContours = options.labelContours;
    detail.scaleBar = options.scaleBar;
    detail.area = view.drawingArea();
    detail.runs = options.runs;
    drawPlan(problem, canvas, view, levels, 1, callbacks, true, detail, report);
    return report;
}

PlotReport printContourPage(const Problem& problem, PageSink& sink, int& pageCounter, int leftMargin,
                            double scaleFactor, const PlotCallbacks& callbacks, const PlanOptions& options) {
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
    if (view.valid) {
        PlanDetail detail;
        detail.meshLines = options.meshLines;
        detail.labelContours = options.labelContours;
        detail.scaleBar = options.scaleBar;
        detail.area = view.drawingArea();
        drawPlan(problem, canvas, view, levels, markHalf, callbacks, false, detail, report);
    }

    canvas.setPenColour(kBlack);
    canvas.setFont(FontBold);
    canvas.text(leftMargin, legendRow, levels.legend);
    return report;
}

CanvasArea drawScaleBar(Canvas& canvas, double s, const CanvasArea& area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (!(s > 0) || !std::isfinite(s) || width < 40 || height < 20) return {};
    canvas.setFont(kScaleBarFont);
    const int textHeight = canvas.textHeight("0");
    const int tick = std::max(2, textHeight / 3);
    const int inset = std::max(4, textHeight / 2);
    // The longest round length that keeps the bar within a fifth of the area.
    const double most = width * 0.2 / s;
    const double power = std::pow(10.0, std::floor(std::log10(most)));
    double metres = power;
    for (const double step : {2.0, 5.0})
        if (step * power <= most) metres = step * power;
    const int length = static_cast<int>(std::lround(metres * s));
    if (!(most > 0) || !std::isfinite(metres) || length < 10) return {};

    const int left = area.left + inset, row = area.bottom - inset;
    canvas.setPenColour(kBlack);
    canvas.line(left, row, left + length, row);
    canvas.line(left, row - tick, left, row + 1);
    canvas.line(left + length, row - tick, left + length, row + 1);
    const std::string label = format("%g m", metres);
    canvas.setBrush(kWhite);
    canvas.text(left - canvas.textWidth("0") / 2, row - tick - textHeight, "0");
    const int labelLeft = left + length - canvas.textWidth(label) / 2;
    canvas.text(labelLeft, row - tick - textHeight, label);
    return CanvasArea{left - canvas.textWidth("0"), row - tick - textHeight,
                      labelLeft + canvas.textWidth(label), row + 2};
}

} // namespace velkor
