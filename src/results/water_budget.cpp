#include "results/water_budget.h"

#include <cmath>
#include <numeric>

#include "model/number_text.h"
#include "model/table.h"
#include "results/element_locator.h"

namespace velkor {

namespace {

constexpr const char* kEnDash = "\x96";

bool prescribed(const Node& node) {
    return node.Type > 0;
}

// Twice the area of element m, as the assembly takes it.
double doubleArea(const Problem& problem, const Element& e) {
    const Node& n1 = problem.nodes[idx(e.node[0])];
    const Node& n2 = problem.nodes[idx(e.node[1])];
    const Node& n3 = problem.nodes[idx(e.node[2])];
    return std::fabs(n1.X * (n2.Y - n3.Y) + n2.X * (n3.Y - n1.Y) + n3.X * (n1.Y - n2.Y));
}

bool soilUsable(const Problem& problem, const Element& e) {
    return e.soil >= 0 && e.soil < problem.usedBlockCount();
}

// The root of node i in the forest of joined prescribed nodes, halving the path on the way.
int32_t root(std::vector<int32_t>& parent, int32_t i) {
    while (parent[idx(i)] != i) {
        parent[idx(i)] = parent[idx(parent[idx(i)])];
        i = parent[idx(i)];
    }
    return i;
}

void join(std::vector<int32_t>& parent, int32_t a, int32_t b) {
    a = root(parent, a);
    b = root(parent, b);
    // The lower index becomes the root, so a group's root is its lowest node.
    if (a < b)
        parent[idx(b)] = a;
    else if (b < a)
        parent[idx(a)] = b;
}

// "a" when both ends read the same at this precision, else "a-b" with an en dash.
std::string range(const char* pattern, double low, double high) {
    const std::string a = format(pattern, low), b = format(pattern, high);
    return a == b ? a : a + kEnDash + b;
}

void addFlow(double flow, double& in, double& out) {
    if (flow > 0)
        in += flow;
    else if (flow < 0)
        out -= flow;
}

} // namespace

bool holdsSolution(const Problem& problem) {
    const int32_t nodes = problem.usedNodeCount();
    for (int32_t i = 0; i < nodes; ++i)
        if (problem.nodes[idx(i)].Q != 0) return true;
    // Every Q is zero: a solution only if nothing would make the water move.
    for (int32_t w = 0; w < problem.usedWellCount(); ++w)
        if (problem.wellQ[idx(w)] != 0) return false;
    for (int32_t m = 0; m < problem.usedElementCount(); ++m) {
        const Element& e = problem.elements[idx(m)];
        if (elementNodesUsable(problem, m) && soilUsable(problem, e) && problem.soils[idx(e.soil)].I != 0 &&
            doubleArea(problem, e) > 0)
            return false;
    }
    bool first = true;
    double head = 0;
    for (int32_t i = 0; i < nodes; ++i) {
        const Node& node = problem.nodes[idx(i)];
        if (!prescribed(node)) continue;
        if (!first && node.F != head) return false;
        head = node.F;
        first = false;
    }
    return true;
}

WaterBudget computeWaterBudget(const Problem& problem) {
    WaterBudget budget;
    budget.outOfDate = problem.resultsOutOfDate;
    if (!holdsSolution(problem)) return budget;
    budget.solved = true;

    const int32_t nodeCount = problem.usedNodeCount();
    const int32_t elementCount = problem.usedElementCount();
    const int32_t soilCount = problem.usedBlockCount();

    // The supply of the prescribed nodes as the assembly builds it: their wells, then a third of
    // the infiltration of every element around them.
    std::vector<double> supply(idx(nodeCount), 0.0);
    budget.wells.resize(idx(problem.usedWellCount()));
    for (int32_t w = 0; w < problem.usedWellCount(); ++w) {
        WellBudget& well = budget.wells[idx(w)];
        well.node = problem.wellNodes[idx(w)];
        well.Q = problem.wellQ[idx(w)];
        addFlow(well.Q, well.in, well.out);
        budget.wellsIn += well.in;
        budget.wellsOut += well.out;
        if (well.node >= 0 && well.node < nodeCount) supply[idx(well.node)] += well.Q;
    }

    budget.soils.resize(idx(soilCount));
    for (int32_t s = 0; s < soilCount; ++s)
        budget.soils[idx(s)].I = problem.soils[idx(s)].I;
    // Element sides between two prescribed nodes join them into one boundary.
    std::vector<int32_t> parent(idx(nodeCount));
    std::iota(parent.begin(), parent.end(), 0);
    for (int32_t m = 0; m < elementCount; ++m) {
        if (!elementNodesUsable(problem, m)) continue;
        const Element& e = problem.elements[idx(m)];
        for (int k = 0; k < 3; ++k) {
            const int32_t a = e.node[k], b = e.node[(k + 1) % 3];
            if (prescribed(problem.nodes[idx(a)]) && prescribed(problem.nodes[idx(b)])) join(parent, a, b);
        }
        if (!soilUsable(problem, e)) continue;
        const double area2 = doubleArea(problem, e);
        SoilBudget& soil = budget.soils[idx(e.soil)];
        soil.area += area2 / 2;
        const double share = soil.I * area2 / 6;
        if (share != 0)
            for (int k = 0; k < 3; ++k)
                if (prescribed(problem.nodes[idx(e.node[k])])) supply[idx(e.node[k])] += share;
    }
    for (SoilBudget& soil : budget.soils) {
        addFlow(soil.I * soil.area, soil.in, soil.out);
        budget.infiltrationIn += soil.in;
        budget.infiltrationOut += soil.out;
    }

    // Groups numbered in the order of their lowest node; what the boundary feeds in at a node is
    // its discharge less its own supply.
    std::vector<int32_t> groupOf(idx(nodeCount), -1);
    for (int32_t i = 0; i < nodeCount; ++i) {
        const Node& node = problem.nodes[idx(i)];
        if (!prescribed(node)) continue;
        const int32_t r = root(parent, i);
        if (groupOf[idx(r)] < 0) {
            groupOf[idx(r)] = static_cast<int32_t>(budget.groups.size());
            BoundaryGroup group;
            group.firstNode = i;
            group.xmin = group.xmax = node.X;
            group.ymin = group.ymax = node.Y;
            group.headMin = group.headMax = node.F;
            budget.groups.push_back(group);
        }
        BoundaryGroup& group = budget.groups[idx(groupOf[idx(r)])];
        ++group.nodeCount;
        group.xmin = std::min(group.xmin, node.X);
        group.xmax = std::max(group.xmax, node.X);
        group.ymin = std::min(group.ymin, node.Y);
        group.ymax = std::max(group.ymax, node.Y);
        group.headMin = std::min(group.headMin, node.F);
        group.headMax = std::max(group.headMax, node.F);
        addFlow(node.Q - supply[idx(i)], group.in, group.out);
    }
    for (BoundaryGroup& group : budget.groups) {
        group.extent =
            "x " + range("%.1f", group.xmin, group.xmax) + ", y " + range("%.1f", group.ymin, group.ymax);
        group.heads = range("%.3f", group.headMin, group.headMax);
        budget.boundaryIn += group.in;
        budget.boundaryOut += group.out;
    }

    budget.totalIn = budget.boundaryIn + budget.wellsIn + budget.infiltrationIn;
    budget.totalOut = budget.boundaryOut + budget.wellsOut + budget.infiltrationOut;
    const double mean = (budget.totalIn + budget.totalOut) / 2;
    budget.discrepancyPercent = mean > 0 ? 100 * (budget.totalIn - budget.totalOut) / mean : 0;
    return budget;
}

std::vector<BudgetLine> waterBudgetLines(const WaterBudget& budget) {
    std::vector<BudgetLine> lines;
    auto heading = [&](std::string text) { lines.push_back({true, std::move(text)}); };
    auto line = [&](std::string text) { lines.push_back({false, std::move(text)}); };
    // Every flow row ends in the same two columns, In and Out, after a label of fixed width.
    constexpr std::size_t kLabelWidth = 63;
    auto padded = [&](std::string label) {
        if (label.size() < kLabelWidth) label.append(kLabelWidth - label.size(), ' ');
        return label;
    };
    auto columns = [&](std::string label) {
        line(padded(std::move(label)) + "     In (m\xB3/d)     Out (m\xB3/d)");
    };
    auto flows = [&](std::string label, double in, double out) {
        line(padded(std::move(label)) + format("%14.6f %14.6f", in, out));
    };

    line("Flows in m\xB3/d, counted as they enter (In) or leave (Out) the aquifer.");
    line("");
    if (!budget.solved) {
        heading(kSolveFirstMessage);
        return lines;
    }
    if (budget.outOfDate) {
        heading(kResultsOutOfDateMessage);
        line("");
    }

    heading("Boundaries: prescribed heads joined by element sides");
    columns("  Group  Nodes  Extent (m)                         Head (m)");
    for (std::size_t g = 0; g < budget.groups.size(); ++g) {
        const BoundaryGroup& group = budget.groups[g];
        flows(format("%7d %6d  %-34s %s", static_cast<int>(g + 1), group.nodeCount, group.extent.c_str(),
                     group.heads.c_str()),
              group.in, group.out);
    }
    if (budget.groups.empty()) line("  none");
    flows("  Total", budget.boundaryIn, budget.boundaryOut);
    line("");

    heading("Wells");
    columns("   Well    Node         Q (m\xB3/d)");
    for (std::size_t w = 0; w < budget.wells.size(); ++w) {
        const WellBudget& well = budget.wells[w];
        flows(format("%7d %7d %16.6f", static_cast<int>(w + 1), well.node + 1, well.Q), well.in, well.out);
    }
    if (budget.wells.empty()) line("  none");
    flows("  Total", budget.wellsIn, budget.wellsOut);
    line("");

    heading("Infiltration");
    columns("   Soil      I (m/d)        Area (m\xB2)");
    for (std::size_t s = 0; s < budget.soils.size(); ++s) {
        const SoilBudget& soil = budget.soils[s];
        flows(format("%7d %12.6f %16.3f", static_cast<int>(s + 1), soil.I, soil.area), soil.in, soil.out);
    }
    flows("  Total", budget.infiltrationIn, budget.infiltrationOut);
    line("");

    heading("Totals");
    flows("  All flows", budget.totalIn, budget.totalOut);
    line(padded("  In - Out (m\xB3/d)") + format("%14.6g", budget.totalIn - budget.totalOut));
    line(padded("  Discrepancy (%)") + format("%14.6g", budget.discrepancyPercent));
    return lines;
}

} // namespace velkor
