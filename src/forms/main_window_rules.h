// What the main window's repaint does to the problem and shows, as plain operations.
#pragma once

#include <string>

#include "model/changes.h"
#include "model/problem.h"
#include "solver/solve_command.h"

namespace velkor {

struct MainWindowRefresh {
    bool dataButtons = true;      // Node, Element, Mesh, Save and Print
    bool wellsButton = false;     // only with wells
    bool particlesButton = false; // only with particles
};

// The repaint rule of the main window, run after every command and whenever the problem changes:
// the buttons follow the counts. (Results of a mesh that is gone were cleared by the operation
// that changed it; a repaint changes nothing.)
MainWindowRefresh refreshMainWindow(const Problem& problem);

// The line the main window keeps after a solve until the problem changes: cycles, iterations and
// Log(error) of the last cycle, and the warning when the water level fell below the bottom.
std::string solveStatusText(const SolveReport& report);

} // namespace velkor
