// The sparse symmetric system of the linear-triangle equations: its structure and its values.
//
// Only the upper triangle is stored, row by row. Row k holds its diagonal and then the columns
// j > k of the nodes that share an element with node k, each once, in the order in which the
// elements (ascending) and their corners (node 1, 2, 3) first meet them. The diagonal sits in an
// array of its own and the other entries in a parallel column/value pair, so that the
// conjugate gradient iteration streams each array once per sweep.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/outcome.h"
#include "model/problem.h"

namespace velkor {

struct SystemMatrix {
    int32_t rows = 0;             // NN
    int64_t entries = 0;          // stored entries, diagonals included
    std::vector<int32_t> offEnd;  // end (exclusive) of row k's off-diagonal entries; row k starts
                                  // at offEnd[k - 1] (0 for k = 0)
    std::vector<int32_t> columns; // off-diagonal columns, > row
    std::vector<double> diagonal; // A_kk
    std::vector<double> values;   // off-diagonal A_kj, parallel to columns

    int32_t offBegin(int32_t k) const { return k == 0 ? 0 : offEnd[idx(k - 1)]; }
    // Row end as kept in the node records: entries of rows 0..k, diagonals included.
    int64_t rowEnd(int32_t k) const { return offEnd[idx(k)] + static_cast<int64_t>(k) + 1; }
};

// "Capacity exceeded ..." shown when the matrix needs 5 x NMAX entries or more.
extern const char* const kMatrixCapacityMessage;

struct StructureResult {
    Result result;       // Done, or RefusedCapacity with the capacity message when it does not fit
    int64_t entries = 0; // stored entries; at least the capacity when the structure does not fit
};

// Builds the structure for the NN nodes and NM elements of the problem and writes the row ends
// into the node records. The caller has checked that every element refers to nodes below NN.
// Entries stop being stored once the capacity 5 x NMAX is reached; counting goes on to the end of
// that row, which is the count returned with the refusal.
StructureResult buildStructure(Problem& problem, SystemMatrix& matrix);

// y = A x on the stored upper triangle, visiting each entry once:
// y_k += A_kk x_k, then for every (k, j): y_k += A_kj x_j and y_j += A_kj x_k.
void multiplySymmetric(const SystemMatrix& matrix, const double* x, double* y);

} // namespace velkor
