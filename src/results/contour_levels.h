// Contour levels of the groundwater head and the contour segment in one element.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/problem.h"
#include "results/element_locator.h"

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

// The corners of an element: their coordinates and heads.
struct ElementCorners {
    double x[3], y[3], f[3];
};

inline ElementCorners cornersOf(const Problem& problem, int32_t m) {
    const Element& e = problem.elements[idx(m)];
    ElementCorners c;
    for (int k = 0; k < 3; ++k) {
        const Node& node = problem.nodes[idx(e.node[k])];
        c.x[k] = node.X;
        c.y[k] = node.Y;
        c.f[k] = node.F;
    }
    return c;
}

// Visits the contour segments of every element in table order, and within an element the levels
// in rising order, as the plots draw them: visit(level index, segment). Elements whose nodes lie
// outside the node table are passed over.
template <typename Visit>
void forEachContourSegment(const Problem& problem, const std::vector<double>& levels, Visit&& visit) {
    const int32_t elements = problem.usedElementCount();
    for (int32_t m = 0; m < elements; ++m) {
        if (!elementNodesUsable(problem, m)) continue;
        const ElementCorners c = cornersOf(problem, m);
        std::size_t first = 0, last = 0;
        crossingLevelRange(levels, c.f, first, last);
        for (std::size_t k = first; k < last; ++k) {
            ContourSegment segment;
            if (contourSegment(c.x, c.y, c.f, levels[k], segment)) visit(k, segment);
        }
    }
}

} // namespace velkor
