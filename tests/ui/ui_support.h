// Shared pieces of the window tests: scripted dialogs and a fresh program per test.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPrinter>
#include <QSettings>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "ui/application.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"
#include "ui/table_grid.h"

namespace velkor::testing {

// Answers dialogs from queues and records every message; nothing ever waits for a user.
class ScriptedDialogs : public Dialogs {
  public:
    std::vector<std::string> messages;
    std::deque<std::optional<std::string>> openAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
    std::vector<FileDialogRequest> openRequests;
    std::vector<FileDialogRequest> saveRequests;
    // Questions asked, with the answers to give: "Save changes to name?" is answered Discard and a
    // yes-or-no question Yes unless a test queues another answer.
    std::vector<std::string> questions;
    std::deque<SaveChoice> saveChoices;
    std::deque<bool> yesNoAnswers;
    // Runs while a dialog is "open", to look at the windows behind it.
    std::function<void()> whileSaveDialogOpen;
    std::function<void(const std::string&)> whileMessageOpen;

    // Print dialog: a PDF file the report goes to, or nothing for Cancel. Preview: the file its
    // pages are drawn into as PDF, or nothing for a preview closed before it painted.
    std::deque<std::optional<std::string>> printAnswers;
    std::deque<std::optional<std::string>> previewAnswers;
    int printRequests = 0;
    int previewRequests = 0;

    // Set Nodes and Export: the answers to give (nothing for Cancel; an empty queue cancels), and
    // what each dialog was shown with.
    std::deque<std::optional<NodeSettings>> nodeSettingsAnswers;
    std::vector<NodeSettingsRequest> nodeSettingsRequests;
    std::function<void()> whileNodeSettingsOpen;
    std::deque<std::optional<ExportChoice>> exportAnswers;
    std::vector<ExportChoice> exportProposals;

    void message(const std::string& text) override {
        messages.push_back(text);
        if (whileMessageOpen) whileMessageOpen(text);
    }
    SaveChoice askToSave(const std::string& text) override {
        questions.push_back(text);
        if (saveChoices.empty()) return SaveChoice::Discard;
        const SaveChoice choice = saveChoices.front();
        saveChoices.pop_front();
        return choice;
    }
    bool askYesNo(const std::string& text) override {
        questions.push_back(text);
        if (yesNoAnswers.empty()) return true;
        const bool answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }
    std::optional<std::string> openFileName(const FileDialogRequest& request) override {
        openRequests.push_back(request);
        return next(openAnswers);
    }
    std::optional<std::string> saveFileName(const FileDialogRequest& request) override {
        saveRequests.push_back(request);
        if (whileSaveDialogOpen) whileSaveDialogOpen();
        return next(saveAnswers);
    }

    bool printSetup(QPrinter& printer) override {
        ++printRequests;
        return printToFile(printer, next(printAnswers));
    }
    void printPreview(QPrinter& printer, const std::function<void(QPrinter&)>& paint) override {
        ++previewRequests;
        if (printToFile(printer, next(previewAnswers))) paint(printer);
    }
    std::optional<NodeSettings> nodeSettings(const NodeSettingsRequest& request) override {
        nodeSettingsRequests.push_back(request);
        if (whileNodeSettingsOpen) whileNodeSettingsOpen();
        return next(nodeSettingsAnswers);
    }
    std::optional<ExportChoice> exportChoice(const ExportChoice& proposal) override {
        exportProposals.push_back(proposal);
        return next(exportAnswers);
    }

  private:
    static bool printToFile(QPrinter& printer, const std::optional<std::string>& file) {
        if (!file) return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromLocal8Bit(file->c_str()));
        return true;
    }
    template <typename T> static std::optional<T> next(std::deque<std::optional<T>>& answers) {
        if (answers.empty()) return std::nullopt;
        std::optional<T> answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// The bytes of a file.
inline std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The text of a PDF file as pdftotext reads it, columns kept in place.
inline std::string pdfText(const std::string& path) {
    std::string text;
    if (FILE* pipe = popen(("pdftotext -layout '" + path + "' - 2>/dev/null").c_str(), "r")) {
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            text.append(buffer, n);
        pclose(pipe);
    }
    return text;
}

inline std::string testData(const char* name) {
    return std::string(VELKOR_TEST_DATA_DIR) + "/" + name;
}

// A whole program, as main() builds it, with the given dialogs, its main window on the screen; the
// process is not ended when the program ends.
inline std::unique_ptr<Application> startProgram(Dialogs& dialogs) {
    std::filesystem::remove(kInstallationFileName);
    auto app = std::make_unique<Application>(dialogs);
    app->endProgram = [] {};
    app->mainWindow().show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&app->mainWindow()));
    return app;
}

// A whole program, as main() builds it, with scripted dialogs and without ending the process.
class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::remove(kInstallationFileName);
        // Every test starts from empty settings (no recent files), whatever ran before it.
        QSettings().clear();
        app = std::make_unique<Application>(dialogs);
        app->endProgram = [this] { ++endRequests; };
        main().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main()));
        QCoreApplication::processEvents();
    }
    void TearDown() override { app.reset(); }

    TFormFem& main() { return app->mainWindow(); }
    // The problem, for a test to set up what the user would have typed or drawn.
    Problem& problem() { return app->document.problemForRules(); }

    // Opens a datafile through the Open button, as the user does.
    void openFile(const std::string& path) {
        dialogs.openAnswers.push_back(path);
        click(main().SpeedButtonOpen);
    }

    // A left click in the middle of a button, as the user gives it. A long run it starts (a solve,
    // a Split pass, printing) is waited for, as the user waits for it; its progress reaches the
    // windows (and the tests' hooks) meanwhile.
    void click(QAbstractButton* button) {
        ASSERT_NE(button, nullptr);
        const bool running = app->longRunActive();
        QTest::mouseClick(button, Qt::LeftButton);
        if (!running) finishLongRun();
    }
    // A menu item chosen: the action's trigger, as a click on it or its shortcut gives.
    void choose(QAction* action) {
        ASSERT_NE(action, nullptr);
        const bool running = app->longRunActive();
        action->trigger();
        if (!running) finishLongRun();
    }
    // Lets the event loop run until no long run goes on (or a minute has passed).
    void finishLongRun() {
        QElapsedTimer clock;
        clock.start();
        while (app && app->longRunActive() && clock.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_FALSE(app && app->longRunActive()) << "a long run did not end";
    }

    // Types into the editor of the grid's current cell, replacing its text, as a user would.
    static void typeIntoCell(TableGrid& grid, const QString& text) {
        QLineEdit* editor = grid.cellEditor();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, text);
    }
    static void pressKey(TableGrid& grid, Qt::Key key) {
        QWidget* target =
            grid.cellEditor() ? static_cast<QWidget*>(grid.cellEditor()) : static_cast<QWidget*>(grid.view());
        QTest::keyClick(target, key);
    }

    ScriptedDialogs dialogs;
    std::unique_ptr<Application> app;
    int endRequests = 0;
};

// Counts the paint events a widget receives: a change that must be seen gives at least one.
class PaintCounter : public QObject {
  public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// The first bytes of a file, to tell its format by its signature.
inline bool fileStartsWith(const std::string& path, std::string_view signature) {
    return fileText(path).substr(0, signature.size()) == signature;
}

inline std::string exampleOrTestFile(const char* example, const char* fallback) {
    const std::string path = std::string(VELKOR_EXAMPLES_DIR) + "/" + example;
    return std::filesystem::exists(path) ? path : testData(fallback);
}

} // namespace velkor::testing
