#include "editors/mesh_snapshot.h"

#include <algorithm>
#include <new>

#include "model/table.h"

namespace velkor {

bool MeshSnapshot::take(const Problem& p) {
    try {
        nodes_.assign(p.nodes.begin(), p.nodes.begin() + p.usedNodeCount());
        corners_.resize(idx(p.usedElementCount()));
        for (std::size_t e = 0; e < corners_.size(); ++e) {
            const Element& element = p.elements[e];
            corners_[e] = {element.node[0], element.node[1], element.node[2], element.soil};
        }
        wells_.assign(p.wellNodes.begin(), p.wellNodes.begin() + p.usedWellCount());
    } catch (const std::bad_alloc&) {
        return false;
    }
    NN_ = p.NN;
    NM_ = p.NM;
    NW_ = p.NW;
    savedNN_ = p.saved.NN;
    savedNM_ = p.saved.NM;
    resultsStale_ = p.resultsStale;
    return true;
}

int32_t MeshSnapshot::formerIndexAt(double x, double y) const {
    for (std::size_t i = 0; i < nodes_.size(); ++i)
        if (nodes_[i].X == x && nodes_[i].Y == y) return static_cast<int32_t>(i);
    return -1;
}

void MeshSnapshot::restoreOrder(Problem& p) const {
    std::copy(nodes_.begin(), nodes_.end(), p.nodes.begin());
    for (std::size_t e = 0; e < corners_.size(); ++e) {
        Element& element = p.elements[e];
        std::copy(corners_[e].begin(), corners_[e].begin() + 3, element.node);
        element.soil = corners_[e][3];
    }
    std::copy(wells_.begin(), wells_.end(), p.wellNodes.begin());
}

void MeshSnapshot::restore(Problem& p) const {
    restoreOrder(p);
    p.NN = NN_;
    p.NM = NM_;
    p.NW = NW_;
    p.saved.NN = savedNN_;
    p.saved.NM = savedNM_;
    p.resultsStale = resultsStale_;
}

} // namespace velkor
