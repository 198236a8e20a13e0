#include "ui/application.h"

#include <QCoreApplication>

#include "ui/budget_window.h"
#include "ui/contours_window.h"
#include "ui/edit_blocks_window.h"
#include "ui/elements_window.h"
#include "ui/graph3d_window.h"
#include "ui/main_window.h"
#include "ui/manual_window.h"
#include "ui/mesh_window.h"
#include "ui/nodes_window.h"
#include "ui/options_window.h"
#include "ui/particles_window.h"
#include "ui/soils_window.h"
#include "ui/wells_window.h"

namespace velkor {

namespace {

template <typename Window>
void create(std::array<std::unique_ptr<SecondaryWindow>, kSecondaryWindowCount>& windows, Application& app) {
    auto window = std::make_unique<Window>(app);
    const auto index = static_cast<std::size_t>(window->windowId());
    windows[index] = std::move(window);
}

} // namespace

Application::Application(Dialogs& dialogsToUse)
    : dialogs(dialogsToUse), endProgram([] { QCoreApplication::quit(); }),
      disposal_(std::make_unique<Disposal>()), longRun_(std::make_unique<BackgroundRun>()) {
    main_ = std::make_unique<TFormFem>(*this);
    create<TFormNod>(windows_, *this);
    create<TFormElm>(windows_, *this);
    create<TFormMesh>(windows_, *this);
    create<TFormOpt>(windows_, *this);
    create<TFormEdit>(windows_, *this);
    create<TFormSoils>(windows_, *this);
    create<TFormContours>(windows_, *this);
    create<TFormManual>(windows_, *this);
    create<TFormWells>(windows_, *this);
    create<TForm3D>(windows_, *this);
    create<TFormParticles>(windows_, *this);
    create<TFormBudget>(windows_, *this);
    main_->windowsCreated();
}

Application::~Application() {
    // No job may outlive the problem it reads, nor call into windows that are gone.
    longRun_->stopAndWait();
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
        it->reset();
    main_.reset();
}

void Application::showWindow(WindowId id) {
    SecondaryWindow& w = window(id);
    state.shown[id] = true;
    w.show();
    w.raise();
    w.activateWindow();
}

void Application::closeWindow(WindowId id) {
    if (!state.shown[id]) return;
    window(id).hide();
    state.shown[id] = false;
}

void Application::closeWindows(std::span<const WindowId> ids) {
    for (WindowId id : ids)
        closeWindow(id);
}

void Application::toggleWindow(WindowId id) {
    if (state.shown[id])
        closeWindow(id);
    else
        showWindow(id);
}

void Application::hideSecondaryWindows() {
    for (auto& w : windows_)
        if (w) w->hide();
    state.shown.clear();
}

void Application::allocateTablesForInstallation() {
    Problem& tables = document.problemForRules();
    if (!tables.allocateTables(installation.limits)) {
        dialogs.message(kNoMemoryForTablesMessage);
        installation.limits = Limits{};
        tables.allocateTables(installation.limits);
    }
    installation.limits = tables.limits;
    tables.userName = installation.userName;
}

void Application::runCommand(const std::function<void()>& command) {
    if (ended_ || quitRequested_ || state.busy) return;
    state.busy = true;
    command();
    state.busy = false;
    if (quitRequested_ && !longRunActive()) finishQuit();
}

bool Application::startLongRun(const std::string& what, BackgroundRun::Job job,
                               std::function<void(const Progress&)> progress,
                               std::function<void()> finished) {
    if (ended_ || quitRequested_ || longRun_->running() || document.held()) return false;
    document.hold(what);
    const bool started =
        longRun_->start(std::move(job), std::move(progress), [this, finished = std::move(finished)] {
            // The problem may change again: the run's results are taken into it here. What follows
            // (a message, the save dialog) is part of the command: a quit meanwhile waits for it.
            document.release();
            const bool busy = state.busy;
            state.busy = true;
            if (finished) finished();
            state.busy = busy;
            longRunEnded();
        });
    if (!started) document.release();
    return started;
}

void Application::cancelLongRun() {
    longRun_->cancel();
}

void Application::afterLongRun(std::function<void()> then) {
    if (!longRunActive()) {
        then();
        return;
    }
    afterLongRun_.push_back(std::move(then));
}

void Application::longRunEnded() {
    if (quitRequested_) {
        // A command still unwinding finishes the quit itself when it returns.
        if (!state.busy) finishQuit();
        return;
    }
    std::vector<std::function<void()>> waiting;
    waiting.swap(afterLongRun_);
    for (const std::function<void()>& then : waiting)
        then();
}

void Application::quit() {
    if (ended_) return;
    quitRequested_ = true;
    if (longRunActive()) {
        // The run stops at its next step; the program ends when it has returned.
        cancelLongRun();
        return;
    }
    if (!state.busy) finishQuit();
}

void Application::finishQuit() {
    if (ended_) return;
    ended_ = true;
    quitRequested_ = false;
    afterLongRun_.clear();
    document.problemForRules().releaseTables();
    hideSecondaryWindows();
    if (endProgram) endProgram();
}

} // namespace velkor
