#include "solver/fast_solve.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "model/number_text.h"
#include "model/system_memory.h"
#include "model/table.h"
#include "solver/amg_part.h"
#include "solver/conjugate_gradient.h"
#include "solver/parallel_session.h"
#include "solver/run_beside.h"
#include "solver/solver_messages.h"

namespace velkor {

namespace {

// Every head within this of the exact answer of its cycle's equations.
constexpr double kHeadAccuracy = 1e-6;
// Rounds of refinement a cycle may take (see FastSolver::solve); two are enough on every mesh tried.
constexpr int kRefinementRounds = 3;
// The multigrid hierarchy of a cycle is kept for the next while no value of the equations has moved
// by more than this (relative, summed over the cycles since it was built). Its finest level always
// holds the current values, which the smoothing and the residuals use; only the coarse levels lag.
// On the unconfined Val3 refined to 1e6 nodes the cycles change the values by 0.50, 0.12, 0.02,
// 0.002 and 0.0003: keeping the hierarchy from the third cycle on takes as many iterations and saves
// four of six setups (on coarser meshes up to two iterations more over the six cycles, still
// faster). A hierarchy of other values stays a symmetric positive definite preconditioner, and the
// stopping rule does not depend on it.
constexpr double kRebuildDrift = 0.25;

// What process 0 tells the others (parallel::Command::what; 0 releases them).
enum CommandCode : int64_t {
    Begin = 1, // argument: the unknowns; the sizes and columns of the process's rows follow
    Cycle = 2, // a round of a cycle; arguments: values changed (1 with a new hierarchy, 2 keeping
               // it), couplings at most 0, iteration limit; the values (when changed) and the
               // right-hand side follow
    End = 3    // the solve is over
};

// Memory a process needs beyond what it holds already, per stored entry of its rows and per row:
// the matrix and its multigrid hierarchy, eight vectors, the pattern while it is built. Measured on
// the refined examples (1e5 to 4e6 nodes) with a quarter to spare.
constexpr double kBytesPerEntry = 70;
constexpr double kBytesPerRow = 200;

bool fits(int64_t entries, int64_t rows) {
    const double needed =
        kBytesPerEntry * static_cast<double>(entries) + kBytesPerRow * static_cast<double>(rows);
    return needed <= static_cast<double>(availableMemory());
}

std::string noMemoryMessage(int32_t cycle) {
    return format("Not enough memory for the fast solver to solve the equations of cycle %d.\n\n"
                  "Solve without \"Use Fast Solver\" in the Options window, which needs far less memory.",
                  cycle + 1);
}

void reportIteration(Feedback* feedback, int32_t cycle, int32_t iteration, double measure) {
    Progress progress;
    progress.stage = Stage::Iteration;
    progress.cycle = cycle + 1;
    progress.iteration = iteration;
    progress.log10Measure = measureLogarithm(measure);
    feedback->progress(progress);
}

// Iterations are counted over the rounds of a cycle.
class FeedbackWatch : public IterationWatch {
  public:
    FeedbackWatch(Feedback* feedback, int32_t cycle) : feedback_(feedback), cycle_(cycle) {}
    void iterated(int32_t iteration, double residualSquares) override {
        if (feedback_) reportIteration(feedback_, cycle_, before_ + iteration, residualSquares);
    }
    bool stopRequested() override { return feedback_ && feedback_->cancelRequested(); }
    void done(int32_t iterations) { before_ += iterations; }
    int32_t iterations() const { return before_; }

  private:
    Feedback* feedback_;
    int32_t cycle_;
    int32_t before_ = 0;
};

// Destinations of the values of the program's matrix that have no place in the equations.
constexpr int32_t kKeptHead = -1; // a coupling to a kept head, moved to the right-hand side
constexpr int32_t kLeftOut = -2;  // a coupling that was 0 when the pattern was made

// The first row of process r when U unknowns are shared by size processes: contiguous blocks of
// the node numbering, as equal as they can be.
int32_t firstRow(int32_t unknowns, int r, int size) {
    return static_cast<int32_t>(static_cast<int64_t>(unknowns) * r / size);
}

// The steps of one cycle that every process takes together, once its rows hold the cycle's values,
// right-hand side and start: a new hierarchy when asked, a new bound when the values changed, then
// the iteration.
// runLong runs the building of the hierarchy (process 0 keeps its window painted meanwhile).
template <class RunLong>
PartResult solveShare(AmgPart& part, bool changed, bool rebuild, bool couplingsNonPositive, int32_t limit,
                      double& bound, IterationWatch* watch, RunLong runLong) {
    if (rebuild) {
        bool built = false;
        runLong([&] { built = part.setup(); });
        if (!built) {
            PartResult result;
            result.status = PartStatus::NoMemory;
            return result;
        }
    }
    if (changed) bound = part.inverseBound(couplingsNonPositive);
    // Half of the accuracy for the iteration, half left for rounding.
    return part.solve(0.5 * kHeadAccuracy / bound, limit, watch);
}

} // namespace

// Process 0's view of the solve: the unknowns (free nodes) in node order, the rows of every
// process, and where each stored entry of the program's matrix goes.
struct FastSolver::Plan {
    int32_t unknowns = 0;
    std::vector<int32_t> unknownOf;  // per node: its unknown, -1 when its head is kept
    std::vector<int32_t> nodeOf;     // per unknown: its node
    std::vector<int32_t> rowFirst;   // per process its first row, then the end
    std::vector<int64_t> entryFirst; // per process its first entry in pattern order, then the end
    // Destinations of the values: below the entry count of process 0 a slot of its own part, from
    // there on an entry of sendValues, which holds the rows of the other processes in pattern order.
    std::vector<int32_t> diagonalTo; // per unknown
    std::vector<int32_t> upperTo;    // per stored off-diagonal entry (k, j): where A_kj goes; kKeptHead
                                     // when it couples a kept head, kLeftOut when it was 0
    std::vector<int32_t> lowerTo;    // where A_jk goes
    bool keepZeros = false;          // every coupling in the pattern, 0 or not
    std::vector<double> sendValues;
    std::vector<double> rightHand; // per unknown
    std::vector<double> start;     // per unknown: the change of its head a round found
    AmgPart part;
    bool shared = false;    // the rows are shared out and the parts built
    bool valuesSet = false; // the parts hold the values of an earlier cycle
    bool helpersBegun = false;
    double bound = 0;
    double change = 0; // the largest relative change of a value in this cycle
    double drift = 0;  // the sum of those changes since the hierarchy was built

    bool put(int32_t to, double value) {
        const auto own = static_cast<int32_t>(entryFirst[1]);
        double& kept = to < own ? part.at(to) : sendValues[idx(to - own)];
        if (kept == value) return false;
        change = std::max(change, std::fabs(value - kept) / std::fabs(kept));
        kept = value;
        return true;
    }

    // Builds the pattern, shares it out and builds the parts; false when the memory is not there.
    bool share(const SystemMatrix& system);

    // rightHand = supply - A F for the unknowns, summed in extended precision.
    void residual(const SystemMatrix& system, const double* supply, const double* heads) {
        const int32_t n = system.rows;
        std::fill(product.begin(), product.end(), 0.0L);
        int32_t begin = 0;
        for (int32_t k = 0; k < n; ++k) {
            const int32_t end = system.offEnd[idx(k)];
            const long double Fk = heads[k];
            long double sum = product[idx(k)] + system.diagonal[idx(k)] * Fk;
            for (int32_t e = begin; e < end; ++e) {
                const auto j = idx(system.columns[idx(e)]);
                const long double value = system.values[idx(e)];
                sum += value * heads[j];
                product[j] += value * Fk;
            }
            product[idx(k)] = sum;
            begin = end;
        }
        for (int32_t c = 0; c < unknowns; ++c) {
            const auto k = idx(nodeOf[idx(c)]);
            rightHand[idx(c)] = static_cast<double>(supply[k] - product[k]);
        }
    }
    std::vector<long double> product; // A F, per node
};

namespace {

int32_t positionInRow(const std::vector<int64_t>& rowStart, const std::vector<int32_t>& columns, int32_t row,
                      int32_t column) {
    for (int64_t k = rowStart[idx(row)]; k < rowStart[idx(row) + 1]; ++k)
        if (columns[idx(k)] == column) return static_cast<int32_t>(k);
    return -1;
}

// The largest value of a flag over all processes.
bool anyProcess(bool flag) {
    parallel::Reduction any;
    any.maximum[0] = flag ? 1 : 0;
    parallel::reduce(any);
    return any.maximum[0] > 0;
}

} // namespace

bool FastSolver::Plan::share(const SystemMatrix& system) {
    const auto n = idx(system.rows);
    const int32_t U = unknowns;
    // The pattern: every row of the free nodes whole (both triangles), its columns ascending.
    std::vector<int32_t> rowSize(idx(U), 1);
    auto forEachCoupling = [&](auto visit) {
        int32_t begin = 0;
        for (std::size_t k = 0; k < n; ++k) {
            const int32_t end = system.offEnd[k];
            for (int32_t e = begin; e < end; ++e)
                visit(e, unknownOf[k], unknownOf[idx(system.columns[idx(e)])]);
            begin = end;
        }
    };
    // A coupling whose value is exactly 0 (the two corners of the right angle of every element
    // that holds both) is left out: on meshes of right triangles that is two entries of seven.
    auto coupled = [&](int32_t e, int32_t a, int32_t b) {
        return a >= 0 && b >= 0 && (keepZeros || system.values[idx(e)] != 0);
    };
    forEachCoupling([&](int32_t e, int32_t a, int32_t b) {
        if (!coupled(e, a, b)) return;
        ++rowSize[idx(a)];
        ++rowSize[idx(b)];
    });
    std::vector<int64_t> rowStart(idx(U) + 1, 0);
    for (std::size_t c = 0; c < idx(U); ++c)
        rowStart[c + 1] = rowStart[c] + rowSize[c];
    const int64_t entries = rowStart.back();
    if (entries >= std::numeric_limits<int32_t>::max()) return false;
    std::vector<int32_t> columns(idx(entries));
    {
        std::vector<int64_t> next(rowStart.begin(), rowStart.end() - 1);
        for (int32_t c = 0; c < U; ++c)
            columns[idx(next[idx(c)]++)] = c;
        forEachCoupling([&](int32_t e, int32_t a, int32_t b) {
            if (!coupled(e, a, b)) return;
            columns[idx(next[idx(a)]++)] = b;
            columns[idx(next[idx(b)]++)] = a;
        });
        for (int32_t c = 0; c < U; ++c)
            std::sort(columns.begin() + rowStart[idx(c)], columns.begin() + rowStart[idx(c) + 1]);
    }

    const int size = parallel::groupSize();
    rowFirst.resize(idx(size) + 1);
    entryFirst.resize(idx(size) + 1);
    for (int r = 0; r <= size; ++r) {
        rowFirst[idx(r)] = firstRow(U, r, size);
        entryFirst[idx(r)] = rowStart[idx(rowFirst[idx(r)])];
    }
    // The other processes get their rows (sizes and columns) and say whether they have the memory.
    if (size > 1) parallel::sendCommand(parallel::Command{Begin, {U, 0, 0}});
    for (int r = 1; r < size; ++r) {
        const int32_t first = rowFirst[idx(r)];
        const int32_t last = rowFirst[idx(r) + 1];
        parallel::sendInts(rowSize.data() + first, last - first, r);
        parallel::sendInts(columns.data() + entryFirst[idx(r)], entryFirst[idx(r) + 1] - entryFirst[idx(r)],
                           r);
    }
    const int64_t own = entryFirst[1];
    // Process 0 keeps the program's matrix and the whole vectors beside its part.
    const bool enough = fits(own, rowFirst[1]);
    if (anyProcess(!enough)) return false;
    helpersBegun = size > 1;

    // Process 0's rows are the first ones: their starts are the front of rowStart.
    part.build(0, rowFirst[1], U, rowStart.data(), columns.data());
    auto to = [&](int32_t row, int32_t column) {
        const int32_t position = positionInRow(rowStart, columns, row, column);
        return position < own ? part.slot(position) : position;
    };
    diagonalTo.resize(idx(U));
    for (int32_t c = 0; c < U; ++c)
        diagonalTo[idx(c)] = to(c, c);
    upperTo.assign(system.columns.size(), kKeptHead);
    lowerTo.assign(system.columns.size(), kKeptHead);
    forEachCoupling([&](int32_t e, int32_t a, int32_t b) {
        if (a < 0 || b < 0) return;
        if (!coupled(e, a, b)) {
            upperTo[idx(e)] = lowerTo[idx(e)] = kLeftOut;
            return;
        }
        upperTo[idx(e)] = to(a, b);
        lowerTo[idx(e)] = to(b, a);
    });
    sendValues.assign(idx(entries - own), 0.0);
    rightHand.assign(idx(U), 0.0);
    start.assign(idx(U), 0.0);
    product.assign(n, 0.0L);
    shared = true;
    return true;
}

FastSolver::FastSolver() = default;

FastSolver::~FastSolver() {
    if (plan_ && plan_->helpersBegun) parallel::sendCommand(parallel::Command{End, {}});
}

FastSolveResult FastSolver::solve(const FastSolveInput& input, double* heads, Feedback* feedback) {
    const SystemMatrix& system = *input.matrix;
    const auto n = idx(system.rows);
    FastSolveResult run;
    auto fail = [&](Outcome outcome, std::string message) {
        run.result = Result::failed(outcome, std::move(message));
        return run;
    };
    auto cancelled = [&] {
        if (!feedback || !feedback->cancelRequested()) return false;
        run.result.outcome = Outcome::Cancelled;
        return true;
    };

    if (!plan_) {
        auto plan = std::make_unique<Plan>();
        plan->unknownOf.assign(n, -1);
        for (std::size_t k = 0; k < n; ++k)
            if (input.roles[k] == FreeNode) {
                plan->unknownOf[k] = static_cast<int32_t>(plan->nodeOf.size());
                plan->nodeOf.push_back(static_cast<int32_t>(k));
            }
        plan->unknowns = static_cast<int32_t>(plan->nodeOf.size());
        plan_ = std::move(plan);
    }
    Plan& p = *plan_;
    std::vector<double> answer(heads, heads + n);
    std::vector<double> product(n);

    if (p.unknowns > 0) {
        if (!p.shared) {
            // A solve that cannot fit is refused before anything is started or allocated for it;
            // every coupling counts, in both triangles (an estimate from above).
            const int64_t entries = p.unknowns + 2 * static_cast<int64_t>(system.values.size());
            const int size = parallel::groupSize();
            if (!fits(entries / size, p.unknowns / size))
                return fail(Outcome::OutOfMemory, noMemoryMessage(input.cycle));
            std::string why;
            if (!parallel::ensureStarted(why)) return fail(Outcome::OutOfMemory, why);
            parallel::limitLibraryThreads();
            if (!p.share(system)) return fail(Outcome::OutOfMemory, noMemoryMessage(input.cycle));
            if (cancelled()) return run;
        }

        // The cycle's values.
        bool changed = !p.valuesSet;
        bool couplingsNonPositive = true;
        bool leftOutNonZero = false;
        auto fill = [&] {
            for (int32_t c = 0; c < p.unknowns; ++c) {
                const auto k = idx(p.nodeOf[idx(c)]);
                changed = p.put(p.diagonalTo[idx(c)], system.diagonal[k]) || changed;
            }
            for (std::size_t entry = 0; entry < system.values.size(); ++entry) {
                const double value = system.values[entry];
                const int32_t to = p.upperTo[entry];
                if (to >= 0) {
                    changed = p.put(to, value) || changed;
                    changed = p.put(p.lowerTo[entry], value) || changed;
                    couplingsNonPositive = couplingsNonPositive && value <= 0;
                } else if (to == kLeftOut) {
                    leftOutNonZero = leftOutNonZero || value != 0;
                }
            }
        };
        p.change = 0;
        fill();
        if (leftOutNonZero) {
            // A coupling that was 0 no longer is (only a mesh with angles above 90 degrees can do
            // this): the pattern is made again with every coupling.
            if (p.helpersBegun) parallel::sendCommand(parallel::Command{End, {}});
            p.helpersBegun = p.shared = p.valuesSet = false;
            p.keepZeros = true;
            if (!p.share(system)) return fail(Outcome::OutOfMemory, noMemoryMessage(input.cycle));
            changed = true;
            couplingsNonPositive = true;
            fill();
        }
        p.valuesSet = true;
        // The hierarchy is built again once the values have moved far from those it was built for.
        p.drift += p.change;
        const bool rebuild = changed && (!p.part.hasHierarchy() || p.drift > kRebuildDrift);
        if (rebuild) p.drift = 0;

        // Rounds of refinement: each solves A y = b - A F for the change y of the heads, with the
        // right-hand side computed in extended precision, and adds y to F. The iteration on y can
        // reach residuals far below the rounding of b - A F in double arithmetic (about 1e-16 of
        // the largest A_kj F_j), which the bound turns into head errors above 1e-6 m on meshes of
        // some million nodes; the second round starts where the first stopped.
        const int size = parallel::groupSize();
        const auto own = idx(p.entryFirst[1]);
        Progress waiting;
        waiting.stage = Stage::Assembly;
        waiting.element = input.elements;
        waiting.cycle = input.cycle + 1;
        FeedbackWatch watch(feedback, input.cycle);
        for (int round = 0; round < kRefinementRounds; ++round) {
            p.residual(system, input.supply, answer.data());
            const bool first = round == 0;
            if (size > 1)
                parallel::sendCommand(
                    parallel::Command{Cycle,
                                      {first && changed ? (rebuild ? 1 : 2) : 0, couplingsNonPositive ? 1 : 0,
                                       input.iterationLimit}});
            for (int r = 1; r < size; ++r) {
                const auto from = idx(p.rowFirst[idx(r)]);
                const int32_t rows = p.rowFirst[idx(r) + 1] - p.rowFirst[idx(r)];
                if (first && changed)
                    parallel::sendDoubles(p.sendValues.data() + (p.entryFirst[idx(r)] - own),
                                          p.entryFirst[idx(r) + 1] - p.entryFirst[idx(r)], r);
                parallel::sendDoubles(p.rightHand.data() + from, rows, r);
            }
            std::copy_n(p.rightHand.data(), p.part.rows(), p.part.rightHandSide());
            std::fill_n(p.part.answer(), p.part.rows(), 0.0);
            const PartResult solved = solveShare(
                p.part, first && changed, first && rebuild, couplingsNonPositive, input.iterationLimit,
                p.bound, &watch, [&](const auto& step) { runBeside(feedback, waiting, step); });

            // The changes of every process, whatever the outcome, so that all stay in step.
            std::copy_n(p.part.answer(), p.part.rows(), p.start.data());
            for (int r = 1; r < size; ++r)
                parallel::receiveDoubles(p.start.data() + p.rowFirst[idx(r)],
                                         p.rowFirst[idx(r) + 1] - p.rowFirst[idx(r)], r);
            switch (solved.status) {
            case PartStatus::Converged:
            case PartStatus::LimitReached:
            case PartStatus::AtRounding:
                break;
            case PartStatus::NotDefinite:
                return fail(Outcome::BadInput, notPositiveDefiniteMessage("fast", input.cycle));
            case PartStatus::Stopped:
                run.result.outcome = Outcome::Cancelled;
                return run;
            case PartStatus::NoMemory:
                return fail(Outcome::OutOfMemory, noMemoryMessage(input.cycle));
            }
            for (int32_t c = 0; c < p.unknowns; ++c)
                answer[idx(p.nodeOf[idx(c)])] += p.start[idx(c)];
            watch.done(solved.iterations);
            run.iterations = watch.iterations();
            run.converged = solved.status == PartStatus::Converged;
            if (solved.status != PartStatus::AtRounding) break;
        }
    }

    // The residual of the whole system on the answer, r = supply - A F, rows of prescribed heads
    // left out: the measure the iteration reports.
    multiplySymmetric(system, answer.data(), product.data());
    double measure = 0;
    for (std::size_t k = 0; k < n; ++k) {
        if (input.roles[k] == PrescribedNode) continue;
        const double r = input.supply[k] - product[k];
        measure += r * r;
    }
    // A head that is not finite makes the measure not finite as well.
    if (!std::isfinite(measure)) return fail(Outcome::BadInput, notFiniteMessage("fast", input.cycle));
    for (std::size_t k = 0; k < n; ++k)
        if (!(answer[k] >= input.bottom[k])) run.warning = true;
    std::copy(answer.begin(), answer.end(), heads);
    run.measure = measure;
    run.log10Measure = measureLogarithm(measure);
    if (feedback) reportIteration(feedback, input.cycle, run.iterations, measure);
    cancelled();
    return run;
}

int serveFastSolves() {
    std::unique_ptr<AmgPart> part;
    std::vector<double> values;
    double bound = 0;
    const int rank = parallel::rank();
    const int size = parallel::groupSize();
    for (;;) {
        const parallel::Command command = parallel::receiveCommand();
        switch (command.what) {
        case Begin: {
            const auto unknowns = static_cast<int32_t>(command.argument[0]);
            const int32_t first = firstRow(unknowns, rank, size);
            const int32_t last = firstRow(unknowns, rank + 1, size);
            std::vector<int32_t> rowSize(idx(last - first));
            parallel::receiveInts(rowSize.data(), last - first, 0);
            std::vector<int64_t> rowStart(rowSize.size() + 1, 0);
            for (std::size_t i = 0; i < rowSize.size(); ++i)
                rowStart[i + 1] = rowStart[i] + rowSize[i];
            std::vector<int32_t> columns(idx(rowStart.back()));
            parallel::receiveInts(columns.data(), rowStart.back(), 0);
            part.reset();
            if (anyProcess(!fits(rowStart.back(), last - first))) break;
            part = std::make_unique<AmgPart>();
            part->build(first, last, unknowns, rowStart.data(), columns.data());
            values.assign(columns.size(), 0.0);
            break;
        }
        case Cycle: {
            const bool changed = command.argument[0] != 0;
            if (changed) {
                parallel::receiveDoubles(values.data(), static_cast<int64_t>(values.size()), 0);
                part->putAll(values.data());
            }
            parallel::receiveDoubles(part->rightHandSide(), part->rows(), 0);
            std::fill_n(part->answer(), part->rows(), 0.0);
            solveShare(*part, changed, command.argument[0] == 1, command.argument[1] != 0,
                       static_cast<int32_t>(command.argument[2]), bound, nullptr,
                       [](const auto& step) { step(); });
            parallel::sendDoubles(part->answer(), part->rows(), 0);
            break;
        }
        case End:
            part.reset();
            break;
        default:
            return 0;
        }
    }
}

} // namespace velkor
