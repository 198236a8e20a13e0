#include "editors/editor_tools.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "mesh/block_operations.h"
#include "mesh/refinement.h"
#include "model/number_text.h"
#include "model/table.h"
#include "operations/mesh_edits.h"

namespace velkor {

namespace {

std::string coordinateText(double value) {
    return format("%10.3f", value);
}

void showPoint(EditorDisplay& display, double x, double y) {
    display.editX = coordinateText(x);
    display.editY = coordinateText(y);
}

void showLabel(EditorDisplay& display, std::string text) {
    display.label = std::move(text);
    display.labelShown = true;
}

} // namespace

// ---- every tool ------------------------------------------------------------------------------

ToolResponse EditorTool::press(double, double) {
    // The boxes left with a node after a drag go with a click elsewhere.
    if (display_.panelShown) {
        display_.hideModeDisplay();
        state_.pendingNode = -1;
    }
    return {};
}
ToolResponse EditorTool::move(double, double) {
    return {};
}
ToolResponse EditorTool::release(double, double) {
    return {};
}

Node* EditorTool::pendingRow() {
    const int32_t node = state_.pendingNode;
    if (node < 0 || idx(node) >= problem_.nodes.size()) return nullptr;
    return &problem_.nodes[idx(node)];
}

double EditorTool::heldX(std::string_view text) const {
    return std::clamp(readReal(text), 0.0, problem_.LX);
}
double EditorTool::heldY(std::string_view text) const {
    return std::clamp(readReal(text), 0.0, problem_.LY);
}

bool EditorTool::takesEnter() const {
    return display_.panelShown && state_.pendingNode >= 0 && state_.pendingNode < problem_.NA;
}

ToolResponse EditorTool::enter(std::string_view xText, std::string_view yText) {
    ToolResponse response;
    if (!takesEnter()) return response;
    const double x = heldX(xText), y = heldY(yText);
    response.changed = moveMainNode(problem_, state_.pendingNode, x, y).changed;
    showPoint(display_, x, y);
    response.redraw = true;
    return response;
}

ToolResponse EditorTool::exit(CoordinateBox box, std::string_view text) {
    ToolResponse response;
    const bool xBox = box == CoordinateBox::X;
    const double value = xBox ? heldX(text) : heldY(text);
    // The pending node of New Node and Add Well is the next free row, which may not exist and is
    // no node of the problem yet: only its preview moves.
    if (Node* row = pendingRow()) {
        if (state_.pendingNode < problem_.NN) {
            const Applied moved =
                moveMainNode(problem_, state_.pendingNode, xBox ? value : row->X, xBox ? row->Y : value);
            response.changed = moved.changed;
        } else {
            (xBox ? row->X : row->Y) = value;
        }
    }
    (xBox ? display_.editX : display_.editY) = coordinateText(value);
    if (state_.exitCount < INT_MAX) ++state_.exitCount;
    if (state_.exitCount >= 2) display_.hideModeDisplay();
    response.redraw = true;
    return response;
}

// ---- Drag Node -------------------------------------------------------------------------------

void DragNodeTool::button() {
    state_.dragMode = !state_.dragMode;
    if (state_.dragMode) {
        state_.newNodeMode = state_.lineMode = false;
        state_.exitCount = 0;
        display_.panelShown = false;
        showLabel(display_, "Drag Node");
    } else {
        display_.hideModeDisplay();
    }
}

ToolResponse DragNodeTool::press(double x, double y) {
    const int32_t picked = pickMainNode(problem_, x, y);
    if (picked >= 0) {
        state_.dragging = true;
        state_.pendingNode = picked;
        display_.panelShown = true;
        // The boxes start from the node itself, not from the point clicked near it.
        showPoint(display_, problem_.nodes[idx(picked)].X, problem_.nodes[idx(picked)].Y);
    }
    return {};
}

ToolResponse DragNodeTool::move(double x, double y) {
    ToolResponse response;
    if (!state_.dragging) return response;
    response.changed = moveMainNode(problem_, state_.pendingNode, x, y).changed;
    showPoint(display_, x, y);
    showLabel(display_, format("Drag Node %d", state_.pendingNode + 1));
    response.redraw = true;
    return response;
}

ToolResponse DragNodeTool::release(double, double) {
    const bool picked = state_.dragging;
    state_.dragging = false;
    state_.dragMode = false;
    display_.hideModeDisplay();
    // The node stays in the boxes, where its coordinates can be typed.
    if (picked) {
        if (const Node* row = pendingRow()) showPoint(display_, row->X, row->Y);
        display_.panelShown = true;
    }
    return {};
}

// ---- New Node --------------------------------------------------------------------------------

void NewNodeTool::button() {
    state_.newNodeMode = !state_.newNodeMode;
    if (state_.newNodeMode) {
        state_.dragMode = state_.lineMode = false;
        state_.pendingNode = problem_.NA;
        // The boxes show the new node's place from the first move on.
        display_.panelShown = false;
        showLabel(display_, format("New Node %d", problem_.NA + 1));
    } else {
        display_.hideModeDisplay();
    }
}

ToolResponse NewNodeTool::move(double x, double y) {
    display_.panelShown = true;
    // The preview row is the next main node; with the node table full there is no row to show
    // it in, and the click will be refused for capacity.
    if (problem_.NA >= 0 && idx(problem_.NA) < problem_.nodes.size())
        setNewNodeRow(problem_.nodes[idx(problem_.NA)], x, y);
    showPoint(display_, x, y);
    showLabel(display_, format("New Node %d", problem_.NA + 1));
    return {};
}

ToolResponse NewNodeTool::press(double x, double y) {
    ToolResponse response;
    const Applied added = addMainNode(problem_, x, y);
    response.message = added.result.message;
    response.changed = added.changed;
    // A capacity refusal comes before anything is looked at: the picture stays as it is.
    response.redraw = added.result.outcome != Outcome::RefusedCapacity;
    state_.newNodeMode = false;
    display_.hideModeDisplay();
    return response;
}

ToolResponse NewNodeTool::enter(std::string_view xText, std::string_view yText) {
    if (!active()) return {};
    return press(heldX(xText), heldY(yText));
}

// ---- New Line --------------------------------------------------------------------------------

void NewLineTool::button() {
    state_.lineMode = !state_.lineMode;
    if (state_.lineMode) {
        state_.dragMode = state_.newNodeMode = false;
        display_.panelShown = false;
        showLabel(display_, "New Line");
    } else {
        display_.hideModeDisplay();
    }
}

ToolResponse NewLineTool::press(double x, double y) {
    ToolResponse response;
    const int32_t picked = pickMainNode(problem_, x, y);
    if (picked >= 0) {
        state_.lineStarted = true;
        state_.lineStartNode = picked;
        state_.lineStartX = state_.rubberEndX = problem_.nodes[idx(picked)].X;
        state_.lineStartY = state_.rubberEndY = problem_.nodes[idx(picked)].Y;
        response.redraw = true;
    }
    return response;
}

ToolResponse NewLineTool::move(double x, double y) {
    ToolResponse response;
    if (!state_.lineStarted) return response;
    state_.rubberEndX = x;
    state_.rubberEndY = y;
    response.redraw = true;
    return response;
}

ToolResponse NewLineTool::release(double x, double y) {
    ToolResponse response;
    if (state_.lineStarted) {
        const Applied added = addBlockOnLine(problem_, state_.lineStartNode, x, y);
        response.message = added.result.message;
        response.changed = added.changed;
    }
    state_.lineStarted = false;
    state_.lineMode = false;
    display_.hideModeDisplay();
    response.redraw = true;
    return response;
}

// ---- Add Well --------------------------------------------------------------------------------

ToolResponse AddWellTool::button() {
    ToolResponse response;
    response.redraw = true;
    const int32_t BMAX = static_cast<int32_t>(std::min(problem_.wellNodes.size(), problem_.wellQ.size()));
    if (problem_.NW >= BMAX) {
        response.message = kWellCapacityMessage;
        return response;
    }
    state_.newNodeMode = !state_.newNodeMode;
    if (state_.newNodeMode) {
        state_.setNodesMode = false;
        state_.pendingNode = problem_.NN;
        showLabel(display_, "New Well");
    } else {
        display_.hideModeDisplay();
    }
    return response;
}

void AddWellTool::end() {
    state_.newNodeMode = false;
    display_.hideModeDisplay();
}

ToolResponse AddWellTool::move(double x, double y) {
    if (state_.newNodeMode) {
        display_.panelShown = true;
        showPoint(display_, x, y);
        showLabel(display_, "New Well");
    }
    return {};
}

ToolResponse AddWellTool::press(double x, double y) {
    ToolResponse response;
    if (!state_.newNodeMode) return response;
    const Applied added = addWellAt(problem_, x, y);
    response.message = added.result.message;
    response.changed = added.changed;
    response.redraw = true;
    end();
    return response;
}

// ---- Set Nodes -------------------------------------------------------------------------------

void SetNodesTool::button() {
    const bool on = !state_.setNodesMode;
    end();
    if (!on) return;
    state_.setNodesMode = true;
    state_.newNodeMode = false;
    showLabel(display_, "Set Nodes");
}

void SetNodesTool::end() {
    state_.setNodesMode = false;
    pick_ = NodePick{};
    selection_ = NodeSelection{};
    ready_ = false;
    display_.hideModeDisplay();
}

bool SetNodesTool::farApart(const PlanPoint& a, double x, double y) const {
    const double limit = kDragPixels * pixel_;
    return std::fabs(x - a.x) > limit || std::fabs(y - a.y) > limit;
}

void SetNodesTool::select(NodeSelection selection) {
    selection_ = std::move(selection);
    ready_ = true;
}

ToolResponse SetNodesTool::press(double x, double y) {
    if (!active() || ready_) return {};
    showPoint(display_, x, y);
    // A press on a line being laid adds nothing yet: its point comes with the release.
    if (pick_.phase == NodePick::Phase::None) {
        pick_.phase = NodePick::Phase::Pressed;
        pick_.start = pick_.end = PlanPoint{x, y};
    }
    return {};
}

ToolResponse SetNodesTool::move(double x, double y) {
    ToolResponse response;
    if (!active() || ready_) return response;
    display_.panelShown = true;
    showPoint(display_, x, y);
    showLabel(display_, "Set Nodes");
    switch (pick_.phase) {
    case NodePick::Phase::None:
        return response;
    case NodePick::Phase::Pressed:
        if (!farApart(pick_.start, x, y)) return response;
        pick_.phase = NodePick::Phase::Rectangle;
        break;
    case NodePick::Phase::Rectangle:
    case NodePick::Phase::Polyline:
        break;
    }
    pick_.end = PlanPoint{x, y};
    response.redraw = true;
    return response;
}

ToolResponse SetNodesTool::release(double x, double y) {
    ToolResponse response;
    if (!active() || ready_) return response;
    switch (pick_.phase) {
    case NodePick::Phase::None:
        return response;
    case NodePick::Phase::Pressed:
        // A click: the first point of a line.
        pick_.phase = NodePick::Phase::Polyline;
        pick_.points.assign(1, pick_.start);
        break;
    case NodePick::Phase::Rectangle:
        select(nodesInRectangle(problem_, pick_.start.x, pick_.start.y, x, y));
        break;
    case NodePick::Phase::Polyline:
        if (farApart(pick_.points.back(), x, y)) pick_.points.push_back(PlanPoint{x, y});
        break;
    }
    pick_.end = PlanPoint{x, y};
    response.redraw = true;
    return response;
}

ToolResponse SetNodesTool::doubleClick(double x, double y) {
    if (!active() || ready_) return {};
    // The first click of the pair has laid its point already; a double click elsewhere (or out of
    // nothing) lays its own.
    if (pick_.points.empty() || farApart(pick_.points.back(), x, y)) pick_.points.push_back(PlanPoint{x, y});
    pick_.phase = NodePick::Phase::Polyline;
    return finishLine();
}

ToolResponse SetNodesTool::enterKey() {
    if (!active() || ready_ || pick_.phase != NodePick::Phase::Polyline) return {};
    return finishLine();
}

ToolResponse SetNodesTool::escapeKey() {
    ToolResponse response;
    if (!active()) return response;
    end();
    response.redraw = true;
    return response;
}

ToolResponse SetNodesTool::finishLine() {
    select(nodesNearPolyline(problem_, pick_.points, tolerance()));
    ToolResponse response;
    response.redraw = true;
    return response;
}

} // namespace velkor
