// Pictures of the options, contour and 3D-graph windows for a person to look at (make screenshots).
#include <QCheckBox>
#include <QSlider>

#include "plots_support.h"
#include "screenshot_support.h"
#include "ui/contours_window.h"
#include "ui/graph3d_window.h"
#include "ui/options_window.h"

using namespace velkor;
using namespace velkor::testing;

using ScreenshotsPlots = ScreenshotTest;

TEST_F(ScreenshotsPlots, OptionsAtStart) {
    main().SpeedButtonOptionsClick();
    auto& options = static_cast<TFormOpt&>(app->window(WindowId::Options));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&options));
    save("plots_options_start.png", &options);
}

TEST_F(ScreenshotsPlots, ContoursOfTheExamples) {
    auto& contours = static_cast<TFormContours&>(app->window(WindowId::Contours));
    const struct {
        const char* example;
        const char* picture;
    } shots[] = {{"Val1.fem", "plots_contours_val1.png"},
                 {"Val2.fem", "plots_contours_val2.png"},
                 {"Val3.fem", "plots_contours_val3.png"}};
    for (const auto& shot : shots) {
        openFile(exampleOrTestFile(shot.example, "ui_square.fem"));
        main().SpeedButtonContoursClick();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&contours));
        waitForPicture(contours);
        save(shot.picture, &contours);
        main().SpeedButtonContoursClick();
    }
}

TEST_F(ScreenshotsPlots, GraphOfVal3FromTwoAngles) {
    openFile(exampleOrTestFile("Val3.fem", "ui_square.fem"));
    auto& graph = static_cast<TForm3D&>(app->window(WindowId::Graph3D));
    main().SpeedButton3dClick();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&graph));
    waitForPicture(graph);
    save("plots_3d_val3_45.png", &graph);

    main().SpeedButtonOptionsClick();
    auto& options = static_cast<TFormOpt&>(app->window(WindowId::Options));
    options.AngleScale->setValue(10);
    QTest::mouseClick(options.CheckTop, Qt::LeftButton);
    main().SpeedButton3dClick();
    waitForPicture(graph);
    save("plots_3d_val3_89_top.png", &graph);
}

TEST_F(ScreenshotsPlots, ContoursOfAPumpingWellCapturingParticles) {
    openFile(testData("plots_well_capture.fem"));
    auto& contours = static_cast<TFormContours&>(app->window(WindowId::Contours));
    main().SpeedButtonContoursClick();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&contours));
    waitForPicture(contours);
    save("plots_contours_well_capture.png", &contours);
}
