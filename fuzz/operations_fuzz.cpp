// libFuzzer target: short sequences of the editing and solving operations, run as velkor-batch
// runs them, with points taken from the input, on the default problem and on a small refined
// one. After every step the tables must hold only references inside them, the mesh must be
// conforming, and a save must read back to the same text.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "batch/batch.h"
#include "io/datafile.h"
#include "model/number_text.h"

// The operations report their refusals here; in a fuzz run they are only counted by their effect.
void velkor::batch::reportMessage(std::string_view) {}

namespace {

using namespace velkor;

// Small tables, so that the capacity refusals of the splits and of Add Well are reached often.
const Limits kLimits{20, 120, 200, 8};

// Reads the input from the front; past its end every value is 0.
class Input {
  public:
    Input(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return position_ >= size_; }
    unsigned byte() { return position_ < size_ ? data_[position_++] : 0u; }
    unsigned word() { return byte() << 8 | byte(); }

  private:
    const uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

// A point of the problem area: anywhere in it and a little beyond its edges, or, as often, a
// node, or the midpoint of two nodes, where the mesh operations meet their ties and edges.
std::pair<double, double> point(Input& input, const Problem& p) {
    const unsigned kind = input.byte() % 4;
    const unsigned a = input.word(), b = input.word();
    if (kind < 2 || p.NN <= 0) {
        return {(static_cast<double>(a) / 65535 * 1.2 - 0.1) * p.LX,
                (static_cast<double>(b) / 65535 * 1.2 - 0.1) * p.LY};
    }
    const Node& n = p.nodes[a % static_cast<unsigned>(p.NN)];
    if (kind == 2) return {n.X, n.Y};
    const Node& m = p.nodes[b % static_cast<unsigned>(p.NN)];
    return {(n.X + m.X) * 0.5, (n.Y + m.Y) * 0.5};
}

std::string coordinates(std::pair<double, double> point) {
    return format("%.17g,%.17g", point.first, point.second);
}

bool referencesInsideTheTables(const Problem& p) {
    const auto inside = [](int32_t value, int32_t count) { return value >= 0 && value < count; };
    if (p.NN < 0 || static_cast<std::size_t>(p.NN) > p.nodes.size() || p.NA < 0 || p.NA > p.NN || p.NM < 0 ||
        static_cast<std::size_t>(p.NM) > p.elements.size() || p.NB < 0 ||
        static_cast<std::size_t>(p.NB) > p.blocks.size() || p.NW < 0 ||
        static_cast<std::size_t>(p.NW) > p.wellNodes.size() || p.NP < 0 ||
        static_cast<std::size_t>(p.NP) > p.particles.size())
        return false;
    for (int32_t b = 0; b < p.NB; ++b) {
        const Block& block = p.blocks[static_cast<std::size_t>(b)];
        for (const int32_t node : block.node)
            if (!inside(node, p.NA)) return false;
        if (!inside(block.soil, p.NB)) return false;
    }
    for (int32_t m = 0; m < p.NM; ++m) {
        const Element& element = p.elements[static_cast<std::size_t>(m)];
        for (const int32_t node : element.node)
            if (!inside(node, p.NN)) return false;
        if (!inside(element.soil, p.NB)) return false;
    }
    for (int32_t w = 0; w < p.NW; ++w)
        if (!inside(p.wellNodes[static_cast<std::size_t>(w)], p.NN)) return false;
    return true;
}

// The sides of a mesh that only one element has (its boundary, and any crack), as segments, and
// whether some side is shared by more than two elements.
struct Boundary {
    std::vector<std::pair<const Node*, const Node*>> sides;
    bool overShared = false;
};

Boundary boundaryOf(const Problem& p) {
    std::map<std::pair<int32_t, int32_t>, int> uses;
    for (int32_t m = 0; m < p.NM; ++m) {
        const Element& e = p.elements[static_cast<std::size_t>(m)];
        for (int k = 0; k < 3; ++k) {
            const int32_t a = e.node[k], b = e.node[(k + 1) % 3];
            ++uses[{std::min(a, b), std::max(a, b)}];
        }
    }
    Boundary boundary;
    for (const auto& [side, count] : uses) {
        if (count > 2) boundary.overShared = true;
        if (count == 1)
            boundary.sides.emplace_back(&p.nodes[static_cast<std::size_t>(side.first)],
                                        &p.nodes[static_cast<std::size_t>(side.second)]);
    }
    return boundary;
}

bool liesOn(const Node& n, const std::pair<const Node*, const Node*>& side) {
    const Node &a = *side.first, &b = *side.second;
    const double dx = b.X - a.X, dy = b.Y - a.Y, length2 = dx * dx + dy * dy;
    const double along = (n.X - a.X) * dx + (n.Y - a.Y) * dy;
    const double across = (n.X - a.X) * dy - (n.Y - a.Y) * dx;
    const double slack = 1e-9 * length2;
    return std::fabs(across) <= slack && along >= -slack && along <= length2 + slack;
}

// A refinement keeps the mesh conforming: every side that only one element has after it lies on a
// side that only one element had before (a side cut without its neighbour would leave a crack
// inside), and no side comes to be shared by more than two elements. The corners of the boundary
// before are copied, since the refinement moves the nodes of the table.
bool refinementConforms(const std::vector<std::pair<Node, Node>>& before, bool overSharedBefore,
                        const Problem& p) {
    const Boundary after = boundaryOf(p);
    if (after.overShared && !overSharedBefore) return false;
    for (const auto& [a, b] : after.sides) {
        bool found = false;
        for (const auto& [c, d] : before) {
            const std::pair<const Node*, const Node*> old{&c, &d};
            if (liesOn(*a, old) && liesOn(*b, old)) {
                found = true;
                break;
            }
        }
        if (!found) return false;
    }
    return true;
}

// Refinement promises a conforming mesh for proper blocks: triangles of some area that do not
// overlap. The block editor lets a node be dragged anywhere or added in line with a block side,
// and then it does not hold (midpoints of different sides fall on one point and are merged); on
// such blocks a refinement is checked for references and the save only.
bool properBlocks(const Problem& p) {
    std::vector<std::array<const Node*, 3>> corners;
    for (int32_t b = 0; b < p.NB; ++b) {
        const Block& block = p.blocks[static_cast<std::size_t>(b)];
        corners.push_back({&p.nodes[static_cast<std::size_t>(block.node[0])],
                           &p.nodes[static_cast<std::size_t>(block.node[1])],
                           &p.nodes[static_cast<std::size_t>(block.node[2])]});
    }
    const double scale = std::max(p.LX, p.LY);
    for (const auto& t : corners) {
        const double area =
            (t[1]->X - t[0]->X) * (t[2]->Y - t[0]->Y) - (t[2]->X - t[0]->X) * (t[1]->Y - t[0]->Y);
        if (std::fabs(area) <= 1e-9 * scale * scale) return false;
    }
    // Two triangles overlap unless the line of a side separates them.
    const auto separated = [scale](const std::array<const Node*, 3>& a, const std::array<const Node*, 3>& b) {
        for (const auto* side : {&a, &b}) {
            for (int k = 0; k < 3; ++k) {
                const Node &p0 = *(*side)[k], &p1 = *(*side)[(k + 1) % 3];
                const double nx = p0.Y - p1.Y, ny = p1.X - p0.X;
                double lowA = 1e300, highA = -1e300, lowB = 1e300, highB = -1e300;
                for (const Node* n : a) {
                    lowA = std::min(lowA, n->X * nx + n->Y * ny);
                    highA = std::max(highA, n->X * nx + n->Y * ny);
                }
                for (const Node* n : b) {
                    lowB = std::min(lowB, n->X * nx + n->Y * ny);
                    highB = std::max(highB, n->X * nx + n->Y * ny);
                }
                const double slack = 1e-9 * scale * std::hypot(nx, ny);
                if (highA <= lowB + slack || highB <= lowA + slack) return true;
            }
        }
        return false;
    };
    for (std::size_t i = 0; i < corners.size(); ++i)
        for (std::size_t j = i + 1; j < corners.size(); ++j)
            if (!separated(corners[i], corners[j])) return false;
    return true;
}

Problem& startingProblem(bool refined) {
    static Problem problem;
    static bool allocated = false;
    if (!allocated) {
        if (!problem.allocateTables(kLimits)) std::abort();
        allocated = true;
    }
    problem.resetToDefaultProblem();
    problem.buildColoursAndDefaultSoils();
    problem.fileName = "Data1.fem";
    problem.problemName = "Default Datafile";
    problem.warning = false;
    problem.preconditioner = false;
    if (refined) {
        batch::Options options;
        batch::State state{problem, options, 0, {}, false, {}};
        batch::runMeshOperation(state, "split4");
        batch::runMeshOperation(state, "split2");
    }
    return problem;
}

void check(const Problem& problem) {
    if (!referencesInsideTheTables(problem)) std::abort();
    // A problem the datafile can hold reads back from its text to the same text; one it cannot
    // hold is refused by the writer with a message, and there is nothing to read back.
    if (!unstorableValue(problem).empty()) return;
    static Problem again;
    static bool allocated = false;
    if (!allocated) {
        if (!again.allocateTables(kLimits)) std::abort();
        allocated = true;
    }
    const std::string written = datafileText(problem);
    if (!readDatafileText(again, written).ok() || datafileText(again) != written) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input input(data, size);
    Problem& problem = startingProblem(input.byte() % 2 == 1);
    batch::Options options;
    batch::State state{problem, options, 0, {}, false, {}};
    check(problem);
    for (int step = 0; step < 8 && !input.empty(); ++step) {
        std::string operation;
        switch (input.byte() % 8) {
        case 0:
            operation = "split4";
            break;
        case 1:
            operation = "split2";
            break;
        case 2:
            operation = "addwell:" + coordinates(point(input, problem));
            break;
        case 3:
            operation = "newnode:" + coordinates(point(input, problem));
            break;
        case 4:
            operation =
                "newline:" + coordinates(point(input, problem)) + "," + coordinates(point(input, problem));
            break;
        case 5:
            operation =
                "drag:" + coordinates(point(input, problem)) + "," + coordinates(point(input, problem));
            break;
        case 6:
            operation = "solve";
            break;
        default:
            operation = "solve:precond";
            break;
        }
        const bool proper = properBlocks(problem);
        const Boundary boundary = boundaryOf(problem);
        std::vector<std::pair<Node, Node>> before;
        for (const auto& [a, b] : boundary.sides)
            before.emplace_back(*a, *b);
        if (batch::runMeshOperation(state, operation) == batch::OperationUse::NotMine &&
            batch::runSolverOperation(state, operation) == batch::OperationUse::NotMine)
            std::abort();
        check(problem);
        const bool refinement = operation.rfind("split", 0) == 0 || operation.rfind("addwell", 0) == 0;
        if (refinement && proper && !refinementConforms(before, boundary.overShared, problem)) std::abort();
    }
    return 0;
}
