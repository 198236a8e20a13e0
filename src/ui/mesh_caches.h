// What the windows derive from the mesh and keep until it changes: the element locator (the
// tracking runs and the cursor position of the contour window) and the element runs (zoomed
// pictures), one of each for the whole program. At a million elements building the locator costs
// more than a tracking run, so it is never built per drawing. A user holds its own reference: a
// change that arrives while a run lets the event loop work does not pull a locator from under it.
#pragma once

#include <QObject>

#include <memory>

#include "results/element_locator.h"
#include "results/plan_index.h"
#include "ui/document.h"

namespace velkor {

class MeshCaches : public QObject {
  public:
    static MeshCaches& of(Document& document);

    std::shared_ptr<const ElementLocator> locator(const Problem& problem);
    // A locator built elsewhere (by a drawing on its worker thread) for the present mesh.
    void keep(const Problem& problem, std::shared_ptr<const ElementLocator> locator);
    bool hasLocator(const Problem& problem) const {
        return locator_ && locator_->elementCount() == problem.usedElementCount();
    }
    std::shared_ptr<const ElementRuns> runs(const Problem& problem);

    // Locators built so far by all documents (tests and benchmarks look here).
    static int locatorsBuilt();

  private:
    explicit MeshCaches(Document& document);

    std::shared_ptr<const ElementLocator> locator_;
    std::shared_ptr<const ElementRuns> runs_;
};

} // namespace velkor
