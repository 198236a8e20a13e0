// The glyphs of the main window's tool buttons, drawn by the program itself.
#pragma once

#include <QIcon>

namespace velkor {

enum class ToolGlyph {
    Open,
    New,
    Edit,
    Save,
    Print,
    Options,
    Soils,
    Node,
    Element,
    Mesh,
    Wells,
    Particles,
    Calc,
    Contours,
    Graph3D,
    Manual,
    Help,
    Budget
};

// A 21 x 21 icon; the disabled look is derived from it by the style.
QIcon toolGlyph(ToolGlyph glyph);

} // namespace velkor
