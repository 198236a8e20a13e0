// Node and element renumbering: nodes behind the main nodes in ascending order key, elements in
// ascending order of their lowest-keyed node.
#include <memory>
#include <new>

#include "mesh/carried_heapsort.h"
#include "mesh/refinement.h"
#include "model/table.h"

namespace velkor {

namespace {

double orderKey(const Node& node) {
    return node.X + 0.001 * node.Y;
}

// The fields that travel with a node; the solver's supply and row end stay where they are.
struct NodeValues {
    double X, Y, B, T, F, Q;
    int32_t Type;
};

// Work array of n records, left uninitialised: every record is written before it is read.
template <typename T> std::unique_ptr<T[]> workArray(int32_t n) {
    return std::unique_ptr<T[]>(new (std::nothrow) T[idx(n)]);
}

} // namespace

bool meshTablesAreSound(const Problem& p) {
    if (p.NN < 0 || idx(p.NN) > p.nodes.size()) return false;
    if (p.NA < 0 || p.NA > p.NN) return false;
    if (p.NM < 0 || idx(p.NM) > p.elements.size()) return false;
    if (p.NW < 0 || idx(p.NW) > p.wellNodes.size()) return false;
    for (int32_t e = 0; e < p.NM; ++e)
        for (const int32_t n : p.elements[idx(e)].node)
            if (n < 0 || n >= p.NN) return false;
    for (int32_t w = 0; w < p.NW; ++w)
        if (p.wellNodes[idx(w)] < 0 || p.wellNodes[idx(w)] >= p.NN) return false;
    return true;
}

bool renumberNodes(Problem& p) {
    if (!meshTablesAreSound(p)) return false;
    const int32_t count = p.NN - p.NA;
    if (count < 2) return true;
    const auto order = workArray<KeyedIndex>(count);
    const auto newNumber = workArray<int32_t>(count);
    const auto values = workArray<NodeValues>(count);
    if (!order || !newNumber || !values) return false;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t old = p.NA + i;
        order[idx(i)] = KeyedIndex{orderKey(p.nodes[idx(old)]), old};
    }
    carriedHeapsort(order.get(), idx(count));

    for (int32_t i = 0; i < count; ++i) {
        const Node& n = p.nodes[idx(order[idx(i)].index)];
        values[idx(i)] = NodeValues{n.X, n.Y, n.B, n.T, n.F, n.Q, n.Type};
        newNumber[idx(order[idx(i)].index - p.NA)] = p.NA + i;
    }
    for (int32_t i = 0; i < count; ++i) {
        Node& n = p.nodes[idx(p.NA + i)];
        const NodeValues& v = values[idx(i)];
        n.X = v.X;
        n.Y = v.Y;
        n.B = v.B;
        n.T = v.T;
        n.F = v.F;
        n.Q = v.Q;
        n.Type = v.Type;
    }
    auto renumbered = [&](int32_t node) { return node < p.NA ? node : newNumber[idx(node - p.NA)]; };
    for (int32_t w = 0; w < p.NW; ++w)
        p.wellNodes[idx(w)] = renumbered(p.wellNodes[idx(w)]);
    for (int32_t e = 0; e < p.NM; ++e)
        for (int32_t& n : p.elements[idx(e)].node)
            n = renumbered(n);
    return true;
}

bool renumberElements(Problem& p) {
    if (!meshTablesAreSound(p)) return false;
    const int32_t count = p.NM;
    if (count < 2) return true;
    struct Corners {
        int32_t node[3];
        int32_t soil;
    };
    const auto order = workArray<KeyedIndex>(count);
    const auto moved = workArray<Corners>(count);
    if (!order || !moved) return false;
    for (int32_t e = 0; e < count; ++e) {
        const Element& element = p.elements[idx(e)];
        double key = orderKey(p.nodes[idx(element.node[0])]);
        const double key2 = orderKey(p.nodes[idx(element.node[1])]);
        if (key2 < key) key = key2;
        const double key3 = orderKey(p.nodes[idx(element.node[2])]);
        if (key3 < key) key = key3;
        order[idx(e)] = KeyedIndex{key, e};
    }
    carriedHeapsort(order.get(), idx(count));

    for (int32_t e = 0; e < count; ++e) {
        const Element& old = p.elements[idx(order[idx(e)].index)];
        moved[idx(e)] = Corners{{old.node[0], old.node[1], old.node[2]}, old.soil};
    }
    for (int32_t e = 0; e < count; ++e) {
        Element& element = p.elements[idx(e)];
        const Corners& c = moved[idx(e)];
        element.node[0] = c.node[0];
        element.node[1] = c.node[1];
        element.node[2] = c.node[2];
        element.soil = c.soil;
    }
    return true;
}

} // namespace velkor
