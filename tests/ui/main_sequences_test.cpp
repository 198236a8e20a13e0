// Ordinary sequences of a user at the main window in which a value could be lost or silently
// changed: typing and pressing a button, leaving the installation grid, a refused load, a solve.
#include <QLabel>
#include <QLineEdit>

#include <fstream>
#include <sstream>

#include "model/general_data.h"
#include "ui_support.h"

using namespace velkor;
using namespace velkor::testing;

namespace {

constexpr int kLX = static_cast<int>(GeneralRow::LX);
constexpr int kTM = static_cast<int>(GeneralRow::TM);
constexpr int kProblemName = static_cast<int>(GeneralRow::ProblemName);
constexpr int kNMAX = static_cast<int>(InstallationRow::NMAX);

class MainSequences : public ProgramTest {
  protected:
    // Clicks into a cell of a data grid, as the user selects it.
    void selectCell(TableGrid& grid, int row) {
        const QRect cell = grid.view()->visualRect(grid.view()->model()->index(grid.viewRow(row), 1));
        QTest::mouseClick(grid.view()->viewport(), Qt::LeftButton, {}, cell.center());
    }
    std::string scratch(const char* name) { return (std::filesystem::current_path() / name).string(); }
};

} // namespace

TEST_F(MainSequences, ValueTypedBeforeSaveIsWhatTheFileHolds) {
    TableGrid& grid = *main().GeneralGrid;
    selectCell(grid, kTM);
    typeIntoCell(grid, QStringLiteral("500"));
    dialogs.saveAnswers.push_back(scratch("typed.fem"));
    click(main().SpeedButtonSave); // the button takes no focus: the cell is still being typed in
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(problem().TM, 500);
    EXPECT_NE(fileText(scratch("typed.fem")).find(",     500.000,\r\n"), std::string::npos);
    EXPECT_EQ(grid.cellText(1, kTM), "        500.000");
}

TEST_F(MainSequences, RefusedTypedValueStopsTheCommand) {
    TableGrid& grid = *main().GeneralGrid;
    selectCell(grid, kLX);
    typeIntoCell(grid, QStringLiteral("0"));
    dialogs.saveAnswers.push_back(scratch("never.fem"));
    click(main().SpeedButtonCalc);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "Enter positive real number");
    EXPECT_TRUE(dialogs.saveRequests.empty()); // no solve, so no save
    EXPECT_FALSE(main().ProgressPanel->isVisible());
    EXPECT_EQ(problem().LX, 2000);
    EXPECT_EQ(grid.row(), kLX);
    EXPECT_EQ(grid.cellEditor()->text(), QStringLiteral("        100.000"));

    // A number too large for a double is no number: kept, and said so in the status line.
    typeIntoCell(grid, QStringLiteral("1e400"));
    pressKey(grid, Qt::Key_Return);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(problem().LX, 2000);
    EXPECT_EQ(main().StatusLine->text(), QStringLiteral("'1e400' is not a number: LX kept at 2000"));
    EXPECT_EQ(grid.cellText(1, kLX), "       2000.000");
}

TEST_F(MainSequences, TypingThenClickingIntoTheOtherGridCommits) {
    TableGrid& general = *main().GeneralGrid;
    general.cellEditor()->setFocus();
    typeIntoCell(general, QStringLiteral("Polder"));
    selectCell(*main().InstallationGrid, kNMAX);
    main().InstallationGrid->cellEditor()->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(problem().problemName, "Polder");
    EXPECT_EQ(general.cellText(1, kProblemName), "Polder");
}

TEST_F(MainSequences, LeavingTheInstallationGridKeepsTheLoadedProblemUnlessALimitChanged) {
    const std::string path = testData("ui_square.fem");
    openFile(path);
    TableGrid& grid = *main().InstallationGrid;
    selectCell(grid, kNMAX);
    selectCell(grid, kNMAX + 1);
    pressKey(grid, Qt::Key_Return);
    EXPECT_TRUE(std::filesystem::exists(kInstallationFileName));
    EXPECT_EQ(problem().NN, 4);
    EXPECT_EQ(main().GeneralGrid->cellText(1, 0), "ui_square.fem");

    // A new user name is written, the problem stays.
    selectCell(grid, 0);
    typeIntoCell(grid, QStringLiteral("Hydrology Group"));
    pressKey(grid, Qt::Key_Return);
    EXPECT_EQ(problem().NN, 4);
    EXPECT_NE(fileText(kInstallationFileName).find("Hydrology Group,\r\n"), std::string::npos);

    click(main().SpeedButtonSave);
    EXPECT_EQ(dialogs.saveRequests.back().fileName, path);

    // New limits that hold the problem keep it, in tables made anew.
    selectCell(grid, kNMAX);
    typeIntoCell(grid, QStringLiteral("15000"));
    pressKey(grid, Qt::Key_Return);
    EXPECT_EQ(problem().limits.NMAX, 15000);
    EXPECT_EQ(problem().nodes.size(), 15000u);
    EXPECT_EQ(problem().NN, 4);
    EXPECT_EQ(main().GeneralGrid->cellText(1, kProblemName), "Square with a well");
    EXPECT_TRUE(dialogs.questions.empty());

    // Limits too small for it ask first; No keeps the problem and the limits in force.
    const int kPMAX = kNMAX + 2;
    selectCell(grid, kPMAX);
    typeIntoCell(grid, QStringLiteral("1"));
    dialogs.yesNoAnswers.push_back(false);
    pressKey(grid, Qt::Key_Return);
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0],
              "The problem in hand does not fit these capacities.\n\nThe problem has 2 "
              "particles, PMAX is 1.\n\nStart again from the default problem? The problem "
              "in hand can not be brought back by Undo.");
    EXPECT_EQ(problem().NP, 2);
    EXPECT_EQ(problem().limits.PMAX, 100);
    EXPECT_EQ(grid.cellText(1, kPMAX), "         100");
    EXPECT_NE(fileText(kInstallationFileName).find("       100,"), std::string::npos);

    // Yes starts again from the default problem, under its own names: no Save can write the
    // default triangle over the file that was loaded.
    selectCell(grid, kPMAX);
    typeIntoCell(grid, QStringLiteral("1"));
    pressKey(grid, Qt::Key_Return);
    EXPECT_EQ(problem().limits.PMAX, 1);
    EXPECT_EQ(problem().NN, 3);
    EXPECT_EQ(problem().fileName, "Data1.fem");
    EXPECT_EQ(main().GeneralGrid->cellText(1, kProblemName), "Default Datafile");
    EXPECT_EQ(main().windowTitle(), QStringLiteral("VELKOR - Data1.fem"));
    EXPECT_FALSE(main().Undo1->isEnabled());
    click(main().SpeedButtonSave);
    EXPECT_EQ(dialogs.saveRequests.back().fileName, "Data1.fem");
}

TEST_F(MainSequences, RefusedLoadThenSaveProposesTheFileOfTheProblemHeld) {
    const std::string held = testData("ui_square.fem");
    openFile(held);
    openFile(testData("ui_too_many_particles.fem"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].rfind("Capacity exceeded", 0), 0u);
    click(main().SpeedButtonSave);
    EXPECT_EQ(dialogs.saveRequests.back().fileName, held);
}

TEST_F(MainSequences, SolveLeavesItsOutcomeUntilTheProblemChanges) {
    openFile(testData("ui_pumped.fem"));
    EXPECT_EQ(main().windowTitle(), QStringLiteral("VELKOR - ui_pumped.fem"));
    dialogs.saveAnswers.push_back(scratch("pumped.fem"));
    bool emptyDuringSave = false;
    dialogs.whileSaveDialogOpen = [&] { emptyDuringSave = main().StatusLine->text().isEmpty(); };
    click(main().SpeedButtonCalc);
    EXPECT_TRUE(emptyDuringSave); // shown once the save dialog has closed
    const QString status = main().StatusLine->text();
    EXPECT_TRUE(status.startsWith(QStringLiteral("Solved : 6 cycles, "))) << status.toStdString();
    EXPECT_TRUE(status.contains(QStringLiteral("Log(error) ")));
    EXPECT_TRUE(status.contains(QStringLiteral("Warning : Water level locally below bottom of aquifer.")));
    EXPECT_EQ(main().windowTitle(), QStringLiteral("VELKOR - pumped.fem"));

    // Options and saving do not change the problem; an edit does.
    dialogs.saveAnswers.push_back(scratch("again.fem"));
    click(main().SpeedButtonSave);
    EXPECT_EQ(main().StatusLine->text(), status);
    TableGrid& grid = *main().GeneralGrid;
    selectCell(grid, kTM);
    typeIntoCell(grid, QStringLiteral("200"));
    pressKey(grid, Qt::Key_Return);
    EXPECT_TRUE(main().StatusLine->text().isEmpty());
}

TEST_F(MainSequences, FileDialogsShowThePatternOnce) {
    EXPECT_EQ(desktopFilter(kDatafileFilter), "FEM (*.fem)");
    EXPECT_EQ(desktopFilter("TXT(*.txt)|*.txt"), "TXT (*.txt)");
    EXPECT_EQ(desktopFilter("Pictures|*.svg"), "Pictures (*.svg)");
}
