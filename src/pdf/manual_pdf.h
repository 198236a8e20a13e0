// The printed manual as a PDF file, for programs without windows (velkor-batch --manual-pdf).
// Needs no display.
#pragma once

#include <string>

#include "model/outcome.h"

namespace velkor {

// Writes the fourteen sheets of the manual to path, on A4 portrait pages of 600 device units
// per inch. FileError when the file cannot be written (a file of that name is then untouched).
Result writeManualPdf(const std::string& path);

} // namespace velkor
