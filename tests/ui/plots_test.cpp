// The options window, the contour window and the 3D-graph window, driven through their controls.
#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QSlider>
#include <QToolButton>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include <sys/wait.h>

#include "io/datafile.h"
#include "model/general_data.h"
#include "plots_support.h"
#include "results/contour_levels.h"
#include "results/contour_plot.h"
#include "results/particle_tracker.h"
#include "results/recording_canvas.h"
#include "results/three_d_graph.h"
#include "solver/solve_command.h"
#include "ui/contours_window.h"
#include "ui/graph3d_window.h"
#include "ui/options_window.h"
#include "ui/qt_canvas.h"
#include "ui_support.h"

using namespace velkor;
using namespace velkor::testing;

namespace {

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class PlotsTest : public ProgramTest {
  protected:
    TFormOpt& options() { return static_cast<TFormOpt&>(app->window(WindowId::Options)); }
    TFormContours& contours() { return static_cast<TFormContours&>(app->window(WindowId::Contours)); }
    TForm3D& graph() { return static_cast<TForm3D&>(app->window(WindowId::Graph3D)); }

    void openExample(const char* name) { openFile(std::string(VELKOR_EXAMPLES_DIR) + "/" + name); }

    // Shows the window by its command and waits for its picture.
    void showContours(QSize size = QSize(640, 400)) {
        contours().setFixedSize(size);
        main().SpeedButtonContoursClick();
        ASSERT_TRUE(app->isShown(WindowId::Contours));
        waitForPicture(contours());
    }
    void showGraph(QSize size = QSize(640, 400)) {
        graph().setFixedSize(size);
        main().SpeedButton3dClick();
        ASSERT_TRUE(app->isShown(WindowId::Graph3D));
        waitForPicture(graph());
    }

    // The drawing of the contour plot through QtCanvas on an image of the given size.
    QImage contourDrawing(QSize size) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(QColor(0xC0, 0xC0, 0xC0));
        QPainter painter(&image);
        QtCanvas canvas(painter);
        drawContourPlot(problem(), canvas, size.width(), size.height());
        return image;
    }

    bool everyParticleOutsideAnyElement() {
        for (int32_t p = 0; p < problem().NP; ++p)
            if (problem().particles[static_cast<std::size_t>(p)].element != -1) return false;
        return true;
    }
};

// ---- options window -------------------------------------------------------------------------

using OptionsWindow = PlotsTest;

TEST_F(OptionsWindow, StartsFromTheDefaultsInItsBoxes) {
    main().SpeedButtonOptionsClick();
    TFormOpt& w = options();
    ASSERT_TRUE(w.isVisible());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Options"));
    const QSize screen = w.screen()->geometry().size();
    EXPECT_EQ(w.pos(), QPoint((screen.width() - 456) / 2, 260));
    EXPECT_EQ(w.size(), QSize(456, 302));
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(w.SpeedButtonHelp->geometry(), QRect(456 - 25 - 4, 0, 25, 25));

    const struct {
        QCheckBox* box;
        const char* caption;
        bool checked;
        QFrame* panel;
        int y;
    } checks[] = {{w.CheckPreconditioner, "Use Preconditioner", false, w.PanelSolution, 40},
                  {w.CheckGeneral, "General Data", true, w.PanelPrint, 40},
                  {w.CheckNodes, "Nodes", false, w.PanelPrint, 64},
                  {w.CheckElements, "Elements", false, w.PanelPrint, 88},
                  {w.CheckMesh, "Mesh", false, w.PanelPrint, 112},
                  {w.CheckContours, "Contours", false, w.PanelPrint, 136},
                  {w.Check3D, "3D-Graph", false, w.PanelPrint, 160},
                  {w.CheckWater, "Groundwater Table", true, w.Panel3D, 40},
                  {w.CheckCont, "Contours", true, w.Panel3D, 64},
                  {w.CheckBottom, "Bottom Surface", true, w.Panel3D, 88},
                  {w.CheckTop, "Top Surface", false, w.Panel3D, 112}};
    for (const auto& check : checks) {
        EXPECT_EQ(check.box->text(), QString::fromLatin1(check.caption));
        EXPECT_EQ(check.box->isChecked(), check.checked) << check.caption;
        EXPECT_EQ(check.box->parentWidget(), check.panel) << check.caption;
        EXPECT_EQ(check.box->pos(), QPoint(24, check.y)) << check.caption;
    }
    EXPECT_EQ(w.PanelSolution->size(), QSize(150, 249));
    EXPECT_EQ(w.PanelPrint->x(), w.PanelSolution->x() + 150);
    EXPECT_EQ(w.Panel3D->x(), w.PanelPrint->x() + 150);

    for (QSlider* bar : {w.GraphScale, w.AngleScale}) {
        EXPECT_EQ(bar->value(), 5);
        EXPECT_EQ(bar->minimum(), 0);
        EXPECT_EQ(bar->maximum(), 10);
        EXPECT_EQ(bar->tickPosition(), QSlider::TicksBelow);
        EXPECT_EQ(bar->geometry(), QRect(20, 187, 100, 35));
    }
    EXPECT_EQ(w.GraphScale->pageStep(), 5);
    EXPECT_EQ(w.LabelGraphScale->text(), QStringLiteral("Graphics Scale "));
    EXPECT_EQ(w.LabelAngleScale->text(), QStringLiteral("Viewing Angle"));
    EXPECT_EQ(w.LabelAngleScale->pos(), QPoint(32, 224));

    EXPECT_DOUBLE_EQ(app->options.viewingAngle(), 45);
    EXPECT_DOUBLE_EQ(app->options.printScale(), 5.0 / 11);
    EXPECT_FALSE(problem().preconditioner);
}

TEST_F(OptionsWindow, TrackBarsGiveOneToEightyNineDegreesAndTheScaleMovesByFivePerPage) {
    main().SpeedButtonOptionsClick();
    TFormOpt& w = options();
    int optionChanges = 0;
    QObject::connect(&app->document, &Document::changed, [&](Change what) {
        if (touches(what, Change::Options)) ++optionChanges;
    });
    QTest::keyClick(w.AngleScale, Qt::Key_Home);
    EXPECT_EQ(app->options.AngleScale, 0);
    EXPECT_DOUBLE_EQ(app->options.viewingAngle(), 1);
    QTest::keyClick(w.AngleScale, Qt::Key_End);
    EXPECT_EQ(app->options.AngleScale, 10);
    EXPECT_DOUBLE_EQ(app->options.viewingAngle(), 89);
    EXPECT_EQ(optionChanges, 2);

    QTest::keyClick(w.GraphScale, Qt::Key_PageUp);
    EXPECT_EQ(app->options.GraphScale, 10);
    EXPECT_DOUBLE_EQ(app->options.printScale(), 10.0 / 11);
    QTest::keyClick(w.GraphScale, Qt::Key_PageDown);
    QTest::keyClick(w.GraphScale, Qt::Key_PageDown);
    EXPECT_EQ(app->options.GraphScale, 0);
    EXPECT_DOUBLE_EQ(app->options.printScale(), 0);
}

TEST_F(OptionsWindow, PreconditionerFlagFollowsClicksAndTheSolveReadsIt) {
    openFile(testData("ui_square.fem"));
    const Problem before = problem();
    main().SpeedButtonOptionsClick();
    TFormOpt& w = options();
    QTest::mouseClick(w.CheckPreconditioner, Qt::LeftButton);
    EXPECT_TRUE(problem().preconditioner);
    EXPECT_TRUE(app->options.CheckPreconditioner);
    QTest::mouseClick(w.CheckPreconditioner, Qt::LeftButton);
    EXPECT_FALSE(problem().preconditioner);

    // The solve after two clicks is the plain one.
    Problem plain = before, preconditioned = before;
    solveProblem(plain, false);
    solveProblem(preconditioned, true);
    ASSERT_NE(plain.errorLog, preconditioned.errorLog);
    main().SpeedButtonCalcClick();
    EXPECT_EQ(problem().errorLog, plain.errorLog);

    // Box and flag stay equal through New, which keeps every setting.
    main().SpeedButtonOptionsClick();
    QTest::mouseClick(w.CheckPreconditioner, Qt::LeftButton);
    main().New1Click();
    EXPECT_TRUE(problem().preconditioner);
    main().SpeedButtonOptionsClick();
    EXPECT_TRUE(w.CheckPreconditioner->isChecked());
}

TEST_F(OptionsWindow, SettingsSurviveHidingAndNew) {
    main().SpeedButtonOptionsClick();
    TFormOpt& w = options();
    QTest::mouseClick(w.CheckNodes, Qt::LeftButton);
    QTest::mouseClick(w.CheckWater, Qt::LeftButton);
    QTest::keyClick(w.AngleScale, Qt::Key_End);
    w.close();
    EXPECT_FALSE(app->isShown(WindowId::Options));
    main().New1Click();
    main().SpeedButtonOptionsClick();
    EXPECT_TRUE(w.CheckNodes->isChecked());
    EXPECT_FALSE(w.CheckWater->isChecked());
    EXPECT_EQ(w.AngleScale->value(), 10);
    EXPECT_TRUE(app->options.CheckNodes);
    EXPECT_FALSE(app->options.CheckWater);
    EXPECT_FALSE(app->options.graphChoices().CheckWater);
}

TEST_F(OptionsWindow, HelpTextLineByLine) {
    main().SpeedButtonOptionsClick();
    QTest::mouseClick(options().SpeedButtonHelp, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0],
              "Options :\n"
              "\n"
              "Solution Options :\n"
              "\n"
              "- Preconditioner : Use diagonal preconditioner in solution procedure.\n"
              "\n"
              "Print Options :\n"
              "\n"
              "- Print General Data : Print all general data, including the data of the\n"
              "    main nodes and the blocks,\n"
              "- Nodes : Print the data of all nodes,\n"
              "- Elements : Print the data of all elements,\n"
              "- Mesh : Print a graph of the finite element mesh,\n"
              "- Contours : Print a graph of contours of the groundwater head,\n"
              "- 3D-Graph : Print a three dimensional graph of the groundwater head,\n"
              "- Graphics Scale : Scale of the graphs on printing paper.\n"
              "\n"
              "Warning : For a large problem, with many nodes and elements, printing the\n"
              "output data of all nodes and all elements may require the printing of many\n"
              "pages of output data.\n"
              "\n"
              "3D-Graphics Options :\n"
              "\n"
              "- Groundwater Table : Show mesh of the groundwater head, in blue,\n"
              "- Contours : Draw contours of the groundwater head, in red,\n"
              "- Bottom Surface : Show mesh in the bottom of the aquifer, in green,\n"
              "- Top Surface : Show mesh in the top of the aquifer, in yellow,\n"
              "- Viewing Angle : Scale of the viewing angle (1..89 degrees).");
}

TEST_F(OptionsWindow, CloseGroupsOfTheCommands) {
    main().FormPaint();
    main().SpeedButtonContoursClick();
    main().SpeedButtonOptionsClick();
    EXPECT_FALSE(app->isShown(WindowId::Contours));
    EXPECT_TRUE(app->isShown(WindowId::Options));
    main().SpeedButton3dClick();
    EXPECT_FALSE(app->isShown(WindowId::Options));
    main().SpeedButtonOptionsClick();
    EXPECT_FALSE(app->isShown(WindowId::Graph3D));
    EXPECT_FALSE(app->window(WindowId::Graph3D).isVisible());
    main().SpeedButtonMeshClick();
    EXPECT_FALSE(app->isShown(WindowId::Options));
    main().SpeedButtonMeshClick();
    main().SpeedButtonOptionsClick();
    main().SpeedButtonEditClick();
    EXPECT_FALSE(app->isShown(WindowId::Options));
    main().SpeedButtonEditClick();
    main().SpeedButtonOptionsClick();
    main().SpeedButtonOpenClick(); // cancelled: closes all the same
    EXPECT_FALSE(app->isShown(WindowId::Options));

    for (const Command command : {Command::Save, Command::Solve}) {
        const auto closed = windowsClosedBy(command);
        EXPECT_NE(std::find(closed.begin(), closed.end(), WindowId::Options), closed.end());
    }
    const auto byOptions = windowsClosedBy(Command::Options);
    EXPECT_EQ(std::vector<WindowId>(byOptions.begin(), byOptions.end()),
              (std::vector<WindowId>{WindowId::Contours, WindowId::Graph3D}));
}

// ---- the two plot windows -------------------------------------------------------------------

using PlotWindows = PlotsTest;

TEST_F(PlotWindows, CreatedAtTheirPlacesWithPanelAndHelp) {
    const QSize screen = contours().screen()->geometry().size();
    for (PlotWindow* window : {static_cast<PlotWindow*>(&contours()), static_cast<PlotWindow*>(&graph())}) {
        EXPECT_EQ(window->pos(), QPoint(20, 75));
        EXPECT_EQ(window->size(), QSize(screen.width() - 40, screen.height() - 80));
        EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_EQ(window->SpeedButtonHelp->geometry().right(), window->width() - 2);
        EXPECT_EQ(window->SpeedButtonHelp->toolTip(), QStringLiteral("Help"));
    }
    EXPECT_EQ(contours().PanelContours->geometry(), QRect(0, 0, contours().width(), 25));
    EXPECT_EQ(graph().Panel3D->geometry(), QRect(0, 0, graph().width(), 25));

    QTest::mouseClick(contours().SpeedButtonHelp, Qt::LeftButton);
    QTest::mouseClick(graph().SpeedButtonHelp, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0], "Contours\n\nThis window shows the contours of the groundwater head, and "
                                   "pathlines of the particles, if NP > 0.");
    EXPECT_EQ(
        dialogs.messages[1].rfind("3D-Graph\n\nThis window shows a 3D-graph of the groundwater head.\n\n"
                                  "The figure may show",
                                  0),
        0u);
    EXPECT_NE(dialogs.messages[1].find("OPTIONS window.  If NP>0 the pathlines of particles will be traced."),
              std::string::npos);
}

TEST_F(PlotWindows, ContourLegendOfTheFirstExampleInThePanel) {
    openExample("Val1.fem");
    showContours();
    // Heads from 10 m to 15 m: interval 0.25 rounded to 0.3, sixteen steps up to 14.8 m.
    EXPECT_EQ(contours().PanelContours->text(),
              QStringLiteral("Minimum Contour : 10 m, Maximum Contour : 14.8 m, Contour Interval : 0.3 m"));
    EXPECT_TRUE(everyParticleOutsideAnyElement());
}

TEST_F(PlotWindows, PictureIsTheQtCanvasDrawingKeptUntilWhatItShowsChanges) {
    openExample("Val1.fem");
    showContours(QSize(500, 300));
    EXPECT_EQ(contours().picture(), contourDrawing(QSize(500, 300)));
    const int drawings = contours().drawingsStarted();

    contours().repaint();
    app->document.notify(Change::FileName | Change::Options);
    QCoreApplication::processEvents();
    EXPECT_TRUE(contours().pictureCurrent());
    EXPECT_EQ(contours().drawingsStarted(), drawings);

    problem().nodes[0].F = 18; // as the Nodes window would
    app->document.notify(Change::NodeValues);
    EXPECT_FALSE(contours().pictureCurrent());
    waitForPicture(contours());
    EXPECT_EQ(contours().drawingsStarted(), drawings + 1);
    EXPECT_EQ(contours().picture(), contourDrawing(QSize(500, 300)));
    EXPECT_EQ(contours().PanelContours->text().left(24), QStringLiteral("Minimum Contour : 10 m, "));
}

TEST_F(PlotWindows, ResizesInARowAreDrawnOnceAtTheLastSize) {
    showContours(QSize(500, 300));
    const int drawings = contours().drawingsStarted();
    for (int k = 1; k <= 4; ++k) {
        contours().setFixedSize(500 + 10 * k, 300 + 5 * k);
        QCoreApplication::processEvents();
    }
    waitForPicture(contours());
    EXPECT_EQ(contours().drawingsStarted(), drawings + 1);
    EXPECT_EQ(contours().picture().size(), QSize(540, 320));
}

TEST_F(PlotWindows, GraphReadsItsOptionsAtEveryDrawingAndKeepsTheLastLegend) {
    openExample("Val1.fem");
    showGraph();
    const QString legend = graph().Panel3D->text();
    EXPECT_TRUE(legend.startsWith(QStringLiteral("Minimum Contour : 10 m")));
    EXPECT_FALSE(coloursOf(graph().picture()).count(kYellowRgb));

    // Every choice off: the frame and the pathlines (NP = 3), and the legend of the last graph.
    main().SpeedButtonOptionsClick();
    for (QCheckBox* check : {options().CheckWater, options().CheckCont, options().CheckBottom})
        QTest::mouseClick(check, Qt::LeftButton);
    showGraph();
    EXPECT_EQ(coloursOf(graph().picture()), (std::set<QRgb>{kSilverRgb, kWhiteRgb, kBlackRgb, kBlueRgb}));
    EXPECT_EQ(graph().Panel3D->text(), legend);

    main().SpeedButtonOptionsClick();
    QTest::mouseClick(options().CheckTop, Qt::LeftButton);
    showGraph();
    EXPECT_TRUE(coloursOf(graph().picture()).count(kYellowRgb));
}

TEST_F(PlotWindows, ProblemsWithoutExtentOrSolutionShowFrameAndMesh) {
    // The default problem, never solved: frame, mesh and contours of the heads as they stand.
    showContours();
    const std::set<QRgb> unsolved = coloursOf(contours().picture());
    for (const QRgb colour : {kBlackRgb, kAquaRgb, kWhiteRgb, kRedRgb})
        EXPECT_TRUE(unsolved.count(colour)) << std::hex << colour;
    main().SpeedButtonContoursClick();

    struct Case {
        const char* name;
        std::function<void(Problem&)> change;
        QRgb planColour; // a colour that must show in the plan (0: anything drawn)
    };
    const Case cases[] = {
        {"all nodes on one vertical line (dx = 0)", [](Problem& p) { p.nodes[2].X = 0; }, 0},
        {"all nodes on one horizontal line (dy = 0, P = 0)", [](Problem& p) { p.nodes[1].Y = 0; }, 0},
        {"one elevation everywhere (Zr = 0)",
         [](Problem& p) {
             for (int i = 0; i < 3; ++i)
                 p.nodes[static_cast<std::size_t>(i)].B = p.nodes[static_cast<std::size_t>(i)].T =
                     p.nodes[static_cast<std::size_t>(i)].F = 10;
         },
         kBlackRgb},
        {"no nodes (NN = 0)",
         [](Problem& p) {
             p.NN = 0;
             p.NM = 0;
         },
         kBlackRgb},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        problem().resetToDefaultProblem();
        c.change(problem());
        app->document.notify(Change::Problem);
        showContours();
        // A plan without extent in one direction has a frame without width: the mesh and its
        // contours show as a line.
        const std::set<QRgb> plan = coloursOf(contours().picture());
        EXPECT_TRUE(c.planColour ? plan.count(c.planColour) > 0 : plan.size() > 1);
        EXPECT_TRUE(contours().PanelContours->text().startsWith(QStringLiteral("Minimum Contour : ")));
        showGraph();
        EXPECT_TRUE(coloursOf(graph().picture()).count(kBlackRgb));
        EXPECT_TRUE(graph().Panel3D->text().startsWith(QStringLiteral("Minimum Contour : ")));
        main().SpeedButton3dClick();
    }
}

TEST_F(PlotWindows, SavedSvgEqualsTheBatchPictureOfTheSameProblemAndSize) {
    openExample("Val1.fem");
    showContours(QSize(900, 500));
    dialogs.saveAnswers.push_back(std::string("window.svg"));
    contours().SavePicture->trigger();
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].fileName, "Val1-contours.png");
    EXPECT_EQ(dialogs.saveRequests[0].filter, "PNG(*.png)|*.png|SVG(*.svg)|*.svg");
    EXPECT_TRUE(dialogs.messages.empty());

    const std::string command = std::string(VELKOR_BATCH_PROGRAM) + " " + VELKOR_EXAMPLES_DIR +
                                "/Val1.fem --contours-svg batch.svg --size 900x500";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::string saved = fileText("window.svg");
    EXPECT_GT(saved.size(), 1000u);
    EXPECT_EQ(saved, fileText("batch.svg"));
}

TEST_F(PlotWindows, SavedPngIsWhatTheWindowShowsAndTheModelStaysAsItWas) {
    openExample("Val1.fem");
    showGraph(QSize(600, 400));
    std::filesystem::create_directories("before");
    std::filesystem::create_directories("after");
    ASSERT_TRUE(writeDatafile(problem(), "before/model.fem").ok());

    dialogs.saveAnswers.push_back(std::string("graph.png"));
    graph().SavePicture->trigger();
    EXPECT_TRUE(dialogs.messages.empty());
    const QImage saved(QStringLiteral("graph.png"));
    ASSERT_EQ(saved.size(), QSize(600, 400));
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32),
              graph().grab().toImage().convertToFormat(QImage::Format_RGB32));

    // A picture that cannot be written is reported; a cancelled dialog writes nothing.
    dialogs.saveAnswers.push_back(std::string("no/such/folder/graph.svg"));
    graph().SavePicture->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "Saving picture failed or canceled");
    graph().SavePicture->trigger();
    EXPECT_EQ(dialogs.messages.size(), 1u);

    ASSERT_TRUE(writeDatafile(problem(), "after/model.fem").ok());
    EXPECT_TRUE(fileText("before/model.fem") == fileText("after/model.fem"));
}

// ---- tracking inside the windows ------------------------------------------------------------

using TrackingRun = PlotsTest;

TEST_F(TrackingRun, PaintDuringTheRunShowsThePictureSoFarWithoutASecondRun) {
    openExample("Val1.fem");
    contours().setFixedSize(500, 300);
    int shown = 0;
    bool sawPartialPicture = false;
    contours().afterProgressShown = [&] {
        ++shown;
        EXPECT_TRUE(trackingInProgress());
        contours().repaint();
        EXPECT_EQ(contours().drawingsStarted(), 1);
        EXPECT_EQ(contours().pictureState(), PlotWindow::PictureState::Drawing);
        const QImage onScreen = contours().grab(QRect(0, 30, 500, 270)).toImage();
        sawPartialPicture = onScreen.convertToFormat(QImage::Format_RGB32) ==
                            contours().picture().copy(0, 30, 500, 270).convertToFormat(QImage::Format_RGB32);
    };
    main().SpeedButtonContoursClick();
    waitForPicture(contours());
    EXPECT_GT(shown, 0);
    EXPECT_TRUE(sawPartialPicture);
    EXPECT_EQ(contours().drawingsStarted(), 1);
}

TEST_F(TrackingRun, EscapeStopsTheRunAndTheProgramGoesOn) {
    openExample("Val1.fem");
    contours().setFixedSize(500, 300);
    int shown = 0;
    contours().afterProgressShown = [&] {
        if (shown++ == 0) QTest::keyClick(&contours(), Qt::Key_Escape);
    };
    main().SpeedButtonContoursClick();
    waitUntil([&] { return contours().pictureState() == PlotWindow::PictureState::Stopped; });
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(contours().pictureState(), PlotWindow::PictureState::Stopped);
    EXPECT_TRUE(everyParticleOutsideAnyElement());
    EXPECT_FALSE(app->workRunning());
    EXPECT_FALSE(trackingInProgress());

    // The stopped picture stays (no new run by itself); reopening the window draws it whole.
    QCoreApplication::processEvents();
    EXPECT_EQ(contours().drawingsStarted(), 1);
    contours().afterProgressShown = nullptr;
    main().SpeedButtonContoursClick();
    showContours(QSize(500, 300));
    EXPECT_EQ(contours().drawingsStarted(), 2);
    main().SpeedButtonCalcClick();
    EXPECT_EQ(dialogs.saveRequests.size(), 1u); // the solve ran to its save dialog
}

TEST_F(TrackingRun, ClosingTheWindowOrACommandStopsTheRun) {
    openExample("Val1.fem");
    contours().setFixedSize(500, 300);
    const auto runOver = [&](PlotWindow& window) {
        return window.drawingsStarted() > 0 && window.pictureState() != PlotWindow::PictureState::Drawing;
    };
    contours().afterProgressShown = [&] { contours().close(); };
    main().SpeedButtonContoursClick();
    waitUntil([&] { return runOver(contours()); });
    EXPECT_FALSE(app->isShown(WindowId::Contours));
    EXPECT_FALSE(contours().isVisible());
    EXPECT_NE(contours().pictureState(), PlotWindow::PictureState::Complete);
    EXPECT_TRUE(everyParticleOutsideAnyElement());

    // A command stops the run, then runs: Options hides the graph.
    graph().setFixedSize(500, 300);
    graph().afterProgressShown = [&] { main().SpeedButtonOptionsClick(); };
    main().SpeedButton3dClick();
    waitUntil([&] { return app->isShown(WindowId::Options); });
    EXPECT_FALSE(app->isShown(WindowId::Graph3D));
    EXPECT_NE(graph().pictureState(), PlotWindow::PictureState::Complete);
    EXPECT_TRUE(everyParticleOutsideAnyElement());
    EXPECT_FALSE(app->workRunning());

    // A command that leaves the window on the screen: the plot is drawn whole once it has run.
    int shown = 0;
    contours().afterProgressShown = [&] {
        if (shown++ == 0) main().SpeedButtonManualClick();
    };
    main().SpeedButtonContoursClick();
    waitForPicture(contours());
    EXPECT_TRUE(app->isShown(WindowId::Manual));
    EXPECT_TRUE(app->isShown(WindowId::Contours));
    EXPECT_EQ(contours().drawingsStarted(), 3);
}

TEST_F(TrackingRun, QuitDuringARunEndsTheProgramWhenTheRunHasStopped) {
    openExample("Val1.fem");
    contours().setFixedSize(500, 300);
    contours().afterProgressShown = [&] {
        main().close();
        EXPECT_EQ(endRequests, 0); // not under the running tracker
        EXPECT_TRUE(problem().tablesAllocated);
    };
    main().SpeedButtonContoursClick();
    waitUntil([&] { return endRequests > 0; });
    EXPECT_EQ(endRequests, 1);
    EXPECT_FALSE(problem().tablesAllocated);
}

TEST_F(TrackingRun, ChangesDuringTheRunStopItAndTheWindowDrawsAgain) {
    openExample("Val1.fem");
    contours().setFixedSize(500, 300);
    TableGrid& limits = *main().InstallationGrid;
    TableGrid& general = *main().GeneralGrid;
    int shown = 0;
    contours().afterProgressShown = [&] {
        if (shown++ > 0) return;
        // New limits would make the tables anew under the tracker: they wait for the run.
        limits.setCurrentCell(1, 4);
        typeIntoCell(limits, QStringLiteral("2"));
        pressKey(limits, Qt::Key_Return);
        EXPECT_EQ(problem().limits.PMAX, app->installation.limits.PMAX);
        EXPECT_EQ(problem().NN, 1089);
        EXPECT_EQ(limits.row(), 4);
        // A new particle count is taken, and the picture of the old one is given up.
        general.setCurrentCell(1, static_cast<int>(GeneralRow::NP));
        typeIntoCell(general, QStringLiteral("2"));
        pressKey(general, Qt::Key_Return);
        EXPECT_EQ(problem().NP, 2);
    };
    main().SpeedButtonContoursClick();
    waitForPicture(contours());
    EXPECT_EQ(contours().drawingsStarted(), 2);
    EXPECT_EQ(problem().NN, 1089);
    EXPECT_TRUE(limits.hasPendingEdit());
}

TEST_F(TrackingRun, ElementLocatorIsKeptUntilTheMeshChanges) {
    openExample("Val1.fem");
    const int built = PlotWindow::locatorsBuilt();
    showContours();
    EXPECT_EQ(PlotWindow::locatorsBuilt(), built + 1);
    problem().particles[0].Y = 30;
    app->document.notify(Change::Particles);
    waitForPicture(contours());
    showGraph();
    EXPECT_EQ(PlotWindow::locatorsBuilt(), built + 1);
    app->document.notify(Change::Mesh);
    waitForPicture(graph());
    EXPECT_EQ(PlotWindow::locatorsBuilt(), built + 2);
}

TEST_F(TrackingRun, ClampedHeightsAreAnnouncedWithoutDrawingAgain) {
    openExample("Val1.fem");
    problem().particles[1].Z = 50; // above the water table
    int particleChanges = 0;
    QObject::connect(&app->document, &Document::changed, [&](Change what) {
        if (touches(what, Change::Particles)) ++particleChanges;
    });
    showContours();
    EXPECT_LT(problem().particles[1].Z, 15.0);
    EXPECT_EQ(particleChanges, 1);
    for (int k = 0; k < 5; ++k)
        QCoreApplication::processEvents();
    EXPECT_EQ(contours().drawingsStarted(), 1);
}

// ---- QtCanvas on an image -------------------------------------------------------------------

QImage blankImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(0xC0, 0xC0, 0xC0));
    return image;
}

QRgb rgbAt(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFFu;
}

// Sends every call to both canvases.
class TeeCanvas : public Canvas {
  public:
    TeeCanvas(Canvas& a, Canvas& b) : a_(a), b_(b) {}
    void setPen(const Pen& pen) override { a_.setPen(pen), b_.setPen(pen); }
    void setBrush(Colour colour) override { a_.setBrush(colour), b_.setBrush(colour); }
    void setFont(const Font& font) override { a_.setFont(font), b_.setFont(font); }
    void line(int x1, int y1, int x2, int y2) override { a_.line(x1, y1, x2, y2), b_.line(x1, y1, x2, y2); }
    void polygon(const CanvasPoint& p, const CanvasPoint& q, const CanvasPoint& r) override {
        a_.polygon(p, q, r), b_.polygon(p, q, r);
    }
    void rectangle(int l, int t, int r, int b) override {
        a_.rectangle(l, t, r, b), b_.rectangle(l, t, r, b);
    }
    void ellipse(int l, int t, int r, int b) override { a_.ellipse(l, t, r, b), b_.ellipse(l, t, r, b); }
    void text(int x, int y, std::string_view text) override { a_.text(x, y, text), b_.text(x, y, text); }
    int textWidth(std::string_view text) override { return a_.textWidth(text); }
    int textHeight(std::string_view text) override { return a_.textHeight(text); }

  private:
    Canvas& a_;
    Canvas& b_;
};

std::vector<int> numbersAfter(const std::string& call, const char* name) {
    std::istringstream in(call.substr(std::strlen(name)));
    std::vector<int> numbers;
    for (int value; in >> value;)
        numbers.push_back(value);
    return numbers;
}

TEST(QtCanvasImage, PlotCallsLandWhereTheRecordingPutsThem) {
    Problem problem;
    Limits limits;
    ASSERT_TRUE(problem.allocateTables(limits));
    problem.resetToDefaultProblem();
    problem.buildColoursAndDefaultSoils();
    QImage image = blankImage(300, 200);
    RecordingCanvas recording;
    {
        QPainter painter(&image);
        QtCanvas qt(painter);
        TeeCanvas both(recording, qt);
        drawContourPlot(problem, both, 300, 200);
    }
    int frames = 0, contours = 0, triangles = 0;
    for (const std::string& call : recording.calls) {
        if (call.rfind("rectangle", 0) == 0) {
            // The frame covers left..right-1 and top..bottom-1: its corner away from the mesh is
            // black, the column right of it untouched.
            const std::vector<int> r = numbersAfter(call, "rectangle");
            EXPECT_EQ(rgbAt(image, r[2] - 1, r[1]), kBlackRgb);
            EXPECT_EQ(rgbAt(image, r[2], r[1]), kSilverRgb);
            EXPECT_EQ(rgbAt(image, r[2] - 3, r[1] + 3), kWhiteRgb);
            ++frames;
        } else if (call.rfind("line", 0) == 0) {
            const std::vector<int> l = numbersAfter(call, "line");
            EXPECT_EQ(rgbAt(image, l[0], l[1]), kRedRgb) << call;
            EXPECT_EQ(rgbAt(image, l[2], l[3]), kRedRgb) << call;
            ++contours;
        } else if (call.rfind("polygon", 0) == 0) {
            const std::vector<int> p = numbersAfter(call, "polygon");
            const int cx = (p[0] + p[2] + p[4]) / 3, cy = (p[1] + p[3] + p[5]) / 3;
            EXPECT_TRUE(rgbAt(image, cx, cy) == kWhiteRgb || rgbAt(image, cx, cy) == kRedRgb);
            // The horizontal side from head 20 m down to 10 m, at head 17.25 m: between two
            // contours, so the outline shows.
            ASSERT_EQ(p[1], p[5]);
            EXPECT_EQ(rgbAt(image, p[0] + (p[4] - p[0]) * 11 / 40, p[1]), kAquaRgb);
            ++triangles;
        }
    }
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(triangles, 1);
    EXPECT_EQ(contours, 21);
}

TEST(QtCanvasImage, NotXorDrawnTwiceRestoresTheImage) {
    QImage image = blankImage(80, 60);
    {
        QPainter painter(&image);
        QtCanvas canvas(painter);
        canvas.setPenColour(kAqua);
        canvas.polygon({5, 5}, {70, 10}, {20, 50});
    }
    const QImage before = image.copy();
    QPainter painter(&image);
    QtCanvas canvas(painter);
    canvas.setPen(Pen{kBlack, PenStyle::Solid, 1, PenMode::NotXor});
    canvas.line(0, 0, 79, 59);
    canvas.line(3, 40, 5, 41);
    painter.end();
    EXPECT_NE(image, before);
    EXPECT_EQ(rgbAt(image, 0, 0), 0x3F3F3Fu); // not (black xor silver)
    painter.begin(&image);
    QtCanvas again(painter);
    again.setPen(Pen{kBlack, PenStyle::Solid, 1, PenMode::NotXor});
    again.line(0, 0, 79, 59);
    again.line(3, 40, 5, 41);
    painter.end();
    EXPECT_EQ(image, before);
}

// Small triangles and short lines are written straight into the image from what QPainter drew for
// their shape once: every picture must be the one QPainter paints itself (a clipped painter
// leaves every shape to QPainter).
TEST(QtCanvasImage, StampedShapesEqualWhatQPainterDraws) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> position(-3, 163), offset(-6, 6), colour(0, 255);
    QImage stamped = blankImage(160, 120), painted = blankImage(160, 120);
    QPainter stampedPainter(&stamped), paintedPainter(&painted);
    paintedPainter.setClipRect(painted.rect());
    QtCanvas fast(stampedPainter), plain(paintedPainter);
    TeeCanvas both(fast, plain);
    for (int k = 0; k < 4000; ++k) {
        const Colour pen{static_cast<uint8_t>(colour(random)), static_cast<uint8_t>(colour(random)), 7};
        both.setPenColour(pen);
        both.setBrush(Colour{static_cast<uint8_t>(colour(random)), 200, 9});
        const int x = position(random), y = position(random);
        if (k % 3 == 0)
            both.line(x, y, x + offset(random), y + offset(random));
        else
            both.polygon({x, y}, {x + offset(random), y + offset(random)},
                         {x + offset(random), y + offset(random)});
    }
    stampedPainter.end();
    paintedPainter.end();
    EXPECT_EQ(stamped, painted);
}

// A square of n x n cells of two triangles with heads sloping in x and y: on a small canvas
// every triangle is a pixel or a few.
void makeFineSquare(Problem& problem, int n) {
    Limits limits;
    limits.NMAX = (n + 1) * (n + 1);
    limits.MMAX = 2 * n * n;
    ASSERT_TRUE(problem.allocateTables(limits));
    problem.NN = limits.NMAX;
    problem.NM = limits.MMAX;
    for (int i = 0; i <= n; ++i)
        for (int j = 0; j <= n; ++j) {
            Node& node = problem.nodes[static_cast<std::size_t>(i * (n + 1) + j)];
            node.X = 1000.0 * i / n;
            node.Y = 1000.0 * j / n;
            node.T = 30;
            node.F = 20 - 0.006 * node.X - 0.004 * node.Y;
        }
    std::size_t m = 0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const int32_t a = i * (n + 1) + j, b = (i + 1) * (n + 1) + j;
            problem.elements[m++] = Element{{a, b, b + 1}, 0, 0, 0, 0, 0, 0};
            problem.elements[m++] = Element{{a, b + 1, a + 1}, 0, 0, 0, 0, 0, 0};
        }
}

TEST(QtCanvasImage, DenseMeshDrawsAsQPainterDrawsIt) {
    Problem problem;
    makeFineSquare(problem, 90);
    const QSize size(300, 220);
    QImage stamped = blankImage(size.width(), size.height()), painted = stamped.copy();
    QPainter stampedPainter(&stamped), paintedPainter(&painted);
    paintedPainter.setClipRect(painted.rect());
    QtCanvas fast(stampedPainter), plain(paintedPainter);
    TeeCanvas both(fast, plain);
    drawContourPlot(problem, both, size.width(), size.height());
    stampedPainter.end();
    paintedPainter.end();
    EXPECT_EQ(stamped, painted);

    stampedPainter.begin(&stamped);
    paintedPainter.begin(&painted);
    paintedPainter.setClipRect(painted.rect());
    QtCanvas fast3D(stampedPainter), plain3D(paintedPainter);
    TeeCanvas both3D(fast3D, plain3D);
    draw3DGraph(problem, both3D, size.width(), size.height(), GraphChoices{true, true, true, true, 30});
    stampedPainter.end();
    paintedPainter.end();
    EXPECT_EQ(stamped, painted);
}

TEST(Dialogs, SeveralKindsOfFileInOneFilter) {
    EXPECT_EQ(desktopFilter("FEM(*.fem)|*.fem"), "FEM (*.fem)");
    EXPECT_EQ(desktopFilter("PNG(*.png)|*.png|SVG(*.svg)|*.svg"), "PNG (*.png);;SVG (*.svg)");
}

} // namespace
