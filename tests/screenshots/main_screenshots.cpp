// Pictures of the main window for a person to look at: run by `make screenshots` on a virtual
// screen with VELKOR_SCREENSHOT_DIR naming the folder; skipped in the ordinary test run.
#include <QApplication>
#include <QTimer>

#include "screenshot_support.h"

using namespace velkor;
using namespace velkor::testing;

using Screenshots = ScreenshotTest;

TEST_F(Screenshots, MainWindow) {
    save("01_start.png");

    openFile(exampleOrTestFile("Val3.fem", "ui_square.fem"));
    save("02_opened_val3.png");

    bool grabbed = false;
    main().onSolveProgress = [&] {
        if (grabbed) return;
        grabbed = true;
        save("03_solving.png");
    };
    dialogs.whileSaveDialogOpen = [&] { save("04_solved_before_save.png"); };
    click(main().SpeedButtonCalc);
    if (!grabbed) save("03_solving.png");
    main().onSolveProgress = nullptr;
    save("05_after_solve.png");

    openFile(testData("ui_pumped.fem"));
    dialogs.whileSaveDialogOpen = [&] { save("06_warning_panel.png"); };
    click(main().SpeedButtonCalc);
    save("07_after_warning.png");
}

// The real message box of the desktop, with the longest text of the program.
TEST_F(Screenshots, HelpMessageBox) {
    QtDialogs desktop;
    Application program(desktop);
    program.endProgram = [] {};
    program.mainWindow().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&program.mainWindow()));
    bool grabbed = false;
    QTimer::singleShot(300, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box) return;
        grabbed = box->grab().save(QDir(folder).filePath(QStringLiteral("08_help_box.png")));
        box->close();
    });
    program.mainWindow().SpeedButtonHelpClick();
    EXPECT_TRUE(grabbed);
}
