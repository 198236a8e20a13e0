#include "solver/amg_part.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <mutex>

#include <HYPRE.h>
#include <HYPRE_IJ_mv.h>
#include <HYPRE_parcsr_ls.h>
#include <_hypre_parcsr_mv.h>

#include "model/table.h"
#include "solver/parallel_session.h"

namespace velkor {

namespace {

// The bound of A^-1 comes from an approximate w = A^-1 1 whose residual s = 1 - A w is at most this
// in every equation (see inverseBound).
constexpr double kBoundResidual = 0.5;
// Where a coupling between free nodes is positive (an angle above 90 degrees in the mesh), A^-1 may
// hold negative entries and the row sums of A^-1 no longer give the largest row sum of |A^-1|; the
// bound is then multiplied by this. Multigrid reduces the residual about tenfold per iteration, so
// it costs one iteration more.
constexpr double kUnprovenBoundFactor = 10;
constexpr int32_t kBoundIterationLimit = 50;
// True residuals above the tolerance after updated ones below it, before the iteration gives up.
constexpr int kMissesAtRounding = 2;

std::once_flag hypreStarted;

void startHypre() {
    std::call_once(hypreStarted, [] {
        HYPRE_Init();
        // Ended before MPI, which was started (and its end registered) first.
        std::atexit([] { HYPRE_Finalize(); });
    });
}

double dot(const double* a, const double* b, int32_t n) {
    double sum = 0;
    for (int32_t i = 0; i < n; ++i)
        sum += a[i] * b[i];
    return sum;
}

} // namespace

AmgPart::~AmgPart() {
    release();
}

void AmgPart::release() {
    if (amg_) HYPRE_BoomerAMGDestroy(amg_);
    amg_ = nullptr;
    for (Vector* v : {&rhs_, &x_, &r_, &z_, &p_, &q_, &ones_, &w_}) {
        if (*v) hypre_ParVectorDestroy(*v);
        *v = nullptr;
    }
    if (matrix_) HYPRE_IJMatrixDestroy(matrix_);
    matrix_ = nullptr;
    parMatrix_ = nullptr;
}

double* AmgPart::local(Vector vector) {
    return hypre_VectorData(hypre_ParVectorLocalVector(vector));
}

void AmgPart::build(int32_t first, int32_t last, int32_t unknowns, const int64_t* rowStart,
                    const int32_t* columns) {
    startHypre();
    release();
    first_ = first;
    last_ = last;
    unknowns_ = unknowns;
    const int32_t n = last - first;
    MPI_Comm comm = parallel::group();

    std::vector<HYPRE_Int> diagonalSizes(idx(n)), offSizes(idx(n));
    for (int32_t i = 0; i < n; ++i) {
        HYPRE_Int inside = 0, outside = 0;
        for (int64_t k = rowStart[i]; k < rowStart[i + 1]; ++k) {
            const int32_t j = columns[k];
            if (j >= first && j < last)
                ++inside;
            else
                ++outside;
        }
        diagonalSizes[idx(i)] = inside;
        offSizes[idx(i)] = outside;
    }
    HYPRE_IJMatrixCreate(comm, first, last - 1, first, last - 1, &matrix_);
    HYPRE_IJMatrixSetObjectType(matrix_, HYPRE_PARCSR);
    HYPRE_IJMatrixSetDiagOffdSizes(matrix_, diagonalSizes.data(), offSizes.data());
    HYPRE_IJMatrixInitialize(matrix_);
    // The structure goes in by rows in pieces, with zeros for values.
    constexpr int32_t kRowsAtOnce = 4096;
    std::vector<HYPRE_Int> counts, rows;
    std::vector<double> zeros;
    for (int32_t from = 0; from < n; from += kRowsAtOnce) {
        const int32_t to = std::min(n, from + kRowsAtOnce);
        counts.clear();
        rows.clear();
        for (int32_t i = from; i < to; ++i) {
            counts.push_back(static_cast<HYPRE_Int>(rowStart[i + 1] - rowStart[i]));
            rows.push_back(first + i);
        }
        const int64_t entries = rowStart[to] - rowStart[from];
        zeros.assign(idx(entries), 0.0);
        std::vector<HYPRE_BigInt> cols(columns + rowStart[from], columns + rowStart[to]);
        HYPRE_IJMatrixSetValues(matrix_, to - from, counts.data(), rows.data(), cols.data(), zeros.data());
    }
    HYPRE_IJMatrixAssemble(matrix_);
    void* object = nullptr;
    HYPRE_IJMatrixGetObject(matrix_, &object);
    parMatrix_ = static_cast<hypre_ParCSRMatrix*>(object);

    // Where every entry of the pattern went: the diagonal block holds the columns of this process's
    // rows (its diagonal moved to the front), the other block the rest, by compressed column.
    hypre_CSRMatrix* inner = hypre_ParCSRMatrixDiag(parMatrix_);
    hypre_CSRMatrix* outer = hypre_ParCSRMatrixOffd(parMatrix_);
    const HYPRE_Int* innerStart = hypre_CSRMatrixI(inner);
    const HYPRE_Int* innerColumn = hypre_CSRMatrixJ(inner);
    const HYPRE_Int* outerStart = hypre_CSRMatrixI(outer);
    const HYPRE_Int* outerColumn = hypre_CSRMatrixJ(outer);
    const HYPRE_BigInt* outerGlobal = hypre_ParCSRMatrixColMapOffd(parMatrix_);
    diagonalBlock_ = hypre_CSRMatrixData(inner);
    offBlock_ = hypre_CSRMatrixData(outer);
    diagonalBlockEntries_ = hypre_CSRMatrixNumNonzeros(inner);
    slots_.assign(idx(rowStart[n]), -1);
    for (int32_t i = 0; i < n; ++i) {
        for (int64_t k = rowStart[i]; k < rowStart[i + 1]; ++k) {
            const int32_t j = columns[k];
            int32_t found = -1;
            if (j >= first && j < last) {
                for (HYPRE_Int e = innerStart[i]; e < innerStart[i + 1] && found < 0; ++e)
                    if (innerColumn[e] == j - first) found = e;
            } else {
                for (HYPRE_Int e = outerStart[i]; e < outerStart[i + 1] && found < 0; ++e)
                    if (outerGlobal[outerColumn[e]] == j) found = diagonalBlockEntries_ + e;
            }
            slots_[idx(k)] = found;
        }
    }

    for (Vector* v : {&rhs_, &x_, &r_, &z_, &p_, &q_, &ones_, &w_}) {
        *v = hypre_ParVectorCreate(comm, unknowns, hypre_ParCSRMatrixRowStarts(parMatrix_));
        hypre_ParVectorInitialize(*v);
    }
    std::fill_n(local(ones_), n, 1.0);
    haveW_ = false;
}

bool AmgPart::putAll(const double* values) {
    bool changed = false;
    for (std::size_t k = 0; k < slots_.size(); ++k)
        changed = put(slots_[k], values[k]) || changed;
    return changed;
}

bool AmgPart::setup() {
    if (amg_) HYPRE_BoomerAMGDestroy(amg_);
    amg_ = nullptr;
    HYPRE_BoomerAMGCreate(&amg_);
    // One V-cycle from zero as the preconditioner: HMIS coarsening and extended+i interpolation
    // (at most four entries a row), which keep the coarse levels small on two-dimensional
    // meshes; Gauss-Seidel forward on the way down and backward on the way up, so that the cycle
    // is symmetric, as conjugate gradients need; the coarsest level solved exactly.
    HYPRE_BoomerAMGSetPrintLevel(amg_, 0);
    HYPRE_BoomerAMGSetMaxIter(amg_, 1);
    HYPRE_BoomerAMGSetTol(amg_, 0.0);
    HYPRE_BoomerAMGSetCoarsenType(amg_, 10);
    HYPRE_BoomerAMGSetInterpType(amg_, 6);
    HYPRE_BoomerAMGSetPMaxElmts(amg_, 4);
    HYPRE_BoomerAMGSetStrongThreshold(amg_, 0.25);
    HYPRE_BoomerAMGSetRelaxOrder(amg_, 0);
    HYPRE_BoomerAMGSetCycleRelaxType(amg_, 13, 1);
    HYPRE_BoomerAMGSetCycleRelaxType(amg_, 14, 2);
    HYPRE_BoomerAMGSetNumSweeps(amg_, 1);
    HYPRE_BoomerAMGSetCycleRelaxType(amg_, 9, 3);
    const HYPRE_Int status =
        HYPRE_BoomerAMGSetup(amg_, reinterpret_cast<HYPRE_ParCSRMatrix>(parMatrix_),
                             reinterpret_cast<HYPRE_ParVector>(rhs_), reinterpret_cast<HYPRE_ParVector>(x_));
    // Every process must agree on the outcome.
    parallel::Reduction failed;
    failed.maximum[0] = (status & HYPRE_ERROR_MEMORY) != 0 ? 1 : 0;
    parallel::reduce(failed);
    HYPRE_ClearAllErrors();
    return failed.maximum[0] == 0;
}

void AmgPart::residual(Vector b, Vector x, Vector r, double& squares, double& largest) {
    const int32_t n = rows();
    std::copy_n(local(b), n, local(r));
    hypre_ParCSRMatrixMatvec(-1.0, parMatrix_, x, 1.0, r);
    const double* rr = local(r);
    parallel::Reduction sums;
    sums.maximum[0] = oneSided_ ? -std::numeric_limits<double>::infinity() : 0;
    for (int32_t i = 0; i < n; ++i) {
        sums.sum[0] += rr[i] * rr[i];
        const double size = oneSided_ ? rr[i] : std::fabs(rr[i]);
        // Not finite stays not finite in the largest value.
        if (!(size <= sums.maximum[0])) sums.maximum[0] = size;
    }
    parallel::reduce(sums);
    squares = sums.sum[0];
    largest = sums.maximum[0];
}

PartResult AmgPart::iterate(Vector b, Vector x, double tolerance, int32_t limit, IterationWatch* watch) {
    const int32_t n = rows();
    double* xs = local(x);
    double* rs = local(r_);
    double* zs = local(z_);
    double* ps = local(p_);
    double* qs = local(q_);
    auto precondition = [&] {
        std::fill_n(zs, n, 0.0);
        HYPRE_BoomerAMGSolve(amg_, reinterpret_cast<HYPRE_ParCSRMatrix>(parMatrix_),
                             reinterpret_cast<HYPRE_ParVector>(r_), reinterpret_cast<HYPRE_ParVector>(z_));
        parallel::Reduction s;
        s.sum[0] = dot(rs, zs, n);
        parallel::reduce(s);
        return s.sum[0];
    };

    PartResult result;
    residual(b, x, r_, result.residualSquares, result.largestResidual);
    if (!std::isfinite(result.largestResidual)) {
        result.status = PartStatus::NotDefinite;
        return result;
    }
    bool restart = true; // a new search direction from the residual
    double rz = 0;
    int misses = 0; // updated residuals at the tolerance whose true residual was not
    for (;;) {
        if (result.largestResidual <= tolerance) {
            // The updated residual drifts from the true one by rounding: the true one decides.
            residual(b, x, r_, result.residualSquares, result.largestResidual);
            if (result.largestResidual <= tolerance) return result;
            // The residual cannot be computed more exactly than the rounding of A x allows.
            if (++misses == kMissesAtRounding) {
                result.status = PartStatus::AtRounding;
                return result;
            }
            restart = true;
        }
        if (result.iterations >= limit) {
            result.status = PartStatus::LimitReached;
            return result;
        }
        if (restart) {
            rz = precondition();
            if (!(rz > 0) || !std::isfinite(rz)) {
                result.status = PartStatus::NotDefinite;
                return result;
            }
            std::copy_n(zs, n, ps);
            restart = false;
        }
        hypre_ParCSRMatrixMatvec(1.0, parMatrix_, p_, 0.0, q_);
        parallel::Reduction curvature;
        curvature.sum[0] = dot(ps, qs, n);
        parallel::reduce(curvature);
        const double pq = curvature.sum[0];
        // p.Ap > 0 for every p of a positive definite matrix.
        if (!(pq > 0) || !std::isfinite(pq)) {
            result.status = PartStatus::NotDefinite;
            return result;
        }
        const double alpha = rz / pq;
        parallel::Reduction after;
        after.maximum[0] = oneSided_ ? -std::numeric_limits<double>::infinity() : 0;
        for (int32_t i = 0; i < n; ++i) {
            xs[i] += alpha * ps[i];
            rs[i] -= alpha * qs[i];
            after.sum[0] += rs[i] * rs[i];
            const double size = oneSided_ ? rs[i] : std::fabs(rs[i]);
            if (!(size <= after.maximum[0])) after.maximum[0] = size;
        }
        after.maximum[1] = watch && watch->stopRequested() ? 1 : 0;
        parallel::reduce(after);
        ++result.iterations;
        result.residualSquares = after.sum[0];
        result.largestResidual = after.maximum[0];
        if (watch) watch->iterated(result.iterations, result.residualSquares);
        if (after.maximum[1] > 0) {
            result.status = PartStatus::Stopped;
            return result;
        }
        if (!std::isfinite(result.largestResidual)) {
            result.status = PartStatus::NotDefinite;
            return result;
        }
        if (result.largestResidual <= tolerance) continue;
        const double next = precondition();
        if (!(next > 0) || !std::isfinite(next)) {
            result.status = PartStatus::NotDefinite;
            return result;
        }
        const double beta = next / rz;
        rz = next;
        for (int32_t i = 0; i < n; ++i)
            ps[i] = zs[i] + beta * ps[i];
    }
}

double AmgPart::inverseBound(bool couplingsNonPositive) {
    // A w = 1 until the residual s = 1 - A w is at most 1/2 in every equation. Where A is positive
    // definite and none of its off-diagonal entries is above 0, A^-1 has no negative entry, so
    // |A^-1 v| <= |v|max A^-1 1 for every v, and the largest row sum of |A^-1| is |A^-1 1|max.
    // From A^-1 1 = w + A^-1 s <= w + smax A^-1 1 (smax the largest s): A^-1 1 <= w / (1 - smax),
    // entry by entry. The last w is the start: the matrices of two cycles differ little.
    if (!haveW_) std::fill_n(local(w_), rows(), 0.0);
    oneSided_ = true;
    const PartResult solved = iterate(ones_, w_, kBoundResidual, kBoundIterationLimit, nullptr);
    oneSided_ = false;
    haveW_ = true;
    if (solved.status != PartStatus::Converged && solved.status != PartStatus::LimitReached &&
        solved.status != PartStatus::AtRounding)
        return std::numeric_limits<double>::infinity();
    if (!(solved.largestResidual < 1)) return std::numeric_limits<double>::infinity();
    parallel::Reduction largest;
    const double* w = local(w_);
    for (int32_t i = 0; i < rows(); ++i)
        largest.maximum[0] = std::max(largest.maximum[0], std::fabs(w[i]));
    parallel::reduce(largest);
    const double bound = largest.maximum[0] / (1 - solved.largestResidual);
    return couplingsNonPositive ? bound : bound * kUnprovenBoundFactor;
}

PartResult AmgPart::solve(double tolerance, int32_t limit, IterationWatch* watch) {
    return iterate(rhs_, x_, tolerance, limit, watch);
}

} // namespace velkor
