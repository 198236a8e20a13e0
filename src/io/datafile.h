// The text datafile (.fem): writer and reader as plain operations on the problem model.
#pragma once

#include <string>
#include <string_view>

#include "model/problem.h"

namespace velkor {

struct DatafileResult {
    bool ok = false;
    std::string message; // the message to show; empty on success
};

// Reads a datafile into the problem. On success the problem holds the file's data (its file name
// is the one stored in the file, cut to 40 characters), the counts are copied into the saved
// counts and the element velocities are recomputed from the loaded heads; a node with F < B sets
// the warning flag, which the reader never clears.
// A capacity refusal restores the saved counts and sets the names "Data1.fem" and "Example 1"
// (the tables keep the previous records, TM keeps its value). Any other failure - a file that
// cannot be opened, ends early ("Reading datafile failed.  Unknown name ?"), or holds a bad
// number, count or reference (a message naming the line) - leaves the problem as it was.
DatafileResult readDatafile(Problem& problem, const std::string& path);

// The same on text already in memory (used by the fuzz target and tests).
DatafileResult readDatafileText(Problem& problem, std::string_view content);

// Writes the problem to path through a temporary file beside it; the model's file name becomes
// the base name of the path (cut to 60 characters). On failure the old file and the model are
// left as they were and the message is "Writing datafile failed.  Disk full ?".
DatafileResult writeDatafile(Problem& problem, const std::string& path);

// The exact bytes that writeDatafile writes (CR LF line ends, 0xB3 in "m3/d").
std::string datafileText(const Problem& problem);

} // namespace velkor
