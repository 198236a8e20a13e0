#include "ui/mesh_window.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>

#include <memory>
#include <new>
#include <optional>

#include "editors/editor_drawing.h"
#include "model/number_text.h"
#include "model/table.h"
#include "operations/mesh_edits.h"
#include "operations/problem_snapshot.h"
#include "operations/set_nodes.h"
#include "operations/work_copies.h"
#include "paint/qt_canvas.h"
#include "paint/text_codec.h"
#include "ui/application.h"
#include "ui/mesh_caches.h"
#include "ui/view_controls.h"

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
    "              the 3 sides of the original element,\n" +
    "- Set Nodes : set the Type, the head F and, if wanted, B and T of many nodes at once:\n" +
    "              drag a rectangle over them, or click a line along them (a double click\n" +
    "              or Enter ends it, Escape cancels); the nodes caught are marked and a\n" +
    "              dialog asks for the values. Undo takes the whole step back.";

// What the mesh editor's picture shows.
constexpr Change kPictureChanges =
    Change::Counts | Change::Mesh | Change::Wells | Change::GeneralData | Change::Installation;

} // namespace

TFormMesh::TFormMesh(Application& app)
    : EditorWindow(app, WindowId::Mesh, "Edit Mesh", kLimeColour, kHelpText),
      addWellTool_(app.document.problemForRules(), state_, display_),
      setNodesTool_(app.document.problemForRules(), state_, display_) {
    // The kept picture covers the whole window.
    setAttribute(Qt::WA_OpaquePaintEvent);
    const QSize screen = screenSize();
    placeFrame(QRect(20, 75, screen.width() - 40, screen.height() - 80));

    PanelMesh = toolPanel();
    SpeedButtonNode = addToolButton(0, EditorGlyph::AddWell, "Add Well", true);
    SpeedButtonSplit2 = addToolButton(25, EditorGlyph::Split2, "Split 2", false);
    SpeedButtonSplit4 = addToolButton(50, EditorGlyph::Split4, "Split 4", true);
    SpeedButtonSetNodes = addToolButton(75, EditorGlyph::SetNodes, "Set Nodes", true);
    connect(SpeedButtonNode, &QToolButton::clicked, this, &TFormMesh::SpeedButtonNodeClick);
    connect(SpeedButtonSplit2, &QToolButton::clicked, this, &TFormMesh::SpeedButtonSplit2Click);
    connect(SpeedButtonSplit4, &QToolButton::clicked, this, &TFormMesh::SpeedButtonSplit4Click);
    connect(SpeedButtonSetNodes, &QToolButton::clicked, this, &TFormMesh::SpeedButtonSetNodesClick);
    CheckMeshLines = makeMeshLinesCheck(PanelMesh, 115);
    connect(CheckMeshLines, &QCheckBox::toggled, this, &TFormMesh::viewChanged);
    ButtonCancel = new QPushButton(QStringLiteral("Cancel"), PanelMesh);
    ButtonCancel->setToolTip(QStringLiteral("Stops the pass (Escape); the mesh stays as it was"));
    ButtonCancel->setFocusPolicy(Qt::NoFocus);
    // Right of the Mesh lines choice: the tool buttons stay where they are during a pass.
    ButtonCancel->setGeometry(215, 1, 64, kEditorPanelHeight - 2);
    ButtonCancel->hide();
    connect(ButtonCancel, &QPushButton::clicked, this, &TFormMesh::ButtonCancelClick);

    connect(&app_.document, &Document::changed, this, &TFormMesh::documentChanged);
    FormActivate();
}

// ---- window events ---------------------------------------------------------------------------

void TFormMesh::FormActivate() {
    state_.newNodeMode = false;
    setNodesTool_.end();
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
    // or the size changes. While a pass runs on its copy the mesh shown is the one it started from.
    if (pictureStale_ || picture_.size() != pixels) drawPicture();
    QPainter painter(this);
    if (picture_.size() != pixels) painter.fillRect(rect(), kSilverColour);
    if (!picture_.isNull()) painter.drawImage(0, 0, picture_);
    // Over the kept picture, drawn anew at every paint: the band and the marks leave no trace.
    if (setNodesTool_.active()) {
        QtCanvas canvas(painter);
        drawNodePick(canvas, app_.problem, setNodesTool_, viewMapping());
    }
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
    if (app_.document.held()) return;
    PanelXY->commitTypedText();
    apply(addWellTool_.button());
}

void TFormMesh::SpeedButtonSplit2Click() {
    split(false);
}

void TFormMesh::SpeedButtonSplit4Click() {
    split(true);
}

// What the worker of a pass makes: the split copy of the problem, and the copy of the problem as it
// was, for Undo.
struct TFormMesh::SplitWork {
    std::optional<ProblemSnapshot> before;
    Problem copy;
    Applied applied;
};

void TFormMesh::split(bool intoFour) {
    const Problem& problem = app_.problem;
    if (splitting_ || app_.document.held() || !problem.tablesAllocated) return;
    PanelXY->commitTypedText();
    app_.document.storeTypedValues();
    // A pass ends Add Well: its button goes up with it, and a click after the pass is no well.
    // It ends Set Nodes too: a rectangle or line drawn before it would pick among other nodes.
    addWellTool_.end();
    setNodesTool_.end();
    display_.labelShown = true;
    showDisplay();
    SpeedButtonSplit4->setChecked(intoFour);
    const SplitKind kind = intoFour ? SplitKind::IntoFour : SplitKind::IntoTwo;
    auto work = std::make_shared<SplitWork>();
    // The pass works on a copy while the window shows the mesh as it was; the counts run up in the
    // label. The split mesh is then taken into the problem as one step, which Undo takes back.
    splitting_ = app_.startLongRun(
        intoFour ? "Split 4 pass" : "Split 2 pass",
        [work, &problem, kind](RunFeedback& feedback) {
            try {
                work->before = ProblemSnapshot::take(problem, Footprint::whole());
            } catch (const std::bad_alloc&) {
                work->before.reset();
            }
            try {
                work->copy = problem.copyWithRowsInUse();
            } catch (const std::bad_alloc&) {
                work->applied = Applied::nothing(
                    Result::failed(Outcome::OutOfMemory, "Not enough memory to split the mesh."));
                return;
            }
            // The pass works on its copy only: a Cancel sets the window free at once.
            feedback.onItsOwn();
            work->applied = splitMesh(work->copy, kind, &feedback);
        },
        [this](const Progress& progress) { showSplitProgress(progress); },
        [this, work, intoFour]() mutable {
            splitEnded(*work, intoFour);
            app_.releaseLater(std::move(work));
        });
    if (!splitting_) return;
    ButtonCancel->setEnabled(true);
    ButtonCancel->show();
}

void TFormMesh::showSplitProgress(const Progress& progress) {
    // The counts of the pass so far, and how much of it is done; the last report is exact.
    display_.label = progress.statusText();
    if (progress.percent >= 0 && progress.percent < 100)
        display_.label += format("   %d %%", progress.percent);
    showDisplay();
    if (const std::function<void()> hook = onSplitProgress) hook(); // a copy: it may replace itself
}

void TFormMesh::splitEnded(SplitWork& work, bool intoFour) {
    splitting_ = false;
    ButtonCancel->hide();
    SpeedButtonSplit4->setChecked(false);
    // The program is ending: its tables go with it.
    if (app_.quitRequested() || !app_.problem.tablesAllocated) return;
    // Cancelled, the worker may still be winding down: nothing of its work is read then.
    const bool cancelled = app_.longRunCancelled();
    if (cancelled) {
        display_.label = intoFour ? "Split 4 cancelled" : "Split 2 cancelled";
        showDisplay();
    } else if (work.applied.changedAnything()) {
        app_.document.applyWithCopy(
            intoFour ? "Split 4" : "Split 2", std::move(work.before),
            [&work](Problem& p) { return takeWorkedCopy(p, work.copy, work.applied); });
    }
    if (closeAfterSplit_) {
        closeAfterSplit_ = false;
        FormClose();
    }
    if (!cancelled && !work.applied.result.message.empty()) app_.dialogs.message(work.applied.result.message);
}

void TFormMesh::ButtonCancelClick() {
    if (!splitting_) return;
    app_.cancelLongRun();
    ButtonCancel->setEnabled(false);
}

void TFormMesh::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && splitting_) {
        ButtonCancelClick();
        return;
    }
    FormKeyDown(event->key());
    EditorWindow::keyPressEvent(event);
}

void TFormMesh::problemHeld(bool held) {
    for (QToolButton* button : {SpeedButtonNode, SpeedButtonSplit2, SpeedButtonSplit4, SpeedButtonSetNodes})
        button->setEnabled(!held);
    if (held && addWellTool_.active()) {
        addWellTool_.end();
        showDisplay();
    }
}

// ---- mouse -----------------------------------------------------------------------------------

void TFormMesh::FormMouseDown(QPoint point) {
    if (app_.document.held()) return;
    PanelXY->commitTypedText();
    const ViewMapping view = viewMapping();
    const double x = view.worldX(point.x()), y = view.worldY(point.y());
    if (setNodesTool_.active()) {
        // The keys that end or drop a line come to the window.
        setFocus(Qt::MouseFocusReason);
        setNodesTool_.setPixelSize(1 / view.scale);
        applySetNodes(setNodesTool_.press(x, y));
    } else if (addWellTool_.active()) {
        apply(step("Add Well", [&] { return addWellTool_.press(x, y); }));
    }
}

void TFormMesh::FormMouseMove(QPoint point) {
    if (app_.document.held()) return;
    const ViewMapping view = viewMapping();
    const double x = view.worldX(point.x()), y = view.worldY(point.y());
    if (setNodesTool_.active()) {
        setNodesTool_.setPixelSize(1 / view.scale);
        apply(setNodesTool_.move(x, y));
        LabelOperation->repaint();
        return;
    }
    apply(addWellTool_.move(x, y));
    // Only the label and the boxes change: the mesh is not drawn again.
    if (addWellTool_.active()) LabelOperation->repaint();
}

void TFormMesh::FormMouseUp(QPoint point) {
    if (splitting_ || !setNodesTool_.active()) return;
    const ViewMapping view = viewMapping();
    setNodesTool_.setPixelSize(1 / view.scale);
    applySetNodes(setNodesTool_.release(view.worldX(point.x()), view.worldY(point.y())));
}

void TFormMesh::FormDblClick(QPoint point) {
    if (splitting_) return;
    if (!setNodesTool_.active()) {
        // The second press of a double click is a press like the first (a new Add Well).
        FormMouseDown(point);
        return;
    }
    const ViewMapping view = viewMapping();
    setNodesTool_.setPixelSize(1 / view.scale);
    applySetNodes(setNodesTool_.doubleClick(view.worldX(point.x()), view.worldY(point.y())));
}

void TFormMesh::FormKeyDown(int key) {
    if (splitting_ || !setNodesTool_.active()) return;
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        applySetNodes(setNodesTool_.enterKey());
    else if (key == Qt::Key_Escape)
        applySetNodes(setNodesTool_.escapeKey());
}

// ---- Set Nodes -------------------------------------------------------------------------------

void TFormMesh::SpeedButtonSetNodesClick() {
    if (splitting_) return;
    PanelXY->commitTypedText();
    setNodesTool_.button();
    if (setNodesTool_.active()) setFocus(Qt::OtherFocusReason);
    showDisplay();
    update();
}

void TFormMesh::applySetNodes(const ToolResponse& response) {
    apply(response);
    if (setNodesTool_.selectionReady()) setCaughtNodes();
}

void TFormMesh::setCaughtNodes() {
    const NodeSelection caught = setNodesTool_.selection();
    // The caught nodes are marked while the dialog asks what to set in them.
    repaint();
    if (caught.empty()) {
        app_.dialogs.message(noNodeCaughtMessage(caught.shape));
    } else {
        const Node& first = app_.problem.nodes[idx(caught.nodes.front())];
        NodeSettingsRequest request;
        request.nodeCount = static_cast<int32_t>(caught.nodes.size());
        request.Type = 1;
        request.F = first.F;
        request.B = first.B;
        request.T = first.T;
        const std::optional<NodeSettings> settings = app_.dialogs.nodeSettings(request);
        if (settings) {
            // The caught nodes' rows (they are in ascending order) and the general data.
            const int32_t from = caught.nodes.front(), to = caught.nodes.back();
            const Applied applied =
                app_.document.apply("Set Nodes", Footprint::nodeRows(from, to - from + 1),
                                    [&](Problem& problem) { return setNodes(problem, caught, *settings); });
            // Done needs no word: the nodes were marked, and the status line says the results
            // are out of date.
            if (!applied.ok() && !applied.result.message.empty())
                app_.dialogs.message(applied.result.message);
        }
    }
    setNodesTool_.finish();
    showDisplay();
    update();
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
    if (navigationRelease(event)) return;
    FormMouseUp(event->position().toPoint());
}

void TFormMesh::viewChanged() {
    pictureStale_ = true;
    update();
}

void TFormMesh::mouseDoubleClickEvent(QMouseEvent* event) {
    FormDblClick(event->position().toPoint());
}

void TFormMesh::showModeButtons() {
    SpeedButtonNode->setChecked(state_.newNodeMode);
    SpeedButtonSetNodes->setChecked(state_.setNodesMode);
}

} // namespace velkor
