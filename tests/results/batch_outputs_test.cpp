#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "batch_run.h"

namespace {

using velkor::test::readText;

// Runs velkor-batch on the first validation example.
class BatchOutputs : public velkor::test::BatchRun {
  protected:
    int run(const std::string& arguments) {
        return BatchRun::run(std::string(VELKOR_EXAMPLES_DIR) + "/Val1.fem " + arguments);
    }
};

} // namespace

TEST_F(BatchOutputs, TrackRowsComeInEmissionOrderWithOneBasedParticles) {
    const auto csv = folder_ / "track.csv";
    ASSERT_EQ(run("--track-csv " + csv.string()), 0);
    std::istringstream rows(readText(csv));
    std::string header, first, second, third;
    std::getline(rows, header);
    std::getline(rows, first);
    std::getline(rows, second);
    std::getline(rows, third);
    EXPECT_EQ(header, "kind,particle,x,y,z,x_to,y_to,z_to,time\r");
    EXPECT_EQ(first.rfind("seg,1,0,25,5,", 0), 0u) << first;
    EXPECT_EQ(second.rfind("mark,1,", 0), 0u) << second;
    EXPECT_EQ(third.rfind("seg,2,0,50,5,", 0), 0u) << third;
    // The mark lies at the end of the step before it, at its time; every record has nine fields.
    const auto fields = [](std::string row) {
        std::vector<std::string> out;
        row.pop_back(); // the CR of CR LF
        std::istringstream in(row + ",");
        for (std::string field; std::getline(in, field, ',');)
            out.push_back(field);
        return out;
    };
    const auto segment = fields(first), mark = fields(second);
    ASSERT_EQ(segment.size(), 9u);
    ASSERT_EQ(mark.size(), 9u);
    EXPECT_EQ(mark[2], segment[5]);
    EXPECT_EQ(mark[3], segment[6]);
    EXPECT_EQ(mark[4], segment[7]);
    EXPECT_EQ(mark[5], "");
    EXPECT_EQ(mark[8], segment[8]);
    EXPECT_GT(std::stod(segment[8]), 0);
}

TEST_F(BatchOutputs, LevelsAsDrawnThenTheLegend) {
    ASSERT_EQ(run("--levels"), 0);
    const std::string out = readText(folder_ / "out.txt");
    EXPECT_EQ(out.rfind("10.000030000000001\n10.300000000000001\n", 0), 0u) << out;
    EXPECT_NE(out.find("14.799970000000011\nMinimum Contour : 10 m, Maximum Contour : 14.8 m, Contour "
                       "Interval : 0.3 m\n"),
              std::string::npos)
        << out;
}

TEST_F(BatchOutputs, PicturesAreWrittenAndUnwritableFilesFail) {
    const auto plan = folder_ / "plan.svg", graph = folder_ / "graph.svg";
    ASSERT_EQ(run("--contours-svg " + plan.string() + " --3d-svg " + graph.string() +
                  " --size 640x480 --angle 30 --surfaces water,top"),
              0);
    const std::string svg = readText(plan);
    EXPECT_NE(svg.find("width=\"640\" height=\"480\""), std::string::npos);
    EXPECT_NE(svg.find("Contour Interval : 0.3 m"), std::string::npos);
    EXPECT_NE(readText(graph).find("</svg>"), std::string::npos);

    EXPECT_EQ(run("--contours-svg " + (folder_ / "missing" / "plan.svg").string()), 3);
    EXPECT_NE(readText(folder_ / "err.txt").find("Cannot write the file"), std::string::npos);
    EXPECT_EQ(run("--3d-svg " + graph.string() + " --surfaces water,roof"), 3);
    EXPECT_NE(readText(folder_ / "err.txt").find("Unknown surface \"roof\""), std::string::npos);
}

TEST_F(BatchOutputs, OutputsFollowLinksAndKeepTheirMode) {
    // Regression: a picture saved through a link replaced the link and left its file stale.
    std::filesystem::create_directory(folder_ / "pictures");
    std::ofstream(folder_ / "pictures" / "plan.svg") << "old";
    std::filesystem::permissions(folder_ / "pictures" / "plan.svg",
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::create_symlink("pictures/plan.svg", folder_ / "plan.svg");
    ASSERT_EQ(run("--contours-svg " + (folder_ / "plan.svg").string()), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(folder_ / "plan.svg"));
    EXPECT_NE(readText(folder_ / "pictures" / "plan.svg").find("</svg>"), std::string::npos);
    EXPECT_EQ(std::filesystem::status(folder_ / "pictures" / "plan.svg").permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_ / "pictures"), {}), 1);
}
