#include "io/text_file.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <system_error>

namespace velkor {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const {
        if (file) std::fclose(file);
    }
};

// A name beside the target that no other file uses; "x" in the mode makes the open fail rather
// than reuse a file that appeared in between.
std::FILE* openFreshTemporary(const std::string& path, std::string& temporaryPath) {
    static std::atomic<unsigned> counter{0};
    std::random_device seed;
    for (int attempt = 0; attempt < 16; ++attempt) {
        char suffix[40];
        std::snprintf(suffix, sizeof suffix, ".%08x%04x.tmp", static_cast<unsigned>(seed()),
                      counter.fetch_add(1) & 0xFFFFu);
        temporaryPath = path + suffix;
        if (std::FILE* file = std::fopen(temporaryPath.c_str(), "wbx")) return file;
        std::error_code error;
        // Only a name clash is worth another attempt; a missing directory is not.
        if (!std::filesystem::exists(temporaryPath, error)) return nullptr;
    }
    return nullptr;
}

} // namespace

bool readWholeFile(const std::string& path, std::string& content) {
    content.clear();
    std::FILE* raw = std::fopen(path.c_str(), "rb");
    if (!raw) return false;
    const std::unique_ptr<std::FILE, FileCloser> file(raw);
    std::error_code error;
    const auto expected = std::filesystem::file_size(path, error);
    try {
        if (!error && expected > 0) {
            content.resize(static_cast<std::size_t>(expected));
            const std::size_t got = std::fread(content.data(), 1, content.size(), raw);
            content.resize(got);
        }
        // The size may have changed since it was asked, or be unknown (a pipe): read on to the end.
        char chunk[1 << 14];
        std::size_t got = 0;
        while ((got = std::fread(chunk, 1, sizeof chunk, raw)) > 0)
            content.append(chunk, got);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return std::ferror(raw) == 0;
}

bool replaceFileContent(const std::string& path, std::string_view content) {
    std::string temporaryPath;
    std::FILE* file = openFreshTemporary(path, temporaryPath);
    if (!file) return false;
    bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    written = std::fflush(file) == 0 && written;
    written = std::fclose(file) == 0 && written;
    std::error_code error;
    if (written) std::filesystem::rename(temporaryPath, path, error);
    if (!written || error) {
        std::error_code ignored;
        std::filesystem::remove(temporaryPath, ignored);
        return false;
    }
    return true;
}

} // namespace velkor
