// The block operations of the block editor on the model: picking a main node, a new main node
// joined to the nearest block side, and a new block closed by a line between two main nodes.
// Each leaves the blocks exactly as they were when it refuses.
#pragma once

#include <cstdint>

#include "model/outcome.h"
#include "model/problem.h"

namespace velkor {

// The nearest main node (lower index on equal distance) if it lies within 0.01 of the diagonal
// of the area from (x, y); -1 otherwise.
int32_t pickMainNode(const Problem& problem, double x, double y);

// Values of a new main node at (x, y), as the New Node preview shows it.
void setNewNodeRow(Node& row, double x, double y);

// A new main node at (x, y), joined by a new block to the block side whose midpoint is nearest.
// Refused for capacity or because the point lies in a block; NothingToDo when there is no block
// side to join.
Result addNodeAndBlock(Problem& problem, double x, double y);

// A new block on the line from main node `start` to the main node picked at (x, y), closed by a
// third node that shares a block with each end. Refused for capacity or when no triangle closes;
// NothingToDo (no message) when no other node was picked: a release far from any node, or on the
// start node, ends the line silently.
Result addLineBlock(Problem& problem, int32_t start, double x, double y);

} // namespace velkor
