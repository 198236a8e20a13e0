#include "ui/mesh_caches.h"

namespace velkor {

namespace {

int builtLocators = 0;

} // namespace

MeshCaches::MeshCaches(Document& document) : QObject(&document) {
    connect(&document, &Document::changed, this, [this](Change what) {
        // The runs know the heads too (the contours of a zoomed picture look only where a level
        // crosses).
        if (touches(what, Change::Mesh | Change::Counts | Change::NodeValues | Change::Results))
            runs_.reset();
        if (touches(what, Change::Mesh | Change::Counts)) locator_.reset();
    });
}

MeshCaches& MeshCaches::of(Document& document) {
    auto* cache = document.findChild<MeshCaches*>(QString(), Qt::FindDirectChildrenOnly);
    return cache ? *cache : *new MeshCaches(document);
}

std::shared_ptr<const ElementLocator> MeshCaches::locator(const Problem& problem) {
    if (!locator_ || locator_->elementCount() != problem.usedElementCount()) {
        locator_ = std::make_shared<const ElementLocator>(problem);
        ++builtLocators;
    }
    return locator_;
}

void MeshCaches::keep(const Problem& problem, std::shared_ptr<const ElementLocator> locator) {
    if (!locator || locator->elementCount() != problem.usedElementCount()) return;
    locator_ = std::move(locator);
    ++builtLocators;
}

std::shared_ptr<const ElementRuns> MeshCaches::runs(const Problem& problem) {
    if (!runs_ || runs_->elementCount() != problem.usedElementCount())
        runs_ = std::make_shared<const ElementRuns>(problem);
    return runs_;
}

int MeshCaches::locatorsBuilt() {
    return builtLocators;
}

} // namespace velkor
