#include "forms/property_tables.h"

#include <algorithm>
#include <array>

#include "model/number_text.h"
#include "model/table.h"

namespace velkor {

namespace {

constexpr std::array kSoilColumns{
    TableColumn{"       i", 60},    TableColumn{"    K (m/d)", 100}, TableColumn{"     n (-)", 100},
    TableColumn{"     R (-)", 100}, TableColumn{"    I (m/d)", 100},
};

constexpr std::array kWellColumns{
    TableColumn{"  Node", 50},      TableColumn{"      X (m)", 90},     TableColumn{"      Y (m)", 90},
    TableColumn{"      F (m)", 90}, TableColumn{"    Q (m\xB3/d)", 90}, TableColumn{" Type", 40},
};

constexpr std::array kParticleColumns{
    TableColumn{"     i", 50},
    TableColumn{"      X (m)", 90},
    TableColumn{"      Y (m)", 90},
    TableColumn{"      Z (m)", 90},
};

// Stores a value into a field and says whether that changed it.
bool store(double& field, double value) {
    const bool changed = field != value;
    field = value;
    return changed;
}

} // namespace

// ---- soils ----------------------------------------------------------------------------------------

std::span<const TableColumn> SoilsForm::columns() const {
    return kSoilColumns;
}

WindowPosition SoilsForm::position(int screenWidth, int, int windowWidth) const {
    return {screenWidth - windowWidth - 60, 80};
}

std::string SoilsForm::recordText(int col, int record) const {
    const Soil& soil = problem_.soils[idx(record)];
    switch (col) {
    case SoilNumber:
        return format("%8d", record + 1);
    case SoilK:
        return format("%12.6f", soil.K);
    case SoilN:
        return format("%12.6f", soil.n);
    case SoilR:
        return format("%12.6f", soil.R);
    case SoilI:
        return format("%12.6f", soil.I);
    default:
        return {};
    }
}

CellCommit SoilsForm::commit(int col, int row, std::string_view text) {
    if (!isSelectable(col, row)) return unchanged(col, row);
    Soil& soil = problem_.soils[idx(row - 1)];
    double value = readReal(text);
    double* field = &soil.I;
    switch (col) {
    case SoilK:
        value = std::max(value, 0.0);
        field = &soil.K;
        break;
    case SoilN:
        if (!(value > 0)) value = 0.000001;
        value = std::min(value, 1.0);
        field = &soil.n;
        break;
    case SoilR:
        value = std::max(value, 1.0);
        field = &soil.R;
        break;
    default:
        break; // an infiltration above 1 m/d is kept
    }
    const bool changed = store(*field, value);
    return {cellText(col, row), {}, true, changed ? Change::Soils : Change::None};
}

CellInfo SoilsForm::cellInfo(int col, int row) const {
    if (!isSelectable(col, row) || !isRecordRow(row)) return {};
    static const char* const names[] = {"", "K", "n", "R", "I"};
    const Soil& soil = problem_.soils[idx(row - 1)];
    const double values[] = {0, soil.K, soil.n, soil.R, soil.I};
    return {format("%s of soil %d", names[col], row), CellKind::Real, values[col]};
}

std::string SoilsForm::helpText() const {
    return std::string("Block Properties :\n\n") + "- i : Block number,\n" +
           "- K : Permeability in block (m/d),\n" + "- n : Porosity in block (-),\n" +
           "- R : Retardation factor in block (-),\n" + "- I : Infiltration in block (m/d).";
}

// ---- wells ----------------------------------------------------------------------------------------

std::span<const TableColumn> WellsForm::columns() const {
    return kWellColumns;
}

WindowPosition WellsForm::position(int screenWidth, int, int windowWidth) const {
    return {screenWidth - windowWidth - 40, 300};
}

Node* WellsForm::wellNode(int well) const {
    const int32_t node = problem_.wellNodes[idx(well)];
    if (node < 0 || node >= problem_.usedNodeCount()) return nullptr;
    return &problem_.nodes[idx(node)];
}

std::string WellsForm::recordText(int col, int record) const {
    if (col == WellNode) return format("%6d", problem_.wellNodes[idx(record)] + 1);
    if (col == WellQ) return format("%11.3f", problem_.wellQ[idx(record)]);
    const Node* node = wellNode(record);
    if (!node) return {};
    switch (col) {
    case WellX:
        return format("%11.3f", node->X);
    case WellY:
        return format("%11.3f", node->Y);
    case WellF:
        return format("%11.3f", node->F);
    case WellType:
        return format("%4d", node->Type);
    default:
        return {};
    }
}

CellCommit WellsForm::commit(int col, int row, std::string_view text) {
    if (!isSelectable(col, row)) return unchanged(col, row);
    const int well = row - 1;
    Change changed = Change::None;
    if (col == WellQ) {
        if (store(problem_.wellQ[idx(well)], readReal(text))) changed = Change::Wells;
    } else if (Node* node = wellNode(well)) {
        if (col == WellF) {
            if (store(node->F, std::max(readReal(text), node->B))) changed = Change::NodeValues;
        } else {
            const int32_t type = std::clamp<int32_t>(readInteger(text), 0, 1);
            if (type != node->Type) changed = Change::NodeValues;
            node->Type = type;
        }
    }
    return {cellText(col, row), {}, true, changed};
}

CellInfo WellsForm::cellInfo(int col, int row) const {
    if (!isSelectable(col, row) || !isRecordRow(row)) return {};
    const int well = row - 1;
    if (col == WellQ) return {format("Q of well %d", row), CellKind::Real, problem_.wellQ[idx(well)]};
    const Node* node = wellNode(well);
    if (!node) return {};
    if (col == WellF) return {format("F of well %d", row), CellKind::Real, node->F};
    return {format("Type of well %d", row), CellKind::Integer, static_cast<double>(node->Type)};
}

Footprint WellsForm::commitFootprint(int, int row) const {
    // F and Type belong to the well's node.
    Footprint footprint = Footprint::propertyTables();
    const int well = row - 1;
    if (well >= 0 && well < recordCount()) {
        footprint.nodeFirst = problem_.wellNodes[idx(well)];
        footprint.nodeCount = 1;
    }
    return footprint;
}

std::string WellsForm::helpText() const {
    return std::string("Wells :\n") + "\n" + "Node : Node number,\n" + "X : x-coordinate of node (m),\n" +
           "Y : y-coordinate of node (m),\n" + "F : Groundwater head in node (m),\n" +
           "Q : Water supply in node (m\xB3/d),\n" + "Type : Switch indicating the Type of node,\n" +
           "    Type = 1 : Groundwater head F given; the value of Q is irrelevant,\n" +
           "    Type = 0 : Water supply Q given; the value of F is used as initial\n" +
           "        estimate; the program will compute the correct value of F.\n" + "\n" +
           "For a pumping well Q must be negative, and Type = 0.";
}

// ---- particles ------------------------------------------------------------------------------------

std::span<const TableColumn> ParticlesForm::columns() const {
    return kParticleColumns;
}

WindowPosition ParticlesForm::position(int screenWidth, int screenHeight, int windowWidth) const {
    return {screenWidth - windowWidth - 60, static_cast<int>(0.3 * screenHeight)};
}

std::string ParticlesForm::recordText(int col, int record) const {
    const Particle& particle = problem_.particles[idx(record)];
    switch (col) {
    case ParticleNumber:
        return format("%6d", record + 1);
    case ParticleX:
        return format("%11.3f", particle.X);
    case ParticleY:
        return format("%11.3f", particle.Y);
    case ParticleZ:
        return format("%11.3f", particle.Z);
    default:
        return {};
    }
}

CellCommit ParticlesForm::commit(int col, int row, std::string_view text) {
    if (!isSelectable(col, row)) return unchanged(col, row);
    Particle& particle = problem_.particles[idx(row - 1)];
    const double value = std::max(readReal(text), 0.0);
    bool changed = false;
    switch (col) {
    case ParticleX:
        changed = store(particle.X, std::min(value, problem_.LX));
        break;
    case ParticleY:
        changed = store(particle.Y, std::min(value, problem_.LY));
        break;
    default:
        changed = store(particle.Z, value); // no upper bound: a start above the top is kept
        break;
    }
    return {cellText(col, row), {}, true, changed ? Change::Particles : Change::None};
}

CellInfo ParticlesForm::cellInfo(int col, int row) const {
    if (!isSelectable(col, row) || !isRecordRow(row)) return {};
    static const char* const names[] = {"", "X", "Y", "Z"};
    const Particle& particle = problem_.particles[idx(row - 1)];
    const double values[] = {0, particle.X, particle.Y, particle.Z};
    return {format("%s of particle %d", names[col], row), CellKind::Real, values[col]};
}

std::string ParticlesForm::helpText() const {
    return std::string("Particles :\n\n") + "- i : Particle number,\n" +
           "- X : Initial x-coordinate of particle i (m),\n" +
           "- Y : Initial y-coordinate of particle i (m),\n" +
           "- Z : Initial z-coordinate of particle i (m).\n";
}

} // namespace velkor
