#include "ui/nodes_window.h"

namespace velkor {

TFormNod::TFormNod(Application& app) : SecondaryWindow(app, WindowId::Nodes, "Nodes") {}

} // namespace velkor
