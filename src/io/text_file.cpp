#include "io/text_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace velkor {

namespace {

constexpr std::size_t kBufferSize = 1 << 16;
constexpr int kLongestLinkChain = 40;

// The file that path names once every symbolic link on the way has been followed; the last link
// may point to a file that does not exist yet, which is then the file to create.
bool resolveLinks(std::string path, std::string& target, int& errorNumber) {
    for (int hop = 0; hop < kLongestLinkChain; ++hop) {
        struct stat status;
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            target = std::move(path);
            return true;
        }
        std::vector<char> link(4096);
        const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
        if (length < 0 || static_cast<std::size_t>(length) >= link.size()) {
            errorNumber = length < 0 ? errno : ENAMETOOLONG;
            return false;
        }
        std::filesystem::path next(std::string(link.data(), static_cast<std::size_t>(length)));
        if (next.is_relative()) next = std::filesystem::path(path).parent_path() / next;
        path = next.string();
    }
    errorNumber = ELOOP;
    return false;
}

bool writeAll(int descriptor, const char* data, std::size_t size, off_t offset, bool positioned) {
    while (size > 0) {
        const ssize_t done =
            positioned ? ::pwrite(descriptor, data, size, offset) : ::write(descriptor, data, size);
        if (done < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += done;
        size -= static_cast<std::size_t>(done);
        offset += done;
    }
    return true;
}

// Copies the bytes [begin, end) of one file to the same place in another.
bool copyRange(int from, int to, off_t begin, off_t end) {
    std::vector<char> chunk(kBufferSize);
    while (begin < end) {
        const auto wanted = static_cast<std::size_t>(std::min<off_t>(end - begin, kBufferSize));
        const ssize_t got = ::pread(from, chunk.data(), wanted, begin);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            if (got == 0) errno = EIO;
            return false;
        }
        if (!writeAll(to, chunk.data(), static_cast<std::size_t>(got), begin, true)) return false;
        begin += got;
    }
    return true;
}

} // namespace

FileReplacement::FileReplacement(const std::string& path) {
    buffer_.reserve(kBufferSize);
    int errorNumber = 0;
    if (!resolveLinks(path, target_, errorNumber)) {
        fail(errorNumber);
        return;
    }
    struct stat status;
    if (::stat(target_.c_str(), &status) == 0) {
        existed_ = true;
        if (S_ISDIR(status.st_mode)) {
            fail(EISDIR);
            return;
        }
        if (!S_ISREG(status.st_mode)) {
            // Nothing to replace: a device or a pipe takes the text as it comes.
            mode_ = Mode::Direct;
            descriptor_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
            if (descriptor_ < 0) fail(errno);
            return;
        }
        // Renaming over the file needs only the directory's permission; the file's own decides.
        if (::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) {
            fail(errno);
            return;
        }
        oldMode_ = status.st_mode & 07777;
        oldOwner_ = status.st_uid;
        oldGroup_ = status.st_gid;
        if (status.st_nlink > 1) mode_ = Mode::InPlace;
    } else if (errno != ENOENT) {
        fail(errno);
        return;
    }

    static std::atomic<unsigned> counter{0};
    std::random_device seed;
    const std::filesystem::path directory = std::filesystem::path(target_).parent_path();
    for (int attempt = 0; attempt < 16; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, ".velkor-%08x",
                      static_cast<unsigned>(seed()) ^ (counter.fetch_add(1) * 0x9E3779B9u));
        temporary_ = (directory / name).string();
        // Created as any new file is (0666 less the umask); a replaced file's mode follows at commit.
        descriptor_ = ::open(temporary_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor_ >= 0) return;
        if (errno != EEXIST) break;
    }
    errorNumber = errno;
    temporary_.clear();
    fail(errorNumber);
}

FileReplacement::~FileReplacement() {
    if (!committed_) discardTemporary();
}

void FileReplacement::fail(int errorNumber) {
    if (!error_.empty()) return;
    error_ = errorNumber != 0 ? std::strerror(errorNumber) : "unknown error";
}

void FileReplacement::write(std::string_view text) {
    if (failed()) return;
    buffer_.append(text);
    if (buffer_.size() >= kBufferSize) flush();
}

bool FileReplacement::flush() {
    if (failed()) return false;
    if (!writeAll(descriptor_, buffer_.data(), buffer_.size(), 0, false)) {
        fail(errno);
        return false;
    }
    written_ += static_cast<long long>(buffer_.size());
    buffer_.clear();
    return true;
}

void FileReplacement::discardTemporary() {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = -1;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

bool FileReplacement::commit() {
    if (committed_) return !failed();
    committed_ = true;
    if (!flush()) {
        discardTemporary();
        return false;
    }
    if (mode_ == Mode::Direct) {
        const int closed = ::close(descriptor_);
        descriptor_ = -1;
        if (closed != 0) fail(errno);
        return !failed();
    }
    if (mode_ == Mode::InPlace) {
        const bool done = writeInPlace();
        discardTemporary();
        return done;
    }
    bool done = true;
    if (existed_) {
        // Owner and group first: a change of owner may clear set-ID bits that the mode then restores.
        // Only the superuser may give a file away; others keep at least the group where they can.
        if (::fchown(descriptor_, oldOwner_, oldGroup_) != 0 &&
            ::fchown(descriptor_, static_cast<uid_t>(-1), oldGroup_) != 0) {
            // The file keeps the writer's group as well: nothing more is permitted.
        }
        done = ::fchmod(descriptor_, oldMode_) == 0;
    }
    // On disk before the rename, so that a crash cannot leave the name on an empty file.
    done = done && ::fsync(descriptor_) == 0;
    if (!done) fail(errno);
    const int closed = ::close(descriptor_);
    descriptor_ = -1;
    if (done && closed != 0) fail(errno);
    if (!failed() && ::rename(temporary_.c_str(), target_.c_str()) != 0) fail(errno);
    if (failed()) {
        discardTemporary();
        return false;
    }
    temporary_.clear();
    return true;
}

bool FileReplacement::writeInPlace() {
    // The temporary file holds the whole new content on disk before the old file is touched.
    if (::fsync(descriptor_) != 0) {
        fail(errno);
        return false;
    }
    const int out = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
    struct stat status;
    if (out < 0 || ::fstat(out, &status) != 0) {
        fail(errno);
        if (out >= 0) ::close(out);
        return false;
    }
    const off_t oldSize = status.st_size;
    const auto newSize = static_cast<off_t>(written_);
    // The part beyond the old end first: if the disk cannot hold the longer file, it is cut back to
    // its old length and nothing of its old content has changed.
    if (newSize > oldSize && !copyRange(descriptor_, out, oldSize, newSize)) {
        fail(errno);
        if (::ftruncate(out, oldSize) != 0) {
            // The old content is untouched; only the length could stay longer than it was.
        }
        ::close(out);
        return false;
    }
    // Overwriting blocks the file already has.
    bool done = copyRange(descriptor_, out, 0, std::min(oldSize, newSize));
    done = done && (newSize >= oldSize || ::ftruncate(out, newSize) == 0);
    done = done && ::fsync(out) == 0;
    if (!done) fail(errno);
    if (::close(out) != 0) fail(errno);
    return !failed();
}

bool replaceFileContent(const std::string& path, std::string_view content, std::string* why) {
    FileReplacement file(path);
    file.write(content);
    if (file.commit()) return true;
    if (why) *why = file.error();
    return false;
}

std::string withReason(std::string_view message, std::string_view reason) {
    std::string text(message);
    if (!reason.empty()) text.append("\n").append(reason);
    return text;
}

} // namespace velkor
