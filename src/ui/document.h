// The document: the one problem, the installation data, the option settings and the state the
// windows share. The problem changes only through the document's commands, each of which runs a
// Qt-free operation (src/operations) as one step that Undo takes back and Redo does again; every
// change is announced once, with what changed, and every window refreshes itself from that.
//
// The document also knows whether the problem differs from its datafile (the title's mark and the
// unsaved-changes question) and keeps the program's history within a memory budget.
#pragma once

#include <QObject>

#include <functional>
#include <optional>
#include <string>

#include "forms/window_state.h"
#include "io/installation_file.h"
#include "model/changes.h"
#include "model/problem.h"
#include "operations/applied.h"
#include "operations/undo_history.h"
#include "results/plot_options.h"

namespace velkor {

class Document : public QObject {
    Q_OBJECT
  public:
    explicit Document(uint64_t historyBudget = defaultUndoBudget());

    InstallationData installation;
    OptionSettings options;
    UiState state;

    const Problem& problem() const { return problem_; }
    // The problem as the rule objects of the windows (table forms, editor tools) hold it. They
    // change it only inside a command of the document: an operation passed to apply() or an open
    // step. Work that reads the problem on another thread and yields to changes is stopped first.
    Problem& problemForRules() {
        stopReaders();
        return problem_;
    }

    // ---- work on other threads ----------------------------------------------------------------
    // A command's long run (a solve, a Split pass, printing) reads the problem on a worker thread:
    // until release(), the problem must not change. The windows hold every command that would
    // change it (holdChanged); the document's own commands refuse with Outcome::Busy meanwhile.
    // `what` names the run for the hints and messages ("the solve").
    void hold(const std::string& what);
    void release();
    bool held() const { return !holder_.empty(); }
    // "Waits until the solve has ended" and the like, for hints and refusals.
    std::string waitingText() const;

    // Runs an operation as one step named `name` ("Split 4"), keeping the footprint's part of the
    // problem to go back to. A step that changed nothing leaves no trace; a refused one (an outcome
    // other than Done that changed nothing) leaves the problem exactly as it was. Emits what
    // changed.
    Applied apply(const std::string& name, const Footprint& footprint,
                  const std::function<Applied(Problem&)>& operation);
    // The same with the copy to go back to taken beforehand: by the worker of a long run, which
    // read the problem while it was held, so that a million elements are not copied on the GUI
    // thread. The problem must not have changed since the copy was taken. Without a copy (no
    // memory for it) the step is kept with no way back, as apply() keeps it.
    Applied applyWithCopy(const std::string& name, std::optional<ProblemSnapshot> before,
                          const std::function<Applied(Problem&)>& operation);
    // The same for an operation that replaces the whole problem (Open, New): Undo brings back the
    // problem that was there with the file it belonged to. After it the problem matches its file.
    Applied replaceProblem(const std::string& name, const std::string& path,
                           const std::function<Applied(Problem&)>& operation);

    // A step made by several events (a node dragged from mouse down to mouse up): begun, changed
    // by operations that report to continueStep(), and ended. Undo and Redo wait for its end.
    void beginStep(const std::string& name, const Footprint& footprint);
    void continueStep(const Applied& applied);
    void endStep();
    bool stepOpen() const { return openStep_.has_value(); }

    bool canUndo() const { return !stepOpen() && !held() && history_.canUndo(); }
    bool canRedo() const { return !stepOpen() && !held() && history_.canRedo(); }
    std::string undoName() const { return history_.undoName(); }
    std::string redoName() const { return history_.redoName(); }
    void undo();
    void redo();
    const UndoHistory& history() const { return history_; }

    // The problem differs from the datafile it was read from or written to.
    bool modified() const { return !history_.isClean(); }
    // The problem was written to `path` (its file name is the base name).
    void saved(const std::string& path);
    // A change no step records (a tracking run lowering particles into the saturated zone): the
    // problem differs from its file, whatever Undo does.
    void changedWithoutStep(Change what);

    // New capacity limits are in force: steps whose problem would not fit them go.
    void limitsChanged();
    // Every step goes (a problem that cannot be brought back was given up).
    void forgetHistory();

    // A line for the status line.
    void tell(const std::string& text) { emit statusMessage(text); }

    // Tells every window what changed in what is not the problem (options, installation).
    void notify(Change what) {
        if (what != Change::None) emit changed(what);
    }

    // A command is about to read the problem: every window stores what is typed into it, as
    // leaving the cell would. Commands that hide a window store it on hiding as well; this
    // reaches the windows a command leaves open (Print).
    void storeTypedValues() { emit storeTypedValuesRequested(); }

  signals:
    // The problem is about to change: work on other threads that reads it and yields (the drawing
    // of a plot) stops here and is waited for. Emitted directly, on the GUI thread.
    void aboutToChange();
    // A long run began or ended holding the problem.
    void holdChanged();
    void changed(velkor::Change what);
    // Undo and Redo, their names, or the modified mark changed.
    void historyChanged();
    // A line for the status line (Windows-1252): why a value was not stored, a step that can no
    // longer be undone.
    void statusMessage(const std::string& text);
    void storeTypedValuesRequested();

  private:
    void stopReaders() { emit aboutToChange(); }
    // The refusal of a change while the problem is held.
    Applied refusedWhileHeld() const;
    FileIdentity fileIdentity() const;
    void setFileIdentity(const FileIdentity& file);
    void record(UndoStep step);
    // After an operation: the step kept (or the problem put back) and the change announced.
    Applied finish(const std::string& name, std::optional<ProblemSnapshot>& before,
                   std::optional<FileIdentity> file, Applied applied);
    void announce(Change what);
    // Undo (back) or Redo of the step at the history's position.
    void takeStep(bool back);

    Problem problem_;
    UndoHistory history_;
    struct OpenStep {
        std::string name;
        std::optional<ProblemSnapshot> before;
        Change changed = Change::None;
    };
    std::optional<OpenStep> openStep_;
    std::string holder_;
};

} // namespace velkor
