// The canvas on a QPainter: one drawing code paints a window, an image or a printer page.
// Lines and outlines are one device unit wide and not smoothed; a rectangle or ellipse from
// (left, top) to (right, bottom) covers the pixels from left to right - 1 and top to bottom - 1,
// and text stands on a box of the brush colour, as the editors and plots expect. On an image,
// small triangles and short lines in copy mode are stamped from what QPainter drew for their
// shape (raster_stamps.h): the same pixels, at a fraction of the cost.
#pragma once

#include <QFont>
#include <QPainter>

#include "paint/raster_stamps.h"
#include "results/canvas.h"

namespace velkor {

class QtCanvas : public Canvas {
  public:
    explicit QtCanvas(QPainter& painter);

    void setPen(const Pen& pen) override;
    void setBrush(Colour colour) override;
    void setFont(const Font& font) override;
    void line(int x1, int y1, int x2, int y2) override;
    void polygon(const CanvasPoint& a, const CanvasPoint& b, const CanvasPoint& c) override;
    void rectangle(int left, int top, int right, int bottom) override;
    void ellipse(int left, int top, int right, int bottom) override;
    void text(int x, int y, std::string_view text) override;
    int textWidth(std::string_view text) override;
    int textHeight(std::string_view text) override;

  private:
    // Whether small shapes may be stamped into the image being painted now (raster_stamps.h).
    bool stampable() const;

    QPainter& painter_;
    Pen pen_;
    QColor brush_ = Qt::white;
    Font font_;
    stamps::Target image_;  // the image painted on, if its pixels can be stamped
    bool stampPen_ = false; // a solid one-pixel pen in copy mode
    QRgb penRgb_ = 0, brushRgb_ = 0;
};

QColor toQColor(Colour colour);

} // namespace velkor
