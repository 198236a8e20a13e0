#include "ui/mesh_window.h"

#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

#include "editors/editor_drawing.h"
#include "operations/mesh_edits.h"
#include "ui/application.h"
#include "ui/mesh_caches.h"
#include "ui/qt_canvas.h"
#include "ui/view_controls.h"
#include "ui/window_feedback.h"

namespace velkor {

namespace {

const QColor kSilverColour(0xC0, 0xC0, 0xC0);
const QColor kLimeColour(0x00, 0xFF, 0x00);

const std::string kHelpText =
    std::string("Edit Mesh\n\n") +
    "In this window a mesh of finite elements can be generated, from an initial mesh\n" +
    "of triangular blocks. " + "The mesh can be modified by activating one of the editing keys :\n" +
    "- Add Well  : create a well, in an existing node close to the well, or in the center\n" +
    "              of an element, connecting the new node to the 3 nodes of this element\n" +
    "              and to the mid-points of the 3 sides. The discharge of the well is zero,\n" +
    "              but this can be edited later.\n" +
    "- Split 2   : subdivide all elements into 2 elements, with a new node in the mid-point\n" +
    "              of the longest side of the original element,\n" +
    "- Split 4   : subdivide all elements into 4 elements, with new nodes in the mid-points of\n" +
    "              the 3 sides of the original element.";

// What the mesh editor's picture shows.
constexpr Change kPictureChanges =
    Change::Counts | Change::Mesh | Change::Wells | Change::GeneralData | Change::Installation;

} // namespace

TFormMesh::TFormMesh(Application& app)
    : EditorWindow(app, WindowId::Mesh, "Edit Mesh", kLimeColour, kHelpText),
      addWellTool_(app.document.problemForRules(), state_, display_) {
    // The kept picture covers the whole window.
    setAttribute(Qt::WA_OpaquePaintEvent);
    const QSize screen = screenSize();
    placeFrame(QRect(20, 75, screen.width() - 40, screen.height() - 80));

    PanelMesh = toolPanel();
    SpeedButtonNode = addToolButton(0, EditorGlyph::AddWell, "Add Well", true);
    SpeedButtonSplit2 = addToolButton(25, EditorGlyph::Split2, "Split 2", false);
    SpeedButtonSplit4 = addToolButton(50, EditorGlyph::Split4, "Split 4", true);
    connect(SpeedButtonNode, &QToolButton::clicked, this, &TFormMesh::SpeedButtonNodeClick);
    connect(SpeedButtonSplit2, &QToolButton::clicked, this, &TFormMesh::SpeedButtonSplit2Click);
    connect(SpeedButtonSplit4, &QToolButton::clicked, this, &TFormMesh::SpeedButtonSplit4Click);
    CheckMeshLines = makeMeshLinesCheck(PanelMesh, 115);
    connect(CheckMeshLines, &QCheckBox::toggled, this, &TFormMesh::viewChanged);

    connect(&app_.document, &Document::changed, this, &TFormMesh::documentChanged);
    FormActivate();
}

// ---- window events ---------------------------------------------------------------------------

void TFormMesh::FormActivate() {
    state_.newNodeMode = false;
    state_.pendingNode = -1;
    placeModeDisplay();
    SpeedButtonSplit4->setChecked(false);
    resetView();
}

void TFormMesh::showEvent(QShowEvent* event) {
    SecondaryWindow::showEvent(event);
    if (event->spontaneous()) return; // the desktop showing it again after a minimise
    // Whatever happened to the mesh while the window was hidden, it is drawn anew.
    pictureStale_ = true;
    FormActivate();
}

void TFormMesh::documentChanged(Change what) {
    if (!touches(what, kPictureChanges)) return;
    pictureStale_ = true;
    if (isVisible()) update();
}

void TFormMesh::drawPicture() {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(qRound(width() * ratio), qRound(height() * ratio));
    if (picture_.size() != pixels) {
        picture_ = QImage(pixels, QImage::Format_RGB32);
        picture_.setDevicePixelRatio(ratio);
    }
    picture_.fill(kSilverColour);
    QPainter painter(&picture_);
    QtCanvas canvas(painter);
    MeshPictureOptions options;
    options.meshLines = CheckMeshLines->isChecked();
    options.cull = !zoomView().atFit();
    options.canvasWidth = width();
    options.canvasHeight = height();
    const std::shared_ptr<const ElementRuns> runs = MeshCaches::of(app_.document).runs(app_.problem);
    options.runs = runs.get();
    drawMeshEditor(canvas, app_.problem, viewMapping(), options);
    pictureStale_ = false;
    ++meshDrawings_;
}

void TFormMesh::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(qRound(width() * ratio), qRound(height() * ratio));
    // At a million elements a drawing takes most of a second: the picture is kept until the mesh
    // or the size changes. While a pass runs the mesh is half split; the old picture stays.
    if ((pictureStale_ || picture_.size() != pixels) && !splitting_) drawPicture();
    QPainter painter(this);
    if (picture_.size() != pixels) painter.fillRect(rect(), kSilverColour);
    if (!picture_.isNull()) painter.drawImage(0, 0, picture_);
}

void TFormMesh::FormClose() {
    if (splitting_) {
        closeAfterSplit_ = true;
        return;
    }
    SecondaryWindow::FormClose();
}

// ---- tool buttons and boxes ------------------------------------------------------------------

void TFormMesh::SpeedButtonNodeClick() {
    if (splitting_) return;
    PanelXY->commitTypedText();
    apply(addWellTool_.button());
}

void TFormMesh::SpeedButtonSplit2Click() {
    split(false);
}

void TFormMesh::SpeedButtonSplit4Click() {
    split(true);
}

void TFormMesh::split(bool intoFour) {
    const Problem& p = app_.problem;
    if (splitting_ || !p.tablesAllocated) return;
    PanelXY->commitTypedText();
    // A pass ends Add Well: its button goes up with it, and a click after the pass is no well.
    addWellTool_.end();
    display_.labelShown = true;
    showDisplay();
    SpeedButtonSplit4->setChecked(intoFour);
    splitting_ = true;
    Result result;
    {
        // The counts run up in the label while the pass runs, shown at most every 30 ms; clicks
        // and keys wait until the pass has ended.
        const Application::WorkScope scope(app_, false);
        WindowFeedback feedback(
            app_,
            [this](const Progress& progress) {
                display_.label = progress.statusText();
                showDisplay();
                LabelOperation->repaint();
            },
            false);
        feedback.afterShow = [this] {
            if (onSplitProgress) onSplitProgress();
        };
        // One pass is one step: Undo brings back the mesh as it was before it.
        result = app_.document
                     .apply(intoFour ? "Split 4" : "Split 2", Footprint::whole(),
                            [&](Problem& problem) {
                                return splitMesh(problem, intoFour ? SplitKind::IntoFour : SplitKind::IntoTwo,
                                                 &feedback);
                            })
                     .result;
        feedback.finish();
    }
    splitting_ = false;
    SpeedButtonSplit4->setChecked(false);
    // The program may have been ended while the pass ran: its tables are gone.
    if (!p.tablesAllocated) return;
    if (closeAfterSplit_) {
        closeAfterSplit_ = false;
        FormClose();
    }
    if (!result.message.empty()) app_.dialogs.message(result.message);
}

// ---- mouse -----------------------------------------------------------------------------------

void TFormMesh::FormMouseDown(QPoint point) {
    if (splitting_) return;
    PanelXY->commitTypedText();
    const ViewMapping view = viewMapping();
    const double x = view.worldX(point.x()), y = view.worldY(point.y());
    if (addWellTool_.active())
        apply(step("Add Well", [&] { return addWellTool_.press(x, y); }));
}

void TFormMesh::FormMouseMove(QPoint point) {
    const ViewMapping view = viewMapping();
    apply(addWellTool_.move(view.worldX(point.x()), view.worldY(point.y())));
    // Only the label and the boxes change: the mesh is not drawn again.
    if (addWellTool_.active()) LabelOperation->repaint();
}

// Zoom, pan and the zoom box take their events first; the rest reach Add Well at the world point
// of the present view.
void TFormMesh::mousePressEvent(QMouseEvent* event) {
    if (navigationPress(event)) return;
    FormMouseDown(event->position().toPoint());
}

void TFormMesh::mouseMoveEvent(QMouseEvent* event) {
    if (navigationMove(event)) return;
    FormMouseMove(event->position().toPoint());
}

void TFormMesh::mouseReleaseEvent(QMouseEvent* event) {
    navigationRelease(event);
}

void TFormMesh::viewChanged() {
    pictureStale_ = true;
    update();
}

void TFormMesh::showModeButtons() {
    SpeedButtonNode->setChecked(state_.newNodeMode);
}

} // namespace velkor
