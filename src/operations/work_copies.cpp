#include "operations/work_copies.h"

#include <bit>
#include <cstdint>
#include <utility>

#include "model/table.h"

namespace velkor {

Applied takeWorkedCopy(Problem& problem, Problem& worked, Applied applied) {
    if (!applied.changedAnything()) return applied;
    // The tables change hands without a copy: a million elements cost the GUI thread nothing.
    std::swap(problem, worked);
    return applied;
}

Applied takeParticleHeights(Problem& problem, const std::vector<double>& heights) {
    if (idx(problem.usedParticleCount()) != heights.size()) return Applied::nothing();
    bool changed = false;
    for (std::size_t p = 0; p < heights.size(); ++p) {
        Particle& particle = problem.particles[p];
        // Compared bit for bit: a height that is not a number is the same height every run.
        if (std::bit_cast<uint64_t>(particle.Z) == std::bit_cast<uint64_t>(heights[p])) continue;
        particle.Z = heights[p];
        changed = true;
    }
    return changed ? Applied{{}, Change::Particles} : Applied::nothing();
}

} // namespace velkor
