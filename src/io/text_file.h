// Whole-file reading and safe replacement of a file's content, shared by the datafile and the
// installation file.
#pragma once

#include <string>
#include <string_view>

namespace velkor {

// Reads the whole file into content in one pass. False when it cannot be opened or read
// (a directory, a missing file, an I/O error); content is then not to be used.
bool readWholeFile(const std::string& path, std::string& content);

// Writes content to a new file beside path and renames it over path, so that a reader never sees
// a half-written file and a failed write leaves the previous file as it was. Every write and the
// close are checked; on any failure the temporary file is removed and false is returned.
bool replaceFileContent(const std::string& path, std::string_view content);

} // namespace velkor
