// Pictures of Set Nodes, the Water Budget window and the two settings dialogs for a person to look
// at: run by `make screenshots` on a virtual screen; skipped in the ordinary test run.
#include <QPlainTextEdit>

#include "editors_support.h"
#include "screenshot_support.h"
#include "ui/budget_window.h"
#include "ui/options_window.h"
#include "ui/settings_dialogs.h"

using namespace velkor;
using namespace velkor::testing;

namespace {

using ScreenshotsBudget = ScreenshotTest;

} // namespace

TEST_F(ScreenshotsBudget, WaterBudgetOfVal3) {
    openFile(std::string(VELKOR_EXAMPLES_DIR) + "/Val3.fem");
    click(main().SpeedButtonCalc); // waits for the solve, which runs beside the windows
    QTest::mouseClick(main().SpeedButtonBudget, Qt::LeftButton);
    auto& budget = static_cast<TFormBudget&>(app->window(WindowId::WaterBudget));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&budget));
    save("water_budget_val3.png", &budget);
    save("water_budget_main_window.png");
}

TEST_F(ScreenshotsBudget, SetNodesOnASideOfVal3) {
    openFile(std::string(VELKOR_EXAMPLES_DIR) + "/Val3.fem");
    QTest::mouseClick(main().SpeedButtonMesh, Qt::LeftButton);
    TFormMesh& mesh = meshEditorOf(*app);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mesh));
    QTest::mouseClick(mesh.SpeedButtonSetNodes, Qt::LeftButton);
    // A line laid along the bottom side, its last segment running on to the mouse.
    clickAtWorld(mesh, 0, 0);
    clickAtWorld(mesh, 350, 0);
    moveToWorld(mesh, 600, 30);
    save("set_nodes_line.png", &mesh);
    QTest::keyClick(&mesh, Qt::Key_Escape);

    // A rectangle over the right side, the caught nodes marked while the dialog is open.
    QTest::mouseClick(mesh.SpeedButtonSetNodes, Qt::LeftButton);
    dialogs.whileNodeSettingsOpen = [&] {
        save("set_nodes_caught.png", &mesh);
        NodeSettingsRequest request;
        request.nodeCount = 33;
        request.F = 5;
        request.T = 10;
        SetNodesDialog dialog(request, &mesh);
        dialog.show();
        save("set_nodes_dialog.png", &dialog);
    };
    pressAtWorld(mesh, 680, -10);
    moveToWorld(mesh, 720, 110, Qt::LeftButton);
    releaseAtWorld(mesh, 720, 110);
}

TEST_F(ScreenshotsBudget, ExportDialogAndOptions) {
    ExportChoice choice;
    choice.pathlines = true;
    ExportDialog csv(choice, &main());
    csv.show();
    save("export_dialog_csv.png", &csv);
    choice.format = ExportFormat::GeoPackage;
    choice.epsg = 25832;
    choice.originX = 500000;
    choice.originY = 5500000;
    ExportDialog gis(choice, &main());
    gis.show();
    save("export_dialog_geopackage.png", &gis);

    QTest::mouseClick(main().SpeedButtonOptions, Qt::LeftButton);
    auto& options = static_cast<TFormOpt&>(app->window(WindowId::Options));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&options));
    save("options_with_budget.png", &options);
}
