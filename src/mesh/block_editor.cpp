#include "mesh/block_editor.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "model/number_text.h"

namespace velkor {

namespace {

const char* const kNodeOrBlockCapacityMessage =
    "Capacity exceeded\n\n"
    "The number of nodes and/or blocks in the problem is too large to add "
    "another node or block.\n\n"
    "The capacity of the program can be increased by increasing the values of "
    "NMAX and BMAX in the Installation Grid of the main window.";

const char* const kBlockCapacityMessage =
    "Capacity exceeded\n\n"
    "The number of blocks in the problem is too large to add another block.\n\n"
    "The capacity of the program can be increased by increasing the value of "
    "BMAX in the Installation Grid of the main window.";

const char* const kNodeInsideBlockMessage = "Node inside block\n\n"
                                            "A new node must be located outside all existing blocks.";

const char* const kNoTriangleMessage = "No triangle created.\n\n"
                                       "A new line must create a new triangular block.";

std::size_t at(int32_t index) {
    return static_cast<std::size_t>(index);
}

int truncated(double value) {
    if (!(value > static_cast<double>(INT_MIN))) return std::isnan(value) ? 0 : INT_MIN;
    if (!(value < static_cast<double>(INT_MAX))) return INT_MAX;
    return static_cast<int>(value);
}

double diagonal(const Problem& p) {
    return std::sqrt(p.LX * p.LX + p.LY * p.LY);
}

double distance(double x1, double y1, double x2, double y2) {
    return std::sqrt((x1 - x2) * (x1 - x2) + (y1 - y2) * (y1 - y2));
}

// Main nodes and blocks must stay inside their tables; a block also becomes an element.
bool nodeAndBlockFit(const Problem& p) {
    const int32_t BMAX = static_cast<int32_t>(p.blocks.size()), NMAX = static_cast<int32_t>(p.nodes.size());
    if (p.NB > BMAX - 2 || p.NA > NMAX - 1) return false;
    return at(p.NB) < p.elements.size();
}

bool blockFits(const Problem& p) {
    const int32_t BMAX = static_cast<int32_t>(p.blocks.size());
    if (p.NB > BMAX - 1) return false;
    return at(p.NB) < p.elements.size();
}

bool blockNodesValid(const Problem& p) {
    if (p.NB < 0 || at(p.NB) > p.blocks.size() || p.NA < 0 || at(p.NA) > p.nodes.size()) return false;
    for (int32_t b = 0; b < p.NB; ++b)
        for (const int32_t n : p.blocks[at(b)].node)
            if (n < 0 || n >= p.NA) return false;
    return true;
}

void appendBlock(Problem& p, int32_t a, int32_t b, int32_t c) {
    const int32_t index = p.NB;
    p.blocks[at(index)] = Block{{a, b, c}, index};
    Element& element = p.elements[at(index)];
    element.node[0] = a;
    element.node[1] = b;
    element.node[2] = c;
    element.soil = index;
    p.NB = index + 1;
    p.NM = p.NB;
}

// The two other nodes of a block in cyclic order after `node`; false when the block lacks it.
bool othersAfter(const Block& block, int32_t node, int32_t& first, int32_t& second) {
    for (int k = 0; k < 3; ++k) {
        if (block.node[k] == node) {
            first = block.node[(k + 1) % 3];
            second = block.node[(k + 2) % 3];
            return true;
        }
    }
    return false;
}

} // namespace

// ---- view mapping --------------------------------------------------------------------------------

ViewMapping ViewMapping::compute(int CW, int CH, double LX, double LY) {
    ViewMapping v;
    v.LX = LX;
    v.LY = LY;
    v.ox = (CW - 1) / 20;
    v.oy = CH - 26;
    const int W = CW - 1 - 2 * v.ox;
    const int H = (CH - 1) - (CH - 1) / 20 - 25;
    const double byWidth = W / LX, byHeight = H / LY;
    v.scale = byHeight < byWidth ? byHeight : byWidth;
    v.xmin = -(W / v.scale - LX) * 0.5;
    v.ymin = -(H / v.scale - LY) * 0.5;
    return v;
}

int ViewMapping::screenX(double x) const {
    return truncated((x - xmin) * scale + ox);
}
int ViewMapping::screenY(double y) const {
    return truncated(oy - (y - ymin) * scale);
}
double ViewMapping::worldX(int sx) const {
    return static_cast<double>(int64_t{sx} - ox) / scale + xmin;
}
double ViewMapping::worldY(int sy) const {
    return ymin - static_cast<double>(int64_t{sy} - oy) / scale;
}

double ViewMapping::clampedWorldX(int sx) const {
    const double x = worldX(sx);
    if (x < 0) return 0;
    if (x > LX) return LX;
    return x;
}

double ViewMapping::clampedWorldY(int sy) const {
    const double y = worldY(sy);
    if (y < 0) return 0;
    if (y > LY) return LY;
    return y;
}

// ---- block operations ----------------------------------------------------------------------------

int32_t pickMainNode(const Problem& p, double x, double y) {
    const int32_t count = std::min<int32_t>(p.NA, static_cast<int32_t>(p.nodes.size()));
    int32_t best = -1;
    double bestDistance = 0;
    for (int32_t i = 0; i < count; ++i) {
        const double d = distance(p.nodes[at(i)].X, p.nodes[at(i)].Y, x, y);
        if (best < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    if (best >= 0 && bestDistance < 0.01 * diagonal(p)) return best;
    return -1;
}

void setNewNodeRow(Node& row, double x, double y) {
    row.X = x;
    row.Y = y;
    row.B = 0;
    row.T = 10;
    row.F = 10;
    row.Q = 0;
    row.Type = 0;
}

Result addNodeAndBlock(Problem& p, double x, double y) {
    if (!nodeAndBlockFit(p)) return Result::failed(Outcome::RefusedCapacity, kNodeOrBlockCapacityMessage);
    if (!blockNodesValid(p)) return Result::failed(Outcome::BadInput, {});
    for (int32_t b = 0; b < p.NB; ++b) {
        const Block& block = p.blocks[at(b)];
        const Node &n1 = p.nodes[at(block.node[0])], &n2 = p.nodes[at(block.node[1])],
                   &n3 = p.nodes[at(block.node[2])];
        if (pointInTriangle(x, y, n1.X, n1.Y, n2.X, n2.Y, n3.X, n3.Y))
            return Result::failed(Outcome::RefusedGeometry, kNodeInsideBlockMessage);
    }
    setNewNodeRow(p.nodes[at(p.NA)], x, y);
    // The new node joins the side whose midpoint is nearest; ties keep the side met first.
    double best = diagonal(p);
    int32_t first = -1, second = -1;
    for (int32_t b = 0; b < p.NB; ++b) {
        const Block& block = p.blocks[at(b)];
        for (int s = 0; s < 3; ++s) {
            const Node& u = p.nodes[at(block.node[s])];
            const Node& v = p.nodes[at(block.node[(s + 1) % 3])];
            const double d = distance((u.X + v.X) * 0.5, (u.Y + v.Y) * 0.5, x, y);
            if (d < best) {
                best = d;
                first = block.node[s];
                second = block.node[(s + 1) % 3];
            }
        }
    }
    // Without any side nearer than the diagonal (no blocks at all) there is nothing to join.
    if (first < 0) return Result::failed(Outcome::NothingToDo, {});
    appendBlock(p, first, second, p.NA);
    p.NA += 1;
    p.NN = p.NA;
    return {};
}

Result addLineBlock(Problem& p, int32_t start, double x, double y) {
    if (!blockFits(p)) return Result::failed(Outcome::RefusedCapacity, kBlockCapacityMessage);
    if (!blockNodesValid(p)) return Result::failed(Outcome::BadInput, {});
    const int32_t end = pickMainNode(p, x, y);
    if (end < 0 || end == start) return Result::failed(Outcome::NothingToDo, {});
    int32_t third = -1;
    for (int32_t z = 0; z < p.NB; ++z) {
        int32_t a = 0, b = 0;
        if (!othersAfter(p.blocks[at(z)], start, a, b)) continue;
        for (int32_t w = 0; w < p.NB; ++w) {
            int32_t c = 0, d = 0;
            if (!othersAfter(p.blocks[at(w)], end, c, d)) continue;
            if (a == c || a == d) third = a;
            if (b == c)
                third = b;
            else if (b == d)
                third = b;
        }
    }
    if (third < 0) return Result::failed(Outcome::RefusedGeometry, kNoTriangleMessage);
    appendBlock(p, start, end, third);
    return {};
}

// ---- editor state --------------------------------------------------------------------------------

void BlockEditorState::activate() {
    lineMode = dragMode = newNodeMode = lineStarted = dragging = false;
    panelShown = false;
    labelShown = false;
    pendingNode = -1;
}

void BlockEditorState::hideModeDisplay() {
    panelShown = false;
    label.clear();
    labelShown = false;
}

void BlockEditorState::dragButton(Problem& p) {
    dragMode = !dragMode;
    if (dragMode) {
        newNodeMode = lineMode = false;
        p.resultsStale = true;
        exitCount = 0;
        panelShown = false;
        label = "Drag Node";
        labelShown = true;
    } else {
        hideModeDisplay();
    }
}

void BlockEditorState::nodeButton(Problem& p) {
    newNodeMode = !newNodeMode;
    if (newNodeMode) {
        p.resultsStale = true;
        dragMode = lineMode = false;
        pendingNode = p.NA;
        label = format("New Node %d", p.NA + 1);
        labelShown = true;
    } else {
        hideModeDisplay();
    }
}

void BlockEditorState::lineButton(Problem& p) {
    lineMode = !lineMode;
    if (lineMode) {
        dragMode = newNodeMode = false;
        panelShown = false;
        label = "New Line";
        labelShown = true;
        p.resultsStale = true;
    } else {
        hideModeDisplay();
    }
}

BlockEditorState::Response BlockEditorState::mouseDown(Problem& p, double x, double y) {
    Response response;
    if (dragMode) {
        const int32_t picked = pickMainNode(p, x, y);
        if (picked >= 0) {
            dragging = true;
            pendingNode = picked;
            panelShown = true;
            editX = format("%10.3f", p.nodes[at(picked)].X);
            editY = format("%10.3f", p.nodes[at(picked)].Y);
        }
    } else if (newNodeMode) {
        if (!nodeAndBlockFit(p)) {
            response.message = kNodeOrBlockCapacityMessage;
            newNodeMode = false;
            hideModeDisplay();
            return response;
        }
        response.message = addNodeAndBlock(p, x, y).message;
        response.redraw = true;
        newNodeMode = false;
        hideModeDisplay();
    } else if (lineMode) {
        const int32_t picked = pickMainNode(p, x, y);
        if (picked >= 0) {
            lineStarted = true;
            lineStartNode = picked;
            lineStartX = rubberEndX = p.nodes[at(picked)].X;
            lineStartY = rubberEndY = p.nodes[at(picked)].Y;
        }
    }
    return response;
}

BlockEditorState::Response BlockEditorState::mouseMove(Problem& p, double x, double y) {
    Response response;
    if (dragging && pendingNode >= 0 && at(pendingNode) < p.nodes.size()) {
        p.nodes[at(pendingNode)].X = x;
        p.nodes[at(pendingNode)].Y = y;
        editX = format("%10.3f", x);
        editY = format("%10.3f", y);
        label = format("Drag Node %d", pendingNode + 1);
        labelShown = true;
        response.redraw = true;
    } else if (newNodeMode) {
        panelShown = true;
        // The preview row is the next main node; at full capacity there is no row to show it in.
        if (p.NA >= 0 && at(p.NA) < p.nodes.size()) setNewNodeRow(p.nodes[at(p.NA)], x, y);
        editX = format("%10.3f", x);
        editY = format("%10.3f", y);
        label = format("New Node %d", p.NA + 1);
        labelShown = true;
    } else if (lineMode && lineStarted) {
        response.eraseRubber = true;
        response.previousEndX = rubberEndX;
        response.previousEndY = rubberEndY;
        response.drawRubber = true;
        rubberEndX = x;
        rubberEndY = y;
    }
    return response;
}

BlockEditorState::Response BlockEditorState::mouseUp(Problem& p, double x, double y) {
    Response response;
    if (dragMode) {
        dragging = false;
        dragMode = false;
        hideModeDisplay();
    } else if (lineMode) {
        if (lineStarted) {
            if (!blockFits(p)) {
                response.message = kBlockCapacityMessage;
            } else {
                response.eraseRubber = true;
                response.previousEndX = x;
                response.previousEndY = y;
                response.message = addLineBlock(p, lineStartNode, x, y).message;
            }
        }
        lineStarted = false;
        lineMode = false;
        hideModeDisplay();
        response.redraw = true;
    }
    return response;
}

BlockEditorState::Response BlockEditorState::editExit(Problem& p, bool xBox, const std::string& text) {
    Response response;
    double value = readReal(text);
    const double limit = xBox ? p.LX : p.LY;
    if (value < 0) value = 0;
    if (value > limit) value = limit;
    if (pendingNode >= 0 && at(pendingNode) < p.nodes.size()) {
        if (xBox)
            p.nodes[at(pendingNode)].X = value;
        else
            p.nodes[at(pendingNode)].Y = value;
    }
    (xBox ? editX : editY) = format("%10.3f", value);
    ++exitCount;
    if (exitCount >= 2) {
        hideModeDisplay();
        p.resultsStale = true;
    }
    response.redraw = true;
    return response;
}

} // namespace velkor
