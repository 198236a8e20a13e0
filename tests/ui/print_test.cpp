// The Print and Print Preview commands from their button and menu items, with the print dialog
// answered by the script: a PDF file stands for the printer the user chose.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "ui/options_window.h"
#include "ui/print_command.h"
#include "ui_support.h"

using namespace velkor;
using namespace velkor::testing;

namespace {

int pageCount(const std::string& text) {
    int pages = 0;
    for (const char c : text)
        pages += c == '\f';
    return pages;
}

int occurrences(const std::string& text, const std::string& what) {
    int count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// The title in the document's properties, as pdfinfo reads it.
std::string pdfTitle(const std::string& path) {
    std::string info;
    if (FILE* pipe = popen(("pdfinfo '" + path + "' 2>/dev/null").c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            info.append(buffer, n);
        pclose(pipe);
    }
    const std::size_t line = info.find("Title:");
    if (line == std::string::npos) return {};
    const std::size_t start = info.find_first_not_of(' ', line + 6);
    return info.substr(start, info.find('\n', start) - start);
}

// The text with every run of blanks made one: pdftotext places columns as it measures them.
std::string squeezed(const std::string& text) {
    std::string out;
    for (const char c : text)
        if (c != ' ' || out.empty() || out.back() != ' ') out += c;
    return out;
}

std::string scratchFile(const char* name) {
    return (std::filesystem::current_path() / name).string();
}

} // namespace

using PrintCommand = ProgramTest;

TEST_F(PrintCommand, CancelledDialogPrintsNothing) {
    openFile(exampleOrTestFile("Val1.fem", "ui_square.fem"));
    ASSERT_TRUE(main().SpeedButtonPrint->isEnabled());
    dialogs.printAnswers.push_back(std::nullopt);
    click(main().SpeedButtonPrint);
    EXPECT_EQ(dialogs.printRequests, 1);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(main().PanelWait->isVisible());
}

// Each item chosen alone by its own box in the Options window, printed through the Print button:
// a PDF file by its signature, holding that item's pages and no other's.
TEST_F(PrintCommand, EachBoxOfTheOptionsWindowPrintsItsOwnItem) {
    openFile(exampleOrTestFile("Val1.fem", "ui_square.fem"));
    dialogs.saveAnswers.push_back(std::nullopt); // the solved results are kept, not saved
    click(main().SpeedButtonCalc);
    ASSERT_EQ(dialogs.saveRequests.size(), 1u); // solved: the results are offered for saving
    click(main().SpeedButtonOptions);
    auto& options = static_cast<TFormOpt&>(app->window(WindowId::Options));
    ASSERT_TRUE(options.isVisible());
    QTest::mouseClick(options.CheckGeneral, Qt::LeftButton); // off: General Data is on at start
    const std::vector<std::string> headings = {
        "VELKOR -- Finite Element Method for Plane Groundwater Flow",
        "Data of Nodes",
        "Data of Elements",
        "Mesh of Finite Elements",
        "Contours of Groundwater Head and Pathlines of Particles",
        "Three Dimensional Graph of Groundwater Head and Pathlines of Particles",
        "Water Budget"};
    // A line of the first page that shows the item's content, not only its heading.
    const std::vector<std::string> firstPageLines = {
        "Number of Main Nodes  : 4",
        "       1           0.000           0.000       0.000   10.000   15.000",
        "  Element   Node 1   Node 2   Node 3     Soil",
        "VELKOR : Validation 1 : Linear confined flow",
        "Minimum Contour : 10 m, Maximum Contour : 14.8 m, Contour Interval : 0.3 m",
        "Minimum Contour : 10 m, Maximum Contour : 14.8 m, Contour Interval : 0.3 m",
        "  Total "};
    const std::vector<QCheckBox*> boxes = {options.CheckGeneral, options.CheckNodes,    options.CheckElements,
                                           options.CheckMesh,    options.CheckContours, options.Check3D,
                                           options.CheckBudget};
    ASSERT_GE(problem().NP, 2);
    for (std::size_t item = 0; item < boxes.size(); ++item) {
        // The pathlines of the contour and 3D pages start a particle above the water table at the
        // water table, and the particle table shows it afterwards.
        const bool tracks = boxes[item] == options.CheckContours || boxes[item] == options.Check3D;
        problem().particles[1].Z = 50;
        QTest::mouseClick(boxes[item], Qt::LeftButton, {}, QPoint(6, boxes[item]->height() / 2));
        const std::string path = scratchFile(("item" + std::to_string(item) + ".pdf").c_str());
        dialogs.printAnswers.push_back(path);
        bool panelShown = false;
        QTimer::singleShot(0, &main(), [&] { panelShown = main().PanelWait->isVisible(); });
        click(main().SpeedButtonPrint);
        QTest::mouseClick(boxes[item], Qt::LeftButton, {}, QPoint(6, boxes[item]->height() / 2));

        EXPECT_TRUE(panelShown) << item;
        EXPECT_FALSE(main().PanelWait->isVisible()) << item;
        EXPECT_EQ(problem().particles[1].Z < 15, tracks) << item;
        EXPECT_TRUE(fileStartsWith(path, "%PDF-")) << item;
        const std::string text = pdfText(path);
        const std::string firstPage = squeezed(text.substr(0, text.find('\f')));
        for (std::size_t other = 0; other < headings.size(); ++other)
            EXPECT_EQ(firstPage.find(headings[other]) != std::string::npos, other == item)
                << "item " << item << ", heading " << headings[other];
        EXPECT_NE(firstPage.find(squeezed(firstPageLines[item])), std::string::npos) << item << ":\n"
                                                                                     << firstPage;
        EXPECT_NE(firstPage.find("Page 1"), std::string::npos) << item;
        if (item == 0) {
            // The document's title names the program and the problem.
            EXPECT_EQ(pdfTitle(path), "VELKOR : " + problem().problemName);
            // Every count of the general data its own.
            const Problem& p = problem();
            ASSERT_NE(p.NW, p.NP);
            const std::pair<const char*, int32_t> counts[] = {
                {"Number of Main Nodes", p.NA}, {"Number of Blocks", p.NB}, {"Number of Wells", p.NW},
                {"Number of Particles", p.NP},  {"Number of Nodes", p.NN},  {"Number of Elements", p.NM}};
            for (const auto& [label, count] : counts)
                EXPECT_NE(firstPage.find(std::string(label) + " : " + std::to_string(count)),
                          std::string::npos)
                    << label;
        }
        if (item == 1) {
            // 1089 nodes, 79 to a page of the PDF printer, each page headed again and numbered.
            const int pages = pageCount(text);
            EXPECT_EQ(occurrences(text, "Data of Nodes"), pages);
            EXPECT_NE(text.find("Page " + std::to_string(pages)), std::string::npos);
        }
    }
    EXPECT_TRUE(dialogs.messages.empty());
    // A PDF file written says so, with its name; the menu item runs the same command.
    const std::string path = scratchFile("menu.pdf");
    dialogs.printAnswers.push_back(path);
    choose(main().Print1);
    EXPECT_EQ(main().StatusLine->text(), QStringLiteral("The report was written to ") +
                                             QString::fromLocal8Bit(path.c_str()) + QStringLiteral("."));
    EXPECT_TRUE(fileStartsWith(path, "%PDF-"));
}

TEST_F(PrintCommand, FailedPrinterSaysSoWithThePanelGone) {
    openFile(exampleOrTestFile("Val1.fem", "ui_square.fem"));
    dialogs.printAnswers.push_back(scratchFile("no-such-folder/printed.pdf"));
    bool panelAtMessage = true;
    dialogs.whileMessageOpen = [&](const std::string&) { panelAtMessage = main().PanelWait->isVisible(); };
    click(main().SpeedButtonPrint);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    // The program's line, then the system's reason.
    EXPECT_EQ(dialogs.messages[0], std::string(kReportNotPrinted) + "\nNo such file or directory");
    EXPECT_FALSE(panelAtMessage);
    EXPECT_FALSE(main().PanelWait->isVisible());
}

TEST_F(PrintCommand, ClosingTheWindowWhilePrintingEndsTheJobAndTheProgram) {
    openFile(exampleOrTestFile("Val1.fem", "ui_square.fem"));
    app->options.CheckNodes = true;
    app->options.CheckElements = true;
    dialogs.printAnswers.push_back(scratchFile("quit.pdf"));
    QTimer::singleShot(0, &main(), [&] { main().close(); });
    click(main().SpeedButtonPrint);
    EXPECT_EQ(endRequests, 1);
    EXPECT_TRUE(dialogs.messages.empty());
    // The job was aborted: a PDF file gets nothing.
    EXPECT_FALSE(std::filesystem::exists(scratchFile("quit.pdf")));
}

TEST_F(PrintCommand, PreviewDrawsTheSamePages) {
    openFile(exampleOrTestFile("Val1.fem", "ui_square.fem"));
    const std::string path = scratchFile("preview.pdf");
    dialogs.previewAnswers.push_back(path);
    main().PrintPreview1->trigger();
    EXPECT_EQ(dialogs.previewRequests, 1);
    EXPECT_EQ(dialogs.printRequests, 0);
    const std::string text = pdfText(path);
    EXPECT_EQ(pageCount(text), 1);
    EXPECT_NE(text.find("General Data"), std::string::npos);
    EXPECT_FALSE(main().PanelWait->isVisible());
}
