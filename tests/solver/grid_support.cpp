#include "solver/grid_support.h"

namespace velkor::test {

int32_t gridNode(const GridLayout& layout, int32_t i, int32_t j) {
    return i * (layout.cellsY + 1) + j;
}

void makeGrid(Problem& problem, const GridLayout& layout) {
    const int32_t nodeCount = (layout.cellsX + 1) * (layout.cellsY + 1);
    const int32_t elementCount = 2 * layout.cellsX * layout.cellsY;
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
    problem.soils[0].K = layout.K;
    problem.soils[0].I = layout.I;
    const double dx = layout.lengthX / layout.cellsX, dy = layout.lengthY / layout.cellsY;
    for (int32_t i = 0; i <= layout.cellsX; ++i) {
        for (int32_t j = 0; j <= layout.cellsY; ++j) {
            Node& node = problem.nodes[static_cast<std::size_t>(gridNode(layout, i, j))];
            node = Node{};
            node.X = layout.originX + i * dx;
            node.Y = layout.originY + j * dy;
            node.B = layout.bottom;
            node.T = layout.top;
            node.F = layout.head;
            node.Type = 0;
        }
    }
    int32_t m = 0;
    for (int32_t i = 0; i < layout.cellsX; ++i) {
        for (int32_t j = 0; j < layout.cellsY; ++j) {
            const int32_t a = gridNode(layout, i, j), b = gridNode(layout, i + 1, j);
            const int32_t c = gridNode(layout, i + 1, j + 1), d = gridNode(layout, i, j + 1);
            problem.elements[static_cast<std::size_t>(m++)] = Element{{a, b, c}, 0};
            problem.elements[static_cast<std::size_t>(m++)] = Element{{a, c, d}, 0};
        }
    }
}

void prescribeColumn(Problem& problem, const GridLayout& layout, int32_t i, double head) {
    for (int32_t j = 0; j <= layout.cellsY; ++j) {
        Node& node = problem.nodes[static_cast<std::size_t>(gridNode(layout, i, j))];
        node.Type = 1;
        node.F = head;
    }
}

Problem indefiniteProblem() {
    Problem problem;
    Limits limits;
    limits.NMAX = 4;
    limits.MMAX = 2;
    problem.allocateTables(limits);
    problem.buildColoursAndDefaultSoils();
    problem.NN = 4;
    problem.NM = 2;
    problem.NA = 3;
    problem.NB = 2;
    const double place[4][2] = {{0, 0}, {1, 0}, {0.5, 1}, {0.5, -0.1}};
    for (int32_t i = 0; i < 4; ++i) {
        Node& n = problem.nodes[static_cast<std::size_t>(i)];
        n = Node{};
        n.X = place[i][0];
        n.Y = place[i][1];
        n.T = 10;
        n.F = 7;
        n.Type = i >= 2 ? 1 : 0;
        n.Q = 3;
    }
    problem.elements[0] = Element{{0, 1, 2}, 0};
    problem.elements[1] = Element{{0, 3, 1}, 1};
    problem.soils[0].K = 1;
    problem.soils[1].K = -0.3;
    problem.nodes[3].F = 9;
    return problem;
}

} // namespace velkor::test
