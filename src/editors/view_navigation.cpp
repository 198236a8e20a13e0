#include "editors/view_navigation.h"

#include <cmath>

namespace velkor {

NavigationResponse ViewNavigation::press(NavigationButton button, bool shift, double column, double row) {
    NavigationResponse response;
    if (mode_ != Mode::None) {
        // A second button during a drag belongs to the drag.
        response.taken = true;
        return response;
    }
    const bool left = button == NavigationButton::Left;
    if (left && shift) {
        mode_ = Mode::Box;
        response.boxChanged = true;
    } else if (button == NavigationButton::Middle || (left && (space_ || leftPans_))) {
        mode_ = Mode::Pan;
    } else {
        return response;
    }
    dragButton_ = button;
    startColumn_ = lastColumn_ = column;
    startRow_ = lastRow_ = row;
    response.taken = true;
    return response;
}

NavigationResponse ViewNavigation::move(double column, double row) {
    NavigationResponse response;
    if (mode_ == Mode::None) return response;
    response.taken = true;
    if (mode_ == Mode::Pan) {
        response.viewChanged = view_.pan(column - lastColumn_, row - lastRow_);
    } else {
        response.boxChanged = column != lastColumn_ || row != lastRow_;
    }
    lastColumn_ = column;
    lastRow_ = row;
    return response;
}

NavigationResponse ViewNavigation::release(NavigationButton button, double column, double row) {
    NavigationResponse response;
    if (mode_ == Mode::None) return response;
    response.taken = true;
    if (button != dragButton_) return response;
    if (mode_ == Mode::Pan) {
        response.viewChanged = view_.pan(column - lastColumn_, row - lastRow_);
    } else {
        response.boxChanged = true;
        response.viewChanged = view_.zoomToBox(startColumn_, startRow_, column, row);
    }
    mode_ = Mode::None;
    return response;
}

NavigationResponse ViewNavigation::wheel(double column, double row, double notches) {
    NavigationResponse response;
    response.taken = true;
    if (notches == 0 || !std::isfinite(notches)) return response;
    response.viewChanged = view_.zoomAbout(column, row, std::pow(kNotchFactor, notches));
    return response;
}

NavigationResponse ViewNavigation::keyPress(NavigationKey key, double centreColumn, double centreRow) {
    NavigationResponse response;
    switch (key) {
    case NavigationKey::Home:
        response.taken = true;
        response.viewChanged = view_.fit();
        break;
    case NavigationKey::Plus:
    case NavigationKey::Minus:
        response.taken = true;
        response.viewChanged = view_.zoomAbout(centreColumn, centreRow,
                                               key == NavigationKey::Plus ? kNotchFactor : 1 / kNotchFactor);
        break;
    case NavigationKey::Space:
        response.taken = true;
        space_ = true;
        break;
    case NavigationKey::Other:
        break;
    }
    return response;
}

NavigationResponse ViewNavigation::keyRelease(NavigationKey key) {
    NavigationResponse response;
    if (key != NavigationKey::Space) return response;
    response.taken = true;
    space_ = false;
    return response;
}

NavigationResponse ViewNavigation::cancel() {
    NavigationResponse response;
    response.boxChanged = mode_ == Mode::Box;
    mode_ = Mode::None;
    space_ = false;
    return response;
}

} // namespace velkor
