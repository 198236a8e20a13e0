// Generates the validation datafiles Val1.fem, Val2.fem and Val3.fem: a strip of aquifer drawn as
// two triangular blocks, refined by Split 4, solved and saved with its results.
//
//   make_examples OUTPUT_FOLDER
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "io/datafile.h"
#include "mesh/refinement.h"
#include "model/problem.h"
#include "solver/solve_command.h"

namespace {

using namespace velkor;

struct Start {
    double X, Y, Z;
};

struct Example {
    const char* file;
    const char* name;
    double length;   // along x (m)
    double width;    // strip width along y (m)
    double leftHead; // prescribed at x = 0
    bool rightGiven; // prescribed at x = length, else a closed end
    double rightHead;
    Soil soil;
    double TM;
    int splits;
    std::vector<Start> particles;
};

constexpr double kBottom = 0, kTop = 10;

bool build(const Example& example, Problem& p, std::string& why) {
    if (!p.allocateTables(Limits{})) {
        why = "no memory for the tables";
        return false;
    }
    p.resetToDefaultProblem();
    p.buildColoursAndDefaultSoils();
    p.fileName = example.file;
    p.problemName = example.name;
    p.LX = example.length;
    p.LY = example.width;
    p.TM = example.TM;

    // The rectangle as two blocks; its corners are the main nodes.
    const double corners[4][2] = {
        {0, 0}, {example.length, 0}, {example.length, example.width}, {0, example.width}};
    p.NA = 4;
    for (int k = 0; k < 4; ++k) {
        Node& node = p.nodes[static_cast<std::size_t>(k)];
        node = Node{};
        node.X = corners[k][0];
        node.Y = corners[k][1];
        node.B = kBottom;
        node.T = kTop;
    }
    p.NB = 2;
    p.blocks[0] = Block{{0, 1, 2}, 0};
    p.blocks[1] = Block{{0, 2, 3}, 1};
    p.soils[0] = example.soil;
    p.soils[1] = example.soil;
    p.NN = 4;
    resetMesh(p);
    for (int s = 0; s < example.splits; ++s) {
        const Result split = splitAllInFour(p);
        if (!split.ok()) {
            why = split.message;
            return false;
        }
    }

    // Heads are given on the two ends only; the long sides are closed. A first estimate of the
    // head elsewhere (it does not enter the first cycle).
    for (int32_t i = 0; i < p.NN; ++i) {
        Node& node = p.nodes[static_cast<std::size_t>(i)];
        node.Q = 0;
        if (node.X == 0) {
            node.Type = 1;
            node.F = example.leftHead;
        } else if (example.rightGiven && node.X == example.length) {
            node.Type = 1;
            node.F = example.rightHead;
        } else {
            node.Type = 0;
            node.F = example.rightGiven ? 0.5 * (example.leftHead + example.rightHead) : example.leftHead;
        }
    }

    p.NP = static_cast<int32_t>(example.particles.size());
    for (std::size_t k = 0; k < example.particles.size(); ++k)
        p.particles[k] = Particle{example.particles[k].X, example.particles[k].Y, example.particles[k].Z, -1};
    p.copyCountsToSaved();

    const SolveReport report = solveProblem(p, false);
    if (report.result.outcome != Outcome::Done) {
        why = report.result.message;
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make_examples OUTPUT_FOLDER\n", stderr);
        return 2;
    }
    const std::string folder = argv[1];

    std::vector<Example> examples;
    // Linear confined flow: gradient 0.005, specific discharge 0.005 m/d, particle velocity
    // 0.005 / 0.4 = 0.0125 m/d, so marks every TM = 20000 d lie 250 m apart.
    examples.push_back({"Val1.fem",
                        "Validation 1 : Linear confined flow",
                        1000,
                        100,
                        15,
                        true,
                        10,
                        Soil{1.0, 0.40, 1.0, 0.0},
                        20000,
                        5,
                        {{0, 25, 5}, {0, 50, 5}, {0, 75, 5}}});
    // Uniform evaporation from a confined aquifer fed through its left end, the right end closed:
    // the discharge falls linearly to zero, so particles entering at heights 1, 2, ..., 9 m leave
    // through the top at x = 900, 800, ..., 100 m.
    std::vector<Start> entering;
    for (int z = 1; z <= 9; ++z)
        entering.push_back({0, 50, static_cast<double>(z)});
    examples.push_back({"Val2.fem", "Validation 2 : Uniform evaporation", 1000, 100, 12, false, 0,
                        Soil{5.0, 0.40, 1.0, -0.0001}, 10000, 5, entering});
    // Confined near the high end, unconfined near the low end; the level reaches the top 10 m at
    // 400 m, and the strip of 100 m carries 12.5 m3/d.
    examples.push_back({"Val3.fem",
                        "Validation 3 : Confined-unconfined flow",
                        700,
                        100,
                        15,
                        true,
                        5,
                        Soil{1.0, 0.40, 1.0, 0.0},
                        10000,
                        5,
                        {{0, 50, 5}}});

    int status = 0;
    for (const Example& example : examples) {
        Problem problem;
        std::string why;
        if (!build(example, problem, why)) {
            std::fprintf(stderr, "%s: %s\n", example.file, why.c_str());
            status = 1;
            continue;
        }
        const Result written = writeDatafile(problem, folder + "/" + example.file);
        if (!written.ok()) {
            std::fprintf(stderr, "%s: %s\n", example.file, written.message.c_str());
            status = 1;
            continue;
        }
        std::printf("%s: %d nodes, %d elements\n", example.file, problem.NN, problem.NM);
    }
    return status;
}
