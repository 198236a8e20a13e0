#include "solver/assembly.h"

#include <cmath>

#include "model/number_text.h"
#include "model/table.h"

namespace velkor {

int32_t assemblyProgressInterval(int32_t elementCount) {
    int32_t interval = 1;
    if (elementCount > 100) interval = 10;
    if (elementCount > 1000) interval = 100;
    if (elementCount > 10000) interval = 1000;
    return interval;
}

namespace {

// Position of column j in row i: the diagonal when j == i, else a linear search of the short row.
double* findEntry(SystemMatrix& matrix, int32_t i, int32_t j) {
    if (j == i) return &matrix.diagonal[idx(i)];
    const int32_t end = matrix.offEnd[idx(i)];
    for (int32_t e = matrix.offBegin(i); e < end; ++e)
        if (matrix.columns[idx(e)] == j) return &matrix.values[idx(e)];
    return nullptr;
}

} // namespace

Result assembleSystem(const Problem& problem, int32_t cycle, const double* heads, SystemMatrix& matrix,
                      std::vector<double>& supply, Feedback* feedback) {
    const int32_t elementCount = problem.NM;
    const int32_t interval = assemblyProgressInterval(elementCount);

    supply.assign(idx(problem.NN), 0.0);
    for (int32_t w = 0; w < problem.NW; ++w)
        supply[idx(problem.wellNodes[idx(w)])] += problem.wellQ[idx(w)];
    std::fill(matrix.diagonal.begin(), matrix.diagonal.end(), 0.0);
    std::fill(matrix.values.begin(), matrix.values.end(), 0.0);

    // Each corner weighs one third in the element means.
    const double third = 1.0 / 3.0;
    int32_t sinceReport = 0;
    for (int32_t m = 0; m < elementCount; ++m) {
        const Element& e = problem.elements[idx(m)];
        const int32_t node[3] = {e.node[0], e.node[1], e.node[2]};
        const Node& n1 = problem.nodes[idx(node[0])];
        const Node& n2 = problem.nodes[idx(node[1])];
        const Node& n3 = problem.nodes[idx(node[2])];

        const double meanB = n1.B * third + n2.B * third + n3.B * third;
        const double meanT = n1.T * third + n2.T * third + n3.T * third;
        const double meanF = heads[node[0]] * third + heads[node[1]] * third + heads[node[2]] * third;
        // The first cycle takes the full thickness; later cycles let the water table of the
        // previous cycle cut it where the aquifer is unconfined.
        double top = meanT;
        if (cycle > 0 && !(meanF >= meanT)) top = meanF;
        double thickness = top - meanB;
        // A dry element keeps a thin conducting layer so the system stays regular.
        if (!(thickness >= 0.01)) thickness = 0.01;

        const double b[3] = {n2.Y - n3.Y, n3.Y - n1.Y, n1.Y - n2.Y};
        const double c[3] = {n3.X - n2.X, n1.X - n3.X, n2.X - n1.X};
        const double delta = n1.X * b[0] + n2.X * b[1] + n3.X * b[2];
        const double absDelta = std::fabs(delta);
        if (!(absDelta > 0)) {
            return Result::failed(Outcome::BadInput,
                                  format("Element %d has no area: its three nodes lie on one line.\n\n"
                                         "The system of equations cannot be generated; "
                                         "correct the coordinates of its nodes.",
                                         m + 1));
        }

        const Soil& soil = problem.soils[idx(e.soil)];
        const double coefficient = soil.K * thickness / (2 * absDelta);
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                // The lower triangle is supplied by the symmetric pair.
                if (node[j] < node[i]) continue;
                double* entry = findEntry(matrix, node[i], node[j]);
                if (entry != nullptr) *entry += coefficient * (b[i] * b[j] + c[i] * c[j]);
            }
        }

        // A third of the element's infiltration goes to each corner.
        const double share = soil.I * absDelta / 6;
        supply[idx(node[0])] += share;
        supply[idx(node[1])] += share;
        supply[idx(node[2])] += share;

        if (++sinceReport >= interval || m == elementCount - 1) {
            sinceReport = 0;
            if (feedback) {
                Progress progress;
                progress.stage = Stage::Assembly;
                progress.element = m + 1;
                progress.cycle = cycle + 1;
                feedback->progress(progress);
                if (feedback->cancelRequested()) return Result::failed(Outcome::Cancelled, {});
            }
        }
    }
    return {};
}

} // namespace velkor
