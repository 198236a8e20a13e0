// The application object: the document and the thirteen windows, created in their fixed order,
// and the rules that hold between them - which window is shown, which command may run, when the
// program ends. Windows reach each other only through it.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <span>

#include "forms/close_groups.h"
#include "ui/dialogs.h"
#include "ui/document.h"

namespace velkor {

class SecondaryWindow;
class TFormFem;

class Application {
  public:
    // Creates the main window (which runs its start-up sequence) and then the secondary windows.
    explicit Application(Dialogs& dialogs);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    Document document;
    // Windows read the problem here; it changes only through the document's commands.
    const Problem& problem = document.problem();
    InstallationData& installation = document.installation;
    OptionSettings& options = document.options;
    UiState& state = document.state;
    Dialogs& dialogs;
    // Ends the program; replaced by tests. Runs after the tables have been released.
    std::function<void()> endProgram;

    TFormFem& mainWindow() { return *main_; }
    SecondaryWindow& window(WindowId id) { return *windows_[static_cast<std::size_t>(id)]; }
    bool secondaryWindowsCreated() const { return windows_.back() != nullptr; }

    bool isShown(WindowId id) const { return state.shown[id]; }
    void showWindow(WindowId id);
    // Hides a shown window and clears its flag; the window's own close handling does not run.
    void closeWindow(WindowId id);
    void closeWindows(std::span<const WindowId> ids);
    void toggleWindow(WindowId id);
    // The windows a command hides before it acts (the one table of close groups).
    void closeWindowsFor(Command command) { closeWindows(windowsClosedBy(command)); }
    // Hides whatever secondary window is on the screen and clears every shown flag.
    void hideSecondaryWindows();

    // Tables for the installation limits. When the memory for them cannot be had, the user is
    // told and the default limits are used; the installation data then show what is in force.
    void allocateTablesForInstallation();

    // Runs a command of the main window: not while another command works (its clicks wait), and
    // after a cancellable run of a window (tracking) has been asked to stop and has stopped.
    void runCommand(const std::function<void()>& command);
    bool commandRunning() const { return state.busy; }

    // Long work that lets the event loop run (a solve, a tracking run) holds a scope for its
    // duration. Cancellable work is stopped by a command that comes in meanwhile.
    class WorkScope {
      public:
        WorkScope(Application& app, bool cancellable);
        ~WorkScope();
        WorkScope(const WorkScope&) = delete;
        WorkScope& operator=(const WorkScope&) = delete;

      private:
        Application& app_;
        bool cancellable_;
    };
    bool workRunning() const { return work_ > 0; }
    // True when running work is to stop: the program is ending, or a command waits for it.
    bool cancelRequested() const { return quitRequested_ || cancelWork_; }

    // Releases the tables and ends the program, without asking to save. Work that is running is
    // cancelled first and the program ends when it has returned.
    void quit();
    bool quitRequested() const { return quitRequested_; }

  private:
    void workEnded();
    void finishQuit();

    std::unique_ptr<TFormFem> main_;
    std::array<std::unique_ptr<SecondaryWindow>, kSecondaryWindowCount> windows_;
    int work_ = 0;
    int cancellableWork_ = 0;
    bool cancelWork_ = false;
    bool quitRequested_ = false;
    bool ended_ = false;
    std::function<void()> waitingCommand_;
};

} // namespace velkor
