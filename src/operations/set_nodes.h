// Set Nodes: the nodes of an area of the mesh picked at once (a rectangle dragged, or a polyline
// clicked with a tolerance), then their Type, head and optionally bottom and top set together.
//
// Refinement spreads prescribed heads along block sides (the midpoint of a boundary side between
// two prescribed nodes is prescribed, with the mean of their heads), so a side meant to be closed
// often needs many nodes set back to a given supply; this is the one step that does it.
//
// A window picks first (the selection is shown highlighted) and sets afterwards; velkor-batch does
// both at once. Picking reads the problem only.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "model/problem.h"
#include "operations/applied.h"

namespace velkor {

struct PlanPoint {
    double x = 0, y = 0;
};

enum class SelectionShape {
    Rectangle, // the nodes inside a rectangle, its edges included
    Polyline   // the nodes within a distance of a polyline (a single point: of that point)
};

// The nodes an area caught: node indices, ascending, each once.
struct NodeSelection {
    SelectionShape shape = SelectionShape::Rectangle;
    std::vector<int32_t> nodes;

    bool empty() const { return nodes.empty(); }
};

// Nodes with x0 <= X <= x1 and y0 <= Y <= y1 after the corners are put in order, so any two
// opposite corners give the same rectangle. A corner that is not a finite number catches nothing.
NodeSelection nodesInRectangle(const Problem& problem, double x0, double y0, double x1, double y1);

// Nodes whose distance to the polyline through points (each segment in turn; one point alone is
// a point) is at most tolerance metres. A negative or non-finite tolerance, a non-finite point or
// no point catches nothing.
NodeSelection nodesNearPolyline(const Problem& problem, std::span<const PlanPoint> points, double tolerance);

// What Set Nodes writes into every caught node. Type is required; the others only when given.
struct NodeSettings {
    int32_t Type = 1;        // 1 head prescribed, 0 given supply
    std::optional<double> F; // head (m)
    std::optional<double> B; // bottom (m)
    std::optional<double> T; // top (m)
};

// The message of a selection that caught nothing.
inline constexpr const char* kRectangleCatchesNoNodeMessage =
    "No node lies in the rectangle. Nothing was changed.";
inline constexpr const char* kPolylineCatchesNoNodeMessage =
    "No node lies within the tolerance of the line. Nothing was changed.";
inline const char* noNodeCaughtMessage(SelectionShape shape) {
    return shape == SelectionShape::Rectangle ? kRectangleCatchesNoNodeMessage
                                              : kPolylineCatchesNoNodeMessage;
}

// Writes the settings into every node of the selection, through the value rules of the Nodes
// table, in the order B, T, F, Type: B not below 0, T and F not below the node's (new) bottom,
// Type 0 or 1. Outcomes:
// - Done: the nodes hold the settings; changed is NodeValues when any value differs from before
//   (and then the results are out of date), None when every node held them already. The message
//   says how many nodes were set.
// - NothingToDo: the selection caught no node; the message says so; nothing changed.
// - BadInput: a value is not a finite number, or a selected index lies outside the nodes in use;
//   nothing changed.
Applied setNodes(Problem& problem, const NodeSelection& selection, const NodeSettings& settings);

} // namespace velkor
