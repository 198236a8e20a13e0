// The Water Budget window: shown by its button and menu item, the budget of the solved Val3 example
// in the window's text, the out-of-date line after a change, "Solve first." without a solution,
// worked out when the problem changes and never for a repaint.
#include <QFontInfo>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

#include <string>

#include "forms/property_tables.h"
#include "tables_support.h"
#include "ui/budget_window.h"

using namespace velkor;
using namespace velkor::testing;

namespace {

class WaterBudgetWindow : public TableWindows {
  protected:
    TFormBudget& budget() { return static_cast<TFormBudget&>(app->window(WindowId::WaterBudget)); }
    std::string shown() { return budget().BudgetText->toPlainText().toStdString(); }
    bool shows(const char* text) { return shown().find(text) != std::string::npos; }

    // Val3 opened and solved through the Solve button; the save dialog is cancelled.
    void solveVal3() {
        openFile(std::string(VELKOR_EXAMPLES_DIR) + "/Val3.fem");
        click(main().SpeedButtonCalc);
        ASSERT_FALSE(problem().resultsOutOfDate);
        dialogs.messages.clear();
    }
};

} // namespace

TEST_F(WaterBudgetWindow, ShowsTheBudgetOfTheSolvedExample) {
    solveVal3();
    click(main().SpeedButtonBudget);
    ASSERT_TRUE(budget().isVisible());
    EXPECT_TRUE(app->isShown(WindowId::WaterBudget));
    EXPECT_EQ(budget().windowTitle(), QStringLiteral("Water Budget"));
    EXPECT_TRUE(budget().windowFlags() & Qt::WindowStaysOnTopHint);

    // 12.5 m3/d enters through the side x = 0 (head 15 m) and leaves through x = 700 (5 m), as
    // velkor-batch --budget reports it for the same solve.
    const std::string text = shown();
    EXPECT_EQ(text.rfind("Flows in m\u00B3/d, counted as they enter (In) or leave (Out) the aquifer.\n", 0),
              0u)
        << text;
    EXPECT_TRUE(shows("x 0.0, y 0.0\u2013100.0")) << text;
    EXPECT_TRUE(shows("x 700.0, y 0.0\u2013100.0")) << text;
    EXPECT_TRUE(shows("  All flows")) << text;
    EXPECT_TRUE(shows("     12.500520      12.500520\n")) << text;
    EXPECT_FALSE(shows("Results out of date")) << text;
    EXPECT_FALSE(shows("Solve first.")) << text;
    // In the fixed-pitch face of the program, every flow column under its heading.
    EXPECT_EQ(QFontInfo(budget().BudgetText->font()).fixedPitch(), true);
    // The headings of the parts in bold, the lines of figures not.
    for (QTextBlock block = budget().BudgetText->document()->begin(); block.isValid(); block = block.next()) {
        const QString line = block.text();
        const bool heading = line == QStringLiteral("Wells") || line == QStringLiteral("Infiltration") ||
                             line == QStringLiteral("Totals") ||
                             line.startsWith(QStringLiteral("Boundaries:"));
        if (line.trimmed().isEmpty()) continue;
        EXPECT_EQ(block.begin().fragment().charFormat().fontWeight() == QFont::Bold, heading)
            << line.toStdString();
    }

    // The help states the sign convention.
    click(budget().SpeedButtonHelp);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(
        dialogs.messages[0].find("Sign convention : In is water entering the aquifer, Out water leaving it"),
        std::string::npos);

    // The menu item hides it again, as the button would.
    choose(main().Budget1);
    EXPECT_FALSE(budget().isVisible());
}

TEST_F(WaterBudgetWindow, FollowsChangesAndUndoOnceEachNeverForARepaint) {
    solveVal3();
    click(main().SpeedButtonBudget);
    const int first = budget().computations();
    EXPECT_GE(first, 1);
    for (int k = 0; k < 3; ++k) {
        budget().repaint();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(budget().computations(), first);

    // A permeability typed into Block Properties: the results no longer answer the problem.
    TableGrid& soils = open(main().SpeedButtonSoils, WindowId::Properties).grid();
    EXPECT_TRUE(budget().isVisible()); // Properties leaves the budget on the screen
    enter(soils, SoilK, 1, "2");
    ASSERT_EQ(problem().soils[0].K, 2);
    QCoreApplication::processEvents();
    EXPECT_TRUE(shows("Results out of date: solve again")) << shown();
    EXPECT_EQ(budget().computations(), first + 1);
    // Out of date already, an infiltration still shows at once in its soil's line.
    enter(soils, SoilI, 1, "0.001");
    QCoreApplication::processEvents();
    EXPECT_TRUE(shows("      1     0.001000        35000.000")) << shown();
    EXPECT_EQ(budget().computations(), first + 2);

    choose(main().Undo1);
    QCoreApplication::processEvents();
    choose(main().Undo1);
    QCoreApplication::processEvents();
    EXPECT_FALSE(shows("Results out of date")) << shown();
    EXPECT_EQ(budget().computations(), first + 4);

    // Hidden, it works nothing out; shown again, it shows the problem as it is.
    click(main().SpeedButtonBudget);
    choose(main().Redo1);
    QCoreApplication::processEvents();
    EXPECT_EQ(budget().computations(), first + 4);
    click(main().SpeedButtonBudget);
    EXPECT_TRUE(shows("Results out of date: solve again")) << shown();
}

// A well's discharge is a change of the budget, also once the results are out of date already;
// the text stays where it was scrolled to.
TEST_F(WaterBudgetWindow, FollowsAWellAndKeepsItsPlace) {
    openFile(testData("io_wells_particles.fem"));
    click(main().SpeedButtonCalc);
    click(main().SpeedButtonBudget);
    QScrollBar* bar = budget().BudgetText->verticalScrollBar();
    budget().resize(budget().width(), 120);
    QCoreApplication::processEvents();
    ASSERT_GT(bar->maximum(), 2);
    bar->setValue(bar->maximum() - 1);
    const int place = bar->value();
    const int before = budget().computations();
    TableGrid& wells = open(main().SpeedButtonWells, WindowId::Wells).grid();
    EXPECT_TRUE(budget().isVisible());
    enter(wells, WellQ, 1, "-123.5");
    QCoreApplication::processEvents();
    EXPECT_EQ(budget().computations(), before + 1);
    EXPECT_TRUE(shows("-123.500")) << shown();
    EXPECT_EQ(bar->value(), place);
    // The results are out of date already: the second change is one of the well alone.
    enter(wells, WellQ, 1, "-200");
    QCoreApplication::processEvents();
    EXPECT_EQ(budget().computations(), before + 2);
    EXPECT_TRUE(shows("-200.000")) << shown();
}

TEST_F(WaterBudgetWindow, SaysSolveFirstWithoutASolution) {
    openFile(testData("ui_square.fem")); // heads 20 and a pumping well, no discharges yet
    click(main().SpeedButtonBudget);
    EXPECT_TRUE(shows("Solve first.")) << shown();
    EXPECT_FALSE(shows("Boundaries")) << shown();
    // Solve closes every secondary window, the budget with them; shown again it holds the totals.
    click(main().SpeedButtonCalc);
    EXPECT_FALSE(budget().isVisible());
    click(main().SpeedButtonBudget);
    EXPECT_FALSE(shows("Solve first.")) << shown();
    EXPECT_TRUE(shows("Discrepancy (%)")) << shown();
}
