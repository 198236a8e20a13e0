// The text of the built-in manual: the title block, the sections in reading order, the figure
// captions, and how the sections and figures fall on the fourteen screen pages and on the
// fourteen printed sheets (which break at other places than the screen pages).
//
// Every line is drawn as it stands: nothing is wrapped when the manual is shown or printed, so
// the line breaks are part of the text. Texts are Windows-1252 bytes ("m\xB3/d").
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace velkor::manual {

inline constexpr int kPageCount = 14;
inline constexpr int kSheetCount = 14;
inline constexpr int kFigureCount = 7;

// Longest lines the manual holds: a body line fits a buffer of 120 characters, a line of the
// title block one of 50 (each with its terminating zero).
inline constexpr std::size_t kBodyLineCapacity = 119;
inline constexpr std::size_t kTitleLineCapacity = 49;

struct Paragraph {
    // The first line is a subheading, drawn in the bold body font.
    bool subheading = false;
    std::vector<std::string> lines;
};

struct Section {
    std::string heading;
    std::vector<Paragraph> paragraphs;
};

// The title block of the first page and sheet: the title, the attribution line, and then the
// heading of the first section.
struct TitleBlock {
    std::string title;
    std::string attribution;
};

struct ScreenPage {
    bool titleBlock = false;
    std::vector<int> sections; // indices into Manual::sections, in order
    std::vector<int> figures;  // figure numbers in the figure column, top first
};

struct SheetItem {
    bool figure = false; // a figure (index = its number) or a section (index into sections)
    int index = 0;
    friend bool operator==(const SheetItem&, const SheetItem&) = default;
};

struct Sheet {
    bool titleBlock = false;
    std::vector<SheetItem> items; // sections and figures in the order they are printed
};

struct Manual {
    TitleBlock title;
    std::vector<Section> sections;
    std::array<ScreenPage, kPageCount> pages; // page p at pages[p - 1]
    std::array<Sheet, kSheetCount> sheets;    // sheet s at sheets[s - 1]
};

// The manual, built once on first use.
const Manual& theManual();

// Caption of figure 1..7: on screen, and on paper with its closing full stop.
std::string figureCaption(int figure, bool printed);

// The page the page list shows for a typed number: raised to 1 and lowered to 14.
int clampedPage(long long typed);

} // namespace velkor::manual
