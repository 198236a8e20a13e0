#include "ui/plot_window.h"

#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QToolButton>

#include <memory>
#include <vector>

#include "io/text_file.h"
#include "pdf/replacement_device.h"
#include "results/element_locator.h"
#include "results/svg_canvas.h"
#include "ui/application.h"
#include "ui/font_table.h"
#include "ui/qt_canvas.h"
#include "ui/text_codec.h"
#include "ui/window_feedback.h"
#include "ui/window_parts.h"

namespace velkor {

namespace {

constexpr int kPanelHeight = 25;
constexpr int kButtonSize = 25;
// A window resized several times in a row is drawn once, at the size it ends up with.
constexpr int kResizeSettleMilliseconds = 60;
// While a command or another window's work runs, the drawing waits and looks again this late.
constexpr int kRetryMilliseconds = 50;
// Work that kept the event loop waiting longer than this lets it in before more comes.
constexpr int kLongWaitMilliseconds = 30;

constexpr const char* kPictureFilter = "PNG(*.png)|*.png|SVG(*.svg)|*.svg";
constexpr const char* kPictureExtension = "*.png";

int builtLocators = 0;

// The element locator of the present mesh, shared by the plot windows. At a million elements
// building it costs more than a tracking run, so it is kept until the mesh changes. A run holds
// its own reference: a change that arrives while the run lets the event loop work does not pull
// the locator from under it.
class LocatorCache : public QObject {
  public:
    explicit LocatorCache(Document& document) : QObject(&document) {
        connect(&document, &Document::changed, this, [this](Change what) {
            if (touches(what, Change::Mesh | Change::Counts)) locator_.reset();
        });
    }

    static LocatorCache& of(Document& document) {
        auto* cache = document.findChild<LocatorCache*>(QString(), Qt::FindDirectChildrenOnly);
        return cache ? *cache : *new LocatorCache(document);
    }

    std::shared_ptr<const ElementLocator> locator(const Problem& problem) {
        if (!locator_ || locator_->elementCount() != problem.usedElementCount()) {
            locator_ = std::make_shared<const ElementLocator>(problem);
            ++builtLocators;
        }
        return locator_;
    }

  private:
    std::shared_ptr<const ElementLocator> locator_;
};

std::vector<double> particleHeights(const Problem& problem) {
    std::vector<double> heights(static_cast<std::size_t>(problem.usedParticleCount()));
    for (std::size_t p = 0; p < heights.size(); ++p)
        heights[p] = problem.particles[p].Z;
    return heights;
}

// "Val1.fem" -> "Val1"
QString datafileStem(const std::string& fileName) {
    QString stem = fromWindows1252(fileName);
    const qsizetype dot = stem.lastIndexOf(QLatin1Char('.'));
    if (dot > 0) stem.truncate(dot);
    return stem.isEmpty() ? QStringLiteral("Data1") : stem;
}

} // namespace

std::shared_ptr<const ElementLocator> sharedElementLocator(Document& document, const Problem& problem) {
    return LocatorCache::of(document).locator(problem);
}

PlotWindow::PlotWindow(Application& app, WindowId id, const char* caption, Change dependsOn)
    : SecondaryWindow(app, id, caption), dependsOn_(dependsOn) {
    // A single fixed border with only the system menu, kept above the other windows.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);

    panel_ = new QLabel(this);
    fillBackground(panel_, kLime);
    panel_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel_->setAlignment(Qt::AlignCenter);
    panel_->setFont(qtFont(FontSmallBold));
    panel_->setTextFormat(Qt::PlainText);

    SpeedButtonHelp = makeHelpButton(panel_);

    menu_ = new QMenu(this);
    SavePicture = menu_->addAction(fromWindows1252("Save Picture\x85"));
    connect(SavePicture, &QAction::triggered, this, &PlotWindow::SavePictureClick);

    drawTimer_.setSingleShot(true);
    connect(&drawTimer_, &QTimer::timeout, this, &PlotWindow::drawPicture);
    connect(&app_.document, &Document::changed, this, &PlotWindow::documentChanged);
}

int PlotWindow::locatorsBuilt() {
    return builtLocators;
}

bool PlotWindow::pictureCurrent() const {
    return state_ == PictureState::Complete && pictureGeneration_ == generation_ && pictureSize_ == size();
}

void PlotWindow::documentChanged(Change what) {
    if (touches(what, Change::Results)) showPanelText();
    if (ownChange_ || !touches(what, dependsOn_)) return;
    ++generation_;
    // A picture of what no longer is: the run stops at its next sweep and the plot is drawn anew.
    stopRun();
    if (isVisible()) update();
}

void PlotWindow::setLegend(const std::string& legend) {
    legend_ = legend;
    showPanelText();
    panel_->repaint();
}

void PlotWindow::showPanelText() {
    // The picture keeps showing the results held; the panel says when they no longer answer the
    // problem.
    std::string text = legend_;
    if (app_.problem.resultsOutOfDate) text += (text.empty() ? "" : "     ") + std::string(kResultsOutOfDateMessage);
    panel_->setText(fromWindows1252(text));
}

// ---- window events --------------------------------------------------------------------------

void PlotWindow::paintEvent(QPaintEvent*) {
    FormPaint();
}

void PlotWindow::FormPaint() {
    QPainter painter(this);
    if (!picture_.isNull()) painter.drawImage(0, 0, picture_);
    QRegion uncovered(rect());
    uncovered -= QRect(QPoint(0, 0), picture_.size());
    for (const QRect& part : uncovered)
        painter.fillRect(part, toQColor(kSilver));

    const bool upToDate = pictureGeneration_ == generation_ && pictureSize_ == size();
    const bool settled = state_ == PictureState::Drawing ||
                         (upToDate && (state_ == PictureState::Complete || state_ == PictureState::Stopped));
    if (!settled && !drawTimer_.isActive()) drawTimer_.start(0);
}

void PlotWindow::FormCreate() {
    const QSize screen = screenSize();
    move(20, 75);
    setFixedSize(screen.width() - 40, screen.height() - 80);
    placePanel();
}

void PlotWindow::placePanel() {
    panel_->setGeometry(0, 0, width(), kPanelHeight);
    SpeedButtonHelp->setGeometry(width() - kButtonSize - 1, 0, kButtonSize, kButtonSize);
}

void PlotWindow::resizeEvent(QResizeEvent* event) {
    SecondaryWindow::resizeEvent(event);
    placePanel();
    if (!picture_.isNull() && picture_.size() != size()) drawTimer_.start(kResizeSettleMilliseconds);
}

void PlotWindow::showEvent(QShowEvent* event) {
    SecondaryWindow::showEvent(event);
    // A run stopped by the user is run again when the window comes back.
    if (state_ == PictureState::Stopped) state_ = PictureState::None;
}

void PlotWindow::hideEvent(QHideEvent* event) {
    // Closed by its button, hidden by a command or by the end of the program: a run stops.
    stopRun();
    SecondaryWindow::hideEvent(event);
}

void PlotWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && running_) {
        stoppedByUser_ = true;
        stopRun();
        return;
    }
    SecondaryWindow::keyPressEvent(event);
}

void PlotWindow::contextMenuEvent(QContextMenuEvent* event) {
    menu_->exec(event->globalPos());
}

void PlotWindow::stopRun() {
    if (feedback_) feedback_->requestCancel();
}

// ---- drawing --------------------------------------------------------------------------------

void PlotWindow::drawPicture() {
    if (running_ || !isVisible() || size().isEmpty()) return;
    if (app_.commandRunning() || app_.workRunning()) {
        drawTimer_.start(kRetryMilliseconds);
        return;
    }
    if (!app_.problem.tablesAllocated || app_.quitRequested()) return;

    ++drawingsStarted_;
    pictureSize_ = size();
    pictureGeneration_ = generation_;
    picture_ = QImage(pictureSize_, QImage::Format_RGB32);
    picture_.fill(toQColor(kSilver));
    state_ = PictureState::Drawing;
    stoppedByUser_ = false;
    PlotReport report;
    bool complete = false;
    {
        QPainter painter(&picture_);
        QtCanvas canvas(painter);
        complete = runDrawing(canvas, pictureSize_.width(), pictureSize_.height(), report);
    }
    if (complete) {
        state_ = PictureState::Complete;
    } else if (stoppedByUser_) {
        state_ = PictureState::Stopped;
    } else {
        // Stopped for a command, a change or another run holding the particle table: the window
        // draws again when it is free to (if it is still on the screen).
        state_ = PictureState::None;
        drawTimer_.start(kRetryMilliseconds);
    }
    update();
}

bool PlotWindow::runDrawing(Canvas& canvas, int width, int height, PlotReport& report) {
    running_ = true;
    SavePicture->setEnabled(false);
    WindowFeedback feedback(
        app_, [this](const Progress&) { update(); }, true);
    feedback.afterShow = [this] {
        if (afterProgressShown) afterProgressShown();
    };
    feedback_ = &feedback;
    {
        // Lets a command that comes in during the run stop it first, and a quit wait for it.
        const Application::WorkScope scope(app_, true);
        // The tracker lowers particles that start above the water table into the saturated zone.
        Problem& problem = app_.document.problemForRules();
        PlotCallbacks callbacks;
        callbacks.legendReady = [this](const std::string& legend) { setLegend(legend); };
        callbacks.feedback = &feedback;
        std::shared_ptr<const ElementLocator> locator;
        if (problem.NP > 0) {
            QElapsedTimer building;
            building.start();
            locator = sharedElementLocator(app_.document, problem);
            // A new locator of a large mesh takes a while: the event loop gets its turn before the
            // mesh is drawn, which takes as long again.
            if (building.elapsed() > kLongWaitMilliseconds) feedback.progress(Progress{Stage::Tracking});
        }
        callbacks.locator = locator.get();
        const std::vector<double> heightsBefore = particleHeights(problem);

        report = drawPlot(canvas, width, height, callbacks);

        // The run lowered particles into the saturated zone: the particle table shows it.
        if (!app_.quitRequested() && particleHeights(problem) != heightsBefore) {
            ownChange_ = true;
            app_.document.changedWithoutStep(Change::Particles);
            ownChange_ = false;
        }
    }
    feedback_ = nullptr;
    SavePicture->setEnabled(true);
    running_ = false;
    // Pathlines cut off at the bound of a run are not the whole story: the user is told.
    if (report.track.outcome == Outcome::LimitReached && !report.track.message.empty() && !app_.quitRequested())
        app_.dialogs.message(report.track.message);
    return report.track.outcome != Outcome::Cancelled && report.track.outcome != Outcome::Busy;
}

// ---- Save Picture ---------------------------------------------------------------------------

void PlotWindow::SavePictureClick() {
    if (running_) return;
    const std::string proposal = toWindows1252(datafileStem(app_.problem.fileName) + QLatin1Char('-') +
                                               QString::fromLatin1(pictureSuffix()) + QStringLiteral(".png"));
    const std::optional<std::string> path = app_.dialogs.saveFileName(
        {kPictureFilter, kPictureExtension, app_.state.paths.initialDirectory, proposal});
    if (!path) return;
    const bool saved = QFile::decodeName(path->c_str()).endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)
                           ? saveSvg(*path)
                           : savePng(*path);
    if (!saved) app_.dialogs.message("Saving picture failed or canceled");
}

bool PlotWindow::saveSvg(const std::string& path) {
    const int width = size().width(), height = size().height();
    SvgCanvas canvas(width, height, kSilver);
    PlotReport report;
    if (!runDrawing(canvas, width, height, report)) return false;
    drawCaptionPanel(canvas, width, toWindows1252(panel_->text()));
    return replaceFileContent(path, canvas.document());
}

bool PlotWindow::savePng(const std::string& path) {
    QImage image;
    if (pictureCurrent()) {
        image = picture_.copy();
    } else {
        image = QImage(size(), QImage::Format_RGB32);
        image.fill(toQColor(kSilver));
        QPainter painter(&image);
        QtCanvas canvas(painter);
        PlotReport report;
        if (!runDrawing(canvas, image.width(), image.height(), report)) return false;
    }
    {
        QPainter painter(&image);
        panel_->render(&painter, QPoint(0, 0));
    }
    ReplacementDevice file(path);
    return image.save(&file, "PNG") && file.commit();
}

} // namespace velkor
