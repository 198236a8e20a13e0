// The one table of fonts: the faces the program names are drawn with installed faces of the same
// metrics. No other file names an installed face.
#pragma once

#include <QFont>

#include "results/canvas.h"

namespace velkor {

// The installed face for a face the program names: Courier New -> Liberation Mono; Arial and
// MS Sans Serif -> Liberation Sans; any other name is kept.
QString installedFace(const std::string& face);

// A Qt font for a font description (points, or pixels when the description says so).
QFont qtFont(const Font& font);

} // namespace velkor
