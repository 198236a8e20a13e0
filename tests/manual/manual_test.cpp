// The manual: which sections and figures stand on each page and sheet, the lines themselves, and
// where they are placed on screen and on paper.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "default_problem.h"
#include "editors/editor_drawing.h"
#include "editors/view_mapping.h"
#include "manual/manual_figures.h"
#include "manual/manual_pages.h"
#include "manual/manual_text.h"
#include "results/recording_canvas.h"

using namespace velkor;
using namespace velkor::manual;

namespace {

std::vector<std::string> pageHeadings(int page) {
    std::vector<std::string> headings;
    for (int s : theManual().pages[static_cast<std::size_t>(page - 1)].sections)
        headings.push_back(theManual().sections[static_cast<std::size_t>(s)].heading);
    return headings;
}

// A sheet as a list of "heading" and "Figure n" entries, in print order.
std::vector<std::string> sheetContents(int sheet) {
    std::vector<std::string> contents;
    for (const SheetItem& item : theManual().sheets[static_cast<std::size_t>(sheet - 1)].items)
        contents.push_back(item.figure ? "Figure " + std::to_string(item.index)
                                       : theManual().sections[static_cast<std::size_t>(item.index)].heading);
    return contents;
}

// The same read back from a laid-out printed page: headings and figures ordered by height.
std::vector<std::string> laidOutContents(const LaidOutPage& page) {
    std::vector<std::pair<int, std::string>> entries;
    for (const PlacedText& text : page.texts)
        if (text.style == TextStyle::Heading) entries.emplace_back(text.y, text.text);
    for (const PlacedFigure& figure : page.figures)
        entries.emplace_back(figure.top, "Figure " + std::to_string(figure.figure));
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> contents;
    for (const auto& entry : entries)
        contents.push_back(entry.second);
    return contents;
}

const PlacedText* findText(const LaidOutPage& page, const std::string& text) {
    for (const PlacedText& placed : page.texts)
        if (placed.text == text) return &placed;
    return nullptr;
}

// A printed page 600 units to the inch on A4: text metrics of that size, so that the sheets come
// out as they do on paper.
RecordingCanvas paperCanvas() {
    RecordingCanvas canvas;
    canvas.charWidthPerPoint = 42;
    canvas.heightPerPoint = 96;
    return canvas;
}
constexpr int kA4Width = 4961, kA4Height = 7016;

class RecordingSink : public PageSink {
  public:
    bool refuse = false;
    int begun = 0, pagesStarted = 0, ended = 0;
    RecordingCanvas recording = paperCanvas();

    bool beginDocument() override {
        if (refuse) return false;
        ++begun;
        return true;
    }
    void newPage() override {
        ++pagesStarted;
        recording.calls.push_back("newpage");
    }
    void endDocument() override { ++ended; }
    int pageWidth() const override { return kA4Width; }
    int pageHeight() const override { return kA4Height; }
    Canvas& canvas() override { return recording; }
};

} // namespace

// ---- structure ------------------------------------------------------------------------------

TEST(ManualStructure, EveryPageCarriesItsHeadingsInOrder) {
    const std::vector<std::vector<std::string>> expected = {
        {"Introduction"},
        {"The aquifer", "Capacity"},
        {"Operation of the program", "File commands"},
        {"Help commands", "Installation Data"},
        {"General Data"},
        {"New", "Edit"},
        {"Print", "Options"},
        {"Properties", "Nodes"},
        {"Elements", "Mesh"},
        {"Wells", "Particles"},
        {"Solve", "Contours", "3D-Graph"},
        {"Validations", "Validation 1", "Validation 2", "Validation 3"},
        {"Literature"},
        {"Setting a side", "Water Budget", "Export"},
    };
    for (int page = 1; page <= kPageCount; ++page)
        EXPECT_EQ(pageHeadings(page), expected[page - 1]) << page;
    EXPECT_TRUE(theManual().pages[0].titleBlock);
}

TEST(ManualStructure, PagesTogetherHoldEverySectionOnceInReadingOrder) {
    std::vector<int> onPages;
    for (const ScreenPage& page : theManual().pages)
        onPages.insert(onPages.end(), page.sections.begin(), page.sections.end());
    std::vector<int> onSheets;
    for (const Sheet& sheet : theManual().sheets)
        for (const SheetItem& item : sheet.items)
            if (!item.figure) onSheets.push_back(item.index);
    std::vector<int> all(theManual().sections.size());
    for (std::size_t k = 0; k < all.size(); ++k)
        all[k] = static_cast<int>(k);
    EXPECT_EQ(onPages, all);
    EXPECT_EQ(onSheets, all);
}

TEST(ManualStructure, FiguresBesideThePages) {
    const std::vector<std::vector<int>> expected = {{1, 2}, {1, 2}, {3, 4}, {3, 4}, {4}, {5, 6}, {7},
                                                    {7},    {7},    {},     {},     {},  {},     {}};
    for (int page = 1; page <= kPageCount; ++page)
        EXPECT_EQ(theManual().pages[static_cast<std::size_t>(page - 1)].figures, expected[page - 1]) << page;
}

TEST(ManualStructure, SheetsBreakAtTheirOwnPlaces) {
    const std::vector<std::vector<std::string>> expected = {
        {"Introduction", "Figure 1"},
        {"The aquifer", "Figure 2", "Capacity"},
        {"Operation of the program", "Figure 3", "Figure 4"},
        {"File commands", "Help commands", "Installation Data", "General Data"},
        {"New", "Figure 5"},
        {"Edit", "Figure 6"},
        {"Print", "Options", "Properties"},
        {"Nodes", "Figure 7"},
        {"Elements", "Mesh", "Figure 7"},
        {"Wells", "Particles"},
        {"Solve", "Contours", "3D-Graph"},
        {"Validations", "Validation 1", "Validation 2", "Validation 3"},
        {"Literature"},
        {"Setting a side", "Water Budget", "Export"},
    };
    for (int sheet = 1; sheet <= kSheetCount; ++sheet)
        EXPECT_EQ(sheetContents(sheet), expected[sheet - 1]) << sheet;
}

// ---- the text -------------------------------------------------------------------------------

TEST(ManualText, LinesFitTheirBuffersAndAreSingleByteText) {
    const Manual& manual = theManual();
    EXPECT_EQ(manual.title.title, "VELKOR - Manual");
    EXPECT_LE(manual.title.attribution.size(), kTitleLineCapacity);
    EXPECT_LE(manual.sections.front().heading.size(), kTitleLineCapacity);
    int lines = 0;
    for (const Section& section : manual.sections) {
        EXPECT_FALSE(section.paragraphs.empty()) << section.heading;
        for (const Paragraph& paragraph : section.paragraphs)
            for (const std::string& line : paragraph.lines) {
                ++lines;
                EXPECT_LE(line.size(), kBodyLineCapacity) << line;
                EXPECT_FALSE(line.empty());
                EXPECT_NE(line.back(), ' ') << line;
                // Printable ASCII, or the superscripts and middle dot of "m³/d", "m²/d", "K·(T-B)",
                // or the en dash of a range ("0.0–100.0").
                for (const char c : line) {
                    const auto byte = static_cast<unsigned char>(c);
                    EXPECT_TRUE((byte >= 0x20 && byte < 0x7F) || byte == 0xB2 || byte == 0xB3 ||
                                byte == 0xB7 || byte == 0x96)
                        << "byte " << int(byte) << " in: " << line;
                }
            }
    }
    EXPECT_GT(lines, 200);
}

TEST(ManualText, FigureCaptionsOnScreenAndOnPaper) {
    EXPECT_EQ(figureCaption(1, false), "Figure 1 : Finite Element Mesh");
    EXPECT_EQ(figureCaption(2, false), "Figure 2 : Vertical cross section");
    EXPECT_EQ(figureCaption(7, true), "Figure 7 : Blocks and Elements.");
    EXPECT_EQ(figureCaption(8, false), "");
}

TEST(ManualText, PageListNumbersHeldToThePages) {
    EXPECT_EQ(clampedPage(0), 1);
    EXPECT_EQ(clampedPage(-7), 1);
    EXPECT_EQ(clampedPage(1), 1);
    EXPECT_EQ(clampedPage(13), 13);
    EXPECT_EQ(clampedPage(14), 14);
    EXPECT_EQ(clampedPage(20), 14);
}

// The worked numbers of the examples, as the manual states them, against the texts: a change of
// the examples must be carried into the manual.
TEST(ManualText, ValidationPagesStateTheWorkedNumbers) {
    std::string page12;
    for (int s : theManual().pages[11].sections)
        for (const Paragraph& paragraph : theManual().sections[static_cast<std::size_t>(s)].paragraphs)
            for (const std::string& line : paragraph.lines)
                page12 += line + "\n";
    for (const char* fact : {"gradient of 0.005", "specific discharge is 0.005 m/d", "0.0125 m/d",
                             "TM = 20000 d", "lie 250 m", "400 m from the left, where the level is 10 m"})
        EXPECT_NE(page12.find(fact), std::string::npos) << fact;
}

// ---- the page in the window -----------------------------------------------------------------

// RecordingCanvas metrics: 8 pt lines are 16 high (e = 16), 12 pt lines 24.
TEST(ManualScreenPage, TitleBlockAndLinesStandOnThePitch) {
    RecordingCanvas canvas;
    const LaidOutPage page = layoutScreenPage(canvas, 1, 770);
    ASSERT_GE(page.texts.size(), 5u);
    const int e = 16;
    EXPECT_EQ(page.texts[0].text, "VELKOR - Manual");
    EXPECT_EQ(page.texts[0].x, 13);
    EXPECT_EQ(page.texts[0].y, 43);
    EXPECT_EQ(page.texts[1].style, TextStyle::Attribution);
    EXPECT_EQ(page.texts[1].y, 43 + 2 * e);
    EXPECT_EQ(page.texts[2].text, "Introduction");
    EXPECT_EQ(page.texts[2].y, 43 + 4 * e);
    // First body line 2e below the heading, the next e lower.
    EXPECT_EQ(page.texts[3].y, 43 + 6 * e);
    EXPECT_EQ(page.texts[4].y, 43 + 7 * e);
    // The Introduction's first paragraph has five lines; the next starts trunc(1.4 e) = 22 lower.
    EXPECT_EQ(page.texts[7].y, 43 + 10 * e);
    EXPECT_EQ(page.texts[8].y, 43 + 10 * e + 22);
}

TEST(ManualScreenPage, NextHeadingTwoLinesBelowThePreviousParagraph) {
    RecordingCanvas canvas;
    const LaidOutPage page = layoutScreenPage(canvas, 2, 770);
    EXPECT_EQ(page.texts.front().text, "The aquifer");
    EXPECT_EQ(page.texts.front().y, 43);
    const PlacedText* capacity = findText(page, "Capacity");
    ASSERT_NE(capacity, nullptr);
    const PlacedText& lastOfAquifer = *(capacity - 1);
    EXPECT_EQ(capacity->y, lastOfAquifer.y + 32);
    EXPECT_EQ((capacity + 1)->y, capacity->y + 32);
}

TEST(ManualScreenPage, FigureColumnClearedAndFilledBelowTheColumnTop) {
    RecordingCanvas canvas;
    drawScreenPage(canvas, 6, 770);
    const std::vector<std::string>& calls = canvas.calls;
    const auto clear = std::find(calls.begin(), calls.end(), "rectangle 542 100 760 531");
    ASSERT_NE(clear, calls.end());
    EXPECT_EQ(*(clear - 1), "brush 0,255,255");
    const auto first = std::find(clear, calls.end(), "rectangle 542 100 760 266");
    const auto second = std::find(clear, calls.end(), "rectangle 542 332 760 498");
    EXPECT_NE(first, calls.end());
    EXPECT_NE(second, calls.end());
    // Captions centred 8 pixels below their boxes: "Figure 5 : New" is 14 x 5.6 = 78 pixels wide,
    // "Figure 6 : Edit" 84.
    EXPECT_NE(std::find(clear, calls.end(), "text 612 274 |Figure 5 : New|"), calls.end());
    EXPECT_NE(std::find(clear, calls.end(), "text 609 506 |Figure 6 : Edit|"), calls.end());
}

// Figure 5 once painted block 1 green where Edit Blocks paints it in the first colour of its table.
TEST(ManualFigures, NewBlockInTheColoursOfTheBlockEditor) {
    // The brush of the first filled triangle, and of the first text after it.
    auto firstFill = [](const std::vector<std::string>& calls, const char* what) {
        std::string brush;
        for (const std::string& call : calls) {
            if (call.starts_with("brush")) brush = call;
            if (call.starts_with(what)) return brush;
        }
        return std::string("none");
    };
    RecordingCanvas figure;
    drawManualFigure(figure, 5, 0, 0, 218, 166, Font{"Arial", 8, false, false});
    RecordingCanvas editor;
    const Problem problem = test::defaultProblem();
    drawBlockEditor(editor, problem, ViewMapping::compute(800, 600, problem.LX, problem.LY));
    const std::string block = firstFill(editor.calls, "polygon");
    EXPECT_NE(block, "brush 0,255,0");
    EXPECT_EQ(firstFill(figure.calls, "polygon"), block);
    // The node numbers stand on white, as in the editor.
    const std::vector<std::string> afterBlock(
        std::find_if(figure.calls.begin(), figure.calls.end(),
                     [](const std::string& c) { return c.starts_with("polygon"); }),
        figure.calls.end());
    EXPECT_EQ(firstFill(afterBlock, "text"), "brush 255,255,255");
}

TEST(ManualScreenPage, PagesWithoutFiguresOnlyClearTheColumn) {
    for (int page = 10; page <= 14; ++page) {
        RecordingCanvas canvas;
        drawScreenPage(canvas, page, 770);
        const auto clear = std::find(canvas.calls.begin(), canvas.calls.end(), "rectangle 542 100 760 531");
        ASSERT_NE(clear, canvas.calls.end()) << page;
        for (auto call = clear + 1; call != canvas.calls.end(); ++call)
            EXPECT_TRUE(call->starts_with("pen") || call->starts_with("brush") || call->starts_with("font"))
                << page << ": " << *call;
    }
}

// ---- the printed manual ---------------------------------------------------------------------

TEST(ManualPrinted, FourteenSheetsWithTheirHeaders) {
    RecordingCanvas canvas = paperCanvas();
    const std::vector<LaidOutPage> pages = layoutPrintedManual(canvas, kA4Width, kA4Height);
    ASSERT_EQ(pages.size(), 14u);
    const int a = 96, left = kA4Width / 4 / 2;
    // Sheet 1: title, attribution and the first heading on lines 4, 6 and 8, the body from 10.
    EXPECT_EQ(pages[0].texts[0].text, "VELKOR - Manual");
    EXPECT_EQ(pages[0].texts[0].y, 4 * a);
    EXPECT_EQ(pages[0].texts[0].x, left);
    EXPECT_EQ(pages[0].texts[1].y, 6 * a);
    EXPECT_EQ(pages[0].texts[2].text, "Introduction");
    EXPECT_EQ(pages[0].texts[2].y, 8 * a);
    EXPECT_EQ(pages[0].texts[3].y, 10 * a);
    EXPECT_EQ(findText(pages[0], "page 1"), nullptr);
    // The others: the header on line 4, "page N" four title widths (15 characters at 12 pt: 756)
    // right of the margin, the first heading on line 6.
    for (int sheet = 2; sheet <= 14; ++sheet) {
        const LaidOutPage& page = pages[static_cast<std::size_t>(sheet - 1)];
        EXPECT_EQ(page.number, sheet);
        EXPECT_EQ(page.texts[0].text, "VELKOR - Manual");
        EXPECT_EQ(page.texts[0].y, 4 * a);
        EXPECT_EQ(page.texts[1].text, "page " + std::to_string(sheet));
        EXPECT_EQ(page.texts[1].style, TextStyle::PageLabel);
        EXPECT_EQ(page.texts[1].x, left + 4 * 756);
        EXPECT_EQ(page.texts[1].y, 4 * a);
        EXPECT_EQ(page.texts[2].style, TextStyle::Heading);
        EXPECT_EQ(page.texts[2].y, 6 * a);
    }
    for (int sheet = 1; sheet <= 14; ++sheet)
        EXPECT_EQ(laidOutContents(pages[static_cast<std::size_t>(sheet - 1)]), sheetContents(sheet)) << sheet;
}

TEST(ManualPrinted, FiguresTwoThirdsAsHighAsWideWithTheirCaptions) {
    RecordingCanvas canvas = paperCanvas();
    const std::vector<LaidOutPage> pages = layoutPrintedManual(canvas, kA4Width, kA4Height);
    const int a = 96;
    // Sheet 3: the text, Figure 3 one empty line below it, Figure 4 two lines below its caption.
    const LaidOutPage& sheet = pages[2];
    ASSERT_EQ(sheet.figures.size(), 2u);
    const PlacedFigure& three = sheet.figures[0];
    EXPECT_EQ(three.left, 1240);
    EXPECT_EQ(three.width, 4961 - 2 * 1240);
    EXPECT_EQ(three.height, 2 * 2481 / 3);
    int lastTextLine = 0;
    for (const PlacedText& text : sheet.texts)
        if (text.style == TextStyle::Body) lastTextLine = std::max(lastTextLine, text.y / a);
    EXPECT_EQ(three.top, (lastTextLine + 2) * a);
    const PlacedText* caption = findText(sheet, "Figure 3 : Blocks.");
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->style, TextStyle::Caption);
    EXPECT_EQ(caption->x, 1240 + 2481 / 12);
    EXPECT_EQ(caption->y % a, 0);
    const int bottom = three.top + three.height;
    EXPECT_GE(caption->y, bottom + a);
    EXPECT_LT(caption->y, bottom + 2 * a);
    EXPECT_EQ(sheet.figures[1].top, caption->y + 2 * a);
    // On sheet 2 the text goes on two lines below the caption.
    const PlacedText* caption2 = findText(pages[1], "Figure 2 : Vertical cross section.");
    const PlacedText* capacity = findText(pages[1], "Capacity");
    ASSERT_NE(caption2, nullptr);
    ASSERT_NE(capacity, nullptr);
    EXPECT_EQ(capacity->y, caption2->y + 2 * a);
}

TEST(ManualPrinted, ShortPagesContinueTheSheetWithoutLosingALine) {
    RecordingCanvas canvas = paperCanvas();
    const int height = 30 * 96; // 26 lines of text
    const std::vector<LaidOutPage> pages = layoutPrintedManual(canvas, kA4Width, height);
    EXPECT_GT(pages.size(), 14u);
    std::vector<std::string> printed;
    for (std::size_t k = 0; k < pages.size(); ++k) {
        EXPECT_EQ(pages[k].number, static_cast<int>(k) + 1);
        if (k > 0) {
            EXPECT_EQ(pages[k].texts[1].text, "page " + std::to_string(k + 1));
        }
        for (const PlacedText& text : pages[k].texts) {
            EXPECT_LE(text.y, 26 * 96) << text.text;
            if (text.style == TextStyle::Body || text.style == TextStyle::Subheading)
                printed.push_back(text.text);
        }
    }
    std::vector<std::string> expected;
    for (const Section& section : theManual().sections)
        for (const Paragraph& paragraph : section.paragraphs)
            expected.insert(expected.end(), paragraph.lines.begin(), paragraph.lines.end());
    EXPECT_EQ(printed, expected);
}

TEST(ManualPrinted, PrintsOnePagePerSheetThroughTheSink) {
    RecordingSink sink;
    EXPECT_TRUE(printManual(sink).ok());
    EXPECT_EQ(sink.begun, 1);
    EXPECT_EQ(sink.pagesStarted, 13);
    EXPECT_EQ(sink.ended, 1);
    const std::string drawn = sink.recording.joined();
    EXPECT_NE(drawn.find("|Figure 7 : Blocks and Elements.|"), std::string::npos);
    EXPECT_NE(drawn.find("|page 14|"), std::string::npos);
}

// The font in force where a text was drawn, without its face: "|SIZE|bold-or-regular|italic-or-upright".
std::string fontOf(const std::vector<std::string>& calls, const std::string& text) {
    std::string font = "|none";
    for (const std::string& call : calls) {
        if (call.starts_with("font ")) font = call.substr(call.find('|'));
        if (call.starts_with("text ") && call.ends_with("|" + text + "|")) return font;
    }
    return "not drawn";
}

// Headings in 12 pt bold, the first line of a subheaded paragraph bold in the body's size, body
// lines and captions regular: on paper (10 pt body) and on the screen (8 pt).
TEST(ManualPrinted, SubheadingsBoldBodyRegularOnPaperAndOnScreen) {
    RecordingSink sink;
    ASSERT_TRUE(printManual(sink).ok());
    const std::vector<std::string>& paper = sink.recording.calls;
    EXPECT_EQ(fontOf(paper, "Introduction"), "|12|bold|upright");
    EXPECT_EQ(fontOf(paper, "Print Options"), "|10|bold|upright");
    EXPECT_EQ(fontOf(paper, "Figure 7 : Blocks and Elements."), "|10|regular|upright");

    // The title block: the title bold, the attribution under it bold and italic.
    RecordingCanvas screen;
    const LaidOutPage first = layoutScreenPage(screen, 1, 770);
    ASSERT_EQ(first.texts[1].style, TextStyle::Attribution);
    screen.calls.clear();
    drawScreenPage(screen, 1, 770);
    EXPECT_EQ(fontOf(screen.calls, first.texts[0].text), "|12|bold|upright");
    EXPECT_EQ(fontOf(screen.calls, first.texts[1].text), "|12|bold|italic");
    EXPECT_EQ(fontOf(paper, first.texts[1].text), "|12|bold|italic");

    for (int page = 1; page <= 14; ++page) {
        const LaidOutPage laid = layoutScreenPage(screen, page, 770);
        const PlacedText* subheading = findText(laid, "Print Options");
        if (!subheading) continue;
        screen.calls.clear();
        drawScreenPage(screen, page, 770);
        EXPECT_EQ(fontOf(screen.calls, subheading->text), "|8|bold|upright");
        EXPECT_EQ(fontOf(screen.calls, (subheading + 1)->text), "|8|regular|upright");
        return;
    }
    ADD_FAILURE() << "no page shows the subheading";
}

TEST(ManualPrinted, RefusedDocumentPrintsNothing) {
    RecordingSink sink;
    sink.refuse = true;
    const Result result = printManual(sink);
    EXPECT_EQ(result.outcome, Outcome::FileError);
    EXPECT_EQ(result.message, "The manual could not be printed.");
    EXPECT_TRUE(sink.recording.calls.empty());
    EXPECT_EQ(sink.ended, 0);
}
