// The Print and Print Preview commands from their button and menu items, with the print dialog
// answered by the script: a PDF file stands for the printer the user chose.
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <filesystem>
#include <string>

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

TEST_F(PrintCommand, PdfPrinterGetsTheChosenItemsWithTheWaitingPanelUpMeanwhile) {
    openFile(exampleOrTestFile("Val1.fem", "ui_square.fem"));
    app->options.CheckNodes = true;
    app->options.CheckMesh = true;
    const std::string path = scratchFile("printed.pdf");
    dialogs.printAnswers.push_back(path);
    // Runs at the first moment the print lets the event loop work, before the first page.
    bool panelShown = false;
    QTimer::singleShot(0, &main(), [&] { panelShown = main().PanelWait->isVisible(); });
    click(main().SpeedButtonPrint);

    EXPECT_TRUE(panelShown);
    EXPECT_FALSE(main().PanelWait->isVisible());
    EXPECT_TRUE(dialogs.messages.empty());
    const std::string text = pdfText(path);
    // General data, the node list and the mesh, numbered on from page to page.
    const int pages = pageCount(text);
    EXPECT_GT(pages, 3);
    EXPECT_NE(text.find("VELKOR -- Finite Element Method for Plane Groundwater Flow"), std::string::npos);
    EXPECT_EQ(occurrences(text, "Data of Nodes"), pages - 2);
    EXPECT_GT(text.find("Mesh of Finite Elements"), text.rfind("Data of Nodes"));
    EXPECT_NE(text.find("Page " + std::to_string(pages)), std::string::npos);
    EXPECT_EQ(text.find("Page " + std::to_string(pages + 1)), std::string::npos);
    // A PDF file written says so, with its name.
    EXPECT_EQ(main().StatusLine->text(), QStringLiteral("The report was written to ") +
                                             QString::fromLocal8Bit(path.c_str()) + QStringLiteral("."));

    // The menu item runs the same command.
    std::filesystem::remove(path);
    dialogs.printAnswers.push_back(path);
    choose(main().Print1);
    EXPECT_EQ(dialogs.printRequests, 2);
    EXPECT_TRUE(std::filesystem::exists(path));
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

