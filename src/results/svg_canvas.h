// A canvas that builds a plain-text SVG picture, for the pictures of velkor-batch. Consecutive
// primitives with the same pen and brush share one group, which keeps pictures of large meshes
// compact. Text metrics are estimates from the font size (96 pixels per inch); the not-xor pen
// mode has no SVG counterpart and paints like copy.
#pragma once

#include <string>

#include "io/text_file.h"
#include "results/canvas.h"

namespace velkor {

class SvgCanvas : public Canvas {
  public:
    // A picture held in memory, for document().
    SvgCanvas(int width, int height, Colour background = kWhite);
    // A picture streamed to out as it is drawn, in pieces of bounded size, so that a picture of a
    // million elements and pathlines is never held whole; finish() writes its end.
    SvgCanvas(TextSink& out, int width, int height, Colour background = kWhite);

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

    // The complete document of a picture held in memory (closes any open group; drawing may
    // continue afterwards).
    std::string document() const;
    // Ends a streamed picture: the rest of it and the closing tags go to the sink.
    void finish();

  private:
    void openGroup();
    void closeGroup();
    void handOver();
    double fontPixels() const;

    int width_, height_;
    TextSink* out_ = nullptr;
    std::string body_; // the whole body in memory, or the part not yet handed to out_
    Pen pen_;
    Colour brush_ = kWhite;
    Font font_ = FontNormal;
    bool groupOpen_ = false;
};

// Windows-1252 bytes as SVG text: markup characters escaped, bytes above 127 as character
// references to their Unicode code points.
std::string svgEscapedText(std::string_view text);

} // namespace velkor
