// Zoom, pan, the cursor position and resizing in the plan windows, driven by wheel, mouse and key
// events sent to the real windows, and the labelled contours read back from a saved picture.
#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QScreen>
#include <QToolButton>
#include <QWheelEvent>

#include <functional>
#include <random>
#include <utility>

#include "editors/editor_drawing.h"
#include "editors_support.h"
#include "model/number_text.h"
#include "paint/qt_canvas.h"
#include "plots_support.h"
#include "results/contour_plot.h"
#include "ui/contours_window.h"
#include "ui/graph3d_window.h"
#include "ui/manual_window.h"
#include "ui/options_window.h"
#include "ui_support.h"

using namespace velkor;
using namespace velkor::testing;

namespace {

void wheelAt(QWidget& window, QPoint at, int notches, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWheelEvent wheel(QPointF(at), QPointF(window.mapToGlobal(at)), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&window, &wheel);
}

void mouseAt(QWidget& window, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent event(type, QPointF(at), QPointF(window.mapToGlobal(at)), button, held, modifiers);
    QApplication::sendEvent(&window, &event);
}

// A drag from `from` to `to` with the button, in four moves.
void drag(QWidget& window, Qt::MouseButton button, QPoint from, QPoint to,
          Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    mouseAt(window, QEvent::MouseButtonPress, from, button, button, modifiers);
    for (int k = 1; k <= 4; ++k)
        mouseAt(window, QEvent::MouseMove, from + (to - from) * k / 4, Qt::NoButton, button, modifiers);
    mouseAt(window, QEvent::MouseButtonRelease, to, button, Qt::NoButton, modifiers);
}

QImage pictureOf(QWidget& window) {
    QCoreApplication::processEvents();
    const QImage shown = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    return shown.copy(0, kEditorPanelHeight, shown.width(), shown.height() - kEditorPanelHeight);
}

class ViewsTest : public ProgramTest {
  protected:
    TFormEdit& blocks() { return blockEditorOf(*app); }
    TFormMesh& mesh() { return meshEditorOf(*app); }
    TFormContours& contours() { return static_cast<TFormContours&>(app->window(WindowId::Contours)); }
    TFormOpt& options() { return static_cast<TFormOpt&>(app->window(WindowId::Options)); }

    void showMesh() {
        QTest::mouseClick(main().SpeedButtonMesh, Qt::LeftButton);
        ASSERT_TRUE(mesh().isVisible());
        mesh().resize(700, 500);
        QCoreApplication::processEvents();
    }
    void showContours(QSize size = QSize(700, 450)) {
        contours().resize(size);
        main().SpeedButtonContoursClick();
        ASSERT_TRUE(contours().isVisible());
        waitForPicture(contours());
    }
};

// ---- the editors ----------------------------------------------------------------------------------

using EditorViews = ViewsTest;

TEST_F(EditorViews, WheelZoomsAboutTheCursorAndHomeBringsBackThePictureWithoutZoom) {
    openFile(testData("ui_square.fem"));
    showMesh();
    TFormMesh& w = mesh();
    const QImage unzoomed = pictureOf(w);
    const QPoint cursor = screenPointOf(w, 30, 70);
    const ViewMapping before = w.viewMapping();
    const double x = before.worldX(cursor.x()), y = before.worldY(cursor.y());

    wheelAt(w, cursor, 3);
    const ViewMapping after = w.viewMapping();
    EXPECT_NEAR(after.scale, before.scale * 1.953125, 1e-9);
    EXPECT_NEAR(after.worldX(cursor.x()), x, 1 / after.scale);
    EXPECT_NEAR(after.worldY(cursor.y()), y, 1 / after.scale);
    EXPECT_NE(pictureOf(w), unzoomed);
    // The panel shows the world point under the cursor.
    EXPECT_EQ(w.LabelCursor->text().toStdString(),
              format("x = %.3f m   y = %.3f m", after.worldX(cursor.x()), after.worldY(cursor.y())));
    EXPECT_TRUE(w.LabelCursor->isVisible());

    QTest::keyClick(&w, Qt::Key_Home);
    EXPECT_TRUE(w.zoomView().atFit());
    EXPECT_EQ(pictureOf(w), unzoomed);
    wheelAt(w, cursor, 2);
    QTest::mouseClick(w.SpeedButtonFit, Qt::LeftButton);
    EXPECT_EQ(pictureOf(w), unzoomed);
    // Turned the other way at the full view, the wheel changes nothing.
    wheelAt(w, cursor, -2);
    EXPECT_TRUE(w.zoomView().atFit());
}

TEST_F(EditorViews, MiddleDragAndSpaceDragPanShiftBoxZooms) {
    openFile(testData("ui_square.fem"));
    showMesh();
    TFormMesh& w = mesh();
    wheelAt(w, screenPointOf(w, 50, 50), 4);
    // The world point under the start of a middle drag is under its end afterwards.
    const QPoint from(300, 250), to(380, 200);
    const double x = w.viewMapping().worldX(from.x()), y = w.viewMapping().worldY(from.y());
    drag(w, Qt::MiddleButton, from, to);
    EXPECT_NEAR(w.viewMapping().worldX(to.x()), x, 1 / w.viewMapping().scale);
    EXPECT_NEAR(w.viewMapping().worldY(to.y()), y, 1 / w.viewMapping().scale);
    // Space held, the left button drags the picture; the mode of the tools is untouched.
    QTest::keyPress(&w, Qt::Key_Space);
    const double x2 = w.viewMapping().worldX(to.x());
    drag(w, Qt::LeftButton, to, from);
    QTest::keyRelease(&w, Qt::Key_Space);
    EXPECT_NEAR(w.viewMapping().worldX(from.x()), x2, 1 / w.viewMapping().scale);
    EXPECT_EQ(problem().NW, 1);

    // Shift and a box: its middle goes to the middle of the drawing area, its width fills it.
    QTest::keyClick(&w, Qt::Key_Home);
    const ViewMapping full = w.viewMapping();
    const QPoint a = screenPointOf(w, 20, 60), b = screenPointOf(w, 40, 50);
    drag(w, Qt::LeftButton, a, b, Qt::ShiftModifier);
    const ViewMapping boxed = w.viewMapping();
    const double zoom = boxed.scale / full.scale;
    EXPECT_NEAR(zoom, std::min(full.width / double(b.x() - a.x()), full.height / double(b.y() - a.y())),
                1e-9);
    EXPECT_NEAR(boxed.planScale().worldX(boxed.ox + boxed.width * 0.5),
                full.planScale().worldX((a.x() + b.x()) * 0.5), 1e-9);
}

TEST_F(EditorViews, ToolsActAtTheWorldPointOfTheZoomedView) {
    // Add Well in a zoomed Edit Mesh: the click lands where the zoomed picture shows it.
    openFile(testData("ui_square.fem"));
    showMesh();
    TFormMesh& m = mesh();
    wheelAt(m, screenPointOf(m, 98, 2), 6);
    QTest::mouseClick(m.SpeedButtonNode, Qt::LeftButton);
    clickAtWorld(m, 98.9, 1.1); // within the snap radius of node 3 at (100, 0) only
    ASSERT_EQ(problem().NW, 2);
    EXPECT_EQ(problem().wellNodes[1], 2);
    QTest::mouseClick(m.SpeedButtonNode, Qt::LeftButton);
    clickAtWorld(m, 70.25, 30.5);
    ASSERT_EQ(problem().NW, 3);
    const Node& centre = problem().nodes[static_cast<std::size_t>(problem().wellNodes[2])];
    EXPECT_TRUE(centre.X > 60 && centre.X < 80 && centre.Y > 10 && centre.Y < 40);
    m.close();

    // New Node in a zoomed Edit Blocks: the node lies at the clicked point, to a pixel of the view.
    QTest::mouseClick(main().SpeedButtonNew, Qt::LeftButton);
    TFormEdit& w = blocks();
    ASSERT_TRUE(w.isVisible());
    wheelAt(w, screenPointOf(w, 1500, 800), 5);
    const double pixel = 1 / w.viewMapping().scale;
    ASSERT_LT(pixel, 1.0);
    QTest::mouseClick(w.SpeedButtonNode, Qt::LeftButton);
    moveToWorld(w, 1500.3, 800.6);
    clickAtWorld(w, 1500.3, 800.6);
    ASSERT_EQ(problem().NA, 4);
    EXPECT_NEAR(problem().nodes[3].X, 1500.3, pixel);
    EXPECT_NEAR(problem().nodes[3].Y, 800.6, pixel);
    // Drag Node: the node follows the mouse in the zoomed view.
    QTest::mouseClick(w.SpeedButtonDrag, Qt::LeftButton);
    pressAtWorld(w, 1500.3, 800.6);
    moveToWorld(w, 1510.7, 790.2, Qt::LeftButton);
    releaseAtWorld(w, 1510.7, 790.2);
    EXPECT_NEAR(problem().nodes[3].X, 1510.7, pixel);
    EXPECT_NEAR(problem().nodes[3].Y, 790.2, pixel);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(EditorViews, MeshLinesOffShowsTheBlocksAndShowingAgainIsTheFullView) {
    openFile(testData("ui_square.fem"));
    showMesh();
    TFormMesh& w = mesh();
    for (int pass = 0; pass < 3; ++pass)
        click(w.SpeedButtonSplit4); // waits for the pass, as the user does
    const QImage lines = pictureOf(w);
    QTest::mouseClick(w.CheckMeshLines, Qt::LeftButton);
    const QImage blocks = pictureOf(w);
    EXPECT_NE(blocks, lines);
    // No element side inside a block: in the middle of block 1 (the lower right triangle) every
    // pixel has the block's colour.
    const ViewMapping view = w.viewMapping();
    const QPoint middle(view.screenX(75), view.screenY(25) - kEditorPanelHeight);
    const QColor colour = blocks.pixelColor(middle);
    for (int dx = -20; dx <= 20; dx += 5)
        EXPECT_EQ(blocks.pixelColor(middle + QPoint(dx, 0)), colour);
    EXPECT_NE(lines.pixelColor(middle), lines.pixelColor(middle + QPoint(3, 3)));
    wheelAt(w, QPoint(300, 250), 2);
    w.close();
    showMesh();
    EXPECT_TRUE(w.zoomView().atFit());
}

// ---- the contour window ---------------------------------------------------------------------------

using ContourViews = ViewsTest;

TEST_F(ContourViews, ZoomPanAndTheHeadUnderTheCursor) {
    openFile(std::string(VELKOR_EXAMPLES_DIR) + "/Val1.fem");
    showContours();
    TFormContours& w = contours();
    const QImage unzoomed = w.picture();
    EXPECT_EQ(unzoomed, contourPictureOf(problem(), w.size()));

    const QPoint cursor(350, 230);
    const PlanScale before = w.viewScale();
    wheelAt(w, cursor, 4);
    waitForPicture(w);
    const PlanScale after = w.viewScale();
    EXPECT_NEAR(after.s, before.s * std::pow(1.25, 4), 1e-9);
    EXPECT_NEAR(after.worldX(cursor.x()), before.worldX(cursor.x()), 1e-6);
    EXPECT_NEAR(after.worldY(cursor.y()), before.worldY(cursor.y()), 1e-6);
    EXPECT_NE(w.picture(), unzoomed);
    EXPECT_EQ(w.drawingsStarted(), 2);

    // The head of Val1 falls linearly from 15 m at x = 0 to 10 m at x = 1000 m.
    mouseAt(w, QEvent::MouseMove, QPoint(420, 240), Qt::NoButton, Qt::NoButton);
    const double x = after.worldX(420), y = after.worldY(240);
    const QString shown = w.LabelCursor->text();
    const QString lead = QString::fromStdString(
        format("x = %.3f m   y = %.3f m   F = %.3f m   element ", x, y, 15 - 0.005 * x));
    EXPECT_TRUE(shown.startsWith(lead)) << shown.toStdString();
    // The element is numbered as the Elements table numbers it (from 1), and it holds the point.
    const int shownElement = shown.mid(lead.size()).toInt();
    ASSERT_GE(shownElement, 1);
    ASSERT_LE(shownElement, problem().NM);
    const Element& e = problem().elements[static_cast<std::size_t>(shownElement - 1)];
    const Node* corner[3];
    for (int k = 0; k < 3; ++k)
        corner[k] = &problem().nodes[static_cast<std::size_t>(e.node[k])];
    const auto side = [&](int a, int b) {
        return (corner[b]->X - corner[a]->X) * (y - corner[a]->Y) -
               (corner[b]->Y - corner[a]->Y) * (x - corner[a]->X);
    };
    const double s0 = side(0, 1), s1 = side(1, 2), s2 = side(2, 0);
    EXPECT_TRUE((s0 >= -1e-9 && s1 >= -1e-9 && s2 >= -1e-9) || (s0 <= 1e-9 && s1 <= 1e-9 && s2 <= 1e-9))
        << "element " << shownElement << " does not hold the point";

    // A left drag (no tool here) pans; Home and the Fit button bring back the picture without zoom.
    drag(w, Qt::LeftButton, QPoint(420, 240), QPoint(300, 260));
    waitForPicture(w);
    EXPECT_NEAR(w.viewScale().worldX(300), x, 1e-6);
    QTest::keyClick(&w, Qt::Key_Home);
    waitForPicture(w);
    EXPECT_EQ(w.picture(), unzoomed);
    wheelAt(w, cursor, 1);
    waitForPicture(w);
    QTest::mouseClick(w.SpeedButtonFit, Qt::LeftButton);
    waitForPicture(w);
    EXPECT_EQ(w.picture(), unzoomed);
    // Val1 has three particles: the zoomed drawings replayed the first run.
    EXPECT_GT(w.keptTrackSteps(), 0u);

    // Another problem is shown whole, also when it comes back by Undo with the window open: the
    // zoom of the one before does not carry over.
    const auto expectWholePlan = [&] {
        waitForPicture(w);
        EXPECT_EQ(w.picture(), contourPictureOf(problem(), w.size()));
    };
    openFile(std::string(VELKOR_EXAMPLES_DIR) + "/Val3.fem");
    showContours();
    expectWholePlan();
    wheelAt(w, cursor, 3);
    waitForPicture(w);
    main().Undo1->trigger();
    ASSERT_TRUE(w.isVisible());
    ASSERT_EQ(problem().fileName, "Val1.fem");
    expectWholePlan();
}

TEST_F(ContourViews, LabelsFromTheOptionsWindowInTheSavedPicture) {
    openFile(std::string(VELKOR_EXAMPLES_DIR) + "/Val1.fem");
    main().SpeedButtonOptionsClick();
    EXPECT_FALSE(options().CheckLabelContours->isChecked());
    EXPECT_FALSE(options().CheckScaleBar->isChecked());
    QTest::mouseClick(options().CheckLabelContours, Qt::LeftButton);
    QTest::mouseClick(options().CheckScaleBar, Qt::LeftButton);
    showContours(QSize(900, 500));
    TFormContours& w = contours();
    dialogs.saveAnswers.push_back(std::string("labelled.svg"));
    w.SavePicture->trigger();
    // The picture is drawn anew for the SVG file, on the worker thread.
    waitUntil([&] { return !w.drawingRunning(); });
    const std::string svg = fileText("labelled.svg");
    // Every label: a white box, its text in red after the boxes; the box's middle lies on the
    // contour of the head it names.
    const QRegularExpression box(
        QStringLiteral("<rect x=\"(-?\\d+)\" y=\"(-?\\d+)\" width=\"(\\d+)\" height=\"(\\d+)\"/>"));
    const QRegularExpression label(
        QStringLiteral("fill=\"rgb\\(255,0,0\\)\" xml:space=\"preserve\">([0-9.]+)</text>"));
    const QString text = QString::fromStdString(svg);
    std::vector<QRectF> boxes;
    // The boxes of the labels are the last group of white rectangles before the red texts.
    const qsizetype firstLabel = text.indexOf(label);
    ASSERT_GT(firstLabel, 0);
    const qsizetype group = text.lastIndexOf(
        QStringLiteral("<g fill=\"rgb(255,255,255)\" stroke=\"rgb(255,255,255)\""), firstLabel);
    for (auto it = box.globalMatch(text.mid(group, firstLabel - group)); it.hasNext();) {
        const auto m = it.next();
        boxes.emplace_back(m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                           m.captured(4).toDouble());
    }
    std::vector<double> heads;
    for (auto it = label.globalMatch(text); it.hasNext();)
        heads.push_back(it.next().captured(1).toDouble());
    ASSERT_GE(heads.size(), 10u);
    ASSERT_EQ(boxes.size(), heads.size());
    const PlanScale view = w.viewScale();
    for (std::size_t k = 0; k < heads.size(); ++k) {
        const double x = view.worldX(boxes[k].center().x());
        EXPECT_NEAR(15 - 0.005 * x, heads[k], 0.005 * 1.5 / view.s) << heads[k];
    }
    EXPECT_NE(svg.find(">0</text>"), std::string::npos); // the scale bar
    EXPECT_NE(svg.find("00 m</text>"), std::string::npos);

    // Both off again: the plain picture.
    main().SpeedButtonOptionsClick();
    QTest::mouseClick(options().CheckLabelContours, Qt::LeftButton);
    QTest::mouseClick(options().CheckScaleBar, Qt::LeftButton);
    showContours(QSize(900, 500));
    EXPECT_EQ(w.picture(), contourPictureOf(problem(), w.size()));
}

// ---- sizes and frames -----------------------------------------------------------------------------

using WindowFrames = ViewsTest;

TEST_F(WindowFrames, PlotsAndManualResizeAndEveryFrameFitsOnTheScreen) {
    openFile(std::string(VELKOR_EXAMPLES_DIR) + "/Val1.fem");
    TFormContours& w = contours();
    main().SpeedButtonContoursClick();
    waitForPicture(w);
    EXPECT_TRUE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_LT(w.minimumWidth(), w.width());
    for (int k = 1; k <= 3; ++k) {
        w.resize(600 + 20 * k, 400 + 10 * k);
        QCoreApplication::processEvents();
    }
    const int drawings = w.drawingsStarted();
    waitForPicture(w);
    EXPECT_EQ(w.picture().size(), QSize(660, 430));
    EXPECT_EQ(w.drawingsStarted(), drawings + 1); // once, after the resizes
    main().SpeedButtonContoursClick();

    // Positions and sizes count the frame: every window opened by its command lies on the screen
    // (the offscreen desktop gives windows a frame of two pixels).
    const QRect screen = main().screen()->geometry();
    const std::pair<std::function<void()>, WindowId> commands[] = {
        {[&] { main().SpeedButtonContoursClick(); }, WindowId::Contours},
        {[&] { main().SpeedButton3dClick(); }, WindowId::Graph3D},
        {[&] { main().SpeedButtonManualClick(); }, WindowId::Manual},
        {[&] { QTest::mouseClick(main().SpeedButtonEdit, Qt::LeftButton); }, WindowId::EditBlocks}};
    for (const auto& [command, id] : commands) {
        command();
        QWidget& window = app->window(id);
        ASSERT_TRUE(window.isVisible());
        QCoreApplication::processEvents();
        EXPECT_TRUE(screen.contains(window.frameGeometry())) << window.windowTitle().toStdString();
        EXPECT_GT(window.frameGeometry().height(), window.height());
    }
    EXPECT_EQ(app->window(WindowId::EditBlocks).frameGeometry().top(), 75);

    // The manual keeps its client area of 770 x 580 and grows with its strip and help button.
    auto& manual = static_cast<TFormManual&>(app->window(WindowId::Manual));
    main().SpeedButtonManualClick();
    ASSERT_TRUE(manual.isVisible());
    EXPECT_EQ(manual.size(), QSize(770, 580));
    manual.resize(900, 640);
    QCoreApplication::processEvents();
    EXPECT_EQ(manual.size(), QSize(900, 640));
    EXPECT_EQ(manual.SpeedButtonHelp->x(), 900 - 34);
    EXPECT_EQ(manual.PanelTools->width(), 900);
}

} // namespace

namespace {

// Triangles of a zoomed mesh, a few pixels to a few dozen across, are written into the image from
// what QPainter drew for their shape once: the picture must be the one QPainter paints itself (a
// clipped painter leaves every shape to QPainter).
TEST(LargeStamps, ZoomedElementsEqualWhatQPainterDraws) {
    std::mt19937 random(23);
    std::uniform_int_distribution<int> position(-10, 330), offset(-34, 34), colour(0, 255);
    QImage stamped(320, 240, QImage::Format_RGB32), painted(320, 240, QImage::Format_RGB32);
    stamped.fill(QColor(0xC0, 0xC0, 0xC0));
    painted.fill(QColor(0xC0, 0xC0, 0xC0));
    {
        QPainter stampedPainter(&stamped), paintedPainter(&painted);
        paintedPainter.setClipRect(painted.rect());
        QtCanvas fast(stampedPainter), plain(paintedPainter);
        for (int k = 0; k < 3000; ++k) {
            const Colour pen{static_cast<uint8_t>(colour(random)), 9, 7};
            const Colour brush{static_cast<uint8_t>(colour(random)), 200, 9};
            const CanvasPoint a{position(random), position(random)};
            const CanvasPoint b{a.x + offset(random), a.y + offset(random)};
            const CanvasPoint c{a.x + offset(random), a.y + offset(random)};
            for (QtCanvas* canvas : {&fast, &plain}) {
                canvas->setPenColour(pen);
                canvas->setBrush(brush);
                canvas->polygon(a, b, c);
            }
        }
    }
    EXPECT_EQ(stamped, painted);
}

} // namespace
