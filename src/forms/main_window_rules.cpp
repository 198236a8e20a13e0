#include "forms/main_window_rules.h"

#include "model/number_text.h"

namespace velkor {

MainWindowRefresh refreshMainWindow(const Problem& problem) {
    MainWindowRefresh refresh;
    refresh.wellsButton = problem.NW > 0;
    refresh.particlesButton = problem.NP > 0;
    return refresh;
}

std::string solveStatusText(const SolveReport& report) {
    const Outcome outcome = report.result.outcome;
    const bool kept = outcome == Outcome::Done || outcome == Outcome::NotConverged;
    if (!kept)
        return outcome == Outcome::Cancelled ? "Solve cancelled." : "Not solved; the heads are as they were.";
    const char* verdict = outcome == Outcome::Done ? "Solved" : "Not converged, results not reliable";
    if (report.cycles.empty()) return std::string(verdict) + ".";
    const CycleReport& last = report.cycles.back();
    std::string text = format("%s : %d cycles, %d iterations in the last cycle, Log(error) %.2f", verdict,
                              static_cast<int>(report.cycles.size()), last.iterations, last.log10Measure);
    if (!last.converged) text += " (iteration limit reached)";
    if (report.warning) text += ".   Warning : Water level locally below bottom of aquifer. Results invalid.";
    return text;
}

} // namespace velkor
