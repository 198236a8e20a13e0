#include "ui/elements_window.h"

namespace velkor {

TFormElm::TFormElm(Application& app) : SecondaryWindow(app, WindowId::Elements, "Elements") {}

} // namespace velkor
