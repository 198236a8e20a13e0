#include "forms/mesh_tables.h"

#include <algorithm>
#include <array>

#include "model/number_text.h"
#include "model/table.h"

namespace velkor {

namespace {

constexpr std::array kNodeColumns{
    TableColumn{"     i", 50},        TableColumn{"      X (m)", 90}, TableColumn{"      Y (m)", 90},
    TableColumn{"   B (m)", 75},      TableColumn{"   T (m)", 75},    TableColumn{"   F (m)", 75},
    TableColumn{"  Q (m\xB3/d)", 75}, TableColumn{" Type", 40},
};

constexpr std::array kElementColumns{
    TableColumn{"       j", 60}, TableColumn{"  Node 1", 60}, TableColumn{"  Node 2", 60},
    TableColumn{"  Node 3", 60}, TableColumn{"  Soil", 60},
};

bool isCopyColumn(int col) {
    return col >= NodeB && col <= NodeQ;
}

double& nodeValue(Node& node, int col) {
    switch (col) {
    case NodeX:
        return node.X;
    case NodeY:
        return node.Y;
    case NodeB:
        return node.B;
    case NodeT:
        return node.T;
    case NodeF:
        return node.F;
    default:
        return node.Q;
    }
}

const char* const kNodeColumnNames[] = {"", "X", "Y", "B", "T", "F", "Q", "Type"};

double nodeValue(const Node& node, int col) {
    return nodeValue(const_cast<Node&>(node), col);
}

// The value a copy key stores: the one the cell shows.
double asShown(double value) {
    return readReal(format("%8.3f", value));
}

} // namespace

// ---- nodes --------------------------------------------------------------------------------------

double heldNodeBottom(double value) {
    return std::max(value, 0.0);
}

double heldNodeLevel(double value, double bottom) {
    return std::max(value, bottom);
}

int32_t heldNodeType(int32_t value) {
    return std::clamp<int32_t>(value, 0, 1);
}

std::span<const TableColumn> NodesForm::columns() const {
    return kNodeColumns;
}

WindowPosition NodesForm::position(int screenWidth, int screenHeight, int windowWidth) const {
    return {screenWidth - windowWidth - 30, static_cast<int>(0.4 * screenHeight)};
}

std::string NodesForm::recordText(int col, int record) const {
    const Node& node = problem_.nodes[idx(record)];
    switch (col) {
    case NodeNumber:
        return format("%6d", record + 1);
    case NodeX:
        return format("%11.3f", node.X);
    case NodeY:
        return format("%11.3f", node.Y);
    case NodeB:
        return format("%8.3f", node.B);
    case NodeT:
        return format("%8.3f", node.T);
    case NodeF:
        return format("%8.3f", node.F);
    case NodeQ:
        return format("%8.3f", node.Q);
    case NodeType:
        return format("%4d", node.Type);
    default:
        return {};
    }
}

CellCommit NodesForm::commit(int col, int row, std::string_view text) {
    if (!isSelectable(col, row)) return unchanged(col, row);
    Node& node = problem_.nodes[idx(row - 1)];
    Change changed = Change::None;
    if (col == NodeType) {
        const int32_t type = heldNodeType(readInteger(text));
        if (type != node.Type) changed = Change::NodeValues;
        node.Type = type;
    } else {
        double value = readReal(text);
        switch (col) {
        case NodeX:
            value = std::min(std::max(value, 0.0), problem_.LX);
            break;
        case NodeY:
            value = std::min(std::max(value, 0.0), problem_.LY);
            break;
        case NodeB:
            value = heldNodeBottom(value);
            break;
        case NodeT:
        case NodeF:
            value = heldNodeLevel(value, node.B);
            break;
        default:
            break;
        }
        double& field = nodeValue(node, col);
        if (value != field) {
            // The element results belong to the mesh as it was.
            const bool moved = col == NodeX || col == NodeY;
            if (moved) problem_.resultsStale = true;
            changed = moved ? Change::Mesh : Change::NodeValues;
        }
        field = value;
    }
    return {cellText(col, row), {}, true, changed};
}

KeyAction NodesForm::key(char key, int col, int row, std::string_view typedText) {
    if (key == '\r') return moveDown(col, row, firstRecordRow());
    if (key != 'c' && key != 'C') return {};
    KeyAction action;
    action.swallow = true;
    if (!isCopyColumn(col) || !isRecordRow(row)) return action;
    if (key == 'c') {
        if (row == firstRecordRow()) return action;
        const double value = asShown(readReal(cellText(col, row - 1)));
        nodeValue(problem_.nodes[idx(row - 1)], col) = value;
        action.changed = Change::NodeValues;
        if (row < lastRow()) {
            action.move = true;
            action.moveCol = col;
            action.moveRow = row + 1;
        }
        return action;
    }
    const double value = asShown(readReal(typedText));
    const int count = recordCount();
    for (int i = 0; i < count; ++i)
        nodeValue(problem_.nodes[idx(i)], col) = value;
    action.changed = Change::NodeValues;
    return action;
}

CellInfo NodesForm::cellInfo(int col, int row) const {
    if (!isSelectable(col, row) || !isRecordRow(row)) return {};
    const Node& node = problem_.nodes[idx(row - 1)];
    const std::string name = format("%s of node %d", kNodeColumnNames[col], row);
    if (col == NodeType) return {name, CellKind::Integer, static_cast<double>(node.Type)};
    return {name, CellKind::Real, nodeValue(node, col)};
}

Footprint NodesForm::commitFootprint(int col, int row) const {
    Footprint footprint = Footprint::nodeRows(row - 1, 1);
    // A node moved takes the element results with it.
    if (col == NodeX || col == NodeY) footprint.withAllElements();
    return footprint;
}

Footprint NodesForm::keyFootprint(char key, int, int row) const {
    if (key == 'C') return Footprint::allNodeRows();
    if (key == 'c') return Footprint::nodeRows(row - 1, 1);
    return Footprint::generalOnly();
}

std::string NodesForm::keyStepName(char key, int col) const {
    if (!isCopyColumn(col)) return {};
    if (key == 'C') return std::string("Fill Column ") + kNodeColumnNames[col];
    if (key == 'c') return std::string("Copy ") + kNodeColumnNames[col] + " from Above";
    return {};
}

std::string NodesForm::helpText() const {
    return std::string("Nodes :\n\n") + "- i : Node number,\n" + "- X : x-coordinate of node i (m),\n" +
           "- Y : y-coordinate of node i (m),\n" + "- B : Bottom of aquifer in node i (m),\n" +
           "- T : Top of aquifer in node i (m),\n" + "- F : Groundwater head in node i (m),\n" +
           "- Q : Water supply in node i (m\xB3/d),\n" + "- Type : Switch indicating the Type of node i,\n" +
           "      Type = 1 : Groundwater head F given; the value of Q is irrelevant,\n" +
           "      Type = 0 : Water supply Q given; the value of F is used as initial\n" +
           "          estimate; the program will compute the correct value of F.\n\n" +
           "Although the user may edit the x- and y-coordinates of a node, great\n" +
           "care should be taken not to disturb the compatibility of the mesh.\n\n" +
           "Special editing features in columns B,T,F,Q :\n" +
           "- c : Copy value from value immediately above,\n" + "- C : Copy value to entire column.\n";
}

// ---- elements -------------------------------------------------------------------------------------

std::span<const TableColumn> ElementsForm::columns() const {
    return kElementColumns;
}

WindowPosition ElementsForm::position(int, int screenHeight, int) const {
    return {20, static_cast<int>(0.45 * screenHeight)};
}

std::string ElementsForm::recordText(int col, int record) const {
    const Element& element = problem_.elements[idx(record)];
    if (col == 0) return format("%8d", record + 1);
    if (col <= 3) return format("%8d", element.node[col - 1] + 1);
    if (col == 4) return format("%8d", element.soil + 1);
    return {};
}

CellCommit ElementsForm::commit(int col, int row, std::string_view text) {
    if (!isSelectable(col, row)) return unchanged(col, row);
    Element& element = problem_.elements[idx(row - 1)];
    // Numbers 1 .. count; an empty table still gives 1, never an index below 0.
    const int32_t count = col == 4 ? problem_.usedBlockCount() : problem_.usedNodeCount();
    const int32_t number = std::max(std::min(readInteger(text), count), 1);
    int32_t& field = col == 4 ? element.soil : element.node[col - 1];
    Change changed = Change::None;
    if (field != number - 1) {
        field = number - 1;
        problem_.resultsStale = true;
        changed = Change::Mesh;
    }
    return {cellText(col, row), {}, true, changed};
}

CellInfo ElementsForm::cellInfo(int col, int row) const {
    if (!isSelectable(col, row) || !isRecordRow(row)) return {};
    const Element& element = problem_.elements[idx(row - 1)];
    if (col == 4) return {format("Soil of element %d", row), CellKind::Integer, element.soil + 1.0};
    return {format("Node %d of element %d", col, row), CellKind::Integer, element.node[col - 1] + 1.0};
}

Footprint ElementsForm::commitFootprint(int, int) const {
    // Any change of an element makes every element's results go.
    Footprint footprint;
    footprint.allElements = true;
    return footprint;
}

std::string ElementsForm::helpText() const {
    return std::string("Elements :\n\n") + "- j : Element number,\n" + "- Node 1 : Node 1 of element j,\n" +
           "- Node 2 : Node 2 of element j,\n" + "- Node 3 : Node 3 of element j,\n" +
           "- Soil : Soil type number.\n\n" +
           "Although the user may edit the node numbers of the three nodes that " +
           "constitute an element, great care should be taken not to disturb the " +
           "compatibility of the mesh.";
}

} // namespace velkor
