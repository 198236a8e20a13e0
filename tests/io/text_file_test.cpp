// Replacing a file's content: the old file survives every failure, and a replaced file keeps what
// the user gave it (permissions, owner, links, other names).
#include "io/text_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "io/datafile.h"
#include "io/io_test_support.h"

using namespace velkor;
using velkor::testing::ChildLimits;
using velkor::testing::fileContent;
using velkor::testing::holdsInChild;
using velkor::testing::ScratchDirectory;
using velkor::testing::writeFile;

namespace {

struct stat statusOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
    return status;
}

} // namespace

TEST(FileReplacement, ReadOnlyFileIsRefusedAndKept) {
    // Regression: the rename needs only the directory's permission, so a 0444 file was replaced.
    ScratchDirectory dir;
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all); // anyone may add files here
    const std::string path = dir.file("kept.fem");
    writeFile(path, "old");
    ::chmod(path.c_str(), 0444);
    EXPECT_TRUE(holdsInChild(
        [&] {
            Problem problem = velkor::testing::defaultProblem();
            const Result result = writeDatafile(problem, path);
            return result.outcome == Outcome::FileError &&
                   result.message == "Writing datafile failed.  Disk full ?\nPermission denied" &&
                   !replaceFileContent(path, "new");
        },
        ChildLimits{.unprivileged = true}));
    EXPECT_EQ(fileContent(path), "old");
    EXPECT_EQ(statusOf(path).st_mode & 07777, 0444u);
    EXPECT_EQ(dir.entryCount(), 1u);
}

TEST(FileReplacement, NewFileKeepsTheModeAndOwnerOfTheOld) {
    ScratchDirectory dir;
    const std::string path = dir.file("private.fem");
    writeFile(path, "old");
    ::chmod(path.c_str(), 0600);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(path.c_str(), 4321, 8765), 0); // only the superuser may give files away
    }
    const ino_t before = statusOf(path).st_ino;

    ASSERT_TRUE(replaceFileContent(path, "new"));
    EXPECT_EQ(fileContent(path), "new");
    const struct stat after = statusOf(path);
    EXPECT_NE(after.st_ino, before); // replaced, not written over
    EXPECT_EQ(after.st_mode & 07777, 0600u);
    if (root) {
        EXPECT_EQ(after.st_uid, 4321u);
        EXPECT_EQ(after.st_gid, 8765u);
    }
    EXPECT_EQ(dir.entryCount(), 1u);
}

TEST(FileReplacement, SymbolicLinksAreFollowedAndKept) {
    ScratchDirectory dir;
    std::filesystem::create_directory(dir.file("real"));
    writeFile(dir.file("real/study.fem"), "old");
    std::filesystem::create_symlink("real/study.fem", dir.file("link.fem")); // relative to the link
    std::filesystem::create_symlink("link.fem", dir.file("chain.fem"));

    ASSERT_TRUE(replaceFileContent(dir.file("chain.fem"), "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("chain.fem")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.fem")));
    EXPECT_EQ(fileContent(dir.file("real/study.fem")), "new");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("real")), {}), 1);

    // A link to a file not yet there creates that file.
    std::filesystem::create_symlink("real/later.fem", dir.file("later.fem"));
    ASSERT_TRUE(replaceFileContent(dir.file("later.fem"), "first"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("later.fem")));
    EXPECT_EQ(fileContent(dir.file("real/later.fem")), "first");
}

TEST(FileReplacement, HardLinkedFileIsWrittenInPlaceUnderEveryName) {
    ScratchDirectory dir;
    const std::string path = dir.file("a.fem"), other = dir.file("b.fem");
    writeFile(path, std::string(5000, 'o'));
    std::filesystem::create_hard_link(path, other);
    const ino_t inode = statusOf(path).st_ino;

    for (const std::string& content : {std::string("shorter"), std::string(9000, 'n')}) {
        ASSERT_TRUE(replaceFileContent(path, content));
        EXPECT_EQ(fileContent(path), content);
        EXPECT_EQ(fileContent(other), content);
        EXPECT_EQ(statusOf(path).st_ino, inode);
        EXPECT_EQ(statusOf(other).st_nlink, 2u);
        EXPECT_EQ(dir.entryCount(), 2u);
    }
}

TEST(FileReplacement, FailedWriteLeavesTheOldFileWhole) {
    // A file may not grow beyond 4096 bytes in the child: the 20000 bytes fail as on a full disk.
    ScratchDirectory dir;
    const std::string single = dir.file("single.fem"), linked = dir.file("linked.fem");
    writeFile(single, "old single");
    writeFile(linked, "old linked");
    std::filesystem::create_hard_link(linked, dir.file("other.fem"));
    for (const std::string& path : {single, linked}) {
        EXPECT_TRUE(holdsInChild(
            [&] {
                std::string why;
                return !replaceFileContent(path, std::string(20000, 'x'), &why) && why == "File too large";
            },
            ChildLimits{.fileSizeLimit = 4096}));
    }
    EXPECT_EQ(fileContent(single), "old single");
    EXPECT_EQ(fileContent(linked), "old linked");
    EXPECT_EQ(fileContent(dir.file("other.fem")), "old linked");
    EXPECT_EQ(dir.entryCount(), 3u);
}

TEST(FileReplacement, NamesUpToTheFileSystemLimitCanBeSaved) {
    // Regression: a suffix on the target's name made names of 239 bytes and more fail.
    ScratchDirectory dir;
    const std::string path = dir.file(std::string(251, 'n') + ".fem");
    writeFile(path, "old");
    ASSERT_TRUE(replaceFileContent(path, "new"));
    EXPECT_EQ(fileContent(path), "new");
    EXPECT_EQ(dir.entryCount(), 1u);
}

TEST(FileReplacement, APipeIsWrittenDirectly) {
    ScratchDirectory dir;
    const std::string path = dir.file("pipe");
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    const int reader = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(replaceFileContent(path, "through"));
    char got[16] = {};
    EXPECT_EQ(::read(reader, got, sizeof got), 7);
    EXPECT_EQ(std::string(got), "through");
    ::close(reader);
    EXPECT_TRUE(S_ISFIFO(statusOf(path).st_mode));
    EXPECT_EQ(dir.entryCount(), 1u);
}
