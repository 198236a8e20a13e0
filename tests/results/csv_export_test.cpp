// The CSV writer: quoting, numbers, missing values and text, as a spreadsheet reads them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string>

#include "default_problem.h"
#include "io/text_file.h"
#include "results/csv_export.h"

using namespace velkor;

TEST(CsvWriter, QuotesOnlyWhereNeededAndWritesShortestNumbers) {
    StringSink sink;
    {
        CsvWriter csv(sink);
        csv.text("plain");
        csv.text("x 0.0, y 1.0");
        csv.text("say \"so\"");
        csv.number(0.1);
        csv.number(1e-7);
        csv.number(-0.0);
        csv.number(123456789.125);
        csv.integer(-42);
        csv.endRecord();
        csv.number(std::numeric_limits<double>::quiet_NaN());
        csv.number(-std::numeric_limits<double>::infinity());
        csv.empty();
        csv.endRecord();
        EXPECT_EQ(csv.emptiedValues(), 2);
    }
    EXPECT_EQ(sink.text(),
              "plain,\"x 0.0, y 1.0\",\"say \"\"so\"\"\",0.1,1e-07,-0,123456789.125,-42\r\n,,\r\n");
}

TEST(CsvWriter, ProgramTextBecomesUtf8) {
    EXPECT_EQ(utf8FromWindows1252("y 0.0\x96"
                                  "100.0 m\xB3/d"),
              "y 0.0\xE2\x80\x93"
              "100.0 m\xC2\xB3/d");
    EXPECT_EQ(utf8FromWindows1252("\x81"), "\xEF\xBF\xBD"); // no character in the code page
}

TEST(CsvTables, NodeValuesThatAreNoNumberAreLeftEmptyAndCounted) {
    Problem problem = test::defaultProblem();
    problem.nodes[2].Q = std::numeric_limits<double>::quiet_NaN();
    StringSink sink;
    const Result written = writeNodesCsv(problem, sink);
    EXPECT_EQ(written.outcome, Outcome::Done);
    EXPECT_EQ(written.message, "1 value that was not a number was left empty.");
    EXPECT_EQ(sink.text(), "node,x,y,bottom,top,head,type,Q\r\n"
                           "1,0,0,0,10,20,1,0\r\n"
                           "2,0,500,0,10,20,1,0\r\n"
                           "3,500,0,0,10,10,0,\r\n");
}

TEST(CsvTables, ARefusedTableLeavesTheFileAsItWas) {
    const std::string path = ::testing::TempDir() + "velkor_csv_refused.csv";
    ASSERT_TRUE(replaceFileContent(path, "old"));
    WaterBudget none; // no solution
    const Result refused = writeCsvFile(path, [&](TextSink& sink) { return writeBudgetCsv(none, sink); });
    EXPECT_EQ(refused.outcome, Outcome::NothingToDo);
    EXPECT_EQ(refused.message, "Solve first.");
    std::ifstream kept(path);
    std::string content;
    std::getline(kept, content);
    EXPECT_EQ(content, "old");
    StringSink unused;
    EXPECT_EQ(writeBudgetCsv(none, unused).outcome, Outcome::NothingToDo);
    EXPECT_TRUE(unused.text().empty());
    const Result missing = writeCsvFile(::testing::TempDir() + "no/such/folder/x.csv", [&](TextSink& sink) {
        return writeNodesCsv(test::defaultProblem(), sink);
    });
    EXPECT_EQ(missing.outcome, Outcome::FileError);
    EXPECT_EQ(missing.message.rfind("Cannot write the file ", 0), 0u);
    std::remove(path.c_str());
}
