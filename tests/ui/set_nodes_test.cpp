// Set Nodes in the mesh editor, driven by the mouse and the keys as a user drives it: a rectangle
// dragged and lines clicked over the square of ui_square.fem split twice (nodes every 25 m), the
// dialog answered from the script, the nodes marked while it is open, and the step taken back and
// done again through the Edit menu.
#include <QImage>
#include <QLabel>

#include <optional>
#include <vector>

#include "editors_support.h"
#include "ui_support.h"

using namespace velkor;
using namespace velkor::testing;

namespace {

const QColor kMarkYellow(255, 255, 0);

class SetNodesWindow : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        openFile(testData("ui_square.fem"));
        click(main().SpeedButtonMesh);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&mesh()));
        click(mesh().SpeedButtonSplit4);
        click(mesh().SpeedButtonSplit4);
        ASSERT_EQ(problem().NN, 25);
        dialogs.messages.clear();
    }

    TFormMesh& mesh() { return meshEditorOf(*app); }

    // The nodes at x (or at y) as (Type, F), in the order of their other coordinate.
    std::vector<std::pair<int, double>> side(bool atX, double value) {
        std::vector<std::pair<double, std::pair<int, double>>> found;
        for (int32_t i = 0; i < problem().NN; ++i) {
            const Node& n = problem().nodes[static_cast<std::size_t>(i)];
            if ((atX ? n.X : n.Y) == value) found.push_back({atX ? n.Y : n.X, {n.Type, n.F}});
        }
        std::sort(found.begin(), found.end());
        std::vector<std::pair<int, double>> values;
        for (const auto& entry : found)
            values.push_back(entry.second);
        return values;
    }
    using Side = std::vector<std::pair<int, double>>;

    QColor pixelAtWorld(const QImage& image, double x, double y) {
        return image.pixelColor(screenPointOf(mesh(), x, y));
    }
    void startSetNodes() {
        click(mesh().SpeedButtonSetNodes);
        ASSERT_TRUE(mesh().SpeedButtonSetNodes->isChecked());
    }
    static NodeSettings settings(int type, std::optional<double> F) {
        NodeSettings s;
        s.Type = type;
        s.F = F;
        return s;
    }
};

} // namespace

TEST_F(SetNodesWindow, ADraggedRectangleSetsASideAsOneStep) {
    EXPECT_EQ(mesh().SpeedButtonSetNodes->toolTip(), QStringLiteral("Set Nodes"));
    EXPECT_EQ(mesh().SpeedButtonSetNodes->geometry(), QRect(75, 0, 25, 25));
    const Side before = side(true, 100);
    ASSERT_EQ(before, (Side{{0, 15}, {0, 15}, {0, 15}, {0, 15}, {0, 15}}));

    startSetNodes();
    EXPECT_EQ(mesh().LabelOperation->text(), QStringLiteral("Set Nodes"));
    QImage shown;
    dialogs.whileNodeSettingsOpen = [&] { shown = mesh().grab().toImage(); };
    dialogs.nodeSettingsAnswers.push_back(settings(1, 12.5));
    pressAtWorld(mesh(), 90, -5);
    moveToWorld(mesh(), 100, 50, Qt::LeftButton);
    moveToWorld(mesh(), 110, 105, Qt::LeftButton);
    releaseAtWorld(mesh(), 110, 105);

    ASSERT_EQ(dialogs.nodeSettingsRequests.size(), 1u);
    const NodeSettingsRequest& request = dialogs.nodeSettingsRequests[0];
    EXPECT_EQ(request.nodeCount, 5);
    EXPECT_EQ(request.Type, 1);
    EXPECT_EQ(request.F, 15); // the values of the first caught node
    EXPECT_EQ(request.T, 10);
    // While the dialog is open the caught nodes are marked, the others are not.
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(pixelAtWorld(shown, 100, 50), kMarkYellow);
    EXPECT_EQ(pixelAtWorld(shown, 100, 0), kMarkYellow);
    EXPECT_NE(pixelAtWorld(shown, 75, 50), kMarkYellow);
    EXPECT_NE(pixelAtWorld(shown, 0, 50), kMarkYellow);

    EXPECT_EQ(side(true, 100), (Side{{1, 12.5}, {1, 12.5}, {1, 12.5}, {1, 12.5}, {1, 12.5}}));
    for (const auto& [type, head] : side(true, 75))
        EXPECT_EQ(type, 0) << head;
    EXPECT_TRUE(problem().resultsOutOfDate);
    EXPECT_FALSE(mesh().SpeedButtonSetNodes->isChecked()); // one pick, then the mode ends
    EXPECT_FALSE(mesh().LabelOperation->isVisible());
    EXPECT_EQ(main().Undo1->text(), QStringLiteral("&Undo Set Nodes"));
    EXPECT_TRUE(main().windowTitle().endsWith(QLatin1Char('*')));
    EXPECT_TRUE(dialogs.messages.empty());
    // The marks go with the mode.
    const QImage after = mesh().grab().toImage();
    EXPECT_NE(pixelAtWorld(after, 100, 50), kMarkYellow);

    choose(main().Undo1);
    EXPECT_EQ(side(true, 100), before);
    EXPECT_EQ(main().Redo1->text(), QStringLiteral("&Redo Set Nodes"));
    choose(main().Redo1);
    EXPECT_EQ(side(true, 100), (Side{{1, 12.5}, {1, 12.5}, {1, 12.5}, {1, 12.5}, {1, 12.5}}));
}

TEST_F(SetNodesWindow, ClickedLinesEndedByEnterOrADoubleClick) {
    // Refinement spread the heads of the two corners along the side x = 0.
    ASSERT_EQ(side(true, 0), (Side{{1, 20}, {1, 20}, {1, 20}, {1, 20}, {1, 20}}));
    startSetNodes();
    dialogs.nodeSettingsAnswers.push_back(settings(0, std::nullopt));
    clickAtWorld(mesh(), 0, 25);
    moveToWorld(mesh(), 0, 60);
    clickAtWorld(mesh(), 0, 75);
    EXPECT_TRUE(dialogs.nodeSettingsRequests.empty());
    QTest::keyClick(&mesh(), Qt::Key_Return);
    ASSERT_EQ(dialogs.nodeSettingsRequests.size(), 1u);
    EXPECT_EQ(dialogs.nodeSettingsRequests[0].nodeCount, 3);
    // The corners keep their heads; the three between them now take the water they are given.
    EXPECT_EQ(side(true, 0), (Side{{1, 20}, {0, 20}, {0, 20}, {0, 20}, {1, 20}}));

    // Along the top, from a corner to a point a pixel beside the other, ended by a double click.
    const Side top = side(false, 100);
    startSetNodes();
    dialogs.nodeSettingsAnswers.push_back(settings(1, 18));
    clickAtWorld(mesh(), 0, 100);
    // What the desktop sends for a double click: a click, then the double click and its release.
    const QPoint end = screenPointOf(mesh(), 100, 100) + QPoint(1, 0);
    QTest::mouseClick(&mesh(), Qt::LeftButton, Qt::NoModifier, end);
    QTest::mouseDClick(&mesh(), Qt::LeftButton, Qt::NoModifier, end);
    QTest::mouseRelease(&mesh(), Qt::LeftButton, Qt::NoModifier, end);
    ASSERT_EQ(dialogs.nodeSettingsRequests.size(), 2u);
    EXPECT_EQ(dialogs.nodeSettingsRequests[1].nodeCount, 5);
    EXPECT_EQ(side(false, 100), (Side{{1, 18}, {1, 18}, {1, 18}, {1, 18}, {1, 18}}));
    EXPECT_EQ(main().Undo1->text(), QStringLiteral("&Undo Set Nodes"));
    choose(main().Undo1);
    EXPECT_EQ(side(false, 100), top);
    choose(main().Undo1);
    EXPECT_EQ(side(true, 0), (Side{{1, 20}, {1, 20}, {1, 20}, {1, 20}, {1, 20}}));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SetNodesWindow, NothingCaughtCancelledOrEscapedChangesNothing) {
    const QString undoBefore = main().Undo1->text();
    const Problem before = problem();
    auto unchanged = [&] {
        for (int32_t i = 0; i < problem().NN; ++i) {
            const Node& n = problem().nodes[static_cast<std::size_t>(i)];
            const Node& b = before.nodes[static_cast<std::size_t>(i)];
            if (n.Type != b.Type || n.F != b.F || n.B != b.B || n.T != b.T) return false;
        }
        return main().Undo1->text() == undoBefore;
    };

    // A rectangle between the nodes says so and asks nothing.
    startSetNodes();
    pressAtWorld(mesh(), 30, 30);
    moveToWorld(mesh(), 45, 45, Qt::LeftButton);
    releaseAtWorld(mesh(), 45, 45);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "No node lies in the rectangle. Nothing was changed.");
    EXPECT_TRUE(dialogs.nodeSettingsRequests.empty());
    EXPECT_FALSE(mesh().SpeedButtonSetNodes->isChecked());

    // So does a line far from every node.
    startSetNodes();
    clickAtWorld(mesh(), 37, 37);
    clickAtWorld(mesh(), 40, 60);
    QTest::keyClick(&mesh(), Qt::Key_Enter);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1], "No node lies within the tolerance of the line. Nothing was changed.");

    // A dialog cancelled sets nothing.
    startSetNodes();
    pressAtWorld(mesh(), -5, -5);
    moveToWorld(mesh(), 105, 105, Qt::LeftButton);
    releaseAtWorld(mesh(), 105, 105);
    ASSERT_EQ(dialogs.nodeSettingsRequests.size(), 1u);
    EXPECT_EQ(dialogs.nodeSettingsRequests[0].nodeCount, 25);
    EXPECT_TRUE(unchanged());

    // Escape drops a line half laid, and the mode with it: the next clicks pick nothing.
    startSetNodes();
    clickAtWorld(mesh(), 0, 0);
    QTest::keyClick(&mesh(), Qt::Key_Escape);
    EXPECT_FALSE(mesh().SpeedButtonSetNodes->isChecked());
    clickAtWorld(mesh(), 100, 100);
    QTest::keyClick(&mesh(), Qt::Key_Return);
    EXPECT_EQ(dialogs.nodeSettingsRequests.size(), 1u);
    EXPECT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(unchanged());

    // Add Well and Set Nodes are never on together.
    startSetNodes();
    click(mesh().SpeedButtonNode);
    EXPECT_TRUE(mesh().SpeedButtonNode->isChecked());
    EXPECT_FALSE(mesh().SpeedButtonSetNodes->isChecked());
    startSetNodes();
    EXPECT_FALSE(mesh().SpeedButtonNode->isChecked());
}
