// Pictures of the zoomable plan windows for a person to look at (make screenshots): every plan
// window zoomed into the pumping well of a mesh of a million elements, and labelled contours of
// the examples. Skipped in the ordinary test run.
#include <QCheckBox>
#include <QWheelEvent>

#include "editors_support.h"
#include "mesh/refinement.h"
#include "plots_support.h"
#include "screenshot_support.h"
#include "solver/solve_command.h"
#include "ui/contours_window.h"
#include "ui/manual_window.h"
#include "ui/options_window.h"

using namespace velkor;
using namespace velkor::testing;

namespace {

class ScreenshotsViews : public ScreenshotTest {
  protected:
    TFormContours& contours() { return static_cast<TFormContours&>(app->window(WindowId::Contours)); }
    TFormOpt& options() { return static_cast<TFormOpt&>(app->window(WindowId::Options)); }

    static void wheelAt(QWidget& window, QPoint at, int notches) {
        for (int k = 0; k < notches; ++k) {
            QWheelEvent wheel(QPointF(at), QPointF(window.mapToGlobal(at)), QPoint(), QPoint(0, 120),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(&window, &wheel);
            QCoreApplication::processEvents();
        }
    }
    // A drag with the middle button, as the user moves the picture.
    static void pan(QWidget& window, QPoint from, QPoint to) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(from), QPointF(window.mapToGlobal(from)),
                          Qt::MiddleButton, Qt::MiddleButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &press);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(window.mapToGlobal(to)), Qt::NoButton,
                         Qt::MiddleButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(to), QPointF(window.mapToGlobal(to)),
                            Qt::MiddleButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &release);
        QCoreApplication::processEvents();
    }
    static void moveTo(QWidget& window, QPoint at) {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(window.mapToGlobal(at)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &move);
    }
    void plotOptions(bool labels, bool scaleBar) {
        app->options.CheckLabelContours = labels;
        app->options.CheckScaleBar = scaleBar;
        app->document.notify(Change::Options);
    }
};

// The default block split ten times (1,048,576 elements), a well pumping 20 m3/d near the left
// edge whose heads are held, solved by the fast solver.
TEST_F(ScreenshotsViews, MillionElementsZoomedIntoAWell) {
    app->installation.limits = Limits{48, 600000, 1100000, 100};
    app->allocateTablesForInstallation();
    Problem& p = problem();
    p.resetToDefaultProblem();
    p.buildColoursAndDefaultSoils();
    for (int pass = 0; pass < 10; ++pass)
        ASSERT_TRUE(splitAllInFour(p).ok());
    const double wellX = 123.4, wellY = 201.7;
    const Result added = addWell(p, wellX, wellY);
    ASSERT_TRUE(added.ok()) << added.message << " NN " << p.NN << " NM " << p.NM;
    p.wellQ[static_cast<std::size_t>(p.NW - 1)] = -20;
    const SolveReport solved = solveProblem(p, SolveMethod::Fast);
    ASSERT_EQ(solved.result.outcome, Outcome::Done) << solved.result.message;
    app->document.notify(Change::Problem);
    const Node& well = p.nodes[static_cast<std::size_t>(p.wellNodes[static_cast<std::size_t>(p.NW - 1)])];

    // Edit Mesh: the full view, then the well's surroundings.
    QTest::mouseClick(main().SpeedButtonMesh, Qt::LeftButton);
    TFormMesh& mesh = meshEditorOf(*app);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mesh));
    QCoreApplication::processEvents();
    save("views_mesh_1e6_fit.png", &mesh);
    wheelAt(mesh, screenPointOf(mesh, well.X, well.Y), 20);
    pan(mesh, screenPointOf(mesh, well.X, well.Y), QPoint(mesh.width() / 2, mesh.height() / 2));
    moveTo(mesh, screenPointOf(mesh, well.X + 0.5, well.Y + 0.3));
    save("views_mesh_1e6_well.png", &mesh);
    mesh.close();

    // Contours: the same place, with labels and the scale bar.
    plotOptions(true, true);
    main().SpeedButtonContoursClick();
    TFormContours& plot = contours();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&plot));
    waitForPicture(plot);
    save("views_contours_1e6_fit.png", &plot);
    const PlanScale full = plot.viewScale();
    const QPoint at(static_cast<int>(full.column(well.X)), static_cast<int>(full.row(well.Y)));
    wheelAt(plot, at, 12);
    waitForPicture(plot);
    pan(plot, at, QPoint(plot.width() / 2, plot.height() / 2));
    waitForPicture(plot);
    moveTo(plot, QPoint(plot.width() / 2 + 40, plot.height() / 2 - 25));
    save("views_contours_1e6_well.png", &plot);
    main().SpeedButtonContoursClick();
    plotOptions(false, false);

    // Edit Blocks shows the blocks (it turns them into the mesh again): the well's place in them.
    QTest::mouseClick(main().SpeedButtonEdit, Qt::LeftButton);
    TFormEdit& blocks = blockEditorOf(*app);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&blocks));
    wheelAt(blocks, screenPointOf(blocks, wellX, wellY), 6);
    moveTo(blocks, screenPointOf(blocks, wellX, wellY));
    save("views_blocks_zoomed.png", &blocks);
}

TEST_F(ScreenshotsViews, LabelledContoursOfTheExamples) {
    plotOptions(true, true);
    for (const char* example : {"Val1.fem", "Val3.fem"}) {
        openFile(exampleOrTestFile(example, "ui_square.fem"));
        main().SpeedButtonContoursClick();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&contours()));
        waitForPicture(contours());
        save(std::string("views_contours_labels_").append(example, 4).append(".png").c_str(), &contours());
        main().SpeedButtonContoursClick();
    }
    main().SpeedButtonOptionsClick();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&options()));
    save("views_options_plot_box.png", &options());

    main().SpeedButtonManualClick();
    auto& manual = static_cast<TFormManual&>(app->window(WindowId::Manual));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&manual));
    manual.resize(1000, 700);
    QCoreApplication::processEvents();
    save("views_manual_resized.png", &manual);
}

} // namespace
