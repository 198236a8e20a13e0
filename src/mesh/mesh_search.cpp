#include "mesh/mesh_search.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "model/table.h"

namespace velkor {

namespace {

// Coordinates up to 2^40 cells from the origin keep the cell arithmetic exact to far better than
// the quarter cell that separates a match from the next cell.
constexpr double kLargestCellCoordinate = 1099511627776.0;

// Cell index along one axis: floor(u) counted from `first`, clamped into 0 .. count-1. The clamp
// is monotone and never separates two points that were one cell apart, so it keeps the search
// exact for points beyond the grid.
int64_t clampedCell(double u, int64_t first, int64_t count) {
    const double f = std::floor(u) - static_cast<double>(first);
    if (!(f > 0)) return 0;
    if (f >= static_cast<double>(count - 1)) return count - 1;
    return static_cast<int64_t>(f);
}

} // namespace

// ---- MidpointSearch ------------------------------------------------------------------------------

void MidpointSearch::start(double tolerance, int32_t first, std::size_t expectedNodes,
                           std::span<const Node> nodes, int32_t count) {
    tolerance_ = tolerance;
    first_ = first;
    heads_.clear();
    nodeCell_.clear();
    next_.clear();
    if (!(tolerance > 0)) {
        mode_ = Mode::NeverFound; // no distance is below zero (or below NaN)
        return;
    }
    mode_ = Mode::Scan;
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    bool any = false;
    for (int32_t i = 0; i < count; ++i) {
        const Node& n = nodes[idx(i)];
        if (!std::isfinite(n.X) || !std::isfinite(n.Y)) continue;
        if (!any || n.X < xmin) xmin = n.X;
        if (!any || n.X > xmax) xmax = n.X;
        if (!any || n.Y < ymin) ymin = n.Y;
        if (!any || n.Y > ymax) ymax = n.Y;
        any = true;
    }
    if (!any) return;
    const double expected = static_cast<double>(expectedNodes) + 1;
    double size = std::max(4 * tolerance, std::sqrt((xmax - xmin) * (ymax - ymin) / expected));
    if (!std::isfinite(size)) return;
    const double budget = 2 * expected + 1024;
    auto span = [&](double low, double high) { return std::floor(high / size) - std::floor(low / size) + 1; };
    while (span(xmin, xmax) * span(ymin, ymax) > budget)
        size *= 2;
    const double largest =
        std::max(std::max(std::fabs(xmin), std::fabs(xmax)), std::max(std::fabs(ymin), std::fabs(ymax)));
    if (!std::isfinite(size) || largest / size > kLargestCellCoordinate) return;

    cellSize_ = size;
    firstColumn_ = static_cast<int64_t>(std::floor(xmin / size));
    firstRow_ = static_cast<int64_t>(std::floor(ymin / size));
    columns_ = static_cast<int64_t>(span(xmin, xmax));
    rows_ = static_cast<int64_t>(span(ymin, ymax));
    try {
        heads_.assign(idx(columns_ * rows_), -1);
        nodeCell_.reserve(expectedNodes);
        next_.reserve(expectedNodes);
    } catch (const std::bad_alloc&) {
        fallBackToScan();
        return;
    }
    mode_ = Mode::Cells;
}

void MidpointSearch::fallBackToScan() {
    mode_ = Mode::Scan;
    heads_ = {};
    nodeCell_ = {};
    next_ = {};
}

int64_t MidpointSearch::column(double x) const {
    return clampedCell(x / cellSize_, firstColumn_, columns_);
}
int64_t MidpointSearch::row(double y) const {
    return clampedCell(y / cellSize_, firstRow_, rows_);
}

int32_t MidpointSearch::cellOf(double x, double y) const {
    if (!std::isfinite(x) || !std::isfinite(y)) return kNoCell; // such a node is never within reach
    return static_cast<int32_t>(column(x) * rows_ + row(y));
}

void MidpointSearch::link(int32_t index, int32_t cell) {
    const std::size_t local = idx(index - first_);
    nodeCell_[local] = cell;
    next_[local] = -1;
    if (cell == kNoCell) return;
    next_[local] = heads_[idx(cell)];
    heads_[idx(cell)] = index;
}

void MidpointSearch::unlink(int32_t index, int32_t cell) {
    if (cell == kNoCell) return;
    int32_t* link = &heads_[idx(cell)];
    while (*link != -1) {
        if (*link == index) {
            *link = next_[idx(index - first_)];
            return;
        }
        link = &next_[idx(*link - first_)];
    }
}

void MidpointSearch::add(int32_t index, double x, double y) {
    if (mode_ != Mode::Cells) return;
    try {
        nodeCell_.push_back(kNoCell);
        next_.push_back(-1);
    } catch (const std::bad_alloc&) {
        fallBackToScan();
        return;
    }
    link(index, cellOf(x, y));
}

void MidpointSearch::moved(int32_t index, double x, double y) {
    if (mode_ != Mode::Cells) return;
    const std::size_t local = idx(index - first_);
    const int32_t cell = cellOf(x, y);
    if (cell == nodeCell_[local]) return;
    unlink(index, nodeCell_[local]);
    link(index, cell);
}

int32_t MidpointSearch::find(std::span<const Node> nodes, int32_t end, double x, double y) const {
    int32_t best = -1;
    double bestDistance = tolerance_;
    switch (mode_) {
    case Mode::NeverFound:
        return -1;
    case Mode::Scan:
        for (int32_t i = first_; i < end; ++i) {
            const Node& node = nodes[idx(i)];
            const double distance = std::fabs(node.X - x) + std::fabs(node.Y - y);
            if (distance < bestDistance) {
                bestDistance = distance;
                best = i;
            }
        }
        return best;
    case Mode::Cells:
        break;
    }
    if (!std::isfinite(x) || !std::isfinite(y)) return -1;
    // A match differs by less than a quarter cell along each axis.
    const double u = x / cellSize_, v = y / cellSize_;
    const int64_t c0 = clampedCell(u - 0.375, firstColumn_, columns_);
    const int64_t c1 = clampedCell(u + 0.375, firstColumn_, columns_);
    const int64_t r0 = clampedCell(v - 0.375, firstRow_, rows_);
    const int64_t r1 = clampedCell(v + 0.375, firstRow_, rows_);
    for (int64_t c = c0; c <= c1; ++c) {
        for (int64_t r = r0; r <= r1; ++r) {
            for (int32_t i = heads_[idx(c * rows_ + r)]; i != -1; i = next_[idx(i - first_)]) {
                const Node& node = nodes[idx(i)];
                const double distance = std::fabs(node.X - x) + std::fabs(node.Y - y);
                if (distance < bestDistance || (best >= 0 && distance == bestDistance && i < best)) {
                    bestDistance = distance;
                    best = i;
                }
            }
        }
    }
    return best;
}

// ---- EdgeMap -------------------------------------------------------------------------------------

void EdgeMap::fallBackToScan() {
    scan_ = true;
    heads_ = {};
    upper_ = {};
    next_ = {};
}

void EdgeMap::build(const Problem& problem, int32_t count) {
    scan_ = false;
    try {
        heads_.assign(idx(problem.NN), -1);
        upper_.clear();
        next_.clear();
        upper_.reserve(idx(count) * 3 * 2);
        next_.reserve(idx(count) * 3 * 2);
    } catch (const std::bad_alloc&) {
        fallBackToScan();
        return;
    }
    for (int32_t e = 0; e < count && !scan_; ++e)
        add(e, problem.elements[idx(e)]);
}

void EdgeMap::add(int32_t element, const Element& record) {
    if (scan_) return;
    const std::size_t base = idx(element) * 3;
    try {
        if (upper_.size() < base + 3) {
            upper_.resize(base + 3, -1);
            next_.resize(base + 3, -1);
        }
        for (const int32_t n : record.node)
            if (idx(n) >= heads_.size())
                heads_.resize(std::max(idx(n) + 1, heads_.size() + heads_.size() / 2), -1);
    } catch (const std::bad_alloc&) {
        fallBackToScan();
        return;
    }
    for (int side = 0; side < 3; ++side) {
        const int32_t p = record.node[side], q = record.node[(side + 1) % 3];
        const int32_t low = std::min(p, q);
        const std::size_t slot = base + idx(side);
        upper_[slot] = std::max(p, q);
        next_[slot] = heads_[idx(low)];
        heads_[idx(low)] = static_cast<int32_t>(slot);
    }
}

void EdgeMap::remove(int32_t element, const Element& record) {
    if (scan_) return;
    const int32_t base = element * 3;
    for (int side = 0; side < 3; ++side) {
        const int32_t low = std::min(record.node[side], record.node[(side + 1) % 3]);
        int32_t* link = &heads_[idx(low)];
        while (*link != -1) {
            if (*link == base + side) {
                *link = next_[idx(*link)];
                break;
            }
            link = &next_[idx(*link)];
        }
    }
}

int32_t EdgeMap::neighbour(const Problem& problem, int32_t p, int32_t q, int32_t skip) const {
    // A side that starts and ends at the same node is contained in every element that holds that
    // node; such sides come only from degenerate elements and are left to the scan.
    if (scan_ || p == q) return scanForNeighbour(problem, p, q, skip);
    const int32_t low = std::min(p, q), high = std::max(p, q);
    if (idx(low) >= heads_.size()) return -1;
    int32_t best = -1;
    for (int32_t slot = heads_[idx(low)]; slot != -1; slot = next_[idx(slot)]) {
        if (upper_[idx(slot)] != high) continue;
        const int32_t element = slot / 3;
        if (element != skip && (best < 0 || element < best)) best = element;
    }
    return best;
}
int32_t scanForNeighbour(const Problem& problem, int32_t p, int32_t q, int32_t skip) {
    for (int32_t e = 0; e < problem.NM; ++e) {
        if (e == skip) continue;
        const int32_t* n = problem.elements[idx(e)].node;
        const bool hasP = n[0] == p || n[1] == p || n[2] == p;
        const bool hasQ = n[0] == q || n[1] == q || n[2] == q;
        if (hasP && hasQ) return e;
    }
    return -1;
}

} // namespace velkor
