#include "forms/close_groups.h"

#include <array>

namespace velkor {

namespace {

using W = WindowId;

// Open, Save and Solve close every secondary window in this order.
constexpr std::array kAll{W::Options,  W::Nodes,   W::Elements, W::Mesh,  W::EditBlocks, W::Properties,
                          W::Contours, W::Graph3D, W::Manual,   W::Wells, W::Particles,  W::WaterBudget};
// New runs the start-up sequence, which clears every shown flag.
constexpr std::array kNew = kAll;
constexpr std::array kOptions{W::Contours, W::Graph3D};
// The editors and the plots fill the screen: they close the tables, the water budget among them.
constexpr std::array kMesh{W::Options,  W::Nodes,  W::Elements, W::EditBlocks, W::Properties,
                           W::Contours, W::Manual, W::Wells,    W::Particles,  W::WaterBudget};
constexpr std::array kEditBlocks{W::Options,  W::Nodes,  W::Elements, W::Mesh,      W::Properties, W::Graph3D,
                                 W::Contours, W::Manual, W::Wells,    W::Particles, W::WaterBudget};
constexpr std::array kContours{W::Options, W::Nodes, W::Elements,  W::Mesh,    W::EditBlocks, W::Properties,
                               W::Manual,  W::Wells, W::Particles, W::Graph3D, W::WaterBudget};
constexpr std::array kGraph3D{W::Options, W::Nodes, W::Elements,  W::Mesh,     W::EditBlocks, W::Properties,
                              W::Manual,  W::Wells, W::Particles, W::Contours, W::WaterBudget};
// Leaving a data grid cell may change the counts or the limits the editors and tables work on.
constexpr std::array kGridEdit{W::Mesh, W::Nodes, W::Elements, W::Properties, W::EditBlocks};

} // namespace

std::span<const WindowId> windowsClosedBy(Command command) {
    switch (command) {
    case Command::Open:
    case Command::Save:
    case Command::Solve:
        return kAll;
    case Command::New:
        return kNew;
    case Command::Options:
        return kOptions;
    case Command::Mesh:
        return kMesh;
    case Command::EditBlocks:
        return kEditBlocks;
    case Command::Contours:
        return kContours;
    case Command::Graph3D:
        return kGraph3D;
    case Command::GridEdit:
        return kGridEdit;
    case Command::Print:
    case Command::Export:
    case Command::Properties:
    case Command::Nodes:
    case Command::Elements:
    case Command::Wells:
    case Command::Particles:
    case Command::Manual:
    case Command::WaterBudget:
    case Command::Help:
    case Command::About:
    case Command::Quit:
    case Command::Undo:
        break;
    }
    return {};
}

bool toggledWindow(Command command, WindowId& window) {
    switch (command) {
    case Command::Options:
        window = W::Options;
        return true;
    case Command::Properties:
        window = W::Properties;
        return true;
    case Command::Nodes:
        window = W::Nodes;
        return true;
    case Command::Elements:
        window = W::Elements;
        return true;
    case Command::Mesh:
        window = W::Mesh;
        return true;
    case Command::EditBlocks:
        window = W::EditBlocks;
        return true;
    case Command::Wells:
        window = W::Wells;
        return true;
    case Command::Particles:
        window = W::Particles;
        return true;
    case Command::Contours:
        window = W::Contours;
        return true;
    case Command::Graph3D:
        window = W::Graph3D;
        return true;
    case Command::Manual:
        window = W::Manual;
        return true;
    case Command::WaterBudget:
        window = W::WaterBudget;
        return true;
    default:
        return false;
    }
}

} // namespace velkor
