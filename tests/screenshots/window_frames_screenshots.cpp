// The windows at their sizes and places with the frame a real window manager draws (openbox, run
// by scripts/screenshots): each window's frame read back from the X server with xwininfo, at its
// first showing and at a later one.
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QToolButton>

#include <functional>
#include <optional>
#include <string>

#include "screenshot_support.h"
#include "ui/options_window.h"
#include "ui/table_window.h"

using namespace velkor;
using namespace velkor::testing;

// Rectangles in the messages of failed checks.
void PrintTo(const QRect& r, std::ostream* out) {
    *out << "(" << r.x() << ", " << r.y() << ") " << r.width() << " x " << r.height();
}

namespace {

// What xwininfo says of a window: its geometry inside its parent, or on the screen.
std::optional<QRect> xwininfo(WId window) {
    QProcess info;
    info.start(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)});
    if (!info.waitForFinished(10000) || info.exitCode() != 0) return std::nullopt;
    const QString text = QString::fromLocal8Bit(info.readAllStandardOutput());
    auto number = [&](const char* label) {
        const QRegularExpression pattern(QString::fromLatin1(label) + QStringLiteral(":\\s*(-?\\d+)"));
        const QRegularExpressionMatch match = pattern.match(text);
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    };
    return QRect(number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"),
                 number("Height"));
}

// The window manager's frame around a client window: the outermost window below the root that
// holds it, as xwininfo -tree names the parents.
std::optional<QRect> managerFrame(QWidget& widget) {
    WId current = widget.winId();
    for (int depth = 0; depth < 8; ++depth) {
        QProcess tree;
        tree.start(QStringLiteral("xwininfo"),
                   {QStringLiteral("-tree"), QStringLiteral("-id"), QString::number(current)});
        if (!tree.waitForFinished(10000) || tree.exitCode() != 0) return std::nullopt;
        const QString text = QString::fromLocal8Bit(tree.readAllStandardOutput());
        const QRegularExpressionMatch root =
            QRegularExpression(QStringLiteral("Root window id:\\s*(0x[0-9a-f]+)")).match(text);
        const QRegularExpressionMatch parent =
            QRegularExpression(QStringLiteral("Parent window id:\\s*(0x[0-9a-f]+)")).match(text);
        if (!root.hasMatch() || !parent.hasMatch()) return std::nullopt;
        if (parent.captured(1) == root.captured(1)) return xwininfo(current);
        bool ok = false;
        current = static_cast<WId>(parent.captured(1).toULongLong(&ok, 16));
        if (!ok) return std::nullopt;
    }
    return std::nullopt;
}

// Waits until the window manager has framed the window and the frame stands still.
void settle(QWidget& window) {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(300);
}

class WindowFrames : public ScreenshotTest {
  protected:
    // Shows a window by its command twice and checks the frame both times, as xwininfo reads it
    // and as the program knows it.
    void expectFrame(const std::function<void()>& command, WindowId id, const QRect& expected) {
        QWidget& window = app->window(id);
        const std::string name = window.windowTitle().toStdString();
        for (int showing = 0; showing < 2; ++showing) {
            command();
            ASSERT_TRUE(window.isVisible()) << name;
            settle(window);
            const std::optional<QRect> frame = managerFrame(window);
            ASSERT_TRUE(frame.has_value()) << name << ": xwininfo gave no frame";
            EXPECT_EQ(*frame, expected)
                << name << " showing " << showing << ": frame at (" << frame->x() << ", " << frame->y()
                << ") " << frame->width() << " x " << frame->height();
            EXPECT_EQ(window.frameGeometry(), expected) << name << " showing " << showing;
            command();
            ASSERT_FALSE(window.isVisible()) << name;
            QTest::qWait(100);
        }
    }
};

// Measured before under openbox at 1600 x 1000: Nodes 600 x 405 and Soils 469 x 99 where they are
// 602 x 415 and 471 x 109, moving by 20 pixels between their first and later showings; the
// Options window framed around a client area of the old size.
TEST_F(WindowFrames, TablesAndOptionsAtTheirSizesAndPlaces) {
    const QSize screen = main().screen()->geometry().size();
    const int w = screen.width(), h = screen.height();
    auto height = [](int rows) { return 17 * (std::min(rows, 20) + 1) + 2 + 56; };
    auto button = [this](QToolButton* b) { return [b] { QTest::mouseClick(b, Qt::LeftButton); }; };

    // The default problem: 3 nodes, 1 element, 1 block.
    expectFrame(button(main().SpeedButtonSoils), WindowId::Properties,
                QRect(w - 471 - 60, 80, 471, height(1)));
    openFile(exampleOrTestFile("Val1.fem", "ui_square.fem")); // 1089 nodes, 2048 elements, 3 particles
    expectFrame(button(main().SpeedButtonNode), WindowId::Nodes,
                QRect(w - 602 - 30, static_cast<int>(0.4 * h), 602, 415));
    expectFrame(button(main().SpeedButtonElement), WindowId::Elements,
                QRect(20, static_cast<int>(0.45 * h), 5 * 61 + 2 + 18 + 4, 415));
    expectFrame(button(main().SpeedButtonParticles), WindowId::Particles,
                QRect(w - 330 - 60, static_cast<int>(0.3 * h), 330, height(3)));

    // Options: a client area of 606 x 326 (the boxes of this program) in the manager's frame,
    // centred, 260 pixels from the top.
    TFormOpt& options = static_cast<TFormOpt&>(app->window(WindowId::Options));
    button(main().SpeedButtonOptions)();
    settle(options);
    const QRect frame = managerFrame(options).value_or(QRect());
    const QRect client = options.geometry();
    EXPECT_EQ(client.size(), QSize(606, 326));
    const int outerWidth = 606 + (frame.width() - client.width());
    EXPECT_EQ(frame, QRect((w - outerWidth) / 2, 260, outerWidth, 326 + (frame.height() - client.height())));
    button(main().SpeedButtonOptions)();
    QTest::qWait(100);
    expectFrame(button(main().SpeedButtonOptions), WindowId::Options, frame);
    save("window_frames_main.png");
}

TEST_F(WindowFrames, EditorsPlotsManualAndBudgetAtTheirPlaces) {
    const QSize screen = main().screen()->geometry().size();
    openFile(exampleOrTestFile("Val1.fem", "ui_square.fem"));
    const QRect large(20, 75, screen.width() - 40, screen.height() - 80);
    expectFrame([this] { main().SpeedButtonContoursClick(); }, WindowId::Contours, large);
    expectFrame([this] { main().SpeedButton3dClick(); }, WindowId::Graph3D, large);
    expectFrame([this] { QTest::mouseClick(main().SpeedButtonMesh, Qt::LeftButton); }, WindowId::Mesh, large);

    // The manual: its client area of 770 x 580, the frame's corner at (30, 70).
    QWidget& manual = app->window(WindowId::Manual);
    main().SpeedButtonManualClick();
    settle(manual);
    EXPECT_EQ(manual.size(), QSize(770, 580));
    const QRect manualFrame = managerFrame(manual).value_or(QRect());
    EXPECT_EQ(manualFrame.topLeft(), QPoint(30, 70));
    main().SpeedButtonManualClick();
    QTest::qWait(100);
    expectFrame([this] { main().SpeedButtonManualClick(); }, WindowId::Manual, manualFrame);

    // The water budget, centred with its frame 100 pixels from the top.
    QWidget& budget = app->window(WindowId::WaterBudget);
    QTest::mouseClick(main().SpeedButtonBudget, Qt::LeftButton);
    settle(budget);
    const QRect budgetFrame = managerFrame(budget).value_or(QRect());
    EXPECT_EQ(budgetFrame.top(), 100);
    EXPECT_LE(std::abs(budgetFrame.center().x() - screen.width() / 2), 1);
    QTest::mouseClick(main().SpeedButtonBudget, Qt::LeftButton);
    QTest::qWait(100);
    expectFrame([this] { QTest::mouseClick(main().SpeedButtonBudget, Qt::LeftButton); },
                WindowId::WaterBudget, budgetFrame);

    // Edit Blocks last: it throws the refined mesh of the example away.
    problem().NN = problem().NA; // nothing to ask about
    expectFrame([this] { QTest::mouseClick(main().SpeedButtonEdit, Qt::LeftButton); }, WindowId::EditBlocks,
                large);
}

} // namespace
