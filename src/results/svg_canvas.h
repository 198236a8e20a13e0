// A canvas that builds a plain-text SVG picture, for the pictures of velkor-batch. Consecutive
// primitives with the same pen and brush share one group, which keeps pictures of large meshes
// compact. Text metrics are estimates from the font size (96 pixels per inch); the not-xor pen
// mode has no SVG counterpart and paints like copy.
#pragma once

#include <string>

#include "results/canvas.h"

namespace velkor {

class SvgCanvas : public Canvas {
  public:
    SvgCanvas(int width, int height, Colour background = kWhite);

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

    // The complete document (closes any open group; drawing may continue afterwards).
    std::string document() const;

  private:
    void openGroup();
    void closeGroup();
    double fontPixels() const;

    int width_, height_;
    std::string body_;
    Pen pen_;
    Colour brush_ = kWhite;
    Font font_ = FontNormal;
    bool groupOpen_ = false;
};

// Windows-1252 bytes as SVG text: markup characters escaped, bytes above 127 as character
// references to their Unicode code points.
std::string svgEscapedText(std::string_view text);

} // namespace velkor
