#include "editors/editor_drawing.h"

#include <algorithm>
#include <cstdint>

#include "model/number_text.h"
#include "model/table.h"

namespace velkor {

namespace {

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
        const Block& block = p.blocks[idx(i)];
        if (!cornersInside(block.node, mainNodes)) continue;
        const CanvasPoint a = screenPoint(view, p.nodes[idx(block.node[0])]);
        const CanvasPoint b = screenPoint(view, p.nodes[idx(block.node[1])]);
        const CanvasPoint c = screenPoint(view, p.nodes[idx(block.node[2])]);
        canvas.setBrush(blockColour(p, i));
        canvas.polygon(a, b, c);
        const int64_t x = (int64_t{a.x} + b.x + c.x) / 3, y = (int64_t{a.y} + b.y + c.y) / 3;
        canvas.text(static_cast<int>(x), static_cast<int>(y), format("%d", i + 1));
    }
    canvas.setBrush(kWhite);
    canvas.setFont(kNodeNumberFont);
    for (int32_t j = 0; j < mainNodes; ++j) {
        const CanvasPoint n = screenPoint(view, p.nodes[idx(j)]);
        canvas.text(n.x - 2, n.y - 4, format("%d", j + 1));
    }
}

void drawMeshEditor(Canvas& canvas, const Problem& p, const ViewMapping& view,
                    const MeshPictureOptions& options) {
    drawProblemArea(canvas, p, view);
    const int32_t nodes = p.usedNodeCount();
    const int32_t elements = p.usedElementCount();
    // An element on the screen: false when it is not drawn at all (bad corners, or off the canvas
    // of a zoomed picture); dense when it is drawn without its sides.
    auto place = [&](int32_t e, CanvasPoint(&corner)[3], bool& dense) {
        const Element& element = p.elements[idx(e)];
        if (!cornersInside(element.node, nodes)) return false;
        for (int k = 0; k < 3; ++k)
            corner[k] = screenPoint(view, p.nodes[idx(element.node[k])]);
        const auto [left, right] = std::minmax({corner[0].x, corner[1].x, corner[2].x});
        const auto [top, bottom] = std::minmax({corner[0].y, corner[1].y, corner[2].y});
        if (options.cull &&
            (right < 0 || left > options.canvasWidth || bottom < 0 || top > options.canvasHeight))
            return false;
        // Measured before the truncation to whole pixels, so that a mesh of even elements is all
        // dense or not at all.
        const Node& a = p.nodes[idx(element.node[0])];
        const Node& b = p.nodes[idx(element.node[1])];
        const Node& c = p.nodes[idx(element.node[2])];
        const auto [xmin, xmax] = std::minmax({a.X, b.X, c.X});
        const auto [ymin, ymax] = std::minmax({a.Y, b.Y, c.Y});
        dense = !options.meshLines || ((xmax - xmin) * view.scale < kDenseMeshElement &&
                                       (ymax - ymin) * view.scale < kDenseMeshElement);
        return true;
    };
    // The elements to look at, in table order: with culling, only the runs near the canvas.
    WorldRect window{view.worldX(-1), view.worldY(options.canvasHeight + 1),
                     view.worldX(options.canvasWidth + 1), view.worldY(-1)};
    const std::vector<ElementRuns::Span> spans =
        elementSpans(options.runs, elements, options.cull ? &window : nullptr, view.scale, kDenseMeshElement);
    bool outlineBlocks = false;
    for (const ElementRuns::Span& span : spans) {
        if (span.noneSmall && options.meshLines) continue;
        for (int32_t e = span.first; e < span.last && !outlineBlocks; ++e) {
            CanvasPoint corner[3];
            bool dense = false;
            outlineBlocks = place(e, corner, dense) && dense;
        }
    }
    const int32_t mainNodes = p.usedMainNodeCount();
    const int32_t blocks = p.usedBlockCount();
    auto blockCorners = [&](int32_t b, CanvasPoint(&corner)[3]) {
        const Block& block = p.blocks[idx(b)];
        if (!cornersInside(block.node, mainNodes)) return false;
        for (int k = 0; k < 3; ++k)
            corner[k] = screenPoint(view, p.nodes[idx(block.node[k])]);
        return true;
    };
    if (outlineBlocks) {
        for (int32_t b = 0; b < blocks; ++b) {
            CanvasPoint corner[3];
            if (!blockCorners(b, corner)) continue;
            canvas.setPenColour(blockColour(p, b));
            canvas.setBrush(blockColour(p, b));
            canvas.polygon(corner[0], corner[1], corner[2]);
        }
    }

    canvas.setPenColour(kBlack);
    // A million elements come from a few blocks: the brush changes only where the soil does.
    int32_t brushSoil = -1;
    bool brushSet = false;
    for (const ElementRuns::Span& span : spans) {
        if (span.allSmall || !options.meshLines) continue;
        for (int32_t e = span.first; e < span.last; ++e) {
            CanvasPoint corner[3];
            bool dense = false;
            if (!place(e, corner, dense) || dense) continue;
            const Element& element = p.elements[idx(e)];
            if (!brushSet || element.soil != brushSoil) {
                canvas.setBrush(blockColour(p, element.soil));
                brushSoil = element.soil;
                brushSet = true;
            }
            canvas.polygon(corner[0], corner[1], corner[2]);
        }
    }
    if (outlineBlocks) {
        for (int32_t b = 0; b < blocks; ++b) {
            CanvasPoint corner[3];
            if (!blockCorners(b, corner)) continue;
            for (int k = 0; k < 3; ++k)
                canvas.line(corner[k].x, corner[k].y, corner[(k + 1) % 3].x, corner[(k + 1) % 3].y);
        }
    }
    canvas.setPenColour(kRed);
    canvas.setBrush(kWhite);
    const int32_t wells = p.usedWellCount();
    for (int32_t w = 0; w < wells; ++w) {
        const int32_t node = p.wellNodes[idx(w)];
        if (node < 0 || node >= nodes) continue;
        const CanvasPoint c = screenPoint(view, p.nodes[idx(node)]);
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
        const CanvasPoint c = screenPoint(view, p.nodes[idx(n)]);
        canvas.rectangle(c.x - 3, c.y - 3, c.x + 3, c.y + 3);
    }
}

} // namespace velkor
