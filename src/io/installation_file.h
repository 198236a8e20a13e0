// The installation data (user name and capacity limits) and the file "VELKOR.txt".
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/problem.h"

namespace velkor {

inline constexpr const char* kInstallationFileName = "VELKOR.txt";

struct InstallationData {
    std::string userName = "Students of Geotechnics";
    Limits limits; // BMAX 48, NMAX 12000, MMAX 20000, PMAX 100
};

// Reads the file; std::nullopt when it cannot be opened or read (the caller then uses the
// defaults). Only its first two data lines are read, whatever follows them.
std::optional<InstallationData> readInstallationFile(const std::string& path);

// Writes the six lines (CR LF). Returns false when the file could not be written; the previous
// file is then left as it was.
bool writeInstallationFile(const std::string& path, const InstallationData& data);

// The exact bytes of the file for these data.
std::string installationFileText(const InstallationData& data);

// Rows of the installation grid.
enum class InstallationRow { UserName = 0, BMAX = 1, NMAX = 2, MMAX = 3, PMAX = 4 };

// Outcome of leaving one cell of the installation grid.
struct InstallationCell {
    std::string text;    // written back into the cell
    std::string message; // shown in a message box first; empty for none
};

// Validates the text of the row being left and stores the value into data.
InstallationCell validateInstallationCell(InstallationRow row, std::string_view text, InstallationData& data);

// Labels of column 0 and the text of column 1 for a row.
const char* installationRowLabel(InstallationRow row);
std::string installationRowText(InstallationRow row, const InstallationData& data);

} // namespace velkor
