#include "solver/system_matrix.h"

#include <algorithm>
#include <array>

#include "model/table.h"

namespace velkor {

const char* const kMatrixCapacityMessage =
    "Capacity exceeded\n\n"
    "The number of nodes in the problem is too large to generate the matrix.\n\n"
    "The capacity of the program can be increased by increasing the values of "
    "NMAX and MMAX in the Installation Grid of the main window.";

StructureResult buildStructure(Problem& problem, SystemMatrix& matrix) {
    const int32_t nodeCount = problem.NN;
    const int32_t elementCount = problem.NM;
    const int64_t capacity = problem.matrixEntryCapacity();
    const auto n = idx(nodeCount);

    // The elements that contain each node, in ascending order. The scan "from the node's first
    // element upwards, until its element count is reached" visits exactly these, so a list per
    // node gives the same rows without walking the elements in between.
    // The corners alone, so that the passes below do not drag whole element records along.
    std::vector<std::array<int32_t, 3>> corners(idx(elementCount));
    for (int32_t m = 0; m < elementCount; ++m) {
        const Element& e = problem.elements[idx(m)];
        corners[idx(m)] = {e.node[0], e.node[1], e.node[2]};
    }
    std::vector<int32_t> listBegin(n + 1, 0);
    for (const auto& element : corners)
        for (const int32_t node : element)
            ++listBegin[idx(node) + 1];
    for (std::size_t i = 0; i < n; ++i)
        listBegin[i + 1] += listBegin[i];
    std::vector<int32_t> incidence(idx(listBegin[n]));
    std::vector<int32_t> listEnd(listBegin.begin(), listBegin.end() - 1);
    for (int32_t m = 0; m < elementCount; ++m) {
        for (const int32_t node : corners[idx(m)]) {
            const auto i = idx(node);
            // An element that names the same node twice is listed once.
            if (listEnd[i] > listBegin[i] && incidence[idx(listEnd[i] - 1)] == m) continue;
            incidence[idx(listEnd[i]++)] = m;
        }
    }

    matrix = SystemMatrix{};
    matrix.rows = nodeCount;
    matrix.offEnd.assign(n, 0);
    matrix.diagonal.assign(n, 0.0);
    matrix.columns.reserve(std::min<std::size_t>(3 * n + 16, idx(capacity)));

    // lastRow[e] == i marks column e as already in row i.
    std::vector<int32_t> lastRow(n, -1);
    int64_t total = 0;
    StructureResult result;
    for (int32_t i = 0; i < nodeCount; ++i) {
        const auto row = idx(i);
        ++total; // the diagonal
        lastRow[row] = i;
        for (int32_t k = listBegin[row]; k < listEnd[row]; ++k) {
            for (const int32_t column : corners[idx(incidence[idx(k)])]) {
                if (column <= i || lastRow[idx(column)] == i) continue;
                lastRow[idx(column)] = i;
                // Never store past the capacity; the row is still counted to its end.
                if (total < capacity) matrix.columns.push_back(column);
                ++total;
            }
        }
        matrix.offEnd[row] = static_cast<int32_t>(std::min<int64_t>(total - (i + 1), capacity));
        problem.nodes[row].rowEnd = static_cast<int32_t>(std::min<int64_t>(total, INT32_MAX));
        if (total >= capacity) {
            result.result = Result::failed(Outcome::RefusedCapacity, kMatrixCapacityMessage);
            result.entries = total;
            matrix.entries = total;
            return result;
        }
    }
    matrix.values.assign(matrix.columns.size(), 0.0);
    matrix.entries = total;
    result.entries = total;
    return result;
}

void multiplySymmetric(const SystemMatrix& matrix, const double* x, double* y) {
    const int32_t n = matrix.rows;
    std::fill(y, y + n, 0.0);
    const int32_t* columns = matrix.columns.data();
    const double* values = matrix.values.data();
    int32_t begin = 0;
    for (int32_t k = 0; k < n; ++k) {
        const int32_t end = matrix.offEnd[idx(k)];
        const double xk = x[k];
        double yk = y[k] + matrix.diagonal[idx(k)] * xk;
        for (int32_t e = begin; e < end; ++e) {
            const int32_t j = columns[e];
            yk += values[e] * x[j];
            y[j] += values[e] * xk;
        }
        y[k] = yk;
        begin = end;
    }
}

} // namespace velkor
