#include "ui/plot_window.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMetaObject>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>

#include <chrono>
#include <vector>

#include "io/text_file.h"
#include "operations/work_copies.h"
#include "paint/font_table.h"
#include "paint/qt_canvas.h"
#include "paint/text_codec.h"
#include "pdf/replacement_device.h"
#include "results/element_locator.h"
#include "results/svg_canvas.h"
#include "ui/application.h"
#include "ui/mesh_caches.h"
#include "ui/window_parts.h"

namespace velkor {

namespace {

constexpr int kPanelHeight = 25;
constexpr int kButtonSize = 25;
// A window resized several times in a row is drawn once, at the size it ends up with.
constexpr int kResizeSettleMilliseconds = 60;
// While a run goes on, the picture so far reaches the screen this often.
constexpr auto kPictureInterval = std::chrono::milliseconds(100);

constexpr const char* kPictureFilter = "PNG(*.png)|*.png|SVG(*.svg)|*.svg";
constexpr const char* kPictureExtension = "*.png";
constexpr const char* kPictureNotSaved = "Saving picture failed or canceled";

// "Val1.fem" -> "Val1"
QString datafileStem(const std::string& fileName) {
    QString stem = fromWindows1252(fileName);
    const qsizetype dot = stem.lastIndexOf(QLatin1Char('.'));
    if (dot > 0) stem.truncate(dot);
    return stem.isEmpty() ? QStringLiteral("Data1") : stem;
}

QImage blankPicture(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(toQColor(kSilver));
    return image;
}

} // namespace

// One drawing run: made on the GUI thread, drawn on the worker's, and read back on the GUI thread
// when the run has ended.
struct PlotWindow::Run {
    uint64_t number = 0;
    uint64_t generation = 0; // of the problem it was drawn for
    Target target = Target::Window;
    std::string path;    // of a picture to save
    std::string caption; // the panel's text, for an SVG picture
    QSize size;
    Drawing draw;
    std::shared_ptr<const ElementLocator> locator; // kept, or built by the run
    bool locatorBuilt = false;
    QImage image;
    PlotReport report;
    bool written = false; // an SVG picture was saved
    std::string reason;   // why it was not
};

PlotWindow::PlotWindow(Application& app, WindowId id, const char* caption, Change dependsOn)
    : SecondaryWindow(app, id, caption), dependsOn_(dependsOn), run_(std::make_unique<BackgroundRun>()) {
    // A window with the system menu that can be resized and maximised, kept above the others.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);

    panel_ = new QLabel(this);
    fillBackground(panel_, kLime);
    panel_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel_->setAlignment(Qt::AlignCenter);
    panel_->setFont(qtFont(FontSmallBold));
    panel_->setTextFormat(Qt::PlainText);

    SpeedButtonHelp = makeHelpButton(panel_);
    ButtonCancel = new QPushButton(QStringLiteral("Cancel"), panel_);
    ButtonCancel->setToolTip(QStringLiteral("Stops the drawing (Escape)"));
    ButtonCancel->setFocusPolicy(Qt::NoFocus);
    ButtonCancel->hide();
    connect(ButtonCancel, &QPushButton::clicked, this, &PlotWindow::ButtonCancelClick);

    menu_ = new QMenu(this);
    SavePicture = menu_->addAction(fromWindows1252("Save Picture\x85"));
    connect(SavePicture, &QAction::triggered, this, &PlotWindow::SavePictureClick);

    drawTimer_.setSingleShot(true);
    connect(&drawTimer_, &QTimer::timeout, this, &PlotWindow::drawPicture);
    connect(&app_.document, &Document::changed, this, &PlotWindow::documentChanged);
    // A run reads the problem: it stops before anything changes it.
    connect(&app_.document, &Document::aboutToChange, this, &PlotWindow::stopRun);
}

PlotWindow::~PlotWindow() {
    run_->stopAndWait();
}

int PlotWindow::locatorsBuilt() {
    return MeshCaches::locatorsBuilt();
}

bool PlotWindow::pictureCurrent() const {
    return state_ == PictureState::Complete && pictureGeneration_ == generation_ &&
           pictureViewGeneration_ == viewGeneration_ && pictureSize_ == size();
}

std::shared_ptr<const ElementLocator> PlotWindow::locator() {
    return MeshCaches::of(app_.document).locator(app_.problem);
}

bool PlotWindow::previewTransform(QTransform&) const {
    return false;
}

void PlotWindow::viewChanged() {
    ++viewGeneration_;
    // A run going on is left to finish (its pathlines are kept): the new view then replays them at
    // once, where stopping it would start the run again for every turn of the wheel.
    if (isVisible()) {
        update();
        if (!drawTimer_.isActive()) drawTimer_.start(0);
    }
}

void PlotWindow::documentChanged(Change what) {
    if (touches(what, Change::Results)) showPanelText();
    if (ownChange_ || !touches(what, dependsOn_)) return;
    ++generation_;
    // A picture of what no longer is: the plot is drawn anew, and the pathlines tracked anew. (Any
    // run has been stopped before the problem changed; it is waited for here all the same.)
    stopRun();
    tracks_.clear();
    if (isVisible()) update();
}

void PlotWindow::setLegend(const std::string& legend) {
    legend_ = legend;
    showPanelText();
}

void PlotWindow::showPanelText() {
    // The picture keeps showing the results held; the panel says when they no longer answer the
    // problem.
    std::string text = legend_;
    if (app_.problem.resultsOutOfDate)
        text += (text.empty() ? "" : "     ") + std::string(kResultsOutOfDateMessage);
    panel_->setText(fromWindows1252(text));
}

// ---- window events --------------------------------------------------------------------------

void PlotWindow::paintEvent(QPaintEvent*) {
    FormPaint();
}

void PlotWindow::FormPaint() {
    QPainter painter(this);
    QTransform preview;
    if (!picture_.isNull() && state_ != PictureState::Drawing && pictureViewGeneration_ != viewGeneration_ &&
        previewTransform(preview)) {
        // A new view not drawn yet: the picture as it was, moved and scaled to where it goes.
        painter.fillRect(rect(), toQColor(kSilver));
        painter.setTransform(preview);
        painter.drawImage(0, 0, picture_);
        painter.resetTransform();
    } else {
        if (!picture_.isNull()) painter.drawImage(0, 0, picture_);
        QRegion uncovered(rect());
        uncovered -= QRect(QPoint(0, 0), picture_.size());
        for (const QRect& part : uncovered)
            painter.fillRect(part, toQColor(kSilver));
    }

    const bool upToDate = pictureGeneration_ == generation_ && pictureViewGeneration_ == viewGeneration_ &&
                          pictureSize_ == size();
    const bool settled = state_ == PictureState::Drawing ||
                         (upToDate && (state_ == PictureState::Complete || state_ == PictureState::Stopped));
    if (!settled && !drawTimer_.isActive()) drawTimer_.start(0);
}

void PlotWindow::FormCreate() {
    const QSize screen = screenSize();
    setMinimumSize(200, 150);
    placeFrame(QRect(20, 75, screen.width() - 40, screen.height() - 80));
    placePanel();
}

void PlotWindow::placePanel() {
    panel_->setGeometry(0, 0, width(), kPanelHeight);
    SpeedButtonHelp->setGeometry(width() - kButtonSize - 1, 0, kButtonSize, kButtonSize);
    ButtonCancel->setGeometry(width() - kButtonSize - 72, 1, 66, kButtonSize - 2);
}

void PlotWindow::showCancel() {
    ButtonCancel->setVisible(run_->running() && !run_->cancelRequested());
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
    if (event->key() == Qt::Key_Escape && run_->running()) {
        ButtonCancelClick();
        return;
    }
    SecondaryWindow::keyPressEvent(event);
}

void PlotWindow::contextMenuEvent(QContextMenuEvent* event) {
    menu_->exec(event->globalPos());
}

void PlotWindow::ButtonCancelClick() {
    if (!run_->running()) return;
    stoppedByUser_ = true;
    run_->cancel();
    showCancel();
}

void PlotWindow::stopRun() {
    if (!run_->running()) return;
    run_->stopAndWait();
    ++runNumber_;
    if (state_ == PictureState::Drawing) state_ = PictureState::None;
    SavePicture->setEnabled(true);
    showCancel();
}

// ---- drawing --------------------------------------------------------------------------------

void PlotWindow::drawPicture() {
    if (run_->running() || !isVisible() || size().isEmpty()) return;
    // A step made of several events (a node dragged) is changing the problem: its end draws again.
    if (!app_.problem.tablesAllocated || app_.quitRequested() || app_.document.stepOpen()) return;
    if (startRun(Target::Window, {})) update();
}

bool PlotWindow::startRun(Target target, const std::string& path) {
    const Problem& problem = app_.problem;
    auto run = std::make_shared<Run>();
    run->number = ++runNumber_;
    run->generation = generation_;
    run->target = target;
    run->path = path;
    run->caption = toWindows1252(panel_->text());
    run->size = size();
    run->draw = plotDrawing();
    const bool needsLocator = problem.NP > 0 || wantsLocator();
    MeshCaches& caches = MeshCaches::of(app_.document);
    if (needsLocator && caches.hasLocator(problem)) run->locator = caches.locator(problem);
    if (target == Target::Window) {
        ++drawingsStarted_;
        pictureSize_ = run->size;
        pictureGeneration_ = generation_;
        pictureViewGeneration_ = viewGeneration_;
        picture_ = blankPicture(pictureSize_);
        state_ = PictureState::Drawing;
        stoppedByUser_ = false;
    }
    SavePicture->setEnabled(false);
    const uint64_t number = run->number;
    const bool started = run_->start(
        [this, run, &problem, number, needsLocator](RunFeedback& feedback) {
            // On the worker thread: the problem and the run's own objects are read, and the kept
            // pathlines filled; nothing else.
            if (needsLocator && !run->locator) {
                run->locator = std::make_shared<const ElementLocator>(problem);
                run->locatorBuilt = true;
            }
            // The picture so far goes to the screen now and then: after the mesh, and between
            // tracking sweeps.
            auto lastShown = std::chrono::steady_clock::now();
            auto showSoFar = [this, run, number, &lastShown](bool now) {
                if (run->target != Target::Window) return;
                const auto time = std::chrono::steady_clock::now();
                if (!now && time - lastShown < kPictureInterval) return;
                lastShown = time;
                QImage copy = run->image.copy();
                QMetaObject::invokeMethod(
                    this, [this, number, copy = std::move(copy)] { showPictureSoFar(number, copy); },
                    Qt::QueuedConnection);
            };
            class PictureFeedback : public Feedback {
              public:
                PictureFeedback(Feedback& run, std::function<void(bool)> show)
                    : run_(run), show_(std::move(show)) {}
                void progress(const Progress& progress) override {
                    run_.progress(progress);
                    show_(false);
                }
                bool cancelRequested() override { return run_.cancelRequested(); }

              private:
                Feedback& run_;
                std::function<void(bool)> show_;
            } told(feedback, showSoFar);

            PlotCallbacks callbacks;
            callbacks.feedback = &told;
            callbacks.locator = run->locator.get();
            callbacks.tracks = &tracks_;
            callbacks.legendReady = [this, number, &showSoFar](const std::string& legend) {
                QMetaObject::invokeMethod(
                    this,
                    [this, number, legend] {
                        if (number == runNumber_) setLegend(legend);
                    },
                    Qt::QueuedConnection);
                showSoFar(true);
            };
            const int width = run->size.width(), height = run->size.height();
            if (run->target == Target::Svg) {
                SvgCanvas canvas(width, height, kSilver);
                run->report = run->draw(problem, canvas, width, height, callbacks);
                if (run->report.result.outcome == Outcome::Cancelled) return;
                drawCaptionPanel(canvas, width, run->caption);
                run->written = replaceFileContent(run->path, canvas.document(), &run->reason);
                return;
            }
            run->image = blankPicture(run->size);
            QPainter painter(&run->image);
            QtCanvas canvas(painter);
            run->report = run->draw(problem, canvas, width, height, callbacks);
        },
        nullptr, [this, run] { runEnded(*run); });
    if (!started) {
        SavePicture->setEnabled(true);
        if (target == Target::Window) state_ = PictureState::None;
    }
    showCancel();
    return started;
}

void PlotWindow::showPictureSoFar(uint64_t run, const QImage& image) {
    if (run != runNumber_ || state_ != PictureState::Drawing) return;
    picture_ = image;
    update();
    // A copy: the hook may replace itself.
    if (const std::function<void()> hook = afterProgressShown) hook();
}

void PlotWindow::runEnded(Run& run) {
    SavePicture->setEnabled(true);
    showCancel();
    // A locator of the mesh as it still is goes to the shared caches.
    if (run.locatorBuilt && run.generation == generation_)
        MeshCaches::of(app_.document).keep(app_.problem, run.locator);
    const bool complete = run.report.result.outcome != Outcome::Cancelled;
    if (run.target == Target::Window) {
        picture_ = std::move(run.image);
        state_ = complete         ? PictureState::Complete
                 : stoppedByUser_ ? PictureState::Stopped
                                  : PictureState::None;
        update();
    }
    if (app_.quitRequested() || !app_.problem.tablesAllocated) return;
    // The run lowered particles into the saturated zone: the particle table shows it (unless a long
    // run holds the problem; the next drawing brings them).
    if (!app_.document.held()) {
        const Applied taken = takeParticleHeights(app_.document.problemForRules(), run.report.track.heights);
        if (taken.changedAnything()) {
            ownChange_ = true;
            app_.document.changedWithoutStep(taken.changed);
            ownChange_ = false;
        }
    }
    // Pathlines cut off at the bound of a run are not the whole story: the user is told (once, not
    // at every replay of the run).
    const Result& tracked = run.report.track.result;
    if (tracked.outcome == Outcome::LimitReached && !run.report.tracksReplayed && !tracked.message.empty())
        app_.dialogs.message(tracked.message);

    std::string why;
    bool saved = true;
    if (run.target == Target::Svg)
        saved = complete && run.written;
    else if (run.target == Target::Png)
        saved = complete && savePng(run.path, std::move(run.image), why);
    if (run.target != Target::Window && !saved)
        app_.dialogs.message(withReason(kPictureNotSaved, run.reason.empty() ? why : run.reason));
}

// ---- Save Picture ---------------------------------------------------------------------------

void PlotWindow::SavePictureClick() {
    if (run_->running()) return;
    const std::string proposal = toWindows1252(datafileStem(app_.problem.fileName) + QLatin1Char('-') +
                                               QString::fromLatin1(pictureSuffix()) + QStringLiteral(".png"));
    const std::optional<std::string> path = app_.dialogs.saveFileName(
        {kPictureFilter, kPictureExtension, app_.state.paths.initialDirectory, proposal});
    if (!path) return;
    const bool svg = QFile::decodeName(path->c_str()).endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive);
    if (!svg && pictureCurrent()) {
        std::string why;
        if (!savePng(*path, picture_.copy(), why)) app_.dialogs.message(withReason(kPictureNotSaved, why));
        return;
    }
    // A picture not drawn yet (or an SVG, drawn anew) is drawn on the worker thread and saved when
    // the drawing has ended.
    if (!startRun(svg ? Target::Svg : Target::Png, *path)) app_.dialogs.message(kPictureNotSaved);
}

bool PlotWindow::savePng(const std::string& path, QImage image, std::string& why) {
    {
        QPainter painter(&image);
        panel_->render(&painter, QPoint(0, 0));
    }
    ReplacementDevice file(path);
    const bool saved = image.save(&file, "PNG") && file.commit();
    if (!saved) why = file.error();
    return saved;
}

} // namespace velkor
