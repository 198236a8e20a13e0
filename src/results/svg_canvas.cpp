#include "results/svg_canvas.h"

#include <cmath>

#include "model/number_text.h"

namespace velkor {

namespace {

std::string rgb(Colour c) {
    return format("rgb(%d,%d,%d)", c.red, c.green, c.blue);
}

const char* dashArray(PenStyle style) {
    switch (style) {
    case PenStyle::Dash:
        return "6,2";
    case PenStyle::Dot:
        return "1,2";
    case PenStyle::DashDot:
        return "6,2,1,2";
    case PenStyle::DashDotDot:
        return "6,2,1,2,1,2";
    default:
        return nullptr;
    }
}

// Unicode code points of the Windows-1252 bytes 0x80..0x9F (0 where the byte is unassigned).
constexpr unsigned kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

constexpr std::size_t kPiece = 1 << 16;

std::string documentHead(int width, int height) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" +
           format(
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\" "
               "shape-rendering=\"crispEdges\">\n",
               width, height, width, height);
}

constexpr const char* kDocumentTail = "</svg>\n";

} // namespace

std::string svgEscapedText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        switch (ch) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            if (byte >= 0x80) {
                const unsigned code = byte < 0xA0 ? kCp1252High[byte - 0x80] : byte;
                if (code != 0) out += format("&#x%X;", code);
            } else if (byte >= 0x20 || byte == '\t') {
                out += ch;
            }
        }
    }
    return out;
}

SvgCanvas::SvgCanvas(int width, int height, Colour background)
    : width_(width > 0 ? width : 1), height_(height > 0 ? height : 1) {
    body_ += format("<rect x=\"0\" y=\"0\" width=\"%d\" height=\"%d\" fill=\"", width_, height_) +
             rgb(background) + "\" stroke=\"none\"/>\n";
}

SvgCanvas::SvgCanvas(TextSink& out, int width, int height, Colour background)
    : SvgCanvas(width, height, background) {
    out_ = &out;
    body_.insert(0, documentHead(width_, height_));
    body_.reserve(kPiece + 1024);
}

void SvgCanvas::handOver() {
    if (out_ == nullptr || body_.size() < kPiece) return;
    out_->write(body_);
    body_.clear();
}

void SvgCanvas::finish() {
    if (out_ == nullptr) return;
    closeGroup();
    body_ += kDocumentTail;
    out_->write(body_);
    body_.clear();
}

void SvgCanvas::setPen(const Pen& pen) {
    if (pen == pen_) return;
    pen_ = pen;
    closeGroup();
}

void SvgCanvas::setBrush(Colour colour) {
    if (colour == brush_) return;
    brush_ = colour;
    closeGroup();
}

void SvgCanvas::setFont(const Font& font) {
    font_ = font;
}

void SvgCanvas::closeGroup() {
    if (!groupOpen_) return;
    body_ += "</g>\n";
    groupOpen_ = false;
}

void SvgCanvas::openGroup() {
    if (groupOpen_) return;
    body_ += "<g fill=\"" + rgb(brush_) + "\" stroke=\"";
    body_ += pen_.style == PenStyle::Clear ? std::string("none") : rgb(pen_.colour);
    body_ += format("\" stroke-width=\"%d\"", pen_.width > 0 ? pen_.width : 1);
    if (const char* dashes = dashArray(pen_.style))
        body_ += std::string(" stroke-dasharray=\"") + dashes + "\"";
    body_ += ">\n";
    groupOpen_ = true;
}

void SvgCanvas::line(int x1, int y1, int x2, int y2) {
    openGroup();
    body_ += format("<line x1=\"%d\" y1=\"%d\" x2=\"%d\" y2=\"%d\"/>\n", x1, y1, x2, y2);
    handOver();
}

void SvgCanvas::polygon(const CanvasPoint& a, const CanvasPoint& b, const CanvasPoint& c) {
    openGroup();
    body_ += format("<polygon points=\"%d,%d %d,%d %d,%d\"/>\n", a.x, a.y, b.x, b.y, c.x, c.y);
    handOver();
}

void SvgCanvas::rectangle(int left, int top, int right, int bottom) {
    openGroup();
    const int x = left < right ? left : right, y = top < bottom ? top : bottom;
    const int w = left < right ? right - left : left - right, h = top < bottom ? bottom - top : top - bottom;
    body_ += format("<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\"/>\n", x, y, w, h);
    handOver();
}

void SvgCanvas::ellipse(int left, int top, int right, int bottom) {
    openGroup();
    body_ += format("<ellipse cx=\"%.1f\" cy=\"%.1f\" rx=\"%.1f\" ry=\"%.1f\"/>\n", (left + right) * 0.5,
                    (top + bottom) * 0.5, std::fabs(right - left) * 0.5, std::fabs(bottom - top) * 0.5);
    handOver();
}

double SvgCanvas::fontPixels() const {
    return font_.pixels ? font_.size : font_.size * 96.0 / 72.0;
}

void SvgCanvas::text(int x, int y, std::string_view text) {
    closeGroup();
    // The baseline lies about four fifths of a line below the top of the text.
    const double pixels = fontPixels();
    const bool mono = font_.face.find("Courier") != std::string::npos;
    body_ += format("<text x=\"%d\" y=\"%d\" font-family=\"%s\" font-size=\"%.1f\"", x,
                    y + static_cast<int>(pixels * 0.95), mono ? "Courier New,monospace" : "Arial,sans-serif",
                    pixels);
    if (font_.bold) body_ += " font-weight=\"bold\"";
    if (font_.italic) body_ += " font-style=\"italic\"";
    body_ +=
        " fill=\"" + rgb(font_.colour) + "\" xml:space=\"preserve\">" + svgEscapedText(text) + "</text>\n";
    handOver();
}

int SvgCanvas::textWidth(std::string_view text) {
    const bool mono = font_.face.find("Courier") != std::string::npos;
    return static_cast<int>(
        std::lround(text.size() * fontPixels() * (mono ? 0.6 : (font_.bold ? 0.58 : 0.52))));
}

int SvgCanvas::textHeight(std::string_view) {
    return static_cast<int>(std::lround(fontPixels() * 1.2));
}

std::string SvgCanvas::document() const {
    std::string out = documentHead(width_, height_);
    out += body_;
    if (groupOpen_) out += "</g>\n";
    out += kDocumentTail;
    return out;
}

} // namespace velkor
