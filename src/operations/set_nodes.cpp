#include "operations/set_nodes.h"

#include <algorithm>
#include <cmath>

#include "forms/mesh_tables.h"
#include "model/number_text.h"
#include "model/table.h"

namespace velkor {

namespace {

struct Segment {
    double ax, ay, dx, dy;         // start and direction
    double length2;                // squared length; 0 for a point
    double xmin, xmax, ymin, ymax; // box around it, widened by the tolerance
};

// Squared distance of (x, y) from the segment.
double distance2(const Segment& s, double x, double y) {
    double px = x - s.ax, py = y - s.ay;
    if (s.length2 > 0) {
        double t = (px * s.dx + py * s.dy) / s.length2;
        t = std::clamp(t, 0.0, 1.0);
        px -= t * s.dx;
        py -= t * s.dy;
    }
    return px * px + py * py;
}

bool finite(const std::optional<double>& value) {
    return !value || std::isfinite(*value);
}

} // namespace

NodeSelection nodesInRectangle(const Problem& problem, double x0, double y0, double x1, double y1) {
    NodeSelection selection;
    selection.shape = SelectionShape::Rectangle;
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1))
        return selection;
    const double xmin = std::min(x0, x1), xmax = std::max(x0, x1);
    const double ymin = std::min(y0, y1), ymax = std::max(y0, y1);
    const int32_t count = problem.usedNodeCount();
    const Node* nodes = problem.nodes.data();
    for (int32_t i = 0; i < count; ++i) {
        const Node& node = nodes[i];
        if (node.X >= xmin && node.X <= xmax && node.Y >= ymin && node.Y <= ymax)
            selection.nodes.push_back(i);
    }
    return selection;
}

NodeSelection nodesNearPolyline(const Problem& problem, std::span<const PlanPoint> points, double tolerance) {
    NodeSelection selection;
    selection.shape = SelectionShape::Polyline;
    if (points.empty() || !std::isfinite(tolerance) || tolerance < 0) return selection;
    for (const PlanPoint& point : points)
        if (!std::isfinite(point.x) || !std::isfinite(point.y)) return selection;

    // One segment per pair of points; a single point is a segment of no length.
    std::vector<Segment> segments;
    const std::size_t count = points.size() == 1 ? 1 : points.size() - 1;
    segments.reserve(count);
    double xmin = points[0].x, xmax = xmin, ymin = points[0].y, ymax = ymin;
    for (std::size_t k = 0; k < count; ++k) {
        const PlanPoint& a = points[k];
        const PlanPoint& b = points.size() == 1 ? a : points[k + 1];
        Segment s{a.x, a.y, b.x - a.x, b.y - a.y, 0, 0, 0, 0, 0};
        s.length2 = s.dx * s.dx + s.dy * s.dy;
        s.xmin = std::min(a.x, b.x) - tolerance;
        s.xmax = std::max(a.x, b.x) + tolerance;
        s.ymin = std::min(a.y, b.y) - tolerance;
        s.ymax = std::max(a.y, b.y) + tolerance;
        xmin = std::min(xmin, s.xmin);
        xmax = std::max(xmax, s.xmax);
        ymin = std::min(ymin, s.ymin);
        ymax = std::max(ymax, s.ymax);
        segments.push_back(s);
    }
    const double tolerance2 = tolerance * tolerance;
    const int32_t nodeCount = problem.usedNodeCount();
    const Node* nodes = problem.nodes.data();
    for (int32_t i = 0; i < nodeCount; ++i) {
        const double x = nodes[i].X, y = nodes[i].Y;
        // Most nodes lie far from the line: one box test sends them away.
        if (!(x >= xmin && x <= xmax && y >= ymin && y <= ymax)) continue;
        for (const Segment& s : segments) {
            if (x < s.xmin || x > s.xmax || y < s.ymin || y > s.ymax) continue;
            if (distance2(s, x, y) <= tolerance2) {
                selection.nodes.push_back(i);
                break;
            }
        }
    }
    return selection;
}

Applied setNodes(Problem& problem, const NodeSelection& selection, const NodeSettings& settings) {
    if (selection.empty()) {
        return Applied::nothing(Result::failed(Outcome::NothingToDo, noNodeCaughtMessage(selection.shape)));
    }
    if (!finite(settings.F) || !finite(settings.B) || !finite(settings.T))
        return Applied::nothing(Result::failed(Outcome::BadInput, "A value for the nodes is not a number."));
    const int32_t count = problem.usedNodeCount();
    for (const int32_t i : selection.nodes)
        if (i < 0 || i >= count)
            return Applied::nothing(
                Result::failed(Outcome::BadInput, format("Node %d does not exist.", i + 1)));

    const int32_t type = heldNodeType(settings.Type);
    bool changed = false;
    for (const int32_t i : selection.nodes) {
        Node& node = problem.nodes[idx(i)];
        const Node before = node;
        if (settings.B) node.B = heldNodeBottom(*settings.B);
        if (settings.T) node.T = heldNodeLevel(*settings.T, node.B);
        if (settings.F) node.F = heldNodeLevel(*settings.F, node.B);
        node.Type = type;
        changed = changed || node.B != before.B || node.T != before.T || node.F != before.F ||
                  node.Type != before.Type;
    }
    // A prescribed head, a type, a bottom or a top enters the equations; a head of a free node is
    // a shown result that no solve gave. Either way the results shown no longer answer the problem.
    if (changed) problem.resultsOutOfDate = true;
    const auto n = static_cast<int>(selection.nodes.size());
    Applied applied{Result{Outcome::Done, n == 1 ? std::string("1 node set.") : format("%d nodes set.", n)},
                    changed ? Change::NodeValues : Change::None};
    return applied;
}

} // namespace velkor
