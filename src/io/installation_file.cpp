#include "io/installation_file.h"

namespace velkor {

std::optional<InstallationData> readInstallationFile(const std::string&) { return std::nullopt; }
bool writeInstallationFile(const std::string&, const InstallationData&) { return false; }
std::string installationFileText(const InstallationData&) { return {}; }
InstallationCell validateInstallationCell(InstallationRow, std::string_view, InstallationData&) { return {}; }
const char* installationRowLabel(InstallationRow) { return ""; }
std::string installationRowText(InstallationRow, const InstallationData&) { return {}; }

} // namespace velkor
