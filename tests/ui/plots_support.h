// Shared pieces of the tests of the plot windows.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>

#include <set>

#include <QPainter>

#include "paint/qt_canvas.h"
#include "results/contour_plot.h"
#include "ui/plot_window.h"

namespace velkor::testing {

// Lets the event loop run until the window has drawn its whole picture.
// The contour plot of the problem as the window draws it, on the window's silver, for a picture
// of the given size.
inline QImage contourPictureOf(const Problem& problem, QSize size, const PlanOptions& options = {}) {
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(QColor(0xC0, 0xC0, 0xC0));
    QPainter painter(&picture);
    QtCanvas canvas(painter);
    drawContourPlot(problem, canvas, size.width(), size.height(), {}, options);
    return picture;
}

inline void waitForPicture(PlotWindow& window) {
    QElapsedTimer clock;
    clock.start();
    while (!window.pictureCurrent() && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_TRUE(window.pictureCurrent());
}

// Lets the event loop run until the condition holds (or ten seconds have passed).
template <class Condition> void waitUntil(Condition condition) {
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// The colours (0xRRGGBB) of an image.
inline std::set<QRgb> coloursOf(const QImage& image) {
    const QImage pixels = image.convertToFormat(QImage::Format_RGB32);
    std::set<QRgb> colours;
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x)
            colours.insert(row[x] & 0xFFFFFFu);
    }
    return colours;
}

inline constexpr QRgb kSilverRgb = 0xC0C0C0, kWhiteRgb = 0xFFFFFF, kBlackRgb = 0x000000, kAquaRgb = 0x00FFFF,
                      kRedRgb = 0xFF0000, kBlueRgb = 0x0000FF, kLimeRgb = 0x00FF00, kYellowRgb = 0xFFFF00;

} // namespace velkor::testing
