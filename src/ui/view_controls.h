// The parts a zoomable plan window adds to its panel and the translation of its Qt events for the
// view navigation: the Fit button, the "Mesh lines" choice, the cursor position, the zoom box.
#pragma once

#include <optional>
#include <string>

#include "editors/view_navigation.h"

class QCheckBox;
class QKeyEvent;
class QLabel;
class QRubberBand;
class QToolButton;
class QWheelEvent;
class QWidget;

namespace velkor {

std::optional<NavigationButton> navigationButton(int qtButton);
NavigationKey navigationKey(const QKeyEvent& event);
// Notches of the wheel away from the user (120 units each; a fine wheel gives fractions).
double wheelNotches(const QWheelEvent& event);

// "Fit", 25 pixels high at `left` on the panel; it takes no focus.
QToolButton* makeFitButton(QWidget* panel, int left);
// "Mesh lines", checked, at `left` on the panel; it takes no focus.
QCheckBox* makeMeshLinesCheck(QWidget* panel, int left);
// The cursor's world position, right-aligned against `right` on the panel.
QLabel* makeCursorLabel(QWidget* panel);
void showCursorText(QLabel* label, const std::string& text, int right);

// The zoom box over the window as the navigation draws it (hidden when there is none).
void showZoomBox(QRubberBand* band, const ViewNavigation& navigation);

// The text of the cursor position: "x = 123.456 m   y = 7.890 m".
std::string cursorPositionText(double x, double y);

} // namespace velkor
