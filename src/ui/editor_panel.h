// The pieces the block editor and the mesh editor have in common: the glyphs and tool buttons
// of their tool panels, the status label LabelOperation and the panel PanelXY with the x and y
// boxes, which tells its window when the user leaves a box.
#pragma once

#include <QFrame>
#include <QIcon>

#include <functional>

#include "editors/editor_state.h"
#include "editors/editor_tools.h"

class QLabel;
class QLineEdit;
class QToolButton;

namespace velkor {

inline constexpr int kEditorPanelHeight = 25;

enum class EditorGlyph { DragNode, NewNode, NewLine, AddWell, Split2, Split4 };

// A 21 x 21 icon drawn by the program.
QIcon editorGlyph(EditorGlyph glyph);

// The tool panel across the top of an editor window, in the given colour. Mouse events on it
// stay on it: a click on the panel is never a click in the picture.
QWidget* makeEditorToolPanel(QWidget* window, const QColor& colour);

// A 25 x 25 tool button at `left` on the panel. Checkable buttons show whether their mode is on;
// the window sets that state, the button never keeps one of its own.
QToolButton* makeEditorButton(QWidget* panel, int left, const QIcon& glyph, const char* hint, bool checkable);

// LabelOperation: bold, 13 pixels, on the panel's colour.
QLabel* makeOperationLabel(QWidget* panel);
// Shows the display's label text, sized to it, or hides the label.
void showOperationLabel(QLabel* label, const EditorDisplay& display);

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

} // namespace velkor
