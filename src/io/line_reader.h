// Line and field rules shared by the datafile and the installation file: comment lines begin
// with '#', a name is the text between leading commas and the next comma, numbers are separated
// by runs of blanks, commas and semicolons.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace velkor {

// Walks the data lines of a text held in memory. Lines are read whole, whatever their length;
// a CR before the LF belongs to the line end, so files with CR LF and with LF read alike.
class LineReader {
  public:
    explicit LineReader(std::string_view text) : text_(text) {}

    // The next line that does not begin with '#'; false at the end of the text.
    bool nextDataLine(std::string_view& line) {
        while (nextLine(line)) {
            if (line.empty() || line.front() != '#') return true;
        }
        return false;
    }

    // 1-based number of the line last returned.
    int lineNumber() const { return lineNumber_; }

  private:
    bool nextLine(std::string_view& line) {
        if (position_ >= text_.size()) return false;
        const char* start = text_.data() + position_;
        const std::size_t rest = text_.size() - position_;
        const void* found = std::memchr(start, '\n', rest);
        std::size_t length = found ? static_cast<std::size_t>(static_cast<const char*>(found) - start) : rest;
        position_ += found ? length + 1 : length;
        if (found && length > 0 && start[length - 1] == '\r') --length;
        line = std::string_view(start, length);
        ++lineNumber_;
        return true;
    }

    std::string_view text_;
    std::size_t position_ = 0;
    int lineNumber_ = 0;
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

inline bool isFieldSeparator(char c) {
    return c == ' ' || c == ',' || c == ';';
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
