// Contour levels of the groundwater head and the contour segment in one element.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/problem.h"

namespace velkor {

struct ContourLevels {
    double minimum = 0;    // lowest level, the smallest head rounded up to a tenth of a metre
    double maximum = 0;    // highest level, minimum + N x interval
    double interval = 0.1; // about a twentieth of the head range, to a tenth of a metre
    int32_t count = -1;    // N: levels 0..N are drawn (none when N < 0)
    // The N + 1 levels as drawn: the lowest raised and the highest lowered by 1e-4 x interval so
    // that contours through the extreme heads are found (a single level is lowered).
    std::vector<double> levels;
    std::string legend; // "Minimum Contour : %g m, Maximum Contour : %g m, Contour Interval : %g m"
};

ContourLevels computeContourLevels(const Problem& problem);

struct ContourSegment {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// The segment of the contour at level in a triangle with corner coordinates (x, y) and heads f.
// A side (a, b) is crossed when exactly one of its ends lies at or below the level; the crossing
// is a + (level - fa) / (fb - fa) (b - a). Returns true when exactly two sides are crossed (sides
// 1-2, 2-3, 3-1 in this order; the first crossing is the start of the segment).
bool contourSegment(const double x[3], const double y[3], const double f[3], double level,
                    ContourSegment& segment);

// Indices [first, last) of the levels that cross a triangle with heads f: the levels c with
// min f <= c < max f. Every other level leaves the triangle untouched.
void crossingLevelRange(const std::vector<double>& levels, const double f[3], std::size_t& first,
                        std::size_t& last);

} // namespace velkor
