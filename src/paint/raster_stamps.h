// The pixels that QPainter sets for a small filled triangle or a short line, learned from QPainter
// itself and then written straight into the image.
//
// A mesh of a million elements drawn on a window of a million pixels is a million triangles of a
// pixel or two, and QPainter spends about a microsecond on each, almost all of it in setting up
// its rasterizer. Aliased drawing with whole-pixel corners is invariant under whole-pixel shifts,
// so the pixels of a triangle depend only on the offsets of its corners from the first one: each
// shape is drawn once by QPainter on a scratch image, its pixels are kept (which of them get the
// brush and which the pen), and every later triangle of that shape is a handful of stores. The
// result is the picture QPainter would have painted, pixel for pixel (the tests compare both).
#pragma once

#include <QImage>

#include "results/canvas.h"

namespace velkor {

namespace stamps {

// Corners of a stamped triangle lie within this many pixels of its first corner in x and y; the
// end of a stamped line within this many pixels of its start.
inline constexpr int kTriangleReach = 4;
// A zoomed picture of a large mesh shows tens of thousands of elements a few pixels to a few
// dozen across: triangles up to this reach are stamped too, from the shapes met so far (kept up to
// a bound, then learned afresh).
inline constexpr int kLargeTriangleReach = 32;
inline constexpr int kLineReach = 8;

// The pixels of an image that QPainter paints on. They are written in place, never through
// QImage::bits(), which would detach the image from the painter's buffer.
struct Target {
    QRgb* pixels = nullptr;
    qsizetype stride = 0; // pixels from one row to the next
    int width = 0, height = 0;
};

// The target for an image that QPainter draws on in the way the stamps were learned (32-bit
// pixels, one device pixel per logical pixel); pixels is null for any other.
Target targetOf(const QImage& image);

// Draws a triangle filled with brush and outlined with a solid one-pixel pen in copy mode, if it
// is small enough and lies wholly inside the image; false leaves the image untouched for the
// caller to draw it with QPainter. Colours are opaque.
bool triangle(const Target& target, const CanvasPoint& a, const CanvasPoint& b, const CanvasPoint& c,
              QRgb pen, QRgb brush);

// The same for a line from (x1, y1) to (x2, y2).
bool line(const Target& target, int x1, int y1, int x2, int y2, QRgb pen);

} // namespace stamps

} // namespace velkor
