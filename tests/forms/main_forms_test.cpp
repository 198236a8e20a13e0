// The main window's forms and rules without a window: the data grids' commits and keys, the close
// groups of the commands, the repaint rule and the status line of a solve.
#include "default_problem.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "forms/close_groups.h"
#include "forms/main_forms.h"
#include "forms/main_window_rules.h"

namespace velkor {
namespace {

using test::defaultProblem;

constexpr int kLX = static_cast<int>(GeneralRow::LX);
constexpr int kNP = static_cast<int>(GeneralRow::NP);
constexpr int kTM = static_cast<int>(GeneralRow::TM);

TEST(GeneralForm, ShowsLabelsAndValuesAndKeepsTheCountsFixed) {
    Problem problem = defaultProblem();
    GeneralForm form(problem);
    EXPECT_EQ(form.cellText(0, kLX), "LX (m)");
    EXPECT_EQ(form.cellText(1, kLX), "       2000.000");
    EXPECT_EQ(form.cellText(1, static_cast<int>(GeneralRow::NN)), "           3");
    EXPECT_FALSE(form.isSelectable(1, static_cast<int>(GeneralRow::NN)));
    EXPECT_FALSE(form.isSelectable(0, kLX));
    EXPECT_TRUE(form.isSelectable(1, kLX));
}

TEST(GeneralForm, RefusedSizeOffersAHundredAndKeepsTheStoredValue) {
    Problem problem = defaultProblem();
    GeneralForm form(problem);
    const CellCommit refused = form.commit(1, kLX, "0");
    EXPECT_FALSE(refused.allowMove);
    EXPECT_EQ(refused.message, "Enter positive real number");
    EXPECT_EQ(refused.text, "        100.000");
    EXPECT_EQ(problem.LX, 2000);

    const CellCommit accepted = form.commit(1, kLX, "  750.5");
    EXPECT_TRUE(accepted.allowMove);
    EXPECT_EQ(problem.LX, 750.5);
    EXPECT_EQ(accepted.changed, Change::GeneralData);
}

// Regression: typed overflow or words for infinity must never reach the model as a number.
TEST(GeneralForm, NonFiniteTextReadsAsNoNumber) {
    Problem problem = defaultProblem();
    GeneralForm form(problem);
    for (const char* text : {"1e400", "inf", "nan", "-1e999"}) {
        EXPECT_FALSE(form.commit(1, kLX, text).allowMove) << text;
        EXPECT_EQ(problem.LX, 2000) << text;
        const CellCommit tm = form.commit(1, kTM, text);
        EXPECT_EQ(tm.message, "Enter positive real number") << text;
        EXPECT_EQ(problem.TM, 100) << text;
        EXPECT_TRUE(std::isfinite(problem.TM));
    }
}

TEST(GeneralForm, ParticleCountChangesTheCountsAndEnterWrapsToProblemName) {
    Problem problem = defaultProblem();
    GeneralForm form(problem);
    const CellCommit commit = form.commit(1, kNP, "2");
    EXPECT_EQ(problem.NP, 2);
    EXPECT_TRUE(touches(commit.changed, Change::Counts));
    EXPECT_TRUE(touches(commit.changed, Change::Particles));

    const KeyAction enter = form.key('\r', 1, kTM, "");
    EXPECT_TRUE(enter.swallow);
    ASSERT_TRUE(enter.move);
    EXPECT_EQ(enter.moveRow, static_cast<int>(GeneralRow::ProblemName));
    EXPECT_EQ(form.key('\r', 1, kLX, "").moveRow, kLX + 1);
    EXPECT_FALSE(form.key('c', 1, kLX, "").swallow); // letters are text here
}

TEST(InstallationForm, CommitsIntoTheDataAndEnterWrapsToTheFirstRow) {
    InstallationData data;
    InstallationForm form(data);
    EXPECT_EQ(form.cellText(0, 3), "MMAX");
    EXPECT_EQ(form.cellText(1, 3), "       20000");
    const CellCommit commit = form.commit(1, 2, "100");
    EXPECT_EQ(commit.message, "Enter integer value > 100");
    EXPECT_EQ(commit.text, "       10000");
    EXPECT_EQ(data.limits.NMAX, 10000);
    EXPECT_EQ(commit.changed, Change::Installation);
    EXPECT_EQ(form.key('\r', 1, 4, "").moveRow, 0);
    EXPECT_EQ(form.key('\r', 1, 0, "").moveRow, 1);
}

TEST(ProgressForm, ShowsOnlyAndHoldsTheLastValues) {
    ProgressForm form;
    EXPECT_EQ(form.cellText(0, ProgressLog), "Log(error)");
    form.setValue(ProgressCycle, "           6");
    EXPECT_EQ(form.cellText(1, ProgressCycle), "           6");
    EXPECT_FALSE(form.isSelectable(1, ProgressCycle));
}

// The groups as the command descriptions list them, written out here on their own so that a
// shortened or mixed-up group in the program's table shows.
TEST(CloseGroups, EachCommandHidesItsWindows) {
    using W = WindowId;
    const std::vector<W> all{W::Options,  W::Nodes,   W::Elements, W::Mesh,  W::EditBlocks, W::Properties,
                             W::Contours, W::Graph3D, W::Manual,   W::Wells, W::Particles,  W::WaterBudget};
    auto group = [](Command command) {
        const std::span<const W> ids = windowsClosedBy(command);
        return std::vector<W>(ids.begin(), ids.end());
    };
    EXPECT_EQ(group(Command::Open), all);
    EXPECT_EQ(group(Command::Save), all);
    EXPECT_EQ(group(Command::Solve), all);
    EXPECT_EQ(group(Command::New), all);
    EXPECT_EQ(group(Command::Options), (std::vector<W>{W::Contours, W::Graph3D}));
    // The editors and the plots fill the screen: the water budget goes with the tables.
    EXPECT_EQ(group(Command::Mesh),
              (std::vector<W>{W::Options, W::Nodes, W::Elements, W::EditBlocks, W::Properties, W::Contours,
                              W::Manual, W::Wells, W::Particles, W::WaterBudget}));
    EXPECT_EQ(group(Command::EditBlocks),
              (std::vector<W>{W::Options, W::Nodes, W::Elements, W::Mesh, W::Properties, W::Graph3D,
                              W::Contours, W::Manual, W::Wells, W::Particles, W::WaterBudget}));
    EXPECT_EQ(group(Command::Contours),
              (std::vector<W>{W::Options, W::Nodes, W::Elements, W::Mesh, W::EditBlocks, W::Properties,
                              W::Manual, W::Wells, W::Particles, W::Graph3D, W::WaterBudget}));
    EXPECT_EQ(group(Command::Graph3D),
              (std::vector<W>{W::Options, W::Nodes, W::Elements, W::Mesh, W::EditBlocks, W::Properties,
                              W::Manual, W::Wells, W::Particles, W::Contours, W::WaterBudget}));
    EXPECT_EQ(group(Command::GridEdit),
              (std::vector<W>{W::Mesh, W::Nodes, W::Elements, W::Properties, W::EditBlocks}));
    for (Command plain : {Command::Print, Command::Export, Command::Properties, Command::Nodes,
                          Command::Elements, Command::Wells, Command::Particles, Command::Manual,
                          Command::WaterBudget, Command::Help, Command::About, Command::Quit})
        EXPECT_TRUE(group(plain).empty());
    WindowId budget{};
    ASSERT_TRUE(toggledWindow(Command::WaterBudget, budget));
    EXPECT_EQ(budget, W::WaterBudget);

    // No command hides the window it toggles.
    for (int c = 0; c <= static_cast<int>(Command::GridEdit); ++c) {
        WindowId toggled{};
        if (!toggledWindow(static_cast<Command>(c), toggled)) continue;
        const std::vector<W> hidden = group(static_cast<Command>(c));
        EXPECT_EQ(std::count(hidden.begin(), hidden.end(), toggled), 0) << "command " << c;
    }
}

TEST(MainWindowRepaint, ButtonsFollowTheCounts) {
    Problem problem = defaultProblem();
    MainWindowRefresh refresh = refreshMainWindow(problem);
    EXPECT_TRUE(refresh.dataButtons);
    EXPECT_FALSE(refresh.wellsButton);
    EXPECT_FALSE(refresh.particlesButton);

    problem.NW = 1;
    problem.NP = 2;
    refresh = refreshMainWindow(problem);
    EXPECT_TRUE(refresh.wellsButton);
    EXPECT_TRUE(refresh.particlesButton);
}

TEST(SolveStatus, NamesCyclesIterationsLogErrorAndTheWarning) {
    SolveReport report;
    for (int c = 0; c < 6; ++c)
        report.cycles.push_back({10 + c, -4.0 * (c + 1), true});
    EXPECT_EQ(solveStatusText(report),
              "Solved : 6 cycles, 15 iterations in the last cycle, Log(error) -24.00");
    report.cycles.back().converged = false;
    report.warning = true;
    EXPECT_EQ(solveStatusText(report),
              "Solved : 6 cycles, 15 iterations in the last cycle, Log(error) -24.00 "
              "(iteration limit reached).   Warning : Water level locally below "
              "bottom of aquifer. Results invalid.");
    report.result.outcome = Outcome::NotConverged;
    report.warning = false;
    EXPECT_EQ(solveStatusText(report),
              "Not converged, results not reliable : 6 cycles, 15 iterations in the last "
              "cycle, Log(error) -24.00 (iteration limit reached)");
    report.result.outcome = Outcome::RefusedCapacity;
    EXPECT_EQ(solveStatusText(report), "Not solved; the heads are as they were.");
}

} // namespace
} // namespace velkor
