// Where the lines and figures of the manual stand: on a page of the manual window, and on the
// printed sheets. The positions are computed from the canvas's text metrics, so the same code
// places them for a window, an image, a printer or a test canvas.
#pragma once

#include <string>
#include <vector>

#include "manual/manual_text.h"
#include "model/outcome.h"
#include "results/canvas.h"

namespace velkor::manual {

enum class TextStyle { Title, Attribution, Heading, Subheading, Body, Caption, PageLabel };
enum class Medium { Screen, Paper };

// Arial throughout: the body (also captions and page labels) 8 pt on screen and 10 pt on paper,
// the title and headings 12 pt bold, the attribution line 12 pt bold italic, subheadings in the
// body size, bold.
Font manualFont(TextStyle style, Medium medium);

struct PlacedText {
    int x = 0, y = 0; // top left corner
    TextStyle style = TextStyle::Body;
    std::string text;
};

struct PlacedFigure {
    int figure = 0;
    int left = 0, top = 0, width = 0, height = 0;
};

struct LaidOutPage {
    int number = 0; // the page in the page list, or the printed sheet
    std::vector<PlacedText> texts;
    std::vector<PlacedFigure> figures;
};

// ---- the manual window ---------------------------------------------------------------------

// The yellow page box and the first text position, in the window's client area.
inline constexpr int kPageBoxLeft = 10;
inline constexpr int kPageBoxTop = 40;
inline constexpr int kPageBoxRight = 530;
inline constexpr int kPageBoxBottom = 560;
inline constexpr int kTextLeft = 13;
inline constexpr int kTextTop = 43;

// The figure column right of the page box: up to two figures of a fixed height, each with its
// caption centred a few pixels below it.
inline constexpr int kFigureColumnLeft = 542;
inline constexpr int kFigureHeight = 166;
inline constexpr int kFigureColumnTop = 100;
inline constexpr int kCaptionGap = 8;
// The column takes the client width but for 552 pixels (218 in a window 770 wide).
int figureColumnWidth(int clientWidth);
// Top of the first and second figure: 100, and 1.4 figure heights lower (332).
int figureTop(int slot);
// The column is cleared from its top down to 2.6 figure heights lower (531).
int figureColumnBottom();

// Page 1..14 as it stands in the window: text positions by the line pitch e (the height of a
// line of body text): a section's first body line 2e below its heading, further lines e apart,
// a new paragraph trunc(1.4 e) below the last line, a new heading 2e below it.
// Leaves the canvas's font changed.
LaidOutPage layoutScreenPage(Canvas& canvas, int page, int clientWidth);

// Draws page 1..14: the page box, its text, the figure column cleared to the window colour
// (aqua) and the page's figures with their captions.
void drawScreenPage(Canvas& canvas, int page, int clientWidth);

// ---- the printed manual ---------------------------------------------------------------------

// The fourteen sheets on pages of the given printable size (device units): text on whole lines
// of pitch a (the height of "W" in the body font), left margin an eighth of the page width,
// sheet 1 opening with the title block, every other sheet with "VELKOR - Manual" and its page
// label on line 4. A figure is half the page width wide and two thirds of that high, centred,
// one empty line below the text before it, its caption one line below it. Should a page be too
// small for a sheet, the sheet goes on on a further page with the same header.
// Leaves the canvas's font changed.
std::vector<LaidOutPage> layoutPrintedManual(Canvas& canvas, int pageWidth, int pageHeight);

// Draws one laid-out printed page.
void drawPrintedPage(Canvas& canvas, const LaidOutPage& page);

// Prints the whole manual on the sink: begins the document, one page per sheet, ends it.
// FileError when the printer or the file refuses the document (nothing printed).
Result printManual(PageSink& sink);

} // namespace velkor::manual
