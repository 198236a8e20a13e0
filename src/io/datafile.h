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

// Reads a datafile into the problem. On success the problem holds the file's data, the counts are
// copied into the saved counts and the element velocities are recomputed from the loaded heads.
// A capacity refusal restores the saved counts and sets the names "Data1.fem" and "Example 1"
// (the tables keep the previous records). Any other failure leaves the problem as it was.
DatafileResult readDatafile(Problem& problem, const std::string& path);

// The same on text already in memory (used by the fuzz target and tests).
DatafileResult readDatafileText(Problem& problem, std::string_view content);

// Writes the problem to path through a temporary file beside it; the model's file name becomes
// the base name of the path. On failure the old file is left intact and the message is
// "Writing datafile failed.  Disk full ?".
DatafileResult writeDatafile(Problem& problem, const std::string& path);

// The exact bytes that writeDatafile writes (CR LF line ends, 0xB3 in "m3/d").
std::string datafileText(const Problem& problem);

} // namespace velkor
