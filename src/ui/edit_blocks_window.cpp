#include "ui/edit_blocks_window.h"

#include "mesh/refinement.h"
#include "ui/application.h"

namespace velkor {

TFormEdit::TFormEdit(Application& app) : SecondaryWindow(app, WindowId::EditBlocks, "Edit Blocks") {
    const QSize screen = screenSize();
    setGeometry(20, 75, screen.width() - 40, screen.height() - 80);
}

void TFormEdit::FormClose() {
    resetMesh(app_.problem);
    app_.problem.resultsStale = true;
    SecondaryWindow::FormClose();
    // The main window shows the new counts (and clears the results that are stale now).
    app_.document.notify(Change::Counts | Change::Mesh | Change::Wells);
}

} // namespace velkor
