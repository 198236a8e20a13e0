// The node and element tables: the mesh as editable lists, one row per node or element.
#pragma once

#include "forms/record_table.h"

namespace velkor {

enum NodeColumn { NodeNumber = 0, NodeX, NodeY, NodeB, NodeT, NodeF, NodeQ, NodeType };

// The value rules of a node, shared by the Nodes table and every operation that sets node values:
// the bottom B is not below 0, the top T and the head F not below the node's bottom, and Type is
// 0 (head computed) or 1 (head prescribed).
double heldNodeBottom(double value);
double heldNodeLevel(double value, double bottom);
int32_t heldNodeType(int32_t value);

// X and Y are held inside the problem area, B above 0, T and F above B, Type to 0 or 1; Q is
// free. A node moved by an edit makes the element results stale, like any other mesh edit.
class NodesForm : public RecordTableForm {
  public:
    using RecordTableForm::RecordTableForm;

    int fixedColumns() const override { return 1; }
    int recordCount() const override { return problem_.usedNodeCount(); }
    std::span<const TableColumn> columns() const override;
    WindowPosition position(int screenWidth, int screenHeight, int windowWidth) const override;
    std::string helpText() const override;

    CellCommit commit(int col, int row, std::string_view text) override;
    // Enter moves down, from the last row to the first. In the B, T, F and Q columns "c" (from
    // the second row on) copies the value above into this node and moves down, not past the last
    // row, and "C" copies the cell's value into every node; both store the value as shown, to
    // three decimals, without the column's limits. Elsewhere the letters do nothing. The key
    // stores the value itself: the cell it leaves has nothing left to commit.
    KeyAction key(char key, int col, int row, std::string_view typedText) override;

    CellInfo cellInfo(int col, int row) const override;
    Footprint commitFootprint(int col, int row) const override;
    Footprint keyFootprint(char key, int col, int row) const override;
    std::string keyStepName(char key, int col) const override;
    bool entersEquations(int col) const override { return col != NodeNumber; }

  protected:
    std::string recordText(int col, int record) const override;
};

// Corner nodes 1 .. NN and the soil 1 .. NB of every element. An element changed by an edit makes
// the results stale; looking at the table leaves them alone.
class ElementsForm : public RecordTableForm {
  public:
    using RecordTableForm::RecordTableForm;

    int fixedColumns() const override { return 1; }
    int recordCount() const override { return problem_.usedElementCount(); }
    std::span<const TableColumn> columns() const override;
    WindowPosition position(int screenWidth, int screenHeight, int windowWidth) const override;
    std::string helpText() const override;

    CellCommit commit(int col, int row, std::string_view text) override;

    CellInfo cellInfo(int col, int row) const override;
    Footprint commitFootprint(int col, int row) const override;
    bool entersEquations(int) const override { return true; }

  protected:
    std::string recordText(int col, int record) const override;
};

} // namespace velkor
