#include "ui/manual_print.h"

#include <QPrinter>

#include "manual/manual_pages.h"
#include "pdf/paged_sink.h"
#include "ui/dialogs.h"

namespace velkor {

Result printManualWithDialog(Dialogs& dialogs) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("VELKOR - Manual"));
    if (!dialogs.printSetup(printer)) return Result::failed(Outcome::Cancelled, {});
    PagedDeviceSink sink(printer);
    const Result printed = manual::printManual(sink);
    if (printed.ok() && sink.failed())
        return Result::failed(Outcome::FileError, "Printing failed : the manual was not printed.");
    return printed;
}

} // namespace velkor
