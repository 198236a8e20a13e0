// The model side of the block editor: the view mapping shared with the mesh editor, picking a
// main node, the three block operations (Drag Node, New Node, New Line) and the editor state that
// turns button presses and mouse events into those operations. No window here: the window
// translates its events, shows the texts it is handed and repaints.
#pragma once

#include <cstdint>
#include <string>

#include "model/outcome.h"
#include "model/problem.h"

namespace velkor {

// World <-> screen mapping of the editors for a client area of CW x CH pixels: margins, one
// scale for x and y, the problem area centred in the space left.
struct ViewMapping {
    int ox = 0, oy = 0;        // screen point of the lower left of the available space
    double scale = 1;          // pixels per metre
    double xmin = 0, ymin = 0; // world point at (ox, oy)
    double LX = 0, LY = 0;

    static ViewMapping compute(int CW, int CH, double LX, double LY);

    // Truncated toward zero (held inside the int range).
    int screenX(double x) const;
    int screenY(double y) const;
    double worldX(int sx) const;
    double worldY(int sy) const;
    // The block editor's form: clamped into [0, LX] and [0, LY].
    double clampedWorldX(int sx) const;
    double clampedWorldY(int sy) const;
};

// The nearest main node (lower index on equal distance) if it lies within 0.01 of the diagonal
// of the area from (x, y); -1 otherwise.
int32_t pickMainNode(const Problem& problem, double x, double y);

// Values of a new main node at (x, y), as the New Node preview shows it.
void setNewNodeRow(Node& row, double x, double y);

// A new main node at (x, y), joined by a new block to the block side whose midpoint is nearest.
// Refused for capacity or because the point lies in a block; NothingToDo when there is no block
// side to join.
Result addNodeAndBlock(Problem& problem, double x, double y);

// A new block on the line from main node `start` to the main node picked at (x, y), closed by a
// third node that shares a block with each end. Refused for capacity or when no triangle closes;
// NothingToDo (no message) when no other node was picked: a release far from any node, or on the
// start node, ends the line silently.
Result addLineBlock(Problem& problem, int32_t start, double x, double y);

// Editor state, shared with the mesh editor (pending node, exit count). Points handed to the
// mouse methods are world points already clamped by the window (ViewMapping::clampedWorld*).
class BlockEditorState {
  public:
    bool lineMode = false;
    bool dragMode = false;
    bool newNodeMode = false;
    bool lineStarted = false;
    bool dragging = false;
    int32_t pendingNode = -1;
    int32_t lineStartNode = -1;
    double lineStartX = 0, lineStartY = 0;
    double rubberEndX = 0, rubberEndY = 0;
    int exitCount = 0;

    // What the window shows after an event.
    bool panelShown = false; // PanelXY with EditX and EditY
    std::string editX, editY;
    bool labelShown = false;
    std::string label;

    // What an event asks of the window.
    struct Response {
        std::string message;      // modal message box, when not empty
        bool redraw = false;      // repaint the window (which resets the mesh)
        bool eraseRubber = false; // not-xor line from the line start to the previous rubber end
        double previousEndX = 0, previousEndY = 0;
        bool drawRubber = false; // not-xor line from the line start to the rubber end
    };

    void activate(); // FormActivate
    void dragButton(Problem& problem);
    void nodeButton(Problem& problem);
    void lineButton(Problem& problem);
    Response mouseDown(Problem& problem, double x, double y);
    Response mouseMove(Problem& problem, double x, double y);
    Response mouseUp(Problem& problem, double x, double y);
    // EditXExit / EditYExit: the box text read as a number, clamped to the area.
    Response editExit(Problem& problem, bool xBox, const std::string& text);

  private:
    void hideModeDisplay();
};

} // namespace velkor
