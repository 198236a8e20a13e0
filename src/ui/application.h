// The application object: the document and the thirteen windows, created in their fixed order,
// and the rules that hold between them - which window is shown, which command may run, when the
// program ends. Windows reach each other only through it.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "forms/close_groups.h"
#include "ui/background_run.h"
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

    // Runs a command of the main window: not while another command works (its clicks wait).
    void runCommand(const std::function<void()>& command);
    bool commandRunning() const { return state.busy; }

    // ---- long runs ------------------------------------------------------------------------------
    // A command's long run (a solve, a Split pass, printing) works on a worker thread while the
    // windows stay on the screen. It holds the document for its duration: commands that would
    // change the problem wait (disabled, with a hint saying why). One runs at a time.
    //
    // `what` names it ("solve"); `job` runs on the worker thread, `progress` and `finished` on
    // the GUI thread. The document is released before `finished` runs, so that it can take the
    // run's results into the problem. False, and nothing started, while another run goes on or
    // the program is ending.
    bool startLongRun(const std::string& what, BackgroundRun::Job job,
                      std::function<void(const Progress&)> progress, std::function<void()> finished);
    bool longRunActive() const { return longRun_ && longRun_->running(); }
    // Cancel and Escape: the run stops at its next step (and `finished` says so).
    void cancelLongRun();
    bool longRunCancelled() const { return longRun_ && longRun_->cancelRequested(); }
    // Runs `then` once the long run going on has ended (at once when none is going on).
    void afterLongRun(std::function<void()> then);
    // Lets go of what a long run leaves behind (the problem as it was, a copy, a PDF given up) on a
    // thread of its own.
    void releaseLater(std::shared_ptr<void> leftOver) { disposal_->release(std::move(leftOver)); }

    // Releases the tables and ends the program, without asking to save. A long run going on is
    // cancelled first and the program ends when it has returned.
    void quit();
    bool quitRequested() const { return quitRequested_; }

  private:
    void finishQuit();
    void longRunEnded();

    std::unique_ptr<TFormFem> main_;
    std::array<std::unique_ptr<SecondaryWindow>, kSecondaryWindowCount> windows_;
    std::unique_ptr<Disposal> disposal_;
    std::unique_ptr<BackgroundRun> longRun_;
    std::vector<std::function<void()>> afterLongRun_;
    bool quitRequested_ = false;
    bool ended_ = false;
};

} // namespace velkor
