// The steps that can be taken back and done again, kept within a memory budget.
//
// Each step holds the state on its other side (a ProblemSnapshot of its footprint): Undo exchanges
// the problem's state for it, and Redo exchanges it back. When the steps together hold more memory
// than the budget, the oldest go first; the newest step is always kept, however large.
//
// The history also knows which of its positions matches the datafile the problem was last read
// from or written to ("clean"), so the program can tell whether there are unsaved changes.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "model/changes.h"
#include "operations/problem_snapshot.h"

namespace velkor {

// The datafile a problem belongs to: its name as the problem shows it and the full path that Save
// proposes. A step that replaces the problem (Open, New) takes the problem to another file.
struct FileIdentity {
    std::string fileName;
    std::string path;
};

struct UndoStep {
    std::string name;                      // what the user did, for the Edit menu: "Split 4", "Fill Column F"
    Change changed = Change::None;         // the parts of the problem that Undo and Redo change
    ProblemSnapshot other;                 // the problem on the other side of the step
    std::optional<FileIdentity> otherFile; // set for steps that replaced the problem
};

class UndoHistory {
  public:
    explicit UndoHistory(uint64_t budgetBytes) : budget_(budgetBytes) {}

    // A step just done; steps that could be done again are gone. Returns the names of the oldest
    // steps dropped to stay within the budget (they can no longer be undone).
    std::vector<std::string> push(UndoStep step);

    bool canUndo() const { return position_ > 0; }
    bool canRedo() const { return position_ < steps_.size(); }
    // Names of the step Undo and Redo would take; empty when there is none.
    std::string undoName() const;
    std::string redoName() const;

    // Takes back the newest step done: the problem, and the file it belongs to, as they were before
    // it. Returns what changed, or nothing (and changes nothing) when there is no step or the
    // memory for the exchange cannot be had.
    std::optional<Change> undo(Problem& problem, FileIdentity& file);
    std::optional<Change> redo(Problem& problem, FileIdentity& file);

    // The problem as it is now matches its datafile (it was just read, or written).
    void markClean() { clean_ = position_; }
    // No position matches the datafile any more (a change that no step records).
    void markNeverClean() { clean_.reset(); }
    bool isClean() const { return clean_ == position_; }

    // Drops every step; the present state becomes the only position.
    void clear();
    // After the tables changed their capacities: steps whose state would not fit the tables are
    // dropped, and with them every step that can only be reached through them. Returns their names.
    std::vector<std::string> dropStepsThatDoNotFit(const Problem& problem);

    uint64_t bytes() const { return bytes_; }
    uint64_t budget() const { return budget_; }
    std::size_t size() const { return steps_.size(); }
    std::size_t position() const { return position_; }

  private:
    std::optional<Change> exchange(UndoStep& step, Problem& problem, FileIdentity& file);
    void dropOldest(std::size_t count, std::vector<std::string>& names);
    void dropNewest(std::size_t from, std::vector<std::string>& names);

    std::deque<UndoStep> steps_;
    std::size_t position_ = 0; // steps_[0, position_) are done, the rest can be done again
    std::optional<std::size_t> clean_ = 0;
    uint64_t bytes_ = 0;
    uint64_t budget_ = 0;
};

// A quarter of the memory the system can give this process: the budget of the program's history.
uint64_t defaultUndoBudget();

} // namespace velkor
