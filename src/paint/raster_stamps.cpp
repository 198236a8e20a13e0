#include "paint/raster_stamps.h"

#include <QPainter>

#include <cstdint>
#include <cstdlib>
#include <unordered_map>
#include <vector>

#include "model/table.h"

namespace velkor::stamps {

namespace {

// A learned pixel: its offset from the anchor (the first corner, or the start of the line) and
// whether it ends up in the pen colour or the brush colour.
struct StampPixel {
    int8_t dx, dy;
    bool pen;
};

// A stamp sets pixels at most this far beyond the reach of its corners; a shape that QPainter
// draws wider is left to QPainter (none is: it stays within a pixel of the corners). The scratch
// image has room for far more, so that nothing it draws is cut off unseen.
constexpr int kMargin = 2;
constexpr int kScratchRoom = 8;
constexpr int kTriangleSide = 2 * kTriangleReach + 1;
constexpr int kLineSide = 2 * kLineReach + 1;

struct Shape {
    enum State : uint8_t { Unknown, Stamped, TooWide } state = Unknown;
    uint16_t count = 0;
    int32_t begin = 0;
};

struct ShapeTable {
    std::vector<Shape> shapes;
    std::vector<StampPixel> pixels;
    int reach = 0;
};

ShapeTable& triangleTable() {
    static ShapeTable table{std::vector<Shape>(kTriangleSide * kTriangleSide * kTriangleSide * kTriangleSide),
                            {},
                            kTriangleReach};
    return table;
}

// The larger triangles, by their corner offsets, as far as they have been met.
struct LargeShapeTable {
    std::unordered_map<uint32_t, Shape> shapes;
    std::vector<StampPixel> pixels;
    int reach = kLargeTriangleReach;
};

// Beyond this many learned pixels (a few megabytes) the large shapes are forgotten and learned
// again as they come: a zoom through many scales meets ever new shapes.
constexpr std::size_t kMostLargePixels = 2'000'000;

LargeShapeTable& largeTriangleTable() {
    static LargeShapeTable table;
    return table;
}

ShapeTable& lineTable() {
    static ShapeTable table{std::vector<Shape>(kLineSide * kLineSide), {}, kLineReach};
    return table;
}

// The pen QtCanvas draws outlines and lines with, in a colour that marks its pixels.
QPen learningPen(QRgb colour) {
    QPen pen{QColor::fromRgb(colour)};
    pen.setWidth(1);
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

constexpr QRgb kScratchBackground = 0xff000000;
constexpr QRgb kScratchBrush = 0xff000001;
constexpr QRgb kScratchPen = 0xff000002;

// Draws the shape with QPainter around the middle of a scratch image and keeps what it set.
template <class Table, class Draw> void learn(Table& table, Shape& shape, Draw draw) {
    const int reach = table.reach + kMargin;
    const int origin = reach + kScratchRoom;
    const int side = 2 * origin + 1;
    QImage scratch(side, side, QImage::Format_RGB32);
    scratch.fill(kScratchBackground);
    {
        QPainter painter(&scratch);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(learningPen(kScratchPen));
        painter.setBrush(QColor::fromRgb(kScratchBrush));
        draw(painter, origin);
    }
    shape.begin = static_cast<int32_t>(table.pixels.size());
    shape.state = Shape::Stamped;
    for (int y = 0; y < side; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
        for (int x = 0; x < side; ++x) {
            if (row[x] == kScratchBackground) continue;
            const int dx = x - origin, dy = y - origin;
            if (std::abs(dx) > reach || std::abs(dy) > reach) shape.state = Shape::TooWide;
            table.pixels.push_back(
                StampPixel{static_cast<int8_t>(dx), static_cast<int8_t>(dy), row[x] == kScratchPen});
        }
    }
    shape.count = static_cast<uint16_t>(table.pixels.size() - idx(shape.begin));
    if (shape.state == Shape::TooWide) {
        table.pixels.resize(idx(shape.begin));
        shape.count = 0;
    }
}

// Whether the whole neighbourhood a stamp may touch lies inside the image.
bool inside(const Target& target, int x, int y, int reach) {
    const int margin = reach + kMargin;
    return x >= margin && y >= margin && x < target.width - margin && y < target.height - margin;
}

template <class Table>
void stamp(const Target& target, const Table& table, const Shape& shape, int x, int y, QRgb pen, QRgb brush) {
    QRgb* const anchor = target.pixels + y * target.stride + x;
    const StampPixel* pixel = table.pixels.data() + shape.begin;
    for (const StampPixel* end = pixel + shape.count; pixel != end; ++pixel)
        anchor[pixel->dy * target.stride + pixel->dx] = pixel->pen ? pen : brush;
}

int offsetIndex(int offset, int reach) {
    return offset + reach;
}

} // namespace

Target targetOf(const QImage& image) {
    const QImage::Format format = image.format();
    const bool suitable = (format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied ||
                           format == QImage::Format_ARGB32) &&
                          image.devicePixelRatio() == 1.0 && image.bytesPerLine() % sizeof(QRgb) == 0;
    if (!suitable) return {};
    // The painter writes into these very pixels; constBits() leaves the image as it is shared.
    return Target{reinterpret_cast<QRgb*>(const_cast<uchar*>(image.constBits())),
                  image.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb)), image.width(), image.height()};
}

namespace {

bool largeTriangle(const Target& target, const CanvasPoint& a, int bx, int by, int cx, int cy, QRgb pen,
                   QRgb brush) {
    constexpr int r = kLargeTriangleReach;
    if (std::abs(bx) > r || std::abs(by) > r || std::abs(cx) > r || std::abs(cy) > r) return false;
    if (!inside(target, a.x, a.y, r)) return false;
    LargeShapeTable& table = largeTriangleTable();
    constexpr int side = 2 * r + 1;
    const auto key = static_cast<uint32_t>(
        ((offsetIndex(bx, r) * side + offsetIndex(by, r)) * side + offsetIndex(cx, r)) * side +
        offsetIndex(cy, r));
    auto found = table.shapes.find(key);
    if (found == table.shapes.end()) {
        if (table.pixels.size() > kMostLargePixels) {
            table.shapes.clear();
            table.pixels.clear();
        }
        found = table.shapes.emplace(key, Shape{}).first;
        learn(table, found->second, [&](QPainter& painter, int origin) {
            const QPoint corners[3] = {QPoint(origin, origin), QPoint(origin + bx, origin + by),
                                       QPoint(origin + cx, origin + cy)};
            painter.drawPolygon(corners, 3);
        });
    }
    if (found->second.state != Shape::Stamped) return false;
    stamp(target, table, found->second, a.x, a.y, pen, brush);
    return true;
}

} // namespace

bool triangle(const Target& target, const CanvasPoint& a, const CanvasPoint& b, const CanvasPoint& c,
              QRgb pen, QRgb brush) {
    const int bx = b.x - a.x, by = b.y - a.y, cx = c.x - a.x, cy = c.y - a.y;
    constexpr int r = kTriangleReach;
    if (std::abs(bx) > r || std::abs(by) > r || std::abs(cx) > r || std::abs(cy) > r)
        return largeTriangle(target, a, bx, by, cx, cy, pen, brush);
    if (!inside(target, a.x, a.y, r)) return false;
    ShapeTable& table = triangleTable();
    const int index =
        ((offsetIndex(bx, r) * kTriangleSide + offsetIndex(by, r)) * kTriangleSide + offsetIndex(cx, r)) *
            kTriangleSide +
        offsetIndex(cy, r);
    Shape& shape = table.shapes[idx(index)];
    if (shape.state == Shape::Unknown)
        learn(table, shape, [&](QPainter& painter, int origin) {
            const QPoint corners[3] = {QPoint(origin, origin), QPoint(origin + bx, origin + by),
                                       QPoint(origin + cx, origin + cy)};
            painter.drawPolygon(corners, 3);
        });
    if (shape.state != Shape::Stamped) return false;
    stamp(target, table, shape, a.x, a.y, pen, brush);
    return true;
}

bool line(const Target& target, int x1, int y1, int x2, int y2, QRgb pen) {
    const int dx = x2 - x1, dy = y2 - y1;
    constexpr int r = kLineReach;
    if (std::abs(dx) > r || std::abs(dy) > r) return false;
    if (!inside(target, x1, y1, r)) return false;
    ShapeTable& table = lineTable();
    Shape& shape = table.shapes[idx(offsetIndex(dx, r) * kLineSide + offsetIndex(dy, r))];
    if (shape.state == Shape::Unknown)
        learn(table, shape, [&](QPainter& painter, int origin) {
            painter.drawLine(origin, origin, origin + dx, origin + dy);
        });
    if (shape.state != Shape::Stamped) return false;
    stamp(target, table, shape, x1, y1, pen, pen);
    return true;
}

} // namespace velkor::stamps
