// Node and element renumbering: nodes behind the main nodes in ascending order key, elements in
// ascending order of their lowest-keyed node.
#include <memory>
#include <new>

#include "mesh/carried_heapsort.h"
#include "mesh/refinement.h"

namespace velkor {

namespace {

std::size_t at(int32_t index) {
    return static_cast<std::size_t>(index);
}

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
    return std::unique_ptr<T[]>(new (std::nothrow) T[static_cast<std::size_t>(n)]);
}

} // namespace

bool meshTablesAreSound(const Problem& p) {
    if (p.NN < 0 || at(p.NN) > p.nodes.size()) return false;
    if (p.NA < 0 || p.NA > p.NN) return false;
    if (p.NM < 0 || at(p.NM) > p.elements.size()) return false;
    if (p.NW < 0 || at(p.NW) > p.wellNodes.size()) return false;
    for (int32_t e = 0; e < p.NM; ++e)
        for (const int32_t n : p.elements[at(e)].node)
            if (n < 0 || n >= p.NN) return false;
    for (int32_t w = 0; w < p.NW; ++w)
        if (p.wellNodes[at(w)] < 0 || p.wellNodes[at(w)] >= p.NN) return false;
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
        order[at(i)] = KeyedIndex{orderKey(p.nodes[at(old)]), old};
    }
    carriedHeapsort(order.get(), at(count));

    for (int32_t i = 0; i < count; ++i) {
        const Node& n = p.nodes[at(order[at(i)].index)];
        values[at(i)] = NodeValues{n.X, n.Y, n.B, n.T, n.F, n.Q, n.Type};
        newNumber[at(order[at(i)].index - p.NA)] = p.NA + i;
    }
    for (int32_t i = 0; i < count; ++i) {
        Node& n = p.nodes[at(p.NA + i)];
        const NodeValues& v = values[at(i)];
        n.X = v.X;
        n.Y = v.Y;
        n.B = v.B;
        n.T = v.T;
        n.F = v.F;
        n.Q = v.Q;
        n.Type = v.Type;
    }
    auto renumbered = [&](int32_t node) { return node < p.NA ? node : newNumber[at(node - p.NA)]; };
    for (int32_t w = 0; w < p.NW; ++w)
        p.wellNodes[at(w)] = renumbered(p.wellNodes[at(w)]);
    for (int32_t e = 0; e < p.NM; ++e)
        for (int32_t& n : p.elements[at(e)].node)
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
        const Element& element = p.elements[at(e)];
        double key = orderKey(p.nodes[at(element.node[0])]);
        const double key2 = orderKey(p.nodes[at(element.node[1])]);
        if (key2 < key) key = key2;
        const double key3 = orderKey(p.nodes[at(element.node[2])]);
        if (key3 < key) key = key3;
        order[at(e)] = KeyedIndex{key, e};
    }
    carriedHeapsort(order.get(), at(count));

    for (int32_t e = 0; e < count; ++e) {
        const Element& old = p.elements[at(order[at(e)].index)];
        moved[at(e)] = Corners{{old.node[0], old.node[1], old.node[2]}, old.soil};
    }
    for (int32_t e = 0; e < count; ++e) {
        Element& element = p.elements[at(e)];
        const Corners& c = moved[at(e)];
        element.node[0] = c.node[0];
        element.node[1] = c.node[1];
        element.node[2] = c.node[2];
        element.soil = c.soil;
    }
    return true;
}

} // namespace velkor
