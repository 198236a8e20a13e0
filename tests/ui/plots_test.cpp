// The options window, the contour window and the 3D-graph window, driven through their controls.
#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QSlider>
#include <QToolButton>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include <sys/wait.h>

#include "io/datafile.h"
#include "paint/qt_canvas.h"
#include "plots_support.h"
#include "results/contour_plot.h"
#include "results/particle_tracker.h"
#include "results/recording_canvas.h"
#include "results/three_d_graph.h"
#include "solver/solve_command.h"
#include "ui/contours_window.h"
#include "ui/graph3d_window.h"
#include "ui/options_window.h"
#include "ui_support.h"

using namespace velkor;
using namespace velkor::testing;

namespace {

QImage blankImage(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(0xC0, 0xC0, 0xC0));
    return image;
}

class PlotsTest : public ProgramTest {
  protected:
    TFormOpt& options() { return static_cast<TFormOpt&>(app->window(WindowId::Options)); }
    TFormContours& contours() { return static_cast<TFormContours&>(app->window(WindowId::Contours)); }
    TForm3D& graph() { return static_cast<TForm3D&>(app->window(WindowId::Graph3D)); }

    void openExample(const char* name) { openFile(std::string(VELKOR_EXAMPLES_DIR) + "/" + name); }

    // Shows the window by its command (the window was hidden) and waits for its picture.
    void show(PlotWindow& window, QSize size = QSize(640, 400)) {
        window.setFixedSize(size);
        if (&window == &contours())
            main().SpeedButtonContoursClick();
        else
            main().SpeedButton3dClick();
        ASSERT_TRUE(window.isVisible());
        waitForPicture(window);
    }

    bool everyParticleOutsideAnyElement() {
        for (int32_t p = 0; p < problem().NP; ++p)
            if (problem().particles[static_cast<std::size_t>(p)].element != -1) return false;
        return true;
    }
};

// ---- options window -------------------------------------------------------------------------

using OptionsWindow = PlotsTest;

TEST_F(OptionsWindow, TrackBarsAndDerivedValues) {
    main().SpeedButtonOptionsClick();
    TFormOpt& w = options();
    // The boxes and bars as they open: OptionsLook.FrameColoursAndTheSettingsShownWhenItOpens.
    EXPECT_EQ(w.GraphScale->tickPosition(), QSlider::TicksBelow);
    EXPECT_DOUBLE_EQ(app->options.viewingAngle(), 45);
    EXPECT_DOUBLE_EQ(app->options.printScale(), 5.0 / 11);

    QTest::keyClick(w.AngleScale, Qt::Key_Home);
    EXPECT_DOUBLE_EQ(app->options.viewingAngle(), 1);
    QTest::keyClick(w.AngleScale, Qt::Key_End);
    EXPECT_DOUBLE_EQ(app->options.viewingAngle(), 89);
    QTest::keyClick(w.GraphScale, Qt::Key_PageUp); // a page is five positions
    EXPECT_DOUBLE_EQ(app->options.printScale(), 10.0 / 11);
}

TEST_F(OptionsWindow, PreconditionerFollowsClicksAndSettingsSurviveNew) {
    openFile(testData("ui_square.fem"));
    Problem plain = problem(), preconditioned = problem();
    solveProblem(plain, false);
    solveProblem(preconditioned, true);
    ASSERT_NE(plain.errorLog, preconditioned.errorLog);

    main().SpeedButtonOptionsClick();
    TFormOpt& w = options();
    QTest::mouseClick(w.CheckPreconditioner, Qt::LeftButton);
    EXPECT_TRUE(problem().preconditioner);
    QTest::mouseClick(w.CheckPreconditioner, Qt::LeftButton);
    EXPECT_FALSE(problem().preconditioner);
    main().SpeedButtonCalcClick();
    finishLongRun();
    EXPECT_EQ(problem().errorLog, plain.errorLog);

    // New keeps every setting, and the flag stays what the box shows.
    main().SpeedButtonOptionsClick();
    QTest::mouseClick(w.CheckPreconditioner, Qt::LeftButton);
    QTest::mouseClick(w.CheckWater, Qt::LeftButton);
    w.close();
    main().New1Click();
    EXPECT_TRUE(problem().preconditioner);
    EXPECT_FALSE(app->options.graphChoices().CheckWater);
    main().SpeedButtonOptionsClick();
    EXPECT_TRUE(w.CheckPreconditioner->isChecked());
    EXPECT_FALSE(w.CheckWater->isChecked());
}

TEST_F(OptionsWindow, HelpAndCloseGroups) {
    main().SpeedButtonOptionsClick();
    QTest::mouseClick(options().SpeedButtonHelp, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    const std::string& help = dialogs.messages[0];
    EXPECT_EQ(help.rfind("Options :\n\nSolution Options :\n\n", 0), 0u);
    EXPECT_NE(help.find("\n- Mesh : Print a graph of the finite element mesh,\n"), std::string::npos);
    EXPECT_EQ(std::count(help.begin(), help.end(), '\n'), 34); // 35 lines, the last without a break
    EXPECT_NE(help.find("\n- Budget : Print the water budget of the solution,\n"), std::string::npos);
    EXPECT_NE(
        help.find("\n- Viewing Angle : Scale of the viewing angle (1..89 degrees).\n\nPlot Options :\n"),
        std::string::npos);
    EXPECT_EQ(help.substr(help.rfind('\n') + 1), "- Scale bar : Draw a scale in metres in the contour plot.");

    main().FormPaint();
    main().SpeedButton3dClick();
    EXPECT_FALSE(app->isShown(WindowId::Options));
    main().SpeedButtonOptionsClick();
    EXPECT_FALSE(app->isShown(WindowId::Graph3D));
    main().SpeedButtonMeshClick();
    EXPECT_FALSE(app->isShown(WindowId::Options));
}

// Budget sits in the print box below the graphics scale, inside the box and clear of the label
// above it, and the print command prints the budget when it is checked.
TEST_F(OptionsWindow, BudgetBoxPrintsTheWaterBudget) {
    openExample("Val3.fem");
    main().SpeedButtonOptionsClick();
    TFormOpt& w = options();
    ASSERT_EQ(w.CheckBudget->parentWidget(), w.PanelPrint);
    EXPECT_EQ(w.CheckBudget->text(), QStringLiteral("Budget"));
    EXPECT_GE(w.CheckBudget->geometry().top(), w.LabelGraphScale->geometry().bottom());
    EXPECT_LE(w.CheckBudget->geometry().bottom(), w.PanelPrint->height() - 4);
    EXPECT_LE(w.PanelPrint->geometry().bottom(), w.height());
    EXPECT_EQ(w.Check3D->pos(), QPoint(24, 160)); // the boxes before it stay where they were
    EXPECT_EQ(w.GraphScale->geometry(), QRect(20, 187, 100, 35));

    QTest::mouseClick(w.CheckGeneral, Qt::LeftButton);
    QTest::mouseClick(w.CheckBudget, Qt::LeftButton);
    EXPECT_TRUE(app->options.CheckBudget);
    EXPECT_FALSE(app->options.CheckGeneral);
    const std::string pdf = (std::filesystem::current_path() / "options_budget.pdf").string();
    dialogs.printAnswers.push_back(pdf);
    click(main().SpeedButtonPrint);
    const std::string text = pdfText(pdf);
    EXPECT_NE(text.find("Water Budget"), std::string::npos) << text;
    EXPECT_NE(text.find("All flows"), std::string::npos) << text;
    EXPECT_EQ(text.find("General Data"), std::string::npos) << text;
    QTest::mouseClick(w.CheckBudget, Qt::LeftButton);
    EXPECT_FALSE(app->options.CheckBudget);
}

// ---- the two plot windows -------------------------------------------------------------------

using PlotWindows = PlotsTest;

TEST_F(PlotWindows, PanelWithHelpAtItsRightEnd) {
    for (PlotWindow* window : {static_cast<PlotWindow*>(&contours()), static_cast<PlotWindow*>(&graph())}) {
        EXPECT_EQ(window->pos(), QPoint(20, 75));
        EXPECT_EQ(window->SpeedButtonHelp->geometry().right(), window->width() - 2);
        EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    }
    EXPECT_EQ(contours().PanelContours->geometry(), QRect(0, 0, contours().width(), 25));
    QTest::mouseClick(contours().SpeedButtonHelp, Qt::LeftButton);
    QTest::mouseClick(graph().SpeedButtonHelp, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0], "Contours\n\n"
                                   "This window shows the contours of the groundwater head, and pathlines "
                                   "of the particles, if NP > 0.");
    EXPECT_EQ(dialogs.messages[1],
              "3D-Graph\n\n"
              "This window shows a 3D-graph of the groundwater head.\n\n"
              "The figure may show the groundwater table, contours of the groundwater head, the bottom of "
              "the aquifer and the top of the aquifer, depending on the values of parameters set in the "
              "OPTIONS window.  If NP>0 the pathlines of particles will be traced.");
}

TEST_F(PlotWindows, PictureIsKeptUntilWhatItShowsChangesAndResizesDrawOnce) {
    openExample("Val1.fem");
    show(contours(), QSize(500, 300));
    // Heads from 10 m to 15 m: interval 0.25 rounded to 0.3, sixteen steps up to 14.8 m.
    EXPECT_EQ(contours().PanelContours->text(),
              QStringLiteral("Minimum Contour : 10 m, Maximum Contour : 14.8 m, Contour Interval : 0.3 m"));
    EXPECT_EQ(contours().picture(), contourPictureOf(problem(), QSize(500, 300)));

    app->document.notify(Change::FileName | Change::Options); // nothing the plan shows
    contours().repaint();
    QCoreApplication::processEvents();
    EXPECT_EQ(contours().drawingsStarted(), 1);
    app->document.notify(Change::NodeValues);
    waitForPicture(contours());
    EXPECT_EQ(contours().drawingsStarted(), 2);

    for (int k = 1; k <= 4; ++k) {
        contours().setFixedSize(500 + 10 * k, 300 + 5 * k);
        QCoreApplication::processEvents();
    }
    waitForPicture(contours());
    EXPECT_EQ(contours().drawingsStarted(), 3);
    EXPECT_EQ(contours().picture().size(), QSize(540, 320));
}

TEST_F(PlotWindows, GraphReadsItsOptionsAndKeepsTheLastLegend) {
    openExample("Val1.fem");
    show(graph());
    const QString legend = graph().Panel3D->text();
    EXPECT_TRUE(legend.startsWith(QStringLiteral("Minimum Contour : 10 m")));

    // Every choice off: the frame and the pathlines (NP = 3), under the legend of the last graph.
    main().SpeedButtonOptionsClick();
    for (QCheckBox* check : {options().CheckWater, options().CheckCont, options().CheckBottom})
        QTest::mouseClick(check, Qt::LeftButton);
    show(graph());
    EXPECT_EQ(coloursOf(graph().picture()), (std::set<QRgb>{kSilverRgb, kWhiteRgb, kBlackRgb, kBlueRgb}));
    EXPECT_EQ(graph().Panel3D->text(), legend);

    main().SpeedButtonOptionsClick();
    QTest::mouseClick(options().CheckTop, Qt::LeftButton);
    show(graph());
    EXPECT_TRUE(coloursOf(graph().picture()).count(kYellowRgb));
}

TEST_F(PlotWindows, ProblemsWithoutExtentOrSolutionShowFrameAndMesh) {
    // The default problem, never solved: frame, mesh and contours of the heads as they stand.
    show(contours());
    for (const QRgb colour : {kBlackRgb, kAquaRgb, kWhiteRgb, kRedRgb})
        EXPECT_TRUE(coloursOf(contours().picture()).count(colour)) << std::hex << colour;
    main().SpeedButtonContoursClick();

    const std::pair<const char*, std::function<void(Problem&)>> cases[] = {
        {"dx = 0", [](Problem& p) { p.nodes[2].X = 0; }},
        {"dy = 0 and P = 0", [](Problem& p) { p.nodes[1].Y = 0; }},
        {"Zr = 0",
         [](Problem& p) {
             for (std::size_t i = 0; i < 3; ++i)
                 p.nodes[i].B = p.nodes[i].T = p.nodes[i].F = 10;
         }},
        {"NN = 0", [](Problem& p) { p.NN = p.NM = 0; }}};
    for (const auto& [name, change] : cases) {
        SCOPED_TRACE(name);
        problem().resetToDefaultProblem();
        change(problem());
        app->document.notify(Change::Problem);
        // A plan without extent in one direction has a frame without width; mesh and contours
        // are a line then.
        show(contours());
        EXPECT_GT(coloursOf(contours().picture()).size(), 1u);
        EXPECT_TRUE(contours().PanelContours->text().startsWith(QStringLiteral("Minimum Contour : ")));
        show(graph());
        EXPECT_TRUE(coloursOf(graph().picture()).count(kBlackRgb));
        main().SpeedButton3dClick();
    }
}

TEST_F(PlotWindows, SavedPicturesAreWhatTheWindowShowsAndChangeNothing) {
    openExample("Val1.fem");
    std::filesystem::create_directories("before");
    ASSERT_TRUE(writeDatafile(problem(), "before/Val1.fem").ok());
    show(contours(), QSize(900, 500));
    dialogs.saveAnswers.push_back(std::string("window.svg"));
    contours().SavePicture->trigger();
    // The picture is drawn anew for the SVG file, on the worker thread.
    waitUntil([&] { return !contours().drawingRunning(); });
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].fileName, "Val1-contours.png");
    const std::string batch = std::string(VELKOR_BATCH_PROGRAM) + " " + VELKOR_EXAMPLES_DIR +
                              "/Val1.fem --contours-svg batch.svg --size 900x500";
    const int status = std::system(batch.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(fileText("window.svg") == fileText("batch.svg"));
    EXPECT_TRUE(fileStartsWith("window.svg", "<?xml") || fileStartsWith("window.svg", "<svg"));

    dialogs.saveAnswers.push_back(std::string("window.png"));
    contours().SavePicture->trigger();
    // A PNG file by its signature (a loader would read any format it knows under this name).
    EXPECT_TRUE(fileStartsWith("window.png", "\x89PNG\r\n\x1A\n"));
    EXPECT_EQ(QImage(QStringLiteral("window.png")).convertToFormat(QImage::Format_RGB32),
              contours().grab().toImage().convertToFormat(QImage::Format_RGB32));

    // A picture saved over a file with a second name: both names show the new picture.
    { std::ofstream("linked.png") << "old"; }
    std::filesystem::create_hard_link("linked.png", "second-name.png");
    dialogs.saveAnswers.push_back(std::string("linked.png"));
    contours().SavePicture->trigger();
    EXPECT_TRUE(fileText("second-name.png") == fileText("window.png"));

    dialogs.saveAnswers.push_back(std::string("no/such/folder/window.png"));
    contours().SavePicture->trigger();
    dialogs.saveAnswers.push_back(std::string("no/such/folder/window.svg"));
    contours().SavePicture->trigger();
    waitUntil([&] { return !contours().drawingRunning(); });
    // The program's line, then the system's reason.
    EXPECT_EQ(dialogs.messages,
              std::vector<std::string>(2, "Saving picture failed or canceled\nNo such file or directory"));
    std::filesystem::create_directories("after");
    ASSERT_TRUE(writeDatafile(problem(), "after/Val1.fem").ok());
    EXPECT_TRUE(fileText("before/Val1.fem") == fileText("after/Val1.fem"));
}

// ---- tracking inside the windows ------------------------------------------------------------

using TrackingRun = PlotsTest;

TEST_F(TrackingRun, PaintDuringTheRunShowsThePictureSoFarWithoutASecondRun) {
    openExample("Val1.fem");
    contours().setFixedSize(500, 300);
    int shown = 0;
    contours().afterProgressShown = [&] {
        shown += contours().drawingRunning();
        contours().repaint();
        EXPECT_EQ(contours().drawingsStarted(), 1);
        const QRect plot(0, 30, 500, 270);
        EXPECT_EQ(contours().grab(plot).toImage().convertToFormat(QImage::Format_RGB32),
                  contours().picture().copy(plot));
    };
    show(contours(), QSize(500, 300));
    EXPECT_GT(shown, 0);
    EXPECT_EQ(contours().drawingsStarted(), 1);
}

TEST_F(TrackingRun, EscapeClosingOrACommandStopsTheRun) {
    openExample("Val1.fem");
    contours().setFixedSize(500, 300);
    contours().afterProgressShown = [&] { QTest::keyClick(&contours(), Qt::Key_Escape); };
    main().SpeedButtonContoursClick();
    waitUntil([&] { return contours().pictureState() == PlotWindow::PictureState::Stopped; });
    EXPECT_EQ(contours().pictureState(), PlotWindow::PictureState::Stopped);
    EXPECT_TRUE(everyParticleOutsideAnyElement());
    EXPECT_FALSE(contours().drawingRunning());
    QCoreApplication::processEvents();
    EXPECT_EQ(contours().drawingsStarted(), 1); // stopped stays stopped

    contours().afterProgressShown = [&] { contours().close(); };
    main().SpeedButtonContoursClick();
    main().SpeedButtonContoursClick();
    waitUntil([&] { return contours().drawingsStarted() == 2 && !contours().drawingRunning(); });
    EXPECT_FALSE(app->isShown(WindowId::Contours));
    EXPECT_TRUE(everyParticleOutsideAnyElement());

    // A command that leaves the problem alone lets the run go on.
    contours().afterProgressShown = [&] {
        contours().afterProgressShown = nullptr;
        main().SpeedButtonManualClick();
    };
    show(contours(), QSize(500, 300));
    EXPECT_TRUE(app->isShown(WindowId::Manual));
    EXPECT_EQ(contours().drawingsStarted(), 3);
    graph().afterProgressShown = [&] { main().SpeedButtonOptionsClick(); };
    main().SpeedButton3dClick();
    waitUntil([&] { return app->isShown(WindowId::Options); });
    EXPECT_FALSE(app->isShown(WindowId::Graph3D));
    EXPECT_TRUE(everyParticleOutsideAnyElement());
}

// A drawing only reads the problem on its thread: new limits, which make the tables anew, stop it
// first (and wait for it), and the window draws again; closing the program stops it as well.
TEST_F(TrackingRun, NewLimitsStopTheRunFirstAndQuitEndsTheProgram) {
    openExample("Val1.fem");
    TableGrid& limits = *main().InstallationGrid;
    int started = 0;
    contours().afterProgressShown = [&] {
        contours().afterProgressShown = nullptr;
        started = contours().drawingsStarted();
        limits.setCurrentCell(1, 4);
        typeIntoCell(limits, QStringLiteral("7"));
        pressKey(limits, Qt::Key_Return);
        EXPECT_FALSE(contours().drawingRunning());
        EXPECT_EQ(problem().limits.PMAX, 7);
        EXPECT_EQ(problem().NN, 1089);
    };
    show(contours());
    EXPECT_EQ(app->installation.limits.PMAX, 7);
    EXPECT_GT(contours().drawingsStarted(), started);

    app->document.notify(Change::Particles);
    contours().afterProgressShown = [&] {
        contours().afterProgressShown = nullptr;
        main().close();
    };
    waitUntil([&] { return endRequests > 0; });
    EXPECT_EQ(endRequests, 1);
    EXPECT_FALSE(problem().tablesAllocated);
    EXPECT_FALSE(contours().drawingRunning());
}

TEST_F(TrackingRun, LocatorKeptUntilTheMeshChangesAndClampedHeightsAnnounced) {
    openExample("Val1.fem");
    problem().particles[1].Z = 50; // above the water table
    int particleChanges = 0;
    QObject::connect(&app->document, &Document::changed, [&](Change what) {
        if (touches(what, Change::Particles)) ++particleChanges;
    });
    const int built = PlotWindow::locatorsBuilt();
    show(contours());
    EXPECT_LT(problem().particles[1].Z, 15.0);
    EXPECT_EQ(particleChanges, 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(contours().drawingsStarted(), 1); // its own announcement does not draw it again
    show(graph());
    EXPECT_EQ(PlotWindow::locatorsBuilt(), built + 1);
    app->document.notify(Change::Mesh);
    waitForPicture(graph());
    EXPECT_EQ(PlotWindow::locatorsBuilt(), built + 2);
}

// ---- QtCanvas on an image -------------------------------------------------------------------

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

std::vector<int> numbersOf(const std::string& call) {
    std::istringstream in(call.substr(call.find(' ')));
    std::vector<int> numbers;
    for (int value; in >> value;)
        numbers.push_back(value);
    return numbers;
}

QRgb rgbAt(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFFu;
}

TEST(QtCanvasImage, PlotCallsLandWhereTheRecordingPutsThem) {
    Problem problem;
    ASSERT_TRUE(problem.allocateTables(Limits{}));
    problem.resetToDefaultProblem();
    QImage image = blankImage(QSize(300, 200));
    RecordingCanvas recording;
    {
        QPainter painter(&image);
        QtCanvas qt(painter);
        TeeCanvas both(recording, qt);
        drawContourPlot(problem, both, 300, 200);
    }
    int lines = 0;
    for (const std::string& call : recording.calls) {
        const std::vector<int> n = call.find(' ') != std::string::npos ? numbersOf(call) : std::vector<int>{};
        if (call.rfind("rectangle", 0) == 0) {
            // The frame covers left..right-1 and top..bottom-1, white inside.
            EXPECT_EQ(rgbAt(image, n[2] - 1, n[1]), kBlackRgb);
            EXPECT_EQ(rgbAt(image, n[2], n[1]), kSilverRgb);
            EXPECT_EQ(rgbAt(image, n[2] - 3, n[1] + 3), kWhiteRgb);
        } else if (call.rfind("line", 0) == 0) {
            EXPECT_EQ(rgbAt(image, n[0], n[1]), kRedRgb) << call;
            EXPECT_EQ(rgbAt(image, n[2], n[3]), kRedRgb) << call;
            ++lines;
        } else if (call.rfind("polygon", 0) == 0) {
            // The element between two contours (heads 16.75 m inside, 17.25 m on the horizontal
            // side): white inside, aqua on its outline.
            EXPECT_EQ(rgbAt(image, n[0] + (n[4] - n[0]) * 13 / 40, (n[1] + n[3] + n[5]) / 3), kWhiteRgb);
            EXPECT_EQ(rgbAt(image, n[0] + (n[4] - n[0]) * 11 / 40, n[1]), kAquaRgb);
        }
    }
    EXPECT_EQ(lines, 21);
}

TEST(QtCanvasImage, NotXorDrawnTwiceRestoresTheImage) {
    QImage image = blankImage(QSize(80, 60));
    const QImage before = image.copy();
    for (int pass = 1; pass <= 2; ++pass) {
        QPainter painter(&image);
        QtCanvas canvas(painter);
        canvas.setPen(Pen{kBlack, PenStyle::Solid, 1, PenMode::NotXor});
        canvas.line(0, 0, 79, 59);
        canvas.line(3, 40, 5, 41);
        painter.end();
        if (pass == 1) EXPECT_EQ(rgbAt(image, 0, 0), 0x3F3F3Fu); // not (black xor silver)
    }
    EXPECT_EQ(image, before);
}

// Small triangles and short lines are written straight into the image from what QPainter drew for
// their shape once: the picture must be the one QPainter paints itself (a clipped painter leaves
// every shape to QPainter).
TEST(QtCanvasImage, StampedShapesEqualWhatQPainterDraws) {
    const auto compare = [](QSize size, const std::function<void(Canvas&)>& draw) {
        QImage stamped = blankImage(size), painted = blankImage(size);
        QPainter stampedPainter(&stamped), paintedPainter(&painted);
        paintedPainter.setClipRect(painted.rect());
        QtCanvas fast(stampedPainter), plain(paintedPainter);
        TeeCanvas both(fast, plain);
        draw(both);
        stampedPainter.end();
        paintedPainter.end();
        EXPECT_EQ(stamped, painted);
    };
    std::mt19937 random(11);
    std::uniform_int_distribution<int> position(-3, 163), offset(-6, 6), colour(0, 255);
    compare(QSize(160, 120), [&](Canvas& canvas) {
        for (int k = 0; k < 4000; ++k) {
            canvas.setPenColour(Colour{static_cast<uint8_t>(colour(random)), 9, 7});
            canvas.setBrush(Colour{static_cast<uint8_t>(colour(random)), 200, 9});
            const int x = position(random), y = position(random);
            if (k % 3 == 0)
                canvas.line(x, y, x + offset(random), y + offset(random));
            else
                canvas.polygon({x, y}, {x + offset(random), y + offset(random)},
                               {x + offset(random), y + offset(random)});
        }
    });
    // A whole mesh whose elements are a few pixels each.
    Problem problem;
    ASSERT_TRUE(problem.allocateTables(Limits{}));
    ASSERT_TRUE(readDatafile(problem, std::string(VELKOR_EXAMPLES_DIR) + "/Val3.fem").ok());
    compare(QSize(130, 90), [&](Canvas& canvas) {
        draw3DGraph(problem, canvas, 130, 90, GraphChoices{true, true, true, true, 30});
        drawContourPlot(problem, canvas, 130, 90);
    });
}

TEST(Dialogs, SeveralKindsOfFileInOneFilter) {
    EXPECT_EQ(desktopFilter("FEM(*.fem)|*.fem"), "FEM (*.fem)");
    EXPECT_EQ(desktopFilter("PNG(*.png)|*.png|SVG(*.svg)|*.svg"), "PNG (*.png);;SVG (*.svg)");
}

} // namespace
