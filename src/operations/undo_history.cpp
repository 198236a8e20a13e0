#include "operations/undo_history.h"

#include <new>
#include <utility>

#include "model/system_memory.h"

namespace velkor {

std::vector<std::string> UndoHistory::push(UndoStep step) {
    std::vector<std::string> dropped;
    dropNewest(position_, dropped);
    dropped.clear(); // steps that could have been done again are not lost work
    bytes_ += step.other.bytes();
    steps_.push_back(std::move(step));
    position_ = steps_.size();
    std::size_t oldest = 0;
    uint64_t held = bytes_;
    while (held > budget_ && oldest + 1 < steps_.size()) {
        held -= steps_[oldest].other.bytes();
        ++oldest;
    }
    dropOldest(oldest, dropped);
    return dropped;
}

std::string UndoHistory::undoName() const {
    return canUndo() ? steps_[position_ - 1].name : std::string();
}

std::string UndoHistory::redoName() const {
    return canRedo() ? steps_[position_].name : std::string();
}

std::optional<Change> UndoHistory::exchange(UndoStep& step, Problem& problem, FileIdentity& file) {
    // A state that does not fit the tables as they are now is never put back.
    if (!step.other.fits(problem)) return std::nullopt;
    const uint64_t before = step.other.bytes();
    try {
        step.other = step.other.exchange(problem);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    bytes_ = bytes_ - before + step.other.bytes();
    if (step.otherFile) std::swap(*step.otherFile, file);
    return step.changed;
}

std::optional<Change> UndoHistory::undo(Problem& problem, FileIdentity& file) {
    if (!canUndo()) return std::nullopt;
    const std::optional<Change> changed = exchange(steps_[position_ - 1], problem, file);
    if (changed) --position_;
    return changed;
}

std::optional<Change> UndoHistory::redo(Problem& problem, FileIdentity& file) {
    if (!canRedo()) return std::nullopt;
    const std::optional<Change> changed = exchange(steps_[position_], problem, file);
    if (changed) ++position_;
    return changed;
}

void UndoHistory::clear() {
    steps_.clear();
    bytes_ = 0;
    clean_ = isClean() ? std::optional<std::size_t>(0) : std::nullopt;
    position_ = 0;
}

std::vector<std::string> UndoHistory::dropStepsThatDoNotFit(const Problem& problem) {
    std::vector<std::string> dropped;
    // Redo steps: the first that does not fit ends the way forward.
    for (std::size_t s = position_; s < steps_.size(); ++s) {
        if (!steps_[s].other.fits(problem)) {
            dropNewest(s, dropped);
            break;
        }
    }
    // Undo steps: the newest that does not fit ends the way back.
    for (std::size_t s = position_; s-- > 0;) {
        if (!steps_[s].other.fits(problem)) {
            dropOldest(s + 1, dropped);
            break;
        }
    }
    return dropped;
}

void UndoHistory::dropOldest(std::size_t count, std::vector<std::string>& names) {
    for (std::size_t s = 0; s < count; ++s) {
        names.push_back(steps_.front().name);
        bytes_ -= steps_.front().other.bytes();
        steps_.pop_front();
    }
    position_ -= count;
    if (clean_) clean_ = *clean_ >= count ? std::optional<std::size_t>(*clean_ - count) : std::nullopt;
}

void UndoHistory::dropNewest(std::size_t from, std::vector<std::string>& names) {
    while (steps_.size() > from) {
        names.push_back(steps_.back().name);
        bytes_ -= steps_.back().other.bytes();
        steps_.pop_back();
    }
    if (clean_ && *clean_ > from) clean_.reset();
}

uint64_t defaultUndoBudget() {
    return availableMemory() / 4;
}

} // namespace velkor
