// The operations on the problem: what each changes and says, what a refusal leaves, and when the
// results are marked as no longer answering the problem.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "default_problem.h"
#include "forms/mesh_tables.h"
#include "forms/property_tables.h"
#include "io/datafile.h"
#include "operations/cell_edits.h"
#include "operations/mesh_edits.h"
#include "operations/problem_operations.h"

using namespace velkor;
using velkor::test::defaultProblem;

namespace {

std::string example(const char* name) {
    return std::string(VELKOR_EXAMPLES_DIR) + "/" + name;
}

Problem opened(const char* name) {
    Problem p = defaultProblem();
    EXPECT_TRUE(openDatafile(p, example(name)).ok());
    return p;
}

// Everything a datafile holds, the names included, and the element results.
std::string state(const Problem& p) {
    std::string text = datafileText(p) + p.fileName + "|" + p.problemName;
    for (int32_t m = 0; m < p.usedElementCount(); ++m)
        text += std::to_string(p.elements[static_cast<std::size_t>(m)].qx) + ",";
    return text;
}

class Cancelling : public Feedback {
  public:
    bool cancelRequested() override { return true; }
};

} // namespace

TEST(OpenDatafile, TheProblemIsCalledAfterItsFileAndARefusalLeavesEverything) {
    const std::filesystem::path copy = std::filesystem::current_path() / "dry.fem";
    std::filesystem::copy_file(example("Val1.fem"), copy, std::filesystem::copy_options::overwrite_existing);
    Problem p = defaultProblem();
    const Applied read = openDatafile(p, copy.string());
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.changed, Change::Problem);
    EXPECT_EQ(p.fileName, "dry.fem"); // the file holds "Val1.fem" inside
    EXPECT_NE(p.elements[0].qx, 0);   // the velocities of the stored heads

    // Too large for the tables (Val1 has 1089 nodes), unreadable, or no file at all: nothing moves.
    Limits small;
    small.NMAX = 500;
    Problem held = defaultProblem(small);
    ASSERT_TRUE(openDatafile(held, std::string(VELKOR_TEST_DATA_DIR) + "/io_wells_particles.fem").ok());
    held.resultsOutOfDate = true;
    const std::string before = state(held);
    const SavedCounts saved = held.saved;
    EXPECT_EQ(openDatafile(held, copy.string()).result.outcome, Outcome::RefusedCapacity);
    EXPECT_EQ(state(held), before);
    EXPECT_EQ(held.saved.NN, saved.NN);
    EXPECT_TRUE(held.resultsOutOfDate);
    std::ofstream(copy, std::ios::binary) << "not a datafile\r\n";
    EXPECT_EQ(openDatafile(held, copy.string()).result.outcome, Outcome::BadInput);
    EXPECT_EQ(openDatafile(held, "/nonexistent/x.fem").result.outcome, Outcome::FileError);
    EXPECT_EQ(state(held), before);
    std::filesystem::remove(copy);
}

TEST(ApplyLimits, NewTablesKeepAProblemThatFitsAndRefuseOneThatDoesNot) {
    Problem p = opened("Val1.fem");
    const std::string before = state(p);
    Limits wider = p.limits;
    wider.NMAX = 50'000;
    wider.PMAX = 7;
    const Applied widened = applyLimits(p, wider);
    ASSERT_TRUE(widened.ok());
    EXPECT_EQ(p.nodes.size(), 50'000u);
    EXPECT_EQ(p.particles.size(), 7u);
    EXPECT_EQ(p.particles[5].element, -1); // new rows start as their defaults
    EXPECT_EQ(state(p), before);
    EXPECT_EQ(applyLimits(p, wider).changed, Change::None);

    Limits narrow = wider;
    narrow.NMAX = 1000; // Val1 has 1089 nodes
    const Applied refused = applyLimits(p, narrow);
    EXPECT_EQ(refused.result.outcome, Outcome::RefusedCapacity);
    EXPECT_EQ(refused.result.message, "The problem has 1089 nodes, NMAX is 1000.");
    EXPECT_EQ(p.limits.NMAX, 50'000);
    EXPECT_EQ(state(p), before);
    narrow.NMAX = 2000;
    narrow.PMAX = 2; // Val1 has 3 particles
    EXPECT_EQ(limitsTooSmall(p, narrow), "The problem has 3 particles, PMAX is 2.");

    ASSERT_TRUE(applyLimitsWithDefaultProblem(p, narrow).ok());
    EXPECT_EQ(p.NN, 3);
    EXPECT_EQ(p.fileName, "Data1.fem");
    EXPECT_EQ(p.limits.PMAX, 2);
}

TEST(RebuildMesh, SaysWhatItDiscardsAndMarksTheResults) {
    Problem p = opened("Val1.fem");
    RebuildLoss loss = meshRebuildLoss(p);
    EXPECT_EQ(loss.nodes, 1089 - 4);
    EXPECT_EQ(loss.elements, 2048 - 2);
    EXPECT_EQ(loss.wells, 0);
    const Applied rebuilt = rebuildMeshFromBlocks(p);
    EXPECT_TRUE(touches(rebuilt.changed, Change::Counts | Change::Results));
    EXPECT_EQ(p.NN, 4);
    EXPECT_EQ(p.NM, 2);
    EXPECT_EQ(p.elements[0].qx, 0); // the velocities of the mesh that was
    EXPECT_TRUE(p.resultsOutOfDate);
    EXPECT_FALSE(meshRebuildLoss(p).any());
    EXPECT_EQ(rebuildMeshFromBlocks(p).changed, Change::None); // nothing to rebuild, nothing done

    // An element edited in an unrefined mesh is an edit the rebuild throws away.
    p.elements[1].soil = 0;
    loss = meshRebuildLoss(p);
    EXPECT_TRUE(loss.editedElements);
    EXPECT_EQ(loss.nodes + loss.elements + loss.wells, 0);
}

TEST(MeshEdits, ChangesMarkTheResultsAndAWellOnANodeKeepsTheVelocities) {
    Problem p = opened("Val1.fem");
    const double qx = p.elements[10].qx;
    ASSERT_NE(qx, 0);
    // (500, 50) is a node of Val1's mesh: the well stands on it, the mesh stays.
    const Applied onNode = addWellAt(p, 500, 50);
    ASSERT_TRUE(onNode.ok());
    EXPECT_EQ(onNode.changed, Change::Counts | Change::Wells);
    EXPECT_EQ(p.elements[10].qx, qx);
    EXPECT_TRUE(p.resultsOutOfDate);

    p.resultsOutOfDate = false;
    const Applied inside = addWellAt(p, 501.3, 51.7);
    ASSERT_TRUE(inside.ok());
    EXPECT_TRUE(touches(inside.changed, Change::Mesh));
    EXPECT_EQ(p.elements[10].qx, 0);
    EXPECT_TRUE(p.resultsOutOfDate);

    // A refusal changes nothing, marks nothing.
    p.resultsOutOfDate = false;
    const Applied outside = addWellAt(p, 5000, 50);
    EXPECT_EQ(outside.result.outcome, Outcome::RefusedGeometry);
    EXPECT_EQ(outside.changed, Change::None);
    EXPECT_FALSE(p.resultsOutOfDate);
}

TEST(SolveOperation, ResultsAnswerTheProblemAgainAndACancelledSolveChangesNothing) {
    Problem p = opened("Val1.fem");
    p.resultsOutOfDate = true;
    const std::string before = state(p);
    Cancelling cancel;
    SolveReport report;
    const Applied cancelled = solve(p, SolveMethod::Plain, &cancel, report);
    EXPECT_EQ(cancelled.result.outcome, Outcome::Cancelled);
    EXPECT_EQ(cancelled.changed, Change::None);
    EXPECT_EQ(state(p), before);
    EXPECT_TRUE(p.resultsOutOfDate);

    const Applied solved = solve(p, SolveMethod::Plain, nullptr, report);
    ASSERT_TRUE(solved.ok());
    EXPECT_TRUE(touches(solved.changed, Change::Results));
    EXPECT_FALSE(p.resultsOutOfDate);
}

// Text typed into a cell that is no number is never stored as one; a number goes through the
// column's own rules, and only values that enter the equations mark the results.
TEST(EditCell, TextThatIsNoNumberIsKeptOutAndSaysWhy) {
    Problem p = defaultProblem();
    startDefaultProblem(p);
    p.soils[1].K = 5;
    p.NB = 2;
    SoilsForm soils(p);
    CellCommit shown;
    for (const char* text : {"1,5", "abc", "1e400", "nan", "", "  "}) {
        const Applied refused = editCell(p, soils, SoilK, 2, text, shown);
        EXPECT_EQ(refused.result.outcome, Outcome::BadInput) << text;
        EXPECT_EQ(refused.result.message,
                  "'" + std::string(text) + "' is not a number: K of soil 2 kept at 5");
        EXPECT_EQ(p.soils[1].K, 5);
        EXPECT_EQ(shown.text, "    5.000000");
        EXPECT_TRUE(shown.allowMove);
    }
    EXPECT_FALSE(p.resultsOutOfDate);

    const Applied porosity = editCell(p, soils, SoilN, 2, " 0.25 ", shown);
    EXPECT_EQ(porosity.changed, Change::Soils);
    EXPECT_FALSE(p.resultsOutOfDate); // pathlines only
    const Applied permeability = editCell(p, soils, SoilK, 2, "-3", shown);
    EXPECT_EQ(p.soils[1].K, 0); // held to its column
    EXPECT_EQ(permeability.changed, Change::Soils | Change::Results);
    EXPECT_TRUE(p.resultsOutOfDate);

    NodesForm nodes(p);
    const Applied type = editCell(p, nodes, NodeType, 1, "1.5", shown);
    EXPECT_EQ(type.result.message, "'1.5' is not a whole number: Type of node 1 kept at 1");
    EXPECT_EQ(editCell(p, nodes, NodeType, 1, "0", shown).changed, Change::NodeValues);
}

TEST(CellKeys, FillingAColumnWithTextThatIsNoNumberIsRefused) {
    Problem p = defaultProblem();
    startDefaultProblem(p);
    NodesForm nodes(p);
    KeyAction action;
    const Applied refused = pressCellKey(p, nodes, 'C', NodeF, 2, "abc", action);
    EXPECT_EQ(refused.result.message, "'abc' is not a number: F of node 2 kept at 20");
    EXPECT_EQ(p.nodes[2].F, 10);
    EXPECT_TRUE(action.swallow);
    EXPECT_EQ(nodes.keyStepName('C', NodeF), "Fill Column F");

    const Applied filled = pressCellKey(p, nodes, 'C', NodeF, 2, "12.5", action);
    EXPECT_EQ(filled.changed, Change::NodeValues | Change::Results);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(p.nodes[static_cast<std::size_t>(i)].F, 12.5);
}
