// Nodal discharges and element velocities from solved heads.
#pragma once

#include "model/problem.h"

namespace velkor {

// qx, qy, bottom and top slope flows of every element and the mean |qx|, |qy|.
// Also run after every datafile load.
void computeElementVelocities(Problem& problem);

} // namespace velkor
