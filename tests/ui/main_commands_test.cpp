// Every tool button and menu item of the main window, pressed as the user presses it: its hint,
// its place, when it is enabled, what it does and which secondary windows it hides. The groups
// are written out here from the command descriptions, independently of the program's table.
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>

#include <algorithm>
#include <map>
#include <vector>

#include "ui/secondary_window.h"
#include "ui_support.h"

using namespace velkor;
using namespace velkor::testing;

namespace {

using W = WindowId;

const std::vector<W> kAllWindows{W::Nodes,      W::Elements,   W::Mesh,      W::Options,
                                 W::EditBlocks, W::Properties, W::Contours,  W::Manual,
                                 W::Wells,      W::Graph3D,    W::Particles, W::WaterBudget};

enum class Effect { OpenDialog, SaveDialog, PrintDialog, Solve, NewProblem, Toggle, HelpText };

struct ButtonCase {
    const char* hint;
    int left; // -1: at the right edge
    bool enabledAtStart;
    Effect effect;
    std::optional<W> toggled;
    std::vector<W> hidden; // before the command acts (the toggled window not included)
};

const std::vector<W> kAllButEdit{W::Options,  W::Nodes,  W::Elements, W::Mesh,      W::Properties, W::Graph3D,
                                 W::Contours, W::Manual, W::Wells,    W::Particles, W::WaterBudget};

// The tool bar, left to right.
const std::vector<ButtonCase>& buttonCases() {
    static const std::vector<ButtonCase> cases{
        {"Open", 0, true, Effect::OpenDialog, std::nullopt, kAllWindows},
        {"New Mesh", 25, true, Effect::NewProblem, W::EditBlocks, kAllWindows},
        {"Edit Blocks", 50, true, Effect::Toggle, W::EditBlocks, kAllButEdit},
        {"Save", 75, false, Effect::SaveDialog, std::nullopt, kAllWindows},
        {"Print", 100, false, Effect::PrintDialog, std::nullopt, {}},
        {"Options", 125, true, Effect::Toggle, W::Options, {W::Contours, W::Graph3D}},
        {"Properties", 150, true, Effect::Toggle, W::Properties, {}},
        {"List of Nodes", 175, false, Effect::Toggle, W::Nodes, {}},
        {"List of Elements", 200, false, Effect::Toggle, W::Elements, {}},
        {"Edit Mesh",
         225,
         false,
         Effect::Toggle,
         W::Mesh,
         {W::Options, W::Nodes, W::Elements, W::EditBlocks, W::Properties, W::Contours, W::Manual, W::Wells,
          W::Particles, W::WaterBudget}},
        {"Wells", 250, false, Effect::Toggle, W::Wells, {}},
        {"Particles", 275, false, Effect::Toggle, W::Particles, {}},
        {"Solve", 300, true, Effect::Solve, std::nullopt, kAllWindows},
        {"Contours",
         325,
         true,
         Effect::Toggle,
         W::Contours,
         {W::Options, W::Nodes, W::Elements, W::Mesh, W::EditBlocks, W::Properties, W::Manual, W::Wells,
          W::Particles, W::Graph3D, W::WaterBudget}},
        {"3D-Graph",
         350,
         true,
         Effect::Toggle,
         W::Graph3D,
         {W::Options, W::Nodes, W::Elements, W::Mesh, W::EditBlocks, W::Properties, W::Manual, W::Wells,
          W::Particles, W::Contours, W::WaterBudget}},
        {"Manual", 375, true, Effect::Toggle, W::Manual, {}},
        {"Water Budget", 400, true, Effect::Toggle, W::WaterBudget, {}},
        {"Help", -1, true, Effect::HelpText, std::nullopt, {}},
    };
    return cases;
}

// The menu items (top level or in a menu) and the button whose command each runs.
const std::vector<std::pair<const char*, const char*>>& menuCases() {
    static const std::vector<std::pair<const char*, const char*>> cases{
        {"&Open", "Open"},
        {"&New", "New Mesh"},
        {"&Save", "Save"},
        {"&Print", "Print"},
        {"&Info", "Help"},
        {"&Options", "Options"},
        {"&Properties", "Properties"},
        {"&Nodes", "List of Nodes"},
        {"&Elements", "List of Elements"},
        {"&Mesh", "Edit Mesh"},
        {"&Wells", "Wells"},
        {"&Particles", "Particles"},
        {"&Solve", "Solve"},
        {"&Contours", "Contours"},
        {"&3D-Graph", "3D-Graph"},
        {"&Manual", "Manual"},
        {"Water &Budget", "Water Budget"},
    };
    return cases;
}

class MainCommands : public ProgramTest {
  protected:
    QToolButton* buttonAt(const ButtonCase& c) {
        const int left = c.left >= 0 ? c.left : main().ToolBar->width() - 25 - 8;
        auto* button = qobject_cast<QToolButton*>(main().ToolBar->childAt(left + 12, 12));
        EXPECT_NE(button, nullptr) << c.hint;
        return button;
    }

    QAction* menuItem(const char* text) {
        const QString wanted = QString::fromLatin1(text);
        for (QAction* top : main().menuBar()->actions()) {
            if (top->text() == wanted && !top->menu()) return top;
            if (QMenu* menu = top->menu())
                for (QAction* item : menu->actions())
                    if (item->text() == wanted) return item;
        }
        ADD_FAILURE() << "no menu item " << text;
        return nullptr;
    }

    // Every secondary window but, for the Wells command, the block editor: its first paint
    // turns the blocks into the mesh again, which drops the wells and disables the command.
    void showAllWindows(const ButtonCase& c) {
        for (W id : kAllWindows)
            if (!(id == W::EditBlocks && c.toggled == W::Wells)) app->showWindow(id);
    }

    // Runs an action with every secondary window shown and checks the effect and the hiding.
    void expectCommand(const ButtonCase& c, const std::function<void()>& press) {
        SCOPED_TRACE(c.hint);
        showAllWindows(c);
        const std::size_t opens = dialogs.openRequests.size(), saves = dialogs.saveRequests.size();
        const std::size_t messages = dialogs.messages.size();
        const int prints = dialogs.printRequests;
        press();
        for (W id : kAllWindows) {
            const bool hidden = std::find(c.hidden.begin(), c.hidden.end(), id) != c.hidden.end();
            bool shown = !hidden && !(id == W::EditBlocks && c.toggled == W::Wells);
            if (c.toggled && *c.toggled == id) shown = c.effect == Effect::NewProblem; // New shows it anew
            EXPECT_EQ(app->isShown(id), shown) << "window " << static_cast<int>(id);
            EXPECT_EQ(app->window(id).isVisible(), shown) << "window " << static_cast<int>(id);
        }
        EXPECT_EQ(dialogs.openRequests.size() - opens, c.effect == Effect::OpenDialog ? 1u : 0u);
        EXPECT_EQ(dialogs.printRequests - prints, c.effect == Effect::PrintDialog ? 1 : 0);
        // Solve ends by offering to save.
        EXPECT_EQ(dialogs.saveRequests.size() - saves,
                  c.effect == Effect::SaveDialog || c.effect == Effect::Solve ? 1u : 0u);
        if (c.effect == Effect::HelpText) {
            ASSERT_EQ(dialogs.messages.size(), messages + 1);
            EXPECT_NE(dialogs.messages.back().find("List of Commands :\n"), std::string::npos);
        }
        if (c.effect == Effect::NewProblem) EXPECT_EQ(problem().NN, 3);
        if (c.effect == Effect::Solve) EXPECT_NE(main().StatusLine->text(), QString());
        app->hideSecondaryWindows();
    }

    const ButtonCase& caseFor(const char* hint) {
        for (const ButtonCase& c : buttonCases())
            if (std::string(c.hint) == hint) return c;
        throw std::runtime_error(hint);
    }
};

} // namespace

TEST_F(MainCommands, ButtonsHaveTheirHintsPlacesAndStartingStates) {
    // The start-up sequence leaves the data buttons off; its first repaint turns them on.
    main().FormCreate();
    for (const ButtonCase& c : buttonCases()) {
        QToolButton* button = buttonAt(c);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->toolTip(), QString::fromLatin1(c.hint));
        EXPECT_EQ(button->size(), QSize(25, 25)) << c.hint;
        EXPECT_EQ(button->isEnabled(),
                  c.enabledAtStart && std::string(c.hint) != "Wells" && std::string(c.hint) != "Particles")
            << c.hint;
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus) << c.hint; // a click leaves the grid's typing alone
    }
    main().FormPaint();
    for (const ButtonCase& c : buttonCases()) {
        const bool wellsOrParticles = std::string(c.hint) == "Wells" || std::string(c.hint) == "Particles";
        EXPECT_EQ(buttonAt(c)->isEnabled(), !wellsOrParticles) << c.hint;
    }
    openFile(testData("ui_square.fem")); // one well, two particles
    for (const ButtonCase& c : buttonCases())
        EXPECT_TRUE(buttonAt(c)->isEnabled()) << c.hint;
}

TEST_F(MainCommands, EveryButtonRunsItsCommandAndHidesItsGroup) {
    openFile(testData("ui_square.fem"));
    const std::string saved = (std::filesystem::current_path() / "commands.fem").string();
    for (const ButtonCase& c : buttonCases()) {
        // Each command starts from the problem with a well and particles (the block editor's
        // closing drops the wells).
        openFile(testData("ui_square.fem"));
        if (c.effect == Effect::OpenDialog) dialogs.openAnswers.push_back(testData("ui_square.fem"));
        if (c.effect == Effect::SaveDialog || c.effect == Effect::Solve) dialogs.saveAnswers.push_back(saved);
        expectCommand(c, [&] { click(buttonAt(c)); });
    }
    EXPECT_TRUE(std::filesystem::exists(saved));
}

TEST_F(MainCommands, EveryMenuItemRunsTheCommandOfItsButton) {
    openFile(testData("ui_square.fem"));
    const std::string saved = (std::filesystem::current_path() / "menu.fem").string();
    for (const auto& [text, hint] : menuCases()) {
        const ButtonCase& c = caseFor(hint);
        openFile(testData("ui_square.fem"));
        if (c.effect == Effect::OpenDialog) dialogs.openAnswers.push_back(testData("ui_square.fem"));
        if (c.effect == Effect::SaveDialog || c.effect == Effect::Solve) dialogs.saveAnswers.push_back(saved);
        expectCommand(c, [&] { choose(menuItem(text)); });
        // From a screen without other windows, the item shows its own window and no other.
        if (c.effect == Effect::Toggle) {
            choose(menuItem(text));
            for (W id : kAllWindows)
                EXPECT_EQ(app->isShown(id), id == *c.toggled) << hint << ", window " << static_cast<int>(id);
            app->hideSecondaryWindows();
        }
    }
}

TEST_F(MainCommands, ShowingAWindowThenPressingAgainHidesIt) {
    openFile(testData("ui_square.fem"));
    for (const ButtonCase& c : buttonCases()) {
        if (c.effect != Effect::Toggle) continue;
        SCOPED_TRACE(c.hint);
        openFile(testData("ui_square.fem"));
        click(buttonAt(c));
        EXPECT_TRUE(app->isShown(*c.toggled));
        EXPECT_TRUE(app->window(*c.toggled).isVisible());
        click(buttonAt(c));
        EXPECT_FALSE(app->isShown(*c.toggled));
        EXPECT_FALSE(app->window(*c.toggled).isVisible());
    }
    // Showing the particles sets the table cursor on the first cell.
    app->state.cursor = GridCursor{3, 2};
    click(main().SpeedButtonParticles);
    EXPECT_EQ(app->state.cursor.col, 1);
    EXPECT_EQ(app->state.cursor.row, 1);
}

TEST_F(MainCommands, MenuItemsOfDisabledButtons) {
    // With the data buttons off (between the start-up sequence and its first repaint) the menu
    // items of the lists and the mesh say why; those of wells and particles stay silent while
    // there are none.
    for (const char* item : {"&Nodes", "&Elements", "&Mesh"}) {
        main().FormCreate();
        choose(menuItem(item));
        ASSERT_EQ(dialogs.messages.size(), 1u) << item;
        EXPECT_EQ(dialogs.messages[0], "Open datafile first");
        dialogs.messages.clear();
    }
    choose(menuItem("&Wells"));
    choose(menuItem("&Particles"));
    EXPECT_TRUE(dialogs.messages.empty());
    for (W id : kAllWindows)
        EXPECT_FALSE(app->isShown(id));
    EXPECT_FALSE(main().SpeedButtonWells->isEnabled());
}

TEST_F(MainCommands, MenuShortcutsAndAbout) {
    EXPECT_EQ(menuItem("&Open")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(menuItem("&Save")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(menuItem("&Print")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    EXPECT_EQ(menuItem("&Quit")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_EQ(menuItem("&Info")->shortcut(), QKeySequence(Qt::Key_F1));
    choose(menuItem("&About"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].find("VELKOR"), std::string::npos);
    // The File and Help menus hold their items in order.
    std::vector<QString> file;
    for (QAction* item : main().menuBar()->actions().at(0)->menu()->actions())
        file.push_back(item->isSeparator() ? QStringLiteral("-") : item->text());
    EXPECT_EQ(file, (std::vector<QString>{QStringLiteral("&Open"), QStringLiteral("&New"),
                                          QStringLiteral("&Save"), QStringLiteral("&Print"),
                                          QStringLiteral("Print Pre&view"), QStringLiteral("&Export\u2026"),
                                          QStringLiteral("-"), QStringLiteral("&Quit")}));
}

TEST_F(MainCommands, LookAndSizeOfTheWindow) {
    const QRect screen = main().screen()->geometry();
    EXPECT_EQ(main().size(), QSize(screen.width() - 100, screen.height() - 100));
    EXPECT_EQ(main().pos(), QPoint(50, 1));
    // The colours, by pixel: MainWindowLook.
    EXPECT_EQ(main().PanelInstallation->geometry(), QRect(40, 50, 382, 121));
    EXPECT_EQ(main().PanelGeneral->geometry(), QRect(40, 185, 382, 234));
    EXPECT_EQ(main().GeneralGrid->view()->columnWidth(0), 150);
    EXPECT_EQ(main().GeneralGrid->view()->columnWidth(1), 230);
    EXPECT_EQ(main().GeneralGrid->visibleRows(), 5); // rows 6..10 below the six fixed rows
    EXPECT_EQ(main().SpeedButtonManual->x(), main().SpeedButton3d->x() + 25);
    EXPECT_EQ(main().SpeedButtonBudget->x(), main().SpeedButtonManual->x() + 25);
}
