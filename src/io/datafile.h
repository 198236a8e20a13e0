// The text datafile (.fem): writer and reader as plain operations on the problem model.
#pragma once

#include <string>
#include <string_view>

#include "model/outcome.h"
#include "model/problem.h"

namespace velkor {

// Reads a datafile into the problem. The reader only reads: the element velocities of the loaded
// heads are the caller's to compute (the Open command and velkor-batch do it after every load,
// refused or not).
// Done: the problem holds the file's data (its file name is the one stored in the file, cut to 40
//   characters) and the counts are copied into the saved counts; a node with F < B sets the
//   warning flag, which the reader never clears.
// RefusedCapacity: the saved counts are restored and the names set to "Data1.fem" and "Example 1"
//   (the tables keep the previous records, TM keeps its value).
// FileError (the file cannot be opened or read: "Reading datafile failed.  Unknown name ?"),
//   BadInput (it ends early, has a line longer than 65536 characters, or holds a bad number, count
//   or reference or a physically impossible value: a message naming the line) and OutOfMemory
//   leave the problem as it was. Impossible are: sizes LX, LY below 0.001 m; any value beyond
//   1e15 in size; an integer field holding more than an integer ("1e3"); a negative type; a
//   negative permeability, a porosity outside 0.000001 to 1, a retardation factor below 1.
Result readDatafile(Problem& problem, const std::string& path);

// The same on text already in memory (used by the fuzz target and tests).
Result readDatafileText(Problem& problem, std::string_view content);

// Writes the problem to path through a FileReplacement (text_file.h), which keeps the old file on
// any failure and refuses a file the user may not write; the model's file name becomes the base
// name of the path (cut to 60 characters). On failure the old file and the model are left as they
// were: FileError with the message "Writing datafile failed.  Disk full ?" when the file could not
// be written, BadInput with a message naming the value when the problem holds one that the reader
// would refuse (one that is not finite, above all), so that a saved file always reads back.
Result writeDatafile(Problem& problem, const std::string& path);

// The first value of the problem that a datafile cannot hold (the reader would refuse it), as a
// sentence naming it; empty when the problem can be saved. writeDatafile refuses such a problem.
std::string unstorableValue(const Problem& problem);

// The exact bytes that writeDatafile writes (CR LF line ends, 0xB3 in "m3/d"); the values are
// not checked here.
std::string datafileText(const Problem& problem);

} // namespace velkor
