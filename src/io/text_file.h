// The program's text files on disk: the datafile, the installation file, and the pictures and
// pathline tables of velkor-batch. Reading goes through a window of bounded size (see
// line_reader.h); writing replaces a file only once everything has been written.
#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

namespace velkor {

// Where text goes while it is produced, so that large outputs never have to be held whole.
class TextSink {
  public:
    virtual ~TextSink() = default;
    virtual void write(std::string_view text) = 0;
};

// Text gathered in memory.
class StringSink : public TextSink {
  public:
    void write(std::string_view text) override { text_.append(text); }
    std::string& text() { return text_; }

  private:
    std::string text_;
};

// New content for the file at path. What is written goes to a temporary file beside the file it
// replaces and reaches that file only through commit(), so a failure at any point (a full disk,
// a refused permission, a value the writer will not store) leaves the old file as it was.
//
// - A file the user may not write is refused, even where the directory would allow replacing it.
// - The new file takes the mode of the old one, and its owner and group where the system permits.
// - A symbolic link is followed: the file it names gets the new content and the link stays.
// - A file with several names (hard links) is written in place once the temporary file holds the
//   whole new content, so that every name still shows the same file: the part that grows the file
//   is written first, and if that fails the file is cut back to its old length.
// - A device or a pipe (/dev/null, a terminal) is written directly.
// - The temporary name is short and does not depend on the target's name, so names up to the
//   file system's limit can be saved.
class FileReplacement : public TextSink {
  public:
    explicit FileReplacement(const std::string& path);
    ~FileReplacement() override;
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Buffered; a failure is remembered and makes commit() fail.
    void write(std::string_view text) override;
    // Replaces the file with everything written. False (and the old file as it was) on any failure.
    bool commit();
    bool failed() const { return !error_.empty(); }
    // Why the replacement failed, in a few words ("Permission denied"); empty while all is well.
    const std::string& error() const { return error_; }

  private:
    enum class Mode { Replace, InPlace, Direct };

    void fail(int errorNumber);
    bool flush();
    bool writeInPlace();
    void discardTemporary();

    std::string target_;    // the file that gets the content, links resolved
    std::string temporary_; // beside it; empty in direct mode
    std::string buffer_;
    int descriptor_ = -1;
    Mode mode_ = Mode::Replace;
    bool existed_ = false;
    mode_t oldMode_ = 0;
    uid_t oldOwner_ = 0;
    gid_t oldGroup_ = 0;
    long long written_ = 0;
    bool committed_ = false;
    std::string error_;
};

// Writes content through a FileReplacement. False when the file could not be replaced; the reason
// goes to `why` when given.
bool replaceFileContent(const std::string& path, std::string_view content, std::string* why = nullptr);

// The program's message of a failed write with the system's reason on the next line (the message
// alone when there is no reason).
std::string withReason(std::string_view message, std::string_view reason);

} // namespace velkor
