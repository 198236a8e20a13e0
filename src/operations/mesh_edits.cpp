#include "operations/mesh_edits.h"

#include <algorithm>

#include "editors/mesh_snapshot.h"
#include "mesh/block_operations.h"
#include "mesh/refinement.h"
#include "model/table.h"

namespace velkor {

namespace {

// The end of every operation that changed the mesh: the element results were computed for the
// mesh that was and go now, and the heads no longer answer the problem.
Applied meshChanged(Problem& problem, Change changed, Result result = {}) {
    if (problem.resultsStale) {
        problem.clearResults();
        changed |= Change::Results;
    }
    problem.resultsOutOfDate = true;
    return {std::move(result), changed};
}

constexpr Change kMeshRebuilt = Change::Counts | Change::Mesh | Change::Wells;

// Hears of a pass but never stops it: without a copy of the mesh there is no way back from half a
// pass.
class ProgressOnly : public Feedback {
  public:
    explicit ProgressOnly(Feedback* inner) : inner_(inner) {}
    void progress(const Progress& progress) override {
        if (inner_) inner_->progress(progress);
    }

  private:
    Feedback* inner_;
};

} // namespace

RebuildLoss meshRebuildLoss(const Problem& p) {
    RebuildLoss loss;
    const int32_t blocks =
        std::clamp<int32_t>(p.NB, 0, static_cast<int32_t>(std::min(p.blocks.size(), p.elements.size())));
    loss.nodes = std::max(p.NN - p.NA, 0);
    loss.elements = std::max(p.NM - blocks, 0);
    loss.wells = std::max(p.NW, 0);
    // Edits of elements count where there is no refinement to throw away (whose first elements
    // differ from the blocks in any case).
    if (loss.nodes > 0 || loss.elements > 0) return loss;
    const int32_t kept = std::min(blocks, p.usedElementCount());
    for (int32_t i = 0; i < kept && !loss.editedElements; ++i) {
        const Block& block = p.blocks[idx(i)];
        const Element& element = p.elements[idx(i)];
        loss.editedElements =
            element.soil != block.soil || !std::equal(block.node, block.node + 3, element.node);
    }
    if (p.NM < blocks) loss.editedElements = true;
    return loss;
}

Applied rebuildMeshFromBlocks(Problem& p) {
    if (!meshRebuildLoss(p).any()) return Applied::nothing();
    p.copyCountsToSaved();
    resetMesh(p);
    p.resultsStale = true;
    return meshChanged(p, kMeshRebuilt);
}

Applied addMainNode(Problem& p, double x, double y) {
    x = std::clamp(x, 0.0, p.LX);
    y = std::clamp(y, 0.0, p.LY);
    Result result = addNodeAndBlock(p, x, y);
    if (!result.ok()) return Applied::nothing(std::move(result));
    resetMesh(p);
    p.resultsStale = true;
    return meshChanged(p, Change::Counts | Change::Mesh | Change::NodeValues);
}

Applied addBlockOnLine(Problem& p, int32_t start, double x, double y) {
    Result result = addLineBlock(p, start, std::clamp(x, 0.0, p.LX), std::clamp(y, 0.0, p.LY));
    if (!result.ok()) return Applied::nothing(std::move(result));
    resetMesh(p);
    p.resultsStale = true;
    return meshChanged(p, Change::Counts | Change::Mesh);
}

Applied moveMainNode(Problem& p, int32_t node, double x, double y) {
    if (node < 0 || node >= p.usedNodeCount()) return Applied::nothing();
    Node& row = p.nodes[idx(node)];
    x = std::clamp(x, 0.0, p.LX);
    y = std::clamp(y, 0.0, p.LY);
    if (row.X == x && row.Y == y) return Applied::nothing();
    row.X = x;
    row.Y = y;
    p.resultsStale = true;
    return meshChanged(p, Change::Mesh);
}

Applied splitMesh(Problem& p, SplitKind kind, Feedback* feedback) {
    MeshSnapshot before;
    const bool kept = before.take(p);
    ProgressOnly uncancellable(feedback);
    Feedback* told = kept ? feedback : &uncancellable;
    Result result = kind == SplitKind::IntoFour ? splitAllInFour(p, told) : splitAllInTwo(p, told);
    // Refused before it began, stopped part-way at the end of a table, or cancelled: the mesh as
    // it was.
    if ((result.outcome == Outcome::RefusedCapacity || result.outcome == Outcome::Cancelled) && kept) {
        before.restore(p);
        return Applied::nothing(std::move(result));
    }
    // The mesh editor's counts are the restore point of a datafile refused for its size.
    p.saved.NN = p.NN;
    p.saved.NM = p.NM;
    return meshChanged(p, Change::Counts | Change::Mesh | Change::NodeValues, std::move(result));
}

Applied addWellAt(Problem& p, double x, double y) {
    const int32_t wellsBefore = p.NW, nodesBefore = p.NN, elementsBefore = p.NM;
    MeshSnapshot before;
    const bool orderKept = before.take(p);
    Result result = addWell(p, x, y);
    const bool inserted = p.NN != nodesBefore || p.NM != elementsBefore;
    const bool wellAdded = p.NW > wellsBefore;
    if (orderKept && !inserted) {
        // A refusal, or a well on an existing node: the mesh stays exactly as it was, in its
        // order (the renumbering's heapsort would reorder nodes of equal key).
        int32_t snapped = -1;
        if (wellAdded) {
            const Node& node = p.nodes[idx(p.wellNodes[idx(p.NW - 1)])];
            snapped = before.formerIndexAt(node.X, node.Y);
        }
        if (!wellAdded || snapped >= 0) {
            before.restoreOrder(p);
            if (wellAdded) p.wellNodes[idx(p.NW - 1)] = snapped;
        }
    }
    if (!wellAdded && !inserted && orderKept) return Applied::nothing(std::move(result));
    // A new well pumps nothing until its discharge is entered; its slot may still hold the
    // discharge of a well that the block editor dropped.
    if (wellAdded && idx(p.NW - 1) < p.wellQ.size()) p.wellQ[idx(p.NW - 1)] = 0;
    p.saved.NN = p.NN;
    p.saved.NM = p.NM;
    if (!inserted && orderKept) {
        // A well on a node the mesh had: the mesh and its element results stay.
        p.resultsOutOfDate = true;
        return {std::move(result), Change::Counts | Change::Wells};
    }
    return meshChanged(p, Change::Counts | Change::Mesh | Change::NodeValues | Change::Wells,
                       std::move(result));
}

} // namespace velkor
