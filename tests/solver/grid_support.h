// Structured triangulated meshes written straight into the problem tables, so the solver tests
// do not depend on the mesh code.
#pragma once

#include <cstdint>

#include "model/problem.h"

namespace velkor::test {

struct GridLayout {
    int32_t cellsX = 1, cellsY = 1;
    double lengthX = 1, lengthY = 1;
    double originX = 0, originY = 0;
    double bottom = 0, top = 10, head = 10;
    double K = 1, I = 0;
};

// Nodes column by column (y fastest), each cell split into two triangles by its rising diagonal.
// All nodes free (Type 0), one block and soil, no wells or particles. Tables are allocated with
// room for the grid (and a spare node).
void makeGrid(Problem& problem, const GridLayout& layout);

// Node index of grid point (i, j), 0 <= i <= cellsX, 0 <= j <= cellsY.
int32_t gridNode(const GridLayout& layout, int32_t i, int32_t j);

// Prescribes head F at every node of the grid column i.
void prescribeColumn(Problem& problem, const GridLayout& layout, int32_t i, double head);

// Two free nodes P (0, 0) and Q (1, 0) between a sound element under a head node above them and a
// flat element with a negative permeability over a head node just below. Every diagonal stays
// positive (0.235 and 0.235 times the thickness), but the coupling (-0.735) outweighs them: the
// equations are indefinite and have no unique solution. Heads 7 m (9 m at the lower head node),
// Q = 3 at every node.
Problem indefiniteProblem();

} // namespace velkor::test
