// Solver benchmark: structure build, one assembly and one conjugate gradient iteration of each
// variant on structured triangulated grids of 10^4, 10^5 and 10^6 nodes (numbered by the
// program's renumbering), against the time to stream the bytes one iteration moves at the rate of
// a triad loop over as many bytes, and against Eigen's diagonally preconditioned conjugate gradients on the
// same matrix.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "model/problem.h"
#include "solver/assembly.h"
#include "solver/conjugate_gradient.h"
#include "solver/system_matrix.h"
#include "square_grid.h"
#include "timing.h"

#if defined(VELKOR_HAVE_EIGEN)
#include <Eigen/IterativeLinearSolvers>
#include <Eigen/Sparse>
#endif

using namespace velkor;

namespace {

using bench::Clock;
using bench::seconds;

// (side + 1)^2 nodes, 2 side^2 elements over 2000 m x 2000 m; heads prescribed on the left and
// right edges, a little infiltration.
Problem grid(int32_t side) {
    Problem p = bench::squareGrid(side, 2000, [side](Node& n, int32_t i, int32_t) {
        n.B = 0;
        n.T = 10;
        n.F = i == 0 ? 20 : (i == side ? 10 : 15);
        n.Type = (i == 0 || i == side) ? 1 : 0;
    });
    p.soils[0].I = 0.0001;
    return p;
}

// Seconds of one sweep a[i] = b[i] + s c[i] over three arrays of n doubles (24 bytes per element).
class Triad {
  public:
    explicit Triad(int64_t n)
        : a_(static_cast<std::size_t>(n), 1.0), b_(static_cast<std::size_t>(n), 2.0),
          c_(static_cast<std::size_t>(n), 3.0) {}
    double sweepSeconds() {
        const int64_t n = static_cast<int64_t>(a_.size());
        const int sweeps = static_cast<int>(std::max<int64_t>(3, 20'000'000 / n));
        const auto start = Clock::now();
        for (int r = 0; r < sweeps; ++r) {
            double* __restrict pa = a_.data();
            const double* __restrict pb = b_.data();
            const double* __restrict pc = c_.data();
            for (int64_t i = 0; i < n; ++i)
                pa[i] = pb[i] + 0.5 * pc[i];
            asm volatile("" : : "r"(pa) : "memory");
        }
        return seconds(start) / sweeps;
    }
    double bytes() const { return 24.0 * static_cast<double>(a_.size()); }

  private:
    std::vector<double> a_, b_, c_;
};

struct Measured {
    int32_t nodes = 0;
    double structure = 1e300, assembly = 1e300, plain = 0, preconditioned = 0, floorPlain = 0, floorPre = 0,
           eigen = -1;
};

Measured measure(int32_t side) {
    Measured out;
    Problem p = grid(side);
    out.nodes = p.NN;
    const auto n = static_cast<std::size_t>(p.NN);
    // The machine may be shared: every quantity is measured once per round, the rounds interleave
    // them, and each keeps its best round. Short runs get more rounds.
    const int rounds = p.NN <= 20000 ? 25 : (p.NN <= 200000 ? 9 : 5);
    const int64_t extra = p.NN <= 20000 ? 100 : (p.NN <= 200000 ? 60 : 20);

    SystemMatrix matrix;
    buildStructure(p, matrix);
    auto [heads, bottom, roles] = nodeVectors(p);
    std::vector<double> supply;
    assembleSystem(p, 1, heads.data(), matrix, supply);

    // Bytes one iteration moves. Product sweep: row ends 4, diagonal 8, columns 4 and values 8 per
    // entry, p read and written 16, r 8, q read and written 16. Update sweep: roles 1, F 16, p 8,
    // q read and cleared 16, r 16 (and the diagonal 8 more with the preconditioner).
    const double entries = static_cast<double>(matrix.columns.size());
    const double bytesPlain =
        12 * entries + (4 + 8 + 16 + 8 + 16 + 1 + 16 + 8 + 16 + 16) * static_cast<double>(n);
    const double bytesPre = bytesPlain + 8 * static_cast<double>(n);
    // The triad streams as many bytes, so both come from the same level of memory.
    Triad triad(static_cast<int64_t>(bytesPlain / 24));

    ConjugateGradientWork work;
    auto runCg = [&](bool preconditioned, int64_t limit) {
        std::vector<double> F = heads;
        ConjugateGradientInput input;
        input.matrix = &matrix;
        input.supply = supply.data();
        input.roles = roles.data();
        input.bottom = bottom.data();
        input.cycle = 5;
        input.preconditioned = preconditioned;
        input.iterationLimit = limit;
        const auto start = Clock::now();
        const ConjugateGradientResult result = solveConjugateGradient(input, F.data(), work);
        const double elapsed = seconds(start);
        if (result.iterations != limit + 1) std::fprintf(stderr, "stopped early: %d\n", result.iterations);
        return elapsed;
    };

#if defined(VELKOR_HAVE_EIGEN)
    // The same system with the prescribed rows and columns replaced by the identity.
    std::vector<Eigen::Triplet<double>> triplets;
    triplets.reserve(n + 2 * matrix.columns.size());
    Eigen::VectorXd rhs(static_cast<Eigen::Index>(n));
    int32_t begin = 0;
    for (int32_t k = 0; k < p.NN; ++k) {
        const bool freeK = roles[static_cast<std::size_t>(k)] == FreeNode;
        triplets.emplace_back(k, k, freeK ? matrix.diagonal[static_cast<std::size_t>(k)] : 1.0);
        rhs[k] = freeK ? supply[static_cast<std::size_t>(k)] : heads[static_cast<std::size_t>(k)];
        const int32_t end = matrix.offEnd[static_cast<std::size_t>(k)];
        for (int32_t e = begin; e < end; ++e) {
            const int32_t j = matrix.columns[static_cast<std::size_t>(e)];
            if (!freeK || roles[static_cast<std::size_t>(j)] != FreeNode) continue;
            triplets.emplace_back(k, j, matrix.values[static_cast<std::size_t>(e)]);
            triplets.emplace_back(j, k, matrix.values[static_cast<std::size_t>(e)]);
        }
        begin = end;
    }
    Eigen::SparseMatrix<double> A(static_cast<Eigen::Index>(n), static_cast<Eigen::Index>(n));
    A.setFromTriplets(triplets.begin(), triplets.end());
    triplets = {};
    Eigen::ConjugateGradient<Eigen::SparseMatrix<double>, Eigen::Lower | Eigen::Upper,
                             Eigen::DiagonalPreconditioner<double>>
        cg;
    cg.compute(A);
    cg.setTolerance(1e-300);
    auto runEigen = [&](int64_t iterations) {
        cg.setMaxIterations(static_cast<Eigen::Index>(iterations));
        const auto start = Clock::now();
        Eigen::VectorXd x = cg.solve(rhs);
        const double elapsed = seconds(start);
        asm volatile("" : : "r"(x.data()) : "memory");
        return elapsed;
    };
    double eigenLong = 1e300, eigenShort = 1e300;
#endif

    // One iteration: the best run of 5 + extra iterations less the best run of 5, over extra.
    double plainLong = 1e300, plainShort = 1e300, preLong = 1e300, preShort = 1e300, triadBest = 1e300;
    for (int round = 0; round < rounds; ++round) {
        auto start = Clock::now();
        buildStructure(p, matrix);
        out.structure = std::min(out.structure, seconds(start));
        start = Clock::now();
        assembleSystem(p, 1, heads.data(), matrix, supply);
        out.assembly = std::min(out.assembly, seconds(start));
        triadBest = std::min(triadBest, triad.sweepSeconds());
        plainLong = std::min(plainLong, runCg(false, 4 + extra));
        plainShort = std::min(plainShort, runCg(false, 4));
        preLong = std::min(preLong, runCg(true, 4 + extra));
        preShort = std::min(preShort, runCg(true, 4));
#if defined(VELKOR_HAVE_EIGEN)
        eigenLong = std::min(eigenLong, runEigen(5 + extra));
        eigenShort = std::min(eigenShort, runEigen(5));
#endif
    }
    out.plain = (plainLong - plainShort) / static_cast<double>(extra);
    out.preconditioned = (preLong - preShort) / static_cast<double>(extra);
#if defined(VELKOR_HAVE_EIGEN)
    out.eigen = (eigenLong - eigenShort) / static_cast<double>(extra);
#endif
    const double rate = triad.bytes() / triadBest;
    out.floorPlain = bytesPlain / rate;
    out.floorPre = bytesPre / rate;
    return out;
}

} // namespace

int main() {
    std::printf("Solver: structured triangulated grids, program numbering; times in ms\n");
    std::printf("%9s %9s %9s %9s %9s %9s %9s %9s %8s %8s %8s %8s\n", "nodes", "struct", "assemble",
                "plain it", "pre it", "floor pl", "floor pr", "eigen it", "pl/floor", "pr/floor", "pl/eigen",
                "pr/eigen");
    std::vector<Measured> rows;
    for (const int32_t side : {99, 315, 999}) {
        const Measured m = measure(side);
        rows.push_back(m);
        std::printf("%9d %9.2f %9.2f %9.3f %9.3f %9.3f %9.3f %9.3f %8.2f %8.2f %8.2f %8.2f\n", m.nodes,
                    1e3 * m.structure, 1e3 * m.assembly, 1e3 * m.plain, 1e3 * m.preconditioned,
                    1e3 * m.floorPlain, 1e3 * m.floorPre, 1e3 * m.eigen, m.plain / m.floorPlain,
                    m.preconditioned / m.floorPre, m.eigen > 0 ? m.plain / m.eigen : 0.0,
                    m.eigen > 0 ? m.preconditioned / m.eigen : 0.0);
        std::fflush(stdout);
    }
    std::printf("\nGrowth per tenfold nodes (structure + assembly)\n");
    for (std::size_t k = 1; k < rows.size(); ++k) {
        const double nodes = static_cast<double>(rows[k].nodes) / rows[k - 1].nodes;
        const double time =
            (rows[k].structure + rows[k].assembly) / (rows[k - 1].structure + rows[k - 1].assembly);
        std::printf("%9d -> %9d nodes: x%.2f nodes, x%.2f time\n", rows[k - 1].nodes, rows[k].nodes, nodes,
                    time);
    }
    std::printf("structure + assembly at %d nodes: %.3f s\n", rows.back().nodes,
                rows.back().structure + rows.back().assembly);
    return 0;
}
