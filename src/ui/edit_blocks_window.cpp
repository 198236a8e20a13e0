#include "ui/edit_blocks_window.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

#include "editors/editor_drawing.h"
#include "operations/mesh_edits.h"
#include "paint/qt_canvas.h"
#include "ui/application.h"

namespace velkor {

namespace {

const QColor kSilverColour(0xC0, 0xC0, 0xC0);

const std::string kHelpText =
    std::string("Edit Blocks\n\n") + "In this window a mesh of triangular blocks can be generated. " +
    "The mesh can be modified by activating one of the editing keys :\n" +
    "- Drag Node : drag a node to a new position with the left mouse button down,\n" +
    "              dragging stops as soon as the left mouse button is released,\n" +
    "              the coordinates of the node may also be entered manually,\n" +
    "- New Node  : create a new node, outside all existing blocks, connecting the new\n" +
    "              node to the two nearest nodes,\n" +
    "- New Line  : create a new line, connecting two nodes, if a new block can be\n" +
    "              formed from these two nodes and a third existing node.";

// What the block editor's picture shows.
constexpr Change kPictureChanges = Change::Counts | Change::Mesh | Change::GeneralData | Change::Installation;

} // namespace

TFormEdit::TFormEdit(Application& app)
    : EditorWindow(app, WindowId::EditBlocks, "Edit Blocks", kSilverColour, kHelpText),
      idleTool_(app.document.problemForRules(), state_, display_),
      dragTool_(app.document.problemForRules(), state_, display_),
      newNodeTool_(app.document.problemForRules(), state_, display_),
      lineTool_(app.document.problemForRules(), state_, display_) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kSilverColour);
    setPalette(palette);
    setAutoFillBackground(true);

    PanelNew = toolPanel();
    SpeedButtonDrag = addToolButton(0, EditorGlyph::DragNode, "Drag Node", true);
    SpeedButtonNode = addToolButton(25, EditorGlyph::NewNode, "New Node", true);
    SpeedButtonLine = addToolButton(50, EditorGlyph::NewLine, "New Line", true);
    connect(SpeedButtonDrag, &QToolButton::clicked, this, &TFormEdit::SpeedButtonDragClick);
    connect(SpeedButtonNode, &QToolButton::clicked, this, &TFormEdit::SpeedButtonNodeClick);
    connect(SpeedButtonLine, &QToolButton::clicked, this, &TFormEdit::SpeedButtonLineClick);

    connect(&app_.document, &Document::changed, this, &TFormEdit::documentChanged);
    FormActivate();
}

// ---- window events ---------------------------------------------------------------------------

void TFormEdit::FormActivate() {
    const QSize screen = screenSize();
    placeFrame(QRect(20, 75, screen.width() - 40, screen.height() - 80));
    state_.lineMode = state_.dragMode = state_.newNodeMode = false;
    state_.lineStarted = state_.dragging = false;
    state_.pendingNode = -1;
    placeModeDisplay();
    resetView();
}

void TFormEdit::showEvent(QShowEvent* event) {
    SecondaryWindow::showEvent(event);
    if (event->spontaneous()) return; // the desktop showing it again after a minimise
    FormActivate();
}

void TFormEdit::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QtCanvas canvas(painter);
    const ViewMapping view = viewMapping();
    drawBlockEditor(canvas, app_.problem, view);
    // Over the picture, drawn anew at every paint: the band never leaves a trace.
    drawRubberBand(canvas, state_, view);
}

void TFormEdit::FormClose() {
    app_.document.endStep();
    SecondaryWindow::FormClose();
}

void TFormEdit::documentChanged(Change what) {
    if (!isVisible() || !touches(what, kPictureChanges)) return;
    // An Undo that brings a refined mesh back ends the work on the blocks: the editor would
    // otherwise throw the mesh away with its next change, unasked.
    if (!app_.document.stepOpen() && meshRebuildLoss(app_.problem).any()) {
        app_.closeWindow(WindowId::EditBlocks);
        return;
    }
    update();
}

// ---- tool buttons and boxes ------------------------------------------------------------------

void TFormEdit::SpeedButtonDragClick() {
    PanelXY->commitTypedText();
    dragTool_.button();
    showDisplay();
}

void TFormEdit::SpeedButtonNodeClick() {
    PanelXY->commitTypedText();
    newNodeTool_.button();
    showDisplay();
}

void TFormEdit::SpeedButtonLineClick() {
    PanelXY->commitTypedText();
    lineTool_.button();
    showDisplay();
}

// ---- mouse -----------------------------------------------------------------------------------

EditorTool& TFormEdit::activeTool() {
    if (dragTool_.active()) return dragTool_;
    if (newNodeTool_.active()) return newNodeTool_;
    if (lineTool_.active()) return lineTool_;
    return idleTool_;
}

void TFormEdit::problemHeld(bool held) {
    for (QToolButton* button : {SpeedButtonDrag, SpeedButtonNode, SpeedButtonLine})
        button->setEnabled(!held);
}

void TFormEdit::FormMouseDown(QPoint point) {
    if (app_.document.held()) return;
    PanelXY->commitTypedText();
    const ViewMapping view = viewMapping();
    const double x = view.clampedWorldX(point.x()), y = view.clampedWorldY(point.y());
    if (dragTool_.active()) {
        // A node dragged from mouse down to mouse up is one step.
        app_.document.beginStep("Drag Node", Footprint::whole());
        apply(dragTool_.press(x, y));
        if (!state_.dragging) app_.document.endStep();
    } else if (newNodeTool_.active()) {
        apply(step("New Node", [&] { return newNodeTool_.press(x, y); }));
    } else {
        apply(activeTool().press(x, y));
    }
}

void TFormEdit::FormMouseMove(QPoint point) {
    if (app_.document.held()) return;
    const ViewMapping view = viewMapping();
    apply(activeTool().move(view.clampedWorldX(point.x()), view.clampedWorldY(point.y())));
}

void TFormEdit::FormMouseUp(QPoint point) {
    if (app_.document.held()) return;
    const ViewMapping view = viewMapping();
    const double x = view.clampedWorldX(point.x()), y = view.clampedWorldY(point.y());
    if (lineTool_.active()) {
        apply(step("New Line", [&] { return lineTool_.release(x, y); }));
        return;
    }
    apply(activeTool().release(x, y));
    app_.document.endStep();
}

// Zoom, pan and the zoom box take their events first; the rest reach the tools at the world
// point of the present view.
void TFormEdit::mousePressEvent(QMouseEvent* event) {
    if (navigationPress(event)) return;
    FormMouseDown(event->position().toPoint());
}

void TFormEdit::mouseMoveEvent(QMouseEvent* event) {
    if (navigationMove(event)) return;
    FormMouseMove(event->position().toPoint());
}

void TFormEdit::mouseReleaseEvent(QMouseEvent* event) {
    if (navigationRelease(event)) return;
    FormMouseUp(event->position().toPoint());
}

void TFormEdit::showModeButtons() {
    SpeedButtonDrag->setChecked(state_.dragMode);
    SpeedButtonNode->setChecked(state_.newNodeMode);
    SpeedButtonLine->setChecked(state_.lineMode);
}

} // namespace velkor
