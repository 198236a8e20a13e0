// The table windows as a user drives them: a window shown from its tool button, cells clicked,
// values typed into the grid's editor and confirmed.
#pragma once

#include <QToolButton>

#include <string>

#include "ui/table_window.h"
#include "ui_support.h"

namespace velkor::testing {

class TableWindows : public ProgramTest {
  protected:
    TableWindow& table(WindowId id) { return static_cast<TableWindow&>(app->window(id)); }

    // Shows a table window from its tool button and waits until it is the active window.
    TableWindow& open(QToolButton* button, WindowId id) {
        QTest::mouseClick(button, Qt::LeftButton);
        TableWindow& window = table(id);
        EXPECT_TRUE(window.isVisible());
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        return window;
    }

    // A mouse click on a cell, scrolled into view first as the user would scroll.
    static void clickCell(TableGrid& grid, int col, int row) {
        grid.showRow(row);
        const QRect cell = grid.view()->visualRect(grid.view()->model()->index(grid.viewRow(row), col));
        QTest::mouseClick(grid.view()->viewport(), Qt::LeftButton, {}, cell.center());
    }
    static void typeKey(TableGrid& grid, char key) {
        QWidget* target =
            grid.cellEditor() ? static_cast<QWidget*>(grid.cellEditor()) : static_cast<QWidget*>(grid.view());
        QTest::keyClick(target, key);
    }
    // Types a value into a cell and leaves it with Enter.
    static void enter(TableGrid& grid, int col, int row, const char* text) {
        clickCell(grid, col, row);
        typeIntoCell(grid, QString::fromLatin1(text));
        pressKey(grid, Qt::Key_Return);
    }
    static std::string editorText(TableGrid& grid) {
        return grid.cellEditor() ? grid.cellEditor()->text().toStdString() : std::string("<no editor>");
    }

    Node& node(int i) { return problem().nodes[static_cast<std::size_t>(i)]; }
};

} // namespace velkor::testing
