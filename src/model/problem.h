// The one problem model: general data, fixed-capacity tables, derived values and flags.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/table.h"

namespace velkor {

// Capacity limits from the installation data.
struct Limits {
    int32_t BMAX = 48;    // blocks, also soils and wells
    int32_t NMAX = 12000; // nodes
    int32_t MMAX = 20000; // elements
    int32_t PMAX = 100;   // particles
    friend bool operator==(const Limits&, const Limits&) = default;
};

struct Node {
    double X = 0, Y = 0; // position (m)
    double B = 0, T = 0; // bottom and top of the aquifer (m)
    double F = 0;        // groundwater head (m)
    double Q = 0;        // nodal discharge (m3/d)
    double supply = 0;   // right-hand side of the node's equation, rebuilt by every assembly
    int32_t Type = 0;    // 1 = head prescribed, 0 = head computed
    int32_t rowEnd = 0;  // matrix bookkeeping of the solver
};

struct Block {
    int32_t node[3] = {0, 0, 0}; // main-node indices
    int32_t soil = 0;
};

struct Soil {
    double K = 1.0; // permeability (m/d)
    double n = 0.4; // porosity
    double R = 1.0; // retardation factor
    double I = 0.0; // infiltration (m/d)
};

struct Element {
    int32_t node[3] = {0, 0, 0};
    int32_t soil = 0;           // index of the block (and soil) the element belongs to
    double qx = 0, qy = 0;      // specific discharge (m/d)
    double spare = 0;           // cleared with the other results, otherwise unused
    double bottomSlopeFlow = 0; // qx dB/dx + qy dB/dy
    double topSlopeFlow = 0;    // qx dS/dx - I + qy dS/dy, S = min(F, T)
};

struct Particle {
    double X = 0, Y = 0, Z = 0;
    int32_t element = -1; // element holding the particle, -1 for none
};

// Restore point of the counts (and of the area size).
struct SavedCounts {
    int32_t NN = 0, NM = 0, NB = 0, NA = 0, NW = 0, NP = 0;
    double LX = 0, LY = 0;
};

inline constexpr int kColourCount = 255;
inline constexpr std::size_t kNameLength = 60;

class Problem {
  public:
    // General data.
    std::string fileName = "Data1.fem";
    std::string problemName = "Default Datafile";
    std::string userName = "Students of Geotechnics";
    int32_t NA = 0, NB = 0, NN = 0, NM = 0, NW = 0, NP = 0;
    double LX = 2000, LY = 1000, TM = 365;

    Limits limits;

    // Tables, each allocated to its capacity; the counts above say how much is used. The two large
    // ones cost memory only where rows are used (table.h); the others are small, or written whole
    // at every start (the soils), or hold a default that is not zero (the particles' element -1).
    Table<Node> nodes;                     // NMAX
    std::vector<Block> blocks;             // BMAX
    std::vector<Soil> soils;               // BMAX, soil i belongs to block i
    Table<Element> elements;               // MMAX
    std::vector<int32_t> wellNodes;        // BMAX
    std::vector<double> wellQ;             // BMAX
    std::vector<Particle> particles;       // PMAX
    std::vector<int32_t> blockColourIndex; // BMAX
    std::array<uint32_t, kColourCount> colourTable{};

    // Derived values.
    double meanQx = 0, meanQy = 0;
    int32_t matrixEntryCount = 0;
    double errorLog = 0; // log10 of the last convergence measure
    SavedCounts saved;

    // Flags.
    bool warning = false;
    bool preconditioner = false;
    bool resultsStale = true;
    // The heads, discharges and velocities held no longer answer the problem: something that
    // enters the equations (a permeability, a prescribed head, a well, the mesh, ...) changed
    // after they were computed. They are still shown, marked, until the next solve.
    bool resultsOutOfDate = false;
    bool tablesAllocated = false;

    int64_t matrixEntryCapacity() const { return 5 * static_cast<int64_t>(limits.NMAX); }

    // Counts held to their table's capacity (and to 0 from below), for code that must stay
    // inside the tables whatever a count says.
    int32_t usedNodeCount() const { return heldCount(NN, nodes.size()); }
    int32_t usedMainNodeCount() const { return heldCount(NA, nodes.size()); }
    int32_t usedBlockCount() const { return heldCount(NB, std::min(blocks.size(), soils.size())); }
    int32_t usedElementCount() const { return heldCount(NM, elements.size()); }
    int32_t usedWellCount() const { return heldCount(NW, std::min(wellNodes.size(), wellQ.size())); }
    int32_t usedParticleCount() const { return heldCount(NP, particles.size()); }

    // A copy to work on away from this problem (a solve or a Split on a worker thread while the
    // windows show this one): every member, the node and element tables at the same capacities
    // but with only the rows in use copied, so that a copy costs what the problem holds. Rows
    // beyond the counts start as defaults; no operation reads a row before writing it there, but
    // the solver's bookkeeping of such rows (supply, row end) is 0 in the copy. Every member of
    // the class is copied here: a new member goes into this copy too. Throws std::bad_alloc.
    Problem copyWithRowsInUse() const;

    // (Re)creates every table for the given limits; the contents are lost. Returns false, and
    // leaves the previous tables and limits in place, when the tables at full capacity would not
    // fit in the memory the system can give (availableMemory(), or the memory given) or cannot be
    // had; the caller then shows kNoMemoryForTablesMessage and takes the default limits.
    bool allocateTables(const Limits& newLimits);
    bool allocateTables(const Limits& newLimits, uint64_t memory);
    void releaseTables();

    // The default problem: three main nodes, one block, one element. Names are set by the caller.
    void resetToDefaultProblem();
    // The colour table, the block colour index list and default soils for all BMAX records.
    void buildColoursAndDefaultSoils();

    // Zeroes the five result fields of every used element and clears the results-stale flag.
    void clearResults();

    void copyCountsToSaved();
    void restoreCountsFromSaved();

    // Colour (0x00BBGGRR) of block or soil index i.
    uint32_t blockColour(int32_t block) const;

  private:
    static int32_t heldCount(int32_t count, std::size_t capacity) {
        if (count <= 0) return 0;
        return idx(count) < capacity ? count : static_cast<int32_t>(capacity);
    }
};

// The mark of results that no longer answer the problem (plot panels, status line, report).
inline constexpr const char* kResultsOutOfDateMessage = "Results out of date: solve again";

// The message of a refused allocation of the tables.
inline constexpr const char* kNoMemoryForTablesMessage =
    "Not enough memory for the capacities of the Installation Grid.\n\n"
    "The default capacities are used instead.";

// Bytes of all tables at full capacity for these limits.
uint64_t tableBytes(const Limits& limits);

// Smallest limits with which the default problem fits, and largest ones whose index arithmetic
// (5 x NMAX matrix entries in 32 bits) stays safe.
Limits sanitizedLimits(const Limits& limits);

// Point-in-element test: returns element if (x, y) lies in it (edges and corners included), else -1.
int32_t pointInElement(const Problem& problem, double x, double y, int32_t element);
bool pointInTriangle(double x, double y, double x1, double y1, double x2, double y2, double x3, double y3);

// Text after the last path separator ('\' or '/'); the whole text when there is none.
std::string baseName(std::string_view path);

// Current directory, the initial directory of the file dialogs.
std::string workingDirectory();

// Colour table entry i as built at start-up (exposed for tests).
std::array<uint32_t, kColourCount> buildColourTable();

} // namespace velkor
