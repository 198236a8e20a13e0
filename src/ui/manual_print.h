// Printing the manual: a page sink on any paged Qt device (a printer, a PDF writer) and the
// Print Manual command with its print dialog.
//
// Glue of the manual window until the report printing brings the program's own printer and PDF
// sinks; the manual itself is drawn by the core (manual/manual_pages.h) on any PageSink.
#pragma once

#include <QPagedPaintDevice>
#include <QPainter>

#include <optional>

#include "model/outcome.h"
#include "results/canvas.h"
#include "ui/qt_canvas.h"

namespace velkor {

class Dialogs;

// Pages of a QPrinter or QPdfWriter: the printable area in device units, drawn through a
// QtCanvas while the document is open.
class PagedDeviceSink : public PageSink {
  public:
    explicit PagedDeviceSink(QPagedPaintDevice& device) : device_(device) {}

    bool beginDocument() override;
    void newPage() override;
    void endDocument() override;
    int pageWidth() const override { return device_.width(); }
    int pageHeight() const override { return device_.height(); }
    Canvas& canvas() override { return *canvas_; }

  private:
    QPagedPaintDevice& device_;
    QPainter painter_;
    std::optional<QtCanvas> canvas_;
};

// Shows the print dialog through the program's dialogs and prints the manual's thirteen sheets
// on the printer chosen. Cancelled when the dialog was cancelled (nothing printed); FileError,
// with the message to show, when the printer refused the document.
Result printManualWithDialog(Dialogs& dialogs);

} // namespace velkor
