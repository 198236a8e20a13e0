// One tool per editing mode of the two editors: Drag Node, New Node and New Line in the block
// editor, Add Well in the mesh editor. A window hands its button clicks and its mouse events (as
// world points) to the tool of the mode that is on, shows the display the tool leaves, shows the
// message it hands back, tells the document what changed and repaints when asked. No window here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "editors/editor_state.h"
#include "model/changes.h"
#include "model/outcome.h"
#include "model/problem.h"

namespace velkor {

// What an event asks of the window beside showing the display.
struct ToolResponse {
    std::string message;           // shown in a modal message box when not empty
    Change changed = Change::None; // what the event changed in the model
    bool redraw = false;           // the picture must be drawn again
};

enum class CoordinateBox { X, Y };

// The base tool is also the tool of "no mode": it ignores the mouse. Every tool shares the rule
// of the x/y boxes.
class EditorTool {
  public:
    EditorTool(Problem& problem, EditorState& state, EditorDisplay& display)
        : problem_(problem), state_(state), display_(display) {}
    virtual ~EditorTool() = default;
    EditorTool(const EditorTool&) = delete;
    EditorTool& operator=(const EditorTool&) = delete;

    // Mouse down, move and up at a world point (already clamped where the window clamps).
    virtual ToolResponse press(double x, double y);
    virtual ToolResponse move(double x, double y);
    virtual ToolResponse release(double x, double y);

    // EditXExit / EditYExit: the text read as a number, held to the area, stored as X or Y of
    // the pending node and written back; from the second exit since Drag Node was pressed on,
    // the panel and the label go and the results are stale.
    ToolResponse exit(CoordinateBox box, std::string_view text);

  protected:
    // The pending node as a row of the node table, or nullptr when it has none.
    Node* pendingRow();

    Problem& problem_;
    EditorState& state_;
    EditorDisplay& display_;
};

// Drag Node: one main node moved per press of the button, from mouse down to mouse up.
class DragNodeTool : public EditorTool {
  public:
    using EditorTool::EditorTool;
    bool active() const { return state_.dragMode; }
    void button(); // SpeedButtonDragClick
    ToolResponse press(double x, double y) override;
    ToolResponse move(double x, double y) override;
    ToolResponse release(double x, double y) override;
};

// New Node: a main node outside every block, joined by a new block to the nearest block side.
// The preview fills the row of the next main node while the mouse moves, where that row exists.
class NewNodeTool : public EditorTool {
  public:
    using EditorTool::EditorTool;
    bool active() const { return state_.newNodeMode; }
    void button(); // SpeedButtonNodeClick
    ToolResponse press(double x, double y) override;
    ToolResponse move(double x, double y) override;
};

// New Line: from a main node (mouse down) to another (mouse up), closing a new block with a third
// node; the rubber band runs from the start node to the last point the mouse moved to.
class NewLineTool : public EditorTool {
  public:
    using EditorTool::EditorTool;
    bool active() const { return state_.lineMode; }
    void button(); // SpeedButtonLineClick
    ToolResponse press(double x, double y) override;
    ToolResponse move(double x, double y) override;
    ToolResponse release(double x, double y) override;
};

// Add Well: a one-shot mode of the mesh editor; the click (not clamped) places a well on a node
// within the snap radius or at the centre of the element that holds it. Moves only show the
// point in the boxes: the mesh is not drawn again.
class AddWellTool : public EditorTool {
  public:
    using EditorTool::EditorTool;
    bool active() const { return state_.newNodeMode; }
    // SpeedButtonNodeClick: refused while NW = BMAX, else the mode toggles.
    ToolResponse button();
    // Ends the mode (a Split pass ends it, so that the button never shows up while a click would
    // still place a well).
    void end();
    ToolResponse press(double x, double y) override;
    ToolResponse move(double x, double y) override;
};

} // namespace velkor
