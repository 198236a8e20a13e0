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
// the dialog comes back. While the files are written the panel is shown; keys and clicks wait,
// except Escape, which stops a tracking run (the file it feeds stays as it was). afterProgress
// runs after every repaint of a tracking run (tests look at the windows there).
void exportCommand(Application& app, QWidget& waitPanel, ExportChoice& choice,
                   const std::function<void()>& afterProgress);

} // namespace velkor
