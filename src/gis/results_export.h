// Results out of the program as the File menu's Export writes them: the chosen CSV tables side by
// side, or one GeoPackage. One call does the whole export and reports through a Feedback (the
// sweeps of the tracking runs, and whether to stop), so that it can run away from the windows.
// No Qt.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/feedback.h"
#include "model/outcome.h"
#include "model/problem.h"

namespace velkor {

class ElementLocator;

enum class ExportFormat { Csv, GeoPackage };

// What the export dialog chooses.
struct ExportChoice {
    ExportFormat format = ExportFormat::Csv;
    // CSV tables.
    bool nodes = true;
    bool elements = true;
    bool pathlines = false;
    bool budget = true;
    // GeoPackage: the coordinate reference (none: the layers carry none) and the world position
    // of the model's (0, 0).
    std::optional<int> epsg;
    double originX = 0, originY = 0;
};

// One file of an export: the table it holds ("nodes", "elements", "pathlines", "budget" or
// "geopackage") and where it goes.
struct ExportFile {
    std::string table;
    std::string path;
};

// The files an export writes for the name chosen in the save dialog, in the order they are
// written. A GeoPackage goes to that name. The CSV tables go beside it, each named after it and
// its table: "dir/Val3.csv" gives dir/Val3-nodes.csv, dir/Val3-elements.csv,
// dir/Val3-pathlines.csv and dir/Val3-budget.csv, as far as they are chosen.
std::vector<ExportFile> exportFiles(const std::string& chosenPath, const ExportChoice& choice);

struct ExportReport {
    // Done: every file was written; the message lists them, with what is worth knowing about them
    // (values left empty, pathlines cut off at the bound of the run).
    // NothingToDo: no table was chosen; nothing was written.
    // BadInput: the EPSG code is unknown to GDAL (its message) or the origin is no number; nothing
    //   was written.
    // FileError, or NothingToDo for a budget without a solution ("Solve first."): a file was not
    //   written; the others were (written lists them), its old file is as it was.
    // Cancelled: stopped during a tracking run; the file being written is as it was, and the
    //   tables before it are written.
    Result result;
    std::vector<std::string> written; // paths, in the order written
    // The Z of the particles as the tracking run placed them in the saturated zone (empty when no
    // run tracked): the caller takes them into the particle table, as the plots do.
    std::vector<double> heights;
};

// Writes the export. Tracking runs (pathlines, GeoPackage) use the tracking length of the contour
// plot; the problem is only read.
ExportReport exportResults(const Problem& problem, const ExportChoice& choice, const std::string& chosenPath,
                           Feedback* feedback = nullptr, const ElementLocator* locator = nullptr);

} // namespace velkor
