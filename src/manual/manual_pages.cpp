#include "manual/manual_pages.h"

#include <algorithm>
#include <string_view>

#include "manual/manual_figures.h"
#include "model/table.h"

namespace velkor::manual {

namespace {

constexpr const char* kFace = "Arial";
constexpr const char* kSheetHeaderTitle = "VELKOR - Manual";

int lineHeight(Canvas& canvas, TextStyle style, Medium medium) {
    canvas.setFont(manualFont(style, medium));
    return canvas.textHeight("W");
}

} // namespace

Font manualFont(TextStyle style, Medium medium) {
    const int body = medium == Medium::Screen ? 8 : 10;
    switch (style) {
    case TextStyle::Title:
    case TextStyle::Heading:
        return Font{kFace, 12, true, false};
    case TextStyle::Attribution:
        return Font{kFace, 12, true, true};
    case TextStyle::Subheading:
        return Font{kFace, body, true, false};
    case TextStyle::Body:
    case TextStyle::Caption:
    case TextStyle::PageLabel:
        break;
    }
    return Font{kFace, body, false, false};
}

// ---- the manual window ---------------------------------------------------------------------

int figureColumnWidth(int clientWidth) {
    return std::max(0, clientWidth - 552);
}

int figureTop(int slot) {
    return slot == 0 ? kFigureColumnTop : kFigureColumnTop + kFigureHeight * 14 / 10;
}

int figureColumnBottom() {
    return kFigureColumnTop + kFigureHeight * 26 / 10;
}

LaidOutPage layoutScreenPage(Canvas& canvas, int page, int clientWidth) {
    LaidOutPage laid;
    laid.number = clampedPage(page);
    const Manual& manual = theManual();
    const ScreenPage& plan = manual.pages[idx(laid.number - 1)];
    const int e = lineHeight(canvas, TextStyle::Body, Medium::Screen);
    const int paragraphStep = e * 14 / 10;
    auto place = [&](int y, TextStyle style, const std::string& text) {
        laid.texts.push_back(PlacedText{kTextLeft, y, style, text});
    };

    int y = kTextTop; // where the next heading stands
    if (plan.titleBlock) {
        place(y, TextStyle::Title, manual.title.title);
        place(y + 2 * e, TextStyle::Attribution, manual.title.attribution);
        y += 4 * e;
    }
    for (int s : plan.sections) {
        const Section& section = manual.sections[idx(s)];
        place(y, TextStyle::Heading, section.heading);
        int last = y + e; // the first body line stands 2e below the heading
        for (std::size_t p = 0; p < section.paragraphs.size(); ++p) {
            const Paragraph& paragraph = section.paragraphs[p];
            int lineY = p == 0 ? last + e : last + paragraphStep;
            for (std::size_t k = 0; k < paragraph.lines.size(); ++k) {
                if (k > 0) lineY += e;
                const bool bold = k == 0 && paragraph.subheading;
                place(lineY, bold ? TextStyle::Subheading : TextStyle::Body, paragraph.lines[k]);
            }
            last = lineY;
        }
        y = last + 2 * e;
    }

    const int width = figureColumnWidth(clientWidth);
    canvas.setFont(manualFont(TextStyle::Caption, Medium::Screen));
    for (std::size_t slot = 0; slot < plan.figures.size() && slot < 2; ++slot) {
        const int figure = plan.figures[slot];
        const int top = figureTop(static_cast<int>(slot));
        laid.figures.push_back(PlacedFigure{figure, kFigureColumnLeft, top, width, kFigureHeight});
        const std::string caption = figureCaption(figure, false);
        const int captionX = kFigureColumnLeft + (width - canvas.textWidth(caption)) / 2;
        laid.texts.push_back(
            PlacedText{captionX, top + kFigureHeight + kCaptionGap, TextStyle::Caption, caption});
    }
    return laid;
}

void drawScreenPage(Canvas& canvas, int page, int clientWidth) {
    const LaidOutPage laid = layoutScreenPage(canvas, page, clientWidth);

    canvas.setPenColour(kBlack);
    canvas.setBrush(kYellow);
    canvas.rectangle(kPageBoxLeft, kPageBoxTop, kPageBoxRight, kPageBoxBottom);
    for (const PlacedText& text : laid.texts) {
        if (text.style == TextStyle::Caption) continue;
        canvas.setFont(manualFont(text.style, Medium::Screen));
        canvas.text(text.x, text.y, text.text);
    }

    // The column is cleared whether or not figures follow, so that no figure of the page shown
    // before stays beside a page without figures.
    const int width = figureColumnWidth(clientWidth);
    canvas.setPenColour(kAqua);
    canvas.setBrush(kAqua);
    canvas.rectangle(kFigureColumnLeft, kFigureColumnTop, kFigureColumnLeft + width, figureColumnBottom());
    const Font captionFont = manualFont(TextStyle::Caption, Medium::Screen);
    for (const PlacedFigure& figure : laid.figures)
        drawManualFigure(canvas, figure.figure, figure.left, figure.top, figure.width, figure.height,
                         captionFont);
    canvas.setBrush(kAqua);
    canvas.setFont(captionFont);
    for (const PlacedText& text : laid.texts)
        if (text.style == TextStyle::Caption) canvas.text(text.x, text.y, text.text);
    canvas.setPenColour(kBlack);
}

// ---- the printed manual ---------------------------------------------------------------------

namespace {

// Lines of the printed page: every text line stands on line k of pitch a, at y = k a.
constexpr int kHeaderLine = 4;
constexpr int kFirstLineAfterHeader = 6;
constexpr int kTitleLine = 4;
constexpr int kAttributionLine = 6;
constexpr int kFirstHeadingOfSheetOne = 8;

class SheetWriter {
  public:
    SheetWriter(Canvas& canvas, int pageWidth, int pageHeight) {
        a_ = std::max(1, lineHeight(canvas, TextStyle::Body, Medium::Paper));
        left_ = pageWidth / 4 / 2;
        lastLine_ = std::max(kFirstLineAfterHeader, pageHeight / a_ - 4);
        canvas.setFont(manualFont(TextStyle::Heading, Medium::Paper));
        headerTitleWidth_ = canvas.textWidth(kSheetHeaderTitle);
        figureLeft_ = pageWidth / 4;
        figureWidth_ = pageWidth - 2 * (pageWidth / 4);
        figureHeight_ = 2 * figureWidth_ / 3;
    }

    std::vector<LaidOutPage> pages;

    void startSheetOne(const TitleBlock& title) {
        pages.push_back(LaidOutPage{1, {}, {}});
        text(kTitleLine, TextStyle::Title, title.title);
        text(kAttributionLine, TextStyle::Attribution, title.attribution);
        next_ = kFirstHeadingOfSheetOne;
        empty_ = true;
    }

    void startSheet() {
        const int number = static_cast<int>(pages.size()) + 1;
        pages.push_back(LaidOutPage{number, {}, {}});
        text(kHeaderLine, TextStyle::Title, kSheetHeaderTitle);
        pages.back().texts.push_back(PlacedText{left_ + 4 * headerTitleWidth_, kHeaderLine * a_,
                                                TextStyle::PageLabel, "page " + std::to_string(number)});
        next_ = kFirstLineAfterHeader;
        empty_ = true;
    }

    void section(const Section& section) {
        // A heading is not left alone at the foot of a page.
        const int bodyLine = next_ + 2;
        if (bodyLine > lastLine_ && !empty_) startSheet();
        text(next_, TextStyle::Heading, section.heading);
        next_ += 2;
        for (const Paragraph& paragraph : section.paragraphs) {
            for (std::size_t k = 0; k < paragraph.lines.size(); ++k) {
                if (next_ > lastLine_ && !empty_) startSheet();
                const bool bold = k == 0 && paragraph.subheading;
                text(next_, bold ? TextStyle::Subheading : TextStyle::Body, paragraph.lines[k]);
                next_ += 1;
            }
            next_ += 1; // the empty line between paragraphs, and before the next heading
        }
    }

    void figure(int number) {
        int top = next_ * a_;
        int captionLine = captionLineBelow(top);
        if (captionLine > lastLine_ && !empty_) {
            startSheet();
            top = next_ * a_;
            captionLine = captionLineBelow(top);
        }
        pages.back().figures.push_back(PlacedFigure{number, figureLeft_, top, figureWidth_, figureHeight_});
        pages.back().texts.push_back(PlacedText{figureLeft_ + figureWidth_ / 12, captionLine * a_,
                                                TextStyle::Caption, figureCaption(number, true)});
        next_ = captionLine + 2;
        empty_ = false;
    }

  private:
    // The caption stands one text line below the box, on the next whole line.
    int captionLineBelow(int top) const {
        const int bottom = top + figureHeight_;
        return (bottom + a_ - 1) / a_ + 1;
    }

    void text(int line, TextStyle style, const std::string& content) {
        pages.back().texts.push_back(PlacedText{left_, line * a_, style, content});
        if (style != TextStyle::Title && style != TextStyle::Attribution) empty_ = false;
    }

    int a_ = 1;
    int left_ = 0;
    int lastLine_ = 0;
    int headerTitleWidth_ = 0;
    int figureLeft_ = 0, figureWidth_ = 0, figureHeight_ = 0;
    int next_ = 0;      // the line the next heading, paragraph or figure starts on
    bool empty_ = true; // nothing but the header on the present page yet
};

} // namespace

std::vector<LaidOutPage> layoutPrintedManual(Canvas& canvas, int pageWidth, int pageHeight) {
    const Manual& manual = theManual();
    SheetWriter writer(canvas, pageWidth, pageHeight);
    for (const Sheet& sheet : manual.sheets) {
        if (sheet.titleBlock)
            writer.startSheetOne(manual.title);
        else
            writer.startSheet();
        for (const SheetItem& item : sheet.items) {
            if (item.figure)
                writer.figure(item.index);
            else
                writer.section(manual.sections[idx(item.index)]);
        }
    }
    return std::move(writer.pages);
}

void drawPrintedPage(Canvas& canvas, const LaidOutPage& page) {
    canvas.setPenColour(kBlack);
    canvas.setBrush(kWhite);
    for (const PlacedText& text : page.texts) {
        canvas.setFont(manualFont(text.style, Medium::Paper));
        canvas.text(text.x, text.y, text.text);
    }
    const Font labelFont = manualFont(TextStyle::Body, Medium::Paper);
    for (const PlacedFigure& figure : page.figures)
        drawManualFigure(canvas, figure.figure, figure.left, figure.top, figure.width, figure.height,
                         labelFont);
    canvas.setPenColour(kBlack);
    canvas.setBrush(kWhite);
}

Result printManual(PageSink& sink) {
    const int width = sink.pageWidth(), height = sink.pageHeight();
    if (width <= 0 || height <= 0 || !sink.beginDocument())
        return Result::failed(Outcome::FileError, "The manual could not be printed.");
    Canvas& canvas = sink.canvas();
    const std::vector<LaidOutPage> pages = layoutPrintedManual(canvas, width, height);
    for (std::size_t k = 0; k < pages.size(); ++k) {
        if (k > 0) sink.newPage();
        drawPrintedPage(canvas, pages[k]);
    }
    sink.endDocument();
    return Result::done();
}

} // namespace velkor::manual
