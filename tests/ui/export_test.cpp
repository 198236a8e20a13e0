// File > Export... as the user runs it: the export dialog and the file dialog answered from the
// script, the files read back, an unknown coordinate reference refused before anything is written,
// and a tracking run stopped by Escape.
#include <QAction>

#include <filesystem>
#include <fstream>
#include <string>

#include "results/csv_export.h"
#include "results/water_budget.h"
#include "ui_support.h"

using namespace velkor;
using namespace velkor::testing;

namespace {

class ExportCommand : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        folder = std::filesystem::current_path() / "export_scratch" /
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        openFile(std::string(VELKOR_EXAMPLES_DIR) + "/Val1.fem"); // solved, three particles
        ASSERT_GT(problem().NP, 0);
    }
    std::string path(const char* name) const { return (folder / name).string(); }
    static std::size_t lines(const std::string& text) {
        return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    }

    std::filesystem::path folder;
};

ExportChoice csvTables(bool pathlines) {
    ExportChoice choice;
    choice.pathlines = pathlines;
    return choice;
}

} // namespace

TEST_F(ExportCommand, CsvTablesAreWrittenBesideTheChosenName) {
    EXPECT_EQ(main().Export1->text(), QStringLiteral("&Export\u2026"));
    dialogs.exportAnswers.push_back(csvTables(true));
    dialogs.saveAnswers.push_back(path("run.csv"));
    choose(main().Export1);

    ASSERT_EQ(dialogs.exportProposals.size(), 1u);
    EXPECT_EQ(dialogs.exportProposals[0].format, ExportFormat::Csv);
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].fileName, "Val1.csv");
    EXPECT_EQ(dialogs.saveRequests[0].filter, "CSV(*.csv)|*.csv");

    const std::string nodes = fileText(path("run-nodes.csv"));
    EXPECT_EQ(nodes.rfind("node,x,y,bottom,top,head,type,Q\r\n1,0,0,", 0), 0u) << nodes.substr(0, 80);
    EXPECT_EQ(lines(nodes), static_cast<std::size_t>(problem().NN) + 1);
    const std::string elements = fileText(path("run-elements.csv"));
    EXPECT_EQ(elements.rfind("element,node1,node2,node3,soil,vx,vy\r\n", 0), 0u);
    EXPECT_EQ(lines(elements), static_cast<std::size_t>(problem().NM) + 1);
    EXPECT_NE(fileText(path("run-pathlines.csv")).find("\r\nmark,1,"), std::string::npos);
    StringSink budget;
    writeBudgetCsv(computeWaterBudget(problem()), budget);
    EXPECT_EQ(fileText(path("run-budget.csv")), budget.text());
    EXPECT_FALSE(std::filesystem::exists(path("run.csv")));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].find("Written: " + path("run-pathlines.csv")), std::string::npos);

    // The next export proposes what this one chose.
    choose(main().Export1);
    ASSERT_EQ(dialogs.exportProposals.size(), 2u);
    EXPECT_TRUE(dialogs.exportProposals[1].pathlines);
    EXPECT_EQ(dialogs.saveRequests.size(), 1u); // cancelled: no file dialog
}

TEST_F(ExportCommand, AnUnknownReferenceIsRefusedBeforeAnythingIsWritten) {
    ExportChoice gis;
    gis.format = ExportFormat::GeoPackage;
    gis.epsg = 999999;
    gis.originX = 500000;
    dialogs.exportAnswers.push_back(gis); // refused; the dialog comes back with it and is cancelled
    choose(main().Export1);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].rfind("EPSG:999999 is not a coordinate reference GDAL knows: ", 0), 0u)
        << dialogs.messages[0];
    ASSERT_EQ(dialogs.exportProposals.size(), 2u);
    EXPECT_EQ(dialogs.exportProposals[1].epsg, 999999);
    EXPECT_EQ(dialogs.exportProposals[1].originX, 500000);
    EXPECT_TRUE(dialogs.saveRequests.empty());
    EXPECT_TRUE(std::filesystem::is_empty(folder));

    // Corrected, the GeoPackage is written to the name chosen.
    gis.epsg = 25832;
    dialogs.exportAnswers.push_back(gis);
    dialogs.saveAnswers.push_back(path("val1.gpkg"));
    choose(main().Export1);
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].fileName, "Val1.gpkg");
    // A GeoPackage by its signature: an SQLite file whose application id is "GPKG".
    const std::string gpkg = fileText(path("val1.gpkg"));
    EXPECT_EQ(gpkg.substr(0, 16), std::string("SQLite format 3\0", 16));
    EXPECT_EQ(gpkg.substr(68, 4), "GPKG");
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1], "Written: " + path("val1.gpkg"));
}

TEST_F(ExportCommand, EscapeStopsTheTrackingRunAndKeepsItsFile) {
    const std::string pathlines = path("run-pathlines.csv");
    std::ofstream(pathlines) << "old pathlines";
    int repaints = 0;
    main().onExportProgress = [&] {
        ++repaints;
        EXPECT_TRUE(main().PanelExport->isVisible());
        QTest::keyClick(&main(), Qt::Key_Escape);
    };
    dialogs.exportAnswers.push_back(csvTables(true));
    dialogs.saveAnswers.push_back(path("run.csv"));
    choose(main().Export1);
    EXPECT_GE(repaints, 1);
    EXPECT_EQ(fileText(pathlines), "old pathlines");
    EXPECT_TRUE(std::filesystem::exists(path("run-nodes.csv")));
    EXPECT_FALSE(std::filesystem::exists(path("run-budget.csv")));
    EXPECT_FALSE(main().PanelExport->isVisible());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].rfind("Not written: " + pathlines, 0), 0u) << dialogs.messages[0];
}
