#include "io/datafile.h"

namespace velkor {

DatafileResult readDatafile(Problem&, const std::string&) { return {false, "Reading datafile failed.  Unknown name ?"}; }
DatafileResult readDatafileText(Problem&, std::string_view) { return {false, "Reading datafile failed.  Unknown name ?"}; }
DatafileResult writeDatafile(Problem&, const std::string&) { return {false, "Writing datafile failed.  Disk full ?"}; }
std::string datafileText(const Problem&) { return {}; }

} // namespace velkor
