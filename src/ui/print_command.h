// The Print and Print Preview commands of the main window: the report items chosen in the
// options, on the printer chosen in the system's print dialog, or in a preview window.
#pragma once

class QWidget;

namespace velkor {

class Application;

// The print dialog (cancelled: nothing happens), then the report on the chosen printer, with the
// waiting panel shown from before the first page to the end. When the print system fails, the
// panel goes and a message says that the report was not printed.
void printReportCommand(Application& app, QWidget& waitPanel);

// The same pages in a preview window (at most kPreviewPageLimit of them); the preview offers the
// print dialog itself.
void printPreviewCommand(Application& app, QWidget& waitPanel);

inline constexpr int kPreviewPageLimit = 500;

inline constexpr const char* kReportNotPrinted = "Printing failed : the report was not printed.";

} // namespace velkor
