// The node, element, soil, well and particle tables as plain forms: commits, keys, paging and the
// layout of their windows.
#include "default_problem.h"
#include <gtest/gtest.h>

#include "forms/mesh_tables.h"
#include "forms/property_tables.h"

using namespace velkor;

namespace {

// The default problem with no results waiting to be cleared.
Problem defaultProblem() {
    Problem problem = test::defaultProblem();
    problem.resultsStale = false;
    return problem;
}

} // namespace

TEST(TableWindowLayout, GridAndWindowFollowTheColumnsAndTheRecords) {
    Problem problem = defaultProblem();
    struct Case {
        const RecordTableForm& form;
        int width; // grid width without a scroll bar
    };
    const NodesForm nodes(problem);
    const ElementsForm elements(problem);
    const SoilsForm soils(problem);
    const WellsForm wells(problem);
    const ParticlesForm particles(problem);
    for (const Case& c :
         {Case{nodes, 580}, Case{elements, 307}, Case{soils, 467}, Case{wells, 458}, Case{particles, 326}}) {
        const TableWindowLayout few = tableWindowLayout(c.form.columns(), 3);
        EXPECT_EQ(few.gridWidth, c.width);
        EXPECT_EQ(few.gridHeight, 4 * 17 + 2);
        EXPECT_FALSE(few.scrolls);
        EXPECT_EQ(few.windowWidth, c.width + 4);
        EXPECT_EQ(few.windowHeight, few.gridHeight + 56);
        EXPECT_EQ(few.clientHeight, 25 + few.gridHeight);
        EXPECT_EQ(few.helpLeft, c.width - 26);
        // Twenty records still fit; from 21 on the grid keeps 20 and makes room for the scroll bar.
        EXPECT_EQ(tableWindowLayout(c.form.columns(), 20).gridWidth, c.width);
        const TableWindowLayout many = tableWindowLayout(c.form.columns(), 1000000);
        EXPECT_TRUE(many.scrolls);
        EXPECT_EQ(many.gridHeight, 359);
        EXPECT_EQ(many.gridWidth, c.width + 18);
    }
}

TEST(TableWindowLayout, PositionsFromTheScreen) {
    Problem problem = defaultProblem();
    const auto at = [](const RecordTableForm& form) {
        const WindowPosition p = form.position(1280, 1024, 400);
        return std::pair(p.left, p.top);
    };
    EXPECT_EQ(at(NodesForm(problem)), std::pair(1280 - 400 - 30, 409));
    EXPECT_EQ(at(ElementsForm(problem)), std::pair(20, 460));
    EXPECT_EQ(at(SoilsForm(problem)), std::pair(1280 - 400 - 60, 80));
    EXPECT_EQ(at(WellsForm(problem)), std::pair(1280 - 400 - 40, 300));
    EXPECT_EQ(at(ParticlesForm(problem)), std::pair(1280 - 400 - 60, 307));
}

TEST(Paging, TenthsOfTheTableHeldToItsEnds) {
    EXPECT_EQ(pagedRow(PageButton::Down, 1, 1089), 109);
    EXPECT_EQ(pagedRow(PageButton::Down, 1000, 1089), 1089);
    EXPECT_EQ(pagedRow(PageButton::Up, 109, 1089), 1);
    EXPECT_EQ(pagedRow(PageButton::Up, 50, 1089), 1);
    EXPECT_EQ(pagedRow(PageButton::End, 7, 1089), 1089);
    EXPECT_EQ(pagedRow(PageButton::Begin, 700, 1089), 1);
    // Fewer than ten rows: no step at all.
    EXPECT_EQ(pagedRow(PageButton::Down, 4, 9), 4);
    EXPECT_EQ(pagedRow(PageButton::Up, 4, 9), 4);
}

TEST(NodesTable, MovingANodeMakesTheResultsStaleItsValuesDoNot) {
    Problem problem = defaultProblem();
    NodesForm form(problem);
    EXPECT_EQ(form.commit(NodeQ, 1, "4").changed, Change::NodeValues);
    EXPECT_EQ(form.commit(NodeQ, 1, "4.000").changed, Change::None);
    EXPECT_FALSE(problem.resultsStale);
    EXPECT_EQ(form.commit(NodeX, 3, "400").changed, Change::Mesh);
    EXPECT_TRUE(problem.resultsStale);
    EXPECT_EQ(form.commit(NodeB, 4, "1").changed, Change::None); // beyond NN
}

TEST(NodesTable, CopyKeysStoreTheValueAsShownWithoutTheLimits) {
    Problem problem = defaultProblem();
    problem.nodes[0].F = 1.23456;
    problem.nodes[1].B = 5;
    NodesForm form(problem);

    KeyAction copy = form.key('c', NodeF, 2, "  20.000");
    EXPECT_TRUE(copy.swallow);
    EXPECT_EQ(copy.changed, Change::NodeValues);
    EXPECT_EQ(problem.nodes[1].F, 1.235); // below B = 5: the limit does not apply
    EXPECT_TRUE(copy.move);
    EXPECT_EQ(copy.moveRow, 3);
    EXPECT_FALSE(form.key('c', NodeF, 3, "").move); // the last row: no further

    const KeyAction all = form.key('C', NodeT, 2, " -7.5");
    EXPECT_FALSE(all.move);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(problem.nodes[static_cast<std::size_t>(i)].T, -7.5);
    EXPECT_EQ(problem.nodes[3].T, 0); // beyond NN nothing is touched

    const KeyAction first = form.key('c', NodeF, 1, "");
    EXPECT_TRUE(first.swallow);
    EXPECT_EQ(first.changed, Change::None);
    EXPECT_FALSE(form.key('C', NodeType, 1, "1").move);
    EXPECT_EQ(form.key('C', NodeType, 1, "1").changed, Change::None);
    EXPECT_FALSE(form.key('x', NodeF, 1, "").swallow);
    EXPECT_EQ(form.key('\r', NodeF, 3, "").moveRow, 1);
}

TEST(WellsTable, HeadAndTypeBelongToTheNode) {
    Problem problem = defaultProblem();
    problem.NW = 2;
    problem.wellNodes[0] = 2;
    problem.wellQ[0] = -10;
    problem.wellNodes[1] = 99; // not a node in use
    problem.nodes[2].B = 4;
    WellsForm form(problem);
    EXPECT_FALSE(form.isSelectable(2, 1));
    EXPECT_EQ(form.cellText(WellNode, 1), "     3");
    EXPECT_EQ(form.commit(WellF, 1, "1").text, "      4.000");
    EXPECT_EQ(problem.nodes[2].F, 4);
    EXPECT_EQ(form.commit(WellType, 1, "5").changed, Change::NodeValues);
    EXPECT_EQ(problem.nodes[2].Type, 1);
    EXPECT_EQ(form.commit(WellType, 1, "-2").text, "   0");
    EXPECT_EQ(form.commit(WellQ, 1, "-55.5").changed, Change::Wells);
    EXPECT_EQ(problem.wellQ[0], -55.5);

    // A well on a node outside the table shows and stores only its own discharge.
    EXPECT_EQ(form.cellText(WellF, 2), "");
    EXPECT_EQ(form.commit(WellF, 2, "3").changed, Change::None);
    EXPECT_EQ(form.commit(WellQ, 2, "3").changed, Change::Wells);
    EXPECT_NE(form.helpText().find("Q : Water supply in node (m\xB3/d),\n"), std::string::npos);
}
