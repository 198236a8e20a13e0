#include "ui/soils_window.h"

namespace velkor {

TFormSoils::TFormSoils(Application& app) : SecondaryWindow(app, WindowId::Properties, "Block Properties") {}

} // namespace velkor
