#include "ui/wells_window.h"

namespace velkor {

TFormWells::TFormWells(Application& app) : SecondaryWindow(app, WindowId::Wells, "Wells") {}

} // namespace velkor
