#include "ui/application.h"

#include <QCoreApplication>
#include <QTimer>

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
    : dialogs(dialogsToUse), endProgram([] { QCoreApplication::quit(); }) {
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
    if (work_ > 0) {
        // A tracking run holds the particle table; it stops first, then the command runs.
        if (cancellableWork_ == work_) {
            cancelWork_ = true;
            waitingCommand_ = command;
        }
        return;
    }
    state.busy = true;
    {
        const WorkScope scope(*this, false);
        command();
    }
    state.busy = false;
    if (quitRequested_) finishQuit();
}

Application::WorkScope::WorkScope(Application& app, bool cancellable) : app_(app), cancellable_(cancellable) {
    ++app_.work_;
    if (cancellable_) ++app_.cancellableWork_;
}

Application::WorkScope::~WorkScope() {
    if (cancellable_) --app_.cancellableWork_;
    if (--app_.work_ == 0) app_.workEnded();
}

void Application::workEnded() {
    cancelWork_ = false;
    if (quitRequested_) {
        // A command still unwinding finishes the quit itself when it returns.
        if (!state.busy) finishQuit();
        return;
    }
    if (waitingCommand_) {
        std::function<void()> command = std::move(waitingCommand_);
        waitingCommand_ = nullptr;
        QTimer::singleShot(0, main_.get(), [this, command] { runCommand(command); });
    }
}

void Application::quit() {
    if (ended_) return;
    if (work_ > 0) {
        quitRequested_ = true;
        return;
    }
    finishQuit();
}

void Application::finishQuit() {
    if (ended_) return;
    ended_ = true;
    quitRequested_ = false;
    document.problemForRules().releaseTables();
    hideSecondaryWindows();
    if (endProgram) endProgram();
}

} // namespace velkor
