#include "io/line_reader.h"

#include <sys/stat.h>

namespace velkor {

LineReader::LineReader(std::string_view text)
    : data_(text.data()), end_(text.size()), exhausted_(true), knownSize_(text.size()) {}

LineReader::LineReader(std::FILE* file) : file_(file) {
    struct stat status;
    if (::fstat(::fileno(file), &status) == 0 && S_ISREG(status.st_mode))
        knownSize_ = static_cast<std::size_t>(status.st_size);
    // Room for the longest line and as much again, so that a line starting late in the window
    // still fits once the window has been moved up to it.
    window_.resize(2 * kLongestLine);
    data_ = window_.data();
}

bool LineReader::nextDataLine(std::string_view& line) {
    while (nextLine(line)) {
        if (line.empty() || line.front() != '#') return true;
    }
    return false;
}

bool LineReader::nextLine(std::string_view& line) {
    if (status_ != Status::Reading) return false;
    for (;;) {
        const char* start = data_ + begin_;
        const std::size_t available = end_ - begin_;
        const void* found = available > 0 ? std::memchr(start, '\n', available) : nullptr;
        std::size_t length =
            found ? static_cast<std::size_t>(static_cast<const char*>(found) - start) : available;
        if (length > kLongestLine) {
            status_ = Status::LineTooLong;
            return false;
        }
        if (!found && !exhausted_) {
            if (!readMore()) return false;
            continue;
        }
        if (!found && length == 0) {
            status_ = Status::End;
            return false;
        }
        begin_ += found ? length + 1 : length;
        if (found && length > 0 && start[length - 1] == '\r') --length;
        line = std::string_view(start, length);
        ++lineNumber_;
        return true;
    }
}

bool LineReader::readMore() {
    if (begin_ > 0) {
        std::memmove(window_.data(), window_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    const std::size_t got = std::fread(window_.data() + end_, 1, window_.size() - end_, file_);
    end_ += got;
    if (got == 0) {
        if (std::ferror(file_)) {
            status_ = Status::ReadError;
            return false;
        }
        exhausted_ = true;
    }
    return true;
}

} // namespace velkor
