// Program-wide state of the windows, owned by the application object: which secondary windows
// are shown, the remembered grid cell of the table windows, the datafile paths in use and the
// modes of the editors.
#pragma once

#include <array>
#include <string>

#include "editors/editor_state.h"

namespace velkor {

// The secondary windows, in the order in which they are created.
enum class WindowId {
    Nodes,
    Elements,
    Mesh,
    Options,
    EditBlocks,
    Properties,
    Contours,
    Manual,
    Wells,
    Graph3D,
    Particles,
    WaterBudget
};

inline constexpr int kSecondaryWindowCount = 12;

struct ShownFlags {
    std::array<bool, kSecondaryWindowCount> flags{};

    bool& operator[](WindowId id) { return flags[static_cast<std::size_t>(id)]; }
    bool operator[](WindowId id) const { return flags[static_cast<std::size_t>(id)]; }
    void clear() { flags.fill(false); }
};

// The one cell being edited in a table window; activating a table window resets it.
struct GridCursor {
    int col = 1;
    int row = 1;
};

// Paths chosen in the datafile dialogs. A chosen path may be far longer than the 60 characters
// of the problem's file name, which only ever holds the base name; the path lives here.
struct DatafilePaths {
    std::string initialDirectory;
    std::string openProposal = "Data1.fem";
    std::string saveProposal = "Data1.fem";
};

struct UiState {
    ShownFlags shown;
    GridCursor cursor;
    DatafilePaths paths;
    // Modes, pending node and exit count of the block editor and the mesh editor.
    EditorState editor;
    // A read, save or solve is running; commands wait for it to end.
    bool busy = false;
};

} // namespace velkor
