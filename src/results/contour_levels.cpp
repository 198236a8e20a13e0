#include "results/contour_levels.h"

#include <algorithm>
#include <cmath>

#include "model/number_text.h"
#include "model/table.h"

namespace velkor {

ContourLevels computeContourLevels(const Problem& problem) {
    ContourLevels result;
    const int32_t nodes = problem.usedNodeCount();
    double headMin = 0, headMax = 0;
    for (int32_t i = 0; i < nodes; ++i) {
        const double f = problem.nodes[idx(i)].F;
        if (i == 0 || f < headMin) headMin = f;
        if (i == 0 || f > headMax) headMax = f;
    }
    // Rounded inward to whole tenths of a metre.
    headMin = std::ceil(10 * headMin) * 0.1;
    headMax = std::floor(10 * headMax) * 0.1;
    double d = (headMax - headMin) / 20;
    d = std::floor(10 * d + 0.5) * 0.1;
    if (d < 0.1) d = 0.1;
    const double steps = (headMax - headMin) / d;
    // Heads that are not numbers, or so large that the range overflows, give no levels.
    int32_t n = -1;
    if (nodes > 0 && steps > -2 && steps < 1e6) n = static_cast<int32_t>(std::trunc(steps));
    if (nodes > 0) headMax = n * d + headMin;

    result.minimum = headMin;
    result.maximum = headMax;
    result.interval = d;
    result.count = n;
    if (n >= 0) {
        result.levels.resize(idx(n) + 1);
        double level = headMin;
        for (int32_t k = 0; k <= n; ++k) {
            if (k > 0) level = level + d;
            result.levels[idx(k)] = level;
        }
        const double eps = 1e-4 * d;
        if (n == 0) {
            result.levels[0] = result.levels[0] - eps;
        } else {
            result.levels[0] = result.levels[0] + eps;
            result.levels[idx(n)] = result.levels[idx(n)] - eps;
        }
    }
    result.legend = format("Minimum Contour : %g m, Maximum Contour : %g m, Contour Interval : %g m",
                           result.minimum, result.maximum, result.interval);
    return result;
}

bool contourSegment(const double x[3], const double y[3], const double f[3], double level,
                    ContourSegment& segment) {
    static constexpr int kSides[3][2] = {{0, 1}, {1, 2}, {2, 0}};
    double px[3], py[3];
    int crossed = 0;
    for (const auto& side : kSides) {
        const int a = side[0], b = side[1];
        if (f[a] == f[b]) continue;
        if ((f[a] <= level && f[b] > level) || (f[b] <= level && f[a] > level)) {
            const double t = (level - f[a]) / (f[b] - f[a]);
            px[crossed] = x[a] + t * (x[b] - x[a]);
            py[crossed] = y[a] + t * (y[b] - y[a]);
            ++crossed;
        }
    }
    if (crossed != 2) return false;
    segment = ContourSegment{px[0], py[0], px[1], py[1]};
    return true;
}

void crossingLevelRange(const std::vector<double>& levels, const double f[3], std::size_t& first,
                        std::size_t& last) {
    first = last = 0;
    if (std::isnan(f[0]) || std::isnan(f[1]) || std::isnan(f[2])) return;
    const double low = std::min({f[0], f[1], f[2]});
    const double high = std::max({f[0], f[1], f[2]});
    first = idx(std::lower_bound(levels.begin(), levels.end(), low) - levels.begin());
    last = idx(std::lower_bound(levels.begin(), levels.end(), high) - levels.begin());
    if (last < first) last = first;
}

} // namespace velkor
