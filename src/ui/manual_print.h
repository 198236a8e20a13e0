// The Print Manual command: the print dialog, then the manual's fourteen sheets, drawn by the core
// (manual/manual_pages.h), on the printer chosen.
#pragma once

#include "model/outcome.h"

namespace velkor {

class Dialogs;

// Shows the print dialog through the program's dialogs and prints the manual's fourteen sheets
// on the printer chosen. Cancelled when the dialog was cancelled (nothing printed); FileError,
// with the message to show, when the printer refused the document.
Result printManualWithDialog(Dialogs& dialogs);

} // namespace velkor
