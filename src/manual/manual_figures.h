// The seven figures of the manual, drawn with lines, rectangles and filled triangles on a Canvas,
// the same drawing on screen and on paper.
#pragma once

#include "results/canvas.h"

namespace velkor::manual {

// Draws figure 1..7 in the box from (left, top), width by height: a white box with a black
// frame and the drawing inside it, kept in proportion and centred. Lines grow with the box
// (one unit on screen, a few device units on paper); the few labels are in labelFont.
// The caption is not part of the figure.
void drawManualFigure(Canvas& canvas, int figure, int left, int top, int width, int height,
                      const Font& labelFont);

} // namespace velkor::manual
