// What the contour plot and the 3D graph share: their callbacks and report, the page header of the
// printed graph pages, and the conversion of computed positions into canvas units.
#pragma once

#include <cmath>
#include <functional>
#include <string>
#include <string_view>

#include "results/canvas.h"
#include "results/particle_tracker.h"
#include "results/track_recording.h"

namespace velkor {

struct PlotCallbacks {
    // The contour legend, as soon as the levels are known (the window puts it in its panel before
    // the contours are drawn).
    std::function<void(const std::string&)> legendReady;
    // Hears of every tracking sweep and may stop the drawing: between sweeps, and every few
    // thousand elements while the mesh, the surfaces and the contours are drawn.
    Feedback* feedback = nullptr;
    TrackLimits limits;
    // The element locator of the present mesh, when the caller keeps one between drawings.
    const ElementLocator* locator = nullptr;
    // The steps of the last whole run of this plot, kept by the caller: replayed when they hold
    // the run of this drawing, else filled by it.
    TrackRecording* tracks = nullptr;
};

struct PlotReport {
    Result result;               // Done, or Cancelled: the feedback stopped the drawing before its end
    bool geometry = false;       // a scale was found; false draws only frame and text
    bool contoursDrawn = false;  // the contour step ran (the 3D graph has it switched off or on)
    std::string legend;          // contour legend, when the levels were computed
    TrackReport track;           // of the pathlines, when particles were tracked
    bool tracksReplayed = false; // the pathlines came from the kept run, not from a new one
};

// Whether a drawing is to stop: the feedback is asked every few hundred elements (a question is
// an atomic load; a few hundred triangles on a PDF page take some milliseconds), and once it has
// said yes the answer stays.
class DrawingStop {
  public:
    explicit DrawingStop(Feedback* feedback) : feedback_(feedback) {}
    bool operator()(int32_t element) {
        if (!stopped_ && feedback_ && element % kInterval == kInterval - 1)
            stopped_ = feedback_->cancelRequested();
        return stopped_;
    }
    // Asks now, whatever the element.
    bool now() {
        if (!stopped_ && feedback_) stopped_ = feedback_->cancelRequested();
        return stopped_;
    }
    bool stopped() const { return stopped_; }

  private:
    static constexpr int32_t kInterval = 512;
    Feedback* feedback_;
    bool stopped_ = false;
};

// The pathlines of a plot with tracking length h: a new run of the tracker, or the replay of the
// run kept in callbacks.tracks.
void drawPathlines(const Problem& problem, double h, TrackConsumer& pathlines, const PlotCallbacks& callbacks,
                   PlotReport& report);

// Header of a printed graph page on lines 2 and 5 (line height: "W" in FontNormal): the problem
// name in FontBold, the page number in FontSmallBold ending where "Page 9999" in FontBold would,
// the title in FontBold. Leaves FontNormal, a white brush and a black pen.
void drawGraphPageHeader(Canvas& canvas, int pageNumber, int leftMargin, int pageWidth,
                         std::string_view problemName, std::string_view title);

// The lime panel of 25 units across the top of the contour and 3D windows, with the caption
// (the contour legend) centred in FontSmallBold, as the pictures of those windows show it.
void drawCaptionPanel(Canvas& canvas, int width, std::string_view caption);

// Truncation toward zero into a canvas coordinate. False for a value that is not a number or
// infinite; finite values beyond the range a canvas can take are held at +-1e9.
inline bool toCanvasUnit(double value, int& unit) {
    if (!std::isfinite(value)) return false;
    const double cut = std::trunc(value);
    unit = cut > 1e9 ? 1000000000 : cut < -1e9 ? -1000000000 : static_cast<int>(cut);
    return true;
}

// Truncation toward zero into an int32 for the integer quantities of the geometry (held at the
// int32 range; 0 for a value that is not a number).
inline int truncToInt(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return 2147483647;
    if (value <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(value);
}

// The small square of four lines that marks a pathline point at (column, row).
inline void drawMark(Canvas& canvas, int column, int row, int half) {
    canvas.line(column - half, row - half, column + half, row - half);
    canvas.line(column + half, row - half, column + half, row + half);
    canvas.line(column + half, row + half, column - half, row + half);
    canvas.line(column - half, row + half, column - half, row - half);
}

} // namespace velkor
