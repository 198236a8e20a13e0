#include "ui/application.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

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
}

Application::~Application() {
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
        it->reset();
    main_.reset();
}

TFormNod& Application::nodesWindow() {
    return static_cast<TFormNod&>(window(WindowId::Nodes));
}
TFormElm& Application::elementsWindow() {
    return static_cast<TFormElm&>(window(WindowId::Elements));
}
TFormMesh& Application::meshWindow() {
    return static_cast<TFormMesh&>(window(WindowId::Mesh));
}
TFormOpt& Application::optionsWindow() {
    return static_cast<TFormOpt&>(window(WindowId::Options));
}
TFormEdit& Application::editBlocksWindow() {
    return static_cast<TFormEdit&>(window(WindowId::EditBlocks));
}
TFormSoils& Application::propertiesWindow() {
    return static_cast<TFormSoils&>(window(WindowId::Properties));
}
TFormContours& Application::contoursWindow() {
    return static_cast<TFormContours&>(window(WindowId::Contours));
}
TFormManual& Application::manualWindow() {
    return static_cast<TFormManual&>(window(WindowId::Manual));
}
TFormWells& Application::wellsWindow() {
    return static_cast<TFormWells&>(window(WindowId::Wells));
}
TForm3D& Application::graph3dWindow() {
    return static_cast<TForm3D&>(window(WindowId::Graph3D));
}
TFormParticles& Application::particlesWindow() {
    return static_cast<TFormParticles&>(window(WindowId::Particles));
}

void Application::showWindow(WindowId id) {
    SecondaryWindow& w = window(id);
    state.shown[id] = true;
    w.show();
    w.raise();
}

void Application::closeWindow(WindowId id) {
    if (!state.shown[id]) return;
    window(id).hide();
    state.shown[id] = false;
}

void Application::closeWindows(std::initializer_list<WindowId> ids) {
    for (WindowId id : ids)
        closeWindow(id);
}

void Application::toggleWindow(WindowId id) {
    if (state.shown[id])
        closeWindow(id);
    else
        showWindow(id);
}

void Application::closeAllSecondaryWindows() {
    closeWindows({WindowId::Options, WindowId::Nodes, WindowId::Elements, WindowId::Mesh,
                  WindowId::EditBlocks, WindowId::Properties, WindowId::Contours, WindowId::Graph3D,
                  WindowId::Manual, WindowId::Wells, WindowId::Particles});
}

void Application::hideSecondaryWindows() {
    for (auto& w : windows_)
        if (w) w->hide();
    state.shown.clear();
}

void Application::allocateTablesForInstallation() {
    if (!problem.allocateTables(installation.limits)) {
        dialogs.message("Not enough memory for the capacities of the Installation Grid.\n\n"
                        "The default capacities are used instead.");
        installation.limits = Limits{};
        problem.allocateTables(installation.limits);
    }
    installation.limits = problem.limits;
    problem.userName = installation.userName;
}

void Application::repaintMainWindow() {
    main_->FormPaint();
    main_->update();
}

void Application::quit() {
    problem.releaseTables();
    if (state.busy) {
        std::fflush(nullptr);
        std::_Exit(EXIT_SUCCESS);
    }
    hideSecondaryWindows();
    if (endProgram) endProgram();
}

} // namespace velkor
