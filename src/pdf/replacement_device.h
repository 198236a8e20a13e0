// A write-only QIODevice over a FileReplacement: what Qt writes (PDF pages, PNG and SVG pictures)
// replaces a file the way the datafile does. The old file stays whole until commit() succeeds; its
// mode and owner are kept, links are followed, a hard-linked file is written in place and a file
// the user may not write is refused.
#pragma once

#include <QIODevice>

#include <string>

#include "io/text_file.h"

namespace velkor {

class ReplacementDevice : public QIODevice {
  public:
    explicit ReplacementDevice(const std::string& path) : file_(path) { open(QIODevice::WriteOnly); }

    bool isSequential() const override { return true; }
    // Replaces the file with everything written; false (and the old file as it was) on any failure.
    bool commit() {
        if (isOpen()) close();
        return file_.commit();
    }

    // Why the replacement failed ("Permission denied"); empty while all is well.
    const std::string& error() const { return file_.error(); }

  protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 length) override {
        file_.write(std::string_view(data, static_cast<std::size_t>(length)));
        return file_.failed() ? -1 : length;
    }

  private:
    FileReplacement file_;
};

} // namespace velkor
