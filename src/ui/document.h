// The document: the one problem, the installation data, the option settings and the state the
// windows share. Whatever changes it is announced once, with what changed, and every window
// refreshes itself from that or at its own activation; no window writes another window's widgets.
#pragma once

#include <QObject>

#include "forms/window_state.h"
#include "io/installation_file.h"
#include "model/changes.h"
#include "model/problem.h"
#include "results/plot_options.h"

namespace velkor {

class Document : public QObject {
    Q_OBJECT
  public:
    Problem problem;
    InstallationData installation;
    OptionSettings options;
    UiState state;

    // Tells every window what changed.
    void notify(Change what) {
        if (what != Change::None) emit changed(what);
    }

    // A command is about to read the problem: every window stores what is typed into it, as
    // leaving the cell would. Commands that hide a window store it on hiding as well; this
    // reaches the windows a command leaves open (Print).
    void storeTypedValues() { emit storeTypedValuesRequested(); }

  signals:
    void changed(velkor::Change what);
    void storeTypedValuesRequested();
};

} // namespace velkor
