#include "results/results_support.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "solver/element_velocities.h"

namespace velkor::testing {

int32_t stripNode(const StripLayout& layout, int i, int j) {
    return i * (layout.ny + 1) + j;
}

void makeStrip(Problem& problem, const StripLayout& layout) {
    const int nodes = (layout.nx + 1) * (layout.ny + 1);
    const int elements = 2 * layout.nx * layout.ny;
    Limits limits;
    limits.NMAX = nodes + 4;
    limits.MMAX = elements + 4;
    limits.PMAX = layout.particleCapacity;
    problem.allocateTables(limits);
    problem.NA = 4;
    problem.NB = 1;
    problem.NN = nodes;
    problem.NM = elements;
    problem.NW = 0;
    problem.NP = 0;
    problem.LX = layout.lx;
    problem.LY = layout.ly;
    problem.TM = layout.TM;
    problem.problemName = "Strip";
    problem.soils[0] = Soil{layout.K, layout.n, layout.R, layout.I};
    for (int i = 0; i <= layout.nx; ++i) {
        for (int j = 0; j <= layout.ny; ++j) {
            Node& node = problem.nodes[static_cast<std::size_t>(stripNode(layout, i, j))];
            node.X = layout.lx * i / layout.nx;
            node.Y = layout.ly * j / layout.ny;
            node.B = layout.bottom;
            node.T = layout.top;
            node.F = layout.h0 + (layout.hL - layout.h0) * node.X / layout.lx;
            node.Type = (i == 0 || i == layout.nx) ? 1 : 0;
        }
    }
    int m = 0;
    for (int i = 0; i < layout.nx; ++i) {
        for (int j = 0; j < layout.ny; ++j) {
            const int32_t a = stripNode(layout, i, j), b = stripNode(layout, i + 1, j);
            const int32_t c = stripNode(layout, i + 1, j + 1), d = stripNode(layout, i, j + 1);
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

void makeWellStrip(Problem& problem) {
    StripLayout layout;
    layout.nx = 4;
    layout.ny = 2;
    layout.lx = 400;
    layout.ly = 100;
    layout.top = 14; // confined upstream, unconfined downstream
    layout.TM = 2000;
    makeStrip(problem, layout);
    addWell(problem, stripNode(layout, 2, 1), -50);
    addParticle(problem, 20, 50, 4);
    addParticle(problem, 230, 10, 8);
}

void StepRecorder::segment(int32_t particle, const TrackPoint& from, const TrackPoint& to) {
    steps.push_back(RecordedStep{false, particle, from, to});
}

void StepRecorder::mark(int32_t particle, const TrackPoint& at) {
    steps.push_back(RecordedStep{true, particle, at, at});
}

void StepRecorder::progress(const Progress& progress) {
    if (progress.stage == Stage::Tracking) ++sweeps;
}

bool StepRecorder::cancelRequested() {
    return cancelAfter >= 0 && sweeps >= cancelAfter;
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
