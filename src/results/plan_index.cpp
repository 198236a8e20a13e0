#include "results/plan_index.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/table.h"
#include "results/element_locator.h"

namespace velkor {

ElementRuns::ElementRuns(const Problem& problem) : count_(problem.usedElementCount()) {
    const double infinite = std::numeric_limits<double>::infinity();
    runs_.reserve(idx(count_ / kRunLength + 1));
    for (int32_t first = 0; first < count_; first += kRunLength) {
        Run run{infinite,  infinite, -infinite, -infinite, infinite,
                -infinite, true,     infinite,  -infinite, true};
        const int32_t last = std::min(count_, first + kRunLength);
        for (int32_t m = first; m < last; ++m) {
            if (!elementNodesUsable(problem, m)) {
                run.regular = false;
                run.headsKnown = false;
                continue;
            }
            const Element& e = problem.elements[idx(m)];
            double xmin = infinite, ymin = infinite, xmax = -infinite, ymax = -infinite;
            for (const int32_t n : e.node) {
                const Node& node = problem.nodes[idx(n)];
                if (!std::isfinite(node.X) || !std::isfinite(node.Y)) run.regular = false;
                if (std::isnan(node.F)) run.headsKnown = false;
                run.headLow = std::min(run.headLow, node.F);
                run.headHigh = std::max(run.headHigh, node.F);
                xmin = std::min(xmin, node.X);
                xmax = std::max(xmax, node.X);
                ymin = std::min(ymin, node.Y);
                ymax = std::max(ymax, node.Y);
            }
            const double extent = std::max(xmax - xmin, ymax - ymin);
            run.xmin = std::min(run.xmin, xmin);
            run.ymin = std::min(run.ymin, ymin);
            run.xmax = std::max(run.xmax, xmax);
            run.ymax = std::max(run.ymax, ymax);
            run.smallest = std::min(run.smallest, extent);
            run.largest = std::max(run.largest, extent);
        }
        runs_.push_back(run);
    }
}

std::vector<ElementRuns::Span> ElementRuns::spans(const WorldRect* window, double scale, double small) const {
    std::vector<Span> result;
    for (std::size_t r = 0; r < runs_.size(); ++r) {
        const Run& run = runs_[r];
        // A run of irregular elements (or one whose extent is not a number) is always looked at.
        if (window && run.regular &&
            (run.xmax < window->xmin || run.xmin > window->xmax || run.ymax < window->ymin ||
             run.ymin > window->ymax))
            continue;
        Span span;
        span.first = static_cast<int32_t>(r) * kRunLength;
        span.last = std::min(count_, span.first + kRunLength);
        // Each element is small when its larger extent times the scale is below the limit; the
        // run's largest and smallest extents decide for all its elements at once.
        span.allSmall = run.regular && run.largest * scale < small;
        span.noneSmall = run.regular && !(run.smallest * scale < small);
        span.inside = window && run.regular && run.xmin >= window->xmin && run.xmax <= window->xmax &&
                      run.ymin >= window->ymin && run.ymax <= window->ymax;
        span.headsKnown = run.headsKnown;
        span.headLow = run.headLow;
        span.headHigh = run.headHigh;
        result.push_back(span);
    }
    return result;
}

std::vector<ElementRuns::Span> elementSpans(const ElementRuns* runs, int32_t count, const WorldRect* window,
                                            double scale, double small) {
    if (runs && runs->elementCount() == count) return runs->spans(window, scale, small);
    return {ElementRuns::Span{0, count, false, false}};
}

} // namespace velkor
