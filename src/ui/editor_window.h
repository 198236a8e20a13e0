// What the block editor and the mesh editor have in common: a stay-on-top window with a tool
// panel across its top (tool buttons at the left, Help at the right edge, the status label
// LabelOperation and the panel PanelXY with the x and y boxes), the view mapping of its size, and
// the way an event's outcome reaches the screen.
#pragma once

#include <QFrame>

#include <functional>
#include <string>

#include "editors/editor_state.h"
#include "editors/editor_tools.h"
#include "editors/view_mapping.h"
#include "editors/view_navigation.h"
#include "results/zoom_view.h"
#include "ui/secondary_window.h"

class QLabel;
class QLineEdit;
class QMouseEvent;
class QRubberBand;
class QToolButton;

namespace velkor {

inline constexpr int kEditorPanelHeight = 25;

enum class EditorGlyph { DragNode, NewNode, NewLine, AddWell, Split2, Split4, SetNodes };

// PanelXY: "x = " EditX and "y = " EditY on yellow.
class CoordinatePanel : public QFrame {
    Q_OBJECT
  public:
    explicit CoordinatePanel(QWidget* parent);

    QLineEdit* EditX = nullptr;
    QLineEdit* EditY = nullptr;

    // Focus left a box for another control of the window (Tab, Enter, a click on the other box).
    std::function<void(CoordinateBox)> onExit;
    // Enter in a box: true when the window acted on it; otherwise Enter leaves the box as Tab does.
    std::function<bool()> onEnter;

    // Shows the panel (or hides it) with the display's texts. A box the user is typing into keeps
    // what was typed until it is left.
    void showDisplay(const EditorDisplay& display);
    // A box holding typed text is left as if by Tab: before a tool button or a click in the
    // picture acts, what was typed has been taken.
    void commitTypedText();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void exitBox(QLineEdit* box);
    bool exiting_ = false;
};

class EditorWindow : public SecondaryWindow {
    Q_OBJECT
  public:
    // The mapping of the window's present size and view (zoomed or the full view).
    ViewMapping viewMapping() const;
    // The full view of the window's present size, which the zoom starts from.
    ViewMapping fullViewMapping() const;
    const ZoomView& zoomView() const { return zoom_; }

    // The Fit button: the full view again (as Home does).
    void SpeedButtonFitClick();

    // The x and y boxes act on the pending node, in every mode.
    void EditXExit();
    void EditYExit();
    // Enter in either box: the tool of the mode acts at the typed point, as one step.
    bool EditXYEnter();
    void SpeedButtonHelpClick();

    QToolButton* SpeedButtonHelp = nullptr;
    QToolButton* SpeedButtonFit = nullptr;
    QLabel* LabelCursor = nullptr; // the world point under the mouse
    QLabel* LabelOperation = nullptr;
    CoordinatePanel* PanelXY = nullptr;
    QLineEdit* EditX = nullptr;
    QLineEdit* EditY = nullptr;

  protected:
    // A window with its tool panel in the given colour; Help shows the help text.
    EditorWindow(Application& app, WindowId id, const char* caption, const QColor& panelColour,
                 std::string helpText);

    QWidget* toolPanel() const { return toolPanel_; }
    // A 25 x 25 button at `left` on the tool panel. A checkable one shows whether its mode is
    // on; the window sets that state, the button never keeps one of its own.
    QToolButton* addToolButton(int left, EditorGlyph glyph, const char* hint, bool checkable);
    // PanelXY and LabelOperation hidden, at 0.55 and 0.45 of the window's width.
    void placeModeDisplay();

    // The tool the boxes hand their text to.
    virtual EditorTool& boxTool() = 0;
    // The mode buttons down or up as the modes are.
    virtual void showModeButtons() = 0;
    // The display, the mode buttons, a change made within the document's open step, the picture
    // asked for and, last, the message.
    void apply(const ToolResponse& response);
    // A tool event that changes the problem, run as one step of the document named `name`.
    ToolResponse step(const std::string& name, const std::function<ToolResponse()>& event);
    void showDisplay();

    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

    // The mouse events of the window go to the view navigation first: true when it took them
    // (zoom, pan, zoom box), and the tools must not see them. A move also shows the cursor's
    // world position.
    bool navigationPress(QMouseEvent* event);
    bool navigationMove(QMouseEvent* event);
    bool navigationRelease(QMouseEvent* event);
    // The view changed: the picture is drawn for it.
    virtual void viewChanged();
    // The full view again, without drawing (the window is being shown).
    void resetView();

    EditorState& state_;
    EditorDisplay display_;

  private:
    void applyNavigation(const NavigationResponse& response);
    void showCursorPosition(QPoint point);

    QWidget* toolPanel_ = nullptr;
    std::string helpText_;
    mutable ZoomView zoom_; // its full view follows the window's size and the area
    ViewNavigation navigation_{zoom_};
    QRubberBand* zoomBox_ = nullptr;
};

} // namespace velkor
