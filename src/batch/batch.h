// velkor-batch: load a datafile (or the default problem), apply operations in order, produce
// outputs. Each group of operations lives in a file of its own.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/problem.h"
#include "results/particle_tracker.h"
#include "results/plot_options.h"
#include "results/zoom_view.h"
#include "solver/solve_command.h"

namespace velkor::batch {

struct Options {
    std::string input;            // path, or "-" for the default problem
    std::string output;           // -o: datafile written last
    std::optional<Limits> limits; // --limits BMAX,NMAX,MMAX,PMAX
    bool summary = false;         // --summary
    bool verbose = false;         // --verbose: status texts to standard error
    std::vector<std::string> operations;

    // Pictures and tracks, produced after all operations.
    std::string contoursSvg;                        // --contours-svg FILE
    std::optional<WorldRect> view;                  // --view X0,Y0,X1,Y1: the world window drawn
    int width = 1024, height = 768;                 // --size WxH
    std::string threeDSvg;                          // --3d-svg FILE
    double angle = 45;                              // --angle DEG
    std::string surfaces = "water,contours,bottom"; // --surfaces
    std::string trackCsv;                           // --track-csv FILE
    std::optional<double> trackH;                   // --track-h H
    bool levels = false;                            // --levels
    std::string manualPdf;                          // --manual-pdf FILE: the printed manual

    // The printed report as PDF, produced after the pictures.
    std::string reportPdf; // --report-pdf FILE
    // --print ITEMS, --graph-scale N, --angle-scale N (and --surfaces); --label-contours and
    // --scale-bar, which the contour picture follows too.
    OptionSettings report;
    bool reportSurfaces = false; // --surfaces was given: it chooses the surfaces of the 3D page too
    int pageWidth = 0, pageHeight = 0, pageDpi = 600; // --page WxH@DPI; no size: A4 portrait

    // Tables and GIS layers, produced after the pictures (export_outputs.cpp).
    std::string nodesCsv;            // --nodes-csv FILE
    std::string elementsCsv;         // --elements-csv FILE
    std::string budgetCsv;           // --budget FILE.csv
    std::string geoPackage;          // --gpkg FILE
    std::optional<int> epsg;         // --epsg N
    double originX = 0, originY = 0; // --origin X0,Y0
};

// What the operations leave for the summary.
struct State {
    Problem& problem;
    const Options& options;
    int64_t entries = 0;             // stored matrix entries of the last solve
    std::vector<CycleReport> cycles; // of the last solve
    bool refused = false;            // an operation was refused by the program (exit status 3)
    bool invalidResults = false;     // the last solve left the water level below the bottom (status 4)
    std::vector<std::pair<std::string, double>> times; // "time PHASE seconds"
};

// Which group of operations takes an operation of the command line: the dispatch of the command
// line, not an outcome of the operation itself (a refusal by the program is an Outcome, noted in
// State::refused).
enum class OperationUse {
    NotMine,     // the operation name belongs to another group
    Ran,         // ran; a refusal by the program has been written to standard error and noted in
                 // State::refused, and the next operation runs all the same
    BadArguments // could not run: its arguments are malformed (a usage error); a message was written
};

// Mesh operations: reset, split4, split2, addwell:X,Y, newnode:X,Y, newline:..., drag:...
OperationUse runMeshOperation(State& state, std::string_view operation);
// Node operations: setnodes:X0,Y0,X1,Y1,TYPE[,F].
OperationUse runNodeOperation(State& state, std::string_view operation);
// Solver operations: solve, solve:precond, solve:fast.
OperationUse runSolverOperation(State& state, std::string_view operation);
// Tracking, levels and pictures, in this order. Returns false when an output could not be written.
bool produceResultOutputs(State& state);
// False, with the message, when an export asked for cannot be written at all (a coordinate
// reference GDAL does not know): checked before anything is loaded or written.
bool exportsPossible(const Options& options);
// Node, element and budget tables and the GeoPackage. Returns false when one could not be written.
bool produceExports(State& state);
enum class ArgumentUse { NotMine, Used, Bad };
// An option of the exports with its value (null at the end of the arguments); Bad has written
// its message.
ArgumentUse parseExportOption(std::string_view option, const char* value, Options& options);
// The printed report as PDF (--report-pdf). Returns false when it could not be written.
bool produceReport(State& state);

// "water,contours,bottom,top" (any of them, in any order) into the surface choices of the 3D
// graph; false (and a message) for an unknown word.
bool parseSurfaces(std::string_view list, GraphChoices& choices);

// Says so on standard error when a tracking run stopped at its sweep limit.
void reportUnfinishedRun(const TrackReport& report);

// Under mpirun: starts MPI; in every process but process 0, serves process 0's fast solves until
// it ends and returns the exit status of the process. Nothing (and no MPI) for a process of its own
// and for process 0, which runs the program and ends MPI when it ends.
std::optional<int> serveAsHelper();

// Writes text to standard error, one message per line as the program's own text.
void reportMessage(std::string_view message);

} // namespace velkor::batch
