// The operations of the two editors on the mesh: the element mesh rebuilt from the blocks, the
// block editor's new node, new line and node moves, Split 4 and Split 2, and Add Well. The editor
// windows (through their tools) and velkor-batch run these, and nothing else changes the mesh.
//
// Every one leaves the problem exactly as it found it when it is refused, makes the element
// results of a changed mesh go (they belong to the mesh that was), and marks the heads as no
// longer answering the problem.
#pragma once

#include <cstdint>

#include "model/feedback.h"
#include "model/problem.h"
#include "operations/applied.h"

namespace velkor {

// What rebuilding the element mesh from the blocks would throw away.
struct RebuildLoss {
    int32_t nodes = 0;           // nodes beyond the main nodes
    int32_t elements = 0;        // elements beyond one per block
    int32_t wells = 0;           // every well (wells stand on the refined mesh)
    bool editedElements = false; // an element no longer is its block (corners or soil edited)

    bool any() const { return nodes > 0 || elements > 0 || wells > 0 || editedElements; }
};
RebuildLoss meshRebuildLoss(const Problem& problem);

// The element mesh becomes the blocks again (one element per block, the main nodes, no wells):
// what the block editor works on. The counts become the restore point.
Applied rebuildMeshFromBlocks(Problem& problem);

// ---- block editor (the mesh is the blocks) ------------------------------------------------------

// A main node at (x, y), outside every block, joined by a new block to the nearest block side.
Applied addMainNode(Problem& problem, double x, double y);
// A new block on the line from main node `start` to the main node nearest (x, y).
Applied addBlockOnLine(Problem& problem, int32_t start, double x, double y);
// Main node `node` moved to (x, y), held to the problem area.
Applied moveMainNode(Problem& problem, int32_t node, double x, double y);

// ---- mesh editor --------------------------------------------------------------------------------

enum class SplitKind { IntoFour, IntoTwo };

// Split 4 or Split 2, reporting to the feedback. A pass refused for capacity, before it began or
// part-way, or cancelled by the feedback leaves the mesh exactly as it found it. (Without the
// memory for a copy of the mesh to go back to, a pass runs to its end whatever the feedback asks.)
Applied splitMesh(Problem& problem, SplitKind kind, Feedback* feedback = nullptr);

// A well at (x, y): on a node within the snap radius, else at the centre of the element holding
// the point. A new well pumps nothing until its discharge is entered.
Applied addWellAt(Problem& problem, double x, double y);

} // namespace velkor
