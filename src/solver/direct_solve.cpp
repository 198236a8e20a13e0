#include "solver/direct_solve.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include <cholmod.h>

#include "model/number_text.h"
#include "model/table.h"
#include "solver/conjugate_gradient.h"
#include "solver/parallel_session.h"
#include "solver/run_beside.h"
#include "solver/solver_messages.h"

namespace velkor {

namespace {

using Index = SuiteSparse_long;

std::string noMemoryMessage(int32_t cycle) {
    return format("Not enough memory for the direct solver to factorise the equations of cycle %d.\n\n"
                  "Solve by the fast solver (solve:fast), which needs far less memory.",
                  cycle + 1);
}

void report(Feedback* feedback, int32_t cycle, double measure) {
    Progress progress;
    progress.stage = Stage::Iteration;
    progress.cycle = cycle + 1;
    progress.iteration = 0;
    progress.log10Measure = measureLogarithm(measure);
    feedback->progress(progress);
}

} // namespace

// The free nodes' matrix in the library's column storage: the lower triangle, column by column,
// which is the program's upper triangle row by row with the rows of kept heads left out. Every
// stored entry of the program's matrix knows where its value goes, so that a cycle only copies.
struct DirectSolver::Factor {
    cholmod_common common{};
    bool started = false;
    cholmod_sparse* matrix = nullptr;
    cholmod_factor* factor = nullptr;
    cholmod_dense* solution = nullptr;
    cholmod_dense* workY = nullptr;
    cholmod_dense* workE = nullptr;
    bool factorised = false; // the factor belongs to the values in matrix

    std::vector<int32_t> freeIndex; // per node: its unknown, -1 when its head is kept
    std::vector<Index> diagonalAt;  // per unknown: where its diagonal goes
    std::vector<Index> entryAt;     // per stored off-diagonal entry: where it goes, -1 when it
                                    // couples a kept head to the others
    std::vector<double> rightHand;  // per unknown
    std::vector<double> answer;     // heads being computed, NN values
    std::vector<double> product;    // A F, NN values

    Factor() {
        started = cholmod_l_start(&common) != 0;
        // Failures come back as outcomes; nothing is printed.
        common.print = 0;
        common.error_handler = nullptr;
        // Always L L': the simplicial L D L' that small systems would otherwise get goes through
        // an indefinite matrix without a word, where L L' stops at the first pivot that is not
        // positive.
        common.supernodal = CHOLMOD_SUPERNODAL;
    }
    ~Factor() {
        cholmod_l_free_dense(&workE, &common);
        cholmod_l_free_dense(&workY, &common);
        cholmod_l_free_dense(&solution, &common);
        cholmod_l_free_factor(&factor, &common);
        cholmod_l_free_sparse(&matrix, &common);
        if (started) cholmod_l_finish(&common);
    }
    Factor(const Factor&) = delete;
    Factor& operator=(const Factor&) = delete;

    bool outOfMemory() const {
        return common.status == CHOLMOD_OUT_OF_MEMORY || common.status == CHOLMOD_TOO_LARGE;
    }

    // The pattern of the free nodes' equations, in matrix.
    Outcome buildPattern(const SystemMatrix& system, const uint8_t* roles);
    // A's values and the right-hand side of this cycle's system; the factor is kept when the
    // values are those it was made from.
    void load(const SystemMatrix& system, const double* supply, const double* heads);
    Outcome solveOnce();
};

Outcome DirectSolver::Factor::buildPattern(const SystemMatrix& system, const uint8_t* roles) {
    const auto n = idx(system.rows);
    freeIndex.assign(n, -1);
    Index unknowns = 0;
    for (std::size_t k = 0; k < n; ++k)
        if (roles[k] == FreeNode) freeIndex[k] = static_cast<int32_t>(unknowns++);
    rightHand.assign(idx(unknowns), 0.0);
    answer.assign(n, 0.0);
    product.assign(n, 0.0);
    if (unknowns == 0) return Outcome::Done; // every head is kept: nothing to factorise

    // Column sizes: the diagonal and every coupling between two free nodes.
    std::vector<Index> columnStart(idx(unknowns) + 1, 0);
    int32_t begin = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const int32_t end = system.offEnd[k];
        if (freeIndex[k] >= 0) {
            Index size = 1;
            for (int32_t e = begin; e < end; ++e)
                if (freeIndex[idx(system.columns[idx(e)])] >= 0) ++size;
            columnStart[idx(freeIndex[k]) + 1] = size;
        }
        begin = end;
    }
    for (std::size_t c = 0; c < idx(unknowns); ++c)
        columnStart[c + 1] += columnStart[c];
    const Index stored = columnStart.back();

    matrix =
        cholmod_l_allocate_sparse(idx(unknowns), idx(unknowns), idx(stored), 1, 1, -1, CHOLMOD_REAL, &common);
    if (!matrix) return Outcome::OutOfMemory;
    auto* start = static_cast<Index*>(matrix->p);
    auto* row = static_cast<Index*>(matrix->i);
    std::copy(columnStart.begin(), columnStart.end(), start);

    // Rows of each column in ascending order, the diagonal first (the free numbering follows the
    // node numbering, so every coupling lies below it).
    diagonalAt.assign(idx(unknowns), 0);
    entryAt.assign(system.columns.size(), -1);
    std::vector<std::pair<Index, int32_t>> column; // row, stored entry
    begin = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const int32_t end = system.offEnd[k];
        if (const int32_t c = freeIndex[k]; c >= 0) {
            column.clear();
            for (int32_t e = begin; e < end; ++e)
                if (const int32_t r = freeIndex[idx(system.columns[idx(e)])]; r >= 0)
                    column.emplace_back(r, e);
            std::sort(column.begin(), column.end());
            Index at = start[c];
            diagonalAt[idx(c)] = at;
            row[at++] = c;
            for (const auto& [r, e] : column) {
                entryAt[idx(e)] = at;
                row[at++] = r;
            }
        }
        begin = end;
    }
    std::fill_n(static_cast<double*>(matrix->x), stored, 0.0);

    return Outcome::Done;
}

void DirectSolver::Factor::load(const SystemMatrix& system, const double* supply, const double* heads) {
    auto* value = static_cast<double*>(matrix->x);
    // Where the heads stay above the top, an element's thickness is the same in every cycle; a
    // wholly confined aquifer gives the same matrix six times, and its factor is made once.
    bool changed = false;
    auto put = [&](Index at, double v) {
        if (value[at] == v) return;
        value[at] = v;
        changed = true;
    };
    const auto n = idx(system.rows);
    for (std::size_t k = 0; k < n; ++k)
        if (const int32_t c = freeIndex[k]; c >= 0) {
            put(diagonalAt[idx(c)], system.diagonal[k]);
            rightHand[idx(c)] = supply[k];
        }
    // A kept head is known: its coupling to a free node moves to that node's right-hand side.
    int32_t begin = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const int32_t end = system.offEnd[k];
        for (int32_t e = begin; e < end; ++e) {
            const auto entry = idx(e);
            const auto j = idx(system.columns[entry]);
            if (entryAt[entry] >= 0) {
                put(entryAt[entry], system.values[entry]);
            } else if (freeIndex[k] >= 0) {
                rightHand[idx(freeIndex[k])] -= system.values[entry] * heads[j];
            } else if (freeIndex[j] >= 0) {
                rightHand[idx(freeIndex[j])] -= system.values[entry] * heads[k];
            }
        }
        begin = end;
    }
    if (changed) factorised = false;
}

// Solves A x = rightHand with this cycle's factor into solution.
Outcome DirectSolver::Factor::solveOnce() {
    cholmod_dense right{};
    right.nrow = rightHand.size();
    right.ncol = 1;
    right.nzmax = rightHand.size();
    right.d = rightHand.size();
    right.x = rightHand.data();
    right.xtype = CHOLMOD_REAL;
    right.dtype = CHOLMOD_DOUBLE;
    if (!cholmod_l_solve2(CHOLMOD_A, factor, &right, nullptr, &solution, nullptr, &workY, &workE, &common))
        return outOfMemory() ? Outcome::OutOfMemory : Outcome::BadInput;
    return Outcome::Done;
}

DirectSolver::DirectSolver() = default;
DirectSolver::~DirectSolver() = default;

DirectSolveResult DirectSolver::solve(const DirectSolveInput& input, double* heads, Feedback* feedback) {
    const SystemMatrix& system = *input.matrix;
    const auto n = idx(system.rows);
    DirectSolveResult run;
    auto fail = [&](Outcome outcome) {
        run.result = Result::failed(outcome, outcome == Outcome::OutOfMemory
                                                 ? noMemoryMessage(input.cycle)
                                                 : notPositiveDefiniteMessage("direct", input.cycle));
        return run;
    };

    Progress waiting;
    waiting.stage = Stage::Assembly;
    waiting.element = input.elements;
    waiting.cycle = input.cycle + 1;
    auto cancelled = [&] {
        if (!feedback || !feedback->cancelRequested()) return false;
        run.result.outcome = Outcome::Cancelled;
        return true;
    };

    // One thread: on a machine of two cores the library's OpenMP threads spin against each other.
    parallel::limitLibraryThreads();
    if (!factor_) {
        auto made = std::make_unique<Factor>();
        if (!made->started) return fail(Outcome::OutOfMemory);
        if (const Outcome built = made->buildPattern(system, input.roles); built != Outcome::Done)
            return fail(built);
        if (made->matrix) {
            // The fill-reducing ordering, found once for the six cycles.
            Factor& f = *made;
            runBeside(feedback, waiting, [&f] { f.factor = cholmod_l_analyze(f.matrix, &f.common); });
            if (!f.factor) return fail(f.outOfMemory() ? Outcome::OutOfMemory : Outcome::BadInput);
        }
        factor_ = std::move(made);
        if (cancelled()) return run;
    }
    Factor& f = *factor_;

    std::copy(heads, heads + n, f.answer.begin());
    if (f.matrix) {
        f.load(system, input.supply, heads);
        // A pivot that is not positive stops the factorisation: the equations then have no unique
        // solution.
        if (!f.factorised) {
            runBeside(feedback, waiting, [&f] { cholmod_l_factorize(f.matrix, f.factor, &f.common); });
            if (f.common.status < 0) return fail(f.outOfMemory() ? Outcome::OutOfMemory : Outcome::BadInput);
            if (f.common.status == CHOLMOD_NOT_POSDEF || f.factor->minor < f.factor->n)
                return fail(Outcome::BadInput);
            f.factorised = true;
            if (cancelled()) return run;
        }
        if (const Outcome solved = f.solveOnce(); solved != Outcome::Done) return fail(solved);
        const auto* x = static_cast<const double*>(f.solution->x);
        for (std::size_t k = 0; k < n; ++k)
            if (const int32_t c = f.freeIndex[k]; c >= 0) f.answer[k] = x[c];
    }

    // The residual of the whole system on the answer, r = supply - A F, rows of prescribed heads
    // left out: the measure the iteration reports, here at the level rounding leaves.
    multiplySymmetric(system, f.answer.data(), f.product.data());
    double measure = 0;
    for (std::size_t k = 0; k < n; ++k) {
        if (input.roles[k] == PrescribedNode) continue;
        const double r = input.supply[k] - f.product[k];
        measure += r * r;
    }
    // A head that is not finite makes the measure not finite as well.
    if (!std::isfinite(measure)) {
        run.result = Result::failed(Outcome::BadInput, notFiniteMessage("direct", input.cycle));
        return run;
    }
    for (std::size_t k = 0; k < n; ++k)
        if (!(f.answer[k] >= input.bottom[k])) run.warning = true;
    std::copy(f.answer.begin(), f.answer.end(), heads);
    run.measure = measure;
    run.log10Measure = measureLogarithm(measure);
    if (feedback) report(feedback, input.cycle, measure);
    cancelled();
    return run;
}

} // namespace velkor
