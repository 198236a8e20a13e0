#include "solver/solve_command.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>

#include "model/number_text.h"
#include "solver/assembly.h"
#include "solver/conjugate_gradient.h"
#include "solver/element_velocities.h"
#include "solver/system_matrix.h"

namespace velkor {

namespace {

constexpr int32_t kCycles = 6;

// Counts within the capacities and every stored index inside its table, so that no step of the
// solve reads or writes past a table whatever a datafile held.
std::string checkReferences(const Problem& problem) {
    if (problem.NN < 0 || static_cast<std::size_t>(problem.NN) > problem.nodes.size() || problem.NM < 0 ||
        static_cast<std::size_t>(problem.NM) > problem.elements.size() || problem.NW < 0 ||
        static_cast<std::size_t>(problem.NW) > problem.wellNodes.size() ||
        static_cast<std::size_t>(problem.NW) > problem.wellQ.size())
        return "The numbers of nodes, elements or wells exceed the tables of the program.\n\n"
               "The problem cannot be solved.";
    for (int32_t m = 0; m < problem.NM; ++m) {
        const Element& e = problem.elements[static_cast<std::size_t>(m)];
        for (int corner = 0; corner < 3; ++corner)
            if (e.node[corner] < 0 || e.node[corner] >= problem.NN)
                return format("Element %d refers to node %d, which does not exist.\n\n"
                              "The problem cannot be solved.",
                              m + 1, e.node[corner] + 1);
        if (e.soil < 0 || static_cast<std::size_t>(e.soil) >= problem.soils.size())
            return format("Element %d refers to block %d, which does not exist.\n\n"
                          "The problem cannot be solved.",
                          m + 1, e.soil + 1);
    }
    for (int32_t w = 0; w < problem.NW; ++w) {
        const int32_t node = problem.wellNodes[static_cast<std::size_t>(w)];
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
        const double d = matrix.diagonal[static_cast<std::size_t>(k)];
        const bool usable =
            roles[static_cast<std::size_t>(k)] == FreeNode ? d > 0 : (!preconditioned || d != 0);
        if (!usable)
            return format("The head of node %d cannot be computed: no element with a permeability "
                          "above zero connects it.\n\n"
                          "Connect the node to the mesh or remove it.",
                          k + 1);
    }
    return {};
}

SolveReport refused(SolveReport report, Outcome outcome, std::string message) {
    report.outcome = outcome;
    report.message = std::move(message);
    return report;
}

SolveReport solveCycles(Problem& problem, bool preconditioned, Feedback* feedback) {
    SolveReport report;
    if (std::string message = checkReferences(problem); !message.empty())
        return refused(report, Outcome::BadInput, message);

    SystemMatrix matrix;
    const StructureResult structure = buildStructure(problem, matrix);
    report.entries = structure.entries;
    problem.matrixEntryCount = static_cast<int32_t>(std::min<int64_t>(structure.entries, INT32_MAX));
    if (!structure.fits) {
        return refused(report, Outcome::RefusedCapacity, structure.message);
    }

    // The heads live in a working vector until all cycles have succeeded, so that a refusal
    // leaves the model's heads as they were.
    const auto n = static_cast<std::size_t>(problem.NN);
    std::vector<double> heads(n), bottom(n), supply(n);
    std::vector<uint8_t> roles(n);
    for (std::size_t i = 0; i < n; ++i) {
        heads[i] = problem.nodes[i].F;
        bottom[i] = problem.nodes[i].B;
        roles[i] = nodeRole(problem.nodes[i].Type);
    }

    ConjugateGradientWork work;
    ConjugateGradientResult last;
    for (int32_t cycle = 0; cycle < kCycles; ++cycle) {
        const Result assembled = assembleSystem(problem, cycle, heads.data(), matrix, supply, feedback);
        if (!assembled.ok()) return refused(report, assembled.outcome, assembled.message);
        if (std::string message = checkSystem(matrix, supply, roles, preconditioned, cycle); !message.empty())
            return refused(report, Outcome::BadInput, message);

        ConjugateGradientInput input;
        input.matrix = &matrix;
        input.supply = supply.data();
        input.roles = roles.data();
        input.bottom = bottom.data();
        input.cycle = cycle;
        input.preconditioned = preconditioned;
        last = solveConjugateGradient(input, heads.data(), work, feedback);
        if (last.outcome != Outcome::Done) return refused(report, last.outcome, last.message);
        report.cycles.push_back({last.iterations, last.log10Measure, last.converged});
    }

    // Nodal discharge Q = A F of the last cycle's system: the supply of a free node, the
    // discharge that holds a prescribed head.
    std::vector<double> discharge(n);
    multiplySymmetric(matrix, heads.data(), discharge.data());
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
    try {
        return solveCycles(problem, preconditioned, feedback);
    } catch (const std::bad_alloc&) {
        SolveReport report;
        return refused(report, Outcome::OutOfMemory, "Not enough memory to solve the problem.");
    } catch (const std::length_error&) {
        SolveReport report;
        return refused(report, Outcome::OutOfMemory, "Not enough memory to solve the problem.");
    }
}

} // namespace velkor
