#include "ui/window_parts.h"

#include <QToolButton>

#include "paint/qt_canvas.h"
#include "ui/tool_glyphs.h"

namespace velkor {

void fillBackground(QWidget* widget, Colour colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, toQColor(colour));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QToolButton* makeHelpButton(QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setIcon(toolGlyph(ToolGlyph::Help));
    button->setIconSize(QSize(21, 21));
    button->setToolTip(QStringLiteral("Help"));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->resize(25, 25);
    return button;
}

} // namespace velkor
