#include "print/report_pages.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/number_text.h"
#include "model/table.h"
#include "results/contour_plot.h"
#include "results/element_locator.h"
#include "results/three_d_graph.h"
#include "results/water_budget.h"

#ifndef VELKOR_VERSION
#error "VELKOR_VERSION must name the program's version"
#endif

namespace velkor {

namespace {

constexpr const char* kFirstPageTitle = "VELKOR -- Finite Element Method for Plane Groundwater Flow";
constexpr const char* kWarningLine =
    "Warning : Water level locally below bottom of aquifer. Results invalid.";
constexpr const char* kGeneralData = "General Data";
// The general data values stand after the longest label and two blanks.
constexpr const char* kValueColumn = "Number of Main Nodes  ";
constexpr const char* kPageNumberWidth = "Page 9999";

constexpr const char* kNodeHeading =
    "     Node          X (m)           Y (m)      B (m)      T (m)      F (m)     Q (m\xB3/d) Type";
constexpr const char* kNodeRow = "%8d %15.3f %15.3f %10.3f %10.3f %10.3f %10.3f %4d";
constexpr const char* kElementHeading = "  Element   Node 1   Node 2   Node 3     Soil";
constexpr const char* kBlockHeading = "    Block   Node 1   Node 2   Node 3     Soil";
constexpr const char* kSoilHeading = "     Soil    K (m/d)       n            R           I (m/d)";
constexpr const char* kWellHeading = "     Well     Node    F (m)       Q (m\xB3/d)    Type";
constexpr const char* kParticleHeading = "   Particle   X (m)        Y (m)        Z (m)";

// First free line below each kind of header.
constexpr int kContinuationFirstLine = 8;
constexpr int kListFirstLine = 9;
// A section starts on a new page unless ten lines are left for its title, heading and first rows.
constexpr int kSectionRoom = 10;

std::string nodeRow(const Problem& problem, int32_t i) {
    const Node& n = problem.nodes[idx(i)];
    return format(kNodeRow, i + 1, n.X, n.Y, n.B, n.T, n.F, n.Q, n.Type);
}

// The canvas of a dry run: text is measured as the sink's canvas measures it, nothing is drawn.
class MeasuringCanvas : public Canvas {
  public:
    explicit MeasuringCanvas(Canvas& real) : real_(real) {}
    void setPen(const Pen&) override {}
    void setBrush(Colour) override {}
    void setFont(const Font& font) override { real_.setFont(font); }
    void line(int, int, int, int) override {}
    void polygon(const CanvasPoint&, const CanvasPoint&, const CanvasPoint&) override {}
    void rectangle(int, int, int, int) override {}
    void ellipse(int, int, int, int) override {}
    void text(int, int, std::string_view) override {}
    int textWidth(std::string_view text) override { return real_.textWidth(text); }
    int textHeight(std::string_view text) override { return real_.textHeight(text); }

  private:
    Canvas& real_;
};

// The sink of a dry run: pages of the real sink's size, on which nothing is drawn.
class CountingSink : public PageSink {
  public:
    explicit CountingSink(PageSink& real) : real_(real), canvas_(real.canvas()) {}
    bool beginDocument() override { return true; }
    void newPage() override {}
    void endDocument() override {}
    int pageWidth() const override { return real_.pageWidth(); }
    int pageHeight() const override { return real_.pageHeight(); }
    Canvas& canvas() override { return canvas_; }

  private:
    PageSink& real_;
    MeasuringCanvas canvas_;
};

// Pages of a list of `rows` rows below its header: a page holds the lines from the first free one
// to the last (at least one row).
int32_t listPages(const ReportLayout& layout, int32_t rows) {
    const int32_t perPage = std::max(layout.linesPerPage - kListFirstLine, 1);
    return rows <= 0 ? 1 : (rows + perPage - 1) / perPage;
}

Colour colourOf(uint32_t tableEntry) {
    return Colour{static_cast<uint8_t>(tableEntry & 0xFF), static_cast<uint8_t>((tableEntry >> 8) & 0xFF),
                  static_cast<uint8_t>((tableEntry >> 16) & 0xFF)};
}

} // namespace

ReportLayout reportLayout(int pageWidth, int pageHeight, int lineHeight) {
    ReportLayout layout;
    layout.pageWidth = pageWidth;
    layout.pageHeight = pageHeight;
    layout.leftMargin = pageWidth / 10;
    layout.lineHeight = lineHeight > 0 ? lineHeight : 1;
    layout.linesPerPage = pageHeight / layout.lineHeight - 4;
    return layout;
}

std::string attributionLine() {
    return "Report of VELKOR " VELKOR_VERSION ", steady plane groundwater flow by the finite element method";
}

bool MeshPageView::map(double x, double y, CanvasPoint& point) const {
    if (!valid) return false;
    return toCanvasUnit(boxLeft + mx + scale * (x - x0), point.x) &&
           toCanvasUnit(boxTop + my + innerHeight - scale * (y - y0), point.y);
}

MeshPageView meshPageView(const Problem& problem, int pageWidth, int pageHeight, double scaleFactor) {
    MeshPageView view;
    view.boxWidth = truncToInt(pageWidth * scaleFactor);
    view.boxHeight = truncToInt(pageHeight * scaleFactor);
    if (view.boxWidth < 0) view.boxWidth = 0;
    if (view.boxHeight < 0) view.boxHeight = 0;
    view.boxLeft = (pageWidth - view.boxWidth) / 2;
    view.boxTop = (pageHeight - view.boxHeight) / 2;
    view.mx = view.boxWidth / 25;
    view.my = view.boxHeight / 25;
    view.innerWidth = view.boxWidth - 2 * view.mx;
    view.innerHeight = view.boxHeight - 2 * view.my;

    const int32_t count = problem.usedNodeCount();
    if (count == 0) return view;
    view.xmin = view.xmax = problem.nodes[0].X;
    view.ymin = view.ymax = problem.nodes[0].Y;
    for (int32_t i = 1; i < count; ++i) {
        const Node& node = problem.nodes[idx(i)];
        if (node.X < view.xmin) view.xmin = node.X;
        if (node.X > view.xmax) view.xmax = node.X;
        if (node.Y < view.ymin) view.ymin = node.Y;
        if (node.Y > view.ymax) view.ymax = node.Y;
    }
    const double dx = view.xmax - view.xmin, dy = view.ymax - view.ymin;
    // A direction without extent does not limit the scale; a mesh without extent in both, or a
    // box without room (scale factor 0), has no scale and is not drawn.
    const double infinite = std::numeric_limits<double>::infinity();
    const double sx = dx != 0 ? view.innerWidth / dx : infinite;
    const double sy = dy != 0 ? view.innerHeight / dy : infinite;
    view.scale = sx < sy ? sx : sy;
    view.valid = std::isfinite(view.scale) && view.scale > 0;
    if (!view.valid) return view;
    view.x0 = view.xmin - (view.innerWidth / view.scale - dx) / 2;
    view.y0 = view.ymin - (view.innerHeight / view.scale - dy) / 2;
    return view;
}

ReportJob::ReportJob(const Problem& problem, PageSink& sink, const PlotCallbacks& callbacks)
    : problem_(problem), sink_(sink), canvas_(sink.canvas()), callbacks_(callbacks) {
    canvas_.setFont(FontNormal);
    layout_ = reportLayout(sink.pageWidth(), sink.pageHeight(), canvas_.textHeight("W"));
    canvas_.setPenColour(kBlack);
    canvas_.setBrush(kWhite);
}

void ReportJob::stop(Outcome why) {
    stopped_ = true;
    report_.result.outcome = why;
}

bool ReportJob::goOn() {
    if (stopped_) return false;
    if (pageLimit_ > 0 && pageCounter_ > pageLimit_)
        stop(Outcome::LimitReached);
    else if (callbacks_.feedback && callbacks_.feedback->cancelRequested())
        stop(Outcome::Cancelled);
    return !stopped_;
}

bool ReportJob::startPage() {
    if (!goOn()) return false;
    if (pageCounter_ > 1) sink_.newPage();
    tellPage();
    return true;
}

void ReportJob::tellPage() {
    if (!callbacks_.feedback) return;
    Progress progress;
    progress.stage = Stage::Printing;
    progress.page = pageCounter_;
    progress.pages = std::max(plannedPages_, pageCounter_);
    progress.percent = plannedPages_ > 0 ? percentOf(pageCounter_ - 1, plannedPages_) : -1;
    callbacks_.feedback->progress(progress);
}

void ReportJob::writeLine(int line, std::string_view text) {
    canvas_.text(layout_.leftMargin, line * layout_.lineHeight, text);
}

void ReportJob::pageNumber(PageNumberMeasure measure) {
    // The number ends where "Page 9999" in the measuring font would, inside the printable width.
    canvas_.setFont(measure == PageNumberMeasure::Heading ? FontBold : FontSmallBold);
    const int x = layout_.pageWidth - canvas_.textWidth(kPageNumberWidth);
    canvas_.setFont(FontSmallBold);
    canvas_.text(x, 2 * layout_.lineHeight, format("Page %d", pageCounter_));
    ++pageCounter_;
}

void ReportJob::pageHeader(PageNumberMeasure measure, std::string_view title,
                           std::string_view columnHeading) {
    canvas_.setPenColour(kBlack);
    canvas_.setBrush(kWhite);
    canvas_.setFont(FontBold);
    writeLine(2, "VELKOR : " + problem_.problemName);
    const bool first = pageCounter_ == 1;
    pageNumber(measure);
    if (first) markResultsOutOfDate(4);
    canvas_.setFont(FontBold);
    writeLine(5, title);
    canvas_.setFont(FontNormal);
    if (!columnHeading.empty()) writeLine(7, columnHeading);
}

void ReportJob::markResultsOutOfDate(int line) {
    if (!problem_.resultsOutOfDate || outOfDateMarked_) return;
    outOfDateMarked_ = true;
    canvas_.setFont(FontBold);
    writeLine(line, kResultsOutOfDateMessage);
}

void ReportJob::firstGeneralPage() {
    const Problem& p = problem_;
    canvas_.setPenColour(kBlack);
    canvas_.setBrush(kWhite);
    canvas_.setFont(FontBold);
    writeLine(2, kFirstPageTitle);
    pageNumber(PageNumberMeasure::Heading);
    canvas_.setFont(FontSmallBold);
    writeLine(4, attributionLine());
    canvas_.setFont(FontBold);
    writeLine(6, p.userName + ", " + p.problemName);
    line_ = 9;
    firstFreeLine_ = 0;
    if (p.warning) {
        writeLine(line_, kWarningLine);
        line_ += 3;
    }
    if (p.resultsOutOfDate) {
        markResultsOutOfDate(line_);
        line_ += 3;
    }
    writeLine(line_, kGeneralData);
    line_ += 3;

    canvas_.setFont(FontNormal);
    const int valueX = layout_.leftMargin + canvas_.textWidth(kValueColumn);
    const struct {
        const char* label;
        std::string value;
    } rows[] = {
        {"User Name", ": " + p.userName},
        {"File Name", ": " + p.fileName},
        {"Problem Name", ": " + p.problemName},
        {"LX (m)", format(": %g", p.LX)},
        {"LY (m)", format(": %g", p.LY)},
        {"Number of Main Nodes", format(": %d", p.NA)},
        {"Number of Blocks", format(": %d", p.NB)},
        {"Number of Wells", format(": %d", p.NW)},
        {"Number of Particles", format(": %d", p.NP)},
        {"Time between marks (d)", format(": %g", p.TM)},
        {"Number of Nodes", format(": %d", p.NN)},
        {"Number of Elements", format(": %d", p.NM)},
    };
    for (const auto& row : rows) {
        writeLine(line_, row.label);
        canvas_.text(valueX, line_ * layout_.lineHeight, row.value);
        ++line_;
    }
}

bool ReportJob::openSection(const char* title, const char* columnHeading, int linesBefore) {
    line_ += linesBefore;
    if (line_ > layout_.linesPerPage - kSectionRoom) {
        if (!startPage()) return false;
        pageHeader(PageNumberMeasure::Small, kGeneralData, {});
        line_ = firstFreeLine_ = kContinuationFirstLine;
    }
    canvas_.setFont(FontBold);
    writeLine(line_, title);
    line_ += 2;
    canvas_.setFont(FontNormal);
    writeLine(line_, columnHeading);
    line_ += 2;
    return true;
}

bool ReportJob::pageFull() const {
    // On a page too small for its own header the line is past the last one at once; such a page
    // still takes one row rather than none, and the rows never run off it.
    return line_ >= layout_.linesPerPage && line_ > firstFreeLine_;
}

bool ReportJob::rowInSection(const char* title, const std::string& row) {
    if (pageFull()) {
        if (!startPage()) return false;
        pageHeader(PageNumberMeasure::Small, title, {});
        line_ = firstFreeLine_ = kContinuationFirstLine;
    }
    writeLine(line_, row);
    ++line_;
    return true;
}

bool ReportJob::listRow(const char* title, const char* columnHeading, PageNumberMeasure measure,
                        const std::string& row) {
    if (pageFull()) {
        if (!startPage()) return false;
        pageHeader(measure, title, columnHeading);
        line_ = firstFreeLine_ = kListFirstLine;
    }
    writeLine(line_, row);
    ++line_;
    return true;
}

void ReportJob::printGeneralData() {
    if (!startPage()) return;
    firstGeneralPage();
    const Problem& p = problem_;

    if (!openSection("Main Nodes", kNodeHeading, 2)) return;
    for (int32_t i = 0; i < p.usedMainNodeCount(); ++i)
        if (!rowInSection("Main Nodes", nodeRow(p, i))) return;

    if (!openSection("Blocks", kBlockHeading, 1)) return;
    for (int32_t b = 0; b < p.usedBlockCount(); ++b) {
        const Block& block = p.blocks[idx(b)];
        const std::string row = format("%8d %8d %8d %8d %8d ", b + 1, block.node[0] + 1, block.node[1] + 1,
                                       block.node[2] + 1, block.soil + 1);
        if (!rowInSection("Blocks", row)) return;
    }

    if (!openSection("Soils", kSoilHeading, 1)) return;
    for (int32_t s = 0; s < p.usedBlockCount(); ++s) {
        const Soil& soil = p.soils[idx(s)];
        if (!rowInSection("Soils",
                          format("%8d %12.6f %12.6f %12.6f %12.6f ", s + 1, soil.K, soil.n, soil.R, soil.I)))
            return;
    }

    if (p.NW > 0) {
        if (!openSection("Wells", kWellHeading, 1)) return;
        for (int32_t w = 0; w < p.usedWellCount(); ++w) {
            const int32_t node = p.wellNodes[idx(w)];
            // A well on a node outside the table shows its number with no head or type.
            const bool known = node >= 0 && node < p.usedNodeCount();
            const double F = known ? p.nodes[idx(node)].F : 0.0;
            const int32_t type = known ? p.nodes[idx(node)].Type : 0;
            const std::string row =
                format("%8d %8d %12.6f %12.6f %4d ", w + 1, node + 1, F, p.wellQ[idx(w)], type);
            if (!rowInSection("Wells", row)) return;
        }
    }

    if (p.NP > 0) {
        if (!openSection("Particles", kParticleHeading, 1)) return;
        for (int32_t k = 0; k < p.usedParticleCount(); ++k) {
            const Particle& particle = p.particles[idx(k)];
            if (!rowInSection("Particles",
                              format("%8d %12.6f %12.6f %12.6f ", k + 1, particle.X, particle.Y, particle.Z)))
                return;
        }
    }
}

void ReportJob::printNodeList() {
    if (!startPage()) return;
    pageHeader(PageNumberMeasure::Small, "Data of Nodes", kNodeHeading);
    line_ = firstFreeLine_ = kListFirstLine;
    for (int32_t i = 0; i < problem_.usedNodeCount(); ++i)
        if (!listRow("Data of Nodes", kNodeHeading, PageNumberMeasure::Small, nodeRow(problem_, i))) return;
}

void ReportJob::printElementList() {
    if (!startPage()) return;
    pageHeader(PageNumberMeasure::Heading, "Data of Elements", kElementHeading);
    line_ = firstFreeLine_ = kListFirstLine;
    for (int32_t m = 0; m < problem_.usedElementCount(); ++m) {
        const Element& e = problem_.elements[idx(m)];
        const std::string row =
            format("%8d %8d %8d %8d %8d", m + 1, e.node[0] + 1, e.node[1] + 1, e.node[2] + 1, e.soil + 1);
        if (!listRow("Data of Elements", kElementHeading, PageNumberMeasure::Heading, row)) return;
    }
}

void ReportJob::printMeshPage(double scaleFactor) {
    if (!startPage()) return;
    pageHeader(PageNumberMeasure::Heading, "Mesh of Finite Elements", {});
    const MeshPageView view = meshPageView(problem_, layout_.pageWidth, layout_.pageHeight, scaleFactor);
    if (!view.valid) return;
    canvas_.setPenColour(kBlack);
    int32_t brushSoil = -1;
    DrawingStop stopDrawing(callbacks_.feedback);
    for (int32_t m = 0; m < problem_.usedElementCount(); ++m) {
        if (stopDrawing(m)) {
            stop(Outcome::Cancelled);
            break;
        }
        if (!elementNodesUsable(problem_, m)) continue;
        const Element& e = problem_.elements[idx(m)];
        CanvasPoint corner[3];
        bool drawable = true;
        for (int k = 0; k < 3; ++k) {
            const Node& node = problem_.nodes[idx(e.node[k])];
            drawable = drawable && view.map(node.X, node.Y, corner[k]);
        }
        if (!drawable) continue;
        // Elements of one block follow each other: the brush changes only between blocks.
        if (e.soil != brushSoil) {
            canvas_.setBrush(colourOf(problem_.blockColour(e.soil)));
            brushSoil = e.soil;
        }
        canvas_.polygon(corner[0], corner[1], corner[2]);
    }
    canvas_.setBrush(kWhite);
}

void ReportJob::printContourPage(double scaleFactor, const PlanOptions& plan) {
    if (!goOn()) return;
    // The contour and 3D pages eject the page before them themselves.
    const bool first = pageCounter_ == 1;
    tellPage();
    const PlotReport report = velkor::printContourPage(problem_, sink_, pageCounter_, layout_.leftMargin,
                                                       scaleFactor, callbacks_, plan);
    if (first) markResultsOutOfDate(4);
    noteDrawing(report, report_.contourTracking);
}

void ReportJob::print3DPage(const GraphChoices& choices, double scaleFactor) {
    if (!goOn()) return;
    const bool first = pageCounter_ == 1;
    tellPage();
    const PlotReport report = velkor::print3DPage(problem_, sink_, pageCounter_, layout_.leftMargin, choices,
                                                  scaleFactor, callbacks_);
    if (first) markResultsOutOfDate(4);
    noteDrawing(report, report_.graphTracking);
}

void ReportJob::printBudget() {
    if (!startPage()) return;
    const std::vector<BudgetLine> lines = waterBudgetLines(computeWaterBudget(problem_));
    const char* title = "Water Budget";
    // The sign convention, the first line, stands under the title of every page of the item.
    const std::string convention = lines.empty() ? std::string() : lines.front().text;
    // The budget's own lines say when the results are out of date: no second mark above them.
    outOfDateMarked_ = true;
    pageHeader(PageNumberMeasure::Small, title, convention);
    line_ = firstFreeLine_ = kListFirstLine;
    for (std::size_t k = 1; k < lines.size(); ++k) {
        // The blank line after the convention is the header's own.
        if (k == 1 && lines[k].text.empty()) continue;
        if (pageFull()) {
            if (!startPage()) return;
            pageHeader(PageNumberMeasure::Small, title, convention);
            line_ = firstFreeLine_ = kListFirstLine;
        }
        canvas_.setFont(lines[k].heading ? FontBold : FontNormal);
        writeLine(line_, lines[k].text);
        // A heading in the taller font takes two lines, as the section titles of the general data.
        line_ += lines[k].heading ? 2 : 1;
    }
    canvas_.setFont(FontNormal);
}

void ReportJob::noteDrawing(const PlotReport& report, TrackReport& kept) {
    kept = report.track;
    if (report.result.outcome == Outcome::Cancelled) stop(Outcome::Cancelled);
}

PrintReport ReportJob::report() const {
    PrintReport printed = report_;
    printed.pages = pageCounter_ - 1;
    return printed;
}

int32_t plannedPages(const Problem& problem, PageSink& sink, const OptionSettings& options) {
    int32_t pages = 0;
    if (options.CheckGeneral) {
        CountingSink counting(sink);
        ReportJob dryRun(problem, counting);
        dryRun.printGeneralData();
        pages += dryRun.report().pages;
    }
    const ReportLayout layout = ReportJob(problem, sink).layout();
    if (options.CheckNodes) pages += listPages(layout, problem.usedNodeCount());
    if (options.CheckElements) pages += listPages(layout, problem.usedElementCount());
    pages += options.CheckMesh + options.CheckContours + options.Check3D;
    if (options.CheckBudget) {
        CountingSink counting(sink);
        ReportJob dryRun(problem, counting);
        dryRun.printBudget();
        pages += dryRun.report().pages;
    }
    return pages;
}

PrintReport printReportItems(const Problem& problem, PageSink& sink, const OptionSettings& options,
                             const PlotCallbacks& callbacks, int pageLimit) {
    int32_t planned = callbacks.feedback ? plannedPages(problem, sink, options) : 0;
    if (pageLimit > 0) planned = std::min(planned, pageLimit);
    ReportJob job(problem, sink, callbacks);
    job.setPageLimit(pageLimit);
    job.setPlannedPages(planned);
    if (options.CheckGeneral) job.printGeneralData();
    if (options.CheckNodes) job.printNodeList();
    if (options.CheckElements) job.printElementList();
    if (options.CheckMesh) job.printMeshPage(options.printScale());
    if (options.CheckContours) {
        PlanOptions plan;
        plan.labelContours = options.CheckLabelContours;
        plan.scaleBar = options.CheckScaleBar;
        job.printContourPage(options.printScale(), plan);
    }
    if (options.Check3D) job.print3DPage(options.graphChoices(), options.printScale());
    if (options.CheckBudget) job.printBudget();
    return job.report();
}

PrintReport printReport(const Problem& problem, PageSink& sink, const OptionSettings& options,
                        const PlotCallbacks& callbacks) {
    if (!sink.beginDocument()) {
        PrintReport refused;
        refused.result.outcome = Outcome::FileError;
        return refused;
    }
    const PrintReport report = printReportItems(problem, sink, options, callbacks);
    sink.endDocument();
    return report;
}

} // namespace velkor
