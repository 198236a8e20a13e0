#include "results/results_support.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "solver/element_velocities.h"

namespace velkor::testing {

int32_t stripNode(const StripSpec& spec, int i, int j) {
    return i * (spec.ny + 1) + j;
}

void makeStrip(Problem& problem, const StripSpec& spec) {
    const int nodes = (spec.nx + 1) * (spec.ny + 1);
    const int elements = 2 * spec.nx * spec.ny;
    Limits limits;
    limits.NMAX = nodes + 4;
    limits.MMAX = elements + 4;
    limits.PMAX = spec.particleCapacity;
    problem.allocateTables(limits);
    problem.NA = 4;
    problem.NB = 1;
    problem.NN = nodes;
    problem.NM = elements;
    problem.NW = 0;
    problem.NP = 0;
    problem.LX = spec.lx;
    problem.LY = spec.ly;
    problem.TM = spec.TM;
    problem.problemName = "Strip";
    problem.soils[0] = Soil{spec.K, spec.n, spec.R, spec.I};
    for (int i = 0; i <= spec.nx; ++i) {
        for (int j = 0; j <= spec.ny; ++j) {
            Node& node = problem.nodes[static_cast<std::size_t>(stripNode(spec, i, j))];
            node.X = spec.lx * i / spec.nx;
            node.Y = spec.ly * j / spec.ny;
            node.B = spec.bottom;
            node.T = spec.top;
            node.F = spec.h0 + (spec.hL - spec.h0) * node.X / spec.lx;
            node.Type = (i == 0 || i == spec.nx) ? 1 : 0;
        }
    }
    int m = 0;
    for (int i = 0; i < spec.nx; ++i) {
        for (int j = 0; j < spec.ny; ++j) {
            const int32_t a = stripNode(spec, i, j), b = stripNode(spec, i + 1, j);
            const int32_t c = stripNode(spec, i + 1, j + 1), d = stripNode(spec, i, j + 1);
            problem.elements[static_cast<std::size_t>(m++)] = Element{{a, b, c}, 0, 0, 0, 0, 0, 0};
            problem.elements[static_cast<std::size_t>(m++)] = Element{{a, c, d}, 0, 0, 0, 0, 0, 0};
        }
    }
    computeElementVelocities(problem);
}

void makeDefaultProblem(Problem& problem) {
    Limits limits;
    limits.NMAX = 20;
    limits.MMAX = 20;
    limits.PMAX = 10;
    problem.allocateTables(limits);
    problem.resetToDefaultProblem();
    problem.buildColoursAndDefaultSoils();
    problem.problemName = "Default Datafile";
    computeElementVelocities(problem);
}

void addParticle(Problem& problem, double x, double y, double z) {
    problem.particles[static_cast<std::size_t>(problem.NP++)] = Particle{x, y, z, -1};
}

void addWell(Problem& problem, int32_t node, double q) {
    problem.wellNodes[static_cast<std::size_t>(problem.NW)] = node;
    problem.wellQ[static_cast<std::size_t>(problem.NW)] = q;
    ++problem.NW;
}

void StepRecorder::segment(int32_t particle, const TrackPoint& from, const TrackPoint& to) {
    steps.push_back(RecordedStep{false, particle, from, to});
}

void StepRecorder::mark(int32_t particle, const TrackPoint& at) {
    steps.push_back(RecordedStep{true, particle, at, at});
}

bool StepRecorder::sweepFinished() {
    ++sweeps;
    return cancelAfter < 0 || sweeps < cancelAfter;
}

std::vector<RecordedStep> StepRecorder::marksOf(int32_t particle) const {
    std::vector<RecordedStep> out;
    for (const RecordedStep& step : steps)
        if (step.isMark && step.particle == particle) out.push_back(step);
    return out;
}

std::vector<RecordedStep> StepRecorder::segmentsOf(int32_t particle) const {
    std::vector<RecordedStep> out;
    for (const RecordedStep& step : steps)
        if (!step.isMark && step.particle == particle) out.push_back(step);
    return out;
}

std::string compareWithGolden(const std::string& actual, const std::string& name) {
    const std::string path = std::string(VELKOR_TEST_DATA_DIR) + "/" + name;
    if (std::getenv("VELKOR_UPDATE_GOLDEN") != nullptr) {
        std::ofstream(path, std::ios::binary) << actual;
        return {};
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return "golden file missing: " + path;
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string expected = buffer.str();
    if (expected == actual) return {};
    std::istringstream a(actual), e(expected);
    std::string lineA, lineE;
    for (int line = 1;; ++line) {
        const bool moreA = static_cast<bool>(std::getline(a, lineA));
        const bool moreE = static_cast<bool>(std::getline(e, lineE));
        if (!moreA && !moreE) break;
        if (!moreA || !moreE || lineA != lineE)
            return name + " differs at line " + std::to_string(line) + ": expected \"" +
                   (moreE ? lineE : "<end>") + "\", drawn \"" + (moreA ? lineA : "<end>") + "\"";
    }
    return name + " differs";
}

} // namespace velkor::testing
