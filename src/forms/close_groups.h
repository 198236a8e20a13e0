// Which secondary windows each command of the main window hides before it acts. The commands and
// the tests read this one table.
#pragma once

#include <span>

#include "forms/window_state.h"

namespace velkor {

enum class Command {
    Open,
    Save,
    Solve,
    New,
    Print,
    // File menu Export: reads the problem, hides nothing.
    Export,
    Options,
    Properties,
    Nodes,
    Elements,
    Mesh,
    EditBlocks,
    Wells,
    Particles,
    Contours,
    Graph3D,
    Manual,
    WaterBudget,
    Help,
    About,
    Quit,
    // Undo and Redo of a change to the problem (Edit menu): every window shows the problem as it
    // is after it, none is hidden.
    Undo,
    // Leaving a cell of the general or the installation data grid.
    GridEdit
};

// The windows the command hides (each only if shown, clearing its flag), in the order it hides
// them. The window a command toggles is not in its list.
std::span<const WindowId> windowsClosedBy(Command command);

// The window a command shows and hides, if it toggles one.
bool toggledWindow(Command command, WindowId& window);

} // namespace velkor
