// The canvas on a QPainter against what the recording canvas says was drawn: each primitive lands
// on the pixels its coordinates name, in the pen and brush colours, and a not-xor line drawn twice
// leaves no trace.
#include <QFontInfo>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "paint/font_table.h"
#include "paint/qt_canvas.h"
#include "results/recording_canvas.h"

using namespace velkor;

namespace {

// The same small scene on any canvas: a frame, a filled triangle, lines, a well circle, a label.
void drawScene(Canvas& canvas) {
    canvas.setPenColour(kBlack);
    canvas.setBrush(kWhite);
    canvas.rectangle(10, 10, 110, 90);
    canvas.setPenColour(kBlack);
    canvas.setBrush(kLime);
    canvas.polygon({20, 80}, {100, 80}, {60, 20});
    canvas.setPenColour(kRed);
    canvas.line(0, 95, 119, 95);
    canvas.setPenColour(kBlue);
    canvas.line(115, 0, 115, 99);
    canvas.setPen(Pen{kRed, PenStyle::Solid, 1, PenMode::Copy});
    canvas.setBrush(kWhite);
    canvas.ellipse(90, 20, 96, 26);
    canvas.setBrush(kYellow);
    canvas.setFont(Font{"Courier New", 11, false, false, true});
    canvas.text(12, 12, "7");
}

QImage paintScene() {
    QImage image(120, 100, QImage::Format_RGB32);
    image.fill(QColor(0xC0, 0xC0, 0xC0));
    QPainter painter(&image);
    QtCanvas canvas(painter);
    drawScene(canvas);
    painter.end();
    return image;
}

std::vector<int> numbers(const std::string& call) {
    std::istringstream in(call.substr(call.find(' ') + 1));
    std::vector<int> values;
    int v = 0;
    while (in >> v)
        values.push_back(v);
    return values;
}

QRgb rgb(Colour c) {
    return qRgb(c.red, c.green, c.blue);
}

} // namespace

TEST(QtCanvas, PrimitivesLandWhereTheRecordingSays) {
    RecordingCanvas recording;
    drawScene(recording);
    const QImage image = paintScene();

    int checked = 0;
    for (const std::string& call : recording.calls) {
        if (call.rfind("rectangle", 0) == 0) {
            const std::vector<int> r = numbers(call);
            // The outline covers left..right-1 and top..bottom-1; the inside takes the brush.
            EXPECT_EQ(image.pixel(r[0], r[1]), rgb(kBlack));
            EXPECT_EQ(image.pixel(r[2] - 1, r[3] - 1), rgb(kBlack));
            EXPECT_NE(image.pixel(r[2], r[3]), rgb(kBlack));
            EXPECT_EQ(image.pixel(r[0] + 3, r[3] - 3), rgb(kWhite));
            ++checked;
        } else if (call.rfind("polygon", 0) == 0) {
            const std::vector<int> p = numbers(call);
            EXPECT_EQ(image.pixel((p[0] + p[2] + p[4]) / 3, (p[1] + p[3] + p[5]) / 3), rgb(kLime));
            EXPECT_EQ(image.pixel(p[0], p[1]), rgb(kBlack));
            EXPECT_EQ(image.pixel((p[0] + p[2]) / 2, p[1]), rgb(kBlack)); // the outline along a side
            ++checked;
        } else if (call.rfind("ellipse", 0) == 0) {
            const std::vector<int> e = numbers(call);
            EXPECT_EQ(image.pixel((e[0] + e[2]) / 2 - 1, (e[1] + e[3]) / 2 - 1), rgb(kWhite));
            EXPECT_EQ(image.pixel((e[0] + e[2]) / 2 - 1, e[1]), rgb(kRed));
            ++checked;
        }
    }
    EXPECT_EQ(checked, 3);
    EXPECT_EQ(image.pixel(50, 95), rgb(kRed));
    EXPECT_EQ(image.pixel(115, 50), rgb(kBlue));
    // Both ends of a line are painted.
    EXPECT_EQ(image.pixel(0, 95), rgb(kRed));
    EXPECT_EQ(image.pixel(119, 95), rgb(kRed));
    // The label stands on a box of the brush colour, in black.
    EXPECT_EQ(image.pixel(12, 12), rgb(kYellow));
    bool black = false;
    for (int y = 12; y < 26; ++y)
        for (int x = 12; x < 20; ++x)
            black = black || qGray(image.pixel(x, y)) < 100;
    EXPECT_TRUE(black);
}

TEST(QtCanvas, NotXorLineDrawnTwiceLeavesNoTrace) {
    QImage image = paintScene();
    const QImage before = image.copy();
    QPainter painter(&image);
    QtCanvas canvas(painter);
    canvas.setPen(Pen{kBlack, PenStyle::Solid, 1, PenMode::NotXor});
    canvas.line(5, 5, 110, 70);
    painter.end();
    EXPECT_NE(image, before); // the rubber band shows
    QPainter again(&image);
    QtCanvas second(again);
    second.setPen(Pen{kBlack, PenStyle::Solid, 1, PenMode::NotXor});
    second.line(5, 5, 110, 70);
    again.end();
    EXPECT_EQ(image, before);
}

TEST(FontTable, NamedFacesDrawWithInstalledTwins) {
    EXPECT_EQ(installedFace("Courier New"), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(installedFace("Arial"), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(installedFace("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    const QFont mono = qtFont(FontNormal);
    EXPECT_EQ(mono.pointSize(), 8);
    EXPECT_EQ(QFontInfo(mono).family(), QStringLiteral("Liberation Mono"));
    const QFont bold = qtFont(FontBold);
    EXPECT_TRUE(bold.bold());
    EXPECT_EQ(QFontInfo(bold).family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(qtFont(Font{"Courier New", 11, false, true, true}).pixelSize(), 11);
}
