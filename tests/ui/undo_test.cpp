// Undo and Redo, the unsaved-changes question, the rebuild question of Edit Blocks and the mark of
// results that no longer answer the problem, driven through the real buttons, menu items, keys and
// close events, and checked in what the user sees: the title, the menu, the question, the panel
// and the files written.
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>

#include <filesystem>
#include <string>
#include <vector>

#include "editors_support.h"
#include "forms/mesh_tables.h"
#include "forms/property_tables.h"
#include "plots_support.h"
#include "tables_support.h"
#include "ui/contours_window.h"

using namespace velkor;
using namespace velkor::testing;

namespace {

class Undo : public TableWindows {
  protected:
    // A file `name` in a folder of its own per label, so that files saved at different moments
    // hold the same name line and compare byte for byte.
    std::string scratchIn(const std::string& folder, const char* name = "step.fem") {
        const std::filesystem::path directory = std::filesystem::current_path() / "undo_scratch" / folder;
        std::filesystem::create_directories(directory);
        return (directory / name).string();
    }
    // Saves through the Save button and returns the bytes written.
    std::string saveAs(const std::string& path) {
        dialogs.saveAnswers.push_back(path);
        click(main().SpeedButtonSave);
        return fileText(path);
    }
    QString title() { return main().windowTitle(); }
    void undo() { choose(main().Undo1); }
    void redo() { choose(main().Redo1); }
};

} // namespace

// Draw, split, add a well and fill a column; then back to the start step by step and forward
// again, each state saved and compared with the file saved when it was first reached.
TEST_F(Undo, EveryStepBackAndForthGivesTheSameFile) {
    choose(main().New1); // the block editor opens on the default problem
    TFormEdit& blocks = blockEditorOf(*app);
    ASSERT_TRUE(blocks.isVisible());
    std::vector<std::string> files{saveAs(scratchIn("0"))};

    click(main().SpeedButtonEdit);
    click(blocks.SpeedButtonNode);
    moveToWorld(blocks, 1500, 800);
    clickAtWorld(blocks, 1500, 800);
    ASSERT_EQ(problem().NA, 4);
    EXPECT_EQ(main().Undo1->text(), QStringLiteral("&Undo New Node"));
    files.push_back(saveAs(scratchIn("1")));

    click(main().SpeedButtonMesh);
    TFormMesh& mesh = meshEditorOf(*app);
    click(mesh.SpeedButtonSplit4);
    ASSERT_EQ(problem().NM, 8);
    EXPECT_EQ(main().Undo1->text(), QStringLiteral("&Undo Split 4"));
    files.push_back(saveAs(scratchIn("2")));

    click(main().SpeedButtonMesh);
    click(mesh.SpeedButtonNode);
    clickAtWorld(mesh, 700, 200);
    ASSERT_EQ(problem().NW, 1);
    EXPECT_EQ(main().Undo1->text(), QStringLiteral("&Undo Add Well"));
    files.push_back(saveAs(scratchIn("3")));

    TableGrid& nodes = open(main().SpeedButtonNode, WindowId::Nodes).grid();
    clickCell(nodes, NodeF, 2);
    typeKey(nodes, 'C');
    ASSERT_EQ(problem().nodes[5].F, 20);
    EXPECT_EQ(main().Undo1->text(), QStringLiteral("&Undo Fill Column F"));
    files.push_back(saveAs(scratchIn("4")));
    for (std::size_t i = 1; i < files.size(); ++i)
        ASSERT_NE(files[i], files[i - 1]) << "step " << i << " changed nothing";

    for (int k = 3; k >= 0; --k) {
        undo();
        EXPECT_EQ(saveAs(scratchIn("undo" + std::to_string(k))), files[static_cast<std::size_t>(k)])
            << "after undoing back to state " << k;
    }
    EXPECT_EQ(main().Undo1->text(), QStringLiteral("&Undo New"));
    EXPECT_EQ(main().Redo1->text(), QStringLiteral("&Redo New Node"));
    for (std::size_t k = 1; k < files.size(); ++k) {
        redo();
        EXPECT_EQ(saveAs(scratchIn("redo" + std::to_string(k))), files[k]) << "after redoing state " << k;
    }
    EXPECT_FALSE(main().Redo1->isEnabled());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Undo, OpenIsTakenBackWithTheFileItCameFrom) {
    const std::string val1 = exampleOrTestFile("Val1.fem", "io_wells_particles.fem");
    const std::string copy = scratchIn("open", "dry.fem");
    std::filesystem::copy_file(val1, copy, std::filesystem::copy_options::overwrite_existing);
    openFile(testData("ui_square.fem"));
    openFile(copy);
    // The file is the file: a copy is called after itself, whatever name it holds inside.
    EXPECT_EQ(title(), QStringLiteral("VELKOR - dry.fem"));
    EXPECT_EQ(main().GeneralGrid->cellText(1, 0), "dry.fem");

    undo();
    EXPECT_EQ(problem().NN, 4);
    EXPECT_EQ(title(), QStringLiteral("VELKOR - ui_square.fem*"));
    click(main().SpeedButtonSave);
    EXPECT_EQ(dialogs.saveRequests.back().fileName, testData("ui_square.fem")); // never over dry.fem
    redo();
    EXPECT_EQ(title(), QStringLiteral("VELKOR - dry.fem"));
    EXPECT_GT(problem().NN, 4);
}

TEST_F(Undo, UnsavedChangesAreNeverDroppedWithoutAQuestion) {
    EXPECT_EQ(title(), QStringLiteral("VELKOR - Data1.fem"));
    TableGrid& general = *main().GeneralGrid;
    typeIntoCell(general, QStringLiteral("Polder"));
    pressKey(general, Qt::Key_Return);
    EXPECT_EQ(title(), QStringLiteral("VELKOR - Data1.fem*"));

    // Cancel does nothing, for Quit and for the window's close button.
    dialogs.saveChoices = {SaveChoice::Cancel, SaveChoice::Cancel};
    choose(main().Quit2);
    QCloseEvent close;
    QApplication::sendEvent(&main(), &close);
    EXPECT_FALSE(close.isAccepted());
    ASSERT_EQ(dialogs.questions.size(), 2u);
    EXPECT_EQ(dialogs.questions[0], "Save changes to Data1.fem?");
    EXPECT_EQ(endRequests, 0);

    // Save, with the save dialog cancelled: not saved, so the program goes on and keeps the mark,
    // and nothing is said (the user cancelled).
    dialogs.saveChoices = {SaveChoice::Save};
    dialogs.saveAnswers.push_back(std::nullopt);
    choose(main().Quit2);
    EXPECT_EQ(endRequests, 0);
    EXPECT_EQ(title(), QStringLiteral("VELKOR - Data1.fem*"));
    EXPECT_TRUE(dialogs.messages.empty());

    // A save that fails keeps the mark and the problem.
    dialogs.saveChoices = {SaveChoice::Save};
    dialogs.saveAnswers.push_back(scratchIn("missing") + "/no/such/folder/x.fem");
    openFile(testData("ui_square.fem"));
    EXPECT_EQ(problem().problemName, "Polder");
    EXPECT_EQ(title(), QStringLiteral("VELKOR - Data1.fem*"));

    // Save, saved: the Open goes on.
    const std::string saved = scratchIn("saved", "polder.fem");
    dialogs.saveChoices = {SaveChoice::Save};
    dialogs.saveAnswers.push_back(saved);
    openFile(testData("ui_square.fem"));
    EXPECT_NE(fileText(saved).find("Polder,"), std::string::npos);
    EXPECT_EQ(title(), QStringLiteral("VELKOR - ui_square.fem"));

    // A problem just read has nothing unsaved: Quit asks nothing.
    const std::size_t asked = dialogs.questions.size();
    choose(main().Quit2);
    EXPECT_EQ(dialogs.questions.size(), asked);
    EXPECT_EQ(endRequests, 1);
}

TEST_F(Undo, EditBlocksAsksBeforeItThrowsARefinedMeshAway) {
    openFile(testData("ui_square.fem")); // 4 nodes, 2 elements, 1 well
    click(main().SpeedButtonMesh);
    click(meshEditorOf(*app).SpeedButtonSplit4);
    const int32_t NN = problem().NN, NM = problem().NM;
    ASSERT_EQ(NN, 9);

    dialogs.yesNoAnswers.push_back(false);
    click(main().SpeedButtonEdit);
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0],
              "Edit Blocks works on the blocks alone and rebuilds the mesh from them.\n\n"
              "This discards 5 nodes, 6 elements, 1 well.\n\nGo on? (Undo brings the mesh back.)");
    EXPECT_FALSE(blockEditorOf(*app).isVisible());
    EXPECT_EQ(problem().NN, NN);
    EXPECT_EQ(problem().NW, 1);

    click(main().SpeedButtonEdit); // Yes
    EXPECT_TRUE(blockEditorOf(*app).isVisible());
    EXPECT_EQ(problem().NN, 4);
    EXPECT_EQ(problem().NW, 0);
    EXPECT_EQ(main().Undo1->text(), QStringLiteral("&Undo Edit Blocks"));

    // Undo brings the refinement and the well back, and the block editor goes with them.
    undo();
    EXPECT_EQ(problem().NN, NN);
    EXPECT_EQ(problem().NM, NM);
    EXPECT_EQ(problem().NW, 1);
    EXPECT_FALSE(blockEditorOf(*app).isVisible());
    EXPECT_FALSE(app->isShown(WindowId::EditBlocks));
}

TEST_F(Undo, ResultsOutOfDateAreMarkedInThePanelTheStatusLineAndTheReport) {
    openFile(exampleOrTestFile("Val1.fem", "io_wells_particles.fem"));
    click(main().SpeedButtonContours);
    auto& contours = static_cast<TFormContours&>(app->window(WindowId::Contours));
    ASSERT_TRUE(contours.isVisible());
    const QString mark = QString::fromLatin1(kResultsOutOfDateMessage);
    waitUntil([&] { return !contours.PanelContours->text().isEmpty(); }); // the legend of the picture
    const QString legend = contours.PanelContours->text();
    EXPECT_FALSE(legend.contains(mark));

    // The porosity only shapes the pathlines, traced anew at every drawing: no mark.
    TableGrid& soils = open(main().SpeedButtonSoils, WindowId::Properties).grid();
    enter(soils, SoilN, 1, "0.3");
    EXPECT_FALSE(problem().resultsOutOfDate);
    // An infiltration changes the heads: marked, and its Undo takes the mark back.
    enter(soils, SoilI, 1, "0.0001");
    EXPECT_TRUE(problem().resultsOutOfDate);
    EXPECT_EQ(main().StatusLine->text(), mark);
    undo();
    EXPECT_FALSE(problem().resultsOutOfDate);
    enter(soils, SoilK, 1, "5");
    EXPECT_EQ(contours.PanelContours->text(), legend + QStringLiteral("     ") + mark); // the picture held
    EXPECT_EQ(main().StatusLine->text(), mark);

    const std::string pdf = scratchIn("report", "report.pdf");
    dialogs.printAnswers.push_back(pdf);
    choose(main().Print1);
    const std::string text = pdfText(pdf);
    const std::size_t firstPage = text.find('\f');
    EXPECT_LT(text.find(kResultsOutOfDateMessage), firstPage);

    undo();
    EXPECT_FALSE(problem().resultsOutOfDate);
    EXPECT_TRUE(main().StatusLine->text().isEmpty());
    redo();
    EXPECT_TRUE(problem().resultsOutOfDate);

    dialogs.saveAnswers.push_back(std::nullopt);
    click(main().SpeedButtonCalc);
    EXPECT_FALSE(problem().resultsOutOfDate);
    undo(); // the solve
    EXPECT_TRUE(problem().resultsOutOfDate);
}

// The program's shortcuts from a table window: what is typed is stored first and no shortcut
// letter lands in the cell; Undo with nothing typed is the program's, with something typed it gives
// the typing up.
TEST_F(Undo, ShortcutsWorkInTableWindowsAndNeverTypeIntoACell) {
    TableWindow& window = open(main().SpeedButtonNode, WindowId::Nodes);
    clickCell(window.grid(), NodeF, 1);
    typeIntoCell(window.grid(), QStringLiteral("33"));
    const std::string path = scratchIn("shortcut", "typed.fem");
    dialogs.saveAnswers.push_back(path);
    QTest::keyClick(window.grid().cellEditor(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(problem().nodes[0].F, 33);
    EXPECT_NE(fileText(path).find("  33.000,"), std::string::npos);

    TableGrid& grid = open(main().SpeedButtonNode, WindowId::Nodes).grid();
    clickCell(grid, NodeF, 1);
    typeIntoCell(grid, QStringLiteral("44"));
    QTest::keyClick(grid.cellEditor(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editorText(grid), "  33.000"); // the typing given up
    EXPECT_EQ(problem().nodes[0].F, 33);
    QTest::keyClick(grid.cellEditor(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(problem().nodes[0].F, 20); // the program's Undo of "Set F of node 1"
    EXPECT_EQ(editorText(grid), "  20.000");
    QTest::keyClick(grid.cellEditor(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(problem().nodes[0].F, 33);

    // Escape gives the typing up as well.
    typeIntoCell(grid, QStringLiteral("55"));
    pressKey(grid, Qt::Key_Escape);
    EXPECT_EQ(editorText(grid), "  33.000");
    pressKey(grid, Qt::Key_Return);
    EXPECT_EQ(problem().nodes[0].F, 33);
}
