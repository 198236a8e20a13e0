// libFuzzer target: any bytes given to the datafile reader end in a message or a problem that
// writes back and reads again to the same text, never in a crash or an access past a table.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "io/datafile.h"

namespace {

// Small tables so that the capacity checks and the reference checks are reached often.
const velkor::Limits kLimits{20, 60, 100, 8};

void resetProblem(velkor::Problem& problem) {
    problem.resetToDefaultProblem();
    problem.buildColoursAndDefaultSoils();
    problem.fileName = "Data1.fem";
    problem.problemName = "Default Datafile";
    problem.warning = false;
}

velkor::Problem& freshProblem(int which) {
    static velkor::Problem problems[2];
    static bool ready = false;
    if (!ready) {
        for (velkor::Problem& problem : problems) {
            if (!problem.allocateTables(kLimits)) std::abort();
        }
        ready = true;
    }
    resetProblem(problems[which]);
    return problems[which];
}

bool withinCapacity(const velkor::Problem& p) {
    return p.NN >= 0 && p.NN <= kLimits.NMAX && p.NA >= 0 && p.NA <= p.NN && p.NM >= 0 &&
           p.NM <= kLimits.MMAX && p.NB >= 0 && p.NB <= kLimits.BMAX && p.NW >= 0 && p.NW <= kLimits.BMAX &&
           p.NP >= 0 && p.NP <= kLimits.PMAX;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    velkor::Problem& problem = freshProblem(0);
    static const std::string defaultText = velkor::datafileText(problem);
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const velkor::Result result = velkor::readDatafileText(problem, input);
    if (!withinCapacity(problem)) std::abort();
    if (!result.ok()) {
        if (result.message.empty()) std::abort();
        // Anything but a capacity refusal leaves the problem exactly as it was.
        const bool capacity = result.message.rfind("Capacity exceeded", 0) == 0;
        if (!capacity && (velkor::datafileText(problem) != defaultText || problem.warning)) std::abort();
        return 0;
    }

    // What was read writes back to a text that reads again to the same problem.
    const std::string written = velkor::datafileText(problem);
    velkor::Problem& again = freshProblem(1);
    if (!velkor::readDatafileText(again, written).ok()) std::abort();
    if (velkor::datafileText(again) != written) std::abort();
    return 0;
}
