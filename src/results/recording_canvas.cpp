#include "results/recording_canvas.h"

#include "model/number_text.h"

namespace velkor {

namespace {

const char* styleName(PenStyle style) {
    switch (style) {
    case PenStyle::Solid:
        return "solid";
    case PenStyle::Dash:
        return "dash";
    case PenStyle::Dot:
        return "dot";
    case PenStyle::DashDot:
        return "dashdot";
    case PenStyle::DashDotDot:
        return "dashdotdot";
    case PenStyle::Clear:
        return "clear";
    }
    return "solid";
}

} // namespace

void RecordingCanvas::setPen(const Pen& pen) {
    ++callCount;
    if (!record) return;
    calls.push_back(format("pen %d,%d,%d %s %d %s", pen.colour.red, pen.colour.green, pen.colour.blue,
                           styleName(pen.style), pen.width, pen.mode == PenMode::Copy ? "copy" : "notxor"));
}

void RecordingCanvas::setBrush(Colour colour) {
    ++callCount;
    if (!record) return;
    calls.push_back(format("brush %d,%d,%d", colour.red, colour.green, colour.blue));
}

void RecordingCanvas::setFont(const Font& font) {
    ++callCount;
    font_ = font;
    if (!record) return;
    std::string call = format("font %s|%d%s|%s|%s", font.face.c_str(), font.size, font.pixels ? "px" : "",
                              font.bold ? "bold" : "regular", font.italic ? "italic" : "upright");
    if (!(font.colour == kBlack))
        call += format("|%d,%d,%d", font.colour.red, font.colour.green, font.colour.blue);
    calls.push_back(call);
}

void RecordingCanvas::line(int x1, int y1, int x2, int y2) {
    ++callCount;
    if (!record) return;
    calls.push_back(format("line %d %d %d %d", x1, y1, x2, y2));
}

void RecordingCanvas::polygon(const CanvasPoint& a, const CanvasPoint& b, const CanvasPoint& c) {
    ++callCount;
    if (!record) return;
    calls.push_back(format("polygon %d %d %d %d %d %d", a.x, a.y, b.x, b.y, c.x, c.y));
}

void RecordingCanvas::rectangle(int left, int top, int right, int bottom) {
    ++callCount;
    if (!record) return;
    calls.push_back(format("rectangle %d %d %d %d", left, top, right, bottom));
}

void RecordingCanvas::ellipse(int left, int top, int right, int bottom) {
    ++callCount;
    if (!record) return;
    calls.push_back(format("ellipse %d %d %d %d", left, top, right, bottom));
}

void RecordingCanvas::text(int x, int y, std::string_view text) {
    ++callCount;
    if (!record) return;
    calls.push_back(format("text %d %d |", x, y) + std::string(text) + "|");
}

int RecordingCanvas::textWidth(std::string_view text) {
    return static_cast<int>(text.size()) * font_.size * charWidthPerPoint / 10;
}

int RecordingCanvas::textHeight(std::string_view) {
    return font_.size * heightPerPoint / 10;
}

std::string RecordingCanvas::joined() const {
    std::string all;
    for (const std::string& call : calls) {
        all += call;
        all += '\n';
    }
    return all;
}

} // namespace velkor
