// Long runs on a worker thread, driven through the real buttons and keys: a solve, a Split pass,
// printing and the drawing of a plot are cancelled by their Cancel button and by Escape, and leave
// the problem, the history and the windows as they were, saying so; while one runs, the commands
// that would change the problem wait with a hint saying why, and the windows stay readable; a solve
// run in the background leaves the results of a solve run in place, bit for bit.
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include "editors_support.h"
#include "io/datafile.h"
#include "model/general_data.h"
#include "operations/problem_operations.h"
#include "plots_support.h"
#include "tables_support.h"
#include "ui/contours_window.h"
#include "ui/options_window.h"
#include "ui/print_command.h"
#include "ui_support.h"

using namespace velkor;
using namespace velkor::testing;

namespace {

class LongRuns : public TableWindows {
  protected:
    std::string example(const char* name) { return std::string(VELKOR_EXAMPLES_DIR) + "/" + name; }
    std::string scratch(const char* name) { return (std::filesystem::current_path() / name).string(); }

    // What the user could tell of the problem: the file it would save, with the element results.
    std::string state() {
        std::string text = datafileText(problem());
        for (int32_t m = 0; m < problem().usedElementCount(); ++m)
            text += std::to_string(problem().elements[static_cast<std::size_t>(m)].qx) + ",";
        return text;
    }

    // While the run goes on: the commands that would change the problem wait, and say why.
    void expectHeld(const char* what) {
        const QString waiting = QStringLiteral("Waits until the %1 has ended").arg(QString::fromLatin1(what));
        EXPECT_TRUE(app->document.held());
        for (QToolButton* button : {main().SpeedButtonOpen, main().SpeedButtonSave, main().SpeedButtonCalc,
                                    main().SpeedButtonNode, main().SpeedButtonOptions}) {
            EXPECT_FALSE(button->isEnabled()) << button->toolTip().toStdString();
            EXPECT_TRUE(button->toolTip().contains(waiting)) << button->toolTip().toStdString();
        }
        EXPECT_TRUE(main().SpeedButtonHelp->isEnabled());
        EXPECT_TRUE(main().SpeedButtonManual->isEnabled());
        EXPECT_FALSE(main().Open1->isEnabled());
        EXPECT_FALSE(main().Undo1->isEnabled());
        // The grids show their values but take no typing.
        EXPECT_EQ(main().GeneralGrid->cellEditor(), nullptr);
        // The options the run reads wait as well.
        auto& options = static_cast<TFormOpt&>(app->window(WindowId::Options));
        for (QWidget* panel : {options.PanelSolution, options.PanelPrint, options.Panel3D})
            EXPECT_FALSE(panel->isEnabled());
    }
    // After it: everything is at hand again.
    void expectFree() {
        EXPECT_FALSE(app->document.held());
        EXPECT_TRUE(main().SpeedButtonOpen->isEnabled());
        EXPECT_EQ(main().SpeedButtonOpen->toolTip(), QStringLiteral("Open"));
        EXPECT_TRUE(main().Open1->isEnabled());
        EXPECT_NE(main().GeneralGrid->cellEditor(), nullptr);
        auto& options = static_cast<TFormOpt&>(app->window(WindowId::Options));
        for (QWidget* panel : {options.PanelSolution, options.PanelPrint, options.Panel3D})
            EXPECT_TRUE(panel->isEnabled());
    }
};

} // namespace

// ---- solve ----------------------------------------------------------------------------------------

TEST_F(LongRuns, SolveCancelledByItsButtonOrByEscapeChangesNothing) {
    // The third time the solve has ended on its thread when Cancel comes, before its results are
    // taken: Cancel still wins.
    for (const int time : {0, 1, 2}) {
        const bool byEscape = time == 1;
        SCOPED_TRACE(time == 0 ? "Cancel" : time == 1 ? "Escape" : "Cancel after the end");
        openFile(example("Val3.fem"));
        TableGrid& general = *main().GeneralGrid;
        general.setCurrentCell(1, static_cast<int>(GeneralRow::ProblemName));
        typeIntoCell(general, QStringLiteral("Changed first"));
        pressKey(general, Qt::Key_Return); // a step to undo, and the file differs
        const std::string before = state();
        const QString undo = main().Undo1->text();
        const std::size_t steps = app->document.history().size();
        int shown = 0;
        main().onSolveProgress = [&] {
            if (shown++ > 0) return;
            EXPECT_TRUE(main().ProgressPanel->isVisible());
            EXPECT_TRUE(main().ButtonCancel->isEnabled());
            expectHeld("solve");
            // Nothing reaches the problem meanwhile, whatever asks the document.
            const Applied refused =
                app->document.apply("Set Problem Name", Footprint::generalOnly(), [](Problem& p) {
                    p.problemName = "Changed during the solve";
                    return Applied{{}, Change::GeneralData};
                });
            EXPECT_EQ(refused.result.outcome, Outcome::Busy);
            EXPECT_EQ(problem().problemName, "Changed first");
            // Val3 takes a tenth of a second: ended after this, its results wait to be taken.
            if (time == 2) std::this_thread::sleep_for(std::chrono::seconds(2));
            if (byEscape)
                QTest::keyClick(&main(), Qt::Key_Escape);
            else
                QTest::mouseClick(main().ButtonCancel, Qt::LeftButton);
            EXPECT_FALSE(main().ButtonCancel->isEnabled());
        };
        click(main().SpeedButtonCalc);
        main().onSolveProgress = nullptr;
        EXPECT_GT(shown, 0);
        EXPECT_EQ(state(), before);
        EXPECT_EQ(main().Undo1->text(), undo);
        EXPECT_EQ(app->document.history().size(), steps);
        EXPECT_TRUE(app->document.modified());
        EXPECT_EQ(main().StatusLine->text(), QStringLiteral("Solve cancelled."));
        EXPECT_TRUE(dialogs.saveRequests.empty());
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_FALSE(main().ProgressPanel->isVisible());
        expectFree();
        dialogs.saveChoices.push_back(SaveChoice::Discard);
    }
}

// The figures shown while a solve runs belong together: the cycle of the grid is the cycle the
// line under it names, and the line names the work of the method that solves.
TEST_F(LongRuns, SolveProgressShowsFiguresThatBelongTogether) {
    for (const bool fast : {false, true}) {
        SCOPED_TRACE(fast ? "fast" : "conjugate gradients");
        app->options.CheckFastSolver = fast;
        openFile(example("Val3.fem"));
        int shown = 0;
        std::set<std::string> works;
        main().onSolveProgress = [&] {
            ++shown;
            const std::string stage = main().ProgressStage->text().toStdString();
            const std::string cycle = main().ProgressGrid->cellText(1, 1);
            ASSERT_EQ(stage.rfind("Cycle ", 0), 0u) << stage;
            EXPECT_EQ(std::stoi(stage.substr(6)), std::stoi(cycle)) << stage << " | " << cycle;
            const std::size_t colon = stage.find(" : ");
            ASSERT_NE(colon, std::string::npos) << stage;
            works.insert(stage.substr(colon + 3, stage.find_first_of(",", colon) - colon - 3));
        };
        click(main().SpeedButtonCalc);
        main().onSolveProgress = nullptr;
        EXPECT_GT(shown, 6);
        EXPECT_EQ(main().ProgressGrid->cellText(1, 1), "           6");
        EXPECT_EQ(main().ProgressGrid->cellText(1, 0), "        2048");
        const std::set<std::string> expected =
            fast ? std::set<std::string>{"assembly", "multigrid setup", "multigrid iterations"}
                 : std::set<std::string>{"assembly", "conjugate gradients"};
        for (const std::string& work : works)
            EXPECT_TRUE(expected.count(work)) << work;
        EXPECT_TRUE(works.count(fast ? "multigrid iterations" : "conjugate gradients"));
    }
}

// The promise of the background solve: what it leaves is what a solve of the problem in place
// leaves, bit for bit, whichever method solves.
TEST_F(LongRuns, SolveInTheBackgroundIsBitIdenticalToTheSolveInPlace) {
    for (const bool fast : {false, true}) {
        SCOPED_TRACE(fast ? "fast" : "conjugate gradients");
        app->options.CheckFastSolver = fast;
        openFile(example("Val3.fem"));
        Problem inPlace = problem();
        SolveReport report;
        ASSERT_TRUE(solve(inPlace, fast ? SolveMethod::Fast : SolveMethod::Plain, nullptr, report).ok());

        const std::string path = scratch(fast ? "fast/Val3.fem" : "plain/Val3.fem");
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        dialogs.saveAnswers.push_back(path);
        click(main().SpeedButtonCalc);
        const std::string reference = scratch(fast ? "fast-reference/Val3.fem" : "plain-reference/Val3.fem");
        std::filesystem::create_directories(std::filesystem::path(reference).parent_path());
        ASSERT_TRUE(writeDatafile(inPlace, reference).ok());
        EXPECT_TRUE(fileText(path) == fileText(reference));
        ASSERT_EQ(problem().NN, inPlace.NN);
        EXPECT_EQ(std::memcmp(problem().nodes.data(), inPlace.nodes.data(),
                              static_cast<std::size_t>(inPlace.NN) * sizeof(Node)),
                  0);
        EXPECT_EQ(std::memcmp(problem().elements.data(), inPlace.elements.data(),
                              static_cast<std::size_t>(inPlace.NM) * sizeof(Element)),
                  0);
        EXPECT_EQ(problem().errorLog, inPlace.errorLog);
        EXPECT_EQ(problem().meanQx, inPlace.meanQx);
        EXPECT_EQ(main().Undo1->text(), QStringLiteral("&Undo Solve"));
    }
}

// Closing the window during a solve stops the solve first and then asks what it always asks.
TEST_F(LongRuns, ClosingDuringASolveStopsItThenAsksAboutTheChanges) {
    openFile(example("Val3.fem"));
    TableGrid& general = *main().GeneralGrid;
    typeIntoCell(general, QStringLiteral("Not saved"));
    pressKey(general, Qt::Key_Return);
    const std::string before = state();
    int shown = 0;
    main().onSolveProgress = [&] {
        if (shown++ == 0) main().close();
    };
    dialogs.saveChoices.push_back(SaveChoice::Cancel);
    click(main().SpeedButtonCalc);
    main().onSolveProgress = nullptr;
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0], "Save changes to Val3.fem?");
    EXPECT_EQ(endRequests, 0); // Cancel: the program goes on
    EXPECT_EQ(state(), before);
    EXPECT_TRUE(main().isVisible());
    expectFree();
}

// ---- Split ----------------------------------------------------------------------------------------

TEST_F(LongRuns, SplitCancelledByItsButtonOrByEscapeLeavesTheMesh) {
    openFile(example("Val1.fem"));
    click(main().SpeedButtonMesh);
    TFormMesh& mesh = meshEditorOf(*app);
    ASSERT_TRUE(mesh.isVisible());
    for (const bool byEscape : {false, true}) {
        SCOPED_TRACE(byEscape ? "Escape" : "Cancel");
        const std::string before = state();
        const QString undo = main().Undo1->text();
        int shown = 0;
        mesh.onSplitProgress = [&] {
            if (shown++ > 0) return;
            EXPECT_TRUE(mesh.ButtonCancel->isVisible());
            EXPECT_FALSE(mesh.SpeedButtonSplit2->isEnabled());
            EXPECT_FALSE(mesh.SpeedButtonNode->isEnabled());
            expectHeld("Split 4 pass");
            if (byEscape)
                QTest::keyClick(&mesh, Qt::Key_Escape);
            else
                QTest::mouseClick(mesh.ButtonCancel, Qt::LeftButton);
        };
        click(mesh.SpeedButtonSplit4);
        mesh.onSplitProgress = nullptr;
        EXPECT_GT(shown, 0);
        EXPECT_EQ(state(), before);
        EXPECT_EQ(problem().NM, 2048);
        EXPECT_EQ(main().Undo1->text(), undo);
        EXPECT_EQ(mesh.LabelOperation->text(), QStringLiteral("Split 4 cancelled"));
        EXPECT_FALSE(mesh.ButtonCancel->isVisible());
        EXPECT_TRUE(mesh.SpeedButtonSplit4->isEnabled());
        EXPECT_TRUE(dialogs.messages.empty());
        expectFree();
    }
    // And a pass let run is taken in as one step.
    click(mesh.SpeedButtonSplit4);
    EXPECT_EQ(problem().NM, 8192);
    EXPECT_EQ(mesh.LabelOperation->text(), QStringLiteral("Split 4 : 4225 Nodes, 8192 Elements"));
    EXPECT_EQ(main().Undo1->text(), QStringLiteral("&Undo Split 4"));
}

// ---- printing -------------------------------------------------------------------------------------

TEST_F(LongRuns, PrintingCancelledByItsButtonOrByEscapeAbortsTheJob) {
    openFile(example("Val1.fem"));
    app->options.CheckNodes = true;
    app->options.CheckElements = true;
    TableWindow& nodes = open(main().SpeedButtonNode, WindowId::Nodes); // printing leaves it open
    for (const bool byEscape : {false, true}) {
        SCOPED_TRACE(byEscape ? "Escape" : "Cancel");
        const std::string pdf = scratch(byEscape ? "escaped.pdf" : "cancelled.pdf");
        dialogs.printAnswers.push_back(pdf);
        const std::string before = state();
        int pages = 0;
        main().onPrintProgress = [&] {
            if (pages++ > 0) return;
            EXPECT_TRUE(main().PanelWait->isVisible());
            EXPECT_TRUE(main().PrintProgress->text().startsWith(QStringLiteral("Page 1 of ")));
            EXPECT_TRUE(main().PrintProgress->text().endsWith(QStringLiteral(" : 0 %")));
            expectHeld("printing");
            EXPECT_EQ(nodes.grid().cellEditor(), nullptr); // the open table only shows
            if (byEscape)
                QTest::keyClick(&main(), Qt::Key_Escape);
            else
                QTest::mouseClick(main().ButtonCancelPrint, Qt::LeftButton);
        };
        click(main().SpeedButtonPrint);
        main().onPrintProgress = nullptr;
        EXPECT_GT(pages, 0);
        EXPECT_FALSE(std::filesystem::exists(pdf)); // nothing printed
        EXPECT_EQ(main().StatusLine->text(), QStringLiteral("Printing cancelled."));
        EXPECT_FALSE(main().PanelWait->isVisible());
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_EQ(state(), before);
        expectFree();
        EXPECT_NE(nodes.grid().cellEditor(), nullptr);
    }
    // When the program has ended, the jobs given up have thrown their documents away.
    app.reset();
    EXPECT_FALSE(std::filesystem::exists(scratch("cancelled.pdf")));
    EXPECT_FALSE(std::filesystem::exists(scratch("escaped.pdf")));
}

// ---- drawing --------------------------------------------------------------------------------------

TEST_F(LongRuns, DrawingCancelledByItsButtonStopsAndIsDrawnAgainWhenShownAgain) {
    openFile(example("Val1.fem"));
    // A hundred particles along the strip: the pathlines take long enough to be stopped part-way.
    problem().NP = 100;
    for (std::size_t k = 0; k < 100; ++k)
        problem().particles[k] =
            Particle{5.0 + 2.0 * static_cast<double>(k), 10.0 + 0.5 * static_cast<double>(k), 5, -1};
    app->document.notify(Change::Particles | Change::Counts);
    auto& contours = static_cast<TFormContours&>(app->window(WindowId::Contours));
    contours.setFixedSize(500, 300);
    contours.afterProgressShown = [&] {
        contours.afterProgressShown = nullptr;
        EXPECT_TRUE(contours.ButtonCancel->isVisible());
        EXPECT_FALSE(contours.SavePicture->isEnabled());
        QTest::mouseClick(contours.ButtonCancel, Qt::LeftButton);
    };
    click(main().SpeedButtonContours);
    waitUntil([&] { return contours.pictureState() == PlotWindow::PictureState::Stopped; });
    EXPECT_EQ(contours.pictureState(), PlotWindow::PictureState::Stopped);
    EXPECT_FALSE(contours.ButtonCancel->isVisible());
    EXPECT_TRUE(contours.SavePicture->isEnabled());
    click(main().SpeedButtonContours);
    click(main().SpeedButtonContours);
    waitForPicture(contours);
    EXPECT_EQ(contours.drawingsStarted(), 2);
}
