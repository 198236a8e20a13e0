// The printed report as a PDF file, for programs without windows (velkor-batch). Needs no
// display: a QGuiApplication on the offscreen platform is made for the fonts if none exists.
#pragma once

#include <functional>
#include <string>

#include "model/outcome.h"
#include "model/problem.h"
#include "print/report_pages.h"
#include "results/plot_options.h"

namespace velkor {

// The printable page in device units and the device's resolution (what fonts are measured in).
// Without a size the page is A4 portrait.
struct PdfPage {
    int width = 0, height = 0; // 0: A4 at the resolution
    int dpi = 600;
};

// Largest page side, in inches, that a PDF viewer must accept.
inline constexpr int kPdfMaximumInches = 200;

// A PDF document of the pages draw puts on the sink, with the title in its properties. The file
// is written beside its name and renamed over it once complete; false (and no file under the
// name) when the file or a page could not be written or draw returned false. The system's reason
// of a failed write goes to `why` when given.
bool writePdf(const std::string& path, const std::string& title, const PdfPage& page,
              const std::function<bool(PageSink&)>& draw, std::string* why = nullptr);

// Writes the items chosen in options. The file is written beside its name and renamed over it
// once complete, so a failure leaves no half-written report under the name: the report's result is
// then FileError with the reason. The problem is only read: the heights the graph pages clamped
// the particles to come back in the tracking reports.
PrintReport writeReportPdf(const Problem& problem, const OptionSettings& options, const std::string& path,
                           const PdfPage& page = {});

} // namespace velkor
