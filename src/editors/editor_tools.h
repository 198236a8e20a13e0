// One tool per editing mode of the two editors: Drag Node, New Node and New Line in the block
// editor, Add Well and Set Nodes in the mesh editor. A window hands its button clicks and its
// mouse events (as world points) to the tool of the mode that is on, shows the display the tool
// leaves, shows the message it hands back, tells the document what changed and repaints when
// asked. No window here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editors/editor_state.h"
#include "model/changes.h"
#include "model/outcome.h"
#include "model/problem.h"
#include "operations/set_nodes.h"

namespace velkor {

// What an event asks of the window beside showing the display.
struct ToolResponse {
    std::string message;           // shown in a modal message box when not empty
    Change changed = Change::None; // what the event changed in the model
    bool redraw = false;           // the picture must be drawn again
};

enum class CoordinateBox { X, Y };

// The base tool is also the tool of "no mode": a click in the picture only puts the boxes away.
// Every tool shares the rules of the x/y boxes.
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

    // Enter in either box, with the texts of both: the tool acts at the typed point, held to the
    // area. Here (and in Drag Node): the main node the boxes show moves there. A tool that does not
    // take Enter leaves the boxes to their Tab rule.
    virtual bool takesEnter() const;
    virtual ToolResponse enter(std::string_view xText, std::string_view yText);
    // The name of the step an Enter is, for Undo.
    virtual const char* enterStepName() const { return "Move Node"; }

  protected:
    // The typed point, each coordinate read as a number and held to the area.
    double heldX(std::string_view text) const;
    double heldY(std::string_view text) const;
    // The pending node as a row of the node table, or nullptr when it has none.
    Node* pendingRow();

    Problem& problem_;
    EditorState& state_;
    EditorDisplay& display_;
};

// Drag Node: one main node moved per press of the button, from mouse down to mouse up. The boxes
// stay with the node after the release, for coordinates typed in and confirmed with Enter.
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
    // Enter places the node at the typed point as a click there would.
    bool takesEnter() const override { return active(); }
    ToolResponse enter(std::string_view xText, std::string_view yText) override;
    const char* enterStepName() const override { return "New Node"; }
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

// The area Set Nodes is picking, as the window draws it over the mesh.
struct NodePick {
    enum class Phase {
        None,      // nothing picked yet
        Pressed,   // the mouse is down and has not moved far: a drag or a click, not yet known
        Rectangle, // a rectangle is being dragged from start to end
        Polyline   // points have been clicked; end is where the mouse is
    };
    Phase phase = Phase::None;
    PlanPoint start, end;
    std::vector<PlanPoint> points;
};

// Set Nodes: the nodes of an area of the mesh picked at once, to be set together. A drag draws a
// rectangle; clicks lay a line through points, finished by a double click or Enter, caught with a
// tolerance of a few pixels. Escape drops the pick and ends the mode. A finished pick leaves the
// caught nodes ready (the window shows them, asks what to set and sets them in one step), and the
// mode ends with finish(), as Add Well ends after its click.
class SetNodesTool : public EditorTool {
  public:
    // A press and release closer than this are a click, farther apart a drag.
    static constexpr int kDragPixels = 4;
    // A line catches the nodes within this distance of it.
    static constexpr int kTolerancePixels = 5;

    using EditorTool::EditorTool;
    bool active() const { return state_.setNodesMode; }
    // SpeedButtonSetNodesClick: the mode toggles; switched on, it ends Add Well.
    void button();
    // Mode off, pick dropped, the label and the boxes hidden.
    void end();
    // Metres per screen pixel, for the drag distance and the line's tolerance: the window tells it
    // before every event from its view mapping.
    void setPixelSize(double metres) { pixel_ = metres; }
    double tolerance() const { return kTolerancePixels * pixel_; }

    ToolResponse press(double x, double y) override;
    ToolResponse move(double x, double y) override;
    ToolResponse release(double x, double y) override;
    // The second press of a double click ends a line (its point came with the first click).
    ToolResponse doubleClick(double x, double y);
    ToolResponse enterKey();
    ToolResponse escapeKey();

    const NodePick& pick() const { return pick_; }
    // The pick is complete: selection() holds the nodes it caught (perhaps none).
    bool selectionReady() const { return ready_; }
    const NodeSelection& selection() const { return selection_; }
    // The caught nodes have been dealt with: the mode ends.
    void finish() { end(); }

  private:
    bool farApart(const PlanPoint& a, double x, double y) const;
    ToolResponse finishLine();
    void select(NodeSelection selection);

    NodePick pick_;
    NodeSelection selection_;
    bool ready_ = false;
    double pixel_ = 1;
};

} // namespace velkor
