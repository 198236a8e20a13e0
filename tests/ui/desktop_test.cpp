// The program as the desktop starts and feeds it: the datafile named on the command line, the
// recent files of the File menu (chosen from the menu as the user chooses them, kept across a
// restart) and a datafile dropped on the main window. All three open a file as Open does.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QUrl>

#include <filesystem>

#include "model/general_data.h"
#include "plots_support.h"
#include "ui/command_line.h"
#include "ui/recent_files.h"
#include "ui/secondary_window.h"
#include "ui_support.h"

using namespace velkor;
using namespace velkor::testing;

namespace {

constexpr int kProblemName = static_cast<int>(GeneralRow::ProblemName);

QString qtPath(const std::string& path) {
    return QString::fromLocal8Bit(path.c_str());
}

class DesktopTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        folder = std::filesystem::absolute("desktop-files");
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override {
        ProgramTest::TearDown();
        std::filesystem::remove_all(folder);
    }

    // A datafile of the test folder: the small square example under its own problem name.
    std::string datafile(const std::string& name, const std::string& problemName) {
        std::string text = fileText(testData("ui_square.fem"));
        const std::string stored = "Square with a well,";
        text.replace(text.find(stored), stored.size(), problemName + ",");
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    // Ends the program and starts it again, as the user does; the settings stay.
    void restartProgram() {
        app.reset();
        dialogs.messages.clear();
        app = std::make_unique<Application>(dialogs);
        app->endProgram = [this] { ++endRequests; };
        main().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main()));
    }

    std::string problemName() { return main().GeneralGrid->cellText(1, kProblemName); }

    // Opens the File menu by a click on its title in the menu bar.
    QMenu& openFileMenu() {
        QMenuBar* bar = main().menuBar();
        QMenu& menu = *main().FileMenu;
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu.menuAction()).center());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&menu));
        return menu;
    }
    // The items of the File menu as it shows them, separators as "-"; the menu is closed again.
    std::vector<QString> fileMenuItems() {
        QMenu& menu = openFileMenu();
        std::vector<QString> items;
        for (QAction* item : menu.actions())
            items.push_back(item->isSeparator() ? QStringLiteral("-") : item->text());
        menu.close();
        return items;
    }
    std::vector<QString> withRecentFiles(const std::vector<std::string>& paths) {
        std::vector<QString> items{QStringLiteral("&Open"),          QStringLiteral("&New"),
                                   QStringLiteral("&Save"),          QStringLiteral("&Print"),
                                   QStringLiteral("Print Pre&view"), QStringLiteral("&Export\u2026")};
        if (!paths.empty()) items.push_back(QStringLiteral("-"));
        for (std::size_t k = 0; k < paths.size(); ++k)
            items.push_back(QLatin1Char('&') + QString::number(k + 1) + QLatin1Char(' ') + qtPath(paths[k]));
        items.push_back(QStringLiteral("-"));
        items.push_back(QStringLiteral("&Quit"));
        return items;
    }
    // Chooses the recent file of the given number with a click in the open File menu.
    void chooseRecentFile(int number) {
        QMenu& menu = openFileMenu();
        const QString prefix = QLatin1Char('&') + QString::number(number) + QLatin1Char(' ');
        for (QAction* item : menu.actions()) {
            if (item->text().startsWith(prefix)) {
                QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(item).center());
                return;
            }
        }
        menu.close();
        ADD_FAILURE() << "no recent file " << number;
    }

    void saveAs(const std::string& path) {
        dialogs.saveAnswers.push_back(path);
        click(main().SpeedButtonSave);
    }

    // A drag over the main window followed by the drop; whether the window accepted the drag.
    bool dropOnMainWindow(const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        const QPoint centre = main().rect().center();
        QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&main(), &enter);
        QDropEvent drop(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&main(), &drop);
        QCoreApplication::processEvents();
        return enter.isAccepted() && drop.isAccepted();
    }

    std::filesystem::path folder;
};

} // namespace

using RecentFilesMenu = DesktopTest;

TEST_F(RecentFilesMenu, FilesOpenedAndSavedAreListedMostRecentFirstAndReopenedFromTheMenu) {
    EXPECT_EQ(fileMenuItems(), withRecentFiles({}));
    const std::string a = datafile("a.fem", "Problem A");
    const std::string b = datafile("b.fem", "Problem B");
    const std::string c = (folder / "c.fem").string();
    openFile(a);
    openFile(b);
    saveAs(c);
    EXPECT_EQ(fileMenuItems(), withRecentFiles({c, b, a}));

    // Choosing an entry opens it without a dialog and brings it to the top.
    chooseRecentFile(3);
    EXPECT_EQ(dialogs.openRequests.size(), 2u);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(problemName(), "Problem A");
    EXPECT_EQ(fileMenuItems(), withRecentFiles({a, c, b}));
    // As after Open, the next Save proposes the file read.
    click(main().SpeedButtonSave);
    ASSERT_EQ(dialogs.saveRequests.size(), 2u);
    EXPECT_EQ(dialogs.saveRequests[1].fileName, a);

    // A changed problem is not given up unasked: Cancel keeps it.
    main().GeneralGrid->setCurrentCell(1, 10);
    typeIntoCell(*main().GeneralGrid, QStringLiteral("7"));
    pressKey(*main().GeneralGrid, Qt::Key_Return);
    dialogs.saveChoices.push_back(SaveChoice::Cancel);
    chooseRecentFile(2);
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0], "Save changes to a.fem?");
    EXPECT_EQ(problemName(), "Problem A");
}

TEST_F(RecentFilesMenu, KeepsEightAndDropsFilesThatNoLongerExistWhenShown) {
    std::vector<std::string> paths;
    for (int k = 0; k < 10; ++k) {
        paths.push_back(datafile("f" + std::to_string(k) + ".fem", "Problem " + std::to_string(k)));
        openFile(paths.back());
    }
    // The same file under another spelling of its path is still one entry.
    std::filesystem::create_directories(folder / "sub");
    openFile((folder / "sub" / ".." / "f8.fem").string());
    EXPECT_EQ(fileMenuItems(), withRecentFiles({paths[8], paths[9], paths[7], paths[6], paths[5], paths[4],
                                                paths[3], paths[2]}));

    std::filesystem::remove(paths[9]);
    std::filesystem::remove(paths[5]);
    EXPECT_EQ(fileMenuItems(), withRecentFiles({paths[8], paths[7], paths[6], paths[4], paths[3], paths[2]}));
    // Dropped from the stored list too: a file made again later does not come back by itself.
    datafile("f9.fem", "Problem 9");
    EXPECT_EQ(RecentFiles().paths().size(), 6);
    EXPECT_EQ(fileMenuItems(), withRecentFiles({paths[8], paths[7], paths[6], paths[4], paths[3], paths[2]}));
}

TEST_F(RecentFilesMenu, RefusedFilesAndFailedSavesAreNotListed) {
    const std::string a = datafile("a.fem", "Problem A");
    openFile(a);
    const std::string tooMany = (folder / "many.fem").string();
    std::filesystem::copy_file(testData("ui_too_many_particles.fem"), tooMany);
    openFile(tooMany);
    openFile((folder / "missing.fem").string());
    saveAs((folder / "no-such-folder" / "x.fem").string());
    ASSERT_EQ(dialogs.messages.size(), 3u);
    EXPECT_EQ(fileMenuItems(), withRecentFiles({a}));
}

TEST_F(RecentFilesMenu, TheListSurvivesARestart) {
    const std::string a = datafile("a.fem", "Problem A");
    const std::string b = datafile("b.fem", "Problem B");
    openFile(a);
    openFile(b);
    restartProgram();
    EXPECT_EQ(problemName(), "Default Datafile");
    EXPECT_EQ(fileMenuItems(), withRecentFiles({b, a}));
    chooseRecentFile(2);
    EXPECT_EQ(problemName(), "Problem A");
}

using CommandLineArguments = DesktopTest;

TEST_F(CommandLineArguments, AreReadAsTheProgramReadsThem) {
    auto read = [](std::initializer_list<const char*> words) {
        QStringList arguments{QStringLiteral("velkor")};
        for (const char* word : words)
            arguments << QString::fromLatin1(word);
        return readCommandLine(arguments);
    };
    const CommandLine none = read({});
    EXPECT_TRUE(none.start);
    EXPECT_FALSE(none.file);

    const CommandLine file = read({"-platform", "offscreen", "a.fem", "-style", "fusion"});
    EXPECT_TRUE(file.start);
    EXPECT_EQ(file.file, "a.fem");

    const CommandLine version = read({"a.fem", "--version"});
    EXPECT_FALSE(version.start);
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.standardOutput, std::string("velkor ") + VELKOR_VERSION + "\n");
    EXPECT_EQ(read({"-v"}).standardOutput, version.standardOutput);

    const CommandLine help = read({"--help"});
    EXPECT_FALSE(help.start);
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.standardOutput.find("[options] [FILE.fem]"), std::string::npos) << help.standardOutput;
    EXPECT_NE(help.standardOutput.find("--version"), std::string::npos);
    // The toolkit's options are taken, not offered.
    EXPECT_EQ(help.standardOutput.find("platform"), std::string::npos);
    EXPECT_TRUE(help.standardError.empty());

    for (const CommandLine& wrong : {read({"--frobnicate"}), read({"a.fem", "b.fem"}), read({"-platform"})}) {
        EXPECT_FALSE(wrong.start);
        EXPECT_EQ(wrong.exitStatus, 2);
        EXPECT_TRUE(wrong.standardOutput.empty());
        EXPECT_NE(wrong.standardError.find("[options] [FILE.fem]"), std::string::npos) << wrong.standardError;
    }
    EXPECT_EQ(read({"--frobnicate"}).standardError.rfind("Unknown option 'frobnicate'.\n", 0), 0u);
}

TEST_F(CommandLineArguments, TheFileIsOpenedAtStart) {
    const std::string a = datafile("a.fem", "Problem A");
    startProgram(*app, readCommandLine({QStringLiteral("velkor"), qtPath(a)}));
    // Once the event loop runs.
    EXPECT_EQ(problemName(), "Default Datafile");
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.openRequests.empty());
    EXPECT_EQ(problemName(), "Problem A");
    EXPECT_EQ(main().windowTitle(), QStringLiteral("VELKOR - a.fem")); // the file, not the name inside it
    EXPECT_EQ(fileMenuItems(), withRecentFiles({a}));
}

TEST_F(CommandLineArguments, AFileThatCannotBeOpenedGivesTheMessageOfOpenAndTheDefaultProblem) {
    const std::string text = (folder / "notes.fem").string();
    std::ofstream(text, std::ios::binary) << "These are notes, not a datafile.\n";
    const std::string missing = (folder / "missing.fem").string();
    for (const std::string& path : {missing, folder.string(), text}) {
        SCOPED_TRACE(path);
        restartProgram();
        startProgram(*app, readCommandLine({QStringLiteral("velkor"), qtPath(path)}));
        QCoreApplication::processEvents();
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(problemName(), "Default Datafile");
        EXPECT_EQ(problem().NN, 3);
        EXPECT_EQ(fileMenuItems(), withRecentFiles({}));
        openFile(path);
        ASSERT_EQ(dialogs.messages.size(), 2u);
        EXPECT_EQ(dialogs.messages[0], dialogs.messages[1]);
    }
    EXPECT_EQ(dialogs.messages[0].rfind("Reading datafile failed", 0), 0u) << dialogs.messages[0];
}

using DroppedFiles = DesktopTest;

TEST_F(DroppedFiles, ADroppedDatafileOpensAsOpenDoes) {
    EXPECT_TRUE(main().acceptDrops());
    const std::string a = datafile("a.fem", "Problem A");
    const std::string upper = datafile("B.FEM", "Problem B");
    // Open first closes the secondary windows.
    app->showWindow(WindowId::Nodes);
    EXPECT_TRUE(dropOnMainWindow({QUrl::fromLocalFile(qtPath(a))}));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(problemName(), "Problem A");
    EXPECT_FALSE(app->isShown(WindowId::Nodes));
    EXPECT_FALSE(app->window(WindowId::Nodes).isVisible());
    // Of several dropped things, the datafile.
    EXPECT_TRUE(dropOnMainWindow({QUrl(QStringLiteral("https://velkor.example/c.fem")),
                                  QUrl::fromLocalFile(qtPath(testData("results_3d_well.txt"))),
                                  QUrl::fromLocalFile(qtPath(upper))}));
    EXPECT_EQ(problemName(), "Problem B");
    EXPECT_EQ(fileMenuItems(), withRecentFiles({upper, a}));
    // A drop is an Open: Undo takes it back.
    choose(main().Undo1);
    EXPECT_EQ(problemName(), "Problem A");
}

TEST_F(DroppedFiles, OtherThingsAreRefused) {
    EXPECT_FALSE(dropOnMainWindow({QUrl::fromLocalFile(qtPath(testData("results_3d_well.txt")))}));
    EXPECT_FALSE(dropOnMainWindow({QUrl(QStringLiteral("https://velkor.example/c.fem"))}));
    EXPECT_FALSE(dropOnMainWindow({}));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.openRequests.empty());
    EXPECT_EQ(problemName(), "Default Datafile");
}
