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
#include "ui/secondary_window.h"

class QLabel;
class QLineEdit;
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
    // The mapping of the window's present size.
    ViewMapping viewMapping() const;

    // The x and y boxes act on the pending node, in every mode.
    void EditXExit();
    void EditYExit();
    void SpeedButtonHelpClick();

    QToolButton* SpeedButtonHelp = nullptr;
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

    EditorState& state_;
    EditorDisplay display_;

  private:
    QWidget* toolPanel_ = nullptr;
    std::string helpText_;
};

} // namespace velkor
