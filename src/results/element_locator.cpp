#include "results/element_locator.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "model/table.h"

namespace velkor {

namespace {

constexpr double kUnitRoundoff = 1.1102230246251565e-16; // 2^-53
constexpr int kCellBits = 29;
constexpr int64_t kCellOffset = int64_t{1} << 28;
constexpr int kMaxLevel = 31;

bool holdsPoint(const Problem& problem, int32_t element, double x, double y) {
    return elementNodesUsable(problem, element) && pointInElement(problem, x, y, element) >= 0;
}

// Rank of element m in the outward walk from s: s, s+1, s-1, s+2, s-2, ...
int64_t walkRank(int32_t m, int32_t s) {
    if (m == s) return 0;
    if (m > s) return 2 * (int64_t{m} - s) - 1;
    return 2 * (int64_t{s} - m);
}

// Rank of element m among the placement probes: pass j, probe k (0..3) has rank 4j + k.
struct PlacementRank {
    int64_t count, half, passes;
    int64_t operator()(int32_t m) const {
        int64_t best = std::numeric_limits<int64_t>::max();
        const auto consider = [&](int64_t j, int64_t probe) {
            if (j >= 0 && j < passes) best = std::min(best, 4 * j + probe);
        };
        consider(m, 0);
        consider(m - half, 1);
        consider(half - m, 2);
        consider(count - 1 - m, 3);
        return best;
    }
};

struct Shape {
    bool finite = false;
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    double area = 0;    // of the triangle
    double longest = 0; // longest side
};

Shape shapeOf(const Problem& problem, int32_t element) {
    const Element& e = problem.elements[idx(element)];
    const Node& a = problem.nodes[idx(e.node[0])];
    const Node& b = problem.nodes[idx(e.node[1])];
    const Node& c = problem.nodes[idx(e.node[2])];
    Shape shape;
    shape.finite = std::isfinite(a.X) && std::isfinite(a.Y) && std::isfinite(b.X) && std::isfinite(b.Y) &&
                   std::isfinite(c.X) && std::isfinite(c.Y);
    if (!shape.finite) return shape;
    shape.minX = std::min({a.X, b.X, c.X});
    shape.maxX = std::max({a.X, b.X, c.X});
    shape.minY = std::min({a.Y, b.Y, c.Y});
    shape.maxY = std::max({a.Y, b.Y, c.Y});
    const double abx = b.X - a.X, aby = b.Y - a.Y, acx = c.X - a.X, acy = c.Y - a.Y;
    const double bcx = c.X - b.X, bcy = c.Y - b.Y;
    shape.area = 0.5 * std::fabs(abx * acy - aby * acx);
    shape.longest =
        std::sqrt(std::max({abx * abx + aby * aby, acx * acx + acy * acy, bcx * bcx + bcy * bcy}));
    shape.finite = std::isfinite(shape.area) && std::isfinite(shape.longest);
    return shape;
}

// Whether a point outside the grown box of this triangle is certainly outside for the
// point-in-element test, for points within reach of the mesh (see the header).
//
// For a point at distance D outside a triangle of area A and longest side L, one signed corner
// quantity is at most -A*D/L and another at least A, so their product is below -A^2*D/L; with
// D >= L/1000 and A >= 1e-8 that is below -1e-19, well past the tolerance 1e-20. Rounding moves
// each quantity by less than 8u(L + D)L, which stays far below both bounds when A >= 1e-8 L^2 and
// D stays below A/(32 u L) - L.
bool regular(const Shape& shape, double reach) {
    if (!shape.finite || !(shape.area >= 1e-8) || !(shape.area >= 1e-8 * shape.longest * shape.longest))
        return false;
    return shape.area / (32 * kUnitRoundoff * shape.longest) - shape.longest >= reach;
}

double growth(const Shape& shape) {
    const double magnitude = std::max(
        {std::fabs(shape.minX), std::fabs(shape.maxX), std::fabs(shape.minY), std::fabs(shape.maxY)});
    return 1e-3 * shape.longest + 1e-14 * magnitude;
}

uint64_t cellKey(int level, int64_t ix, int64_t iy) {
    return (static_cast<uint64_t>(level) << (2 * kCellBits)) |
           (static_cast<uint64_t>(ix + kCellOffset) << kCellBits) | static_cast<uint64_t>(iy + kCellOffset);
}

int levelOfKey(uint64_t key) {
    return static_cast<int>(key >> (2 * kCellBits));
}
int64_t cellXOfKey(uint64_t key) {
    return static_cast<int64_t>((key >> kCellBits) & ((uint64_t{1} << kCellBits) - 1)) - kCellOffset;
}
int64_t cellYOfKey(uint64_t key) {
    return static_cast<int64_t>(key & ((uint64_t{1} << kCellBits) - 1)) - kCellOffset;
}

} // namespace

bool elementNodesUsable(const Problem& problem, int32_t element) {
    if (element < 0 || element >= problem.usedElementCount()) return false;
    const int32_t nodes = problem.usedNodeCount();
    const Element& e = problem.elements[idx(element)];
    return e.node[0] >= 0 && e.node[0] < nodes && e.node[1] >= 0 && e.node[1] < nodes && e.node[2] >= 0 &&
           e.node[2] < nodes;
}

int32_t walkElementAround(const Problem& problem, double x, double y, int32_t start) {
    const int32_t count = problem.usedElementCount();
    const int64_t s = start;
    for (int64_t n = 0; n < count; ++n) {
        if (s + n < count && s + n >= 0 && holdsPoint(problem, static_cast<int32_t>(s + n), x, y))
            return static_cast<int32_t>(s + n);
        if (n <= s && s - n < count && holdsPoint(problem, static_cast<int32_t>(s - n), x, y))
            return static_cast<int32_t>(s - n);
    }
    return -1;
}

int32_t probeElementForPlacement(const Problem& problem, double x, double y) {
    const int32_t count = problem.usedElementCount();
    const int32_t half = count / 2;
    int32_t found = -1;
    for (int32_t j = 0; found < 0 && j < count / 4 + 2; ++j) {
        if (j < count && holdsPoint(problem, j, x, y)) found = j;
        if (found < 0 && half + j < count && holdsPoint(problem, half + j, x, y)) found = half + j;
        if (found < 0 && half - j >= 0 && holdsPoint(problem, half - j, x, y)) found = half - j;
        if (found < 0 && count - 1 - j >= 0 && holdsPoint(problem, count - 1 - j, x, y))
            found = count - 1 - j;
    }
    return found;
}

ElementLocator::ElementLocator(const Problem& problem)
    : problem_(problem), count_(problem.usedElementCount()) {
    usable_.assign(idx(count_), 0);

    // Extent of the mesh and the typical element size.
    bool any = false;
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    std::vector<double> widths;
    widths.reserve(idx(count_));
    for (int32_t m = 0; m < count_; ++m) {
        if (!elementNodesUsable(problem, m)) continue;
        usable_[idx(m)] = 1;
        const Shape shape = shapeOf(problem, m);
        if (!shape.finite) continue;
        if (!any) {
            minX = shape.minX, minY = shape.minY, maxX = shape.maxX, maxY = shape.maxY;
            any = true;
        }
        minX = std::min(minX, shape.minX);
        minY = std::min(minY, shape.minY);
        maxX = std::max(maxX, shape.maxX);
        maxY = std::max(maxY, shape.maxY);
        widths.push_back(std::max(shape.maxX - shape.minX, shape.maxY - shape.minY) + 2 * growth(shape));
    }
    const double extent = any ? std::hypot(maxX - minX, maxY - minY) + 1 : 1;
    if (!std::isfinite(extent)) {
        // Coordinates so large that the extent overflows: test everything one by one.
        for (int32_t m = 0; m < count_; ++m)
            if (usable_[idx(m)]) irregular_.push_back(m);
        return;
    }
    const double reach = 1e3 * extent;
    nearMinX_ = minX - 100 * extent;
    nearMaxX_ = maxX + 100 * extent;
    nearMinY_ = minY - 100 * extent;
    nearMaxY_ = maxY + 100 * extent;
    originX_ = minX - extent;
    originY_ = minY - extent;
    if (!widths.empty()) {
        auto middle = widths.begin() + static_cast<std::ptrdiff_t>(widths.size() / 2);
        std::nth_element(widths.begin(), middle, widths.end());
        // A little over the typical width, so that typical elements sit in the finest level,
        // a few to a cell.
        cell0_ = 1.02 * *middle;
    }
    cell0_ = std::max(cell0_, std::ldexp(extent, -20));
    std::vector<double>().swap(widths);

    std::vector<std::pair<uint64_t, int32_t>> entries;
    entries.reserve(idx(count_));
    for (int32_t m = 0; m < count_; ++m) {
        if (!usable_[idx(m)]) continue;
        const Shape shape = shapeOf(problem, m);
        if (!regular(shape, reach)) {
            irregular_.push_back(m);
            continue;
        }
        const double grow = growth(shape);
        const double boxX = shape.minX - grow, boxY = shape.minY - grow;
        const double width = std::max(shape.maxX - shape.minX, shape.maxY - shape.minY) + 2 * grow;
        int level = 0;
        while (level < kMaxLevel && std::ldexp(cell0_, level) < 1.01 * width)
            ++level;
        const double cell = std::ldexp(cell0_, level);
        const auto ix = static_cast<int64_t>(std::floor((boxX - originX_) / cell));
        const auto iy = static_cast<int64_t>(std::floor((boxY - originY_) / cell));
        levelsUsed_ |= uint64_t{1} << level;
        entries.emplace_back(cellKey(level, ix, iy), m);
    }
    std::sort(entries.begin(), entries.end());

    // Candidates carry copies of their corner coordinates, so that a query reads one or two
    // contiguous runs per cell instead of chasing elements and nodes across the tables. The copies
    // are exact, so the point-in-element test gives the same answer as on the tables.
    candidates_.resize(entries.size());
    std::size_t cells = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i == 0 || entries[i].first != entries[i - 1].first) ++cells;
        Candidate& candidate = candidates_[i];
        candidate.element = entries[i].second;
        const Element& e = problem.elements[idx(candidate.element)];
        for (int k = 0; k < 3; ++k) {
            const Node& node = problem.nodes[idx(e.node[k])];
            candidate.x[k] = node.X;
            candidate.y[k] = node.Y;
        }
    }

    // A level whose occupied cells fill a good part of their bounding rectangle gets a dense
    // table of runs, in which neighbouring cells are neighbours in memory; the cells of the other
    // levels are found by open addressing on their key. Either way a query costs a fixed number
    // of probes per level.
    for (std::size_t first = 0; first < entries.size();) {
        const int level = levelOfKey(entries[first].first);
        std::size_t last = first;
        int64_t ixMin = 0, ixMax = 0, iyMin = 0, iyMax = 0;
        for (; last < entries.size() && levelOfKey(entries[last].first) == level; ++last) {
            const int64_t ix = cellXOfKey(entries[last].first), iy = cellYOfKey(entries[last].first);
            if (last == first || ix < ixMin) ixMin = ix;
            if (last == first || ix > ixMax) ixMax = ix;
            if (last == first || iy < iyMin) iyMin = iy;
            if (last == first || iy > iyMax) iyMax = iy;
        }
        const int64_t nx = ixMax - ixMin + 1, ny = iyMax - iyMin + 1;
        const auto count = static_cast<int64_t>(last - first);
        if (nx * ny <= 4 * count + 1024) {
            DenseLevel& dense = dense_[idx(level)];
            dense.present = true;
            dense.ixMin = ixMin;
            dense.iyMin = iyMin;
            dense.nx = nx;
            dense.ny = ny;
            dense.begin.assign(idx(nx * ny + 1), 0);
            for (std::size_t i = first; i < last; ++i) {
                const int64_t c =
                    (cellXOfKey(entries[i].first) - ixMin) * ny + (cellYOfKey(entries[i].first) - iyMin);
                ++dense.begin[idx(c + 1)];
            }
            dense.begin[0] = static_cast<int32_t>(first);
            for (std::size_t c = 1; c < dense.begin.size(); ++c)
                dense.begin[c] += dense.begin[c - 1];
            for (std::size_t i = first; i < last; ++i)
                if (i == first || entries[i].first != entries[i - 1].first) --cells;
        }
        first = last;
    }

    std::size_t slots = 16;
    while (slots < 2 * cells)
        slots *= 2;
    slotMask_ = slots - 1;
    slots_.assign(slots, Slot{kEmptySlot, 0, 0});
    for (std::size_t i = 0; i < entries.size();) {
        std::size_t j = i;
        while (j < entries.size() && entries[j].first == entries[i].first)
            ++j;
        if (dense_[idx(levelOfKey(entries[i].first))].present) {
            i = j;
            continue;
        }
        std::size_t slot = slotOf(entries[i].first);
        while (slots_[slot].key != kEmptySlot)
            slot = (slot + 1) & slotMask_;
        slots_[slot] = Slot{entries[i].first, static_cast<int32_t>(i), static_cast<int32_t>(j)};
        i = j;
    }
}

std::size_t ElementLocator::slotOf(uint64_t key) const {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 20) & slotMask_;
}

const ElementLocator::Slot* ElementLocator::cellOf(uint64_t key) const {
    for (std::size_t slot = slotOf(key);; slot = (slot + 1) & slotMask_) {
        if (slots_[slot].key == key) return &slots_[slot];
        if (slots_[slot].key == kEmptySlot) return nullptr;
    }
}

bool ElementLocator::holds(int32_t element, double x, double y) const {
    return usable_[idx(element)] && pointInElement(problem_, x, y, element) >= 0;
}

template <class Rank> int32_t ElementLocator::lowestRank(double x, double y, Rank rank) const {
    // No element holds a point with a non-finite coordinate: some corner product is then NaN or -inf.
    if (!std::isfinite(x) || !std::isfinite(y)) return -1;
    int32_t best = -1;
    int64_t bestRank = std::numeric_limits<int64_t>::max();
    const auto consider = [&](int32_t m) {
        const int64_t r = rank(m);
        if (r < bestRank && holds(m, x, y)) {
            best = m;
            bestRank = r;
        }
    };
    if (x < nearMinX_ || x > nearMaxX_ || y < nearMinY_ || y > nearMaxY_) {
        // Far from the mesh the margins are not proven: ask every element.
        for (int32_t m = 0; m < count_; ++m)
            consider(m);
        return best;
    }
    for (int level = 0; level <= kMaxLevel; ++level) {
        if (!(levelsUsed_ >> level & 1)) continue;
        const double cell = std::ldexp(cell0_, level);
        const auto cx = static_cast<int64_t>(std::floor((x - originX_) / cell));
        const auto cy = static_cast<int64_t>(std::floor((y - originY_) / cell));
        const auto considerRun = [&](int32_t begin, int32_t end) {
            for (int32_t k = begin; k < end; ++k) {
                const Candidate& c = candidates_[idx(k)];
                const int64_t r = rank(c.element);
                if (r < bestRank && pointInTriangle(x, y, c.x[0], c.y[0], c.x[1], c.y[1], c.x[2], c.y[2])) {
                    best = c.element;
                    bestRank = r;
                }
            }
        };
        const DenseLevel& dense = dense_[idx(level)];
        for (int64_t ix = cx - 1; ix <= cx; ++ix) {
            if (dense.present) {
                // The two cells (ix, cy - 1) and (ix, cy) are one run of the dense table.
                const int64_t low = std::max(cy - 1, dense.iyMin),
                              high = std::min(cy, dense.iyMin + dense.ny - 1);
                if (ix < dense.ixMin || ix >= dense.ixMin + dense.nx || low > high) continue;
                const int64_t row = (ix - dense.ixMin) * dense.ny - dense.iyMin;
                considerRun(dense.begin[idx(row + low)], dense.begin[idx(row + high + 1)]);
                continue;
            }
            for (int64_t iy = cy - 1; iy <= cy; ++iy) {
                const Slot* run = cellOf(cellKey(level, ix, iy));
                if (run != nullptr) considerRun(run->begin, run->end);
            }
        }
    }
    for (const int32_t m : irregular_)
        consider(m);
    return best;
}

int32_t ElementLocator::elementAround(double x, double y, int32_t start) const {
    if (start < 0 || start >= count_) return walkElementAround(problem_, x, y, start);
    // The walk tests the start element first; a particle mostly stays in it.
    if (holds(start, x, y)) return start;
    return lowestRank(x, y, [start](int32_t m) { return walkRank(m, start); });
}

int32_t ElementLocator::elementForPlacement(double x, double y) const {
    const PlacementRank rank{count_, count_ / 2, count_ / 4 + 2};
    return lowestRank(x, y, rank);
}

} // namespace velkor
