#include "editors/editor_drawing.h"

#include <cstdint>

#include "model/number_text.h"

namespace velkor {

namespace {

std::size_t at(int32_t index) {
    return static_cast<std::size_t>(index);
}

CanvasPoint screenPoint(const ViewMapping& view, const Node& node) {
    return {view.screenX(node.X), view.screenY(node.Y)};
}

// Four silver strips two pixels wide around the area, and the area itself in white.
void drawProblemArea(Canvas& canvas, const Problem& p, const ViewMapping& view) {
    const int left = view.screenX(0), right = view.screenX(p.LX);
    const int bottom = view.screenY(0), top = view.screenY(p.LY);
    canvas.setPenColour(kSilver);
    canvas.setBrush(kSilver);
    canvas.rectangle(left - 2, top - 2, left, bottom + 2);
    canvas.rectangle(right, top - 2, right + 2, bottom + 2);
    canvas.rectangle(left - 2, bottom, right + 2, bottom + 2);
    canvas.rectangle(left - 2, top - 2, right + 2, top);
    canvas.setPenColour(kWhite);
    canvas.setBrush(kWhite);
    canvas.rectangle(left, top, right, bottom);
}

// A stored corner that does not name a node of the table is not drawn (a table read from a file
// is trusted, but a picture never reads past a table).
bool cornersInside(const int32_t (&corners)[3], int32_t count) {
    for (const int32_t n : corners)
        if (n < 0 || n >= count) return false;
    return true;
}

} // namespace

Colour blockColour(const Problem& p, int32_t block) {
    const uint32_t value = p.blockColour(block); // 0x00BBGGRR
    return Colour{static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>((value >> 8) & 0xFF),
                  static_cast<uint8_t>((value >> 16) & 0xFF)};
}

void drawBlockEditor(Canvas& canvas, const Problem& p, const ViewMapping& view) {
    drawProblemArea(canvas, p, view);
    canvas.setPenColour(kBlack);
    canvas.setFont(kBlockNumberFont);
    const int32_t mainNodes = p.usedMainNodeCount();
    const int32_t blocks = p.usedBlockCount();
    for (int32_t i = 0; i < blocks; ++i) {
        const Block& block = p.blocks[at(i)];
        if (!cornersInside(block.node, mainNodes)) continue;
        const CanvasPoint a = screenPoint(view, p.nodes[at(block.node[0])]);
        const CanvasPoint b = screenPoint(view, p.nodes[at(block.node[1])]);
        const CanvasPoint c = screenPoint(view, p.nodes[at(block.node[2])]);
        canvas.setBrush(blockColour(p, i));
        canvas.polygon(a, b, c);
        const int64_t x = (int64_t{a.x} + b.x + c.x) / 3, y = (int64_t{a.y} + b.y + c.y) / 3;
        canvas.text(static_cast<int>(x), static_cast<int>(y), format("%d", i + 1));
    }
    canvas.setBrush(kWhite);
    canvas.setFont(kNodeNumberFont);
    for (int32_t j = 0; j < mainNodes; ++j) {
        const CanvasPoint n = screenPoint(view, p.nodes[at(j)]);
        canvas.text(n.x - 2, n.y - 4, format("%d", j + 1));
    }
}

void drawMeshEditor(Canvas& canvas, const Problem& p, const ViewMapping& view) {
    drawProblemArea(canvas, p, view);
    canvas.setPenColour(kBlack);
    const int32_t nodes = p.usedNodeCount();
    const int32_t elements = p.usedElementCount();
    // A million elements come from a few blocks: the brush changes only where the soil does.
    int32_t brushSoil = -1;
    bool brushSet = false;
    for (int32_t e = 0; e < elements; ++e) {
        const Element& element = p.elements[at(e)];
        if (!cornersInside(element.node, nodes)) continue;
        if (!brushSet || element.soil != brushSoil) {
            canvas.setBrush(blockColour(p, element.soil));
            brushSoil = element.soil;
            brushSet = true;
        }
        canvas.polygon(screenPoint(view, p.nodes[at(element.node[0])]),
                       screenPoint(view, p.nodes[at(element.node[1])]),
                       screenPoint(view, p.nodes[at(element.node[2])]));
    }
    canvas.setPenColour(kRed);
    canvas.setBrush(kWhite);
    const int32_t wells = p.usedWellCount();
    for (int32_t w = 0; w < wells; ++w) {
        const int32_t node = p.wellNodes[at(w)];
        if (node < 0 || node >= nodes) continue;
        const CanvasPoint c = screenPoint(view, p.nodes[at(node)]);
        canvas.ellipse(c.x - 3, c.y - 3, c.x + 3, c.y + 3);
    }
    canvas.setPenColour(kBlack);
}

void drawRubberBand(Canvas& canvas, const EditorState& state, const ViewMapping& view) {
    if (!state.lineStarted) return;
    canvas.setPen(Pen{kBlack, PenStyle::Solid, 1, PenMode::NotXor});
    canvas.line(view.screenX(state.lineStartX), view.screenY(state.lineStartY),
                view.screenX(state.rubberEndX), view.screenY(state.rubberEndY));
    canvas.setPenColour(kBlack);
}

void drawNodePick(Canvas& canvas, const Problem& p, const SetNodesTool& tool, const ViewMapping& view) {
    if (!tool.active()) return;
    const NodePick& pick = tool.pick();
    auto segment = [&](const PlanPoint& a, const PlanPoint& b) {
        canvas.line(view.screenX(a.x), view.screenY(a.y), view.screenX(b.x), view.screenY(b.y));
    };
    canvas.setPen(Pen{kBlack, PenStyle::Solid, 1, PenMode::NotXor});
    if (pick.phase == NodePick::Phase::Rectangle) {
        const PlanPoint a = pick.start, c = pick.end;
        const PlanPoint b{c.x, a.y}, d{a.x, c.y};
        segment(a, b);
        segment(b, c);
        segment(c, d);
        segment(d, a);
    } else if (pick.phase == NodePick::Phase::Polyline && !pick.points.empty()) {
        for (std::size_t k = 1; k < pick.points.size(); ++k)
            segment(pick.points[k - 1], pick.points[k]);
        // The segment to the mouse, while the line is still being laid.
        if (!tool.selectionReady()) segment(pick.points.back(), pick.end);
    }
    canvas.setPenColour(kBlack);
    if (!tool.selectionReady()) return;
    canvas.setBrush(kYellow);
    const int32_t nodes = p.usedNodeCount();
    for (const int32_t n : tool.selection().nodes) {
        if (n < 0 || n >= nodes) continue;
        const CanvasPoint c = screenPoint(view, p.nodes[at(n)]);
        canvas.rectangle(c.x - 3, c.y - 3, c.x + 3, c.y + 3);
    }
}

} // namespace velkor
