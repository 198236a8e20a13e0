#include "ui/document.h"

#include <new>
#include <utility>

#include "model/number_text.h"

namespace velkor {

Document::Document(uint64_t historyBudget) : history_(historyBudget) {}

FileIdentity Document::fileIdentity() const {
    return {problem_.fileName, state.paths.saveProposal};
}

void Document::setFileIdentity(const FileIdentity& file) {
    problem_.fileName = file.fileName;
    state.paths.saveProposal = file.path;
}

void Document::hold(const std::string& what) {
    holder_ = what.empty() ? std::string("work") : what;
    emit holdChanged();
    emit historyChanged();
}

void Document::release() {
    if (holder_.empty()) return;
    holder_.clear();
    emit holdChanged();
    emit historyChanged();
}

std::string Document::waitingText() const {
    return "Waits until the " + holder_ + " has ended (Cancel or Escape stops it)";
}

Applied Document::refusedWhileHeld() const {
    return Applied::nothing(Result::failed(Outcome::Busy, waitingText() + "."));
}

Applied Document::apply(const std::string& name, const Footprint& footprint,
                        const std::function<Applied(Problem&)>& operation) {
    if (held()) return refusedWhileHeld();
    std::optional<ProblemSnapshot> before;
    try {
        before = ProblemSnapshot::take(problem_, footprint);
    } catch (const std::bad_alloc&) {
        before.reset();
    }
    return applyWithCopy(name, std::move(before), operation);
}

Applied Document::applyWithCopy(const std::string& name, std::optional<ProblemSnapshot> before,
                                const std::function<Applied(Problem&)>& operation) {
    if (held()) return refusedWhileHeld();
    stopReaders();
    const bool outOfDate = problem_.resultsOutOfDate;
    Applied applied = operation(problem_);
    if (problem_.resultsOutOfDate != outOfDate) applied.changed |= Change::Results;
    return finish(name, before, std::nullopt, std::move(applied));
}

Applied Document::replaceProblem(const std::string& name, const std::string& path,
                                 const std::function<Applied(Problem&)>& operation) {
    if (held()) return refusedWhileHeld();
    stopReaders();
    const FileIdentity file = fileIdentity();
    std::optional<ProblemSnapshot> before;
    try {
        before = ProblemSnapshot::take(problem_, Footprint::whole());
    } catch (const std::bad_alloc&) {
        before.reset();
    }
    Applied applied = operation(problem_);
    if (!applied.changedAnything()) return finish(name, before, file, std::move(applied));
    state.paths.saveProposal = path;
    applied.changed |= Change::Problem;
    applied = finish(name, before, file, std::move(applied));
    history_.markClean();
    emit historyChanged();
    return applied;
}

Applied Document::finish(const std::string& name, std::optional<ProblemSnapshot>& before,
                         std::optional<FileIdentity> file, Applied applied) {
    if (!applied.changedAnything()) {
        // A refused operation leaves the problem as it found it, whatever it touched on the way.
        if (!applied.ok() && before) before->restore(problem_);
        return applied;
    }
    if (before) {
        record(UndoStep{name, applied.changed, std::move(*before), std::move(file)});
    } else {
        // Without the copy there is no way back past this step, nor to the file.
        history_.clear();
        history_.markNeverClean();
        emit statusMessage("Not enough memory to keep \"" + name +
                           "\" for Undo: no step before it can be undone any more.");
    }
    announce(applied.changed);
    return applied;
}

void Document::record(UndoStep step) {
    const std::vector<std::string> dropped = history_.push(std::move(step));
    if (dropped.empty()) return;
    const std::string which =
        dropped.size() == 1
            ? "\"" + dropped.front() + "\""
            : format("%d steps up to \"", static_cast<int>(dropped.size())) + dropped.back() + "\"";
    emit statusMessage(which + " can no longer be undone: the history is kept within " +
                       format("%.0f MB.", static_cast<double>(history_.budget()) / 1e6));
}

void Document::announce(Change what) {
    if (what != Change::None) emit changed(what);
    emit historyChanged();
}

void Document::beginStep(const std::string& name, const Footprint& footprint) {
    if (held()) return;
    stopReaders();
    if (openStep_) endStep();
    OpenStep step;
    step.name = name;
    try {
        step.before = ProblemSnapshot::take(problem_, footprint);
    } catch (const std::bad_alloc&) {
        step.before.reset();
    }
    openStep_ = std::move(step);
    emit historyChanged();
}

void Document::continueStep(const Applied& applied) {
    if (!applied.changedAnything()) return;
    if (openStep_) openStep_->changed |= applied.changed;
    emit changed(applied.changed);
}

void Document::endStep() {
    if (!openStep_) return;
    OpenStep step = std::move(*openStep_);
    openStep_.reset();
    if (step.changed == Change::None) {
        emit historyChanged();
        return;
    }
    finish(step.name, step.before, std::nullopt, Applied{{}, step.changed});
}

void Document::undo() {
    if (canUndo() && !held()) takeStep(true);
}

void Document::redo() {
    if (canRedo() && !held()) takeStep(false);
}

void Document::takeStep(bool back) {
    stopReaders();
    FileIdentity file = fileIdentity();
    const std::string name = back ? history_.undoName() : history_.redoName();
    const std::optional<Change> changed =
        back ? history_.undo(problem_, file) : history_.redo(problem_, file);
    if (!changed) {
        emit statusMessage(
            std::string(back ? "Not enough memory to undo \"" : "Not enough memory to redo \"") + name +
            "\".");
        return;
    }
    setFileIdentity(file);
    announce(*changed);
}

void Document::saved(const std::string& path) {
    state.paths.saveProposal = path;
    history_.markClean();
    emit changed(Change::FileName);
    emit historyChanged();
}

void Document::changedWithoutStep(Change what) {
    history_.markNeverClean();
    announce(what);
}

void Document::limitsChanged() {
    const std::vector<std::string> dropped = history_.dropStepsThatDoNotFit(problem_);
    if (!dropped.empty())
        emit statusMessage(
            format("%d steps", static_cast<int>(dropped.size())) +
            " can no longer be undone: the problem they held does not fit the new capacities.");
    emit historyChanged();
}

void Document::forgetHistory() {
    history_.clear();
    emit historyChanged();
}

} // namespace velkor
