#include "solver/conjugate_gradient.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/number_text.h"

namespace velkor {

NodeRole nodeRole(int32_t type) {
    if (type == 0) return FreeNode;
    return type > 0 ? PrescribedNode : OtherNode;
}

double measureLogarithm(double measure) {
    if (measure == 0) return std::log10(std::numeric_limits<double>::denorm_min());
    return std::log10(measure);
}

double cycleTolerance(int32_t cycle) {
    double tolerance = 1e-4;
    for (int32_t c = 0; c < cycle; ++c)
        tolerance *= 1e-4;
    return tolerance;
}

namespace {

// Rows are handled in blocks; before a block's product, the search direction is brought up to
// date for every column the block (or an earlier one) reaches. The direction update is then done
// on data that the product is about to read anyway, and the two need one sweep instead of two.
constexpr int32_t kBlockRows = 512;

// reach[b]: one past the largest column used by rows of blocks 0..b (and past their own rows).
void computeBlockReach(const SystemMatrix& matrix, std::vector<int32_t>& reach) {
    const int32_t n = matrix.rows;
    reach.assign(static_cast<std::size_t>((n + kBlockRows - 1) / kBlockRows), 0);
    int32_t far = 0;
    int32_t begin = 0;
    for (int32_t k = 0; k < n; ++k) {
        const int32_t end = matrix.offEnd[static_cast<std::size_t>(k)];
        far = std::max(far, k + 1);
        for (int32_t e = begin; e < end; ++e)
            far = std::max(far, matrix.columns[static_cast<std::size_t>(e)] + 1);
        begin = end;
        reach[static_cast<std::size_t>(k / kBlockRows)] = far;
    }
}

// Everything one sweep needs, as plain pointers to contiguous arrays.
struct Arrays {
    int32_t n;
    const int32_t* __restrict offEnd;
    const int32_t* __restrict columns;
    const double* __restrict diagonal;
    const double* __restrict values;
    const uint8_t* __restrict roles;
    double* __restrict F;
    double* __restrict r;
    double* __restrict p;
    double* __restrict q;
};

// p = r + beta p (plain) or p = r / d + beta p (preconditioned) for the indices [from, to).
template <bool Preconditioned>
inline void updateDirection(const Arrays& a, double beta, int32_t from, int32_t to) {
    for (int32_t k = from; k < to; ++k) {
        if constexpr (Preconditioned)
            a.p[k] = a.r[k] / a.diagonal[k] + beta * a.p[k];
        else
            a.p[k] = a.r[k] + beta * a.p[k];
    }
}

// q = A p (q arrives zeroed) and returns p.q, summed in row order: q_k is complete once row k is
// done, because later rows only add to larger indices. With UpdateFirst the direction update of
// the previous iteration is folded in ahead of the product.
template <bool UpdateFirst, bool Preconditioned>
double multiplyDirection(const Arrays& a, const int32_t* reach, double beta) {
    double pq = 0;
    int32_t ready = 0; // p is up to date below this index
    int32_t begin = 0;
    for (int32_t first = 0; first < a.n; first += kBlockRows) {
        const int32_t last = std::min(a.n, first + kBlockRows);
        if constexpr (UpdateFirst) {
            const int32_t need = reach[first / kBlockRows];
            if (need > ready) {
                updateDirection<Preconditioned>(a, beta, ready, need);
                ready = need;
            }
        }
        for (int32_t k = first; k < last; ++k) {
            const int32_t end = a.offEnd[k];
            const double pk = a.p[k];
            double qk = a.q[k] + a.diagonal[k] * pk;
            for (int32_t e = begin; e < end; ++e) {
                const int32_t j = a.columns[e];
                const double v = a.values[e];
                qk += v * a.p[j];
                a.q[j] += v * pk;
            }
            a.q[k] = qk;
            pq += pk * qk;
            begin = end;
        }
    }
    return pq;
}

// F += alpha p and r -= alpha q on free nodes; q is cleared for the next product. Returns the new
// measure r.r (plain) or sum r_k^2 / d_k (preconditioned).
template <bool Preconditioned> double updateHeadsAndResidual(const Arrays& a, double alpha) {
    double measure = 0;
    for (int32_t k = 0; k < a.n; ++k) {
        if (a.roles[k] == FreeNode) {
            a.F[k] += alpha * a.p[k];
            a.r[k] -= alpha * a.q[k];
        }
        a.q[k] = 0;
        if constexpr (Preconditioned)
            measure += a.r[k] * a.r[k] / a.diagonal[k];
        else
            measure += a.r[k] * a.r[k];
    }
    return measure;
}

std::string breakdownMessage(int32_t cycle) {
    return format("The iteration of cycle %d broke down: the equations have no unique solution.\n\n"
                  "Check the permeabilities, the supplies and the prescribed heads of the problem.",
                  cycle + 1);
}

template <bool Preconditioned>
ConjugateGradientResult iterate(const ConjugateGradientInput& input, const Arrays& a, const int32_t* reach,
                                const IterationProgress& progress) {
    ConjugateGradientResult result;
    const double tolerance = cycleTolerance(input.cycle);
    const int64_t limit = 2 * static_cast<int64_t>(a.n);
    const int32_t n = a.n;

    // Start value: supply over diagonal for the free nodes.
    for (int32_t k = 0; k < n; ++k)
        if (a.roles[k] == FreeNode) a.F[k] = input.supply[k] / a.diagonal[k];

    // Residual r = supply - A F, the rows of prescribed nodes set to 0 once complete.
    std::copy(input.supply, input.supply + n, a.r);
    int32_t begin = 0;
    for (int32_t k = 0; k < n; ++k) {
        const int32_t end = a.offEnd[k];
        const double Fk = a.F[k];
        double rk = a.r[k] - a.diagonal[k] * Fk;
        for (int32_t e = begin; e < end; ++e) {
            const int32_t j = a.columns[e];
            rk -= a.values[e] * a.F[j];
            a.r[j] -= a.values[e] * Fk;
        }
        a.r[k] = a.roles[k] == PrescribedNode ? 0.0 : rk;
        begin = end;
    }

    double rho = 0;
    for (int32_t k = 0; k < n; ++k) {
        if constexpr (Preconditioned) {
            const double z = a.r[k] / a.diagonal[k];
            a.p[k] = z;
            rho += a.r[k] * z;
        } else {
            a.p[k] = a.r[k];
            rho += a.r[k] * a.r[k];
        }
    }
    if (!std::isfinite(rho)) {
        result.ok = false;
        result.message = breakdownMessage(input.cycle);
        return result;
    }

    int64_t iteration = 0;
    double beta = 0;
    while (iteration <= limit && std::fabs(rho) > tolerance) {
        const double pq = iteration == 0 ? multiplyDirection<false, Preconditioned>(a, reach, 0)
                                         : multiplyDirection<true, Preconditioned>(a, reach, beta);
        const double alpha = rho / pq;
        if (pq == 0 || !std::isfinite(alpha)) {
            result.ok = false;
            result.message = breakdownMessage(input.cycle);
            result.iterations = static_cast<int32_t>(iteration);
            return result;
        }
        const double next = updateHeadsAndResidual<Preconditioned>(a, alpha);
        if (!std::isfinite(next)) {
            result.ok = false;
            result.message = breakdownMessage(input.cycle);
            result.iterations = static_cast<int32_t>(iteration);
            return result;
        }
        beta = next / rho;
        rho = next;
        ++iteration;
        if (progress) progress(static_cast<int32_t>(iteration), measureLogarithm(rho));
    }

    result.iterations = static_cast<int32_t>(iteration);
    result.measure = rho;
    result.log10Measure = measureLogarithm(rho);
    if (std::isnan(result.log10Measure)) {
        // A negative measure: the preconditioned product r.D^-1.r of a matrix that is not
        // positive definite.
        result.ok = false;
        result.message = breakdownMessage(input.cycle);
        return result;
    }
    for (int32_t k = 0; k < n; ++k) {
        if (!std::isfinite(a.F[k])) {
            result.ok = false;
            result.message = breakdownMessage(input.cycle);
            return result;
        }
        if (!(a.F[k] >= input.bottom[k])) result.warning = true;
    }
    if (progress) progress(result.iterations, result.log10Measure);
    return result;
}

} // namespace

ConjugateGradientResult solveConjugateGradient(const ConjugateGradientInput& input, double* heads,
                                               ConjugateGradientWork& work,
                                               const IterationProgress& progress) {
    const SystemMatrix& matrix = *input.matrix;
    const auto n = static_cast<std::size_t>(matrix.rows);
    work.r.assign(n, 0.0);
    work.p.assign(n, 0.0);
    work.q.assign(n, 0.0);
    std::vector<int32_t> reach;
    computeBlockReach(matrix, reach);

    const Arrays arrays{matrix.rows,
                        matrix.offEnd.data(),
                        matrix.columns.data(),
                        matrix.diagonal.data(),
                        matrix.values.data(),
                        input.roles,
                        heads,
                        work.r.data(),
                        work.p.data(),
                        work.q.data()};
    return input.preconditioned ? iterate<true>(input, arrays, reach.data(), progress)
                                : iterate<false>(input, arrays, reach.data(), progress);
}

} // namespace velkor
