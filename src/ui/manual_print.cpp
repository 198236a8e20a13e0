#include "ui/manual_print.h"

#include <QPrinter>

#include "manual/manual_pages.h"
#include "ui/dialogs.h"

namespace velkor {

bool PagedDeviceSink::beginDocument() {
    if (!painter_.begin(&device_)) return false;
    canvas_.emplace(painter_);
    return true;
}

void PagedDeviceSink::newPage() {
    device_.newPage();
}

void PagedDeviceSink::endDocument() {
    canvas_.reset();
    painter_.end();
}

Result printManualWithDialog(Dialogs& dialogs) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("VELKOR - Manual"));
    if (!dialogs.printSetup(printer)) return Result::failed(Outcome::Cancelled, {});
    PagedDeviceSink sink(printer);
    return manual::printManual(sink);
}

} // namespace velkor
