#include "ui/view_controls.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QRubberBand>
#include <QToolButton>
#include <QWheelEvent>

#include <cmath>

#include "model/number_text.h"
#include "paint/font_table.h"
#include "paint/text_codec.h"

namespace velkor {

std::optional<NavigationButton> navigationButton(int qtButton) {
    switch (qtButton) {
    case Qt::LeftButton:
        return NavigationButton::Left;
    case Qt::MiddleButton:
        return NavigationButton::Middle;
    case Qt::RightButton:
        return NavigationButton::Right;
    default:
        return std::nullopt;
    }
}

NavigationKey navigationKey(const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Home:
        return NavigationKey::Home;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        return NavigationKey::Plus;
    case Qt::Key_Minus:
        return NavigationKey::Minus;
    case Qt::Key_Space:
        return event.isAutoRepeat() ? NavigationKey::Other : NavigationKey::Space;
    default:
        return NavigationKey::Other;
    }
}

double wheelNotches(const QWheelEvent& event) {
    const QPoint angle = event.angleDelta();
    return (angle.y() != 0 ? angle.y() : angle.x()) / 120.0;
}

QToolButton* makeFitButton(QWidget* panel, int left) {
    auto* button = new QToolButton(panel);
    button->setText(QStringLiteral("Fit"));
    button->setToolTip(QStringLiteral("Fit (Home): the whole plan"));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(left, 0, 30, 25);
    return button;
}

QCheckBox* makeMeshLinesCheck(QWidget* panel, int left) {
    auto* check = new QCheckBox(QStringLiteral("Mesh lines"), panel);
    check->setChecked(true);
    check->setFocusPolicy(Qt::NoFocus);
    check->adjustSize();
    check->move(left, (25 - check->height()) / 2);
    return check;
}

QLabel* makeCursorLabel(QWidget* panel) {
    auto* label = new QLabel(panel);
    label->setFont(qtFont(FontSmallBold));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setAutoFillBackground(true);
    label->hide();
    return label;
}

void showCursorText(QLabel* label, const std::string& text, int right) {
    const QString shown = fromWindows1252(text);
    if (label->text() != shown) {
        label->setText(shown);
        label->adjustSize();
    }
    label->move(right - label->width(), (25 - label->height()) / 2);
    label->setVisible(!text.empty());
}

void showZoomBox(QRubberBand* band, const ViewNavigation& navigation) {
    if (!navigation.boxShown()) {
        band->hide();
        return;
    }
    const QPoint a(static_cast<int>(std::lround(navigation.boxColumn1())),
                   static_cast<int>(std::lround(navigation.boxRow1())));
    const QPoint b(static_cast<int>(std::lround(navigation.boxColumn2())),
                   static_cast<int>(std::lround(navigation.boxRow2())));
    band->setGeometry(QRect(a, b).normalized());
    band->show();
}

std::string cursorPositionText(double x, double y) {
    return format("x = %.3f m   y = %.3f m", x, y);
}

} // namespace velkor
