// What the user sees of the windows that are not tables: the colours of panels and surfaces by
// pixel, sizes and places with the frame the desktop draws (the offscreen desktop draws 2 pixels
// on every side), each window's state right after it opens, each of a pair of similar controls
// alone, and the picture drawn again after a change that must show.
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QToolButton>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "editors_support.h"
#include "paint/qt_canvas.h"
#include "plots_support.h"
#include "results/contour_plot.h"
#include "ui/budget_window.h"
#include "ui/contours_window.h"
#include "ui/graph3d_window.h"
#include "ui/manual_window.h"
#include "ui/options_window.h"
#include "ui/tool_glyphs.h"
#include "ui_support.h"

using namespace velkor;
using namespace velkor::testing;

namespace {

// The colour most of a widget's pixels have (of its top `strip` rows, when given), as it draws
// itself.
QRgb mainColour(QWidget* widget, int strip = 0) {
    QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (strip > 0) image = image.copy(0, 0, image.width(), strip);
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y) & 0xFFFFFFu];
    QRgb best = 0;
    int most = -1;
    for (const auto& [colour, count] : counts)
        if (count > most) best = colour, most = count;
    return best;
}

// The colour of one pixel of a window, at a point of one of its widgets.
QRgb pixelOf(QWidget& window, const QWidget* widget, QPoint at) {
    return window.grab().toImage().pixel(widget->mapTo(&window, at)) & 0xFFFFFFu;
}

// A colour of the program's colour table (red in the low byte) as the screen shows it.
QRgb screenColour(uint32_t tableColour) {
    return ((tableColour & 0xFFu) << 16) | (tableColour & 0xFF00u) | ((tableColour >> 16) & 0xFFu);
}

std::string hex(QRgb colour) {
    return QString::number(colour, 16).rightJustified(6, QLatin1Char('0')).toStdString();
}

// The frame the desktop draws around a window.
QMargins frameOf(const QWidget& window) {
    const QRect frame = window.frameGeometry(), client = window.geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

using MainWindowLook = ProgramTest;

// The printing panel was 316 x 41 in the default bold font; it is 260 x 50 in bold 8 pt, with the
// page line and Cancel inside that size.
TEST_F(MainWindowLook, SurfacesAndPanelsInTheirColoursAndThePrintingPanelAtItsSize) {
    EXPECT_EQ(hex(mainColour(main().centralWidget())), hex(kSilverRgb));
    EXPECT_EQ(hex(mainColour(main().ToolBar)), hex(kLimeRgb));
    // The data panels' captions stand on lime above their grids.
    EXPECT_EQ(hex(mainColour(main().PanelGeneral, 25)), hex(kLimeRgb));
    EXPECT_EQ(hex(mainColour(main().PanelInstallation, 25)), hex(kLimeRgb));
    EXPECT_EQ(hex(mainColour(main().ProgressPanel)), hex(kLimeRgb));
    EXPECT_EQ(hex(mainColour(main().PanelWait)), hex(kLimeRgb));
    EXPECT_EQ(hex(mainColour(main().PanelRead)), hex(kLimeRgb));
    EXPECT_EQ(hex(mainColour(main().PanelWarning)), hex(kRedRgb));
    // Fixed cells yellow (the captions, and values the program counts such as the number of
    // nodes), the cells typed into white.
    const auto cellColour = [this](TableGrid* grid, int col, int row) {
        QTableView* view = grid->view();
        const int shown = grid->viewRow(row);
        EXPECT_GE(shown, 0) << "row " << row;
        const QRect cell = view->visualRect(view->model()->index(shown, col));
        return hex(pixelOf(main(), view->viewport(), cell.topLeft() + QPoint(3, 3)));
    };
    EXPECT_EQ(cellColour(main().InstallationGrid, 0, 0), hex(kYellowRgb));
    EXPECT_EQ(cellColour(main().GeneralGrid, 0, 0), hex(kYellowRgb));
    EXPECT_EQ(cellColour(main().GeneralGrid, 1, 4), hex(kYellowRgb));
    EXPECT_EQ(cellColour(main().GeneralGrid, 1, 7), hex(kWhiteRgb));

    QLabel* panel = main().PanelWait;
    EXPECT_EQ(panel->size(), QSize(260, 50));
    EXPECT_EQ(panel->pos(), QPoint((panel->parentWidget()->width() - 260) / 2, 100));
    const QFontInfo font(panel->font());
    EXPECT_TRUE(font.bold());
    EXPECT_EQ(font.pointSize(), 8);
    const QFontMetrics metrics(panel->font());
    EXPECT_LE(metrics.horizontalAdvance(panel->text()), 260 - 2 * (panel->frameWidth() + panel->margin()));
    // The page line and Cancel below the caption, inside the panel.
    const int captionBottom = panel->frameWidth() + panel->margin() + metrics.height();
    for (QWidget* part :
         {static_cast<QWidget*>(main().PrintProgress), static_cast<QWidget*>(main().ButtonCancelPrint)}) {
        EXPECT_TRUE(panel->rect().contains(part->geometry())) << part->metaObject()->className();
        EXPECT_GE(part->y(), captionBottom) << part->metaObject()->className();
    }
    EXPECT_EQ(main().ButtonCancelPrint->text(), QStringLiteral("Cancel"));
}

// Every button of the tool bar shows its own picture.
TEST_F(MainWindowLook, EveryToolButtonShowsItsOwnPicture) {
    const std::vector<std::pair<QToolButton*, ToolGlyph>> buttons = {
        {main().SpeedButtonOpen, ToolGlyph::Open},       {main().SpeedButtonNew, ToolGlyph::New},
        {main().SpeedButtonEdit, ToolGlyph::Edit},       {main().SpeedButtonSave, ToolGlyph::Save},
        {main().SpeedButtonPrint, ToolGlyph::Print},     {main().SpeedButtonOptions, ToolGlyph::Options},
        {main().SpeedButtonSoils, ToolGlyph::Soils},     {main().SpeedButtonNode, ToolGlyph::Node},
        {main().SpeedButtonElement, ToolGlyph::Element}, {main().SpeedButtonMesh, ToolGlyph::Mesh},
        {main().SpeedButtonWells, ToolGlyph::Wells},     {main().SpeedButtonParticles, ToolGlyph::Particles},
        {main().SpeedButtonCalc, ToolGlyph::Calc},       {main().SpeedButtonContours, ToolGlyph::Contours},
        {main().SpeedButton3d, ToolGlyph::Graph3D},      {main().SpeedButtonManual, ToolGlyph::Manual},
        {main().SpeedButtonBudget, ToolGlyph::Budget},   {main().SpeedButtonHelp, ToolGlyph::Help}};
    const auto picture = [](const QIcon& icon) { return icon.pixmap(21, 21).toImage(); };
    for (const auto& [button, glyph] : buttons) {
        EXPECT_TRUE(button->isVisible()) << button->toolTip().toStdString();
        EXPECT_TRUE(picture(button->icon()) == picture(toolGlyph(glyph))) << button->toolTip().toStdString();
    }
}

// Every menu with every one of its items, in order, none hidden (the recent files join the File
// menu only when it opens).
TEST_F(MainWindowLook, EveryMenuShowsAllItsItemsInOrder) {
    const auto shown = [](const QList<QAction*>& actions) {
        std::vector<std::string> texts;
        for (const QAction* action : actions)
            if (action->isVisible() && !action->isSeparator()) texts.push_back(action->text().toStdString());
        return texts;
    };
    QMenuBar* bar = main().menuBar();
    EXPECT_EQ(shown(bar->actions()),
              (std::vector<std::string>{"&File", "&Edit", "&Help", "&Options", "&Properties", "&Nodes",
                                        "&Elements", "&Mesh", "&Wells", "&Particles", "&Solve", "&Contours",
                                        "&3D-Graph", "&Manual", "Water &Budget"}));
    const std::map<std::string, std::vector<std::string>> items = {
        {"&File", {"&Open", "&New", "&Save", "&Print", "Print Pre&view", "&Export\u2026", "&Quit"}},
        {"&Edit", {"&Undo", "&Redo"}},
        {"&Help", {"&Info", "&About"}}};
    int menus = 0;
    for (const QAction* action : bar->actions()) {
        if (!action->menu()) continue;
        ++menus;
        const std::string name = action->text().toStdString();
        ASSERT_EQ(items.count(name), 1u) << name;
        EXPECT_EQ(shown(action->menu()->actions()), items.at(name)) << name;
    }
    EXPECT_EQ(menus, 3);
}

// ---- the options window ---------------------------------------------------------------------------

class OptionsLook : public ProgramTest {
  protected:
    TFormOpt& options() { return static_cast<TFormOpt&>(app->window(WindowId::Options)); }
    TFormOpt& open() {
        click(main().SpeedButtonOptions);
        EXPECT_TRUE(options().isVisible());
        QCoreApplication::processEvents();
        return options();
    }
};

// The window was placed by its client area; with the Plot box and Budget added its client area is
// 606 x 326, and its frame that size and the desktop's frame, centred 260 pixels from the top.
TEST_F(OptionsLook, FrameColoursAndTheSettingsShownWhenItOpens) {
    const int screenWidth = main().screen()->geometry().width();
    for (int showing = 0; showing < 2; ++showing) {
        TFormOpt& w = open();
        const QMargins frame = frameOf(w);
        EXPECT_EQ(w.size(), QSize(606, 326));
        const int outerWidth = 606 + frame.left() + frame.right();
        EXPECT_EQ(w.frameGeometry(),
                  QRect((screenWidth - outerWidth) / 2, 260, outerWidth, 326 + frame.top() + frame.bottom()))
            << "showing " << showing;
        click(main().SpeedButtonOptions);
        EXPECT_FALSE(w.isVisible());
    }
    TFormOpt& w = open();
    EXPECT_EQ(hex(mainColour(w.ToolStrip)), hex(kLimeRgb));
    EXPECT_EQ(hex(mainColour(w.PanelSolution)), hex(kRedRgb));
    EXPECT_EQ(hex(mainColour(w.PanelPrint)), hex(kYellowRgb));
    EXPECT_EQ(hex(mainColour(w.Panel3D)), hex(kAquaRgb));
    EXPECT_EQ(hex(mainColour(w.PanelPlot)), hex(kWhiteRgb));
    EXPECT_EQ(w.PanelSolution->geometry(), QRect(3, 45, 150, 273));
    EXPECT_EQ(w.Panel3D->geometry(), QRect(303, 45, 150, 273));
    EXPECT_EQ(w.SpeedButtonHelp->geometry(), QRect(606 - 25 - 4, 0, 25, 25));
    // Each box's heading in bold at its place.
    const std::vector<std::tuple<QFrame*, const char*, int>> headings = {
        {w.PanelSolution, "Solution Options", 16},
        {w.PanelPrint, "Print Options", 16},
        {w.Panel3D, "3D-Graph Options", 11},
        {w.PanelPlot, "Plot", 16}};
    for (const auto& [box, heading, left] : headings) {
        QLabel* label = nullptr;
        for (QLabel* child : box->findChildren<QLabel*>())
            if (child->text() == QLatin1String(heading)) label = child;
        ASSERT_NE(label, nullptr) << heading;
        EXPECT_TRUE(label->font().bold()) << heading;
        EXPECT_EQ(label->pos(), QPoint(left, 16)) << heading;
    }

    // What the boxes show right after opening: the defaults, each box its own.
    const std::vector<std::pair<QCheckBox*, bool>> shown = {{w.CheckPreconditioner, false},
                                                            {w.CheckFastSolver, false},
                                                            {w.CheckGeneral, true},
                                                            {w.CheckNodes, false},
                                                            {w.CheckElements, false},
                                                            {w.CheckMesh, false},
                                                            {w.CheckContours, false},
                                                            {w.Check3D, false},
                                                            {w.CheckBudget, false},
                                                            {w.CheckWater, true},
                                                            {w.CheckCont, true},
                                                            {w.CheckBottom, true},
                                                            {w.CheckTop, false},
                                                            {w.CheckLabelContours, false},
                                                            {w.CheckScaleBar, false}};
    for (const auto& [box, checked] : shown) {
        EXPECT_EQ(box->isChecked(), checked) << box->text().toStdString();
        // Every box there to be seen, whole, inside its panel.
        EXPECT_TRUE(box->isVisible()) << box->text().toStdString();
        EXPECT_TRUE(box->parentWidget()->rect().contains(box->geometry())) << box->text().toStdString();
    }
    for (QSlider* bar : {w.GraphScale, w.AngleScale})
        EXPECT_TRUE(bar->isVisible() && bar->parentWidget()->rect().contains(bar->geometry()));
    EXPECT_EQ(w.GraphScale->value(), 5);
    EXPECT_EQ(w.AngleScale->value(), 5);

    // Settings changed while it is hidden show when it opens again, each in its own box.
    click(main().SpeedButtonOptions);
    app->options.CheckWater = false;
    app->options.CheckTop = true;
    app->options.AngleScale = 9;
    // Neighbouring boxes set unlike each other, so that a box showing its neighbour's setting shows.
    app->options.CheckPreconditioner = true;
    app->options.CheckGeneral = false;
    app->options.CheckNodes = true;
    app->options.CheckContours = true;
    app->options.CheckBudget = true;
    app->options.CheckLabelContours = true;
    open();
    const std::vector<std::pair<QCheckBox*, bool>> reopened = {
        {w.CheckPreconditioner, true}, {w.CheckFastSolver, false}, {w.CheckGeneral, false},
        {w.CheckNodes, true},          {w.CheckElements, false},   {w.CheckMesh, false},
        {w.CheckContours, true},       {w.Check3D, false},         {w.CheckBudget, true},
        {w.CheckLabelContours, true},  {w.CheckScaleBar, false}};
    for (const auto& [box, checked] : reopened)
        EXPECT_EQ(box->isChecked(), checked) << box->text().toStdString();
    EXPECT_FALSE(w.CheckWater->isChecked());
    EXPECT_TRUE(w.CheckCont->isChecked());
    EXPECT_TRUE(w.CheckBottom->isChecked());
    EXPECT_TRUE(w.CheckTop->isChecked());
    EXPECT_EQ(w.AngleScale->value(), 9);
    EXPECT_EQ(w.GraphScale->value(), 5);
}

// Each box alone changes its own setting, and the change is announced: the 3D graph on the screen
// is drawn again for a choice of its own.
TEST_F(OptionsLook, EveryBoxAloneReachesItsOwnSettingAndTheGraphIsDrawnAgain) {
    openFile(exampleOrTestFile("Val1.fem", "ui_square.fem"));
    auto& graph = static_cast<TForm3D&>(app->window(WindowId::Graph3D));
    main().SpeedButton3dClick();
    waitForPicture(graph);
    // Beside the graph, the window shown as the desktop shows it (the Options command would close
    // the graph).
    TFormOpt& w = options();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));

    using Flag = bool OptionSettings::*;
    const std::vector<std::tuple<QCheckBox*, Flag, bool>> boxes = {
        {w.CheckPreconditioner, &OptionSettings::CheckPreconditioner, false},
        {w.CheckFastSolver, &OptionSettings::CheckFastSolver, false},
        {w.CheckGeneral, &OptionSettings::CheckGeneral, false},
        {w.CheckNodes, &OptionSettings::CheckNodes, false},
        {w.CheckElements, &OptionSettings::CheckElements, false},
        {w.CheckMesh, &OptionSettings::CheckMesh, false},
        {w.CheckContours, &OptionSettings::CheckContours, false},
        {w.Check3D, &OptionSettings::Check3D, false},
        {w.CheckBudget, &OptionSettings::CheckBudget, false},
        {w.CheckWater, &OptionSettings::CheckWater, true},
        {w.CheckCont, &OptionSettings::CheckCont, true},
        {w.CheckBottom, &OptionSettings::CheckBottom, true},
        {w.CheckTop, &OptionSettings::CheckTop, true},
        {w.CheckLabelContours, &OptionSettings::CheckLabelContours, false},
        {w.CheckScaleBar, &OptionSettings::CheckScaleBar, false}};
    const OptionSettings defaults;
    for (const auto& [box, flag, drawsGraph] : boxes) {
        const std::string name = box->text().toStdString();
        const int drawings = graph.drawingsStarted();
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        OptionSettings expected = defaults;
        expected.*flag = !(defaults.*flag);
        for (const auto& [other, otherFlag, ignored] : boxes)
            EXPECT_EQ(app->options.*otherFlag, expected.*otherFlag)
                << "after a click on " << name << ": " << other->text().toStdString();
        if (drawsGraph) {
            waitForPicture(graph);
            EXPECT_EQ(graph.drawingsStarted(), drawings + 1) << name;
        }
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        EXPECT_EQ(app->options.*flag, defaults.*flag) << name;
        if (drawsGraph) waitForPicture(graph);
    }
    EXPECT_EQ(problem().preconditioner, false);

    // The track bars, each alone at both of its ends (keys as the user presses them).
    for (QSlider* bar : {w.GraphScale, w.AngleScale}) {
        const bool angle = bar == w.AngleScale;
        const int drawings = graph.drawingsStarted();
        bar->setFocus();
        QTest::keyClick(bar, Qt::Key_End);
        EXPECT_EQ(angle ? app->options.AngleScale : app->options.GraphScale, 10);
        EXPECT_EQ(angle ? app->options.GraphScale : app->options.AngleScale, 5);
        QTest::keyClick(bar, Qt::Key_Home);
        EXPECT_EQ(angle ? app->options.AngleScale : app->options.GraphScale, 0);
        EXPECT_EQ(angle ? app->options.GraphScale : app->options.AngleScale, 5);
        QTest::keyClick(bar, Qt::Key_PageUp);
        EXPECT_EQ(angle ? app->options.AngleScale : app->options.GraphScale, angle ? 2 : 5);
        if (angle) {
            waitForPicture(graph);
            EXPECT_GT(graph.drawingsStarted(), drawings);
        }
        QTest::keyClick(bar, Qt::Key_Home);
        for (int k = 0; k < 5; ++k)
            QTest::keyClick(bar, Qt::Key_Right);
        EXPECT_EQ(bar->value(), 5);
    }
    EXPECT_EQ(app->options.viewingAngle(), 45);
}

// ---- the editors ----------------------------------------------------------------------------------

using EditorLook = ProgramTest;

TEST_F(EditorLook, BlocksAndMeshInTheirColoursAtTheirPlaceWithEveryModeOff) {
    click(main().SpeedButtonNew);
    TFormEdit& w = blockEditorOf(*app);
    ASSERT_TRUE(w.isVisible());
    QCoreApplication::processEvents();
    const QRect screen = main().screen()->geometry();
    EXPECT_EQ(w.frameGeometry(), QRect(20, 75, screen.width() - 40, screen.height() - 80));
    for (QToolButton* mode : {w.SpeedButtonDrag, w.SpeedButtonNode, w.SpeedButtonLine})
        EXPECT_FALSE(mode->isChecked());
    EXPECT_FALSE(w.PanelXY->isVisible());
    EXPECT_FALSE(w.LabelOperation->isVisible());
    EXPECT_EQ(w.PanelXY->x(), static_cast<int>(0.55 * w.width()));

    const ViewMapping view = w.viewMapping();
    const QImage picture = w.grab().toImage();
    auto at = [&](double x, double y) {
        return hex(picture.pixel(view.screenX(x), view.screenY(y)) & 0xFFFFFFu);
    };
    EXPECT_EQ(at(150, 100), hex(screenColour(problem().blockColour(0))));
    EXPECT_NE(at(150, 100), hex(kLimeRgb));
    EXPECT_EQ(at(1500, 800), hex(kWhiteRgb));
    EXPECT_EQ(hex(picture.pixel(2, w.height() / 2) & 0xFFFFFFu), hex(kSilverRgb)); // beside the area

    // The boxes in yellow, with a node picked.
    click(w.SpeedButtonDrag);
    pressAtWorld(w, 500, 0);
    ASSERT_TRUE(w.PanelXY->isVisible());
    EXPECT_EQ(hex(pixelOf(w, w.PanelXY, QPoint(4, w.PanelXY->height() / 2))), hex(kYellowRgb));
    releaseAtWorld(w, 500, 0);
    // Shown again after it was closed in a mode: every mode off again, the boxes gone.
    const auto expectModesOffWhenShownAgain = [this](EditorWindow& editor, QToolButton* opener,
                                                     const std::vector<QToolButton*>& modes) {
        for (QToolButton* mode : modes) {
            if (!mode->isCheckable()) continue;
            click(mode);
            ASSERT_TRUE(mode->isChecked());
            editor.close();
            click(opener);
            ASSERT_TRUE(editor.isVisible());
            QCoreApplication::processEvents();
            for (QToolButton* any : modes)
                EXPECT_FALSE(any->isChecked()) << mode->toolTip().toStdString();
            EXPECT_FALSE(editor.PanelXY->isVisible()) << mode->toolTip().toStdString();
        }
    };
    expectModesOffWhenShownAgain(w, main().SpeedButtonEdit,
                                 {w.SpeedButtonNode, w.SpeedButtonLine, w.SpeedButtonDrag});
    EXPECT_FALSE(w.LabelOperation->isVisible());

    // The mesh editor: its tool panel lime, the elements in their block's colour on silver.
    click(main().SpeedButtonMesh);
    TFormMesh& mesh = meshEditorOf(*app);
    ASSERT_TRUE(mesh.isVisible());
    QCoreApplication::processEvents();
    EXPECT_EQ(mesh.frameGeometry(), QRect(20, 75, screen.width() - 40, screen.height() - 80));
    EXPECT_FALSE(mesh.SpeedButtonNode->isChecked());
    EXPECT_FALSE(mesh.PanelXY->isVisible());
    const ViewMapping meshView = mesh.viewMapping();
    const QImage meshPicture = mesh.grab().toImage();
    EXPECT_EQ(hex(meshPicture.pixel(meshView.screenX(150), meshView.screenY(100)) & 0xFFFFFFu),
              hex(screenColour(problem().blockColour(0))));
    EXPECT_EQ(hex(meshPicture.pixel(2, mesh.height() / 2) & 0xFFFFFFu), hex(kSilverRgb));
    EXPECT_EQ(hex(meshPicture.pixel(mesh.width() / 3, 3) & 0xFFFFFFu), hex(kLimeRgb));
    expectModesOffWhenShownAgain(mesh, main().SpeedButtonMesh,
                                 {mesh.SpeedButtonNode, mesh.SpeedButtonSetNodes});
    EXPECT_FALSE(mesh.SpeedButtonSplit4->isChecked());
    // The tool buttons from the left, each at its place with its hint, in both editors.
    const std::pair<QToolButton*, const char*> meshTools[] = {{mesh.SpeedButtonNode, "Add Well"},
                                                              {mesh.SpeedButtonSplit2, "Split 2"},
                                                              {mesh.SpeedButtonSplit4, "Split 4"},
                                                              {mesh.SpeedButtonSetNodes, "Set Nodes"}};
    TFormEdit& blocks = blockEditorOf(*app);
    const std::pair<QToolButton*, const char*> blockTools[] = {{blocks.SpeedButtonDrag, "Drag Node"},
                                                               {blocks.SpeedButtonNode, "New Node"},
                                                               {blocks.SpeedButtonLine, "New Line"}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(meshTools[k].first->x(), 25 * k) << meshTools[k].second;
        EXPECT_EQ(meshTools[k].first->toolTip(), QString::fromLatin1(meshTools[k].second));
    }
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(blockTools[k].first->x(), 25 * k) << blockTools[k].second;
        EXPECT_EQ(blockTools[k].first->toolTip(), QString::fromLatin1(blockTools[k].second));
    }
    // Split 2 and Split 4, each alone, on one element; Split 2 is a command, not a mode: it does
    // not stay down.
    click(mesh.SpeedButtonSplit2);
    EXPECT_EQ(mesh.LabelOperation->text(), QStringLiteral("Split 2 : 4 Nodes, 2 Elements"));
    EXPECT_FALSE(mesh.SpeedButtonSplit2->isChecked());
    main().Undo1->trigger();
    click(mesh.SpeedButtonSplit4);
    EXPECT_EQ(mesh.LabelOperation->text(), QStringLiteral("Split 4 : 6 Nodes, 4 Elements"));
}

// ---- the plot windows, the manual and the water budget -------------------------------------------

using PlotLook = ProgramTest;

TEST_F(PlotLook, PanelsLimeAndTheManualAquaWithItsButtonsEachDoingItsOwn) {
    openFile(exampleOrTestFile("Val1.fem", "ui_square.fem"));
    for (WindowId id : {WindowId::Contours, WindowId::Graph3D}) {
        auto& w = static_cast<PlotWindow&>(app->window(id));
        id == WindowId::Contours ? main().SpeedButtonContoursClick() : main().SpeedButton3dClick();
        waitForPicture(w);
        EXPECT_EQ(hex(mainColour(w.SpeedButtonHelp->parentWidget())), hex(kLimeRgb)) << static_cast<int>(id);
        EXPECT_EQ(hex(pixelOf(w, &w, QPoint(2, w.height() - 3))), hex(kSilverRgb)) << static_cast<int>(id);
    }

    auto& manual = static_cast<TFormManual&>(app->window(WindowId::Manual));
    main().SpeedButtonManualClick();
    ASSERT_TRUE(manual.isVisible());
    EXPECT_EQ(manual.ComboBoxPage->currentText(), QStringLiteral(" 1"));
    EXPECT_EQ(hex(mainColour(manual.PanelTools)), hex(kLimeRgb));
    EXPECT_EQ(hex(pixelOf(manual, &manual, QPoint(4, 300))), hex(kAquaRgb));
    EXPECT_EQ(hex(pixelOf(manual, &manual, QPoint(20, 300))), hex(kYellowRgb)); // the page
    QTest::mouseClick(manual.SpeedButtonHelp, Qt::LeftButton);
    EXPECT_EQ(dialogs.printRequests, 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].rfind("Manual\n\n", 0), 0u);
    QTest::mouseClick(manual.SpeedButtonPrint, Qt::LeftButton); // the print dialog, cancelled
    EXPECT_EQ(dialogs.printRequests, 1);
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

// Each of the options the contour plot reads, alone: the picture is drawn again at once, and it is
// the picture of that option and no other.
TEST_F(PlotLook, ContoursDrawnAgainForEachOfTheirOptionsAloneWithThatOptionOnly) {
    openFile(exampleOrTestFile("Val1.fem", "ui_square.fem"));
    auto& contours = static_cast<TFormContours&>(app->window(WindowId::Contours));
    main().SpeedButtonContoursClick();
    waitForPicture(contours);
    // Beside the plot, the Options window as the desktop shows it (its command would close the plot).
    auto& options = static_cast<TFormOpt&>(app->window(WindowId::Options));
    options.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&options));
    const auto drawnWith = [&](const PlanOptions& chosen) {
        return contourPictureOf(problem(), contours.size(), chosen);
    };
    const QImage plain = drawnWith({});
    ASSERT_EQ(contours.picture(), plain);
    PlanOptions labels, scaleBar, noMesh;
    labels.labelContours = true;
    scaleBar.scaleBar = true;
    noMesh.meshLines = false;
    const struct {
        QCheckBox* box;
        const PlanOptions& drawn;
    } cases[] = {{options.CheckLabelContours, labels},
                 {options.CheckScaleBar, scaleBar},
                 {contours.CheckMeshLines, noMesh}};
    for (const auto& c : cases) {
        const std::string name = c.box->text().toStdString();
        const int drawings = contours.drawingsStarted();
        QTest::mouseClick(c.box, Qt::LeftButton, {}, QPoint(6, c.box->height() / 2));
        waitForPicture(contours);
        EXPECT_GT(contours.drawingsStarted(), drawings) << name;
        const QImage expected = drawnWith(c.drawn);
        EXPECT_NE(expected, plain) << name;
        EXPECT_TRUE(contours.picture() == expected) << name;
        QTest::mouseClick(c.box, Qt::LeftButton, {}, QPoint(6, c.box->height() / 2));
        waitForPicture(contours);
        EXPECT_TRUE(contours.picture() == plain) << name;
    }
}

TEST_F(PlotLook, WaterBudgetOpensCentredBelowTheTopWithTheBudgetOfTheProblem) {
    openFile(exampleOrTestFile("Val1.fem", "ui_square.fem"));
    auto& budget = static_cast<TFormBudget&>(app->window(WindowId::WaterBudget));
    for (int showing = 0; showing < 2; ++showing) {
        click(main().SpeedButtonBudget);
        ASSERT_TRUE(budget.isVisible());
        QCoreApplication::processEvents();
        const int screenWidth = main().screen()->geometry().width();
        EXPECT_EQ(budget.pos().y(), 100) << showing;
        EXPECT_LE(std::abs(budget.frameGeometry().center().x() - screenWidth / 2), 2) << showing;
        EXPECT_NE(budget.BudgetText->toPlainText().indexOf(QStringLiteral("Total")), -1);
        EXPECT_EQ(hex(mainColour(budget.ToolStrip)), hex(kLimeRgb));
        click(main().SpeedButtonBudget);
        EXPECT_FALSE(budget.isVisible());
    }
}

} // namespace
