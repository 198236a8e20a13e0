// What the main window's repaint does to the problem and shows, as plain operations.
#pragma once

#include <string>

#include "model/changes.h"
#include "model/problem.h"
#include "solver/solve_command.h"

namespace velkor {

struct MainWindowRefresh {
    bool dataButtons = true;       // Node, Element, Mesh, Save and Print
    bool wellsButton = false;      // only with wells
    bool particlesButton = false;  // only with particles
    Change changed = Change::None; // Results when stale results were cleared
};

// The repaint rule of the main window, run after every command and whenever a window reports a
// change: results that an editor made stale (the mesh they belong to is gone) are cleared, and
// the buttons follow the counts.
MainWindowRefresh refreshMainWindow(Problem& problem);

// The line the main window keeps after a solve until the problem changes: cycles, iterations and
// Log(error) of the last cycle, and the warning when the water level fell below the bottom.
std::string solveStatusText(const SolveReport& report);

} // namespace velkor
