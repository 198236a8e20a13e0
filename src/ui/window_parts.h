// Small parts the secondary windows build from: coloured panels and the help button.
#pragma once

#include "results/canvas.h"

class QToolButton;
class QWidget;

namespace velkor {

// Fills the widget's background with the colour.
void fillBackground(QWidget* widget, Colour colour);

// The 25 x 25 help button with its glyph and the hint "Help"; it takes no focus.
QToolButton* makeHelpButton(QWidget* parent);

} // namespace velkor
