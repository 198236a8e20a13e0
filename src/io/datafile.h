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
// FileError (the file cannot be opened: "Reading datafile failed.  Unknown name ?"), BadInput (it
//   ends early, or holds a bad number, count or reference: a message naming the line) and
//   OutOfMemory leave the problem as it was.
Result readDatafile(Problem& problem, const std::string& path);

// The same on text already in memory (used by the fuzz target and tests).
Result readDatafileText(Problem& problem, std::string_view content);

// Writes the problem to path through a FileReplacement (text_file.h), which keeps the old file on
// any failure and refuses a file the user may not write; the model's file name becomes the base
// name of the path (cut to 60 characters). On failure the old file and the model are left as they
// were, the outcome is FileError and the message "Writing datafile failed.  Disk full ?".
Result writeDatafile(Problem& problem, const std::string& path);

// The exact bytes that writeDatafile writes (CR LF line ends, 0xB3 in "m3/d").
std::string datafileText(const Problem& problem);

} // namespace velkor
