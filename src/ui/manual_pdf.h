// The printed manual as a PDF file, without a display: velkor-batch --manual-pdf.
// This header names no Qt type, so the command-line program can include it.
#pragma once

#include <string>

#include "model/outcome.h"

namespace velkor {

// Writes the thirteen sheets of the manual to path, on A4 portrait pages of 600 device units
// per inch. When the process has no application object yet, one is made on the offscreen
// platform for the time of the call. FileError when the file cannot be written.
Result writeManualPdf(const std::string& path);

} // namespace velkor
