// velkor-batch: the computing core from the command line, for scripted studies and checks.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "batch/batch.h"
#include "io/datafile.h"
#include "io/installation_file.h"
#include "model/number_text.h"
#include "model/table.h"
#include "operations/problem_operations.h"
#include "pdf/manual_pdf.h"
#include "pdf/report_pdf.h"

namespace velkor::batch {

void reportMessage(std::string_view message) {
    std::fwrite(message.data(), 1, message.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

} // namespace velkor::batch

namespace {

using namespace velkor;
using namespace velkor::batch;

const char* const kUsage =
    "usage: velkor-batch IN.fem|- [OPERATION ...] [-o OUT.fem] [--limits BMAX,NMAX,MMAX,PMAX]\n"
    "                    [--summary] [--verbose] [--levels] [--track-csv FILE] [--track-h H]\n"
    "                    [--contours-svg FILE] [--size WxH] [--3d-svg FILE] [--angle DEG]\n"
    "                    [--surfaces water,contours,bottom,top]\n"
    "                    [--report-pdf FILE] [--print ITEMS] [--graph-scale N] [--angle-scale N]\n"
    "                    [--page WxH@DPI] [--manual-pdf FILE]\n"
    "                    [--nodes-csv FILE] [--elements-csv FILE] [--budget FILE.csv]\n"
    "                    [--gpkg FILE] [--epsg N] [--origin X0,Y0]\n"
    "                    [--view X0,Y0,X1,Y1] [--label-contours] [--scale-bar]\n"
    "       velkor-batch --help | --version\n"
    "\n"
    "  IN.fem     datafile to load; - starts from the default problem\n"
    "  OPERATION  applied in order: reset, split4, split2, addwell:X,Y, newnode:X,Y,\n"
    "             newline:X1,Y1,X2,Y2, drag:X1,Y1,X2,Y2, setnodes:X0,Y0,X1,Y1,TYPE[,F],\n"
    "             solve, solve:precond, solve:fast, solve:direct; under mpirun -np N the fast\n"
    "             solve runs on N processes\n"
    "  -o FILE    write the datafile after everything else\n"
    "  --limits   capacity limits (otherwise from VELKOR.txt in the working directory)\n"
    "  --report-pdf FILE  the printed report as PDF; ITEMS of --print: general,nodes,elements,\n"
    "             mesh,contours,3d,budget (default general); --graph-scale and --angle-scale are the\n"
    "             track positions 0..10 of the options (default 5); --page the printable page\n"
    "             in device units and their resolution (default A4 portrait at 600 dpi)\n"
    "  --manual-pdf FILE  the printed manual (14 sheets, A4) as a PDF file\n"
    "  --track-csv, --nodes-csv, --elements-csv, --budget FILE  pathlines, nodes, elements and\n"
    "             the water budget as CSV tables\n"
    "  --gpkg FILE  contours, pathlines, marks, nodes, wells and blocks as a GeoPackage, in the\n"
    "             coordinate reference EPSG:N (none unless given), moved by the origin X0,Y0\n"
    "  --view     the contour picture shows this window of the plan (metres) as large as it fits\n"
    "  --label-contours, --scale-bar  the plot options: heads on the contour lines, a metre\n"
    "             scale; in the contour picture and on the printed contour page\n"
    "\n"
    "exit status: 0 success, 1 input not loaded, 2 usage error, 3 an operation or output failed,\n"
    "             4 solved, but the results are invalid (water level below the aquifer bottom)\n";

int usageError(const std::string& why) {
    if (!why.empty()) std::fprintf(stderr, "velkor-batch: %s\n", why.c_str());
    std::fputs(kUsage, stderr);
    return 2;
}

bool parseLimits(std::string_view text, Limits& limits) {
    int32_t values[4];
    std::size_t position = 0;
    for (int k = 0; k < 4; ++k) {
        const ScannedNumber number = scanInteger(text.substr(position));
        if (!number.found || number.overflow) return false;
        values[k] = static_cast<int32_t>(number.value);
        position += number.length;
        if (k < 3) {
            if (position >= text.size() || text[position] != ',') return false;
            ++position;
        }
    }
    if (position != text.size()) return false;
    limits.BMAX = values[0];
    limits.NMAX = values[1];
    limits.MMAX = values[2];
    limits.PMAX = values[3];
    return true;
}

bool parseReal(std::string_view text, double& value) {
    const ScannedNumber number = scanReal(text);
    if (!number.found || number.overflow || number.length != text.size()) return false;
    value = number.value;
    return true;
}

bool parseSize(std::string_view text, int& width, int& height) {
    const std::size_t x = text.find('x');
    if (x == std::string_view::npos) return false;
    const ScannedNumber w = scanInteger(text.substr(0, x));
    const ScannedNumber h = scanInteger(text.substr(x + 1));
    if (!w.found || !h.found || w.length != x || h.length != text.size() - x - 1) return false;
    if (w.value < 1 || h.value < 1 || w.value > 20000 || h.value > 20000) return false;
    width = static_cast<int>(w.value);
    height = static_cast<int>(h.value);
    return true;
}

// A track position of the options window: a whole number from 0 to 10.
bool parseTrackPosition(std::string_view text, int& position) {
    const ScannedNumber number = scanInteger(text);
    if (!number.found || number.length != text.size() || number.value < kTrackBarMinimum ||
        number.value > kTrackBarMaximum)
        return false;
    position = static_cast<int>(number.value);
    return true;
}

// "general,nodes,elements,mesh,contours,3d,budget", any of them in any order (printed in the fixed order).
bool parsePrintItems(std::string_view list, OptionSettings& report) {
    report.CheckGeneral = report.CheckNodes = report.CheckElements = false;
    report.CheckMesh = report.CheckContours = report.Check3D = report.CheckBudget = false;
    while (true) {
        const std::size_t comma = list.find(',');
        const std::string_view word = list.substr(0, comma);
        if (word == "general") {
            report.CheckGeneral = true;
        } else if (word == "nodes") {
            report.CheckNodes = true;
        } else if (word == "elements") {
            report.CheckElements = true;
        } else if (word == "mesh") {
            report.CheckMesh = true;
        } else if (word == "contours") {
            report.CheckContours = true;
        } else if (word == "3d") {
            report.Check3D = true;
        } else if (word == "budget") {
            report.CheckBudget = true;
        } else {
            return false;
        }
        if (comma == std::string_view::npos) return true;
        list.remove_prefix(comma + 1);
    }
}

// WxH@DPI: the printable page in device units at a resolution in dots per inch.
bool parsePage(std::string_view text, Options& options) {
    const std::size_t at = text.find('@');
    if (at == std::string_view::npos) return false;
    int width = 0, height = 0;
    if (!parseSize(text.substr(0, at), width, height)) return false;
    const std::string_view dpiText = text.substr(at + 1);
    const ScannedNumber dpi = scanInteger(dpiText);
    if (!dpi.found || dpi.length != dpiText.size() || dpi.value < 10 || dpi.value > 4800) return false;
    if (width > kPdfMaximumInches * dpi.value || height > kPdfMaximumInches * dpi.value) return false;
    options.pageWidth = width;
    options.pageHeight = height;
    options.pageDpi = static_cast<int>(dpi.value);
    return true;
}

// X0,Y0,X1,Y1: a window of the plan with extent in both directions.
bool parseView(std::string_view text, WorldRect& view) {
    double values[4];
    std::size_t position = 0;
    for (int k = 0; k < 4; ++k) {
        const std::size_t comma = k < 3 ? text.find(',', position) : text.size();
        if (comma == std::string_view::npos) return false;
        if (!parseReal(text.substr(position, comma - position), values[k]) || !std::isfinite(values[k]))
            return false;
        position = comma + 1;
    }
    if (values[0] == values[2] || values[1] == values[3]) return false;
    view = WorldRect{std::min(values[0], values[2]), std::min(values[1], values[3]),
                     std::max(values[0], values[2]), std::max(values[1], values[3])};
    return true;
}

// Returns 0 when the options are complete, else the exit status of a usage error.
int parseArguments(int argc, char** argv, Options& options) {
    bool haveInput = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&](std::string_view& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string_view v;
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else if (arg == "--version") {
            std::fputs("velkor-batch " VELKOR_VERSION "\n", stdout);
            std::exit(0);
        } else if (arg == "-o") {
            if (!value(v)) return usageError("-o needs a file name");
            options.output = v;
        } else if (arg == "--limits") {
            Limits limits;
            if (!value(v) || !parseLimits(v, limits)) return usageError("--limits needs BMAX,NMAX,MMAX,PMAX");
            options.limits = limits;
        } else if (arg == "--summary") {
            options.summary = true;
        } else if (arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "--levels") {
            options.levels = true;
        } else if (arg == "--contours-svg") {
            if (!value(v)) return usageError("--contours-svg needs a file name");
            options.contoursSvg = v;
        } else if (arg == "--3d-svg") {
            if (!value(v)) return usageError("--3d-svg needs a file name");
            options.threeDSvg = v;
        } else if (arg == "--track-csv") {
            if (!value(v)) return usageError("--track-csv needs a file name");
            options.trackCsv = v;
        } else if (arg == "--size") {
            if (!value(v) || !parseSize(v, options.width, options.height))
                return usageError("--size needs WxH, for example 1024x768");
        } else if (arg == "--angle") {
            double angle = 0;
            if (!value(v) || !parseReal(v, angle) || !(angle >= 1 && angle <= 89))
                return usageError("--angle needs a number of degrees from 1 to 89");
            options.angle = angle;
        } else if (arg == "--track-h") {
            double h = 0;
            if (!value(v) || !parseReal(v, h) || !(h > 0))
                return usageError("--track-h needs a positive length");
            options.trackH = h;
        } else if (arg == "--manual-pdf") {
            if (!value(v) || v.empty()) return usageError("--manual-pdf needs a file name");
            options.manualPdf = v;
        } else if (arg == "--surfaces") {
            if (!value(v)) return usageError("--surfaces needs a list");
            options.surfaces = v;
            options.reportSurfaces = true;
        } else if (arg == "--report-pdf") {
            if (!value(v) || v.empty()) return usageError("--report-pdf needs a file name");
            options.reportPdf = v;
        } else if (arg == "--print") {
            if (!value(v) || !parsePrintItems(v, options.report))
                return usageError(
                    "--print needs a list of general, nodes, elements, mesh, contours, 3d, budget");
        } else if (arg == "--graph-scale") {
            if (!value(v) || !parseTrackPosition(v, options.report.GraphScale))
                return usageError("--graph-scale needs a track position from 0 to 10");
        } else if (arg == "--angle-scale") {
            if (!value(v) || !parseTrackPosition(v, options.report.AngleScale))
                return usageError("--angle-scale needs a track position from 0 to 10");
        } else if (arg == "--view") {
            WorldRect view;
            if (!value(v) || !parseView(v, view))
                return usageError("--view needs X0,Y0,X1,Y1, a window of the plan in metres");
            options.view = view;
        } else if (arg == "--label-contours") {
            options.report.CheckLabelContours = true;
        } else if (arg == "--scale-bar") {
            options.report.CheckScaleBar = true;
        } else if (arg == "--page") {
            if (!value(v) || !parsePage(v, options))
                return usageError("--page needs WxH@DPI, for example 2480x3508@300");
        } else if (const ArgumentUse use =
                       parseExportOption(arg, i + 1 < argc ? argv[i + 1] : nullptr, options);
                   use != ArgumentUse::NotMine) {
            if (use == ArgumentUse::Bad) return usageError({});
            ++i;
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            return usageError("unknown option " + std::string(arg));
        } else if (!haveInput) {
            options.input = arg;
            haveInput = true;
        } else {
            options.operations.emplace_back(arg);
        }
    }
    if (!haveInput) return usageError("no input datafile");
    return 0;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void printSummary(const State& state) {
    const Problem& p = state.problem;
    std::printf("NN %d\n", p.NN);
    std::printf("NM %d\n", p.NM);
    std::printf("entries %lld\n", static_cast<long long>(state.entries));
    for (std::size_t c = 0; c < state.cycles.size(); ++c)
        std::printf("cycle %zu iterations %d log10rho %.2f converged %d\n", c + 1, state.cycles[c].iterations,
                    state.cycles[c].log10Measure, state.cycles[c].converged ? 1 : 0);
    std::printf("warning %d\n", p.warning ? 1 : 0);
    double fmin = 0, fmax = 0, sumQ = 0, sumQPrescribed = 0;
    for (int32_t i = 0; i < p.NN; ++i) {
        const Node& node = p.nodes[idx(i)];
        if (i == 0 || node.F < fmin) fmin = node.F;
        if (i == 0 || node.F > fmax) fmax = node.F;
        sumQ += node.Q;
        if (node.Type > 0) sumQPrescribed += node.Q;
    }
    std::printf("Fmin %.9g\n", fmin);
    std::printf("Fmax %.9g\n", fmax);
    std::printf("sumQ %.9g\n", sumQ);
    std::printf("sumQprescribed %.9g\n", sumQPrescribed);
    for (const auto& [phase, seconds] : state.times)
        std::printf("time %s %.9g\n", phase.c_str(), seconds);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> served = serveAsHelper()) return *served;
    Options options;
    if (const int status = parseArguments(argc, argv, options); status != 0) return status;
    if (!exportsPossible(options)) return 3;

    Problem problem;
    State state{problem, options, 0, {}, false, false, {}};

    InstallationData installation;
    if (options.limits) {
        installation.limits = *options.limits;
    } else if (auto read = readInstallationFile(kInstallationFileName)) {
        installation = *read;
    }
    problem.userName = installation.userName;
    // As the program does: limits whose tables the system cannot hold give way to the defaults.
    if (!problem.allocateTables(installation.limits)) {
        reportMessage(kNoMemoryForTablesMessage);
        state.refused = true;
        if (!problem.allocateTables(Limits{})) return 1;
    }
    startDefaultProblem(problem);

    if (options.input != "-") {
        const auto start = std::chrono::steady_clock::now();
        const Applied loaded = openDatafile(problem, options.input);
        if (!loaded.ok()) {
            reportMessage(loaded.result.message);
            return 1;
        }
        state.times.emplace_back("load", secondsSince(start));
    }

    for (const std::string& operation : options.operations) {
        OperationUse result = runMeshOperation(state, operation);
        if (result == OperationUse::NotMine) result = runSolverOperation(state, operation);
        if (result == OperationUse::NotMine) result = runNodeOperation(state, operation);
        if (result == OperationUse::NotMine) return usageError("unknown operation " + operation);
        if (result == OperationUse::BadArguments) return usageError({});
    }

    const bool picturesWritten = produceResultOutputs(state);
    const bool exportsWritten = picturesWritten && produceExports(state);
    const bool reportWritten = produceReport(state);
    bool outputsWritten = picturesWritten && exportsWritten && reportWritten;
    if (!options.manualPdf.empty()) {
        const Result manual = writeManualPdf(options.manualPdf);
        if (!manual.ok()) {
            reportMessage(manual.message);
            outputsWritten = false;
        }
    }

    if (options.summary) printSummary(state);

    if (!options.output.empty()) {
        const Result written = writeDatafile(problem, options.output);
        if (!written.ok()) {
            reportMessage(written.message);
            return 3;
        }
    }
    if (!outputsWritten || state.refused) return 3;
    return state.invalidResults ? 4 : 0;
}
