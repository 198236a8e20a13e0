// A canvas that writes every call as one line of text, so that a test can compare what was drawn
// with a small golden file. Text metrics are simple functions of the font size, so a recording
// does not depend on any installed font.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "results/canvas.h"

namespace velkor {

class RecordingCanvas : public Canvas {
  public:
    // Lines recorded, in call order. Formats:
    //   pen R,G,B STYLE WIDTH MODE | brush R,G,B
    //   font FACE|SIZE|bold-or-regular|italic-or-upright (then |R,G,B for a text colour not black)
    //   line X1 Y1 X2 Y2 | polygon X1 Y1 X2 Y2 X3 Y3 | rectangle L T R B | ellipse L T R B
    //   text X Y |TEXT|
    std::vector<std::string> calls;

    // Width of a character is size x charWidthPerPoint / 10, height of a line size x
    // heightPerPoint / 10 (defaults: 8 pt gives 5 by 16).
    int charWidthPerPoint = 7;
    int heightPerPoint = 20;

    // When false, calls are counted but not recorded (a null canvas for timing).
    bool record = true;
    int64_t callCount = 0;

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

    // All recorded lines, each ended by a line feed.
    std::string joined() const;

  private:
    Font font_ = FontNormal;
};

} // namespace velkor
