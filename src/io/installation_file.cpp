#include "io/installation_file.h"

#include <cstdio>

#include "io/line_reader.h"
#include "io/text_file.h"
#include "model/number_text.h"

namespace velkor {

namespace {

// The file keeps only 40 characters of the name, the grid 60.
constexpr std::size_t kUserNameReadLength = 40;

} // namespace

std::optional<InstallationData> readInstallationFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::nullopt;

    // Whatever the file is, only two lines of it are read, each within the reader's window; what
    // cannot be read keeps its default.
    InstallationData data;
    LineReader reader(file);
    std::string_view line;
    if (reader.nextDataLine(line)) data.userName = cutTo(nameField(line), kUserNameReadLength);
    if (reader.nextDataLine(line)) {
        // The limits are taken as they stand; allocating the tables makes impossible ones safe.
        std::string_view fields[4];
        const std::size_t count = splitFields(line, fields, 4);
        int32_t* const targets[4] = {&data.limits.BMAX, &data.limits.NMAX, &data.limits.MMAX,
                                     &data.limits.PMAX};
        for (std::size_t k = 0; k < count; ++k)
            *targets[k] = readInteger(fields[k]);
    }
    const bool unreadable = reader.status() == LineReader::Status::ReadError;
    std::fclose(file);
    if (unreadable) return std::nullopt;
    return data;
}

std::string installationFileText(const InstallationData& data) {
    std::string text;
    text += "#  VELKOR -- Finite Element Method for Plane Groundwater Flow\r\n";
    text += "#  Installation Data\r\n";
    text += "#  User Name\r\n";
    text += nameLineText(data.userName);
    text += ",\r\n";
    text += "#        BMAX         NMAX         MMAX         PMAX\r\n";
    text += format("%12d,%12d,%12d,%12d,\r\n", data.limits.BMAX, data.limits.NMAX, data.limits.MMAX,
                   data.limits.PMAX);
    return text;
}

bool writeInstallationFile(const std::string& path, const InstallationData& data) {
    return replaceFileContent(path, installationFileText(data));
}

InstallationCell validateInstallationCell(InstallationRow row, std::string_view text,
                                          InstallationData& data) {
    InstallationCell cell;
    if (row == InstallationRow::UserName) {
        data.userName = cutTo(text, kNameLength);
        cell.text = data.userName;
        return cell;
    }
    int32_t value = readInteger(text);
    switch (row) {
    case InstallationRow::BMAX:
        if (value < 20) {
            cell.message = "Enter integer value > 20";
            value = 20;
        }
        data.limits.BMAX = value;
        break;
    case InstallationRow::NMAX:
    case InstallationRow::MMAX:
        if (value <= 100) {
            cell.message = "Enter integer value > 100";
            value = 10000;
        }
        (row == InstallationRow::NMAX ? data.limits.NMAX : data.limits.MMAX) = value;
        break;
    case InstallationRow::PMAX:
        if (value < 0) value = 0;
        if (value > 1000) {
            cell.message = "Enter integer value <= 1000";
            value = 1000;
        }
        data.limits.PMAX = value;
        break;
    case InstallationRow::UserName:
        break;
    }
    cell.text = format("%12d", value);
    return cell;
}

const char* installationRowLabel(InstallationRow row) {
    switch (row) {
    case InstallationRow::UserName:
        return "User Name";
    case InstallationRow::BMAX:
        return "BMAX";
    case InstallationRow::NMAX:
        return "NMAX";
    case InstallationRow::MMAX:
        return "MMAX";
    case InstallationRow::PMAX:
        return "PMAX";
    }
    return "";
}

std::string installationRowText(InstallationRow row, const InstallationData& data) {
    switch (row) {
    case InstallationRow::UserName:
        return data.userName;
    case InstallationRow::BMAX:
        return format("%12d", data.limits.BMAX);
    case InstallationRow::NMAX:
        return format("%12d", data.limits.NMAX);
    case InstallationRow::MMAX:
        return format("%12d", data.limits.MMAX);
    case InstallationRow::PMAX:
        return format("%12d", data.limits.PMAX);
    }
    return {};
}

} // namespace velkor
