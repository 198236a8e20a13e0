#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

#include "ui/string_grid.h"

using namespace velkor;

namespace {

// A 3 x 4 grid with a fixed label column and a fixed heading row, shown on the screen.
class StringGridTest : public ::testing::Test {
  protected:
    void SetUp() override {
        grid.setGridSize(3, 4);
        grid.setFixedCols(1);
        grid.setFixedRows(1);
        grid.resize(300, 120);
        grid.setCurrentCell(1, 1);
        grid.onSelectCell = [this](int col, int row, bool& canSelect) {
            asked.push_back({grid.col(), grid.row(), col, row});
            canSelect = allow;
        };
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
        grid.cellEditor()->setFocus();
    }

    void clickCell(int col, int row) {
        const QRect cell = grid.visualRect(grid.model()->index(row, col));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    }

    struct Move {
        int fromCol, fromRow, toCol, toRow;
    };
    StringGrid grid;
    std::vector<Move> asked;
    bool allow = true;
};

} // namespace

TEST_F(StringGridTest, ProgramMovesDoNotAskTheHook) {
    grid.setCurrentCell(2, 3);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(grid.col(), 2);
    EXPECT_EQ(grid.row(), 3);
    ASSERT_NE(grid.cellEditor(), nullptr);
}

TEST_F(StringGridTest, HookSeesTheCellBeingLeftAndMayRefuse) {
    allow = false;
    clickCell(2, 2);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].fromRow, 1);
    EXPECT_EQ(asked[0].toCol, 2);
    EXPECT_EQ(asked[0].toRow, 2);
    EXPECT_EQ(grid.row(), 1);
    EXPECT_EQ(grid.col(), 1);

    allow = true;
    clickCell(2, 2);
    EXPECT_EQ(grid.row(), 2);
    EXPECT_EQ(grid.col(), 2);
    ASSERT_NE(grid.cellEditor(), nullptr);
    EXPECT_TRUE(grid.cellEditor()->isVisible());
}

TEST_F(StringGridTest, FixedCellsCannotBeEntered) {
    clickCell(0, 2);
    QTest::keyClick(grid.cellEditor(), Qt::Key_Up);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(grid.row(), 1);
    EXPECT_EQ(grid.col(), 1);
}

TEST_F(StringGridTest, TypingReachesTheCellAndTheKeyHook) {
    std::vector<char> keys;
    grid.onKeyPress = [&](char& key) {
        keys.push_back(key);
        if (key == 'c') key = 0; // a command key, not text
    };
    QTest::keyClicks(grid.cellEditor(), QStringLiteral("1c2"));
    EXPECT_EQ(grid.cellText(1, 1), "12");
    EXPECT_TRUE(grid.hasPendingEdit(1, 1));
    grid.refreshCellText(1, 1, "99");
    EXPECT_EQ(grid.cellText(1, 1), "12");

    QTest::keyClick(grid.cellEditor(), Qt::Key_Return);
    EXPECT_EQ(keys, (std::vector<char>{'1', 'c', '2', '\r'}));
    EXPECT_EQ(grid.row(), 1); // Enter is the hook's to act on
}

TEST_F(StringGridTest, TabMovesAlongTheRowAndOnToTheNext) {
    QTest::keyClick(grid.cellEditor(), Qt::Key_Tab);
    EXPECT_EQ(grid.col(), 2);
    QTest::keyClick(grid.cellEditor(), Qt::Key_Tab);
    EXPECT_EQ(grid.col(), 1);
    EXPECT_EQ(grid.row(), 2);
    EXPECT_EQ(asked.size(), 2u);
}

TEST_F(StringGridTest, WritingTheCurrentCellUpdatesItsEditor) {
    grid.setCellText(1, 1, "        100.000");
    EXPECT_EQ(grid.cellEditor()->text(), QStringLiteral("        100.000"));
    EXPECT_FALSE(grid.hasPendingEdit(1, 1));
}
