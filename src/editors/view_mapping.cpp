#include "editors/view_mapping.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

namespace velkor {

namespace {

int truncated(double value) {
    if (!(value > static_cast<double>(INT_MIN))) return std::isnan(value) ? 0 : INT_MIN;
    if (!(value < static_cast<double>(INT_MAX))) return INT_MAX;
    return static_cast<int>(value);
}

} // namespace

ViewMapping ViewMapping::compute(int CW, int CH, double LX, double LY) {
    ViewMapping v;
    v.LX = LX;
    v.LY = LY;
    v.ox = (CW - 1) / 20;
    v.oy = CH - 26;
    // A window squeezed below the margins still maps onto at least one pixel, so that a click
    // never turns into an infinite or undefined world point.
    const int W = std::max(CW - 1 - 2 * v.ox, 1);
    const int H = std::max((CH - 1) - (CH - 1) / 20 - 25, 1);
    v.width = W;
    v.height = H;
    const double byWidth = W / LX, byHeight = H / LY;
    v.scale = byHeight < byWidth ? byHeight : byWidth;
    v.xmin = -(W / v.scale - LX) * 0.5;
    v.ymin = -(H / v.scale - LY) * 0.5;
    return v;
}

int ViewMapping::screenX(double x) const {
    return truncated((x - xmin) * scale + ox);
}
int ViewMapping::screenY(double y) const {
    return truncated(oy - (y - ymin) * scale);
}
double ViewMapping::worldX(int sx) const {
    return static_cast<double>(int64_t{sx} - ox) / scale + xmin;
}
double ViewMapping::worldY(int sy) const {
    return ymin - static_cast<double>(int64_t{sy} - oy) / scale;
}

PlanScale ViewMapping::planScale() const {
    return PlanScale{scale, xmin, ymin, static_cast<double>(ox), static_cast<double>(oy)};
}

ViewMapping ViewMapping::zoomedTo(const PlanScale& view) const {
    ViewMapping zoomed = *this;
    zoomed.scale = view.s;
    // The same screen point of every world point, with the origin kept at (ox, oy).
    zoomed.xmin = view.x0 + (ox - view.column0) / view.s;
    zoomed.ymin = view.y0 + (view.row0 - oy) / view.s;
    return zoomed;
}

ViewMapping ViewMapping::through(ZoomView& zoom) const {
    zoom.setFit(planScale(), ox, oy - height, ox + width, oy);
    return zoom.atFit() ? *this : zoomedTo(zoom.mapping());
}

double ViewMapping::clampedWorldX(int sx) const {
    return std::clamp(worldX(sx), 0.0, LX);
}

double ViewMapping::clampedWorldY(int sy) const {
    return std::clamp(worldY(sy), 0.0, LY);
}

} // namespace velkor
