#include "ui/editor_window.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QRubberBand>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "paint/font_table.h"
#include "paint/text_codec.h"
#include "ui/application.h"
#include "ui/tool_glyphs.h"
#include "ui/view_controls.h"

namespace velkor {

namespace {

constexpr int kGlyphSize = 21;
const QColor kInk(0, 0, 0);
const QColor kBlockBlue(120, 200, 255);
const QColor kBlockOrange(255, 190, 120);
const QColor kWellRed(255, 0, 0);
const QColor kYellowColour(0xFF, 0xFF, 0x00);

void setBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void drawNode(QPainter& p, QPointF centre) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kInk);
    p.drawEllipse(centre, 1.8, 1.8);
}

void drawBlock(QPainter& p, QPointF a, QPointF b, QPointF c, const QColor& fill) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(fill);
    p.drawPolygon(QPolygonF() << a << b << c);
}

void drawArrow(QPainter& p, QPointF from, QPointF to) {
    p.setPen(QPen(kInk, 1.2));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::max(1.0, std::hypot((to - from).x(), (to - from).y()));
    const QPointF n(-d.y(), d.x());
    p.setBrush(kInk);
    p.drawPolygon(QPolygonF() << to << to - 3 * d + 2 * n << to - 3 * d - 2 * n);
}

void paintGlyph(QPainter& p, EditorGlyph glyph) {
    const QPointF a(2.5, 18.5), b(15.5, 18.5), c(2.5, 5.5);
    switch (glyph) {
    case EditorGlyph::DragNode:
        drawBlock(p, a, b, c, kBlockBlue);
        drawArrow(p, QPointF(9, 12), QPointF(18, 3));
        drawNode(p, QPointF(9, 12));
        break;
    case EditorGlyph::NewNode:
        drawBlock(p, a, b, c, kBlockBlue);
        p.setPen(QPen(kInk, 1, Qt::DotLine));
        p.drawLine(QPointF(b), QPointF(17, 5));
        p.drawLine(QPointF(c), QPointF(17, 5));
        p.setPen(QPen(QColor(200, 0, 0), 1.4));
        p.setBrush(QColor(255, 230, 230));
        p.drawEllipse(QPointF(17, 5), 3, 3);
        drawNode(p, QPointF(17, 5));
        break;
    case EditorGlyph::NewLine:
        drawBlock(p, a, b, c, kBlockBlue);
        drawBlock(p, b, c, QPointF(18.5, 3.5), kBlockOrange);
        p.setPen(QPen(QColor(200, 0, 0), 2));
        p.drawLine(QPointF(b), QPointF(c));
        drawNode(p, b);
        drawNode(p, c);
        break;
    case EditorGlyph::AddWell:
        drawBlock(p, a, b, c, kBlockBlue);
        p.setPen(QPen(kInk, 1));
        p.drawLine(QPointF(6.8, 14.2), QPointF(a));
        p.drawLine(QPointF(6.8, 14.2), QPointF(b));
        p.drawLine(QPointF(6.8, 14.2), QPointF(c));
        p.setPen(QPen(kWellRed, 1.6));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(6.8, 14.2), 3.2, 3.2);
        break;
    case EditorGlyph::Split2:
        drawBlock(p, QPointF(1.5, 18.5), QPointF(19.5, 18.5), QPointF(10.5, 2.5), kBlockBlue);
        p.setPen(QPen(kInk, 1));
        p.drawLine(QPointF(10.5, 2.5), QPointF(10.5, 18.5));
        break;
    case EditorGlyph::Split4: {
        const QPointF l(1.5, 18.5), r(19.5, 18.5), t(10.5, 2.5);
        drawBlock(p, l, r, t, kBlockBlue);
        drawBlock(p, (l + r) / 2, (r + t) / 2, (t + l) / 2, kBlockOrange);
        break;
    }
    case EditorGlyph::SetNodes: {
        // A side of a block with its nodes caught in a dashed rectangle and marked.
        drawBlock(p, QPointF(2.5, 18.5), QPointF(18.5, 18.5), QPointF(2.5, 4.5), kBlockBlue);
        p.setPen(QPen(kInk, 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(0.5, 2.5, 5, 18));
        p.setPen(QPen(kInk, 1));
        p.setBrush(kYellowColour);
        for (const double y : {5.5, 11.5, 17.5})
            p.drawRect(QRectF(1, y - 1.5, 3, 3));
        break;
    }
    }
}

QIcon editorGlyph(EditorGlyph glyph) {
    QPixmap pixmap(kGlyphSize, kGlyphSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    paintGlyph(painter, glyph);
    painter.end();
    return QIcon(pixmap);
}

QWidget* makeEditorToolPanel(QWidget* window, const QColor& colour) {
    auto* panel = new QFrame(window);
    // Raised, so that a silver panel stands apart from the silver window below it.
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    setBackground(panel, colour);
    panel->setAttribute(Qt::WA_NoMousePropagation);
    panel->setGeometry(0, 0, window->width(), kEditorPanelHeight);
    return panel;
}

QToolButton* makeToolButton(QWidget* panel, int left, const QIcon& glyph, const char* hint, bool checkable) {
    auto* button = new QToolButton(panel);
    button->setIcon(glyph);
    button->setIconSize(QSize(kGlyphSize, kGlyphSize));
    button->setToolTip(fromWindows1252(hint));
    button->setAutoRaise(true);
    button->setCheckable(checkable);
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(left, 0, kEditorPanelHeight, kEditorPanelHeight);
    return button;
}

QLabel* makeOperationLabel(QWidget* panel) {
    auto* label = new QLabel(panel);
    label->setFont(qtFont(Font{"MS Sans Serif", 13, true, false, true}));
    // Opaque on the panel's colour: a label repainted while a split runs repaints nothing else.
    label->setAutoFillBackground(true);
    label->hide();
    return label;
}

void showOperationLabel(QLabel* label, const EditorDisplay& display) {
    const QString text = fromWindows1252(display.label);
    if (label->text() != text) {
        label->setText(text);
        label->adjustSize();
        label->move(label->x(), (kEditorPanelHeight - label->height()) / 2);
    }
    label->setVisible(display.labelShown);
}

} // namespace

CoordinatePanel::CoordinatePanel(QWidget* parent) : QFrame(parent) {
    setBackground(this, kYellowColour);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setAttribute(Qt::WA_NoMousePropagation);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 1, 6, 1);
    layout->setSpacing(4);
    auto addBox = [this, layout](const char* caption) {
        layout->addWidget(new QLabel(fromWindows1252(caption), this));
        auto* box = new QLineEdit(QStringLiteral("0.0"), this);
        box->setFixedWidth(90);
        box->installEventFilter(this);
        layout->addWidget(box);
        return box;
    };
    EditX = addBox("x = ");
    layout->addSpacing(8);
    EditY = addBox("y = ");
    resize(sizeHint().width(), kEditorPanelHeight);
    hide();
}

void CoordinatePanel::showDisplay(const EditorDisplay& display) {
    auto showText = [](QLineEdit* box, const std::string& text) {
        if (box->hasFocus() && box->isModified()) return;
        const QString shown = fromWindows1252(text);
        if (box->text() != shown) box->setText(shown);
    };
    showText(EditX, display.editX);
    showText(EditY, display.editY);
    setVisible(display.panelShown);
}

void CoordinatePanel::commitTypedText() {
    for (QLineEdit* box : {EditX, EditY})
        if (box->hasFocus() && box->isModified() && isVisible()) exitBox(box);
}

void CoordinatePanel::exitBox(QLineEdit* box) {
    // An exit may hide the panel, which takes the focus from the other box: that is no exit.
    if (exiting_ || !onExit) return;
    exiting_ = true;
    box->setModified(false);
    onExit(box == EditX ? CoordinateBox::X : CoordinateBox::Y);
    exiting_ = false;
}

bool CoordinatePanel::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (!box) return QFrame::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Enter places the node at the typed point where the mode takes it; otherwise it leaves
            // the box for the other one, as Tab does.
            if (onEnter && onEnter()) return true;
            (box == EditX ? EditY : EditX)->setFocus(Qt::TabFocusReason);
            return true;
        }
    } else if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Another window becoming active, or the box's own context menu, does not leave the box;
        // neither does a box that goes with its hidden panel.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && isVisible())
            exitBox(box);
    }
    return QFrame::eventFilter(watched, event);
}

// ---- the editor window -----------------------------------------------------------------------

EditorWindow::EditorWindow(Application& app, WindowId id, const char* caption, const QColor& panelColour,
                           std::string helpText)
    : SecondaryWindow(app, id, caption), state_(app.state.editor), helpText_(std::move(helpText)) {
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setMouseTracking(true);
    // Below this the picture would have no room at all.
    setMinimumSize(200, 150);
    toolPanel_ = makeEditorToolPanel(this, panelColour);
    SpeedButtonHelp = makeToolButton(toolPanel_, 0, toolGlyph(ToolGlyph::Help), "Help", false);
    connect(SpeedButtonHelp, &QToolButton::clicked, this, &EditorWindow::SpeedButtonHelpClick);
    LabelOperation = makeOperationLabel(toolPanel_);
    PanelXY = new CoordinatePanel(toolPanel_);
    EditX = PanelXY->EditX;
    EditY = PanelXY->EditY;
    PanelXY->onExit = [this](CoordinateBox box) { box == CoordinateBox::X ? EditXExit() : EditYExit(); };
    PanelXY->onEnter = [this] { return EditXYEnter(); };
    SpeedButtonFit = makeFitButton(toolPanel_, 80);
    connect(SpeedButtonFit, &QToolButton::clicked, this, &EditorWindow::SpeedButtonFitClick);
    LabelCursor = makeCursorLabel(toolPanel_);
    zoomBox_ = new QRubberBand(QRubberBand::Rectangle, this);
}

ViewMapping EditorWindow::fullViewMapping() const {
    return ViewMapping::compute(width(), height(), app_.problem.LX, app_.problem.LY);
}

ViewMapping EditorWindow::viewMapping() const {
    return fullViewMapping().through(zoom_);
}

void EditorWindow::SpeedButtonFitClick() {
    if (zoom_.fit()) viewChanged();
}

void EditorWindow::resetView() {
    zoom_.fit();
    navigation_.cancel();
    zoomBox_->hide();
}

void EditorWindow::viewChanged() {
    update();
}

void EditorWindow::applyNavigation(const NavigationResponse& response) {
    if (response.boxChanged) showZoomBox(zoomBox_, navigation_);
    if (response.viewChanged) viewChanged();
}

bool EditorWindow::navigationPress(QMouseEvent* event) {
    const std::optional<NavigationButton> button = navigationButton(event->button());
    if (!button) return false;
    const QPointF at = event->position();
    viewMapping(); // the zoom's full view is that of the present size
    const NavigationResponse response =
        navigation_.press(*button, event->modifiers() & Qt::ShiftModifier, at.x(), at.y());
    applyNavigation(response);
    return response.taken;
}

bool EditorWindow::navigationMove(QMouseEvent* event) {
    showCursorPosition(event->position().toPoint());
    const NavigationResponse response = navigation_.move(event->position().x(), event->position().y());
    applyNavigation(response);
    return response.taken;
}

bool EditorWindow::navigationRelease(QMouseEvent* event) {
    const std::optional<NavigationButton> button = navigationButton(event->button());
    if (!button) return false;
    const NavigationResponse response =
        navigation_.release(*button, event->position().x(), event->position().y());
    applyNavigation(response);
    return response.taken;
}

void EditorWindow::wheelEvent(QWheelEvent* event) {
    viewMapping();
    applyNavigation(navigation_.wheel(event->position().x(), event->position().y(), wheelNotches(*event)));
    showCursorPosition(event->position().toPoint());
    event->accept();
}

void EditorWindow::keyPressEvent(QKeyEvent* event) {
    const ViewMapping view = viewMapping();
    const NavigationResponse response =
        navigation_.keyPress(navigationKey(*event), view.ox + view.width * 0.5, view.oy - view.height * 0.5);
    applyNavigation(response);
    if (!response.taken) SecondaryWindow::keyPressEvent(event);
}

void EditorWindow::keyReleaseEvent(QKeyEvent* event) {
    if (!navigation_.keyRelease(navigationKey(*event)).taken) SecondaryWindow::keyReleaseEvent(event);
}

void EditorWindow::leaveEvent(QEvent* event) {
    LabelCursor->hide();
    SecondaryWindow::leaveEvent(event);
}

void EditorWindow::showCursorPosition(QPoint point) {
    const ViewMapping view = viewMapping();
    showCursorText(LabelCursor, cursorPositionText(view.worldX(point.x()), view.worldY(point.y())),
                   SpeedButtonHelp->x() - 6);
}

QToolButton* EditorWindow::addToolButton(int left, EditorGlyph glyph, const char* hint, bool checkable) {
    return makeToolButton(toolPanel_, left, editorGlyph(glyph), hint, checkable);
}

void EditorWindow::placeModeDisplay() {
    display_.panelShown = false;
    display_.labelShown = false;
    PanelXY->move(static_cast<int>(0.55 * width()), 0);
    LabelOperation->move(static_cast<int>(0.45 * width()), LabelOperation->y());
    showDisplay();
}

void EditorWindow::resizeEvent(QResizeEvent* event) {
    SecondaryWindow::resizeEvent(event);
    toolPanel_->resize(width(), kEditorPanelHeight);
    SpeedButtonHelp->move(width() - SpeedButtonHelp->width() - 1, 0);
}

void EditorWindow::EditXExit() {
    const std::string text = toWindows1252(EditX->text());
    apply(step("Move Node", [&] { return boxTool().exit(CoordinateBox::X, text); }));
}

void EditorWindow::EditYExit() {
    const std::string text = toWindows1252(EditY->text());
    apply(step("Move Node", [&] { return boxTool().exit(CoordinateBox::Y, text); }));
}

bool EditorWindow::EditXYEnter() {
    EditorTool& tool = boxTool();
    if (!tool.takesEnter()) return false;
    const std::string x = toWindows1252(EditX->text()), y = toWindows1252(EditY->text());
    // Both texts are taken now: the boxes show what was stored, and leaving them later is no edit.
    EditX->setModified(false);
    EditY->setModified(false);
    apply(step(tool.enterStepName(), [&] { return tool.enter(x, y); }));
    return true;
}

ToolResponse EditorWindow::step(const std::string& name, const std::function<ToolResponse()>& event) {
    ToolResponse response;
    const Applied applied = app_.document.apply(name, Footprint::whole(), [&](Problem&) {
        response = event();
        return Applied{{}, response.changed};
    });
    // A long run holds the problem: the status line says what the event waits for.
    if (applied.result.outcome == Outcome::Busy) app_.document.tell(applied.result.message);
    response.changed = Change::None; // the document has told every window
    return response;
}

void EditorWindow::SpeedButtonHelpClick() {
    app_.dialogs.help(helpText_);
}

void EditorWindow::showDisplay() {
    showModeButtons();
    PanelXY->showDisplay(display_);
    showOperationLabel(LabelOperation, display_);
}

void EditorWindow::apply(const ToolResponse& response) {
    showDisplay();
    if (response.changed != Change::None) {
        // Changes come inside a step of the document (a drag); any other would be one no Undo
        // could take back, and the problem is marked as differing from its file.
        if (app_.document.stepOpen())
            app_.document.continueStep(Applied{{}, response.changed});
        else
            app_.document.changedWithoutStep(response.changed);
    }
    if (response.redraw) update();
    if (!response.message.empty()) app_.dialogs.message(response.message);
}

} // namespace velkor
