// Long work away from the problem the windows show: a solve or a Split runs on a worker thread on
// a copy of the problem (Problem::copyWithRowsInUse) while the windows keep reading the problem,
// and when the work is done the copy it leaves is taken into the problem in one exchange. A
// tracking run reads the problem and hands back the heights it clamped the particles to.
//
// Nothing may change the problem between the copy and the exchange (the program holds every
// command that would): the copy then differs from the problem by exactly what the work did, and
// taking it gives the problem the operation would have left had it run on the problem itself.
#pragma once

#include <vector>

#include "model/problem.h"
#include "operations/applied.h"

namespace velkor {

// The copy `worked` takes the place of the problem when `applied` (what the operation run on the
// copy returned) says it changed anything; `worked` then holds the problem as it was, to be let
// go of. Otherwise (a refusal, a cancel) nothing changes. Returns `applied`.
Applied takeWorkedCopy(Problem& problem, Problem& worked, Applied applied);

// The Z of every particle as a tracking run placed it in the saturated zone (TrackReport::heights):
// the particle table shows the clamped heights, and the next Save writes them. Heights of a run on
// another particle table (a count that differs) are not taken. Change::Particles when a height
// changed.
Applied takeParticleHeights(Problem& problem, const std::vector<double>& heights);

} // namespace velkor
