// The desktop's own boxes and dialogs: every one is parented to the window the user works in, is
// the active window, and is kept above the windows kept on top (Options, Contours, Edit Mesh), so
// that none opens behind them; help boxes keep the lines of their texts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QPrinter>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <filesystem>
#include <functional>

#include "io/installation_file.h"
#include "ui/application.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"
#include "ui/mesh_window.h"
#include "ui_support.h"

using namespace velkor;

namespace {

class DesktopDialogs : public ::testing::Test {
  protected:
    void SetUp() override { app = velkor::testing::startProgram(dialogs); }
    void TearDown() override { app.reset(); }

    // Runs `open` (which opens a modal dialog and waits for it); once the dialog is on the screen
    // `act` is done to it, once.
    void onceShown(const std::function<void()>& open, const std::function<void(QWidget&)>& act) {
        bool seen = false;
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || seen || !modal->isVisible()) return;
            seen = true;
            act(*modal);
        });
        poll.start();
        open();
        EXPECT_TRUE(seen);
    }
    // `look` sees the dialog, and then it is closed as by its Cancel or OK.
    void whenShown(const std::function<void()>& open, const std::function<void(QWidget&)>& look) {
        onceShown(open, [&](QWidget& modal) {
            look(modal);
            if (auto* dialog = qobject_cast<QDialog*>(&modal))
                dialog->reject();
            else
                modal.close();
        });
    }
    // The key is pressed in the dialog.
    void pressWhenShown(const std::function<void()>& open, Qt::Key key) {
        onceShown(open, [key](QWidget& modal) { QTest::keyClick(&modal, key); });
    }

    QtDialogs dialogs;
    std::unique_ptr<Application> app;
};

} // namespace

TEST_F(DesktopDialogs, EveryDialogIsActiveAndAboveTheWindowsKeptOnTop) {
    for (const WindowId id : {WindowId::Options, WindowId::Contours, WindowId::Mesh}) {
        app->showWindow(id);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&app->window(id)));
    }
    QWidget& working = app->window(WindowId::Mesh);
    working.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&working));
    for (const WindowId id : {WindowId::Options, WindowId::Contours, WindowId::Mesh})
        ASSERT_TRUE(app->window(id).isVisible());

    // The user works in Edit Mesh again after every dialog (the offscreen desktop gives the
    // activation back to no window when a dialog closes).
    const auto workIn = [&](const std::function<void()>& open) {
        return [&working, open] {
            working.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&working));
            open();
        };
    };
    const auto aboveAll = [&](QWidget& dialog) {
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(dialog.isModal());
        EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_EQ(dialog.parentWidget(), &working);
        QTRY_COMPARE(QApplication::activeWindow(), &dialog);
    };
    whenShown(workIn([&] { dialogs.message("Capacity exceeded"); }), aboveAll);
    whenShown(workIn([&] { dialogs.askYesNo("Go on?"); }), aboveAll);
    whenShown(workIn([&] { dialogs.askToSave("Save changes to Data1.fem?"); }), aboveAll);
    whenShown(workIn([&] { dialogs.help("Help\n\nA text."); }), aboveAll);
    whenShown(workIn([&] {
                  dialogs.saveFileName({kDatafileFilter, kDatafileExtension, ".", "Data1.fem"});
              }),
              aboveAll);
    whenShown(workIn([&] {
                  dialogs.openFileName({kDatafileFilter, kDatafileExtension, ".", "Data1.fem"});
              }),
              aboveAll);
    QPrinter printer;
    whenShown(workIn([&] { dialogs.printSetup(printer); }), aboveAll);

    // The Info box of Edit Mesh, from its help button, opens over it.
    auto& mesh = static_cast<TFormMesh&>(app->window(WindowId::Mesh));
    whenShown(workIn([&] { QTest::mouseClick(mesh.SpeedButtonHelp, Qt::LeftButton); }), aboveAll);
}

// Enter takes the answer that loses nothing (No to a question that gives something up, Save to
// the unsaved-changes question); Escape takes back.
TEST_F(DesktopDialogs, EnterAndEscapeGiveTheSafeAnswers) {
    bool yes = true;
    pressWhenShown([&] { yes = dialogs.askYesNo("Give the refined mesh up?"); }, Qt::Key_Return);
    EXPECT_FALSE(yes);
    yes = true;
    pressWhenShown([&] { yes = dialogs.askYesNo("Give the refined mesh up?"); }, Qt::Key_Escape);
    EXPECT_FALSE(yes);
    SaveChoice choice = SaveChoice::Cancel;
    pressWhenShown([&] { choice = dialogs.askToSave("Save changes to Data1.fem?"); }, Qt::Key_Return);
    EXPECT_EQ(choice, SaveChoice::Save);
    choice = SaveChoice::Save;
    pressWhenShown([&] { choice = dialogs.askToSave("Save changes to Data1.fem?"); }, Qt::Key_Escape);
    EXPECT_EQ(choice, SaveChoice::Cancel);
}

TEST_F(DesktopDialogs, HelpBoxesKeepTheLinesOfTheirTexts) {
    app->showWindow(WindowId::Mesh);
    auto& mesh = static_cast<TFormMesh&>(app->window(WindowId::Mesh));
    whenShown([&] { QTest::mouseClick(mesh.SpeedButtonHelp, Qt::LeftButton); },
              [&](QWidget& box) {
                  auto* text = box.findChild<QLabel*>(QStringLiteral("helpText"));
                  ASSERT_NE(text, nullptr);
                  EXPECT_FALSE(text->wordWrap());
                  // Every character as wide as every other, so that the columns of blanks align.
                  EXPECT_EQ(text->fontMetrics().horizontalAdvance(QStringLiteral("iiii")),
                            text->fontMetrics().horizontalAdvance(QStringLiteral("WWWW")));
                  // The explanation of Add Well goes on under its first line, aligned with its text.
                  EXPECT_TRUE(text->text().contains(QStringLiteral(
                      "- Add Well  : create a well, in an existing node close to the well, or in the "
                      "center\n              of an element, connecting the new node to the 3 nodes of "
                      "this element\n")));
                  // Every line is whole in the box.
                  const QFontMetrics metrics(text->font());
                  for (const QString& line : text->text().split(QLatin1Char('\n')))
                      EXPECT_LE(metrics.horizontalAdvance(line), text->contentsRect().width())
                          << line.toStdString();
              });
}

// Only a line wider than the box can be is broken, between words; the others stay as they are.
TEST(HelpLines, OnlyALineWiderThanTheBoxIsBrokenBetweenWords) {
    const QFontMetrics metrics(QApplication::font());
    const QString aligned =
        QStringLiteral("- Split 2   : subdivide all elements\n              of the original element");
    EXPECT_EQ(helpLines(aligned, metrics, 1000), aligned.split(QLatin1Char('\n')));
    const QString paragraph =
        QStringLiteral("This window shows a 3D-graph of the groundwater head, and the pathlines "
                       "of the particles when there are any.");
    const int width = metrics.horizontalAdvance(QStringLiteral("This window shows a 3D-graph"));
    const QStringList lines = helpLines(paragraph, metrics, width);
    EXPECT_GT(lines.size(), 2);
    for (const QString& line : lines)
        EXPECT_LE(metrics.horizontalAdvance(line), width) << line.toStdString();
    EXPECT_EQ(lines.join(QLatin1Char(' ')), paragraph);
}
