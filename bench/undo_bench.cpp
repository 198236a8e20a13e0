// Undo benchmark: Split 4 from 262,144 to 1,048,576 elements and Add Well on the million, each kept
// as a step the way the document keeps it (the footprint copied before the operation), then taken
// back and done again. Prints the time of the operation, of its Undo and of its Redo (the fastest
// of three each; the machine is shared), the memory the history holds and the process's peak.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "four_blocks.h"
#include "model/problem.h"
#include "operations/mesh_edits.h"
#include "operations/undo_history.h"
#include "timing.h"

using namespace velkor;

namespace {

using bench::Clock;
using bench::seconds;

constexpr int kRepeats = 3;

// Four blocks over the default area, split until the mesh has `elements` elements.
void meshOf(Problem& p, const Limits& limits, int32_t elements) {
    bench::fourBlocks(p, limits);
    p.buildColoursAndDefaultSoils();
    while (p.NM < elements)
        if (!splitMesh(p, SplitKind::IntoFour).ok()) std::exit(1);
}

struct Timing {
    double operation = 1e300, undo = 1e300, redo = 1e300;
    uint64_t bytes = 0;
};

template <typename Operation>
void timeStep(Problem& p, UndoHistory& history, Operation&& operation, Timing& t) {
    const auto start = Clock::now();
    UndoStep step{"step", Change::Mesh, ProblemSnapshot::take(p, Footprint::whole()), std::nullopt};
    if (!operation(p).ok()) {
        std::fprintf(stderr, "the operation was refused\n");
        std::exit(1);
    }
    history.push(std::move(step));
    t.operation = std::min(t.operation, seconds(start));
    t.bytes = std::max(t.bytes, history.bytes());
    FileIdentity file;
    auto timed = [&](auto&& run) {
        const auto at = Clock::now();
        if (!run(p, file)) std::exit(1);
        return seconds(at);
    };
    t.undo = std::min(t.undo, timed([&](Problem& q, FileIdentity& f) { return history.undo(q, f); }));
    t.redo = std::min(t.redo, timed([&](Problem& q, FileIdentity& f) { return history.redo(q, f); }));
}

} // namespace

int main() {
    Limits limits;
    limits.NMAX = 600'000;
    limits.MMAX = 1'100'000;
    Problem p;
    Timing split, well;
    int32_t NM = 0, NN = 0;
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        meshOf(p, limits, 262'144);
        UndoHistory history(defaultUndoBudget());
        timeStep(
            p, history, [](Problem& q) { return splitMesh(q, SplitKind::IntoFour); }, split);
        NM = p.NM;
        NN = p.NN;
        timeStep(
            p, history, [](Problem& q) { return addWellAt(q, 731.3, 412.9); }, well);
        well.bytes = std::max(well.bytes, history.bytes());
    }
    std::printf("Undo and Redo at %d elements, %d nodes (fastest of %d; the step's copy is in the "
                "operation's time)\n",
                NM, NN, kRepeats);
    std::printf("%10s %12s %10s %10s %14s\n", "step", "operation s", "undo s", "redo s", "history MB");
    std::printf("%10s %12.3f %10.3f %10.3f %14.1f\n", "Split 4", split.operation, split.undo, split.redo,
                static_cast<double>(split.bytes) / 1e6);
    std::printf("%10s %12.3f %10.3f %10.3f %14.1f\n", "Add Well", well.operation, well.undo, well.redo,
                static_cast<double>(well.bytes) / 1e6);
    std::printf("history budget %.0f MB (a quarter of the memory the system gives); peak resident %.0f MB\n",
                static_cast<double>(defaultUndoBudget()) / 1e6,
                static_cast<double>(bench::statusKb("VmHWM")) / 1e3);
    const bool fast = split.undo < 0.3 && well.undo < 0.3;
    std::printf("undo under 0.3 s: %s\n", fast ? "yes" : "NO");
    return 0;
}
