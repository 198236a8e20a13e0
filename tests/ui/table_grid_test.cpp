// The grid widget: moves the user makes and the hook that may refuse them, fixed cells, typed
// text and the key hook, and a window of rows over a table far larger than the screen.
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <vector>

#include "model/number_text.h"
#include "ui/table_grid.h"

using namespace velkor;

namespace {

// A table of `rows` rows (one heading row) and three columns (one label column); the values are
// computed from the position, and a commit stores nothing.
class CountingForm : public TableForm {
  public:
    explicit CountingForm(int rows) : rows_(rows) {}
    int columnCount() const override { return 3; }
    int rowCount() const override { return rows_; }
    int fixedColumns() const override { return 1; }
    int fixedRows() const override { return 1; }
    int columnWidth(int) const override { return 80; }
    std::string cellText(int col, int row) const override {
        if (row == 0) return col == 0 ? "i" : format("col %d", col);
        return col == 0 ? format("%6d", row) : format("%d.%d", row, col);
    }
    CellCommit commit(int col, int row, std::string_view) override {
        return {cellText(col, row), {}, true, Change::None};
    }

  private:
    int rows_;
};

class TableGridTest : public ::testing::Test {
  protected:
    void SetUp() override {
        grid.setRowHeight(17);
        grid.resize(300, 17 * 4 + 2); // the heading and three rows of data
        grid.setForm(&form);
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
        const int shown = grid.viewRow(row);
        ASSERT_GE(shown, 0) << "row " << row << " is not on the screen";
        const QRect cell = grid.view()->visualRect(grid.view()->model()->index(shown, col));
        QTest::mouseClick(grid.view()->viewport(), Qt::LeftButton, {}, cell.center());
    }

    struct Move {
        int fromCol, fromRow, toCol, toRow;
    };
    CountingForm form{10};
    TableGrid grid;
    std::vector<Move> asked;
    bool allow = true;
};

} // namespace

TEST_F(TableGridTest, ProgramMovesDoNotAskTheHook) {
    grid.setCurrentCell(2, 3);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(grid.col(), 2);
    EXPECT_EQ(grid.row(), 3);
    ASSERT_NE(grid.cellEditor(), nullptr);
    EXPECT_EQ(grid.cellEditor()->text(), QStringLiteral("3.2"));
}

TEST_F(TableGridTest, HookSeesTheCellBeingLeftAndMayRefuse) {
    allow = false;
    clickCell(2, 2);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].fromCol, 1);
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
    EXPECT_TRUE(grid.cellEditor()->hasFocus());
}

TEST_F(TableGridTest, FixedCellsCannotBeEntered) {
    clickCell(0, 2);
    QTest::keyClick(grid.cellEditor(), Qt::Key_Up);
    QTest::keyClick(grid.cellEditor(), Qt::Key_Left);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(grid.row(), 1);
    EXPECT_EQ(grid.col(), 1);
}

TEST_F(TableGridTest, TypingReachesTheCellAndTheKeyHook) {
    std::vector<char> keys;
    grid.onKeyPress = [&](char& key) {
        keys.push_back(key);
        if (key == 'c') key = 0; // a command key, not text
    };
    grid.cellEditor()->selectAll();
    QTest::keyClicks(grid.cellEditor(), QStringLiteral("1c2"));
    EXPECT_EQ(grid.cellText(1, 1), "12");
    EXPECT_TRUE(grid.hasPendingEdit());
    grid.refresh(); // the model changed elsewhere: the typing stays
    EXPECT_EQ(grid.cellText(1, 1), "12");
    EXPECT_EQ(grid.cellEditor()->text(), QStringLiteral("12"));

    QTest::keyClick(grid.cellEditor(), Qt::Key_Return);
    EXPECT_EQ(keys, (std::vector<char>{'1', 'c', '2', '\r'}));
    EXPECT_EQ(grid.row(), 1); // Enter is the hook's to act on

    // A move drops the typing: the cell shows the form's text again.
    QTest::keyClick(grid.cellEditor(), Qt::Key_Down);
    EXPECT_FALSE(grid.hasPendingEdit());
    EXPECT_EQ(grid.cellText(1, 1), "1.1");
}

TEST_F(TableGridTest, WithoutAHookTheFormsEnterRuleMovesDownAndWraps) {
    grid.setCurrentCell(2, 9);
    QTest::keyClick(grid.cellEditor(), Qt::Key_Return);
    EXPECT_EQ(grid.row(), 1);
    EXPECT_EQ(grid.col(), 2);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].fromRow, 9);
    // The Enter key of the keypad is Enter too.
    QTest::keyClick(grid.cellEditor(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(grid.row(), 2);
}

TEST_F(TableGridTest, TabMovesAlongTheRowAndOnToTheNext) {
    QTest::keyClick(grid.cellEditor(), Qt::Key_Tab);
    EXPECT_EQ(grid.col(), 2);
    QTest::keyClick(grid.cellEditor(), Qt::Key_Tab);
    EXPECT_EQ(grid.col(), 1);
    EXPECT_EQ(grid.row(), 2);
    QTest::keyClick(grid.cellEditor(), Qt::Key_Backtab);
    EXPECT_EQ(grid.col(), 2);
    EXPECT_EQ(grid.row(), 1);
    EXPECT_EQ(asked.size(), 3u);
}

TEST_F(TableGridTest, OfferedTextStandsInTheCellUntilConfirmed) {
    grid.setTypedText("        100.000");
    EXPECT_EQ(grid.cellEditor()->text(), QStringLiteral("        100.000"));
    EXPECT_TRUE(grid.hasPendingEdit());
    EXPECT_EQ(grid.cellText(1, 1), "        100.000");
    grid.discardTypedText();
    EXPECT_EQ(grid.cellEditor()->text(), QStringLiteral("1.1"));
}

TEST_F(TableGridTest, RowsBelowTheScreenAreReachedByKeysAndTheScrollBar) {
    ASSERT_EQ(grid.visibleRows(), 3);
    EXPECT_TRUE(grid.scrollBar()->isVisible());
    EXPECT_EQ(grid.view()->model()->rowCount(), 4); // heading and three rows, not ten

    // Down past the last row shown scrolls; the heading stays on the screen.
    grid.setCurrentCell(1, 3);
    QTest::keyClick(grid.cellEditor(), Qt::Key_Down);
    EXPECT_EQ(grid.row(), 4);
    EXPECT_EQ(grid.topRow(), 2);
    EXPECT_EQ(grid.view()->model()->index(0, 1).data().toString(), QStringLiteral("col 1"));
    EXPECT_EQ(grid.view()->model()->index(3, 1).data().toString(), QStringLiteral("4.1"));

    // Typed text survives scrolling the cell away and back.
    QTest::keyClicks(grid.cellEditor(), QStringLiteral("7"));
    grid.scrollBar()->setValue(grid.scrollBar()->maximum());
    EXPECT_EQ(grid.topRow(), 7);
    EXPECT_EQ(grid.cellEditor(), nullptr);
    EXPECT_EQ(grid.cellText(1, 4), "7");
    grid.showRow(4);
    ASSERT_NE(grid.cellEditor(), nullptr);
    EXPECT_EQ(grid.cellEditor()->text(), QStringLiteral("7"));

    // Home and End move within the typed text; with Ctrl they go to the first and last row.
    QTest::keyClick(grid.cellEditor(), Qt::Key_Home);
    EXPECT_EQ(grid.row(), 4);
    EXPECT_EQ(grid.cellEditor()->cursorPosition(), 0);
    QTest::keyClick(grid.cellEditor(), Qt::Key_End);
    EXPECT_EQ(grid.row(), 4);
    EXPECT_EQ(grid.cellEditor()->cursorPosition(), 1);
    // Left and Right move within the typed text up to its ends, then to the next cell.
    QTest::keyClick(grid.cellEditor(), Qt::Key_Left);
    EXPECT_EQ(grid.col(), 1);
    QTest::keyClick(grid.cellEditor(), Qt::Key_Right);
    EXPECT_EQ(grid.col(), 1);
    QTest::keyClick(grid.cellEditor(), Qt::Key_Right);
    EXPECT_EQ(grid.col(), 2);
    QTest::keyClick(grid.cellEditor(), Qt::Key_Home);
    QTest::keyClick(grid.cellEditor(), Qt::Key_Left); // back to the first column that can be entered
    EXPECT_EQ(grid.col(), 1);
    QTest::keyClick(grid.cellEditor(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid.row(), 9);
    EXPECT_EQ(grid.topRow(), 7);

    // A notch of the mouse wheel scrolls three rows, up or down.
    const auto wheel = [&](int delta) {
        QWidget* viewport = grid.view()->viewport();
        const QPointF at(viewport->width() / 2.0, viewport->height() / 2.0);
        QWheelEvent event(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(viewport, &event);
    };
    wheel(120);
    EXPECT_EQ(grid.topRow(), 4);
    wheel(-120);
    EXPECT_EQ(grid.topRow(), 7);

    // Page Down and Page Up move the cursor by the rows on the screen.
    grid.setCurrentCell(1, 1);
    QTest::keyClick(grid.cellEditor(), Qt::Key_PageDown);
    EXPECT_EQ(grid.row(), 4);
    QTest::keyClick(grid.cellEditor(), Qt::Key_PageDown);
    EXPECT_EQ(grid.row(), 7);
    QTest::keyClick(grid.cellEditor(), Qt::Key_PageUp);
    EXPECT_EQ(grid.row(), 4);
    // Within the first page Page Up and Ctrl+Home go to the first row.
    grid.setCurrentCell(1, 2);
    QTest::keyClick(grid.cellEditor(), Qt::Key_PageUp);
    EXPECT_EQ(grid.row(), 1);
    grid.setCurrentCell(1, 3);
    QTest::keyClick(grid.cellEditor(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(grid.row(), 1);
}

TEST_F(TableGridTest, AMillionRowsCostNoMoreThanTheScreen) {
    CountingForm large(1000001);
    grid.setForm(&large);
    EXPECT_EQ(grid.view()->model()->rowCount(), 4);
    grid.setTopRow(999999);
    EXPECT_EQ(grid.topRow(), 999998);
    EXPECT_EQ(grid.view()->model()->index(3, 0).data().toString(), QStringLiteral("1000000"));
    grid.setForm(&form);
}

TEST_F(TableGridTest, ShrinkingTableKeepsTheCurrentCellInside) {
    CountingForm large(50);
    grid.setForm(&large);
    grid.setCurrentCell(2, 40);
    CountingForm small(5);
    grid.setForm(&small);
    grid.setCurrentCell(2, 40);
    EXPECT_EQ(grid.row(), 4);
    EXPECT_EQ(grid.topRow(), 2);
    grid.setForm(&form);
}
