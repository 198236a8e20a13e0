#include "manual/manual_figures.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "model/problem.h"

namespace velkor::manual {

namespace {

struct Point {
    double x = 0, y = 0;
};

Point between(const Point& a, const Point& b, double t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

// Model coordinates (x to the right, y up) of one figure, mapped into the inner part of its
// box with one scale for both directions, centred.
class FigureFrame {
  public:
    FigureFrame(int left, int top, int width, int height, double modelWidth, double modelHeight) {
        const int margin = std::max(4, width / 14);
        const double innerWidth = std::max(1, width - 2 * margin);
        const double innerHeight = std::max(1, height - 2 * margin);
        scale_ = std::min(innerWidth / modelWidth, innerHeight / modelHeight);
        originX_ = left + margin + (innerWidth - modelWidth * scale_) / 2;
        originY_ = top + margin + (innerHeight + modelHeight * scale_) / 2;
    }

    CanvasPoint at(const Point& p) const {
        return {static_cast<int>(std::lround(originX_ + p.x * scale_)),
                static_cast<int>(std::lround(originY_ - p.y * scale_))};
    }

  private:
    double scale_ = 1;
    double originX_ = 0, originY_ = 0;
};

// A figure in progress: the canvas, the frame and the line width of this box.
struct Drawing {
    Canvas& canvas;
    FigureFrame frame;
    int lineWidth;

    void pen(Colour colour, PenStyle style = PenStyle::Solid, int extra = 0) {
        canvas.setPen(Pen{colour, style, lineWidth + extra, PenMode::Copy});
    }
    void line(const Point& a, const Point& b) {
        const CanvasPoint p = frame.at(a), q = frame.at(b);
        canvas.line(p.x, p.y, q.x, q.y);
    }
    void triangle(const Point& a, const Point& b, const Point& c, Colour fill) {
        canvas.setBrush(fill);
        canvas.polygon(frame.at(a), frame.at(b), frame.at(c));
    }
    // A quadrilateral band as two triangles in one colour, without outline.
    void band(const Point& a, const Point& b, const Point& c, const Point& d, Colour fill) {
        pen(fill);
        triangle(a, b, c, fill);
        triangle(a, c, d, fill);
    }
    void label(const Point& at, const char* text, Colour background) {
        const CanvasPoint p = frame.at(at);
        canvas.setBrush(background);
        canvas.text(p.x, p.y, text);
    }
};

// The colours the editors give blocks 1, 2, 3, ...: the program's own colour table.
Colour blockColour(int block) {
    static const std::array<uint32_t, kColourCount> table = buildColourTable();
    const uint32_t value = table[idx(block % kColourCount)];
    return Colour{static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>((value >> 8) & 0xFF),
                  static_cast<uint8_t>((value >> 16) & 0xFF)};
}

// Figure 1: a rectangle of two blocks along its diagonal, and 10 x 10 squares each cut along
// the same diagonal direction, so that every one of the 200 triangles lies in one block.
void drawMesh(Drawing& d) {
    constexpr double W = 10, H = 6;
    d.pen(kBlack);
    d.triangle({0, 0}, {W, 0}, {W, H}, kLime);
    d.triangle({0, 0}, {W, H}, {0, H}, kYellow);
    for (int k = 1; k < 10; ++k) {
        d.line({W * k / 10, 0}, {W * k / 10, H});
        d.line({0, H * k / 10}, {W, H * k / 10});
    }
    for (int i = 0; i < 10; ++i)
        for (int j = 0; j < 10; ++j)
            d.line({W * i / 10, H * j / 10}, {W * (i + 1) / 10, H * (j + 1) / 10});
}

// Figure 2: the aquifer between bottom and top (green), the layer above it (yellow), and the
// head falling from left to right: a pressure level above the top (dotted) where the aquifer is
// confined, the free water table below it (solid) where it is unconfined.
void drawCrossSection(Drawing& d, const Font& labelFont) {
    constexpr double W = 12;
    const Point bottomLeft{0, 1.2}, bottomRight{W, 0.8};
    const Point topLeft{0, 4.2}, topRight{W, 4.2};
    const Point surfaceLeft{0, 7.4}, surfaceRight{W, 7.4};
    d.band(bottomLeft, bottomRight, topRight, topLeft, kLime);
    d.band(topLeft, topRight, surfaceRight, surfaceLeft, kYellow);
    d.pen(kBlack);
    d.line(bottomLeft, bottomRight);
    d.line(topLeft, topRight);

    // Six segments; the level meets the top at the end of the fourth.
    const Point level[7] = {{0, 6.0}, {2, 5.55}, {4, 5.1}, {6, 4.65}, {8, 4.2}, {10, 3.45}, {12, 2.5}};
    d.pen(kBlue, PenStyle::Dot, 1);
    for (int k = 0; k < 4; ++k)
        d.line(level[k], level[k + 1]);
    d.pen(kBlue, PenStyle::Solid, 1);
    for (int k = 4; k < 6; ++k)
        d.line(level[k], level[k + 1]);

    d.canvas.setFont(labelFont);
    d.label({0.3, 7.3}, "F", kYellow);
    d.label({11.2, 5.2}, "T", kYellow);
    d.label({11.2, 2.2}, "B", kLime);
}

// The eight blocks of figures 3, 4 and 7: a rectangle on a 3 x 3 grid of main nodes, each of
// its four cells cut by a diagonal.
constexpr double kBlocksWidth = 8, kBlocksHeight = 5;

std::array<std::array<Point, 3>, 8> eightBlocks() {
    const double w = kBlocksWidth / 2, h = kBlocksHeight / 2;
    std::array<std::array<Point, 3>, 8> blocks{};
    int b = 0;
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 2; ++i) {
            const Point p00{i * w, j * h}, p10{(i + 1) * w, j * h}, p01{i * w, (j + 1) * h},
                p11{(i + 1) * w, (j + 1) * h};
            // Diagonals towards the centre of the rectangle, as a user draws a symmetric plan.
            if ((i + j) % 2 == 0) {
                blocks[b++] = {p00, p10, p11};
                blocks[b++] = {p00, p11, p01};
            } else {
                blocks[b++] = {p00, p10, p01};
                blocks[b++] = {p10, p11, p01};
            }
        }
    return blocks;
}

void drawBlocks(Drawing& d, bool elements) {
    const auto blocks = eightBlocks();
    d.pen(kBlack);
    for (std::size_t b = 0; b < blocks.size(); ++b)
        d.triangle(blocks[b][0], blocks[b][1], blocks[b][2], blockColour(static_cast<int>(b)));
    if (!elements) return;
    // Two passes of Split 4 cut every side in four: the lines parallel to each side through the
    // quarter points of the other two make the 16 elements of a block.
    for (const auto& block : blocks)
        for (int corner = 0; corner < 3; ++corner) {
            const Point& a = block[idx(corner)];
            const Point& b = block[idx((corner + 1) % 3)];
            const Point& c = block[idx((corner + 2) % 3)];
            for (int k = 1; k < 4; ++k)
                d.line(between(a, b, k / 4.0), between(a, c, k / 4.0));
        }
}

// The problem area of figures 5 and 6 (LX by LY = 2000 by 1000 m, in hundreds of metres),
// framed as the block editor frames it.
constexpr double kAreaWidth = 20, kAreaHeight = 10;

void drawArea(Drawing& d) {
    d.pen(kSilver, PenStyle::Solid, 1);
    d.line({0, 0}, {kAreaWidth, 0});
    d.line({kAreaWidth, 0}, {kAreaWidth, kAreaHeight});
    d.line({kAreaWidth, kAreaHeight}, {0, kAreaHeight});
    d.line({0, kAreaHeight}, {0, 0});
}

// Figure 5: the block NEW starts from, LX/4 wide and LY/2 high, with its node numbers, in the
// colours Edit Blocks shows it in: block 1 in the first colour of the table, the node numbers on
// white.
void drawNew(Drawing& d, const Font& labelFont) {
    drawArea(d);
    const Point n1{0, 0}, n2{0, kAreaHeight / 2}, n3{kAreaWidth / 4, 0};
    d.pen(kBlack);
    d.triangle(n1, n2, n3, blockColour(0));
    d.canvas.setFont(labelFont);
    d.label({0.4, 1.6}, "1", kWhite);
    d.label({0.4, kAreaHeight / 2 + 1.4}, "2", kWhite);
    d.label({kAreaWidth / 4 + 0.4, 1.6}, "3", kWhite);
}

// Figure 6: five blocks, as the editor shows them after four new nodes.
void drawEdit(Drawing& d) {
    drawArea(d);
    const Point n1{0, 0}, n2{0, 5}, n3{5, 0}, n4{5, 6}, n5{10, 2}, n6{0, 10}, n7{12, 8};
    const std::array<std::array<Point, 3>, 5> blocks{{
        {n1, n2, n3},
        {n2, n3, n4},
        {n3, n4, n5},
        {n2, n4, n6},
        {n4, n5, n7},
    }};
    d.pen(kBlack);
    for (std::size_t b = 0; b < blocks.size(); ++b)
        d.triangle(blocks[b][0], blocks[b][1], blocks[b][2], blockColour(static_cast<int>(b)));
}

} // namespace

void drawManualFigure(Canvas& canvas, int figure, int left, int top, int width, int height,
                      const Font& labelFont) {
    const int lineWidth = std::max(1, width / 400);
    canvas.setPen(Pen{kBlack, PenStyle::Solid, lineWidth, PenMode::Copy});
    canvas.setBrush(kWhite);
    canvas.rectangle(left, top, left + width, top + height);

    const bool area = figure == 5 || figure == 6;
    const bool blocks = figure == 3 || figure == 4 || figure == 7;
    const double modelWidth = figure == 2 ? 12 : area ? kAreaWidth : blocks ? kBlocksWidth : 10;
    const double modelHeight = figure == 2 ? 7.4 : area ? kAreaHeight : blocks ? kBlocksHeight : 6;
    Drawing d{canvas, FigureFrame(left, top, width, height, modelWidth, modelHeight), lineWidth};
    switch (figure) {
    case 1:
        drawMesh(d);
        break;
    case 2:
        drawCrossSection(d, labelFont);
        break;
    case 3:
        drawBlocks(d, false);
        break;
    case 4:
    case 7:
        drawBlocks(d, true);
        break;
    case 5:
        drawNew(d, labelFont);
        break;
    case 6:
        drawEdit(d);
        break;
    default:
        break;
    }
    canvas.setPen(Pen{kBlack, PenStyle::Solid, 1, PenMode::Copy});
}

} // namespace velkor::manual
