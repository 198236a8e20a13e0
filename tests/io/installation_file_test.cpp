#include "io/installation_file.h"

#include <gtest/gtest.h>

#include "io/io_test_support.h"
#include "model/number_text.h"

using namespace velkor;
using velkor::testing::fileContent;
using velkor::testing::ScratchDirectory;
using velkor::testing::writeFile;

TEST(InstallationFile, DefaultBytes) {
    EXPECT_EQ(installationFileText(InstallationData{}),
              "#  VELKOR -- Finite Element Method for Plane Groundwater Flow\r\n"
              "#  Installation Data\r\n"
              "#  User Name\r\n"
              "Students of Geotechnics,\r\n"
              "#        BMAX         NMAX         MMAX         PMAX\r\n"
              "          48,       12000,       20000,         100,\r\n");
}

TEST(InstallationFile, WriteThenReadGivesTheDataBack) {
    ScratchDirectory dir;
    InstallationData data;
    // Written plainly, a name beginning with '#' would be skipped as a comment.
    data.userName = "#1 hydrology group";
    data.limits = Limits{25, 150000, 300000, 7};
    ASSERT_TRUE(writeInstallationFile(dir.file("VELKOR.txt"), data));
    EXPECT_EQ(fileContent(dir.file("VELKOR.txt")), installationFileText(data));
    EXPECT_EQ(dir.entryCount(), 1u);

    const auto read = readInstallationFile(dir.file("VELKOR.txt"));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->userName, "#1 hydrology group");
    EXPECT_EQ(read->limits.BMAX, 25);
    EXPECT_EQ(read->limits.NMAX, 150000);
    EXPECT_EQ(read->limits.MMAX, 300000);
    EXPECT_EQ(read->limits.PMAX, 7);
}

TEST(InstallationFile, ReadingRules) {
    ScratchDirectory dir;
    // Comments anywhere, leading commas, LF line ends, semicolons and blanks between numbers;
    // values are taken as they stand, even ones the grid would refuse.
    writeFile(dir.file("a.txt"), "# one\n#two\n,,Field office, Delft\n# limits\n 5 ;; 50,,60 -3\n");
    auto read = readInstallationFile(dir.file("a.txt"));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->userName, "Field office");
    EXPECT_EQ(read->limits.BMAX, 5);
    EXPECT_EQ(read->limits.NMAX, 50);
    EXPECT_EQ(read->limits.MMAX, 60);
    EXPECT_EQ(read->limits.PMAX, -3);

    // Missing values keep the defaults.
    writeFile(dir.file("b.txt"), "Only a name\r\n");
    read = readInstallationFile(dir.file("b.txt"));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->userName, "Only a name");
    EXPECT_EQ(read->limits.NMAX, 12000);

    EXPECT_FALSE(readInstallationFile(dir.file("absent.txt")).has_value());
}

TEST(InstallationFile, LongNameCutTo60InTheGridAnd40OnReading) {
    ScratchDirectory dir;
    InstallationData data;
    const std::string seventy = std::string(35, 'a') + std::string(35, 'b');
    const InstallationCell cell = validateInstallationCell(InstallationRow::UserName, seventy, data);
    EXPECT_EQ(cell.text, seventy.substr(0, 60));
    EXPECT_TRUE(cell.message.empty());
    EXPECT_EQ(data.userName, seventy.substr(0, 60));
    EXPECT_EQ(installationRowText(InstallationRow::UserName, data), cell.text);
    EXPECT_STREQ(installationRowLabel(InstallationRow::UserName), "User Name");

    ASSERT_TRUE(writeInstallationFile(dir.file("VELKOR.txt"), data));
    EXPECT_NE(fileContent(dir.file("VELKOR.txt")).find("\r\n" + seventy.substr(0, 60) + ",\r\n"),
              std::string::npos);
    EXPECT_EQ(readInstallationFile(dir.file("VELKOR.txt"))->userName, seventy.substr(0, 40));
}

TEST(InstallationFile, FailedWriteKeepsWhatWasThere) {
    ScratchDirectory dir;
    EXPECT_FALSE(writeInstallationFile(dir.file("missing/VELKOR.txt"), InstallationData{}));
    std::filesystem::create_directory(dir.file("VELKOR.txt"));
    EXPECT_FALSE(writeInstallationFile(dir.file("VELKOR.txt"), InstallationData{}));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("VELKOR.txt")));
    EXPECT_EQ(dir.entryCount(), 1u);
}

TEST(InstallationGrid, LimitsAreCorrectedWithTheirMessages) {
    struct Case {
        InstallationRow row;
        const char* typed;
        int32_t stored;
        const char* message;
    };
    const Case cases[] = {
        {InstallationRow::BMAX, "19", 20, "Enter integer value > 20"},
        {InstallationRow::BMAX, "20", 20, ""},
        {InstallationRow::BMAX, "abc", 20, "Enter integer value > 20"},
        {InstallationRow::BMAX, "  64xyz", 64, ""},
        {InstallationRow::NMAX, "100", 10000, "Enter integer value > 100"},
        {InstallationRow::NMAX, "101", 101, ""},
        {InstallationRow::MMAX, "-7", 10000, "Enter integer value > 100"},
        {InstallationRow::MMAX, "250000", 250000, ""},
        {InstallationRow::PMAX, "-5", 0, ""},
        {InstallationRow::PMAX, "1001", 1000, "Enter integer value <= 1000"},
        {InstallationRow::PMAX, "1000", 1000, ""},
    };
    for (const Case& c : cases) {
        InstallationData data;
        const InstallationCell cell = validateInstallationCell(c.row, c.typed, data);
        EXPECT_EQ(cell.message, c.message) << c.typed;
        EXPECT_EQ(cell.text, format("%12d", c.stored)) << c.typed;
        EXPECT_EQ(installationRowText(c.row, data), cell.text);
        EXPECT_STREQ(installationRowLabel(c.row), c.row == InstallationRow::BMAX   ? "BMAX"
                                                  : c.row == InstallationRow::NMAX ? "NMAX"
                                                  : c.row == InstallationRow::MMAX ? "MMAX"
                                                                                   : "PMAX");
    }
}
