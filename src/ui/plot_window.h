// What the contour window and the 3D-graph window share: a lime panel across the top with the
// contour legend as its caption and a help button at its right end, a picture of the plot drawn
// through QtCanvas on a worker thread, and the Save Picture command of the context menu.
//
// The plot is drawn into an image on a worker thread (at a million elements the mesh alone takes a
// second, and a tracking run longer): the window shows the picture as far as it has grown, and the
// finished picture stays until the problem, the options it reads, the view (a zoom) or the window
// size change. A drawing only reads the problem; it is stopped and waited for before anything
// changes the problem, and drawn again afterwards. The steps of the last whole tracking run are
// kept, so that a new view or size replays them without tracking.
#pragma once

#include <QImage>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "model/changes.h"
#include "results/graph_page.h"
#include "results/track_recording.h"
#include "ui/background_run.h"
#include "ui/secondary_window.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QToolButton;
class QTransform;

namespace velkor {

class Canvas;
class ElementLocator;

class PlotWindow : public SecondaryWindow {
    Q_OBJECT
  public:
    // What the picture shows.
    enum class PictureState {
        None,     // nothing drawn for the present problem, options and size
        Drawing,  // a drawing run is going on
        Complete, // the whole plot
        Stopped   // a run stopped by Escape; kept until something changes or the window reopens
    };

    PictureState pictureState() const { return state_; }
    // The plot as drawn for the problem, options, view and size of now.
    bool pictureCurrent() const;
    const QImage& picture() const { return picture_; }
    // Drawing runs started so far, and element locators built for all plot windows.
    int drawingsStarted() const { return drawingsStarted_; }
    static int locatorsBuilt();
    bool drawingRunning() const { return run_->running(); }

    // Size and place of a new window: nearly the whole screen, below the main window's tool bar.
    // The window can be resized and maximised; its picture is drawn again once the size settles.
    void FormCreate();
    // Steps of the last whole tracking run kept for drawing again (0 when none is kept).
    std::size_t keptTrackSteps() const { return tracks_.steps(); }

    // Save Picture...: SVG or PNG of what the window shows, at its size.
    void SavePictureClick();

    // Called after every picture of a drawing run shown while the run goes on (tests and
    // screenshots look here).
    std::function<void()> afterProgressShown;

    QToolButton* SpeedButtonHelp = nullptr;
    // Shown while a drawing runs, left of Help: stops it, as Escape does.
    QPushButton* ButtonCancel = nullptr;
    QAction* SavePicture = nullptr;
    void ButtonCancelClick();

  protected:
    PlotWindow(Application& app, WindowId id, const char* caption, Change dependsOn);
    ~PlotWindow() override;

    // How the window draws its plot: a function of the problem (read on a worker thread, so it
    // holds what it needs of the options and the view, copied when it is made), a canvas of the
    // given size and the callbacks. The legend goes to callbacks.legendReady.
    using Drawing =
        std::function<PlotReport(const Problem&, Canvas&, int width, int height, const PlotCallbacks&)>;
    virtual Drawing plotDrawing() = 0;
    // Whether a drawing builds the element locator when none is kept, even without particles (the
    // contour window's cursor position needs it).
    virtual bool wantsLocator() const { return false; }
    // The proposed picture name after the datafile's: "<name>-<suffix>.png".
    virtual const char* pictureSuffix() const = 0;

    // Paints the picture (or what there is of it) and asks for a new one when it is not current.
    void FormPaint();
    // The panel, created by the base; the windows know it by their own names.
    QLabel* panel() const { return panel_; }

    // The picture is to be drawn again for a new view of the same problem (a zoom, a choice of
    // the window): the pathlines of the last run are replayed, not tracked anew.
    void viewChanged();
    // Bumped by every change of what the plot shows (not by a change of view).
    uint64_t problemGeneration() const { return generation_; }
    // Until the picture of a new view is drawn, the old one is shown through this transform (from
    // its canvas to the present one); false when there is none.
    virtual bool previewTransform(QTransform& transform) const;
    // The element locator of the present mesh, shared by the plot windows and built once per mesh.
    std::shared_ptr<const ElementLocator> locator();

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    struct Run; // one drawing run: what it is drawn for, and what it leaves
    enum class Target { Window, Png, Svg };

    // The panel across the top, the help button at its right end.
    void placePanel();
    void documentChanged(Change what);
    void setLegend(const std::string& legend);
    // The legend, and after it the mark of results that no longer answer the problem.
    void showPanelText();
    // Starts the drawing of the window's picture (when it is not current and nothing holds it).
    void drawPicture();
    // Starts a drawing run for the target; false when none could be started.
    bool startRun(Target target, const std::string& path);
    void runEnded(Run& run);
    // The picture of a run so far, on the screen.
    void showPictureSoFar(uint64_t run, const QImage& image);
    // Cancel shown while a run goes on.
    void showCancel();
    // A run stops and is waited for: before the problem changes, or the window hides.
    void stopRun();
    // Writes the PNG of the picture with the panel over it; false (and why) when it was not written.
    bool savePng(const std::string& path, QImage image, std::string& why);

    Change dependsOn_;
    QLabel* panel_ = nullptr;
    std::string legend_;
    QMenu* menu_ = nullptr;
    QTimer drawTimer_;
    QImage picture_;
    PictureState state_ = PictureState::None;
    // The picture holds the drawing of this generation of the problem and options at this size.
    uint64_t generation_ = 0;
    uint64_t pictureGeneration_ = 0;
    uint64_t viewGeneration_ = 0;
    uint64_t pictureViewGeneration_ = 0;
    // The steps of the last whole run of this generation. Filled on the worker's thread while a run
    // goes on; read and cleared on the window's only when none does.
    TrackRecording tracks_;
    QSize pictureSize_;
    uint64_t runNumber_ = 0; // of the run going on; pictures of earlier ones are dropped
    bool stoppedByUser_ = false;
    bool ownChange_ = false; // the run's own notice of the heights it clamped
    int drawingsStarted_ = 0;
    // Last: a run still going on is waited for before anything it uses goes.
    std::unique_ptr<BackgroundRun> run_;
};

} // namespace velkor
