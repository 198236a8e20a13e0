// The Export command of the File menu: the export dialog (CSV tables or a GeoPackage with its
// reference), the file dialog, then the files, with a panel shown while they are written.
#pragma once

#include <functional>

#include "gis/results_export.h"

class QWidget;

namespace velkor {

class Application;

// choice: the settings of the last export, proposed by the dialog and kept for the next one. An
// EPSG code that GDAL does not know is refused with its message before anything is written, and
// the dialog comes back. The files are written by a long run beside the windows, the panel shown
// meanwhile; Cancel and Escape stop a tracking run (the file it feeds stays as it was).
// afterProgress runs after every progress report of the run shown (tests look at the windows
// there).
void exportCommand(Application& app, QWidget& waitPanel, ExportChoice& choice,
                   const std::function<void()>& afterProgress);

} // namespace velkor
