// The report's pages on a recording canvas: an 800 x 1120 page with the recording metrics (a text
// of n characters is n x 5.6 wide in 8 pt, n x 7 in 10 pt; lines of 16 in 8 pt) has a line height
// of 16, a left margin of 80 and 1120 / 16 - 4 = 66 lines per page.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "model/number_text.h"
#include "print/report_pages.h"
#include "results/recording_canvas.h"

namespace velkor {
namespace {

constexpr int kLine = 16;
constexpr int kLinesPerPage = 66;
constexpr int kLeft = 80;
// "Page 9999" ends the page number at x 800 - 63 measured in FontBold, 800 - 50 in FontSmallBold.
constexpr int kNumberXHeading = 737;
constexpr int kNumberXSmall = 750;

class PageRecorder : public PageSink {
  public:
    RecordingCanvas recording;
    int width = 800, height = 1120;
    bool begun = false, ended = false;
    bool beginDocument() override { return begun = true; }
    void newPage() override { recording.calls.push_back("newpage"); }
    void endDocument() override { ended = true; }
    int pageWidth() const override { return width; }
    int pageHeight() const override { return height; }
    Canvas& canvas() override { return recording; }
};

struct PrintedText {
    int page = 0; // 1-based page of the document
    int x = 0, y = 0;
    std::string text;
};

std::vector<PrintedText> textsOf(const RecordingCanvas& canvas) {
    std::vector<PrintedText> texts;
    int page = 1;
    for (const std::string& call : canvas.calls) {
        if (call == "newpage") {
            ++page;
        } else if (call.rfind("text ", 0) == 0) {
            PrintedText t;
            t.page = page;
            char* end = nullptr;
            t.x = static_cast<int>(std::strtol(call.c_str() + 5, &end, 10));
            t.y = static_cast<int>(std::strtol(end, &end, 10));
            const std::size_t bar = call.find('|');
            t.text = call.substr(bar + 1, call.size() - bar - 2);
            texts.push_back(t);
        }
    }
    return texts;
}

// Line of the first text equal to what on the given page (-1 when absent).
int lineOf(const std::vector<PrintedText>& texts, const std::string& what, int page = 1) {
    for (const PrintedText& t : texts)
        if (t.page == page && t.text == what) return t.y / kLine;
    return -1;
}

int pageOf(const std::vector<PrintedText>& texts, const std::string& what) {
    for (const PrintedText& t : texts)
        if (t.text == what) return t.page;
    return -1;
}

// The default problem in tables of room enough for the larger tests.
void defaultProblem(Problem& problem) {
    problem.allocateTables(Limits{48, 2000, 2000, 10});
    problem.resetToDefaultProblem();
    problem.buildColoursAndDefaultSoils();
}

// count main nodes (all nodes main nodes), node k at (k, 2k) with head 10 + k.
void mainNodes(Problem& problem, int count) {
    problem.NA = problem.NN = count;
    for (int k = 0; k < count; ++k)
        problem.nodes[static_cast<std::size_t>(k)] = Node{double(k), 2.0 * k, 0, 10, 10.0 + k, 0, 0, 1, 0};
}

// The row of main node k (1-based) as mainNodes makes it.
std::string mainNodeRow(int k) {
    return format("%8d %15.3f %15.3f %10.3f %10.3f %10.3f %10.3f %4d", k, k - 1.0, 2.0 * (k - 1), 0.0, 10.0,
                  9.0 + k, 0.0, 1);
}

// The text that starts at x on the line of page 1, if any.
std::string textAt(const std::vector<PrintedText>& texts, int x, int line) {
    for (const PrintedText& t : texts)
        if (t.page == 1 && t.x == x && t.y == line * kLine) return t.text;
    return {};
}

OptionSettings only(bool general, bool nodes, bool elements = false, bool mesh = false) {
    OptionSettings options;
    options.CheckGeneral = general;
    options.CheckNodes = nodes;
    options.CheckElements = elements;
    options.CheckMesh = mesh;
    return options;
}

std::vector<PrintedText> printed(Problem& problem, const OptionSettings& options, PageRecorder& sink) {
    printReport(problem, sink, options);
    return textsOf(sink.recording);
}

TEST(GeneralData, FirstPageLineByLine) {
    Problem problem;
    defaultProblem(problem);
    PageRecorder sink;
    const std::vector<PrintedText> texts = printed(problem, only(true, false), sink);
    EXPECT_TRUE(sink.begun && sink.ended);

    ASSERT_GE(texts.size(), 4u);
    EXPECT_EQ(texts[0].text, "VELKOR -- Finite Element Method for Plane Groundwater Flow");
    EXPECT_EQ(texts[0].y, 2 * kLine);
    EXPECT_EQ(texts[0].x, kLeft);
    EXPECT_EQ(texts[1].text, "Page 1");
    EXPECT_EQ(texts[1].x, kNumberXHeading);
    EXPECT_EQ(texts[1].y, 2 * kLine);
    EXPECT_EQ(texts[2].text, attributionLine());
    EXPECT_EQ(texts[2].y, 4 * kLine);
    EXPECT_NE(attributionLine().find("VELKOR "), std::string::npos);
    EXPECT_EQ(lineOf(texts, "Students of Geotechnics, Default Datafile"), 6);
    EXPECT_EQ(lineOf(texts, "General Data"), 9);

    // Labels at the margin, values after "Number of Main Nodes  ".
    EXPECT_EQ(lineOf(texts, "User Name"), 12);
    EXPECT_EQ(lineOf(texts, "Number of Elements"), 23);
    const int valueX = kLeft + 22 * 56 / 10;
    EXPECT_EQ(textAt(texts, valueX, 12), ": Students of Geotechnics");
    EXPECT_EQ(textAt(texts, valueX, 15), ": 2000");
    EXPECT_EQ(textAt(texts, valueX, 21), ": 365");
    EXPECT_EQ(textAt(texts, valueX, 23), ": 1");

    // Two lines on, the main nodes; one line before each later section.
    EXPECT_EQ(lineOf(texts, "Main Nodes"), 26);
    EXPECT_EQ(lineOf(texts, "     Node          X (m)           Y (m)      B (m)      T (m)      F (m)     "
                            "Q (m\xB3/d) Type"),
              28);
    EXPECT_EQ(lineOf(texts, "       1           0.000           0.000      0.000     10.000     20.000      "
                            "0.000    1"),
              30);
    EXPECT_EQ(lineOf(texts, "       3         500.000           0.000      0.000     10.000     10.000      "
                            "0.000    0"),
              32);
    EXPECT_EQ(lineOf(texts, "Blocks"), 34);
    EXPECT_EQ(lineOf(texts, "       1        1        2        3        1 "), 38);
    EXPECT_EQ(lineOf(texts, "Soils"), 40);
    EXPECT_EQ(lineOf(texts, "       1     1.000000     0.400000     1.000000     0.000000 "), 44);
    // No wells, no particles: nothing after the soils, and one page.
    EXPECT_EQ(lineOf(texts, "Wells"), -1);
    EXPECT_EQ(lineOf(texts, "Particles"), -1);
    EXPECT_EQ(texts.back().page, 1);
}

TEST(GeneralData, WarningPushesThePageDownThreeLines) {
    Problem problem;
    defaultProblem(problem);
    problem.warning = true;
    PageRecorder sink;
    const std::vector<PrintedText> texts = printed(problem, only(true, false), sink);
    EXPECT_EQ(lineOf(texts, "Warning : Water level locally below bottom of aquifer. Results invalid."), 9);
    EXPECT_EQ(lineOf(texts, "General Data"), 12);
    EXPECT_EQ(lineOf(texts, "User Name"), 15);
    EXPECT_EQ(lineOf(texts, "Main Nodes"), 29);
    EXPECT_EQ(lineOf(texts, "Soils"), 43);
}

TEST(GeneralData, WellsAndParticlesSectionsWithTheirRows) {
    Problem problem;
    defaultProblem(problem);
    problem.NW = 1;
    problem.wellNodes[0] = 2;
    problem.wellQ[0] = -50;
    problem.NP = 2;
    problem.particles[0] = Particle{100, 50, 5, -1};
    problem.particles[1] = Particle{200, 60, 7.5, -1};
    PageRecorder sink;
    const std::vector<PrintedText> texts = printed(problem, only(true, false), sink);
    EXPECT_EQ(lineOf(texts, "Wells"), 46);
    EXPECT_EQ(lineOf(texts, "     Well     Node    F (m)       Q (m\xB3/d)    Type"), 48);
    EXPECT_EQ(lineOf(texts, "       1        3    10.000000   -50.000000    0 "), 50);
    EXPECT_EQ(lineOf(texts, "Particles"), 52);
    EXPECT_EQ(lineOf(texts, "   Particle   X (m)        Y (m)        Z (m)"), 54);
    EXPECT_EQ(lineOf(texts, "       1   100.000000    50.000000     5.000000 "), 56);
    EXPECT_EQ(lineOf(texts, "       2   200.000000    60.000000     7.500000 "), 57);
}

TEST(GeneralData, SectionStartsOnANewPageBelowTenLinesFromTheEnd) {
    // 25 main nodes: rows on lines 30..54, the blocks title on 56 = lines per page - 10: it stays.
    Problem problem;
    defaultProblem(problem);
    mainNodes(problem, 25);
    PageRecorder fits;
    std::vector<PrintedText> texts = printed(problem, only(true, false), fits);
    EXPECT_EQ(lineOf(texts, "Blocks"), kLinesPerPage - 10);
    EXPECT_EQ(pageOf(texts, "Blocks"), 1);

    // One more pushes it to 57: a new page headed "General Data", the section title on line 8.
    mainNodes(problem, 26);
    PageRecorder moves;
    texts = printed(problem, only(true, false), moves);
    EXPECT_EQ(pageOf(texts, "Blocks"), 2);
    EXPECT_EQ(lineOf(texts, "Blocks", 2), 8);
    EXPECT_EQ(lineOf(texts, "VELKOR : Default Datafile", 2), 2);
    EXPECT_EQ(lineOf(texts, "General Data", 2), 5);
    EXPECT_EQ(lineOf(texts, "Page 2", 2), 2);
    for (const PrintedText& t : texts)
        if (t.text == "Page 2") {
            EXPECT_EQ(t.x, kNumberXSmall);
        }
    EXPECT_EQ(lineOf(texts, "    Block   Node 1   Node 2   Node 3     Soil", 2), 10);
}

TEST(GeneralData, RowsContinueUnderAHeaderNamingTheirSection) {
    // 40 main nodes: rows from line 30; node 36 fills line 65, node 37 goes to line 8 of page 2.
    Problem problem;
    defaultProblem(problem);
    mainNodes(problem, 40);
    PageRecorder sink;
    const std::vector<PrintedText> texts = printed(problem, only(true, false), sink);
    EXPECT_EQ(lineOf(texts, mainNodeRow(36)), kLinesPerPage - 1);
    EXPECT_EQ(pageOf(texts, mainNodeRow(37)), 2);
    EXPECT_EQ(lineOf(texts, mainNodeRow(37), 2), 8);
    EXPECT_EQ(lineOf(texts, "Main Nodes", 2), 5);
    EXPECT_EQ(lineOf(texts, "Page 2", 2), 2);
    // No column heading repeated on the continuation page.
    for (const PrintedText& t : texts)
        if (t.page == 2) {
            EXPECT_EQ(t.text.find("X (m)"), std::string::npos) << t.text;
        }
}

TEST(NodeList, StartsOnPageOneWithoutGeneralDataAndRepeatsItsHeader) {
    Problem problem;
    defaultProblem(problem);
    mainNodes(problem, 120);
    PageRecorder sink;
    const std::vector<PrintedText> texts = printed(problem, only(false, true), sink);
    ASSERT_FALSE(sink.recording.calls.empty());
    // No ejected empty page first.
    int newPages = 0;
    for (const std::string& call : sink.recording.calls)
        newPages += call == "newpage";
    // 57 rows a page (lines 9..65): 120 nodes on three pages.
    EXPECT_EQ(newPages, 2);
    for (int page = 1; page <= 3; ++page) {
        EXPECT_EQ(lineOf(texts, "VELKOR : Default Datafile", page), 2);
        EXPECT_EQ(lineOf(texts, "Page " + std::to_string(page), page), 2);
        EXPECT_EQ(lineOf(texts, "Data of Nodes", page), 5);
        EXPECT_EQ(lineOf(texts,
                         "     Node          X (m)           Y (m)      B (m)      T (m)      F (m)     "
                         "Q (m\xB3/d) Type",
                         page),
                  7);
    }
    for (const PrintedText& t : texts)
        if (t.text == "Page 1") {
            EXPECT_EQ(t.x, kNumberXSmall);
        }
    EXPECT_EQ(lineOf(texts, mainNodeRow(57)), kLinesPerPage - 1);
    EXPECT_EQ(lineOf(texts, mainNodeRow(58), 2), 9);
}

TEST(Report, PageNumbersRunOnAcrossTheItemsInTheirOrder) {
    Problem problem;
    defaultProblem(problem);
    OptionSettings all;
    all.CheckNodes = all.CheckElements = all.CheckMesh = all.CheckContours = all.Check3D = true;
    all.CheckBudget = true;
    PageRecorder sink;
    const PrintReport outcome = printReport(problem, sink, all);
    EXPECT_EQ(outcome.result.outcome, Outcome::Done);
    EXPECT_EQ(outcome.pages, 7);
    const std::vector<PrintedText> texts = textsOf(sink.recording);
    const char* titles[] = {"General Data",
                            "Data of Nodes",
                            "Data of Elements",
                            "Mesh of Finite Elements",
                            "Contours of Groundwater Head",
                            "Three Dimensional Graph of Groundwater Head",
                            "Water Budget"};
    for (int page = 1; page <= 7; ++page) {
        EXPECT_EQ(lineOf(texts, "Page " + std::to_string(page), page), 2) << page;
        EXPECT_EQ(pageOf(texts, titles[page - 1]), page) << titles[page - 1];
    }
    // The element list: its number measured in FontBold, rows without a trailing blank.
    for (const PrintedText& t : texts)
        if (t.text == "Page 3") {
            EXPECT_EQ(t.x, kNumberXHeading);
        }
    EXPECT_EQ(lineOf(texts, "  Element   Node 1   Node 2   Node 3     Soil", 3), 7);
    EXPECT_EQ(lineOf(texts, "       1        1        2        3        1", 3), 9);

    // Each item alone: one page, its own.
    for (int item = 0; item < 7; ++item) {
        OptionSettings one = only(false, false);
        bool* const choices[] = {&one.CheckGeneral,  &one.CheckNodes, &one.CheckElements, &one.CheckMesh,
                                 &one.CheckContours, &one.Check3D,    &one.CheckBudget};
        *choices[item] = true;
        PageRecorder alone;
        EXPECT_EQ(printReport(problem, alone, one).pages, 1) << titles[item];
        EXPECT_EQ(pageOf(textsOf(alone.recording), titles[item]), 1) << titles[item];
    }

    // Nothing chosen: an empty job, begun and ended.
    PageRecorder empty;
    OptionSettings none = only(false, false);
    EXPECT_EQ(printReport(problem, empty, none).pages, 0);
    EXPECT_TRUE(empty.begun && empty.ended);
    EXPECT_TRUE(empty.recording.calls.empty() || textsOf(empty.recording).empty());
}

OptionSettings budgetOnly() {
    OptionSettings options = only(false, false);
    options.CheckBudget = true;
    return options;
}

TEST(BudgetPage, ConventionUnderTheTitleThenTheSections) {
    // The default problem with the discharges of a solve written by hand: the two prescribed
    // nodes, joined by a side, take 3 m3/d in at node 1 and give 1 m3/d out at node 2.
    Problem problem;
    defaultProblem(problem);
    problem.nodes[0].Q = 3;
    problem.nodes[1].Q = -1;
    problem.nodes[2].Q = -2;
    PageRecorder sink;
    const std::vector<PrintedText> texts = printed(problem, budgetOnly(), sink);
    EXPECT_EQ(lineOf(texts, "VELKOR : Default Datafile"), 2);
    EXPECT_EQ(lineOf(texts, "Page 1"), 2);
    EXPECT_EQ(lineOf(texts, "Water Budget"), 5);
    EXPECT_EQ(lineOf(texts, "Flows in m\xB3/d, counted as they enter (In) or leave (Out) the aquifer."), 7);
    EXPECT_EQ(lineOf(texts, "Boundaries: prescribed heads joined by element sides"), 9);
    EXPECT_EQ(lineOf(texts, "      1      2  x 0.0, y 0.0\x96"
                            "500.0                 20.000            3.000000       1.000000"),
              12);
    // Headings take two lines, as the section titles of the general data.
    EXPECT_EQ(lineOf(texts, "Wells"), 15);
    EXPECT_EQ(lineOf(texts, "Totals"), 27);
    // The budget is out by the 2 m3/d that node 3 takes without a well or infiltration: 100 %.
    EXPECT_EQ(lineOf(texts, "  Discrepancy (%)                                                         100"),
              31);
    EXPECT_EQ(texts.back().page, 1);
}

TEST(BudgetPage, WithoutSolutionSaysSolveFirstAndOutOfDateResultsSaySo) {
    Problem problem;
    defaultProblem(problem);
    problem.nodes[1].F = 15; // two prescribed heads: water would flow, and no Q shows a solve
    PageRecorder sink;
    std::vector<PrintedText> texts = printed(problem, budgetOnly(), sink);
    EXPECT_EQ(lineOf(texts, "Solve first."), 9);
    EXPECT_EQ(lineOf(texts, "Wells"), -1);

    problem.nodes[0].Q = 1;
    problem.resultsOutOfDate = true;
    PageRecorder stale;
    texts = printed(problem, budgetOnly(), stale);
    EXPECT_EQ(lineOf(texts, "Results out of date: solve again"), 9);
    EXPECT_EQ(lineOf(texts, "Boundaries: prescribed heads joined by element sides"), 12);
}

TEST(BudgetPage, LongListsGoOnUnderTheSameHeader) {
    // 80 prescribed main nodes in no element: 80 groups of one node, rows from line 12 on.
    Problem problem;
    defaultProblem(problem);
    mainNodes(problem, 80);
    problem.NM = 0;
    for (int k = 0; k < 80; ++k)
        problem.nodes[static_cast<std::size_t>(k)].Q = 1;
    PageRecorder sink;
    const std::vector<PrintedText> texts = printed(problem, budgetOnly(), sink);
    // Lines 12 .. 65 take groups 1 .. 54; group 55 opens page 2 on line 9, group 56 follows.
    EXPECT_EQ(pageOf(texts, "Page 2"), 2);
    EXPECT_EQ(lineOf(texts, "Water Budget", 2), 5);
    EXPECT_EQ(lineOf(texts, "Flows in m\xB3/d, counted as they enter (In) or leave (Out) the aquifer.", 2),
              7);
    int row56 = -1;
    for (const PrintedText& t : texts)
        if (t.text.rfind("     56      1  x 55.0, y 110.0", 0) == 0) row56 = t.page * 100 + t.y / kLine;
    EXPECT_EQ(row56, 210);
}

TEST(MeshPage, BoxAtFiveEleventhsOfThePageAndTheMeshInItsProportions) {
    Problem problem;
    defaultProblem(problem);
    const MeshPageView view = meshPageView(problem, 800, 1120, printScaleFactor(5));
    // 363 x 509 centred; margins 14 and 20; inner 335 x 469; one scale 0.67 for both axes.
    EXPECT_EQ(view.boxWidth, 363);
    EXPECT_EQ(view.boxHeight, 509);
    EXPECT_EQ(view.boxLeft, 218);
    EXPECT_EQ(view.boxTop, 305);
    EXPECT_EQ(view.innerWidth, 335);
    EXPECT_EQ(view.innerHeight, 469);
    EXPECT_DOUBLE_EQ(view.scale, 0.67);
    ASSERT_TRUE(view.valid);

    PageRecorder sink;
    printReport(problem, sink, only(false, false, false, true));
    const std::vector<std::string>& calls = sink.recording.calls;
    std::size_t polygon = 0;
    while (polygon < calls.size() && calls[polygon].rfind("polygon", 0) != 0)
        ++polygon;
    ASSERT_LT(polygon, calls.size());
    // The plan is limited by the height: x centred (335 / 0.67 lands a hair above 500, so the
    // left corners fall just short of 232), y from the inner box's bottom (794).
    EXPECT_EQ(calls[polygon], "polygon 231 727 231 392 567 727");
    // Filled with the block's colour: blue 8, green 8, red 240.
    EXPECT_EQ(calls[polygon - 1], "brush 240,8,8");
}

TEST(MeshPage, WithoutExtentOrScaleNothingIsDrawnButTheHeader) {
    Problem problem;
    defaultProblem(problem);
    // Scale 0: an empty box.
    OptionSettings zero = only(false, false, false, true);
    zero.GraphScale = 0;
    PageRecorder empty;
    printReport(problem, empty, zero);
    for (const std::string& call : empty.recording.calls)
        EXPECT_NE(call.rfind("polygon", 0), 0u);
    EXPECT_EQ(lineOf(textsOf(empty.recording), "Mesh of Finite Elements"), 5);
    EXPECT_FALSE(meshPageView(problem, 800, 1120, 0).valid);

    // All nodes on one vertical line: the other direction gives the scale, the line is centred.
    for (int k = 0; k < 3; ++k)
        problem.nodes[static_cast<std::size_t>(k)].X = 100;
    const MeshPageView line = meshPageView(problem, 800, 1120, printScaleFactor(5));
    ASSERT_TRUE(line.valid);
    CanvasPoint p;
    ASSERT_TRUE(line.map(100, 0, p));
    EXPECT_EQ(p.x, 218 + 14 + 335 / 2);

    // All nodes on one point: no scale at all.
    for (int k = 0; k < 3; ++k)
        problem.nodes[static_cast<std::size_t>(k)].Y = 0;
    EXPECT_FALSE(meshPageView(problem, 800, 1120, printScaleFactor(5)).valid);
}

// Stops the job when asked the given time.
class StopAfter : public Feedback {
  public:
    explicit StopAfter(int questions) : left_(questions) {}
    bool cancelRequested() override { return --left_ < 0; }

  private:
    int left_;
};

TEST(Report, StopsBetweenPagesWhenAskedOrAtItsPageLimit) {
    Problem problem;
    defaultProblem(problem);
    mainNodes(problem, 300); // six node pages
    StopAfter stop(3);
    PlotCallbacks callbacks;
    callbacks.feedback = &stop;
    PageRecorder asked;
    PrintReport outcome = printReport(problem, asked, only(false, true), callbacks);
    EXPECT_EQ(outcome.result.outcome, Outcome::Cancelled);
    EXPECT_EQ(outcome.pages, 3);
    EXPECT_TRUE(asked.ended);
    EXPECT_EQ(pageOf(textsOf(asked.recording), "Page 4"), -1);

    PageRecorder limited;
    ASSERT_TRUE(limited.beginDocument());
    outcome = printReportItems(problem, limited, only(true, true), {}, 2);
    EXPECT_EQ(outcome.result.outcome, Outcome::LimitReached);
    EXPECT_EQ(outcome.pages, 2);
}

// The pages a job will take are known before it starts, so that its progress can say how much is
// printed: page k of n, and the share of the pages done.
class PageProgress : public Feedback {
  public:
    std::vector<Progress> pages;
    void progress(const Progress& progress) override {
        if (progress.stage == Stage::Printing) pages.push_back(progress);
    }
};

TEST(Report, ProgressCountsThePagesItPlanned) {
    Problem problem;
    defaultProblem(problem);
    mainNodes(problem, 300); // general data over several pages, six node pages
    problem.NM = 0;
    struct Case {
        OptionSettings options;
        int height;
    };
    OptionSettings all = only(true, true, true, true);
    all.CheckContours = all.Check3D = true;
    for (const Case& c :
         {Case{only(true, false), 1120}, Case{only(true, true), 1120}, Case{only(false, true), 1120},
          Case{all, 1120}, Case{all, 400}, Case{only(false, false), 1120}}) {
        PageRecorder sink;
        sink.height = c.height;
        ASSERT_TRUE(sink.beginDocument());
        const int32_t planned = plannedPages(problem, sink, c.options);
        PageProgress progress;
        PlotCallbacks callbacks;
        callbacks.feedback = &progress;
        const PrintReport outcome = printReportItems(problem, sink, c.options, callbacks);
        EXPECT_EQ(planned, outcome.pages);
        ASSERT_EQ(progress.pages.size(), static_cast<std::size_t>(outcome.pages));
        for (std::size_t k = 0; k < progress.pages.size(); ++k) {
            EXPECT_EQ(progress.pages[k].page, static_cast<int32_t>(k + 1));
            EXPECT_EQ(progress.pages[k].pages, planned);
            EXPECT_EQ(progress.pages[k].percent,
                      static_cast<int32_t>(100 * k / static_cast<std::size_t>(planned)));
        }
    }
}

TEST(Report, TinyPageStillBreaksEveryRow) {
    // Lines per page below the first free line: one row on every page instead of running off it.
    Problem problem;
    defaultProblem(problem);
    PageRecorder sink;
    sink.height = 160; // 10 - 4 = 6 lines
    const PrintReport outcome = printReport(problem, sink, only(false, true));
    EXPECT_EQ(outcome.pages, 3);
}

} // namespace

// The contour page draws the heads on the lines when Label contours is checked and a scale when
// Scale bar is: each box its own addition.
TEST(Report, ContourPageLabelsAndScaleBarFollowTheirOwnBoxes) {
    Problem problem;
    defaultProblem(problem);
    auto contourTexts = [&](bool labels, bool scaleBar) {
        OptionSettings options = only(false, false);
        options.CheckContours = true;
        options.CheckLabelContours = labels;
        options.CheckScaleBar = scaleBar;
        PageRecorder sink;
        EXPECT_EQ(printReport(problem, sink, options).result.outcome, Outcome::Done);
        std::vector<std::string> texts;
        for (const PrintedText& t : textsOf(sink.recording))
            texts.push_back(t.text);
        return texts;
    };
    const std::vector<std::string> plain = contourTexts(false, false);
    const std::vector<std::string> labelled = contourTexts(true, false);
    const std::vector<std::string> scaled = contourTexts(false, true);
    auto metres = [](const std::vector<std::string>& texts) {
        return std::count_if(texts.begin(), texts.end(),
                             [](const std::string& t) { return t.ends_with(" m"); });
    };
    EXPECT_GT(labelled.size(), plain.size());
    EXPECT_EQ(metres(labelled), metres(plain)); // labels are heads, without a unit
    EXPECT_GT(metres(scaled), metres(plain));   // the scale says its length in metres
    EXPECT_NE(scaled, labelled);
}

} // namespace velkor
