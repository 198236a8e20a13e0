#include "results/zoom_view.h"

#include <algorithm>
#include <cmath>

namespace velkor {

namespace {

// Zooms closer to 1 than this are the full view: a wheel turned in and out the same number of
// notches comes back to Fit exactly, whatever the rounding of the factors on the way.
constexpr double kFitTolerance = 1e-9;

} // namespace

void ZoomView::setFit(const PlanScale& fit, double left, double top, double right, double bottom) {
    fitScale_ = fit;
    left_ = left;
    top_ = top;
    right_ = std::max(right, left + 1);
    bottom_ = std::max(bottom, top + 1);
    if (!fit_) hold();
}

double ZoomView::largestZoom() const {
    const double across = std::max(right_ - left_, bottom_ - top_);
    return std::max(1.0, kLargestPicture / across);
}

PlanScale ZoomView::mapping() const {
    if (fit_) return fitScale_;
    PlanScale view;
    view.s = fitScale_.s * zoom_;
    view.x0 = centreX_;
    view.y0 = centreY_;
    view.column0 = (left_ + right_) * 0.5;
    view.row0 = (top_ + bottom_) * 0.5;
    return view;
}

WorldRect ZoomView::visibleWorld() const {
    const PlanScale view = mapping();
    return WorldRect{view.worldX(left_), view.worldY(bottom_), view.worldX(right_), view.worldY(top_)};
}

void ZoomView::hold() {
    if (!(zoom_ > 1 + kFitTolerance) || !std::isfinite(zoom_) || !(fitScale_.s > 0) ||
        !std::isfinite(fitScale_.s)) {
        fit_ = true;
        zoom_ = 1;
        return;
    }
    zoom_ = std::min(zoom_, largestZoom());
    // The centre stays over the full view: the picture cannot be pushed out of sight.
    const double xmin = fitScale_.worldX(left_), xmax = fitScale_.worldX(right_);
    const double ymin = fitScale_.worldY(bottom_), ymax = fitScale_.worldY(top_);
    centreX_ = std::clamp(centreX_, std::min(xmin, xmax), std::max(xmin, xmax));
    centreY_ = std::clamp(centreY_, std::min(ymin, ymax), std::max(ymin, ymax));
    fit_ = false;
}

bool ZoomView::zoomAbout(double column, double row, double factor) {
    if (!(factor > 0) || !std::isfinite(factor) || !std::isfinite(column) || !std::isfinite(row))
        return false;
    const PlanScale before = mapping();
    const double worldX = before.worldX(column), worldY = before.worldY(row);
    const bool wasFit = fit_;
    zoom_ = zoom() * factor;
    fit_ = false;
    hold();
    if (fit_) return !wasFit;
    // The world point under (column, row) stays there: the centre moves towards it.
    const double s = fitScale_.s * zoom_;
    const double centreColumn = (left_ + right_) * 0.5, centreRow = (top_ + bottom_) * 0.5;
    centreX_ = worldX - (column - centreColumn) / s;
    centreY_ = worldY + (row - centreRow) / s;
    hold();
    const PlanScale after = mapping();
    return wasFit || after.s != before.s || after.x0 != before.x0 || after.y0 != before.y0;
}

bool ZoomView::pan(double columns, double rows) {
    if (fit_ || !std::isfinite(columns) || !std::isfinite(rows) || (columns == 0 && rows == 0)) return false;
    const double s = fitScale_.s * zoom_;
    const double oldX = centreX_, oldY = centreY_;
    centreX_ -= columns / s;
    centreY_ += rows / s;
    hold();
    return centreX_ != oldX || centreY_ != oldY;
}

bool ZoomView::zoomToBox(double column1, double row1, double column2, double row2) {
    const double width = std::fabs(column2 - column1), height = std::fabs(row2 - row1);
    if (!(width >= kSmallestBox) || !(height >= kSmallestBox)) return false;
    const PlanScale before = mapping();
    const double factor = std::min((right_ - left_) / width, (bottom_ - top_) / height);
    const double worldX = before.worldX((column1 + column2) * 0.5);
    const double worldY = before.worldY((row1 + row2) * 0.5);
    zoom_ = zoom() * factor;
    fit_ = false;
    centreX_ = worldX;
    centreY_ = worldY;
    hold();
    return true;
}

bool ZoomView::showWorld(const WorldRect& window) {
    const double width = window.xmax - window.xmin, height = window.ymax - window.ymin;
    if (!(width > 0) || !(height > 0) || !std::isfinite(width) || !std::isfinite(height)) return false;
    const double s = fitScale_.s;
    zoom_ = std::min((right_ - left_) / (width * s), (bottom_ - top_) / (height * s));
    fit_ = false;
    centreX_ = (window.xmin + window.xmax) * 0.5;
    centreY_ = (window.ymin + window.ymax) * 0.5;
    hold();
    return true;
}

bool ZoomView::fit() {
    const bool changed = !fit_;
    fit_ = true;
    zoom_ = 1;
    return changed;
}

} // namespace velkor
