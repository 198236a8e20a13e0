// The export of the File menu as one call: which files it writes and how they are named, that
// they hold exactly the tables of the writers, and what a refusal, a missing solution or a stop
// leaves on disk.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "default_problem.h"
#include "gis/results_export.h"
#include "io/datafile.h"
#include "results/contour_plot.h"
#include "results/csv_export.h"
#include "results/water_budget.h"
#include "solver/element_velocities.h"

using namespace velkor;

namespace {

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Stops a tracking run at its first question.
class StopAtOnce : public Feedback {
  public:
    bool cancelRequested() override { return true; }
};

class ResultsExport : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ =
            std::filesystem::temp_directory_path() /
            ("velkor_export_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        problem_ = test::defaultProblem();
        ASSERT_TRUE(readDatafile(problem_, std::string(VELKOR_EXAMPLES_DIR) + "/Val1.fem").ok());
        computeElementVelocities(problem_);
        ASSERT_GT(problem_.NP, 0);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string path(const char* name) const { return (folder_ / name).string(); }

    std::filesystem::path folder_;
    Problem problem_;
};

} // namespace

TEST(ExportFiles, TablesAreNamedAfterTheChosenFileAGeoPackageIsIt) {
    ExportChoice csv;
    csv.pathlines = true;
    const std::vector<ExportFile> files = exportFiles("/data/run.1/Val3.csv", csv);
    ASSERT_EQ(files.size(), 4u);
    EXPECT_EQ(files[0].path, "/data/run.1/Val3-nodes.csv");
    EXPECT_EQ(files[1].path, "/data/run.1/Val3-elements.csv");
    EXPECT_EQ(files[2].path, "/data/run.1/Val3-pathlines.csv");
    EXPECT_EQ(files[3].path, "/data/run.1/Val3-budget.csv");
    EXPECT_EQ(files[3].table, "budget");
    // A name without an extension keeps its dots in the folder; only what is chosen is written.
    csv.nodes = csv.pathlines = false;
    const std::vector<ExportFile> some = exportFiles("/data/run.1/heads", csv);
    ASSERT_EQ(some.size(), 2u);
    EXPECT_EQ(some[0].path, "/data/run.1/heads-elements.csv");
    EXPECT_EQ(some[1].path, "/data/run.1/heads-budget.csv");

    ExportChoice gis;
    gis.format = ExportFormat::GeoPackage;
    const std::vector<ExportFile> one = exportFiles("/data/Val3.gpkg", gis);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].path, "/data/Val3.gpkg");
}

TEST_F(ResultsExport, CsvTablesHoldWhatTheWritersWrite) {
    ExportChoice choice;
    choice.pathlines = true;
    const ExportReport report = exportResults(problem_, choice, path("val1.csv"));
    ASSERT_EQ(report.result.outcome, Outcome::Done) << report.result.message;
    ASSERT_EQ(report.written.size(), 4u);
    EXPECT_NE(report.result.message.find("Written: " + path("val1-budget.csv")), std::string::npos);

    StringSink nodes, elements, budget, pathlines;
    writeNodesCsv(problem_, nodes);
    writeElementsCsv(problem_, elements);
    writeBudgetCsv(computeWaterBudget(problem_), budget);
    writePathlinesCsv(problem_, planTrackingLength(problem_), pathlines);
    EXPECT_EQ(fileText(path("val1-nodes.csv")), nodes.text());
    EXPECT_EQ(fileText(path("val1-elements.csv")), elements.text());
    EXPECT_EQ(fileText(path("val1-budget.csv")), budget.text());
    EXPECT_EQ(fileText(path("val1-pathlines.csv")), pathlines.text());
    EXPECT_NE(pathlines.text().find("\r\nseg,1,"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(path("val1.csv")));
}

TEST_F(ResultsExport, ABudgetWithoutSolutionIsNotWrittenTheOtherTablesAre) {
    for (int32_t i = 0; i < problem_.NN; ++i)
        problem_.nodes[static_cast<std::size_t>(i)].Q = 0; // heads 15 and 10 given: no solution held
    const std::string budget = path("val1-budget.csv");
    std::ofstream(budget) << "old budget";
    const ExportReport report = exportResults(problem_, ExportChoice{}, path("val1.csv"));
    EXPECT_EQ(report.result.outcome, Outcome::NothingToDo);
    EXPECT_EQ(report.result.message.rfind("Not written: " + budget + " - Solve first.", 0), 0u)
        << report.result.message;
    EXPECT_EQ(report.written, (std::vector<std::string>{path("val1-nodes.csv"), path("val1-elements.csv")}));
    EXPECT_EQ(fileText(budget), "old budget");
}

TEST_F(ResultsExport, AStoppedTrackingRunLeavesItsFileAndEndsTheExport) {
    const std::string pathlines = path("val1-pathlines.csv");
    std::ofstream(pathlines) << "old pathlines";
    ExportChoice choice;
    choice.pathlines = true;
    StopAtOnce stop;
    const ExportReport report = exportResults(problem_, choice, path("val1.csv"), &stop);
    EXPECT_EQ(report.result.outcome, Outcome::Cancelled);
    EXPECT_EQ(fileText(pathlines), "old pathlines");
    EXPECT_EQ(report.written, (std::vector<std::string>{path("val1-nodes.csv"), path("val1-elements.csv")}));
    EXPECT_FALSE(std::filesystem::exists(path("val1-budget.csv"))); // after the stop

    ExportChoice gis;
    gis.format = ExportFormat::GeoPackage;
    const ExportReport stopped = exportResults(problem_, gis, path("val1.gpkg"), &stop);
    EXPECT_EQ(stopped.result.outcome, Outcome::Cancelled);
    EXPECT_FALSE(std::filesystem::exists(path("val1.gpkg")));
}

TEST_F(ResultsExport, GeoPackageWithAnUnknownReferenceIsRefusedUnwritten) {
    ExportChoice gis;
    gis.format = ExportFormat::GeoPackage;
    gis.epsg = 999999;
    const ExportReport refused = exportResults(problem_, gis, path("val1.gpkg"));
    EXPECT_EQ(refused.result.outcome, Outcome::BadInput);
    EXPECT_EQ(refused.result.message.rfind("EPSG:999999 is not a coordinate reference GDAL knows: ", 0), 0u);
    EXPECT_TRUE(refused.written.empty());
    EXPECT_FALSE(std::filesystem::exists(path("val1.gpkg")));

    gis.epsg = 25832;
    const ExportReport written = exportResults(problem_, gis, path("val1.gpkg"));
    ASSERT_EQ(written.result.outcome, Outcome::Done) << written.result.message;
    EXPECT_EQ(written.written, (std::vector<std::string>{path("val1.gpkg")}));
    EXPECT_EQ(fileText(path("val1.gpkg")).rfind("SQLite format 3", 0), 0u);

    ExportChoice none;
    none.nodes = none.elements = none.budget = false;
    EXPECT_EQ(exportResults(problem_, none, path("x.csv")).result.outcome, Outcome::NothingToDo);
}
