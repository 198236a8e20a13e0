#include "solver/conjugate_gradient.h"

#include <algorithm>
#include <cmath>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "model/number_text.h"
#include "model/table.h"

namespace velkor {

NodeRole nodeRole(int32_t type) {
    if (type == 0) return FreeNode;
    return type > 0 ? PrescribedNode : OtherNode;
}

NodeVectors nodeVectors(const Problem& problem) {
    const auto n = idx(problem.NN);
    NodeVectors vectors{std::vector<double>(n), std::vector<double>(n), std::vector<uint8_t>(n)};
    for (std::size_t i = 0; i < n; ++i) {
        vectors.heads[i] = problem.nodes[i].F;
        vectors.bottom[i] = problem.nodes[i].B;
        vectors.roles[i] = nodeRole(problem.nodes[i].Type);
    }
    return vectors;
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
// A few rows reach far ahead of the others (the main nodes, numbered first, connect to nodes
// anywhere in the mesh); their far columns are updated before the sweep, so that they do not
// pull the whole update forward.
constexpr int32_t kBlockRows = 256;

void planSweep(const SystemMatrix& matrix, std::vector<int32_t>& reach, std::vector<int32_t>& early) {
    const int32_t n = matrix.rows;
    reach.assign(idx((n + kBlockRows - 1) / kBlockRows), 0);
    early.clear();
    if (n == 0) return;

    // A row's span is its farthest column less the row; rows spanning more than twice the 99th
    // percentile are the exceptions.
    std::vector<int32_t> span(idx(n), 0);
    int32_t begin = 0;
    for (int32_t k = 0; k < n; ++k) {
        const int32_t end = matrix.offEnd[idx(k)];
        for (int32_t e = begin; e < end; ++e)
            span[idx(k)] = std::max(span[idx(k)], matrix.columns[idx(e)] - k);
        begin = end;
    }
    const auto percentile = span.begin() + static_cast<std::ptrdiff_t>((static_cast<int64_t>(n) * 99) / 100);
    std::nth_element(span.begin(), percentile, span.end());
    const int64_t window = 2 * static_cast<int64_t>(*percentile) + 16;

    std::vector<uint8_t> isEarly(idx(n), 0);
    int32_t far = 0;
    begin = 0;
    for (int32_t k = 0; k < n; ++k) {
        const int32_t end = matrix.offEnd[idx(k)];
        far = std::max(far, k + 1);
        for (int32_t e = begin; e < end; ++e) {
            const int32_t j = matrix.columns[idx(e)];
            if (j - static_cast<int64_t>(k) > window)
                isEarly[idx(j)] = 1;
            else
                far = std::max(far, j + 1);
        }
        begin = end;
        reach[idx(k / kBlockRows)] = far;
    }
    for (int32_t j = 0; j < n; ++j)
        if (isEarly[idx(j)]) early.push_back(j);
}

// Everything one sweep needs, as plain pointers to contiguous arrays. The sweeps are kept out of
// line so that each gets the registers to itself: inlined into the driver, the running sums and
// the array pointers were spilled to the stack inside the loops.
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
    double* __restrict p = a.p;
    const double* __restrict r = a.r;
    const double* __restrict d = a.diagonal;
    for (int32_t k = from; k < to; ++k) {
        if constexpr (Preconditioned)
            p[k] = r[k] / d[k] + beta * p[k];
        else
            p[k] = r[k] + beta * p[k];
    }
}

struct SweepPlan {
    const int32_t* reach;
    const int32_t* early;
    int32_t earlyCount;
};

// q = A p (q arrives zeroed) and returns p.q, summed in row order: q_k is complete once row k is
// done, because later rows only add to larger indices. With UpdateFirst the direction update of
// the previous iteration is folded in ahead of the product, each index updated exactly once.
template <bool UpdateFirst, bool Preconditioned>
[[gnu::noinline]] double multiplyDirection(const Arrays& a, const SweepPlan& plan, double beta) {
    int32_t ready = 0;     // p is up to date below this index, apart from the early ones
    int32_t nextEarly = 0; // first early index not yet passed by the sweep
    if constexpr (UpdateFirst) {
        for (int32_t e = 0; e < plan.earlyCount; ++e)
            updateDirection<Preconditioned>(a, beta, plan.early[e], plan.early[e] + 1);
    }
    double pq = 0;
    int32_t begin = 0;
    for (int32_t first = 0; first < a.n; first += kBlockRows) {
        const int32_t last = std::min(a.n, first + kBlockRows);
        if constexpr (UpdateFirst) {
            const int32_t need = plan.reach[first / kBlockRows];
            while (ready < need) {
                const int32_t skip = nextEarly < plan.earlyCount ? plan.early[nextEarly] : a.n;
                const int32_t to = std::min(need, skip);
                updateDirection<Preconditioned>(a, beta, ready, to);
                ready = to;
                if (ready == skip && nextEarly < plan.earlyCount) {
                    ++ready;
                    ++nextEarly;
                }
            }
        }
        // Local copies of the pointers: stores through q must not force them to be reloaded.
        const int32_t* __restrict offEnd = a.offEnd;
        const int32_t* __restrict columns = a.columns;
        const double* __restrict values = a.values;
        const double* __restrict diagonal = a.diagonal;
        const double* __restrict p = a.p;
        double* __restrict q = a.q;
        for (int32_t k = first; k < last; ++k) {
            const int32_t end = offEnd[k];
            const double pk = p[k];
            double qk = q[k] + diagonal[k] * pk;
            for (int32_t e = begin; e < end; ++e) {
                const int32_t j = columns[e];
                const double v = values[e];
                qk += v * p[j];
                q[j] += v * pk;
            }
            q[k] = qk;
            pq += pk * qk;
            begin = end;
        }
    }
    return pq;
}

// F += alpha p and r -= alpha q on free nodes; q is cleared for the next product. Returns the new
// measure r.r (plain) or sum r_k^2 / d_k (preconditioned).
template <bool Preconditioned>
[[gnu::noinline]] double updateHeadsAndResidual(const Arrays& a, double alpha) {
    const uint8_t* __restrict roles = a.roles;
    const double* __restrict diagonal = a.diagonal;
    const double* __restrict p = a.p;
    double* __restrict F = a.F;
    double* __restrict r = a.r;
    double* __restrict q = a.q;
    const int32_t n = a.n;
    auto update = [&](int32_t k) {
        const double qk = q[k];
        q[k] = 0;
        double rk = r[k];
        if (roles[k] == FreeNode) {
            F[k] += alpha * p[k];
            rk -= alpha * qk;
            r[k] = rk;
        }
        return rk;
    };
    double measure = 0;
    int32_t k = 0;
#if defined(__SSE2__)
    if constexpr (Preconditioned) {
        // Two divisions in one instruction; each lane rounds exactly as the scalar division, and
        // the terms are still added one by one in node order.
        for (; k + 1 < n; k += 2) {
            const double r0 = update(k), r1 = update(k + 1);
            const __m128d rr = _mm_set_pd(r1, r0);
            const __m128d terms = _mm_div_pd(_mm_mul_pd(rr, rr), _mm_loadu_pd(diagonal + k));
            measure += _mm_cvtsd_f64(terms);
            measure += _mm_cvtsd_f64(_mm_unpackhi_pd(terms, terms));
        }
    }
#endif
    for (; k < n; ++k) {
        const double rk = update(k);
        if constexpr (Preconditioned)
            measure += rk * rk / diagonal[k];
        else
            measure += rk * rk;
    }
    return measure;
}

std::string breakdownMessage(int32_t cycle) {
    return format("The iteration of cycle %d broke down: the equations have no unique solution.\n\n"
                  "Check the permeabilities, the supplies and the prescribed heads of the problem.",
                  cycle + 1);
}

void report(Feedback* feedback, int32_t cycle, int64_t iteration, double measure) {
    Progress progress;
    progress.stage = Stage::Iteration;
    progress.cycle = cycle + 1;
    progress.iteration = static_cast<int32_t>(iteration);
    progress.log10Measure = measureLogarithm(measure);
    feedback->progress(progress);
}

template <bool Preconditioned>
ConjugateGradientResult iterate(const ConjugateGradientInput& input, const Arrays& a, const SweepPlan& plan,
                                Feedback* feedback) {
    ConjugateGradientResult run;
    const double tolerance = cycleTolerance(input.cycle);
    const int64_t limit = input.iterationLimit >= 0 ? input.iterationLimit : 2 * static_cast<int64_t>(a.n);
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
    // A negative measure can only come from a negative diagonal (with the preconditioner): the
    // matrix is then not positive definite and the iteration meaningless.
    if (!std::isfinite(rho) || rho < 0) {
        run.result = Result::failed(Outcome::BadInput, breakdownMessage(input.cycle));
        return run;
    }

    int64_t iteration = 0;
    double beta = 0;
    while (iteration <= limit && std::fabs(rho) > tolerance) {
        const double pq = iteration == 0 ? multiplyDirection<false, Preconditioned>(a, plan, 0)
                                         : multiplyDirection<true, Preconditioned>(a, plan, beta);
        const double alpha = rho / pq;
        if (pq == 0 || !std::isfinite(alpha)) {
            run.result = Result::failed(Outcome::BadInput, breakdownMessage(input.cycle));
            run.iterations = static_cast<int32_t>(iteration);
            return run;
        }
        const double next = updateHeadsAndResidual<Preconditioned>(a, alpha);
        if (!std::isfinite(next) || next < 0) {
            run.result = Result::failed(Outcome::BadInput, breakdownMessage(input.cycle));
            run.iterations = static_cast<int32_t>(iteration);
            return run;
        }
        beta = next / rho;
        rho = next;
        ++iteration;
        if (feedback) {
            report(feedback, input.cycle, iteration, rho);
            if (feedback->cancelRequested()) {
                run.result.outcome = Outcome::Cancelled;
                run.iterations = static_cast<int32_t>(iteration);
                return run;
            }
        }
    }
    run.converged = !(std::fabs(rho) > tolerance);

    run.iterations = static_cast<int32_t>(iteration);
    run.measure = rho;
    run.log10Measure = measureLogarithm(rho);
    for (int32_t k = 0; k < n; ++k) {
        if (!std::isfinite(a.F[k])) {
            run.result = Result::failed(Outcome::BadInput, breakdownMessage(input.cycle));
            return run;
        }
        if (!(a.F[k] >= input.bottom[k])) run.warning = true;
    }
    if (feedback) report(feedback, input.cycle, run.iterations, rho);
    return run;
}

} // namespace

ConjugateGradientResult solveConjugateGradient(const ConjugateGradientInput& input, double* heads,
                                               ConjugateGradientWork& work, Feedback* feedback) {
    const SystemMatrix& matrix = *input.matrix;
    const auto n = idx(matrix.rows);
    work.r.assign(n, 0.0);
    work.p.assign(n, 0.0);
    work.q.assign(n, 0.0);
    planSweep(matrix, work.reach, work.early);
    const SweepPlan plan{work.reach.data(), work.early.data(), static_cast<int32_t>(work.early.size())};

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
    return input.preconditioned ? iterate<true>(input, arrays, plan, feedback)
                                : iterate<false>(input, arrays, plan, feedback);
}

} // namespace velkor
