// Mesh reset, Split 4, Split 2 and Add Well.
#include "mesh/refinement.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "mesh/mesh_search.h"
#include "model/number_text.h"
#include "model/table.h"

namespace velkor {

namespace {

const char* const kSplitFourCapacityMessage =
    "Capacity exceeded\n\n"
    "The number of nodes or elements in the problem is too large to split all elements "
    "into 4 elements.\n\n"
    "The capacity of the program can be increased by increasing the values of NMAX and "
    "MMAX in the main window.";

const char* const kSplitTwoCapacityMessage =
    "Capacity exceeded\n\n"
    "The number of nodes or elements in the problem is too large to split all elements "
    "into 2 elements.\n\n"
    "The capacity of the program can be increased by increasing the values of NMAX and "
    "MMAX in the main window.";

const char* const kInteriorNodeCapacityMessage =
    "Capacity exceeded\n\n"
    "The number of nodes and/or elements in the problem is too large to add "
    "an interior node.\n\n"
    "The capacity of the program can be increased by increasing the values of "
    "NMAX and MMAX in the main window.";

const char* const kOutsideMeshMessage = "Well outside mesh\n\n"
                                        "A new well must be located inside the mesh of finite elements.";

const char* const kUnsoundTablesMessage = "The mesh refers to nodes outside the node table.";
const char* const kNoMemoryMessage = "Not enough memory for this operation.";

template <typename Record> int32_t capacity(const Table<Record>& table) {
    return static_cast<int32_t>(table.size());
}

// Values of a node that refinement writes; the solver's supply and row end are left alone.
struct NodeValues {
    double X = 0, Y = 0, B = 0, T = 0, F = 0;
    int32_t Type = 0;
};

// A midpoint inherits a prescribed head only where both ends have one; the sum is taken in 64
// bits so that no stored type can overflow it.
int32_t averagedType(const Node& p, const Node& q) {
    return static_cast<int32_t>((int64_t{p.Type} + int64_t{q.Type}) / 2);
}

NodeValues midpointOf(const Node& p, const Node& q) {
    NodeValues m;
    m.X = (p.X + q.X) * 0.5;
    m.Y = (p.Y + q.Y) * 0.5;
    m.B = (p.B + q.B) * 0.5;
    m.T = (p.T + q.T) * 0.5;
    m.F = (p.F + q.F) * 0.5;
    m.Type = averagedType(p, q);
    return m;
}

NodeValues centreOf(const Node& a, const Node& b, const Node& c) {
    NodeValues m;
    m.X = (a.X + b.X + c.X) / 3;
    m.Y = (a.Y + b.Y + c.Y) / 3;
    m.B = (a.B + b.B + c.B) / 3;
    m.T = (a.T + b.T + c.T) / 3;
    m.F = (a.F + b.F + c.F) / 3;
    m.Type = 0;
    return m;
}

void writeNode(Node& row, const NodeValues& v) {
    row.X = v.X;
    row.Y = v.Y;
    row.B = v.B;
    row.T = v.T;
    row.F = v.F;
    row.Q = 0;
    row.Type = v.Type;
}

void setCorners(Element& element, int32_t a, int32_t b, int32_t c) {
    element.node[0] = a;
    element.node[1] = b;
    element.node[2] = c;
}

void appendElement(Problem& p, int32_t a, int32_t b, int32_t c, int32_t soil) {
    Element& element = p.elements[idx(p.NM)];
    setCorners(element, a, b, c);
    element.soil = soil;
    ++p.NM;
}

int32_t thirdNode(const Element& k, int32_t p, int32_t q) {
    if (k.node[0] != p && k.node[0] != q) return k.node[0];
    if (k.node[1] != p && k.node[1] != q) return k.node[1];
    return k.node[2];
}

// Merge tolerance of a pass: new midpoints closer than this to a node made earlier in the same
// pass are taken to be that node.
double mergeTolerance(const Problem& p) {
    return 0.00001 * std::sqrt(p.LX * p.LY / p.NN);
}

// The pass has visited `visited` of the `total` elements it started with.
void report(Feedback* feedback, Stage stage, const Problem& p, int32_t visited, int32_t total) {
    if (!feedback) return;
    Progress progress;
    progress.stage = stage;
    progress.nodes = p.NN;
    progress.elements = p.NM;
    progress.percent = percentOf(visited, total);
    feedback->progress(progress);
}

// Asked every few thousand elements, so that a million elements cost no noticeable time.
constexpr int32_t kCancelInterval = 4096;

bool cancelled(Feedback* feedback, int32_t element, Result& result) {
    if (!feedback || element % kCancelInterval != kCancelInterval - 1 || !feedback->cancelRequested())
        return false;
    result = Result::failed(Outcome::Cancelled, {});
    return true;
}

// Both renumberings, which close every operation whatever its outcome.
void renumber(Problem& p, Result& result) {
    if (!renumberNodes(p) || !renumberElements(p)) {
        if (result.ok()) {
            result = meshTablesAreSound(p) ? Result::failed(Outcome::OutOfMemory, kNoMemoryMessage)
                                           : Result::failed(Outcome::BadInput, kUnsoundTablesMessage);
        }
    }
}

} // namespace

void resetMesh(Problem& p) {
    // Every change of blocks throws the refinement away: the mesh is the blocks again.
    const int32_t blockCount =
        std::clamp<int32_t>(p.NB, 0, static_cast<int32_t>(std::min(p.blocks.size(), p.elements.size())));
    p.NN = p.NA;
    p.NM = blockCount;
    p.saved.NA = p.NA;
    p.saved.NB = p.NB;
    p.saved.NN = p.NA;
    p.saved.NM = blockCount;
    p.NW = 0;
    for (int32_t i = 0; i < blockCount; ++i) {
        const Block& block = p.blocks[idx(i)];
        Element& element = p.elements[idx(i)];
        setCorners(element, block.node[0], block.node[1], block.node[2]);
        element.soil = block.soil;
    }
}

Result splitAllInFour(Problem& p, Feedback* feedback) {
    Result result;
    if (!meshTablesAreSound(p)) return Result::failed(Outcome::BadInput, kUnsoundTablesMessage);
    p.saved.NN = p.NN;
    p.saved.NM = p.NM;
    const double tolerance = mergeTolerance(p);
    report(feedback, Stage::Split4, p, 0, p.saved.NM);

    const int32_t NMAX = capacity(p.nodes), MMAX = capacity(p.elements);
    if (NMAX / 4 < p.NN || MMAX / 4 < p.NM) {
        result = Result::failed(Outcome::RefusedCapacity, kSplitFourCapacityMessage);
    } else {
        MidpointSearch search;
        const int64_t expected = std::min<int64_t>(2 * int64_t{p.NM} + 16, NMAX - p.NN);
        search.start(tolerance, p.saved.NN, idx(expected), p.nodes, p.NN);
        for (int32_t e = 0; e < p.saved.NM; ++e) {
            if (cancelled(feedback, e, result)) break;
            Element& element = p.elements[idx(e)];
            const int32_t n1 = element.node[0], n2 = element.node[1], n3 = element.node[2];
            const Node &v1 = p.nodes[idx(n1)], &v2 = p.nodes[idx(n2)], &v3 = p.nodes[idx(n3)];
            NodeValues mid[3] = {midpointOf(v2, v3), midpointOf(v3, v1), midpointOf(v1, v2)};
            int32_t found[3];
            for (int s = 0; s < 3; ++s)
                found[s] = search.find(p.nodes, p.NN, mid[s].X, mid[s].Y);
            // The threshold above holds for every plane mesh; a tangle of overlapping elements
            // could still need more sides than that, and the pass stops before the tables end.
            const int32_t added = (found[0] < 0) + (found[1] < 0) + (found[2] < 0);
            if (p.NN > NMAX - added || p.NM > MMAX - 3) {
                result = Result::failed(Outcome::RefusedCapacity, kSplitFourCapacityMessage);
                break;
            }
            int32_t index[3];
            for (int s = 0; s < 3; ++s) {
                if (found[s] < 0) {
                    index[s] = p.NN++;
                } else {
                    index[s] = found[s];
                    mid[s].Type = 0; // a side shared with an element already split
                }
            }
            for (int s = 0; s < 3; ++s) {
                writeNode(p.nodes[idx(index[s])], mid[s]);
                if (found[s] < 0)
                    search.add(index[s], mid[s].X, mid[s].Y);
                else
                    search.moved(index[s], mid[s].X, mid[s].Y);
            }
            const int32_t m23 = index[0], m31 = index[1], m12 = index[2];
            const int32_t soil = element.soil;
            setCorners(element, m23, m31, m12);
            appendElement(p, n1, m12, m31, soil);
            appendElement(p, n2, m23, m12, soil);
            appendElement(p, n3, m31, m23, soil);
            report(feedback, Stage::Split4, p, e + 1, p.saved.NM);
        }
    }
    report(feedback, Stage::Split4, p, p.saved.NM, p.saved.NM);
    p.resultsStale = true;
    // A cancelled pass is given up half done: the caller puts the mesh back (splitMesh does).
    if (result.outcome != Outcome::Cancelled) renumber(p, result);
    return result;
}

Result splitAllInTwo(Problem& p, Feedback* feedback) {
    Result result;
    if (!meshTablesAreSound(p)) return Result::failed(Outcome::BadInput, kUnsoundTablesMessage);
    // One done mark per element slot the pass can reach: a visit appends at most two elements,
    // so no element index reaches three times the count at the start.
    std::vector<uint8_t> done;
    try {
        done.assign(std::min<std::size_t>(p.elements.size(), 3 * idx(p.NM)), 0);
    } catch (const std::bad_alloc&) {
        return Result::failed(Outcome::OutOfMemory, kNoMemoryMessage);
    }
    p.saved.NN = p.NN;
    p.saved.NM = p.NM;
    const double tolerance = mergeTolerance(p);
    report(feedback, Stage::Split2, p, 0, p.saved.NM);

    const int32_t NMAX = capacity(p.nodes), MMAX = capacity(p.elements);
    if (NMAX / 2 < p.NN || MMAX / 2 < p.NM) {
        result = Result::failed(Outcome::RefusedCapacity, kSplitTwoCapacityMessage);
    } else {
        MidpointSearch search;
        search.start(tolerance, p.saved.NN, idx(std::min<int64_t>(p.NM, NMAX - p.NN)), p.nodes, p.NN);
        EdgeMap edges;
        edges.build(p, p.NM);
        // Element rewrites go through here so that the edge map follows every change.
        auto rewrite = [&](int32_t e, int32_t a, int32_t b, int32_t c) {
            Element& element = p.elements[idx(e)];
            edges.remove(e, element);
            setCorners(element, a, b, c);
            edges.add(e, element);
        };
        auto append = [&](int32_t a, int32_t b, int32_t c, int32_t soil) {
            const int32_t e = p.NM;
            appendElement(p, a, b, c, soil);
            edges.add(e, p.elements[idx(e)]);
        };

        for (int32_t i = 0; i < p.saved.NM; ++i) {
            if (cancelled(feedback, i, result)) break;
            if (done[idx(i)]) continue;
            const Element& element = p.elements[idx(i)];
            const int32_t n1 = element.node[0], n2 = element.node[1], n3 = element.node[2];
            const int32_t soil = element.soil;
            const Node &v1 = p.nodes[idx(n1)], &v2 = p.nodes[idx(n2)], &v3 = p.nodes[idx(n3)];
            const NodeValues m23 = midpointOf(v2, v3), m31 = midpointOf(v3, v1), m12 = midpointOf(v1, v2);

            // A later hit overrides an earlier one: M12 before M31 before M23.
            int32_t m = search.find(p.nodes, p.NN, m12.X, m12.Y);
            int side = 2;
            if (m < 0) {
                m = search.find(p.nodes, p.NN, m31.X, m31.Y);
                side = 1;
            }
            if (m < 0) {
                m = search.find(p.nodes, p.NN, m23.X, m23.Y);
                side = 0;
            }

            // A neighbour cut a second time makes the pass outgrow twice its start; it stops
            // between elements, where the mesh is conforming, before a table would overflow.
            const auto stop = [&]() {
                result = Result::failed(Outcome::RefusedCapacity, kSplitTwoCapacityMessage);
                return true;
            };
            if (m >= 0) {
                if (p.NM > MMAX - 1 && stop()) break;
                // The side was cut already: join its midpoint to the opposite corner.
                if (side == 0) {
                    rewrite(i, n1, n2, m);
                    append(n1, n3, m, soil);
                } else if (side == 1) {
                    rewrite(i, n2, n3, m);
                    append(n2, n1, m, soil);
                } else {
                    rewrite(i, n3, n1, m);
                    append(n3, n2, m, soil);
                }
                p.nodes[idx(m)].Type = 0;
            } else {
                const double l23 = std::sqrt((v3.X - v2.X) * (v3.X - v2.X) + (v3.Y - v2.Y) * (v3.Y - v2.Y));
                const double l31 = std::sqrt((v1.X - v3.X) * (v1.X - v3.X) + (v1.Y - v3.Y) * (v1.Y - v3.Y));
                const double l12 = std::sqrt((v2.X - v1.X) * (v2.X - v1.X) + (v2.Y - v1.Y) * (v2.Y - v1.Y));
                int32_t a = n1, b = n2, r = n3;
                const NodeValues* cut = &m23;
                double longest = l23;
                if (l31 > longest) {
                    longest = l31;
                    a = n2, b = n3, r = n1;
                    cut = &m31;
                }
                if (l12 > longest) {
                    a = n3, b = n1, r = n2;
                    cut = &m12;
                }
                const int32_t k = edges.neighbour(p, b, r, i);
                if ((p.NN > NMAX - 1 || p.NM > MMAX - (k >= 0 ? 2 : 1)) && stop()) break;
                const int32_t mid = p.NN;
                writeNode(p.nodes[idx(mid)], *cut);
                rewrite(i, a, b, mid);
                append(a, r, mid, soil);
                ++p.NN;
                search.add(mid, cut->X, cut->Y);
                if (k >= 0) {
                    const Element& neighbour = p.elements[idx(k)];
                    const int32_t c = thirdNode(neighbour, b, r);
                    const int32_t neighbourSoil = neighbour.soil;
                    rewrite(k, c, b, mid);
                    append(c, r, mid, neighbourSoil);
                    p.nodes[idx(mid)].Type = 0;
                    done[idx(k)] = 1;
                }
            }
            report(feedback, Stage::Split2, p, i + 1, p.saved.NM);
        }
    }
    done = {};
    report(feedback, Stage::Split2, p, p.saved.NM, p.saved.NM);
    p.resultsStale = true;
    if (result.outcome != Outcome::Cancelled) renumber(p, result);
    return result;
}

Result addWell(Problem& p, double x, double y) {
    Result result;
    if (!meshTablesAreSound(p)) return Result::failed(Outcome::BadInput, kUnsoundTablesMessage);
    const int32_t NMAX = capacity(p.nodes), MMAX = capacity(p.elements);
    const int32_t BMAX = static_cast<int32_t>(std::min(p.wellNodes.size(), p.wellQ.size()));

    const double snapRadius = 0.1 * std::sqrt(p.LX * p.LY / p.NN);
    int32_t snapped = -1;
    for (int32_t i = 0; i < p.NN; ++i) {
        const Node& node = p.nodes[idx(i)];
        if (std::sqrt((node.X - x) * (node.X - x) + (node.Y - y) * (node.Y - y)) < snapRadius) {
            snapped = i;
            break;
        }
    }

    if (p.NW >= BMAX) {
        result = Result::failed(Outcome::RefusedCapacity, kWellCapacityMessage);
    } else if (snapped >= 0) {
        p.wellNodes[idx(p.NW++)] = snapped;
    } else if (p.NM > MMAX - 5 || p.NN > NMAX - 3 || p.NM > MMAX - 8 || p.NN > NMAX - 4) {
        // The first two checks leave room for five elements and three nodes, but an insertion
        // with three neighbours makes eight and four: refuse the worst case that does not fit.
        result = Result::failed(Outcome::RefusedCapacity, kInteriorNodeCapacityMessage);
    } else {
        int32_t j = -1;
        for (int32_t e = 0; e < p.NM && j < 0; ++e)
            j = pointInElement(p, x, y, e);
        if (j < 0) {
            result = Result::failed(Outcome::RefusedGeometry, kOutsideMeshMessage);
        } else {
            Element& clicked = p.elements[idx(j)];
            const int32_t n1 = clicked.node[0], n2 = clicked.node[1], n3 = clicked.node[2];
            const int32_t soil = clicked.soil;
            const int32_t centre = p.NN;
            writeNode(p.nodes[idx(centre)], centreOf(p.nodes[idx(n1)], p.nodes[idx(n2)], p.nodes[idx(n3)]));
            ++p.NN;
            p.wellNodes[idx(p.NW++)] = centre;
            setCorners(clicked, centre, n2, n3);
            const int32_t e2 = p.NM;
            appendElement(p, centre, n1, n2, soil);
            const int32_t e3 = p.NM;
            appendElement(p, centre, n1, n3, soil);

            for (const int32_t sub : {j, e2, e3}) {
                const int32_t a = p.elements[idx(sub)].node[1], b = p.elements[idx(sub)].node[2];
                const int32_t k = scanForNeighbour(p, a, b, sub);
                const int32_t mid = p.NN;
                NodeValues m = midpointOf(p.nodes[idx(a)], p.nodes[idx(b)]);
                if (k >= 0) m.Type = 0;
                writeNode(p.nodes[idx(mid)], m);
                setCorners(p.elements[idx(sub)], centre, a, mid);
                appendElement(p, centre, b, mid, soil);
                if (k >= 0) {
                    Element& neighbour = p.elements[idx(k)];
                    const int32_t o = thirdNode(neighbour, a, b);
                    setCorners(neighbour, o, a, mid);
                    appendElement(p, o, b, mid, neighbour.soil);
                }
                ++p.NN;
            }
            p.resultsStale = true;
        }
    }
    renumber(p, result);
    return result;
}

} // namespace velkor
