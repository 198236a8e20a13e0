// What the contour window and the 3D-graph window share: a lime panel across the top with the
// contour legend as its caption and a help button at its right end, a picture of the plot drawn
// through QtCanvas, the tracking run that lets the event loop work and can be stopped, and the
// Save Picture command of the context menu.
//
// The plot is drawn into an image, not inside a paint event: a tracking run lets the event loop
// run after every sweep, and a paint of the window that comes in meanwhile shows the picture as
// far as it has grown instead of starting a second run. The finished picture stays until the
// problem, the options it reads, the view (a zoom) or the window size change; the steps of the
// last whole tracking run are kept, so that a new view or size replays them without tracking.
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
#include "ui/secondary_window.h"

class QAction;
class QLabel;
class QMenu;
class QToolButton;
class QTransform;

namespace velkor {

class Canvas;
class Document;
class ElementLocator;
class WindowFeedback;

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

    // Size and place of a new window: nearly the whole screen, below the main window's tool bar.
    // The window can be resized and maximised; its picture is drawn again once the size settles.
    void FormCreate();
    // Steps of the last whole tracking run kept for drawing again (0 when none is kept).
    std::size_t keptTrackSteps() const { return tracks_.steps(); }

    // Save Picture...: SVG or PNG of what the window shows, at its size.
    void SavePictureClick();

    // Called after every repaint during a tracking run (tests and screenshots look here).
    std::function<void()> afterProgressShown;

    QToolButton* SpeedButtonHelp = nullptr;
    QAction* SavePicture = nullptr;

  protected:
    PlotWindow(Application& app, WindowId id, const char* caption, Change dependsOn);

    // Draws the plot on a canvas of the given size; the legend goes to callbacks.legendReady.
    virtual PlotReport drawPlot(Canvas& canvas, int width, int height, const PlotCallbacks& callbacks) = 0;
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
    // A whole picture has just been drawn.
    virtual void pictureComplete();
    // The element locator of the present mesh, shared by the plot windows and built once per mesh.
    std::shared_ptr<const ElementLocator> locator();

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    // The panel across the top, the help button at its right end.
    void placePanel();
    void documentChanged(Change what);
    void setLegend(const std::string& legend);
    // The legend, and after it the mark of results that no longer answer the problem.
    void showPanelText();
    void drawPicture();
    // One run of the drawing on a canvas; false when it was stopped before the end.
    bool runDrawing(Canvas& canvas, int width, int height, PlotReport& report);
    // Through a file replacement: a failed save leaves the file that was there.
    bool saveSvg(const std::string& path);
    bool savePng(const std::string& path);
    void stopRun();

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
    TrackRecording tracks_; // of the last whole run for this generation
    QSize pictureSize_;
    WindowFeedback* feedback_ = nullptr; // of the run going on
    bool running_ = false;
    bool stoppedByUser_ = false;
    bool ownChange_ = false; // the run's own notice of the heights it clamped
    int drawingsStarted_ = 0;
};

} // namespace velkor
