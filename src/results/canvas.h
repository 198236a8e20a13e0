// The one drawing interface of the program. Plots, editor views, manual figures and report pages
// draw on a Canvas; adapters put the calls on a window, an image, a printer page or an SVG text.
//
// Coordinates are whole canvas units (pixels on screen, device units on paper), x to the right
// and y downward, origin at the top left of the drawing surface.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velkor {

struct Colour {
    uint8_t red = 0, green = 0, blue = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
};

inline constexpr Colour kBlack{0, 0, 0};
inline constexpr Colour kWhite{255, 255, 255};
inline constexpr Colour kRed{255, 0, 0};
inline constexpr Colour kLime{0, 255, 0};
inline constexpr Colour kBlue{0, 0, 255};
inline constexpr Colour kYellow{255, 255, 0};
inline constexpr Colour kAqua{0, 255, 255};
inline constexpr Colour kSilver{192, 192, 192};

enum class PenStyle { Solid, Dash, Dot, DashDot, DashDotDot, Clear };

// Copy paints the pen colour; NotXor combines it with what is there (drawn twice, a line is gone:
// the rubber band of the editors).
enum class PenMode { Copy, NotXor };

struct Pen {
    Colour colour = kBlack;
    PenStyle style = PenStyle::Solid;
    int width = 1;
    PenMode mode = PenMode::Copy;
    friend bool operator==(const Pen&, const Pen&) = default;
};

// A font by description; the adapter picks the nearest face it has. Text is drawn in the font's
// colour, black unless a font says otherwise.
struct Font {
    std::string face;
    int size = 8; // points, or pixels when `pixels` is set
    bool bold = false;
    bool italic = false;
    bool pixels = false;
    Colour colour = {0, 0, 0};
    friend bool operator==(const Font&, const Font&) = default;
};

// The three fonts of the printed report and the graph pages.
inline const Font FontNormal{"Courier New", 8, false, false};
inline const Font FontBold{"MS Sans Serif", 10, true, false};
inline const Font FontSmallBold{"MS Sans Serif", 8, true, false};

struct CanvasPoint {
    int x = 0, y = 0;
    friend bool operator==(const CanvasPoint&, const CanvasPoint&) = default;
};

class Canvas {
  public:
    virtual ~Canvas() = default;

    virtual void setPen(const Pen& pen) = 0;
    virtual void setBrush(Colour colour) = 0;
    virtual void setFont(const Font& font) = 0;

    // Line from (x1, y1) to (x2, y2) with the pen.
    virtual void line(int x1, int y1, int x2, int y2) = 0;
    // Triangle filled with the brush and outlined with the pen.
    virtual void polygon(const CanvasPoint& a, const CanvasPoint& b, const CanvasPoint& c) = 0;
    // Rectangle from (left, top) to (right, bottom), filled with the brush, outlined with the pen.
    virtual void rectangle(int left, int top, int right, int bottom) = 0;
    // Ellipse inscribed in the rectangle, filled and outlined like it.
    virtual void ellipse(int left, int top, int right, int bottom) = 0;
    // Text whose top left corner is at (x, y), in the current font, on a box of the brush colour.
    // Texts are Windows-1252 bytes.
    virtual void text(int x, int y, std::string_view text) = 0;

    // Extent of a text in the current font.
    virtual int textWidth(std::string_view text) = 0;
    virtual int textHeight(std::string_view text) = 0;

    // Convenience: a solid pen of one unit in copy mode.
    void setPenColour(Colour colour) { setPen(Pen{colour, PenStyle::Solid, 1, PenMode::Copy}); }
};

// A printed document: pages of a fixed printable size, each drawn on the same canvas.
class PageSink {
  public:
    virtual ~PageSink() = default;

    // Starts the document; false when the printer refuses (nothing has been drawn).
    virtual bool beginDocument() = 0;
    // Ends the page being drawn and starts the next one.
    virtual void newPage() = 0;
    virtual void endDocument() = 0;

    // Printable area in device units.
    virtual int pageWidth() const = 0;
    virtual int pageHeight() const = 0;

    virtual Canvas& canvas() = 0;
};

} // namespace velkor
