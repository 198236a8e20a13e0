#include "solver/solve_command.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <stdexcept>

#include "model/number_text.h"
#include "model/table.h"
#include "solver/assembly.h"
#include "solver/conjugate_gradient.h"
#include "solver/direct_solve.h"
#include "solver/element_velocities.h"
#include "solver/fast_solve.h"
#include "solver/system_matrix.h"

namespace velkor {

namespace {

constexpr int32_t kCycles = 6;

// Counts within the capacities and every stored index inside its table, so that no step of the
// solve reads or writes past a table whatever a datafile held.
std::string checkReferences(const Problem& problem) {
    if (problem.NN < 0 || idx(problem.NN) > problem.nodes.size() || problem.NM < 0 ||
        idx(problem.NM) > problem.elements.size() || problem.NW < 0 ||
        idx(problem.NW) > problem.wellNodes.size() || idx(problem.NW) > problem.wellQ.size())
        return "The numbers of nodes, elements or wells exceed the tables of the program.\n\n"
               "The problem cannot be solved.";
    for (int32_t m = 0; m < problem.NM; ++m) {
        const Element& e = problem.elements[idx(m)];
        for (int corner = 0; corner < 3; ++corner)
            if (e.node[corner] < 0 || e.node[corner] >= problem.NN)
                return format("Element %d refers to node %d, which does not exist.\n\n"
                              "The problem cannot be solved.",
                              m + 1, e.node[corner] + 1);
        if (e.soil < 0 || idx(e.soil) >= problem.soils.size())
            return format("Element %d refers to block %d, which does not exist.\n\n"
                          "The problem cannot be solved.",
                          m + 1, e.soil + 1);
    }
    for (int32_t w = 0; w < problem.NW; ++w) {
        const int32_t node = problem.wellNodes[idx(w)];
        if (node < 0 || node >= problem.NN)
            return format("Well %d lies at node %d, which does not exist.\n\n"
                          "The problem cannot be solved.",
                          w + 1, node + 1);
    }
    return {};
}

// Every value of the assembled system must be finite, and every diagonal that the iteration
// divides by must be usable: the free nodes' (start value) and, with the preconditioner, all.
std::string checkSystem(const SystemMatrix& matrix, const std::vector<double>& supply,
                        const std::vector<uint8_t>& roles, bool preconditioned, int32_t cycle) {
    bool finite = true;
    for (const double value : matrix.values)
        finite = finite && std::isfinite(value);
    for (const double value : matrix.diagonal)
        finite = finite && std::isfinite(value);
    for (const double value : supply)
        finite = finite && std::isfinite(value);
    if (!finite)
        return format("The equations of cycle %d hold a value too large to be computed.\n\n"
                      "Check the coordinates, permeabilities, infiltrations and well discharges.",
                      cycle + 1);
    for (int32_t k = 0; k < matrix.rows; ++k) {
        const double d = matrix.diagonal[idx(k)];
        const bool usable = roles[idx(k)] == FreeNode ? d > 0 : (!preconditioned || d != 0);
        if (!usable)
            return format("The head of node %d cannot be computed: no element with a permeability "
                          "above zero connects it.\n\n"
                          "Connect the node to the mesh or remove it.",
                          k + 1);
    }
    return {};
}

// The heads are determined only where a prescribed head ties them down: every part of the mesh
// that elements with a permeability above zero hold together needs a node with a fixed head (a
// type other than 0), or its equations are singular and the iteration returns whatever it
// wanders to (heads of -6.5e16 were saved for a problem without any prescribed head). Nodes in no
// such element are left to checkSystem, which names them.
std::string checkHeadsDetermined(const Problem& problem) {
    const auto n = idx(problem.NN);
    std::vector<int32_t> parent(n);
    for (std::size_t i = 0; i < n; ++i)
        parent[i] = static_cast<int32_t>(i);
    const auto root = [&parent](int32_t i) {
        while (parent[idx(i)] != i) {
            parent[idx(i)] = parent[idx(parent[idx(i)])];
            i = parent[idx(i)];
        }
        return i;
    };
    std::vector<uint8_t> connected(n, 0);
    for (int32_t m = 0; m < problem.NM; ++m) {
        const Element& e = problem.elements[idx(m)];
        if (!(problem.soils[idx(e.soil)].K > 0)) continue;
        for (int corner = 0; corner < 3; ++corner) {
            connected[idx(e.node[corner])] = 1;
            parent[idx(root(e.node[corner]))] = root(e.node[(corner + 1) % 3]);
        }
    }
    bool anyFixed = false;
    std::vector<uint8_t> fixedPart(n, 0);
    for (std::size_t i = 0; i < n; ++i) {
        if (problem.nodes[i].Type == 0) continue;
        anyFixed = true;
        fixedPart[idx(root(static_cast<int32_t>(i)))] = 1;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (!connected[i] || problem.nodes[i].Type != 0 || fixedPart[idx(root(static_cast<int32_t>(i)))])
            continue;
        if (!anyFixed)
            return "The heads cannot be determined: no node of the problem has a prescribed head.\n\n"
                   "Give at least one node type 1 and the head it keeps.";
        return format("The heads of node %d and of the nodes connected with it cannot be determined: no node "
                      "of their part of the mesh has a prescribed head.\n\n"
                      "Give a node of that part type 1 and the head it keeps.",
                      static_cast<int>(i) + 1);
    }
    return {};
}

// Water balance of the final heads in their own equations, over the nodes whose heads were
// computed: r_k = supply_k - (A F)_k is the water that does not balance at node k (m3/d), and
// flow_k = |supply_k| + sum over j of |A_kj| |F_j - F_k| the water that moves through it (the rows
// of A sum to zero, so (A F)_k is the sum of A_kj (F_j - F_k)). Both sums are independent of the
// datum of the heads and of the scale of the permeabilities, unlike the absolute tolerance of the
// iteration, which a problem with K = 1e-9 m/d meets at once with heads metres off. rounding_k =
// sum over j of |A_kj| |F_j| bounds what rounding alone leaves in r_k.
struct Balance {
    double imbalance = 0, flow = 0, rounding = 0;
};

Balance waterBalance(const SystemMatrix& matrix, const std::vector<double>& supply,
                     const std::vector<uint8_t>& roles, const std::vector<double>& heads,
                     const std::vector<double>& product) {
    const std::size_t n = heads.size();
    std::vector<double> flow(n, 0.0), rounding(n, 0.0);
    int32_t begin = 0;
    for (std::size_t k = 0; k < n; ++k) {
        rounding[k] += std::fabs(matrix.diagonal[k] * heads[k]);
        const int32_t end = matrix.offEnd[k];
        for (int32_t e = begin; e < end; ++e) {
            const auto j = idx(matrix.columns[idx(e)]);
            const double a = std::fabs(matrix.values[idx(e)]);
            const double between = a * std::fabs(heads[j] - heads[k]);
            flow[k] += between;
            flow[j] += between;
            rounding[k] += a * std::fabs(heads[j]);
            rounding[j] += a * std::fabs(heads[k]);
        }
        begin = end;
    }
    Balance balance;
    for (std::size_t k = 0; k < n; ++k) {
        if (roles[k] != FreeNode) continue;
        balance.imbalance += std::fabs(supply[k] - product[k]);
        balance.flow += std::fabs(supply[k]) + flow[k];
        balance.rounding += rounding[k];
    }
    return balance;
}

// An answer is accepted when at most a millionth of the water moving through the nodes is out of
// balance, the water balance that marks a fault in the validation problems, or when what is out of
// balance is no more than rounding can explain.
constexpr double kLargestImbalance = 1e-6;
constexpr double kRoundingAllowance = 1000 * std::numeric_limits<double>::epsilon();

bool balanced(const Balance& balance) {
    return balance.imbalance <= kLargestImbalance * balance.flow + kRoundingAllowance * balance.rounding;
}

std::string notConvergedMessage(const Balance& balance) {
    return format("Solution not converged\n\n"
                  "The computed heads leave %.1e of the flow through the nodes out of balance; at most 1e-06 "
                  "is accepted.\n\n"
                  "The results are kept but are not reliable. Solve again with \"Use Preconditioner\" or "
                  "\"Use Fast Solver\" in the Options window, or check the permeabilities of the problem.",
                  balance.flow > 0 ? balance.imbalance / balance.flow : 1.0);
}

SolveReport refused(SolveReport report, Result result) {
    report.result = std::move(result);
    return report;
}

SolveReport solveCycles(Problem& problem, SolveMethod method, Feedback* feedback) {
    const bool preconditioned = method == SolveMethod::Preconditioned;
    SolveReport report;
    if (std::string message = checkReferences(problem); !message.empty())
        return refused(report, Result::failed(Outcome::BadInput, message));
    if (std::string message = checkHeadsDetermined(problem); !message.empty())
        return refused(report, Result::failed(Outcome::BadInput, message));

    SystemMatrix matrix;
    const StructureResult structure = buildStructure(problem, matrix);
    report.entries = structure.entries;
    problem.matrixEntryCount = static_cast<int32_t>(std::min<int64_t>(structure.entries, INT32_MAX));
    if (!structure.result.ok()) return refused(report, structure.result);

    // The heads live in a working vector until all cycles have succeeded, so that a refusal
    // leaves the model's heads as they were.
    const auto n = idx(problem.NN);
    auto [heads, bottom, roles] = nodeVectors(problem);
    std::vector<double> supply(n);

    ConjugateGradientWork work;
    FastSolver fast;
    DirectSolver direct;
    ConjugateGradientResult last;
    // The fast and direct solves give the same answer to the same equations and start, whatever
    // the cycle; the conjugate gradients do not (their tolerance tightens from cycle to cycle).
    const bool answerOfEquations = method == SolveMethod::Fast || method == SolveMethod::Direct;
    std::vector<double> start;
    for (int32_t cycle = 0; cycle < kCycles; ++cycle) {
        if (answerOfEquations && cycle > 0) start = heads;
        const Result assembled = assembleSystem(problem, cycle, heads.data(), matrix, supply, feedback);
        if (!assembled.ok()) return refused(report, assembled);
        if (std::string message = checkSystem(matrix, supply, roles, preconditioned, cycle); !message.empty())
            return refused(report, Result::failed(Outcome::BadInput, message));

        if (method == SolveMethod::Fast) {
            const FastSolveResult solved = fast.solve(
                FastSolveInput{&matrix, supply.data(), roles.data(), bottom.data(), cycle, problem.NM},
                heads.data(), feedback);
            if (!solved.result.ok()) return refused(report, solved.result);
            last = ConjugateGradientResult{};
            last.iterations = solved.iterations;
            last.converged = solved.converged;
            last.measure = solved.measure;
            last.log10Measure = solved.log10Measure;
            last.warning = solved.warning;
        } else if (method == SolveMethod::Direct) {
            const DirectSolveResult solved = direct.solve(
                DirectSolveInput{&matrix, supply.data(), roles.data(), bottom.data(), cycle, problem.NM},
                heads.data(), feedback);
            if (!solved.result.ok()) return refused(report, solved.result);
            // A direct solve has no iterations and no limit to stop at.
            last = ConjugateGradientResult{};
            last.converged = true;
            last.measure = solved.measure;
            last.log10Measure = solved.log10Measure;
            last.warning = solved.warning;
        } else {
            ConjugateGradientInput input;
            input.matrix = &matrix;
            input.supply = supply.data();
            input.roles = roles.data();
            input.bottom = bottom.data();
            input.cycle = cycle;
            input.preconditioned = preconditioned;
            last = solveConjugateGradient(input, heads.data(), work, feedback);
            if (!last.result.ok()) return refused(report, last.result);
        }
        report.cycles.push_back({last.iterations, last.log10Measure, last.converged});

        // A cycle after the first that ends on the heads it started from (a confined aquifer, or
        // one whose water table no longer moves) leaves every later cycle the same equations and
        // the same start, so the same answer: they are not computed again.
        if (answerOfEquations && cycle > 0 && heads == start) {
            for (int32_t later = cycle + 1; later < kCycles; ++later) {
                if (feedback) {
                    Progress progress;
                    progress.stage = Stage::Assembly;
                    progress.element = problem.NM;
                    progress.cycle = later + 1;
                    feedback->progress(progress);
                    if (feedback->cancelRequested())
                        return refused(report, Result::failed(Outcome::Cancelled, {}));
                    progress.stage = Stage::Iteration;
                    progress.iteration = last.iterations;
                    progress.log10Measure = last.log10Measure;
                    feedback->progress(progress);
                }
                report.cycles.push_back(report.cycles.back());
            }
            break;
        }
    }

    // Nodal discharge Q = A F of the last cycle's system: the supply of a free node, the
    // discharge that holds a prescribed head.
    std::vector<double> discharge(n);
    multiplySymmetric(matrix, heads.data(), discharge.data());
    // Whether the iteration stopped on its tolerance or at its limit, the answer must satisfy its
    // equations; one that does not is kept, but reported.
    if (const Balance balance = waterBalance(matrix, supply, roles, heads, discharge); !balanced(balance)) {
        report.result = Result::failed(Outcome::NotConverged, notConvergedMessage(balance));
    }
    for (std::size_t i = 0; i < n; ++i) {
        Node& node = problem.nodes[i];
        node.F = heads[i];
        node.supply = supply[i];
        node.Q = discharge[i];
    }
    problem.warning = last.warning;
    problem.errorLog = last.log10Measure;
    report.warning = last.warning;
    computeElementVelocities(problem);
    return report;
}

} // namespace

SolveReport solveProblem(Problem& problem, bool preconditioned, Feedback* feedback) {
    return solveProblem(problem, preconditioned ? SolveMethod::Preconditioned : SolveMethod::Plain, feedback);
}

SolveReport solveProblem(Problem& problem, SolveMethod method, Feedback* feedback) {
    try {
        return solveCycles(problem, method, feedback);
    } catch (const std::bad_alloc&) {
        SolveReport report;
        return refused(report,
                       Result::failed(Outcome::OutOfMemory, "Not enough memory to solve the problem."));
    } catch (const std::length_error&) {
        SolveReport report;
        return refused(report,
                       Result::failed(Outcome::OutOfMemory, "Not enough memory to solve the problem."));
    }
}

} // namespace velkor
