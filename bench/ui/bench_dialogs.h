// The dialogs of the window benchmarks: messages go to standard error and no dialog ever waits
// (every file, print and settings dialog answers as cancelled).
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "ui/dialogs.h"

namespace velkor {

class BenchDialogs : public Dialogs {
  public:
    void message(const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
    // Changes are never saved: the program goes on as if they were given up.
    SaveChoice askToSave(const std::string&) override { return SaveChoice::Discard; }
    bool askYesNo(const std::string&) override { return true; }
    std::optional<std::string> openFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> saveFileName(const FileDialogRequest&) override { return std::nullopt; }
    bool printSetup(QPrinter&) override { return false; }
    void printPreview(QPrinter&, const std::function<void(QPrinter&)>&) override {}
    std::optional<NodeSettings> nodeSettings(const NodeSettingsRequest&) override { return std::nullopt; }
    std::optional<ExportChoice> exportChoice(const ExportChoice&) override { return std::nullopt; }
};

} // namespace velkor
