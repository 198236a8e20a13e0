// Pictures of the desktop side, the options with the fast solver and the printed report, for a
// person to look at.
#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

#include "plots_support.h"
#include "screenshot_support.h"
#include "ui/options_window.h"
#include "ui/print_command.h"

using namespace velkor;
using namespace velkor::testing;

// The File menu with recent files, and the program with the head contours of an example, as the
// desktop's software centre shows it.
class ScreenshotsDesktop : public ScreenshotTest {
  protected:
    // The screen as it is, windows and menus above them, cut to the rectangle.
    void saveScreen(const char* name, const QRect& area) {
        QCoreApplication::processEvents();
        const QPixmap picture =
            main().screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
        EXPECT_TRUE(picture.save(QDir(folder).filePath(QString::fromLatin1(name)))) << name;
    }
};

TEST_F(ScreenshotsDesktop, FileMenuWithRecentFiles) {
    for (const char* example : {"Val1.fem", "Val2.fem", "Val3.fem"})
        openFile(exampleOrTestFile(example, "ui_square.fem"));
    QMenuBar* bar = main().menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(main().FileMenu->menuAction()).center());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main().FileMenu));
    QTest::qWait(200);
    const QRect menu = main().FileMenu->geometry();
    saveScreen("desktop_file_menu.png",
               QRect(main().geometry().topLeft(), menu.bottomRight() + QPoint(60, 40)));
    main().FileMenu->close();
}

TEST_F(ScreenshotsDesktop, GraphOfAPumpingWell) {
    openFile(testData("plots_well_capture.fem"));
    auto& graph = static_cast<PlotWindow&>(app->window(WindowId::Graph3D));
    main().SpeedButton3dClick();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&graph));
    waitForPicture(graph);
    QTest::qWait(200);
    saveScreen("desktop_3d_graph.png", main().screen()->geometry());
}

using ScreenshotsFastSolver = ScreenshotTest;

TEST_F(ScreenshotsFastSolver, OptionsWithTheFastSolverChosen) {
    click(main().SpeedButtonOptions);
    TFormOpt& options = static_cast<TFormOpt&>(app->window(WindowId::Options));
    QTest::mouseClick(options.CheckFastSolver, Qt::LeftButton);
    save("options_fast_solver.png", &options);
}

// The report pages of Val1 as the Print command prints them, one PDF per page kind; the screenshot
// script turns the first page of each into print_*.png.
using ScreenshotsPrint = ScreenshotTest;

TEST_F(ScreenshotsPrint, ReportPages) {
    openFile(exampleOrTestFile("Val1.fem", "ui_square.fem"));
    auto print = [&](const char* name, bool OptionSettings::*item) {
        OptionSettings& options = app->options;
        options.CheckGeneral = options.CheckNodes = options.CheckElements = false;
        options.CheckMesh = options.CheckContours = options.Check3D = false;
        options.*item = true;
        dialogs.printAnswers.push_back(QDir(folder).filePath(QString::fromLatin1(name)).toStdString());
        click(main().SpeedButtonPrint);
    };
    print("print_general.pdf", &OptionSettings::CheckGeneral);
    // The main window while the pages go to the printer.
    QTimer::singleShot(0, &main(), [&] { save("print_waiting.png"); });
    print("print_nodes.pdf", &OptionSettings::CheckNodes);
    print("print_elements.pdf", &OptionSettings::CheckElements);
    print("print_mesh.pdf", &OptionSettings::CheckMesh);
    print("print_contours.pdf", &OptionSettings::CheckContours);
    print("print_3d.pdf", &OptionSettings::Check3D);
    problem().warning = true;
    print("print_general_warning.pdf", &OptionSettings::CheckGeneral);
    problem().warning = false;
    EXPECT_TRUE(dialogs.messages.empty());
}

// The preview window of the desktop with the report of Val1.
TEST_F(ScreenshotsPrint, PreviewWindow) {
    QtDialogs desktop;
    Application program(desktop);
    program.endProgram = [] {};
    program.mainWindow().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&program.mainWindow()));
    program.options.CheckNodes = true;
    bool grabbed = false;
    QTimer::singleShot(1500, [&] {
        QWidget* preview = QApplication::activeModalWidget();
        if (!preview) return;
        grabbed = preview->grab().save(QDir(folder).filePath(QStringLiteral("print_preview.png")));
        preview->close();
    });
    program.mainWindow().PrintPreview1->trigger();
    EXPECT_TRUE(grabbed);
}
