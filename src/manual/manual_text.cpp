#include "manual/manual_text.h"

#include <cstdlib>
#include <string_view>

#include "model/table.h"

namespace velkor::manual {

namespace {

// The text in reading order. "# " opens a section, "## " a paragraph whose first line is a
// subheading, an empty line ends a paragraph; every other line is a body line as it is shown.
// The source is UTF-8: the few characters beyond ASCII (superscripts, the middle dot) become
// single Windows-1252 bytes when the manual is built.
constexpr std::string_view kText = R"manual(
# Introduction
VELKOR computes steady plane groundwater flow in a single aquifer by the finite element
method. The aquifer is drawn as a few triangular blocks, each with its own soil, and every
block is divided into many small triangular elements (Figure 1). From the heads given on
the boundary, the infiltration and the wells, the program computes the groundwater head
and the discharge in every node, and the specific discharge in every element.

The results are shown as contours of the head in plan (CONTOURS) and as a surface in an
oblique three-dimensional view (3D-GRAPH). Particles can be released in the aquifer: the
program traces their pathlines in three dimensions, with a mark after every TM days.

This manual describes the parts of the program, the methods it uses and the meaning of
every parameter. Choose a page in the page list at the top of the manual window; the
figures at the right belong to the page. New users may read page 3 on the course of work
first, and then try an example of page 12. The whole manual can be printed with the
PRINT button at the top left of the manual window (hint "Print Manual").

VELKOR comes with its source code, this manual and the example datafiles Val1.fem,
Val2.fem and Val3.fem (page 12). Please pass it on whole, so that every user can repeat
the examples and check the program.

The program has been checked against the closed-form solutions of these examples, but
no guarantee of any kind is given. The results are only as good as the data and the
mesh: check every result against an independent estimate before you rely on it.

# The aquifer
The aquifer is divided into triangular blocks, and every block into triangular elements:
Figure 1 shows an aquifer of 2 blocks divided into 200 elements. The permeability K is
constant in each block, and so are the porosity n, the retardation factor R and the
infiltration I (see PROPERTIES, page 8).

The bottom B and the top T of the aquifer are given in the nodes, in metres above a
datum below the aquifer: the bottom can not be below 0 m. A new node made by the mesh
commands takes the mean of the nodes it lies between, so inside a block B and T vary
linearly between the values in its three main nodes, the corners of the block. The
values of single nodes can be changed afterwards in the NODES window.

Figure 2 shows a vertical cross-section. Where the groundwater head F lies above the
top T the aquifer is confined and the level (dotted) is a pressure level only; there the
transmissivity is TR = K·(T-B). Where F lies below T the aquifer is unconfined: the
water table (solid) is free, and TR = K·(F-B). For every element the program takes the
mean of B, T and F of its three nodes, and never a thickness below 0.01 m.

# Capacity
The size of a problem is limited by four capacities: BMAX (blocks, and also wells),
NMAX (nodes), MMAX (elements) and PMAX (particles). They are kept, with the user name,
in the installation file VELKOR.txt in the working folder, and can be changed in the
grid Installation Data of the main window (page 4). Without an installation file the
program starts with BMAX = 48, NMAX = 12000, MMAX = 20000, PMAX = 100 and the user
name "Students of Geotechnics".

The tables are reserved for their full capacity, used or not: every unit of NMAX takes
roughly 150 bytes while a problem is solved, every unit of MMAX roughly 70 bytes, so a
million nodes and two million elements fit a modern computer. A larger mesh takes longer
to solve, since the number of iterations grows with the number of nodes.

Split 4 needs NN and NM to be at most a quarter of NMAX and MMAX, Split 2 at most half
of them. When a capacity is too small, the program says which value to increase.

# Operation of the program
A problem is worked out in four stages:
1. Define the blocks. NEW starts a new problem from a single block, EDIT shows the blocks
    of the present problem; nodes and blocks are added and moved with the mouse. Figure 3
    shows an aquifer of 8 blocks. The coordinates and values of the nodes can then be set
    exactly in the NODES window.
2. Generate the mesh. MESH shows the elements: Split 4 and Split 2 divide them, Add Well
    places wells. Figure 4 shows the blocks of Figure 3 after two passes of Split 4: every
    block has become 16 elements.
3. SOLVE computes the heads by the conjugate gradient method, using the symmetry of the
    matrix, and then offers to save the problem with its results.
4. Show or print the results with CONTOURS, 3D-GRAPH and PRINT.

Every command has a button in the tool bar of the main window and an item in its menu,
except EDIT (button only) and QUIT (menu File only). The hint of a button shows its name
when the mouse rests on it; some hints are longer than the names: NEW is "New Mesh", EDIT
"Edit Blocks", NODES "List of Nodes", ELEMENTS "List of Elements" and MESH "Edit Mesh".

# File commands
Problems are stored in datafiles of type ".fem": plain text, with the values of a line
separated by commas. A new problem is named "Data1.fem".
- OPEN : read a datafile; its counts are first checked against the capacities,
- SAVE : write the problem, with its results, to a datafile,
- NEW : start again from the default problem, a single block, and open EDIT,
- PRINT : print the data and graphs chosen in OPTIONS (page 7),
- QUIT : end the program (menu File); the problem is not saved first.
The heads stored in a datafile are used at once after OPEN: CONTOURS and 3D-GRAPH show
them without a new SOLVE.

# Help commands
Every window has a HELP button at the right end of its tool strip, which explains the
window in a few lines. HELP in the main window (also menu Help, Info) lists all commands;
the grids Installation Data and General Data have a help button of their own.

# Installation Data
The grid Installation Data of the main window holds:
- User Name : the user of the program, printed on all output (at most 60 characters, of
  which the first 40 are read back at the next start),
- BMAX : maximum number of blocks, and also of wells (at least 20),
- NMAX : maximum number of nodes (more than 100),
- MMAX : maximum number of elements (more than 100),
- PMAX : maximum number of particles (0 to 1000).
Without an installation file the values are 48, 12000, 20000 and 100.

The data are stored in the installation file VELKOR.txt as soon as a cell of the grid is
left, and read at every start of the program. Leaving a cell of this grid replaces the
problem by the default problem, even when nothing was changed: set the capacities first,
then open or draw a problem.

# General Data
The grid General Data of the main window describes the problem:
- File Name : name of the datafile,
- NA : number of main nodes, the corners of the blocks,
- NB : number of blocks,
- NW : number of wells (at most BMAX),
- NN : number of nodes, the corners of the elements,
- NM : number of elements,
- Problem Name : name of the problem, printed on all output,
- LX, LY : size of the problem area (m): x lies between 0 and LX, y between 0 and LY,
- NP : number of particles (at most PMAX),
- TM : time between two marks on a pathline (d): a particle moving at v m/d leaves
  its marks v·TM m apart.

The first six rows are kept by the program while the problem is built and can not be
edited. The simplest problem, the one NEW starts from, has NM = NB = 1 and NN = NA = 3.
LX, LY and TM must be positive numbers; for another value the program shows a message
and offers 100 instead. New particles start at (0, 0, 0) until they are placed in the
PARTICLES window. ENTER moves to the next row.

# New
NEW replaces the problem by the default problem and opens the window Edit Blocks
(Figure 5). The default problem covers an area of LX = 2000 m by LY = 1000 m with a
single triangular block of width LX/4 and height LY/2 in its lower left corner; heads
of 20 m are given in nodes 1 and 2, and node 3 has a first estimate of 10 m. To draw in
another area, enter LX and LY in the grid General Data first and then press EDIT.

# Edit
EDIT shows the blocks of the present problem in the area LX by LY, each in its own
colour, with the numbers of the blocks and of the main nodes (Figure 6). Three buttons
in the tool strip of the window change them; each acts once, for one node or one line:
- Drag Node : move a main node with the left mouse button held down; its coordinates
  show in the boxes x and y, where they can also be typed,
- New Node : click outside all blocks; the new node forms a new block with the side of
  an existing block whose mid-point lies nearest (B = 0, T = 10 m, F = 10 m),
- New Line : draw a line from one main node to another; a new block is made when the
  line closes a triangle with a third node, otherwise the program says so.
While EDIT is open the mesh is the blocks themselves, without refinement or wells: refine
it with MESH when the blocks are done. Coordinates and values of the nodes can be set
exactly with NODES.

All data are edited in grids. Move between cells with the arrow keys, TAB or ENTER;
a value is checked and stored when its cell is left. In most grids the key c copies the
value of the cell above into the present cell and moves down; in the columns B, T, F
and Q of the NODES window the key C copies the present value into the whole column.

# Print
PRINT shows the print dialog, where a printer or a PDF file can be chosen, and then
prints the items chosen in OPTIONS, each on a new page: the general data (with the main
nodes, blocks, soils, wells and particles), the list of nodes, the list of elements, the
mesh, the contours, the 3D graph and the water budget. The pages are numbered in one
sequence, and every page names the problem.

# Options
OPTIONS opens a window of three boxes, whose settings hold until the program ends; they
are not stored in a file. The left box holds Use Preconditioner and Use Fast Solver
(see SOLVE, page 11).

## Print Options
- General Data, Nodes, Elements, Mesh, Contours, 3D-Graph, Budget : the items that PRINT
  prints; at the start only General Data is chosen,
- Graphics Scale : the size of the printed graphs, 0 to 10: at 5 a graph takes 5/11 of
  the width and height of the page, at 10 it takes 10/11.
Warning: for a large problem the lists of all nodes and all elements take many pages.

## 3D-Graphics Options
- Groundwater Table : the mesh on the groundwater table, in aqua,
- Contours : contours of the head on the groundwater table, in red,
- Bottom Surface : the mesh on the bottom of the aquifer, in green,
- Top Surface : the mesh on the top of the aquifer, in yellow,
- Viewing Angle : 1 to 89 degrees, from a view nearly level to one nearly from above.
At the start the first three are chosen, at a viewing angle of 45 degrees.

# Properties
PROPERTIES (window Block Properties) gives the soil of every block:
- K : permeability (m/d), 1 at the start; not negative,
- n : porosity (-), 0.4 at the start; above 0 and at most 1,
- R : retardation factor (-), 1 at the start; at least 1,
- I : infiltration (m/d), 0 at the start; a negative value is evaporation.
A value outside its range is corrected when its cell is left. K and I enter the
solution; n and R only set the speed of the particles.

# Nodes
NODES (button "List of Nodes") lists every node; Figure 7 shows how the nodes of the
elements fill the blocks:
- i : number of the node, from 1 to NN,
- X, Y : coordinates (m), within the problem area,
- B : bottom of the aquifer (m), not below 0,
- T : top of the aquifer (m), not below B,
- F : groundwater head (m), not below B; given when Type = 1, else a first estimate,
- Q : discharge (m³/d), computed by SOLVE,
- Type : 1 = head F given, 0 = head computed.
After SOLVE, Q of a node with Type 0 equals the water supplied there by wells and
infiltration, and Q of a node with Type 1 the water that must enter (positive) or leave
(negative) there to keep its head. A supply in a node is given as a well (see WELLS).
Coordinates should normally not be changed here, since a moved node can spoil the mesh.
Four buttons page through a long list.

# Elements
ELEMENTS (button "List of Elements") lists every element:
- j : number of the element,
- Node 1, Node 2, Node 3 : its three nodes,
- Soil : the block whose properties the element takes.
Node numbers are held between 1 and NN and soil numbers between 1 and NB, but a wrong
number still spoils the mesh: change them with great care.

# Mesh
MESH (button "Edit Mesh") shows the elements in the colours of their blocks, and the
wells as small circles. A fourth button, Set Nodes, sets many nodes at once (page 14).
Three buttons refine the mesh:
- Add Well : click in the mesh. Near a node the well is put in that node; elsewhere a
  new node is made in the centre of the element, connected to its three nodes and to
  new nodes in the mid-points of its sides. The discharge is given later in WELLS.
- Split 2 : every element is halved by a new node, where possible in the mid-point of
  its longest side; the element across that side is halved too.
- Split 4 : every element is divided into four by new nodes in the mid-points of its
  three sides.
While a pass runs, the window counts the nodes and elements. A new node on the outer
boundary between two nodes with a given head gets the mean head and Type 1; any other
new node is free (Type 0) and has no supply. After each command the nodes and elements
are numbered again from left to right, the main nodes keeping the numbers 1 to NA.

# Wells
WELLS lists the wells once NW > 0; wells are placed with Add Well in MESH:
- Node, X, Y : the node of the well and its coordinates (not editable),
- F : groundwater head in the node (m), not below B,
- Q : discharge of the well (m³/d): positive adds water, negative pumps it out,
- Type : 0 = discharge Q given and head computed, 1 = head F given.
A pumping well has a negative Q and Type 0. F and Type belong to the node, so they show
in NODES as well. A pumping well captures the particles that come near it.

# Particles
PARTICLES lists the start points of the NP particles (NP is set in the General Data):
- i : number of the particle,
- X, Y : start point in plan (m), within the problem area,
- Z : elevation of the start point (m), not below 0.
A particle moves with the particle velocity: the specific discharge divided by the
porosity n and the retardation factor R. Its elevation follows the flow between the
bottom and the water table or top. A start point below the bottom or above the water
table or top is moved onto it, and the new Z shows in this table. A pathline ends where
the particle leaves the mesh or the saturated aquifer, or reaches a pumping well.

# Solve
SOLVE solves the finite element equations by the conjugate gradient method, which makes
use of the symmetry of the matrix; only its non-zero coefficients are stored. Since the
transmissivity depends on the head, the solution runs in 6 cycles: the first cycle takes
TR = K·(T-B) everywhere, every next cycle takes the heads of the cycle before, with
TR = K·(F-B) where F < T and TR = K·(T-B) where F > T.

Within a cycle the iterations go on until the error, the sum of the squared residuals of
the equations (the error in the water balance of the nodes), is below 10^-4 in the first
cycle and 10^4 times smaller in every next one, down to 10^-24 in the sixth, or until
2·NN + 1 iterations have been made. The progress panel shows the element being assembled,
the cycle, the iteration and Log(error), the base-10 logarithm of the error: -8 means
0.00000001. With Use Preconditioner (OPTIONS) every equation is divided by its diagonal
coefficient, which often saves iterations; Log(error) then shows the error so scaled.
With Use Fast Solver every cycle is solved by conjugate gradients with algebraic multigrid,
from the heads of the cycle before, until every head is within 0.000001 m of the exact
answer: far faster on a large mesh; the panel shows its few iterations.

After the sixth cycle Q of every node holds the supply needed for steady flow (see NODES);
over all nodes Q adds up to zero. A red panel warns when the water level lies below the
bottom of the aquifer somewhere: the results are then invalid. When the heads leave more
than a millionth of the flow through the nodes out of balance, a message says that the
solution has not converged: the results are kept but are not reliable. Otherwise the
save dialog offers to store the results; when it is cancelled they stay in the program.

# Contours
CONTOURS shows the mesh in aqua and the contours of the groundwater head in red, at
about 20 intervals rounded to tenths of a metre; the panel at the top gives the lowest
and highest contour and the interval. When NP > 0 the pathlines of the particles are
drawn in blue, with a small square after every TM days.

# 3D-Graph
3D-GRAPH shows the aquifer in an oblique view at the viewing angle of OPTIONS: the
groundwater table, its contours, the bottom and the top as chosen there, the wells as
red vertical lines, and the pathlines of the particles in three dimensions. The
elevations are stretched to fill the window.

# Validations
Three example datafiles come with the program, in its folder examples. Each holds a strip
of aquifer 100 m wide as 2 blocks, refined by five passes of Split 4 into 2048 elements,
with heads given at one or both ends and closed long sides. Open one, SOLVE it, and
compare CONTOURS and the nodes with the closed-form solution below.

# Validation 1
Val1.fem: linear confined flow in a strip 1000 m long, B = 0, T = 10 m, K = 1 m/d,
n = 0.40, R = 1, with heads of 15 m and 10 m at the ends. The head falls linearly with
a gradient of 0.005, so the specific discharge is 0.005 m/d and the particle velocity
0.005/0.40 = 0.0125 m/d. Three particles start at the left end; with TM = 20000 d the
marks on their pathlines lie 250 m apart.

# Validation 2
Val2.fem: uniform evaporation of 0.0001 m/d from a strip 1000 m long, K = 5 m/d, fed by
a head of 12 m at the left end and closed at the right end. The discharge falls linearly
to zero at the right end. Nine particles enter at the left end at regular vertical
intervals, at heights of 1, 2, ..., 9 m, and leave through the top of the aquifer at
regular horizontal intervals, at x = 900, 800, ..., 100 m.

# Validation 3
Val3.fem: a strip 700 m long and 10 m thick (B = 0, T = 10 m), K = 1 m/d, with heads of
15 m and 5 m at the ends. Near the left end the aquifer is confined, near the right end
unconfined; the transition lies 400 m from the left, where the level is 10 m. The strip
carries 12.5 m³/d (0.125 m²/d): only a correct switch between confined and unconfined
flow gives this value; either kind alone would give 14.3 m³/d.

# Literature
The methods of the program are treated in the following works: groundwater flow in
[1] and [2], finite elements for groundwater in [3], the finite element method in [4],
conjugate gradients and sparse linear equations in [5] and [6], pathlines in [7].

[1] Bear, J. (1972). Dynamics of Fluids in Porous Media. American Elsevier, New York.

[2] Freeze, R.A. and Cherry, J.A. (1979). Groundwater. Prentice-Hall, Englewood Cliffs.

[3] Wang, H.F. and Anderson, M.P. (1982). Introduction to Groundwater Modeling: Finite
     Difference and Finite Element Methods. W.H. Freeman, San Francisco.

[4] Zienkiewicz, O.C. and Taylor, R.L. (2000). The Finite Element Method, Volume 1:
     The Basis, 5th edition. Butterworth-Heinemann, Oxford.

[5] Hestenes, M.R. and Stiefel, E. (1952). Methods of conjugate gradients for solving
     linear systems. Journal of Research of the National Bureau of Standards 49, 409-436.

[6] Golub, G.H. and Van Loan, C.F. (1996). Matrix Computations, 3rd edition.
     Johns Hopkins University Press, Baltimore.

[7] Anderson, M.P. and Woessner, W.W. (1992). Applied Groundwater Modeling: Simulation
     of Flow and Advective Transport. Academic Press, San Diego.

# Setting a side
Split 4, Split 2 and Add Well give a new node on the outer boundary between two nodes
with a given head (Type 1) the mean of their heads and Type 1; a new node on a side shared
by two elements, or inside them, is free. So after a few passes a block side between two
corners with given heads holds given heads all along it: right for a river, but a side
meant to be closed then lets water in or out (see WATER BUDGET).
SET NODES in MESH puts such a side right in one step: drag a rectangle over its nodes, or
click a line along them (a double click or Enter ends it, Escape drops it), which catches
the nodes within a few pixels; the nodes caught are marked, and a small dialog sets their
Type (1 head given, 0 supply given), their head F and, if wanted, B and T, within the
limits of NODES. UNDO takes the step back whole. A rectangle or line that catches no node
says so.

# Water Budget
WATER BUDGET (button, menu and the item Budget of OPTIONS) shows after SOLVE where the
water goes (m³/d), and follows every change of the problem:
- each boundary: nodes with a given head joined by element sides, named by their extent
  ("x 0.0, y 0.0–100.0") and their range of heads,
- each well with its discharge, the infiltration of each soil (I times its area) and in all,
- all water in and out, and the discrepancy 100·(In - Out)/((In + Out)/2) in percent.
In is water that enters the aquifer, Out water that leaves it, both positive: a pumping
well is Out, a boundary that feeds the aquifer In, evaporation (I < 0) Out. A boundary
node feeds in its Q less its own wells and infiltration. The discrepancy is the water the
solution leaves out of balance, after a converged SOLVE far below 10^-6 %. Without a
solution the budget says "Solve first."; after a change it says the results are out of date.

# Export
FILE > EXPORT writes CSV tables for spreadsheets and scripts, or a GeoPackage for GIS. The
tables go beside the file name chosen: NAME-nodes.csv, NAME-elements.csv, and so on:
- nodes (number, x, y, bottom, top, head, type, Q), elements (number, nodes, soil and the
  specific discharge vx, vy), pathlines (a row per step and mark, with the time in days)
  and the water budget: a header line, a decimal point, every digit of the value,
- the GeoPackage layers contours, pathlines, marks, nodes, wells and blocks, placed by an
  EPSG code and the world position X0, Y0 of the model's origin, or without a reference.
A value that is not a number is left empty. An export replaces its file only when whole;
Escape stops the tracking of the pathlines, and their file stays as it was.
)manual";

constexpr const char* kTitle = "VELKOR - Manual";
constexpr const char* kAttribution = "Written by the developers of VELKOR";

constexpr const char* kFigureNames[kFigureCount] = {
    "Finite Element Mesh", "Vertical cross section", "Blocks", "Elements", "New", "Edit",
    "Blocks and Elements",
};

// The pages of the window: their sections by heading, and the figures beside them.
struct PagePlan {
    bool titleBlock;
    std::vector<std::string_view> headings;
    std::vector<int> figures;
};

const PagePlan kPagePlans[kPageCount] = {
    {true, {"Introduction"}, {1, 2}},
    {false, {"The aquifer", "Capacity"}, {1, 2}},
    {false, {"Operation of the program", "File commands"}, {3, 4}},
    {false, {"Help commands", "Installation Data"}, {3, 4}},
    {false, {"General Data"}, {4}},
    {false, {"New", "Edit"}, {5, 6}},
    {false, {"Print", "Options"}, {7}},
    {false, {"Properties", "Nodes"}, {7}},
    {false, {"Elements", "Mesh"}, {7}},
    {false, {"Wells", "Particles"}, {}},
    {false, {"Solve", "Contours", "3D-Graph"}, {}},
    {false, {"Validations", "Validation 1", "Validation 2", "Validation 3"}, {}},
    {false, {"Literature"}, {}},
    {false, {"Setting a side", "Water Budget", "Export"}, {}},
};

// The printed sheets: a heading names a section, a number a figure.
struct SheetPlanItem {
    std::string_view heading; // empty for a figure
    int figure = 0;
};

struct SheetPlan {
    bool titleBlock;
    std::vector<SheetPlanItem> items;
};

SheetPlanItem figure(int number) {
    return {{}, number};
}

const SheetPlan kSheetPlans[kSheetCount] = {
    {true, {{"Introduction"}, figure(1)}},
    {false, {{"The aquifer"}, figure(2), {"Capacity"}}},
    {false, {{"Operation of the program"}, figure(3), figure(4)}},
    {false, {{"File commands"}, {"Help commands"}, {"Installation Data"}, {"General Data"}}},
    {false, {{"New"}, figure(5)}},
    {false, {{"Edit"}, figure(6)}},
    {false, {{"Print"}, {"Options"}, {"Properties"}}},
    {false, {{"Nodes"}, figure(7)}},
    {false, {{"Elements"}, {"Mesh"}, figure(7)}},
    {false, {{"Wells"}, {"Particles"}}},
    {false, {{"Solve"}, {"Contours"}, {"3D-Graph"}}},
    {false, {{"Validations"}, {"Validation 1"}, {"Validation 2"}, {"Validation 3"}}},
    {false, {{"Literature"}}},
    {false, {{"Setting a side"}, {"Water Budget"}, {"Export"}}},
};

// UTF-8 of the source to Windows-1252: the characters the manual uses lie in the range
// U+00A0..U+00FF, where both agree on the code, and their two-byte form becomes one byte; the
// one other is the en dash of a range (U+2013), byte 0x96.
std::string toSingleBytes(std::string_view line) {
    std::string result;
    result.reserve(line.size());
    for (std::size_t k = 0; k < line.size(); ++k) {
        const auto byte = static_cast<unsigned char>(line[k]);
        if (line.substr(k, 3) == "\xE2\x80\x93") {
            result.push_back('\x96');
            k += 2;
        } else if ((byte == 0xC2 || byte == 0xC3) && k + 1 < line.size()) {
            const auto next = static_cast<unsigned char>(line[k + 1]);
            result.push_back(static_cast<char>(((byte & 0x1F) << 6) | (next & 0x3F)));
            ++k;
        } else {
            result.push_back(line[k]);
        }
    }
    return result;
}

std::vector<Section> parseSections(std::string_view text) {
    std::vector<Section> sections;
    bool paragraphOpen = false;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (line.starts_with("# ")) {
            sections.push_back(Section{toSingleBytes(line.substr(2)), {}});
            paragraphOpen = false;
        } else if (line.empty()) {
            paragraphOpen = false;
        } else if (!sections.empty()) {
            Section& section = sections.back();
            const bool subheading = line.starts_with("## ");
            if (!paragraphOpen || subheading) section.paragraphs.push_back(Paragraph{subheading, {}});
            section.paragraphs.back().lines.push_back(toSingleBytes(subheading ? line.substr(3) : line));
            paragraphOpen = true;
        }
    }
    return sections;
}

// The index of the section with this heading. The plans name only headings of the text (the
// tests hold them to it); an unknown one would be a fault of this file, and ends the program
// rather than show a manual with a page missing.
int sectionIndex(const std::vector<Section>& sections, std::string_view heading) {
    for (std::size_t k = 0; k < sections.size(); ++k)
        if (sections[k].heading == heading) return static_cast<int>(k);
    std::abort();
}

Manual buildManual() {
    Manual manual;
    manual.title = TitleBlock{kTitle, kAttribution};
    manual.sections = parseSections(kText);
    for (int p = 0; p < kPageCount; ++p) {
        const PagePlan& plan = kPagePlans[p];
        ScreenPage& page = manual.pages[idx(p)];
        page.titleBlock = plan.titleBlock;
        for (std::string_view heading : plan.headings)
            page.sections.push_back(sectionIndex(manual.sections, heading));
        page.figures = plan.figures;
    }
    for (int s = 0; s < kSheetCount; ++s) {
        const SheetPlan& plan = kSheetPlans[s];
        Sheet& sheet = manual.sheets[idx(s)];
        sheet.titleBlock = plan.titleBlock;
        for (const SheetPlanItem& item : plan.items)
            sheet.items.push_back(item.heading.empty()
                                      ? SheetItem{true, item.figure}
                                      : SheetItem{false, sectionIndex(manual.sections, item.heading)});
    }
    return manual;
}

} // namespace

const Manual& theManual() {
    static const Manual manual = buildManual();
    return manual;
}

std::string figureCaption(int figure, bool printed) {
    if (figure < 1 || figure > kFigureCount) return {};
    std::string caption = "Figure " + std::to_string(figure) + " : " + kFigureNames[figure - 1];
    if (printed) caption += '.';
    return caption;
}

int clampedPage(long long typed) {
    if (typed < 1) return 1;
    if (typed > kPageCount) return kPageCount;
    return static_cast<int>(typed);
}

} // namespace velkor::manual
