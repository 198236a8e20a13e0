// The application object: the problem, the installation data and the window state, and the
// twelve windows created in their fixed order. Windows reach each other only through it.
#pragma once

#include <array>
#include <functional>
#include <initializer_list>
#include <memory>

#include "io/installation_file.h"
#include "model/problem.h"
#include "ui/dialogs.h"
#include "ui/ui_state.h"

namespace velkor {

class SecondaryWindow;
class TFormFem;
class TFormNod;
class TFormElm;
class TFormMesh;
class TFormOpt;
class TFormEdit;
class TFormSoils;
class TFormContours;
class TFormManual;
class TFormWells;
class TForm3D;
class TFormParticles;

class Application {
  public:
    // Creates the main window (which runs its start-up sequence) and then the secondary windows.
    explicit Application(Dialogs& dialogs);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    Problem problem;
    InstallationData installation;
    UiState state;
    Dialogs& dialogs;
    // Ends the program; replaced by tests. Runs after the tables have been released.
    std::function<void()> endProgram;

    TFormFem& mainWindow() { return *main_; }
    SecondaryWindow& window(WindowId id) { return *windows_[static_cast<std::size_t>(id)]; }
    TFormNod& nodesWindow();
    TFormElm& elementsWindow();
    TFormMesh& meshWindow();
    TFormOpt& optionsWindow();
    TFormEdit& editBlocksWindow();
    TFormSoils& propertiesWindow();
    TFormContours& contoursWindow();
    TFormManual& manualWindow();
    TFormWells& wellsWindow();
    TForm3D& graph3dWindow();
    TFormParticles& particlesWindow();

    bool isShown(WindowId id) const { return state.shown[id]; }
    void showWindow(WindowId id);
    // Hides a shown window and clears its flag; the window's own close handling does not run.
    void closeWindow(WindowId id);
    void closeWindows(std::initializer_list<WindowId> ids);
    void toggleWindow(WindowId id);
    // Every secondary window, in the order the commands close them.
    void closeAllSecondaryWindows();
    // Hides whatever secondary window is on the screen and clears every shown flag.
    void hideSecondaryWindows();
    bool secondaryWindowsCreated() const { return windows_.back() != nullptr; }

    // Tables for the installation limits. When the memory for them cannot be had, the user is
    // told and the default limits are used; the installation data then show what is in force.
    void allocateTablesForInstallation();

    // The main window's repaint: grids filled from the model, buttons set, stale results cleared.
    void repaintMainWindow();

    // Releases the tables and ends the program at once, without asking to save. During a read,
    // save or solve the running command cannot be returned to, so the process ends right here.
    void quit();

  private:
    std::unique_ptr<TFormFem> main_;
    std::array<std::unique_ptr<SecondaryWindow>, kSecondaryWindowCount> windows_;
};

} // namespace velkor
