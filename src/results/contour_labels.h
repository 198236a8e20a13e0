// Head labels on the contour lines of a plan picture. The contour segments of a drawing are joined
// into lines through the mesh sides they share (a contour crosses a side at one point, which the
// two elements on either side of it both reach), and each line long enough gets its level written
// where it runs straight for the length of the text, in the line's colour on a white box that
// interrupts the line. Labels keep clear of each other and of the edges of the drawing area.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "results/canvas.h"

namespace velkor {

// The label font: its colour is that of the contour lines.
inline const Font kContourLabelFont{"Arial", 8, false, false, false, kRed};

// The text of a contour level: its value to the tenth of a metre, without a trailing ".0". The
// lowest and highest levels are shifted by a ten-thousandth of the interval; the label shows the
// level as the legend names it.
std::string contourLabelText(double level);

// A mesh side, by its two nodes in either order.
inline uint64_t meshSideKey(int32_t a, int32_t b) {
    const uint32_t low = static_cast<uint32_t>(a < b ? a : b), high = static_cast<uint32_t>(a < b ? b : a);
    return (uint64_t{low} << 32) | high;
}

// An area of the canvas, in canvas units.
struct CanvasArea {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// A label as drawn: its box and the level it names.
struct PlacedLabel {
    int left = 0, top = 0, right = 0, bottom = 0;
    int32_t level = 0;
};

class ContourLabels {
  public:
    // One contour segment of level index `level`, from canvas point (ax, ay) on mesh side sideA to
    // (bx, by) on mesh side sideB (canvas units before truncation).
    void add(int32_t level, double ax, double ay, uint64_t sideA, double bx, double by, uint64_t sideB);
    bool empty() const { return segments_.empty(); }

    // Joins the segments into lines and writes texts[level] on each line that has room for it,
    // inside area and clear of the boxes taken (the scale bar). Leaves a black pen and a white
    // brush.
    std::vector<PlacedLabel> draw(Canvas& canvas, const std::vector<std::string>& texts,
                                  const CanvasArea& area, const std::vector<CanvasArea>& taken = {});

  private:
    struct Segment {
        double ax, ay, bx, by;
        uint64_t sideA, sideB;
        int32_t level;
    };
    struct Point {
        double x, y;
    };
    // The lines of joined segments, each as a list of points, with the level of each.
    void joinLines(std::vector<std::vector<Point>>& lines, std::vector<int32_t>& levels) const;

    std::vector<Segment> segments_;
};

} // namespace velkor
