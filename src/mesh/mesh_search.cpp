#include "mesh/mesh_search.h"

#include <cmath>
#include <limits>
#include <new>

namespace velkor {

namespace {

uint64_t mix(uint64_t key) {
    key ^= key >> 30;
    key *= 0xbf58476d1ce4e5b9ull;
    key ^= key >> 27;
    key *= 0x94d049bb133111ebull;
    key ^= key >> 31;
    return key;
}

std::size_t at(int32_t index) {
    return static_cast<std::size_t>(index);
}

// Cell coordinates are kept inside 32 bits; coordinates beyond that share the outermost cells,
// which stays exact because the clamp never separates two points that were one cell apart.
constexpr double kCellLimit = 2147483000.0;

int64_t cellOf(double u) {
    if (u >= kCellLimit) return static_cast<int64_t>(kCellLimit);
    if (u <= -kCellLimit) return -static_cast<int64_t>(kCellLimit);
    return static_cast<int64_t>(std::floor(u));
}

uint64_t packCell(int64_t cx, int64_t cy) {
    const uint64_t ux = static_cast<uint64_t>(cx + 2147483648LL);
    const uint64_t uy = static_cast<uint64_t>(cy + 2147483648LL);
    return (ux << 32) | uy;
}

// The two cells per axis that can hold a point within a quarter cell of u (three where the
// clamp makes the fraction meaningless).
void nearCells(double u, int64_t& low, int64_t& high) {
    const int64_t c = cellOf(u);
    if (std::fabs(u) < kCellLimit - 2) {
        low = (u - std::floor(u) < 0.5) ? c - 1 : c;
        high = low + 1;
    } else {
        low = c - 1;
        high = c + 1;
    }
}

} // namespace

// ---- HeadTable -----------------------------------------------------------------------------------

bool HeadTable::reserve(std::size_t expected) {
    std::size_t slots = 16;
    while (slots < 2 * expected + 2)
        slots *= 2;
    if (slots <= keys_.size()) return true;
    return rehash(slots);
}

std::size_t HeadTable::slotOf(uint64_t key) const {
    std::size_t slot = static_cast<std::size_t>(mix(key)) & mask_;
    while (keys_[slot] != key && keys_[slot] != kEmpty)
        slot = (slot + 1) & mask_;
    return slot;
}

bool HeadTable::rehash(std::size_t slotCount) {
    std::vector<uint64_t> oldKeys;
    std::vector<int32_t> oldHeads;
    try {
        std::vector<uint64_t> newKeys(slotCount, kEmpty);
        std::vector<int32_t> newHeads(slotCount, -1);
        oldKeys.swap(keys_);
        oldHeads.swap(heads_);
        keys_.swap(newKeys);
        heads_.swap(newHeads);
    } catch (const std::bad_alloc&) {
        return false;
    }
    mask_ = slotCount - 1;
    for (std::size_t i = 0; i < oldKeys.size(); ++i) {
        if (oldKeys[i] == kEmpty) continue;
        const std::size_t slot = slotOf(oldKeys[i]);
        keys_[slot] = oldKeys[i];
        heads_[slot] = oldHeads[i];
    }
    return true;
}

int32_t* HeadTable::find(uint64_t key) {
    if (keys_.empty()) return nullptr;
    const std::size_t slot = slotOf(key);
    return keys_[slot] == key ? &heads_[slot] : nullptr;
}

const int32_t* HeadTable::find(uint64_t key) const {
    if (keys_.empty()) return nullptr;
    const std::size_t slot = slotOf(key);
    return keys_[slot] == key ? &heads_[slot] : nullptr;
}

int32_t* HeadTable::findOrInsert(uint64_t key) {
    if (keys_.empty() && !rehash(16)) return nullptr;
    std::size_t slot = slotOf(key);
    if (keys_[slot] == key) return &heads_[slot];
    if (2 * (count_ + 1) > keys_.size()) {
        if (!rehash(2 * keys_.size())) return nullptr;
        slot = slotOf(key);
    }
    keys_[slot] = key;
    heads_[slot] = -1;
    ++count_;
    return &heads_[slot];
}

// ---- MidpointSearch ------------------------------------------------------------------------------

void MidpointSearch::start(double tolerance, int32_t first, std::size_t expectedNodes) {
    tolerance_ = tolerance;
    first_ = first;
    cellSize_ = 4 * tolerance;
    nodeCell_.clear();
    next_.clear();
    if (!(tolerance > 0)) {
        mode_ = Mode::NeverFound; // no distance is below zero (or below NaN)
        return;
    }
    mode_ = Mode::Cells;
    if (!std::isfinite(cellSize_)) {
        mode_ = Mode::Scan;
        return;
    }
    try {
        nodeCell_.reserve(expectedNodes);
        next_.reserve(expectedNodes);
    } catch (const std::bad_alloc&) {
        fallBackToScan();
        return;
    }
    if (!cells_.reserve(expectedNodes)) fallBackToScan();
}

void MidpointSearch::fallBackToScan() {
    mode_ = Mode::Scan;
    nodeCell_ = {};
    next_ = {};
    cells_ = HeadTable{};
}

uint64_t MidpointSearch::cellKey(double x, double y) const {
    if (!std::isfinite(x) || !std::isfinite(y)) return kNoCell; // such a node is never within reach
    return packCell(cellOf(x / cellSize_), cellOf(y / cellSize_));
}

void MidpointSearch::link(int32_t index, uint64_t key) {
    const std::size_t local = at(index - first_);
    nodeCell_[local] = key;
    next_[local] = -1;
    if (key == kNoCell) return;
    int32_t* head = cells_.findOrInsert(key);
    if (head == nullptr) {
        fallBackToScan();
        return;
    }
    next_[local] = *head;
    *head = index;
}

void MidpointSearch::unlink(int32_t index, uint64_t key) {
    if (key == kNoCell) return;
    int32_t* link = cells_.find(key);
    while (link != nullptr && *link != -1) {
        if (*link == index) {
            *link = next_[at(*link - first_)];
            return;
        }
        link = &next_[at(*link - first_)];
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
    link(index, cellKey(x, y));
}

void MidpointSearch::moved(int32_t index, double x, double y) {
    if (mode_ != Mode::Cells) return;
    const std::size_t local = at(index - first_);
    const uint64_t key = cellKey(x, y);
    if (key == nodeCell_[local]) return;
    unlink(index, nodeCell_[local]);
    link(index, key);
}

int32_t MidpointSearch::find(const std::vector<Node>& nodes, int32_t end, double x, double y) const {
    int32_t best = -1;
    double bestDistance = tolerance_;
    auto consider = [&](int32_t i) {
        const Node& node = nodes[at(i)];
        const double distance = std::fabs(node.X - x) + std::fabs(node.Y - y);
        if (distance < bestDistance || (best >= 0 && distance == bestDistance && i < best)) {
            bestDistance = distance;
            best = i;
        }
    };
    switch (mode_) {
    case Mode::NeverFound:
        return -1;
    case Mode::Scan:
        for (int32_t i = first_; i < end; ++i) {
            const Node& node = nodes[at(i)];
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
    int64_t xLow = 0, xHigh = 0, yLow = 0, yHigh = 0;
    nearCells(x / cellSize_, xLow, xHigh);
    nearCells(y / cellSize_, yLow, yHigh);
    for (int64_t cx = xLow; cx <= xHigh; ++cx) {
        for (int64_t cy = yLow; cy <= yHigh; ++cy) {
            const int32_t* head = cells_.find(packCell(cx, cy));
            for (int32_t i = head ? *head : -1; i != -1; i = next_[at(i - first_)])
                consider(i);
        }
    }
    return best;
}

// ---- EdgeMap -------------------------------------------------------------------------------------

uint64_t EdgeMap::pairKey(int32_t p, int32_t q) {
    const uint32_t low = static_cast<uint32_t>(p < q ? p : q);
    const uint32_t high = static_cast<uint32_t>(p < q ? q : p);
    return (uint64_t{low} << 32) | high;
}

void EdgeMap::fallBackToScan() {
    scan_ = true;
    pairs_ = HeadTable{};
    next_ = {};
}

bool EdgeMap::build(const Problem& problem, int32_t count) {
    scan_ = false;
    next_.clear();
    try {
        next_.reserve(at(count) * 3 * 2);
    } catch (const std::bad_alloc&) {
        fallBackToScan();
        return false;
    }
    if (!pairs_.reserve(at(count) * 3)) {
        fallBackToScan();
        return false;
    }
    for (int32_t e = 0; e < count && !scan_; ++e)
        add(e, problem.elements[at(e)]);
    return !scan_;
}

void EdgeMap::add(int32_t element, const Element& record) {
    if (scan_) return;
    const std::size_t base = at(element) * 3;
    if (next_.size() < base + 3) {
        try {
            next_.resize(base + 3, -1);
        } catch (const std::bad_alloc&) {
            fallBackToScan();
            return;
        }
    }
    for (int side = 0; side < 3; ++side) {
        int32_t* head = pairs_.findOrInsert(pairKey(record.node[side], record.node[(side + 1) % 3]));
        if (head == nullptr) {
            fallBackToScan();
            return;
        }
        next_[base + at(side)] = *head;
        *head = static_cast<int32_t>(base) + side;
    }
}

void EdgeMap::remove(int32_t element, const Element& record) {
    if (scan_) return;
    const int32_t base = element * 3;
    for (int side = 0; side < 3; ++side) {
        int32_t* link = pairs_.find(pairKey(record.node[side], record.node[(side + 1) % 3]));
        while (link != nullptr && *link != -1) {
            if (*link == base + side) {
                *link = next_[at(*link)];
                break;
            }
            link = &next_[at(*link)];
        }
    }
}

int32_t EdgeMap::neighbour(const Problem& problem, int32_t p, int32_t q, int32_t skip) const {
    // A side that starts and ends at the same node is contained in every element that holds that
    // node; such sides come only from degenerate elements and are left to the scan.
    if (scan_ || p == q) return scanForNeighbour(problem, p, q, skip);
    const int32_t* head = pairs_.find(pairKey(p, q));
    int32_t best = -1;
    for (int32_t slot = head ? *head : -1; slot != -1; slot = next_[at(slot)]) {
        const int32_t element = slot / 3;
        if (element != skip && (best < 0 || element < best)) best = element;
    }
    return best;
}

int32_t scanForNeighbour(const Problem& problem, int32_t p, int32_t q, int32_t skip) {
    for (int32_t e = 0; e < problem.NM; ++e) {
        if (e == skip) continue;
        const int32_t* n = problem.elements[at(e)].node;
        const bool hasP = n[0] == p || n[1] == p || n[2] == p;
        const bool hasQ = n[0] == q || n[1] == q || n[2] == q;
        if (hasP && hasQ) return e;
    }
    return -1;
}

} // namespace velkor
