// The report as velkor-batch writes it, read back from the PDF with pdftotext: the rows and headers
// a reader finds on the pages.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "io/datafile.h"
#include "model/number_text.h"

namespace velkor {
namespace {

// Runs of blanks as one: pdftotext places the columns by their position, not by their blanks.
std::string words(const std::string& line) {
    std::string out;
    std::istringstream in(line);
    std::string word;
    while (in >> word)
        out += (out.empty() ? "" : " ") + word;
    return out;
}

std::string commandOutput(const std::string& command) {
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            text.append(buffer, n);
        pclose(pipe);
    }
    return text;
}

class ReportPdf : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("velkor_report_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    int run(const std::string& arguments) {
        // No display: the program finds its own way to the fonts.
        const std::string command = "cd " + folder_.string() + " && env -u DISPLAY -u WAYLAND_DISPLAY " +
                                    VELKOR_BATCH_PROGRAM + " " + arguments + " >out.txt 2>err.txt";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // The pages of the PDF as text, each a list of its non-empty lines with blanks collapsed.
    std::vector<std::vector<std::string>> pages(const char* name) {
        const std::string text = commandOutput("pdftotext -layout " + (folder_ / name).string() + " - 2>&1");
        std::vector<std::vector<std::string>> result(1);
        std::string line;
        for (const char c : text) {
            if (c == '\f') {
                result.emplace_back();
            } else if (c == '\n') {
                if (!words(line).empty()) result.back().push_back(words(line));
                line.clear();
            } else {
                line += c;
            }
        }
        while (!result.empty() && result.back().empty())
            result.pop_back();
        return result;
    }

    std::filesystem::path folder_;
};

TEST_F(ReportPdf, EveryNodeRowInOrderUnderEveryPageHeader) {
    ASSERT_FALSE(commandOutput("command -v pdftotext").empty()) << "pdftotext (poppler-utils) is needed";
    // 153 nodes and 256 elements: the node list takes two A4 pages, the element list four.
    ASSERT_EQ(run("- split4 split4 split4 split4 -o mesh.fem --report-pdf report.pdf --print "
                  "nodes,general,elements"),
              0);
    EXPECT_FALSE(std::filesystem::exists(folder_ / "report.pdf.part"));

    Problem problem;
    problem.allocateTables(Limits{});
    ASSERT_TRUE(readDatafile(problem, (folder_ / "mesh.fem").string()).ok());
    ASSERT_EQ(problem.NN, 153);

    const std::vector<std::vector<std::string>> text = pages("report.pdf");
    ASSERT_EQ(text.size(), 7u);
    // General data first, whatever the order of the list.
    EXPECT_EQ(text[0][0], "VELKOR -- Finite Element Method for Plane Groundwater Flow Page 1");
    for (std::size_t page = 1; page < text.size(); ++page) {
        ASSERT_GE(text[page].size(), 3u);
        EXPECT_EQ(text[page][0], "VELKOR : Default Datafile Page " + std::to_string(page + 1));
        EXPECT_EQ(text[page][1], page < 3 ? "Data of Nodes" : "Data of Elements");
        // "m³/d" with a real superscript three.
        EXPECT_EQ(text[page][2], page < 3 ? "Node X (m) Y (m) B (m) T (m) F (m) Q (m\xC2\xB3/d) Type"
                                          : "Element Node 1 Node 2 Node 3 Soil");
    }

    std::vector<std::string> nodeRows;
    for (std::size_t page = 1; page < 3; ++page)
        nodeRows.insert(nodeRows.end(), text[page].begin() + 3, text[page].end());
    ASSERT_EQ(nodeRows.size(), 153u);
    for (int32_t i = 0; i < problem.NN; ++i) {
        const Node& n = problem.nodes[static_cast<std::size_t>(i)];
        EXPECT_EQ(nodeRows[static_cast<std::size_t>(i)],
                  words(format("%8d %15.3f %15.3f %10.3f %10.3f %10.3f %10.3f %4d", i + 1, n.X, n.Y, n.B, n.T, n.F,
                               n.Q, n.Type)));
    }
    std::vector<std::string> elementRows;
    for (std::size_t page = 3; page < text.size(); ++page)
        elementRows.insert(elementRows.end(), text[page].begin() + 3, text[page].end());
    ASSERT_EQ(elementRows.size(), 256u);
    for (int32_t m = 0; m < problem.NM; ++m) {
        const Element& e = problem.elements[static_cast<std::size_t>(m)];
        EXPECT_EQ(elementRows[static_cast<std::size_t>(m)],
                  words(format("%8d %8d %8d %8d %8d", m + 1, e.node[0] + 1, e.node[1] + 1, e.node[2] + 1,
                               e.soil + 1)));
    }
}

TEST_F(ReportPdf, BadOptionsAreUsageErrorsAndAFileThatCannotBeWrittenIsThree) {
    EXPECT_EQ(run("- --report-pdf r.pdf --print nodes,plan"), 2);
    EXPECT_EQ(run("- --report-pdf r.pdf --graph-scale 11"), 2);
    EXPECT_EQ(run("- --report-pdf r.pdf --angle-scale -1"), 2);
    EXPECT_EQ(run("- --report-pdf r.pdf --page 2480x3508"), 2);
    EXPECT_FALSE(std::filesystem::exists(folder_ / "r.pdf"));
    EXPECT_EQ(run("- --report-pdf missing/r.pdf -o d.fem"), 3);
    EXPECT_TRUE(std::filesystem::exists(folder_ / "d.fem"));
    // A report written over a file with a second name: both names hold the report.
    std::filesystem::copy_file(folder_ / "d.fem", folder_ / "linked.pdf");
    std::filesystem::create_hard_link(folder_ / "linked.pdf", folder_ / "second-name.pdf");
    EXPECT_EQ(run("- --report-pdf linked.pdf"), 0);
    const std::vector<std::vector<std::string>> linked = pages("second-name.pdf");
    ASSERT_EQ(linked.size(), 1u);
    EXPECT_EQ(linked[0][0], "VELKOR -- Finite Element Method for Plane Groundwater Flow Page 1");
    // A smaller page at a lower resolution: the same report.
    EXPECT_EQ(run("- --report-pdf r.pdf --page 1240x1754@150 --print mesh,3d --graph-scale 10"), 0);
    const std::vector<std::vector<std::string>> text = pages("r.pdf");
    ASSERT_EQ(text.size(), 2u);
    EXPECT_EQ(text[0][1], "Mesh of Finite Elements");
    EXPECT_EQ(text[1][0], "VELKOR : Default Datafile Page 2");
}

} // namespace
} // namespace velkor
