// The property tables: soils of the blocks, wells, and the start points of the particles. Each
// commit corrects the typed value by its column and never refuses it; Enter moves down and "c"
// copies the text of the cell above (in the first row: of the last row), in every one of them.
#pragma once

#include "forms/record_table.h"

namespace velkor {

enum SoilColumn { SoilNumber = 0, SoilK, SoilN, SoilR, SoilI };

// K not below 0, n in (0, 1] (0.000001 for a value not above 0), R not below 1, I free.
class SoilsForm : public RecordTableForm {
  public:
    using RecordTableForm::RecordTableForm;

    int fixedColumns() const override { return 1; }
    int recordCount() const override { return problem_.usedBlockCount(); }
    std::span<const TableColumn> columns() const override;
    WindowPosition position(int screenWidth, int screenHeight, int windowWidth) const override;
    std::string helpText() const override;
    CellCommit commit(int col, int row, std::string_view text) override;
    CellInfo cellInfo(int col, int row) const override;
    Footprint commitFootprint(int, int) const override { return Footprint::propertyTables(); }
    // The permeability and the infiltration enter the equations; n and R only the pathlines.
    bool entersEquations(int col) const override { return col == SoilK || col == SoilI; }

  protected:
    std::string recordText(int col, int record) const override;
};

enum WellColumn { WellNode = 0, WellX, WellY, WellF, WellQ, WellType };

// The node of a well is shown, not edited: its head F (not below the node's bottom) and its Type
// belong to the node and show in the node table too; Q is the well's own discharge.
class WellsForm : public RecordTableForm {
  public:
    using RecordTableForm::RecordTableForm;

    int fixedColumns() const override { return 3; }
    int recordCount() const override { return problem_.usedWellCount(); }
    std::span<const TableColumn> columns() const override;
    WindowPosition position(int screenWidth, int screenHeight, int windowWidth) const override;
    std::string helpText() const override;
    CellCommit commit(int col, int row, std::string_view text) override;
    CellInfo cellInfo(int col, int row) const override;
    Footprint commitFootprint(int col, int row) const override;
    bool entersEquations(int) const override { return true; }

  protected:
    std::string recordText(int col, int record) const override;

  private:
    // The node a well stands on, or null for an index outside the nodes in use.
    Node* wellNode(int well) const;
};

enum ParticleColumn { ParticleNumber = 0, ParticleX, ParticleY, ParticleZ };

// X and Y inside the problem area, Z not below 0.
class ParticlesForm : public RecordTableForm {
  public:
    using RecordTableForm::RecordTableForm;

    int fixedColumns() const override { return 1; }
    int recordCount() const override { return problem_.usedParticleCount(); }
    std::span<const TableColumn> columns() const override;
    WindowPosition position(int screenWidth, int screenHeight, int windowWidth) const override;
    std::string helpText() const override;
    CellCommit commit(int col, int row, std::string_view text) override;
    CellInfo cellInfo(int col, int row) const override;
    Footprint commitFootprint(int, int) const override { return Footprint::propertyTables(); }

  protected:
    std::string recordText(int col, int record) const override;
};

} // namespace velkor
