// The history of steps: Undo and Redo as exchanges of a footprint, the memory budget, the clean
// position and the steps that no longer fit the tables.
#include "operations/undo_history.h"

#include <gtest/gtest.h>

#include "default_problem.h"
#include "io/datafile.h"
#include "operations/mesh_edits.h"

using namespace velkor;
using velkor::test::defaultProblem;

namespace {

// A step that sets F of node 1 to `value`, done now.
UndoStep setHead(Problem& p, double value, const char* name = "Set F of node 1") {
    UndoStep step{name, Change::NodeValues, ProblemSnapshot::take(p, Footprint::nodeRows(0, 1)),
                  std::nullopt};
    p.nodes[0].F = value;
    return step;
}

} // namespace

TEST(UndoHistory, UndoAndRedoExchangeTheStateAndFollowTheCleanPosition) {
    Problem p = defaultProblem();
    UndoHistory history(1'000'000'000);
    FileIdentity file{"Data1.fem", "Data1.fem"};
    EXPECT_TRUE(history.isClean());
    history.push(setHead(p, 30));
    history.push(setHead(p, 40));
    EXPECT_FALSE(history.isClean());
    EXPECT_EQ(history.undoName(), "Set F of node 1");

    ASSERT_EQ(history.undo(p, file), Change::NodeValues);
    EXPECT_EQ(p.nodes[0].F, 30);
    ASSERT_TRUE(history.undo(p, file));
    EXPECT_EQ(p.nodes[0].F, 20);
    EXPECT_TRUE(history.isClean());
    EXPECT_FALSE(history.undo(p, file)); // nothing left
    ASSERT_TRUE(history.redo(p, file));
    ASSERT_TRUE(history.redo(p, file));
    EXPECT_EQ(p.nodes[0].F, 40);
    EXPECT_FALSE(history.redo(p, file));

    // A new step after an Undo takes the way forward away; a clean position on it goes too.
    history.markClean();
    history.undo(p, file);
    history.push(setHead(p, 50));
    EXPECT_FALSE(history.canRedo());
    EXPECT_FALSE(history.isClean());
    history.undo(p, file);
    EXPECT_FALSE(history.isClean()); // 30 was never saved
    EXPECT_EQ(p.nodes[0].F, 30);
}

TEST(UndoHistory, AStepThatReplacedTheProblemTakesItsFileBack) {
    Problem p = defaultProblem();
    UndoHistory history(1'000'000'000);
    FileIdentity file{"Data1.fem", "/home/me/Data1.fem"};
    UndoStep opened{"Open", Change::Problem, ProblemSnapshot::take(p, Footprint::whole()), file};
    p.NN = 7;
    file = {"mine.fem", "/home/me/mine.fem"};
    history.push(std::move(opened));
    history.undo(p, file);
    EXPECT_EQ(p.NN, 3);
    EXPECT_EQ(file.fileName, "Data1.fem");
    EXPECT_EQ(file.path, "/home/me/Data1.fem");
    history.redo(p, file);
    EXPECT_EQ(p.NN, 7);
    EXPECT_EQ(file.path, "/home/me/mine.fem");
}

TEST(UndoHistory, TheOldestStepsGoFirstWhenTheBudgetIsPassed) {
    Problem p = defaultProblem();
    const uint64_t oneStep = ProblemSnapshot::take(p, Footprint::nodeRows(0, 1)).bytes();
    UndoHistory history(2 * oneStep + oneStep / 2); // room for two steps
    history.markClean();
    EXPECT_TRUE(history.push(setHead(p, 1, "first")).empty());
    EXPECT_TRUE(history.push(setHead(p, 2, "second")).empty());
    const std::vector<std::string> dropped = history.push(setHead(p, 3, "third"));
    ASSERT_EQ(dropped, std::vector<std::string>{"first"});
    EXPECT_EQ(history.size(), 2u);
    EXPECT_LE(history.bytes(), history.budget());
    FileIdentity file;
    history.undo(p, file);
    history.undo(p, file);
    EXPECT_EQ(p.nodes[0].F, 1); // the state before "first" can no longer be reached
    EXPECT_FALSE(history.canUndo());
    EXPECT_FALSE(history.isClean()); // the file's position went with "first"

    // The newest step is kept whatever it costs.
    UndoHistory tiny(1);
    tiny.push(setHead(p, 4, "big"));
    EXPECT_TRUE(tiny.push(setHead(p, 5, "bigger")) == std::vector<std::string>{"big"});
    EXPECT_TRUE(tiny.canUndo());
}

TEST(UndoHistory, StepsThatNoLongerFitTheTablesGoWithEveryStepBeyondThem) {
    Problem p = defaultProblem();
    UndoHistory history(1'000'000'000);
    history.push(setHead(p, 1, "small"));
    // A Split 4 twice: the states before them have 3 and 6 nodes, after them 15.
    UndoStep split1{"Split 4", Change::Mesh, ProblemSnapshot::take(p, Footprint::whole()), std::nullopt};
    ASSERT_TRUE(splitMesh(p, SplitKind::IntoFour).ok());
    history.push(std::move(split1));
    UndoStep split2{"Split 4", Change::Mesh, ProblemSnapshot::take(p, Footprint::whole()), std::nullopt};
    ASSERT_TRUE(splitMesh(p, SplitKind::IntoFour).ok());
    history.push(std::move(split2));
    ASSERT_EQ(p.NN, 15);
    FileIdentity file;
    history.undo(p, file); // back to 6 nodes; the redo step holds 15
    ASSERT_EQ(p.NN, 6);

    // Tables of 10 nodes hold the states of 3 and 6 nodes, not the one of 15.
    p.nodes.resize(10);
    const std::vector<std::string> dropped = history.dropStepsThatDoNotFit(p);
    EXPECT_EQ(dropped, std::vector<std::string>{"Split 4"});
    EXPECT_FALSE(history.canRedo());
    ASSERT_TRUE(history.undo(p, file));
    EXPECT_EQ(p.NN, 3);

    // In tables of 4 nodes a state of 6 is never put back, and the step goes.
    p.nodes.resize(4);
    EXPECT_FALSE(history.redo(p, file));
    EXPECT_EQ(p.NN, 3);
    EXPECT_EQ(history.dropStepsThatDoNotFit(p), std::vector<std::string>{"Split 4"});
    EXPECT_TRUE(history.canUndo()); // "small" still fits
}
