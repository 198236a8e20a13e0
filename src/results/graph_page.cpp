#include "results/graph_page.h"

#include <string>

#include "model/number_text.h"

namespace velkor {

void drawGraphPageHeader(Canvas& canvas, int pageNumber, int leftMargin, int pageWidth,
                         std::string_view problemName, std::string_view title) {
    canvas.setFont(FontNormal);
    canvas.setBrush(kWhite);
    canvas.setPenColour(kBlack);
    const int lineHeight = canvas.textHeight("W");
    canvas.setFont(FontBold);
    canvas.text(leftMargin, 2 * lineHeight, "VELKOR : " + std::string(problemName));
    const int pageX = pageWidth - canvas.textWidth("Page 9999");
    canvas.setFont(FontSmallBold);
    canvas.text(pageX, 2 * lineHeight, format("Page %d", pageNumber));
    canvas.setFont(FontBold);
    canvas.text(leftMargin, 5 * lineHeight, title);
    canvas.setFont(FontNormal);
}

void drawPathlines(const Problem& problem, double h, TrackConsumer& pathlines, const PlotCallbacks& callbacks,
                   PlotReport& report) {
    if (callbacks.tracks) {
        report.track =
            callbacks.tracks->trackOrReplay(problem, h, pathlines, callbacks, report.tracksReplayed);
        return;
    }
    report.track =
        trackParticles(problem, h, pathlines, callbacks.feedback, callbacks.limits, callbacks.locator);
}

void drawCaptionPanel(Canvas& canvas, int width, std::string_view caption) {
    canvas.setPen(Pen{kLime, PenStyle::Solid, 1, PenMode::Copy});
    canvas.setBrush(kLime);
    canvas.rectangle(0, 0, width, 25);
    canvas.setFont(FontSmallBold);
    canvas.text((width - canvas.textWidth(caption)) / 2, (25 - canvas.textHeight(caption)) / 2, caption);
}

} // namespace velkor
