#include "ui/contours_window.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRubberBand>
#include <QToolButton>
#include <QTransform>
#include <QWheelEvent>

#include "model/number_text.h"
#include "model/table.h"
#include "results/element_locator.h"
#include "ui/application.h"
#include "ui/mesh_caches.h"
#include "ui/view_controls.h"

namespace velkor {

namespace {

constexpr Change kPlanChanges = Change::Counts | Change::Mesh | Change::NodeValues | Change::Soils |
                                Change::Wells | Change::Particles | Change::Results | Change::GeneralData;

// A new problem altogether (read, New): the view returns to the whole plan.
bool newProblem(Change what) {
    return (what & Change::Problem) == Change::Problem;
}

} // namespace

TFormContours::TFormContours(Application& app)
    // The plan reads the whole problem except its file name; of the options, the plot options,
    // which redraw it as a new view (the pathlines are not tracked anew).
    : PlotWindow(app, WindowId::Contours, "Contours", kPlanChanges), PanelContours(panel()) {
    connect(SpeedButtonHelp, &QToolButton::clicked, this, &TFormContours::SpeedButtonHelpClick);
    SpeedButtonFit = makeFitButton(PanelContours, 0);
    connect(SpeedButtonFit, &QToolButton::clicked, this, &TFormContours::SpeedButtonFitClick);
    CheckMeshLines = makeMeshLinesCheck(PanelContours, 36);
    connect(CheckMeshLines, &QCheckBox::toggled, this, [this] { viewChanged(); });
    LabelCursor = makeCursorLabel(PanelContours);
    zoomBox_ = new QRubberBand(QRubberBand::Rectangle, this);
    setMouseTracking(true);
    connect(&app_.document, &Document::changed, this, &TFormContours::documentChanged);
    FormCreate();
}

void TFormContours::SpeedButtonHelpClick() {
    app_.dialogs.help("Contours\n\n"
                      "This window shows the contours of the groundwater head, and pathlines "
                      "of the particles, if NP > 0.");
}

void TFormContours::SpeedButtonFitClick() {
    if (zoom_.fit()) viewChanged();
}

void TFormContours::documentChanged(Change what) {
    if (newProblem(what)) zoom_.fit();
    if (touches(what, Change::Options) && (app_.options.CheckLabelContours != drawnOptions_.labelContours ||
                                           app_.options.CheckScaleBar != drawnOptions_.scaleBar))
        viewChanged();
}

const PlanView& TFormContours::fullView() {
    if (fullViewSize_ != size() || fullViewGeneration_ != problemGeneration()) {
        fullView_ = screenPlanView(app_.problem, width(), height());
        fullViewSize_ = size();
        fullViewGeneration_ = problemGeneration();
    }
    if (fullView_.valid) {
        const CanvasArea area = fullView_.drawingArea();
        zoom_.setFit(fullView_.planScale(), area.left, area.top, area.right, area.bottom);
    }
    return fullView_;
}

PlanScale TFormContours::viewScale() {
    fullView();
    return zoom_.mapping();
}

PlotWindow::Drawing TFormContours::plotDrawing() {
    // Everything the drawing reads beside the problem is copied into it here: it runs on a worker
    // thread while the window goes on.
    struct Plan {
        PlanOptions options;
        PlanView fullView;
        ContourLevels levels;
        PlanScale view;
        std::shared_ptr<const ElementRuns> runs;
        QSize windowSize;
        bool fullViewValid = false, zoomed = false;
    };
    auto plan = std::make_shared<Plan>();
    plan->options.meshLines = CheckMeshLines->isChecked();
    plan->options.labelContours = app_.options.CheckLabelContours;
    plan->options.scaleBar = app_.options.CheckScaleBar;
    plan->runs = MeshCaches::of(app_.document).runs(app_.problem);
    plan->fullView = fullView();
    plan->fullViewValid = plan->fullView.valid;
    if (levelsGeneration_ != problemGeneration()) {
        levels_ = computeContourLevels(app_.problem);
        levelsGeneration_ = problemGeneration();
    }
    plan->levels = levels_;
    plan->zoomed = plan->fullViewValid && !zoom_.atFit();
    if (plan->zoomed) plan->view = zoom_.mapping();
    plan->windowSize = size();
    drawnOptions_ = plan->options;
    pictureScaled_ = plan->fullViewValid;
    pictureScale_ = plan->fullViewValid ? zoom_.mapping() : PlanScale{};
    return [plan](const Problem& problem, Canvas& canvas, int width, int height,
                  const PlotCallbacks& callbacks) {
        PlanOptions options = plan->options;
        options.runs = plan->runs.get();
        // A picture saved at another size than the window's is drawn at its full view.
        if (QSize(width, height) == plan->windowSize) {
            options.fullView = &plan->fullView;
            options.levels = &plan->levels;
            if (plan->zoomed) options.view = &plan->view;
        }
        return drawContourPlot(problem, canvas, width, height, callbacks, options);
    };
}

bool TFormContours::previewTransform(QTransform& transform) const {
    if (!pictureScaled_ || !fullView_.valid || fullViewSize_ != size()) return false;
    const PlanScale now = zoom_.mapping(), then = pictureScale_;
    const double k = now.s / then.s;
    if (!std::isfinite(k) || !(k > 0)) return false;
    // A canvas point of the old picture is a world point, which lies at its new canvas point.
    const double dx = now.column0 + (then.x0 - now.x0) * now.s - then.column0 * k;
    const double dy = now.row0 - (then.y0 - now.y0) * now.s - then.row0 * k;
    transform = QTransform(k, 0, 0, k, dx, dy);
    return true;
}

// ---- events -----------------------------------------------------------------------------------

void TFormContours::showEvent(QShowEvent* event) {
    PlotWindow::showEvent(event);
    if (event->spontaneous()) return;
    // Shown by its command: the whole plan.
    if (zoom_.fit()) viewChanged();
    navigation_.cancel();
    zoomBox_->hide();
}

void TFormContours::resizeEvent(QResizeEvent* event) {
    PlotWindow::resizeEvent(event);
    placePanelControls();
}

void TFormContours::placePanelControls() {
    // The position shows again at the next move of the mouse, against the help button's new place.
    LabelCursor->hide();
}

void TFormContours::applyNavigation(const NavigationResponse& response) {
    if (response.boxChanged) showZoomBox(zoomBox_, navigation_);
    if (response.viewChanged) viewChanged();
}

void TFormContours::mousePressEvent(QMouseEvent* event) {
    const std::optional<NavigationButton> button = navigationButton(event->button());
    if (!button || !fullView().valid) return PlotWindow::mousePressEvent(event);
    const NavigationResponse response = navigation_.press(*button, event->modifiers() & Qt::ShiftModifier,
                                                          event->position().x(), event->position().y());
    applyNavigation(response);
    if (!response.taken) PlotWindow::mousePressEvent(event);
}

void TFormContours::mouseMoveEvent(QMouseEvent* event) {
    showCursorPosition(event->position());
    applyNavigation(navigation_.move(event->position().x(), event->position().y()));
}

void TFormContours::mouseReleaseEvent(QMouseEvent* event) {
    const std::optional<NavigationButton> button = navigationButton(event->button());
    if (!button) return PlotWindow::mouseReleaseEvent(event);
    applyNavigation(navigation_.release(*button, event->position().x(), event->position().y()));
}

void TFormContours::wheelEvent(QWheelEvent* event) {
    if (fullView().valid)
        applyNavigation(
            navigation_.wheel(event->position().x(), event->position().y(), wheelNotches(*event)));
    showCursorPosition(event->position());
    event->accept();
}

void TFormContours::keyPressEvent(QKeyEvent* event) {
    NavigationResponse response;
    if (fullView().valid) {
        const CanvasArea area = fullView_.drawingArea();
        response = navigation_.keyPress(navigationKey(*event), (area.left + area.right) * 0.5,
                                        (area.top + area.bottom) * 0.5);
    }
    applyNavigation(response);
    if (!response.taken) PlotWindow::keyPressEvent(event);
}

void TFormContours::keyReleaseEvent(QKeyEvent* event) {
    if (!navigation_.keyRelease(navigationKey(*event)).taken) PlotWindow::keyReleaseEvent(event);
}

void TFormContours::leaveEvent(QEvent* event) {
    LabelCursor->hide();
    PlotWindow::leaveEvent(event);
}

void TFormContours::showCursorPosition(QPointF point) {
    const Problem& p = app_.problem;
    if (!fullView().valid || !p.tablesAllocated) {
        LabelCursor->hide();
        return;
    }
    const PlanScale view = zoom_.mapping();
    const double x = view.worldX(point.x()), y = view.worldY(point.y());
    std::string text = cursorPositionText(x, y);
    // The head interpolated linearly in the element that holds the point; the search starts at
    // the element of the last position, which the next one is most often in or near.
    const std::shared_ptr<const ElementLocator> elements = locator();
    if (lastElement_ >= elements->elementCount()) lastElement_ = 0;
    const int32_t m = elements->elementCount() > 0 ? elements->elementAround(x, y, lastElement_) : -1;
    if (m >= 0) {
        lastElement_ = m;
        const Element& e = p.elements[idx(m)];
        const Node& a = p.nodes[idx(e.node[0])];
        const Node& b = p.nodes[idx(e.node[1])];
        const Node& c = p.nodes[idx(e.node[2])];
        const double area = (b.X - a.X) * (c.Y - a.Y) - (c.X - a.X) * (b.Y - a.Y);
        if (area != 0) {
            const double wb = ((x - a.X) * (c.Y - a.Y) - (c.X - a.X) * (y - a.Y)) / area;
            const double wc = ((b.X - a.X) * (y - a.Y) - (x - a.X) * (b.Y - a.Y)) / area;
            const double head = a.F + wb * (b.F - a.F) + wc * (c.F - a.F);
            text += format("   F = %.3f m   element %d", head, m + 1);
        } else {
            text += format("   element %d", m + 1);
        }
    }
    // Left of Cancel while a drawing runs, else of the help button.
    const QWidget* rightOf =
        ButtonCancel->isVisible() ? static_cast<QWidget*>(ButtonCancel) : SpeedButtonHelp;
    showCursorText(LabelCursor, text, rightOf->x() - 6);
}

} // namespace velkor
