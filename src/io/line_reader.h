// Line and field rules shared by the datafile and the installation file: comment lines begin
// with '#', a name is the text between leading commas and the next comma, numbers are separated
// by runs of blanks, commas and semicolons.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace velkor {

// Walks the data lines of a text held in memory or read from a file. A file is read through a
// window of bounded size, so that reading never holds more than a small part of it, whatever it
// is (a huge file, /dev/zero, a pipe). A CR before the LF belongs to the line end, so files with
// CR LF and with LF read alike.
class LineReader {
  public:
    // No text file of the program has a line anywhere near this long; a longer one ends the reading.
    static constexpr std::size_t kLongestLine = 1 << 16;

    enum class Status {
        Reading,     // lines are being returned
        End,         // the text has ended
        LineTooLong, // the next line is longer than kLongestLine
        ReadError    // the file could not be read on (a directory, an I/O error)
    };

    explicit LineReader(std::string_view text);
    // Reads from an open file, which stays the caller's to close.
    explicit LineReader(std::FILE* file);

    // The next line that does not begin with '#'; false when there is none (see status()).
    bool nextDataLine(std::string_view& line);

    // 1-based number of the line last returned.
    int lineNumber() const { return lineNumber_; }
    // Bytes of the whole text when they are known (text in memory, a regular file), else 0.
    std::size_t knownSize() const { return knownSize_; }
    Status status() const { return status_; }

  private:
    bool nextLine(std::string_view& line);
    bool readMore();

    std::FILE* file_ = nullptr;
    std::string window_; // the part of a file being read
    const char* data_ = nullptr;
    std::size_t begin_ = 0;  // first byte not yet returned
    std::size_t end_ = 0;    // end of the bytes available
    bool exhausted_ = false; // nothing more to come after end_
    int lineNumber_ = 0;
    std::size_t knownSize_ = 0;
    Status status_ = Status::Reading;
};

// The name on a name line: leading commas skipped, then the text up to the next comma.
inline std::string_view nameField(std::string_view line) {
    const std::size_t start = line.find_first_not_of(',');
    if (start == std::string_view::npos) return {};
    line.remove_prefix(start);
    return line.substr(0, line.find(','));
}

// The text to write on a name line so that nameField() gives the name back: a line break inside
// the name would split the record, so it becomes a blank, and a name that begins with '#' gets a
// leading comma, or the line would be skipped as a comment and every later record would shift.
inline std::string nameLineText(std::string_view name) {
    std::string text;
    text.reserve(name.size() + 1);
    if (!name.empty() && name.front() == '#') text += ',';
    for (const char c : name)
        text += (c == '\r' || c == '\n') ? ' ' : c;
    return text;
}

// A table, so that splitting a line costs one look-up per character.
struct FieldSeparators {
    bool is[256] = {};
    constexpr FieldSeparators() { is[' '] = is[','] = is[';'] = true; }
};
inline constexpr FieldSeparators kFieldSeparators;

inline bool isFieldSeparator(char c) {
    return kFieldSeparators.is[static_cast<unsigned char>(c)];
}

// Splits a number line into at most maxFields fields; returns how many were found.
inline std::size_t splitFields(std::string_view line, std::string_view* fields, std::size_t maxFields) {
    std::size_t count = 0;
    std::size_t i = 0;
    const std::size_t size = line.size();
    while (count < maxFields) {
        while (i < size && isFieldSeparator(line[i]))
            ++i;
        if (i >= size) break;
        const std::size_t start = i;
        while (i < size && !isFieldSeparator(line[i]))
            ++i;
        fields[count++] = line.substr(start, i - start);
    }
    return count;
}

} // namespace velkor
