// Pictures of the block editor and the mesh editor for a person to look at: run by
// `make screenshots` on a virtual screen; skipped in the ordinary test run.
#include <QMouseEvent>
#include <QToolButton>

#include "editors_support.h"
#include "screenshot_support.h"

using namespace velkor;
using namespace velkor::testing;

namespace {

class ScreenshotsEditors : public ScreenshotTest {
  protected:
    TFormEdit& blocks() { return blockEditorOf(*app); }
    TFormMesh& mesh() { return meshEditorOf(*app); }

    void showExposed(QWidget& window) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST_F(ScreenshotsEditors, EditBlocks) {
    QTest::mouseClick(main().SpeedButtonNew, Qt::LeftButton);
    showExposed(blocks());
    save("editors_blocks_after_new.png", &blocks());

    openFile(exampleOrTestFile("Val3.fem", "ui_square.fem"));
    QTest::mouseClick(main().SpeedButtonEdit, Qt::LeftButton);
    TFormEdit& w = blocks();
    showExposed(w);
    QTest::mouseClick(w.SpeedButtonLine, Qt::LeftButton);
    const Node& start = problem().nodes[0];
    const Node& end = problem().nodes[2];
    QTest::mousePress(&w, Qt::LeftButton, Qt::NoModifier, screenPointOf(w, start.X, start.Y));
    moveToWorld(w, (start.X + end.X) / 2, (start.Y + end.Y) / 2 + 0.1 * problem().LY, Qt::LeftButton);
    save("editors_blocks_val3_rubber_band.png", &w);
    QTest::mouseRelease(&w, Qt::LeftButton, Qt::NoModifier, screenPointOf(w, start.X, start.Y));
}

TEST_F(ScreenshotsEditors, EditMesh) {
    // Four blocks drawn from the default one, then refined with two wells.
    QTest::mouseClick(main().SpeedButtonNew, Qt::LeftButton);
    TFormEdit& b = blocks();
    showExposed(b);
    for (const auto& [x, y] : {std::pair{600.0, 600.0}, {1200.0, 100.0}, {1300.0, 800.0}}) {
        QTest::mouseClick(b.SpeedButtonNode, Qt::LeftButton);
        moveToWorld(b, x, y);
        clickAtWorld(b, x, y);
    }
    b.close();
    QTest::mouseClick(main().SpeedButtonMesh, Qt::LeftButton);
    TFormMesh& m = mesh();
    showExposed(m);
    click(m.SpeedButtonSplit4);
    save("editors_mesh_split4_label.png", &m);
    click(m.SpeedButtonSplit4);
    for (const auto& [x, y] : {std::pair{200.0, 150.0}, {1000.0, 450.0}}) {
        QTest::mouseClick(m.SpeedButtonNode, Qt::LeftButton);
        moveToWorld(m, x, y);
        clickAtWorld(m, x, y);
    }
    QTest::mouseClick(m.SpeedButtonNode, Qt::LeftButton);
    moveToWorld(m, 1500, 300);
    save("editors_mesh_two_splits_two_wells.png", &m);
    EXPECT_EQ(problem().NW, 2);
    EXPECT_TRUE(dialogs.messages.empty());
}
