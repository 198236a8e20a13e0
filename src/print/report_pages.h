// The printed report: general data, node list, element list, mesh page, contour page, 3D page and
// water budget, drawn on the pages of a PageSink in one job.
//
// Text pages run on a grid of lines: line k of a page has its top at k line heights, the line
// height being that of "W" in FontNormal on the page's device. Every item starts on a page of its
// own; the page counter runs on across the items ("Page %d").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/outcome.h"
#include "model/problem.h"
#include "results/canvas.h"
#include "results/contour_plot.h"
#include "results/graph_page.h"
#include "results/plot_options.h"

namespace velkor {

// The measures of one job, fixed when it starts.
struct ReportLayout {
    int pageWidth = 0, pageHeight = 0; // printable area in device units
    int leftMargin = 0;                // every text line begins here: page width / 10
    int lineHeight = 1;                // "W" in FontNormal, at least one unit
    int linesPerPage = 0;              // page height / line height - 4
};

ReportLayout reportLayout(int pageWidth, int pageHeight, int lineHeight);

// The small line under the title of the first page, naming this program and its version.
std::string attributionLine();

// Geometry of the mesh page: a box of the print scale factor times the page, centred on the page,
// and inside it, within a margin of 1/25 of the box, the mesh at one scale for both axes.
struct MeshPageView {
    int boxLeft = 0, boxTop = 0, boxWidth = 0, boxHeight = 0;
    int mx = 0, my = 0; // inner margins
    int innerWidth = 0, innerHeight = 0;
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    double scale = 0;      // device units per metre
    double x0 = 0, y0 = 0; // model point at the inner box's left and bottom edge
    bool valid = false;    // a finite positive scale exists: the mesh can be drawn

    // Page position of a model point, truncated toward zero; false when it cannot be drawn.
    bool map(double x, double y, CanvasPoint& point) const;
};

MeshPageView meshPageView(const Problem& problem, int pageWidth, int pageHeight, double scaleFactor);

// How a job ended.
struct PrintReport {
    // Done: every chosen item was printed. Cancelled: the feedback asked to stop; no page was
    // started after the request, and a drawing page being drawn was left unfinished. LimitReached:
    // the page limit was printed and the rest left out. FileError: the sink refused to begin the
    // document (or, for a PDF file, the file could not be written; the message says why); nothing
    // was drawn.
    Result result;
    int32_t pages = 0;           // pages started
    TrackReport contourTracking; // of the contour page, when printed
    TrackReport graphTracking;   // of the 3D page, when printed
};

// One print job in progress: the page counter, the line being written and the measures. The
// document must have been begun on the sink; the job never ends it.
class ReportJob {
  public:
    // callbacks.feedback, when given, hears of every page started (Stage::Printing) and of the
    // tracking runs of the graph pages, and is asked before every page, and while a drawing page is
    // drawn, whether the job is to stop. The problem is only read.
    ReportJob(const Problem& problem, PageSink& sink, const PlotCallbacks& callbacks = {});

    // No page is started past this number (0: no limit).
    void setPageLimit(int pages) { pageLimit_ = pages; }
    // The pages the job is expected to take, for the percentage its progress shows (0: unknown).
    void setPlannedPages(int pages) { plannedPages_ = pages; }

    void printGeneralData();
    void printNodeList();
    void printElementList();
    void printMeshPage(double scaleFactor);
    void printContourPage(double scaleFactor, const PlanOptions& plan = {});
    void print3DPage(const GraphChoices& choices, double scaleFactor);
    // "Water Budget": the sign convention under the title, then the lines of the water budget
    // (section headings in the heading font), continued on pages with the same header.
    void printBudget();

    const ReportLayout& layout() const { return layout_; }
    // The number the next page will carry.
    int pageCounter() const { return pageCounter_; }
    bool stopped() const { return stopped_; }
    PrintReport report() const;

  private:
    enum class PageNumberMeasure { Heading, Small };

    // Before every page: false when the job is to stop (the feedback asks it, or the page limit
    // is reached).
    bool goOn();
    void stop(Outcome why);
    // Ejects the page being drawn when one has been printed; false when the job is to stop.
    bool startPage();
    // The page being started, to the feedback.
    void tellPage();
    void noteDrawing(const PlotReport& report, TrackReport& kept);
    // Header of a text page: "VELKOR : name" and the page number on line 2, the title on line 5,
    // the column heading (if any) on line 7. Takes the counter's number and moves the counter on.
    void pageHeader(PageNumberMeasure measure, std::string_view title, std::string_view columnHeading);
    void pageNumber(PageNumberMeasure measure);
    void firstGeneralPage();
    // The report's first page says so when the results no longer answer the problem: on the
    // general data page below the title, on any other first page between its header lines.
    void markResultsOutOfDate(int line);
    // Moves down linesBefore lines, or to a new page headed "General Data" when fewer than ten
    // lines are left, and writes the section's title and column heading; false when the job
    // stopped.
    bool openSection(const char* title, const char* columnHeading, int linesBefore);
    // The last line of the page is taken.
    bool pageFull() const;
    // A row of a general data section, on a new page headed with the section's title when this
    // one is full; false when the job stopped.
    bool rowInSection(const char* title, const std::string& row);
    // A row of a list page, with the list header on every new page; false when the job stopped.
    bool listRow(const char* title, const char* columnHeading, PageNumberMeasure measure,
                 const std::string& row);
    void writeLine(int line, std::string_view text);

    const Problem& problem_;
    PageSink& sink_;
    Canvas& canvas_;
    PlotCallbacks callbacks_;
    ReportLayout layout_;
    int pageCounter_ = 1;
    int pageLimit_ = 0;
    int plannedPages_ = 0;
    int line_ = 0;          // the next line to write on
    int firstFreeLine_ = 0; // below the header of the page being written
    bool stopped_ = false;
    bool outOfDateMarked_ = false;
    PrintReport report_;
};

// How many pages the chosen items take on the sink (whose document has been begun): the general
// data counted by a run of its layout that draws nothing, the lists by their rows per page, one
// page for each drawing.
int32_t plannedPages(const Problem& problem, PageSink& sink, const OptionSettings& options);

// The chosen items in their fixed order (general data, nodes, elements, mesh, contours, 3D, budget), on a
// document the caller has begun and ends. The graphs take the print scale and the 3D choices of
// the options. With a feedback, the progress counts the pages against plannedPages.
PrintReport printReportItems(const Problem& problem, PageSink& sink, const OptionSettings& options,
                             const PlotCallbacks& callbacks = {}, int pageLimit = 0);

// A whole job: begins the document, prints the chosen items, ends the document (also after a
// cancel, with the pages printed so far). With no item chosen the document has no content.
PrintReport printReport(const Problem& problem, PageSink& sink, const OptionSettings& options,
                        const PlotCallbacks& callbacks = {});

} // namespace velkor
