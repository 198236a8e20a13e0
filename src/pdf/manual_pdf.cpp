#include "pdf/manual_pdf.h"

#include "manual/manual_pages.h"
#include "pdf/report_pdf.h"

namespace velkor {

Result writeManualPdf(const std::string& path) {
    const bool written = writePdf(path, "VELKOR - Manual", PdfPage{},
                                  [](PageSink& sink) { return manual::printManual(sink).ok(); });
    if (!written) return Result::failed(Outcome::FileError, "The manual could not be written to " + path + ".");
    return Result::done();
}

} // namespace velkor
