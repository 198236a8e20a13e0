// The water budget of a solution: where the water enters the aquifer and where it leaves it.
//
// Water enters or leaves in three ways: through nodes with a prescribed head (grouped into
// boundaries), through wells, and by infiltration. The discharge Q the solve leaves at a node is
// A F, the water its equation takes in; at a prescribed node that is its own supply (the wells on
// it and its share of the infiltration of the elements around it) plus what the boundary feeds
// in to hold the head. The boundary's part is therefore Q less that supply, and it is the
// consistent boundary flux: summed along a side it equals the Darcy flux through the side wherever
// the head is reproduced exactly.
//
// Sign convention: In is water entering the aquifer, Out water leaving it, both as positive
// numbers of m3/d. A pumping well (Q < 0 in the Wells table) is Out, an injecting one In; a soil
// with a positive infiltration I is In, one with a negative I (evaporation) Out; a boundary node
// that feeds the aquifer is In, one that drains it Out.
//
// The discrepancy is 100 (In - Out) / ((In + Out) / 2) percent. Since the discharges of all nodes
// sum to zero by the form of the matrix, In - Out is exactly the water the solve left out of
// balance at the nodes with an unknown head: the measure of how well the heads satisfy their
// equations.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/problem.h"

namespace velkor {

inline constexpr const char* kSolveFirstMessage = "Solve first.";

// Nodes with a prescribed head joined by element sides, in the order of their lowest node.
struct BoundaryGroup {
    int32_t firstNode = 0; // lowest node index of the group (0-based)
    int32_t nodeCount = 0;
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    double headMin = 0, headMax = 0;
    double in = 0, out = 0; // m3/d, both >= 0
    std::string extent;     // "x 0.0, y 0.0-100.0" (the dash is an en dash, byte 0x96)
    std::string heads;      // "15.000" or "5.000-15.000", likewise
};

struct WellBudget {
    int32_t node = -1; // 0-based
    double Q = 0;      // as in the Wells table, negative for pumping
    double in = 0, out = 0;
};

struct SoilBudget {
    double I = 0;    // infiltration (m/d)
    double area = 0; // of the elements of the soil (m2)
    double in = 0, out = 0;
};

struct WaterBudget {
    // False when the problem holds no solution (see holdsSolution); nothing else is filled then.
    bool solved = false;
    // The results were computed for a problem that has changed since (problem.resultsOutOfDate).
    bool outOfDate = false;
    std::vector<BoundaryGroup> groups;
    std::vector<WellBudget> wells; // one per well, in table order
    std::vector<SoilBudget> soils; // one per soil (block), in table order
    double boundaryIn = 0, boundaryOut = 0;
    double wellsIn = 0, wellsOut = 0;
    double infiltrationIn = 0, infiltrationOut = 0;
    double totalIn = 0, totalOut = 0;
    double discrepancyPercent = 0; // 0 when nothing flows at all
};

// Whether the discharges in the node table come from a solve. A solve leaves some Q non-zero
// unless nothing drives a flow; so the problem holds a solution when some node has Q != 0, or
// when nothing drives a flow (no well with a discharge, no element with infiltration, and all
// prescribed heads equal), where the budget of zeros is the solution whether or not it was run.
bool holdsSolution(const Problem& problem);

WaterBudget computeWaterBudget(const Problem& problem);

// The budget as lines of text for a page or a window in a fixed-pitch font (Windows-1252): the
// sign convention, then either "Solve first." or the boundary groups, wells, infiltration and
// totals, each section under a heading line.
struct BudgetLine {
    bool heading = false;
    std::string text;
};
std::vector<BudgetLine> waterBudgetLines(const WaterBudget& budget);

} // namespace velkor
