#include "solver/grid_support.h"

namespace velkor::test {

int32_t gridNode(const GridSpec& spec, int32_t i, int32_t j) {
    return i * (spec.cellsY + 1) + j;
}

void makeGrid(Problem& problem, const GridSpec& spec) {
    const int32_t nodeCount = (spec.cellsX + 1) * (spec.cellsY + 1);
    const int32_t elementCount = 2 * spec.cellsX * spec.cellsY;
    Limits limits;
    limits.NMAX = nodeCount + 1;
    limits.MMAX = elementCount + 1;
    problem.allocateTables(limits);
    problem.buildColoursAndDefaultSoils();
    problem.NN = nodeCount;
    problem.NM = elementCount;
    problem.NA = 3;
    problem.NB = 1;
    problem.NW = 0;
    problem.NP = 0;
    problem.soils[0].K = spec.K;
    problem.soils[0].I = spec.I;
    const double dx = spec.lengthX / spec.cellsX, dy = spec.lengthY / spec.cellsY;
    for (int32_t i = 0; i <= spec.cellsX; ++i) {
        for (int32_t j = 0; j <= spec.cellsY; ++j) {
            Node& node = problem.nodes[static_cast<std::size_t>(gridNode(spec, i, j))];
            node = Node{};
            node.X = spec.originX + i * dx;
            node.Y = spec.originY + j * dy;
            node.B = spec.bottom;
            node.T = spec.top;
            node.F = spec.head;
            node.Type = 0;
        }
    }
    int32_t m = 0;
    for (int32_t i = 0; i < spec.cellsX; ++i) {
        for (int32_t j = 0; j < spec.cellsY; ++j) {
            const int32_t a = gridNode(spec, i, j), b = gridNode(spec, i + 1, j);
            const int32_t c = gridNode(spec, i + 1, j + 1), d = gridNode(spec, i, j + 1);
            problem.elements[static_cast<std::size_t>(m++)] = Element{{a, b, c}, 0};
            problem.elements[static_cast<std::size_t>(m++)] = Element{{a, c, d}, 0};
        }
    }
}

void prescribeColumn(Problem& problem, const GridSpec& spec, int32_t i, double head) {
    for (int32_t j = 0; j <= spec.cellsY; ++j) {
        Node& node = problem.nodes[static_cast<std::size_t>(gridNode(spec, i, j))];
        node.Type = 1;
        node.F = head;
    }
}

} // namespace velkor::test
