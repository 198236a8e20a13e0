// The "Use Fast Solver" option, driven through its check box: off at start, read by the next
// solve, which then shows a few iterations and gives the heads the iteration gives.
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

#include <cmath>
#include <string>
#include <vector>

#include "model/number_text.h"
#include "ui/options_window.h"
#include "ui_support.h"

using namespace velkor;
using namespace velkor::testing;

namespace {

class FastSolverTest : public ProgramTest {
  protected:
    TFormOpt& options() { return static_cast<TFormOpt&>(app->window(WindowId::Options)); }

    // A click on the box in the options window, shown by its tool button.
    void clickFastSolver() {
        click(main().SpeedButtonOptions);
        ASSERT_TRUE(options().isVisible());
        QTest::mouseClick(options().CheckFastSolver, Qt::LeftButton);
    }

    // Val3 as stored, solved by the Solve button; the save dialog is cancelled.
    std::vector<double> solveVal3() {
        openFile(std::string(VELKOR_EXAMPLES_DIR) + "/Val3.fem");
        click(main().SpeedButtonCalc);
        std::vector<double> heads;
        for (int32_t i = 0; i < problem().NN; ++i)
            heads.push_back(problem().nodes[static_cast<std::size_t>(i)].F);
        return heads;
    }
    std::string progressRow(int row) { return main().ProgressGrid->cellText(1, row); }
};

using FastSolverOption = FastSolverTest;

TEST_F(FastSolverOption, OffAtStartUnderThePreconditionerAndListedInTheHelp) {
    click(main().SpeedButtonOptions);
    TFormOpt& w = options();
    EXPECT_FALSE(w.CheckFastSolver->isChecked());
    EXPECT_FALSE(app->options.CheckFastSolver);
    EXPECT_EQ(w.CheckFastSolver->text(), QStringLiteral("Use Fast Solver"));
    EXPECT_EQ(w.CheckFastSolver->parentWidget(), w.PanelSolution);
    EXPECT_EQ(w.CheckFastSolver->pos(), QPoint(24, 64));
    EXPECT_EQ(w.CheckPreconditioner->pos(), QPoint(24, 40));

    click(w.SpeedButtonHelp);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(
        dialogs.messages[0].find("- Preconditioner : Use diagonal preconditioner in solution procedure.\n"
                                 "- Fast Solver : Use algebraic multigrid solver in solution "
                                 "procedure.\n\nPrint Options :"),
        std::string::npos)
        << dialogs.messages[0];
}

TEST_F(FastSolverOption, NextSolveFollowsTheBox) {
    const std::vector<double> iterated = solveVal3();
    const std::string iterations = progressRow(2);
    EXPECT_NE(iterations, "           0");

    clickFastSolver();
    EXPECT_TRUE(app->options.CheckFastSolver);
    EXPECT_FALSE(problem().preconditioner);
    const std::vector<double> fast = solveVal3();
    EXPECT_EQ(progressRow(1), "           6");
    // The last cycle's few multigrid iterations, not the hundreds of the plain iteration.
    const int fastIterations = std::stoi(progressRow(2));
    EXPECT_GT(fastIterations, 0);
    EXPECT_LT(fastIterations, 20);
    EXPECT_EQ(progressRow(3), format("%12.2f", problem().errorLog));
    EXPECT_TRUE(main().StatusLine->text().startsWith(QStringLiteral("Solved : 6 cycles, ")));
    ASSERT_EQ(fast.size(), iterated.size());
    for (std::size_t i = 0; i < fast.size(); ++i)
        EXPECT_NEAR(fast[i], iterated[i], 1e-6) << "node " << i + 1;
    // Nothing was said: the save dialogs' Cancel needs no message.
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.saveRequests.size(), 2u);

    clickFastSolver();
    EXPECT_FALSE(app->options.CheckFastSolver);
    solveVal3();
    EXPECT_EQ(progressRow(2), iterations);
}

TEST_F(FastSolverOption, ClosingTheWindowDuringAFastSolveEndsTheProgram) {
    clickFastSolver();
    openFile(std::string(VELKOR_EXAMPLES_DIR) + "/Val3.fem");
    int closes = 0;
    main().onSolveProgress = [&] {
        if (closes++ == 0) main().close();
    };
    click(main().SpeedButtonCalc);
    EXPECT_GE(closes, 1);
    EXPECT_EQ(endRequests, 1);
    EXPECT_TRUE(dialogs.saveRequests.empty());
    EXPECT_TRUE(dialogs.messages.empty());
}

} // namespace
