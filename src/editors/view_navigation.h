// The mouse and keys of a zoomable plan view, without a window: the wheel zooms about the cursor,
// the middle button (or the left one with Space held) drags the picture, the left button with
// Shift draws a box to zoom into, Home (or the window's Fit button) returns to the full view and
// + and - zoom about the middle. A window hands its events here first; what is not taken goes to
// its tools as before.
#pragma once

#include "results/zoom_view.h"

namespace velkor {

enum class NavigationButton { Left, Middle, Right };
enum class NavigationKey { Home, Plus, Minus, Space, Other };

// What an event did.
struct NavigationResponse {
    bool taken = false;       // the event was the navigation's; the tools do not see it
    bool viewChanged = false; // the picture is to be drawn for the new view
    bool boxChanged = false;  // the zoom box was drawn, moved or removed
};

class ViewNavigation {
  public:
    // The magnification of one notch of the wheel (and of + and -).
    static constexpr double kNotchFactor = 1.25;

    explicit ViewNavigation(ZoomView& view, bool leftDragPans = false)
        : view_(view), leftPans_(leftDragPans) {}

    NavigationResponse press(NavigationButton button, bool shift, double column, double row);
    NavigationResponse move(double column, double row);
    NavigationResponse release(NavigationButton button, double column, double row);
    // notches: turns of the wheel away from the user (a notch is 120 units of a wheel event).
    NavigationResponse wheel(double column, double row, double notches);
    NavigationResponse keyPress(NavigationKey key, double centreColumn, double centreRow);
    NavigationResponse keyRelease(NavigationKey key);
    // The window lost the mouse or the keys: a drag or a box ends where it is.
    NavigationResponse cancel();

    bool panning() const { return mode_ == Mode::Pan; }
    // The zoom box being drawn: from (column1, row1) to (column2, row2).
    bool boxShown() const { return mode_ == Mode::Box; }
    double boxColumn1() const { return startColumn_; }
    double boxRow1() const { return startRow_; }
    double boxColumn2() const { return lastColumn_; }
    double boxRow2() const { return lastRow_; }

  private:
    enum class Mode { None, Pan, Box };
    ZoomView& view_;
    bool leftPans_;
    Mode mode_ = Mode::None;
    NavigationButton dragButton_ = NavigationButton::Left;
    bool space_ = false;
    double startColumn_ = 0, startRow_ = 0, lastColumn_ = 0, lastRow_ = 0;
};

} // namespace velkor
