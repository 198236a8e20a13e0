// Dialogs for the window benchmarks: messages go to standard error, every file and print dialog is
// cancelled, and nothing ever waits for a user.
#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>

#include "ui/dialogs.h"

namespace velkor::bench {

class SilentDialogs : public Dialogs {
  public:
    void message(const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
    std::optional<std::string> openFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> saveFileName(const FileDialogRequest&) override { return std::nullopt; }
    bool printSetup(QPrinter&) override { return false; }
    void printPreview(QPrinter&, const std::function<void(QPrinter&)>&) override {}
};

} // namespace velkor::bench
