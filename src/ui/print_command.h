// The Print and Print Preview commands of the main window: the report items chosen in the
// options, on the printer chosen in the system's print dialog, or in a preview window.
#pragma once

namespace velkor {

class Application;
class TFormFem;

// The print dialog (cancelled: nothing happens), then the report on the chosen printer, drawn on a
// worker thread while the waiting panel shows the page being printed and Cancel. A printer that is
// a PDF file gets the file only once the whole report is in it, and the status line names it;
// Cancel aborts the job. When the print system fails, the panel goes and a message says that the
// report was not printed, with the system's reason where there is one.
void printReportCommand(Application& app, TFormFem& window);

// The same pages in a preview window (at most kPreviewPageLimit of them); the preview offers the
// print dialog itself. The preview draws its pages when it asks for them, on the GUI thread.
void printPreviewCommand(Application& app, TFormFem& window);

inline constexpr int kPreviewPageLimit = 500;

inline constexpr const char* kReportNotPrinted = "Printing failed : the report was not printed.";

} // namespace velkor
