// The dialogs of the window benchmarks: messages go to standard error and no dialog ever waits
// (every file and print dialog answers as cancelled).
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "ui/dialogs.h"

namespace velkor {

class BenchDialogs : public Dialogs {
  public:
    void message(const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
    std::optional<std::string> openFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> saveFileName(const FileDialogRequest&) override { return std::nullopt; }
    bool printSetup(QPrinter&) override { return false; }
    void printPreview(QPrinter&, const std::function<void(QPrinter&)>&) override {}
};

} // namespace velkor
