#include "ui/tool_glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

namespace velkor {

namespace {

constexpr int kSize = 21;

const QColor kInk(0, 0, 0);
const QColor kPaper(255, 255, 255);
const QColor kWater(0, 90, 220);
const QColor kEarth(170, 110, 40);
const QColor kRedMark(200, 0, 0);
const QColor kFolder(230, 190, 60);

void drawPage(QPainter& p, QRectF r) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    QPolygonF page;
    page << r.topLeft() << QPointF(r.right() - 4, r.top()) << QPointF(r.right(), r.top() + 4)
         << r.bottomRight() << r.bottomLeft();
    p.drawPolygon(page);
    p.drawLine(QPointF(r.right() - 4, r.top()), QPointF(r.right() - 4, r.top() + 4));
    p.drawLine(QPointF(r.right() - 4, r.top() + 4), QPointF(r.right(), r.top() + 4));
}

void drawTriangle(QPainter& p, QPointF a, QPointF b, QPointF c, const QColor& fill) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(fill);
    p.drawPolygon(QPolygonF() << a << b << c);
}

void drawList(QPainter& p, const QColor& marker, bool triangles) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(QRectF(2.5, 2.5, 16, 16));
    for (int i = 0; i < 4; ++i) {
        const double y = 5.5 + 4 * i;
        p.setPen(Qt::NoPen);
        p.setBrush(marker);
        if (triangles)
            p.drawPolygon(QPolygonF() << QPointF(4, y + 1.5) << QPointF(8, y + 1.5) << QPointF(6, y - 1.5));
        else
            p.drawEllipse(QPointF(6, y), 1.6, 1.6);
        p.setPen(QPen(kInk, 1));
        p.drawLine(QPointF(9.5, y), QPointF(16.5, y));
    }
}

void paintGlyph(QPainter& p, ToolGlyph glyph) {
    switch (glyph) {
    case ToolGlyph::Open: {
        p.setPen(QPen(kInk, 1));
        p.setBrush(kFolder.darker(115));
        p.drawRect(QRectF(2.5, 5.5, 14, 11));
        p.drawRect(QRectF(2.5, 3.5, 6, 2));
        p.setBrush(kFolder);
        p.drawPolygon(QPolygonF() << QPointF(5.5, 8.5) << QPointF(19.5, 8.5) << QPointF(16.5, 16.5)
                                  << QPointF(2.5, 16.5));
        break;
    }
    case ToolGlyph::New:
        drawPage(p, QRectF(3.5, 1.5, 13, 18));
        drawTriangle(p, QPointF(6, 16), QPointF(14, 16), QPointF(6, 8), QColor(120, 200, 255));
        break;
    case ToolGlyph::Edit:
        drawTriangle(p, QPointF(2, 18), QPointF(14, 18), QPointF(2, 6), QColor(120, 200, 255));
        drawTriangle(p, QPointF(14, 18), QPointF(2, 6), QPointF(12, 4), QColor(255, 190, 120));
        p.setPen(QPen(kRedMark, 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(19, 3), QPointF(12, 10));
        p.setPen(QPen(kInk, 1));
        p.drawLine(QPointF(12, 10), QPointF(10.5, 12));
        break;
    case ToolGlyph::Save:
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(40, 60, 160));
        p.drawRect(QRectF(2.5, 2.5, 16, 16));
        p.setBrush(kPaper);
        p.drawRect(QRectF(5.5, 2.5, 10, 6));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(5.5, 12.5, 10, 6));
        p.fillRect(QRectF(12, 3.5, 2, 4), kInk);
        break;
    case ToolGlyph::Print:
        p.setPen(QPen(kInk, 1));
        drawPage(p, QRectF(5.5, 1.5, 10, 8));
        p.setBrush(QColor(190, 190, 190));
        p.drawRect(QRectF(1.5, 8.5, 18, 7));
        p.setBrush(kPaper);
        p.drawRect(QRectF(5.5, 13.5, 10, 6));
        p.fillRect(QRectF(15.5, 10, 2, 1.5), QColor(0, 160, 0));
        break;
    case ToolGlyph::Options:
        p.setPen(QPen(kInk, 1));
        for (int i = 0; i < 3; ++i) {
            const double y = 4.5 + 6 * i;
            p.drawLine(QPointF(2, y), QPointF(19, y));
            p.setBrush(i == 1 ? kRedMark : QColor(60, 60, 60));
            p.drawRect(QRectF((i == 1 ? 12.5 : 5.5) - 2, y - 2.5, 4, 5));
        }
        break;
    case ToolGlyph::Soils: {
        const QColor layers[] = {QColor(230, 200, 120), kEarth, QColor(120, 80, 40)};
        for (int i = 0; i < 3; ++i) {
            QPainterPath band;
            const double y = 3 + 5.5 * i;
            band.moveTo(1.5, y + 1);
            band.cubicTo(7, y - 1, 13, y + 3, 19.5, y);
            band.lineTo(19.5, y + 5.5);
            band.cubicTo(13, y + 8.5, 7, y + 4.5, 1.5, y + 6.5);
            band.closeSubpath();
            p.setPen(QPen(kInk, 0.8));
            p.setBrush(layers[i]);
            p.drawPath(band);
        }
        break;
    }
    case ToolGlyph::Node:
        drawList(p, kRedMark, false);
        break;
    case ToolGlyph::Element:
        drawList(p, kWater, true);
        break;
    case ToolGlyph::Mesh: {
        const QPointF a(2, 18), b(19, 18), c(10.5, 3);
        drawTriangle(p, a, b, c, QColor(200, 240, 200));
        const QPointF ab = (a + b) / 2, bc = (b + c) / 2, ca = (c + a) / 2;
        p.setBrush(Qt::NoBrush);
        p.drawPolygon(QPolygonF() << ab << bc << ca);
        break;
    }
    case ToolGlyph::Wells:
        p.setPen(QPen(kEarth, 2));
        p.drawLine(QPointF(1, 8), QPointF(20, 8));
        p.setPen(QPen(kInk, 1));
        p.setBrush(kPaper);
        p.drawRect(QRectF(8.5, 3.5, 4, 15));
        p.setPen(Qt::NoPen);
        p.setBrush(kWater);
        p.drawRect(QRectF(9, 11, 3, 7));
        p.setPen(QPen(kWater, 1.5));
        p.drawLine(QPointF(3, 11), QPointF(7, 14));
        p.drawLine(QPointF(18, 11), QPointF(14, 14));
        break;
    case ToolGlyph::Particles: {
        QPainterPath path;
        path.moveTo(2, 17);
        path.cubicTo(7, 17, 8, 4, 19, 4);
        p.setPen(QPen(kWater, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        p.setPen(Qt::NoPen);
        p.setBrush(kRedMark);
        for (double t : {0.0, 0.3, 0.55, 0.8, 1.0})
            p.drawEllipse(path.pointAtPercent(t), 1.8, 1.8);
        break;
    }
    case ToolGlyph::Calc: {
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(230, 230, 230));
        p.drawRect(QRectF(3.5, 1.5, 14, 18));
        p.setBrush(QColor(150, 220, 150));
        p.drawRect(QRectF(5.5, 3.5, 10, 4));
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                p.drawRect(QRectF(5.5 + 3.5 * c, 9.5 + 3.3 * r, 2.5, 2.2));
        break;
    }
    case ToolGlyph::Contours: {
        p.setBrush(Qt::NoBrush);
        const QColor rings[] = {kWater, QColor(0, 160, 160), QColor(0, 150, 0), kRedMark};
        for (int i = 0; i < 4; ++i) {
            p.setPen(QPen(rings[i], 1.3));
            const double rx = 9 - 2 * i, ry = 7 - 1.6 * i;
            p.drawEllipse(QPointF(10.5, 10.5), rx, ry);
        }
        break;
    }
    case ToolGlyph::Graph3D: {
        // A small head surface in the oblique view: a 4 x 4 net with a dip where a well pumps.
        auto point = [](int i, int j) {
            const double dip = (i == 1 || i == 2) && (j == 1 || j == 2) ? 4.0 : 0.0;
            return QPointF(2 + 3.6 * i + 2.2 * j, 17 - 2.6 * j - 6 + dip);
        };
        p.setPen(QPen(kRedMark, 1));
        p.drawLine(QPointF(1.5, 19.5), QPointF(19.5, 19.5));
        p.drawLine(QPointF(1.5, 19.5), QPointF(1.5, 2));
        p.setPen(QPen(kWater, 1));
        for (int k = 0; k < 4; ++k) {
            for (int m = 0; m < 3; ++m) {
                p.drawLine(point(m, k), point(m + 1, k));
                p.drawLine(point(k, m), point(k, m + 1));
            }
        }
        break;
    }
    case ToolGlyph::Manual:
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(150, 30, 30));
        p.drawRect(QRectF(3.5, 2.5, 14, 17));
        p.setBrush(kPaper);
        p.drawRect(QRectF(5.5, 2.5, 12, 15));
        for (int i = 0; i < 4; ++i)
            p.drawLine(QPointF(8, 6.5 + 3 * i), QPointF(15, 6.5 + 3 * i));
        break;
    case ToolGlyph::Help: {
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(255, 255, 160));
        p.drawEllipse(QPointF(10.5, 10.5), 9, 9);
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(14);
        p.setFont(font);
        p.setPen(kWater);
        p.drawText(QRectF(0, 0, kSize, kSize), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    case ToolGlyph::Budget: {
        // A balance with water in both pans: what comes in weighed against what goes out.
        p.setPen(QPen(kInk, 1));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(10.5, 4), QPointF(10.5, 18.5));
        p.drawLine(QPointF(6, 18.5), QPointF(15, 18.5));
        p.drawLine(QPointF(3.5, 5.5), QPointF(17.5, 5.5));
        for (const double x : {3.5, 17.5}) {
            p.setPen(QPen(kInk, 1));
            p.drawLine(QPointF(x, 5.5), QPointF(x - 3, 12.5));
            p.drawLine(QPointF(x, 5.5), QPointF(x + 3, 12.5));
            p.setPen(Qt::NoPen);
            p.setBrush(kWater);
            p.drawChord(QRectF(x - 3.5, 9.5, 7, 6), 180 * 16, 180 * 16);
            p.setBrush(Qt::NoBrush);
        }
        break;
    }
    }
}

} // namespace

QIcon toolGlyph(ToolGlyph glyph) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    paintGlyph(painter, glyph);
    painter.end();
    return QIcon(pixmap);
}

} // namespace velkor
