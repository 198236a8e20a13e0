// velkor-batch exports: the CSV tables read back and compared with the datafile, the budget
// table, Set Nodes from the command line, the printed budget and the GeoPackage's refusals.
#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "batch_run.h"
#include "default_problem.h"
#include "io/datafile.h"
#include "solver/element_velocities.h"

namespace {

using velkor::test::readText;

class Exports : public velkor::test::BatchRun {
  protected:
    std::string example(const char* name) const { return std::string(VELKOR_EXAMPLES_DIR) + "/" + name; }
};

// The records of a CSV table without quoted fields: lines ending in CR LF, split at commas.
std::vector<std::vector<std::string>> records(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "a record without CR LF";
        if (end == std::string::npos) break;
        std::vector<std::string> fields;
        std::istringstream line(text.substr(start, end - start) + ",");
        for (std::string field; std::getline(line, field, ',');)
            fields.push_back(field);
        rows.push_back(fields);
        start = end + 2;
    }
    return rows;
}

double number(const std::string& field) {
    double value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    EXPECT_TRUE(error == std::errc() && end == field.data() + field.size()) << field;
    return value;
}

} // namespace

TEST_F(Exports, NodeAndElementTablesHoldTheDatafileValuesExactly) {
    const auto nodes = folder_ / "nodes.csv", elements = folder_ / "elements.csv";
    ASSERT_EQ(
        run(example("Val3.fem") + " --nodes-csv " + nodes.string() + " --elements-csv " + elements.string()),
        0)
        << err();
    velkor::Problem problem = velkor::test::defaultProblem();
    ASSERT_TRUE(velkor::readDatafile(problem, example("Val3.fem")).ok());
    velkor::computeElementVelocities(problem); // as the program does after a load

    const auto nodeRows = records(readText(nodes));
    ASSERT_EQ(nodeRows.size(), static_cast<std::size_t>(problem.NN) + 1);
    EXPECT_EQ(nodeRows[0],
              (std::vector<std::string>{"node", "x", "y", "bottom", "top", "head", "type", "Q"}));
    for (int32_t i = 0; i < problem.NN; ++i) {
        const auto& row = nodeRows[static_cast<std::size_t>(i) + 1];
        const velkor::Node& node = problem.nodes[static_cast<std::size_t>(i)];
        ASSERT_EQ(row.size(), 8u);
        EXPECT_EQ(row[0], std::to_string(i + 1));
        EXPECT_EQ(number(row[1]), node.X);
        EXPECT_EQ(number(row[2]), node.Y);
        EXPECT_EQ(number(row[3]), node.B);
        EXPECT_EQ(number(row[4]), node.T);
        EXPECT_EQ(number(row[5]), node.F);
        EXPECT_EQ(row[6], std::to_string(node.Type));
        EXPECT_EQ(number(row[7]), node.Q);
    }
    // The shortest form: 3.125 is written as it reads, no trailing zeros.
    EXPECT_EQ(nodeRows[5][2], "3.125");

    const auto elementRows = records(readText(elements));
    ASSERT_EQ(elementRows.size(), static_cast<std::size_t>(problem.NM) + 1);
    EXPECT_EQ(elementRows[0],
              (std::vector<std::string>{"element", "node1", "node2", "node3", "soil", "vx", "vy"}));
    for (int32_t m = 0; m < problem.NM; ++m) {
        const auto& row = elementRows[static_cast<std::size_t>(m) + 1];
        const velkor::Element& e = problem.elements[static_cast<std::size_t>(m)];
        ASSERT_EQ(row.size(), 7u);
        EXPECT_EQ(row[1], std::to_string(e.node[0] + 1));
        EXPECT_EQ(row[3], std::to_string(e.node[2] + 1));
        EXPECT_EQ(row[4], std::to_string(e.soil + 1));
        // The velocities of the loaded heads, every digit of them.
        EXPECT_EQ(number(row[5]), e.qx);
        EXPECT_EQ(number(row[6]), e.qy);
    }
}

TEST_F(Exports, BudgetTableAfterASolveAndSolveFirstWithoutOne) {
    const auto budget = folder_ / "budget.csv";
    ASSERT_EQ(run(example("Val1.fem") + " solve --budget " + budget.string()), 0) << err();
    const std::string table = readText(budget);
    EXPECT_EQ(
        table.rfind("item,number,name,nodes,head_min,head_max,in,out,discrepancy_percent,out_of_date\r\n"
                    "boundary,1,\"x 0.0, y 0.0\xE2\x80\x93"
                    "100.0\",33,15,15,",
                    0),
        0u)
        << table;
    EXPECT_NE(table.find("\"x 1000.0, y 0.0\xE2\x80\x93"
                         "100.0\",33,10,10,0,"),
              std::string::npos);
    EXPECT_NE(table.find("\r\ninfiltration,1,soil 1,,,,0,0,,\r\n"), std::string::npos) << table;
    const std::size_t total = table.find("\r\ntotal,,,,,,");
    ASSERT_NE(total, std::string::npos);
    std::vector<std::string> fields;
    std::istringstream last(table.substr(total + 2, table.size() - total - 4) + ",");
    for (std::string field; std::getline(last, field, ',');)
        fields.push_back(field);
    ASSERT_EQ(fields.size(), 10u);
    EXPECT_NEAR(number(fields[6]), 5, 5e-6);
    EXPECT_NEAR(number(fields[7]), 5, 5e-6);
    EXPECT_LT(std::abs(number(fields[8])), 1e-6);
    EXPECT_EQ(fields[9], "0");

    // A head changed by Set Nodes: water would flow, but no solve has given a discharge.
    {
        std::ofstream old(budget, std::ios::binary);
        old << "old";
    }
    EXPECT_EQ(run("- setnodes:0,0,0,0,1,30 --budget " + budget.string()), 3);
    EXPECT_EQ(err(), "Solve first.\n");
    EXPECT_EQ(readText(budget), "old");
}

TEST_F(Exports, SetNodesFromTheCommandLine) {
    // The left end of Val1 made a closed end: its 33 nodes given supply, the head there free.
    const auto out = folder_ / "out.fem";
    ASSERT_EQ(run(example("Val1.fem") + " setnodes:0,-1,0,101,0 --verbose -o " + out.string()), 0) << err();
    EXPECT_NE(err().find("33 nodes set.\n"), std::string::npos) << err();
    velkor::Problem problem = velkor::test::defaultProblem();
    ASSERT_TRUE(velkor::readDatafile(problem, out.string()).ok());
    for (int32_t i = 0; i < problem.NN; ++i) {
        const velkor::Node& node = problem.nodes[static_cast<std::size_t>(i)];
        if (node.X == 0) {
            EXPECT_EQ(node.Type, 0);
        } else if (node.X == 1000) {
            EXPECT_EQ(node.Type, 1);
        }
    }
    // A rectangle that catches no node says so: the exit status of a refusal.
    EXPECT_EQ(run(example("Val1.fem") + " setnodes:1,1,2,2,1,10"), 3);
    EXPECT_EQ(err(), "No node lies in the rectangle. Nothing was changed.\n");
    // A type other than 0 or 1, or a missing corner, is a usage error.
    EXPECT_EQ(run(example("Val1.fem") + " setnodes:0,0,1,1,2"), 2);
    EXPECT_EQ(run(example("Val1.fem") + " setnodes:0,0,1,1"), 2);
    EXPECT_EQ(run(example("Val1.fem") + " setnodes:0,0,1,1,1,5,6"), 2);
}

TEST_F(Exports, PrintedBudgetAndGeoPackageRefusals) {
    const auto pdf = folder_ / "report.pdf";
    ASSERT_EQ(run(example("Val1.fem") + " --report-pdf " + pdf.string() + " --print budget,general"), 0)
        << err();
    EXPECT_EQ(readText(pdf).rfind("%PDF", 0), 0u);
    EXPECT_EQ(run(example("Val1.fem") + " --report-pdf " + pdf.string() + " --print budget,water"), 2);

    // An unknown reference: refused with GDAL's words before any output is written.
    const auto gpkg = folder_ / "v.gpkg", nodes = folder_ / "nodes.csv", track = folder_ / "track.csv";
    const auto out = folder_ / "out.fem";
    EXPECT_EQ(run(example("Val1.fem") + " --nodes-csv " + nodes.string() + " --gpkg " + gpkg.string() +
                  " --epsg 999999 --track-csv " + track.string() + " -o " + out.string()),
              3);
    EXPECT_EQ(err().rfind("EPSG:999999 is not a coordinate reference GDAL knows: ", 0), 0u) << err();
    for (const auto& file : {gpkg, nodes, track, out})
        EXPECT_FALSE(std::filesystem::exists(file)) << file;
    EXPECT_EQ(run(example("Val1.fem") + " --gpkg " + gpkg.string() + " --origin 5,x"), 2);
    EXPECT_EQ(run(example("Val1.fem") + " --gpkg " + gpkg.string() + " --epsg 25832 --origin 500000,5400000"),
              0)
        << err();
    EXPECT_EQ(readText(gpkg).rfind("SQLite format 3", 0), 0u);
}
