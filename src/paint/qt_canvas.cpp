#include "paint/qt_canvas.h"

#include <QFontMetrics>
#include <QPaintEngine>
#include <QPolygon>

#include "paint/font_table.h"
#include "paint/text_codec.h"

namespace velkor {

QColor toQColor(Colour colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

namespace {

Qt::PenStyle qtPenStyle(PenStyle style) {
    switch (style) {
    case PenStyle::Solid:
        return Qt::SolidLine;
    case PenStyle::Dash:
        return Qt::DashLine;
    case PenStyle::Dot:
        return Qt::DotLine;
    case PenStyle::DashDot:
        return Qt::DashDotLine;
    case PenStyle::DashDotDot:
        return Qt::DashDotDotLine;
    case PenStyle::Clear:
        return Qt::NoPen;
    }
    return Qt::SolidLine;
}

} // namespace

QtCanvas::QtCanvas(QPainter& painter) : painter_(painter) {
    const QPaintDevice* device = painter_.device();
    if (device && device->devType() == QInternal::Image)
        image_ = stamps::targetOf(*static_cast<const QImage*>(device));
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    setPen(pen_);
    setBrush(kWhite);
    setFont(FontNormal);
}

void QtCanvas::setPen(const Pen& pen) {
    pen_ = pen;
    QPen qpen(toQColor(pen.colour));
    qpen.setStyle(qtPenStyle(pen.style));
    qpen.setWidth(pen.width > 1 ? pen.width : 1);
    qpen.setCapStyle(Qt::SquareCap);
    qpen.setJoinStyle(Qt::MiterJoin);
    painter_.setPen(qpen);
    stampPen_ = pen.style == PenStyle::Solid && pen.width <= 1 && pen.mode == PenMode::Copy;
    penRgb_ = qpen.color().rgb();
    // Drawn twice, a not-xor line leaves the picture as it was: the rubber band of the editors.
    // Only raster surfaces have raster operations; elsewhere it paints like copy.
    const QPaintEngine* engine = painter_.paintEngine();
    const bool raster = engine && engine->hasFeature(QPaintEngine::RasterOpModes);
    painter_.setCompositionMode(pen.mode == PenMode::NotXor && raster
                                    ? QPainter::RasterOp_NotSourceXorDestination
                                    : QPainter::CompositionMode_SourceOver);
}

void QtCanvas::setBrush(Colour colour) {
    brush_ = toQColor(colour);
    brushRgb_ = brush_.rgb();
    painter_.setBrush(brush_);
}

void QtCanvas::setFont(const Font& font) {
    font_ = font;
    painter_.setFont(QFont(qtFont(font), painter_.device()));
}

bool QtCanvas::stampable() const {
    // The painter's owner may have moved, clipped or blended it since: then QPainter draws.
    return image_.pixels && stampPen_ && !painter_.hasClipping() && !painter_.viewTransformEnabled() &&
           painter_.worldTransform().type() == QTransform::TxNone && painter_.opacity() == 1.0 &&
           !painter_.testRenderHint(QPainter::Antialiasing) &&
           painter_.compositionMode() == QPainter::CompositionMode_SourceOver;
}

void QtCanvas::line(int x1, int y1, int x2, int y2) {
    if (stampable() && stamps::line(image_, x1, y1, x2, y2, penRgb_)) return;
    painter_.drawLine(x1, y1, x2, y2);
}

void QtCanvas::polygon(const CanvasPoint& a, const CanvasPoint& b, const CanvasPoint& c) {
    if (stampable() && stamps::triangle(image_, a, b, c, penRgb_, brushRgb_)) return;
    const QPoint points[3] = {QPoint(a.x, a.y), QPoint(b.x, b.y), QPoint(c.x, c.y)};
    painter_.drawPolygon(points, 3);
}

void QtCanvas::rectangle(int left, int top, int right, int bottom) {
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    if (right - left < 1 || bottom - top < 1) return;
    painter_.drawRect(left, top, right - left - 1, bottom - top - 1);
}

void QtCanvas::ellipse(int left, int top, int right, int bottom) {
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    if (right - left < 1 || bottom - top < 1) return;
    painter_.drawEllipse(left, top, right - left - 1, bottom - top - 1);
}

void QtCanvas::text(int x, int y, std::string_view text) {
    const QString shown = fromWindows1252(text);
    const QFontMetrics metrics(painter_.font(), painter_.device());
    const QPen pen = painter_.pen();
    const QPainter::CompositionMode mode = painter_.compositionMode();
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_.fillRect(x, y, metrics.horizontalAdvance(shown), metrics.height(), brush_);
    painter_.setPen(toQColor(font_.colour));
    painter_.drawText(x, y + metrics.ascent(), shown);
    painter_.setPen(pen);
    painter_.setCompositionMode(mode);
}

int QtCanvas::textWidth(std::string_view text) {
    return QFontMetrics(painter_.font(), painter_.device()).horizontalAdvance(fromWindows1252(text));
}

int QtCanvas::textHeight(std::string_view text) {
    (void)text;
    return QFontMetrics(painter_.font(), painter_.device()).height();
}

} // namespace velkor
