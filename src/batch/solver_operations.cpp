// velkor-batch solver operations: solve (variant from the preconditioner flag), solve:precond,
// solve:fast (algebraic multigrid, on every process of an mpirun group) and solve:direct (the sparse
// Cholesky factorisation).
#include <chrono>
#include <cstdio>

#include "batch/batch.h"
#include "model/number_text.h"
#include "operations/problem_operations.h"

namespace velkor::batch {

namespace {

// With --verbose, the progress grid's last values of every cycle go to standard error.
class VerboseFeedback : public Feedback {
  public:
    void progress(const Progress& progress) override {
        if (progress.stage == Stage::Iteration) {
            iteration_ = progress.iteration;
            log10Measure_ = progress.log10Measure;
        } else if (progress.stage == Stage::Assembly && progress.cycle != cycle_) {
            if (cycle_ > 0) report();
            cycle_ = progress.cycle;
        }
    }
    void report() const {
        reportMessage(
            format("Cycle %12d  Iteration %12d  Log(error) %12.2f", cycle_, iteration_, log10Measure_));
    }

  private:
    int32_t cycle_ = 0;
    int32_t iteration_ = 0;
    double log10Measure_ = 0;
};

} // namespace

OperationUse runSolverOperation(State& state, std::string_view operation) {
    SolveMethod method = SolveMethod::Plain;
    if (operation == "solve")
        method = state.problem.preconditioner ? SolveMethod::Preconditioned : SolveMethod::Plain;
    else if (operation == "solve:precond")
        method = SolveMethod::Preconditioned;
    else if (operation == "solve:fast")
        method = SolveMethod::Fast;
    else if (operation == "solve:direct")
        method = SolveMethod::Direct;
    else
        return OperationUse::NotMine;

    VerboseFeedback verbose;
    const auto start = std::chrono::steady_clock::now();
    SolveReport report;
    solve(state.problem, method, state.options.verbose ? &verbose : nullptr, report);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    state.entries = report.entries;
    state.cycles.clear();
    // A solve that did not converge keeps its results, and its cycles are shown with them.
    const Outcome outcome = report.result.outcome;
    if (outcome != Outcome::Done && outcome != Outcome::NotConverged) {
        reportMessage(report.result.message);
        state.refused = true;
        return OperationUse::Ran;
    }
    if (state.options.verbose) verbose.report();
    state.cycles = report.cycles;
    state.times.emplace_back("solve", seconds);
    if (outcome == Outcome::NotConverged) {
        reportMessage(report.result.message);
        state.refused = true;
    }
    // A script must be able to tell: the warning goes to standard error and the exit status says so.
    state.invalidResults = report.warning;
    if (report.warning)
        reportMessage("Warning : Water level locally below bottom of aquifer. Results invalid.");
    return OperationUse::Ran;
}

} // namespace velkor::batch
