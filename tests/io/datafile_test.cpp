#include "io/datafile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <sstream>
#include <utility>
#include <vector>

#include "io/io_test_support.h"
#include "model/number_text.h"
#include "solver/element_velocities.h"

using namespace velkor;
using velkor::testing::defaultProblem;
using velkor::testing::fileContent;
using velkor::testing::ScratchDirectory;
using velkor::testing::writeFile;

namespace {

const Limits kSmallLimits{20, 200, 200, 10};

// A 1000 m x 500 m strip with the head falling linearly from 20 m to 10 m, two blocks of the same
// permeability, two wells and two particles.
Problem sampleProblem() {
    Problem p = defaultProblem(kSmallLimits);
    p.fileName = "Strip.fem";
    p.problemName = "Linear strip";
    p.LX = 1000;
    p.LY = 500;
    p.TM = 20000;
    p.NA = 4, p.NN = 5, p.NB = 2, p.NM = 4, p.NW = 2, p.NP = 2;
    const double xy[5][2] = {{0, 0}, {0, 500}, {1000, 0}, {1000, 500}, {500, 250}};
    for (int i = 0; i < 5; ++i) {
        Node& node = p.nodes[i];
        node.X = xy[i][0];
        node.Y = xy[i][1];
        node.B = i == 4 ? -1.25 : 0;
        node.T = i == 4 ? 10.5 : 10;
        node.F = 20 - 0.01 * node.X;
        node.Q = i == 4 ? -12.345 : 0;
        node.Type = i == 4 ? 0 : 1;
    }
    p.blocks[0] = Block{{0, 2, 3}, 0};
    p.blocks[1] = Block{{0, 3, 1}, 1};
    p.soils[0] = Soil{2, 0.3, 1.5, 0.0001};
    p.soils[1] = Soil{2, 0.25, 1, 0};
    const int32_t corners[4][3] = {{0, 2, 4}, {2, 3, 4}, {3, 1, 4}, {1, 0, 4}};
    for (int m = 0; m < 4; ++m) {
        for (int k = 0; k < 3; ++k)
            p.elements[m].node[k] = corners[m][k];
        p.elements[m].soil = m < 2 ? 0 : 1;
    }
    p.wellNodes[0] = 4;
    p.wellQ[0] = -100.123456;
    p.wellNodes[1] = 2;
    p.wellQ[1] = 50.5;
    p.particles[0] = Particle{100.123456, 200.654321, 5.5, -1};
    p.particles[1] = Particle{900, 400, 1, -1};
    p.copyCountsToSaved();
    return p;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Replaces 1-based line number of a CR LF text.
std::string withLine(const std::string& text, int number, const std::string& line) {
    std::vector<std::string> lines = splitLines(text);
    lines.at(static_cast<std::size_t>(number - 1)) = line + "\r";
    std::string out;
    for (const std::string& l : lines)
        out += l + "\n";
    return out;
}

std::string firstLines(const std::string& text, int count) {
    std::string out;
    std::vector<std::string> lines = splitLines(text);
    for (int i = 0; i < count; ++i)
        out += lines.at(static_cast<std::size_t>(i)) + "\n";
    return out;
}

// Every field of the model that a read could touch, over the whole capacity of the tables.
void expectSameProblem(const Problem& a, const Problem& b) {
    EXPECT_EQ(a.fileName, b.fileName);
    EXPECT_EQ(a.problemName, b.problemName);
    EXPECT_EQ(a.NA, b.NA);
    EXPECT_EQ(a.NB, b.NB);
    EXPECT_EQ(a.NN, b.NN);
    EXPECT_EQ(a.NM, b.NM);
    EXPECT_EQ(a.NW, b.NW);
    EXPECT_EQ(a.NP, b.NP);
    EXPECT_EQ(a.LX, b.LX);
    EXPECT_EQ(a.LY, b.LY);
    EXPECT_EQ(a.TM, b.TM);
    EXPECT_EQ(a.saved.NN, b.saved.NN);
    EXPECT_EQ(a.saved.NP, b.saved.NP);
    EXPECT_EQ(a.saved.LX, b.saved.LX);
    EXPECT_EQ(a.warning, b.warning);
    EXPECT_EQ(a.meanQx, b.meanQx);
    ASSERT_EQ(a.nodes.size(), b.nodes.size());
    for (std::size_t i = 0; i < a.nodes.size(); ++i) {
        const Node &x = a.nodes[i], &y = b.nodes[i];
        ASSERT_TRUE(x.X == y.X && x.Y == y.Y && x.B == y.B && x.T == y.T && x.F == y.F && x.Q == y.Q &&
                    x.Type == y.Type)
            << "node " << i;
    }
    for (std::size_t i = 0; i < a.elements.size(); ++i) {
        const Element &x = a.elements[i], &y = b.elements[i];
        ASSERT_TRUE(x.node[0] == y.node[0] && x.node[1] == y.node[1] && x.node[2] == y.node[2] &&
                    x.soil == y.soil && x.qx == y.qx && x.qy == y.qy)
            << "element " << i;
    }
    for (std::size_t i = 0; i < a.blocks.size(); ++i) {
        ASSERT_EQ(a.blocks[i].soil, b.blocks[i].soil);
        ASSERT_EQ(a.blocks[i].node[2], b.blocks[i].node[2]);
        ASSERT_EQ(a.soils[i].K, b.soils[i].K);
        ASSERT_EQ(a.wellNodes[i], b.wellNodes[i]);
        ASSERT_EQ(a.wellQ[i], b.wellQ[i]);
    }
    for (std::size_t i = 0; i < a.particles.size(); ++i)
        ASSERT_EQ(a.particles[i].X, b.particles[i].X);
}

} // namespace

// ---- writing ---------------------------------------------------------------------------------

TEST(DatafileText, DefaultProblemMatchesGoldenBytes) {
    const std::string golden = fileContent(VELKOR_TEST_DATA_DIR "/io_default.fem");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(datafileText(defaultProblem()), golden);
}

TEST(DatafileText, ProblemWithWellsAndParticlesMatchesGoldenBytes) {
    const std::string golden = fileContent(VELKOR_TEST_DATA_DIR "/io_wells_particles.fem");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(datafileText(sampleProblem()), golden);
}

TEST(DatafileText, NumbersAreExactlyThoseOfPrintf) {
    Problem p = defaultProblem();
    // Halfway cases, negative zero, rounding to zero and values wider than their column.
    const double values[][6] = {{-0.0004, 0.0005, 0.0015, 2.675, -0.0, 1e12},
                                {123456789.125, -98765.4321, 1e-300, 0.1, 999.9995, -1e15}};
    for (const auto& v : values) {
        Node& node = p.nodes[0];
        node.X = v[0], node.Y = v[1], node.B = v[2], node.T = v[3], node.F = v[4], node.Q = v[5];
        node.Type = 12345;
        p.LX = v[5];
        p.TM = v[3];
        const std::vector<std::string> lines = splitLines(datafileText(p));
        EXPECT_EQ(lines[10], format("%8d,%10.3f,%10.3f,%8.3f,%8.3f,%8.3f,%8.3f,%4d,\r", 1, v[0], v[1], v[2],
                                    v[3], v[4], v[5], 12345));
        EXPECT_EQ(lines[6], format("%15.3f,%15.3f,\r", v[5], 1000.0));
        EXPECT_EQ(lines[8], format("%9d,%9d,%9d,%9d,%9d,%9d,%12.3f,\r", 3, 1, 3, 1, 0, 0, v[3]));
    }
}

TEST(WriteDatafile, WritesTheFileAndTakesItsBaseName) {
    ScratchDirectory dir;
    Problem p = sampleProblem();
    const std::string path = dir.file("Study 7.fem");
    writeFile(path, "old content");
    const Result result = writeDatafile(p, path);
    ASSERT_TRUE(result.ok()) << result.message;
    EXPECT_TRUE(result.message.empty());
    EXPECT_EQ(p.fileName, "Study 7.fem");
    EXPECT_EQ(fileContent(path), datafileText(p));
    EXPECT_EQ(splitLines(fileContent(path))[2], "Study 7.fem,\r");
    EXPECT_EQ(dir.entryCount(), 1u); // no temporary file left
}

TEST(WriteDatafile, FailureKeepsWhatWasThereAndTheModel) {
    ScratchDirectory dir;
    Problem p = sampleProblem();

    // Target directory missing. The program's line, then the system's reason on the next.
    Result result = writeDatafile(p, dir.file("missing/Data2.fem"));
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.message, "Writing datafile failed.  Disk full ?\nNo such file or directory");

    // Target is a directory holding a file: both stay, and no temporary file is left beside it.
    std::filesystem::create_directory(dir.file("Data3.fem"));
    writeFile(dir.file("Data3.fem/keep.txt"), "keep");
    result = writeDatafile(p, dir.file("Data3.fem"));
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.message, "Writing datafile failed.  Disk full ?\nIs a directory");
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("Data3.fem")));
    EXPECT_EQ(fileContent(dir.file("Data3.fem/keep.txt")), "keep");
    EXPECT_EQ(dir.entryCount(), 1u);
    EXPECT_EQ(p.fileName, "Strip.fem");
}

TEST(WriteDatafile, NameBeginningWithHashOrHoldingLineBreaksReadsBack) {
    // Written plainly, "#..." would be skipped as a comment and every later record would shift.
    Problem p = sampleProblem();
    p.problemName = "#3 pumping test";
    Problem back = defaultProblem(kSmallLimits);
    ASSERT_TRUE(readDatafileText(back, datafileText(p)).ok());
    EXPECT_EQ(back.problemName, "#3 pumping test");
    EXPECT_EQ(back.NN, 5);

    p.problemName = "two\r\nlines";
    ASSERT_TRUE(readDatafileText(back, datafileText(p)).ok());
    EXPECT_EQ(back.problemName, "two  lines");
}

// ---- reading ---------------------------------------------------------------------------------

TEST(ReadDatafile, RoundTripWithinPrintedPrecision) {
    ScratchDirectory dir;
    Problem original = sampleProblem();
    original.nodes[4].F = 15.0004; // the node line shows 15.000, the well line 15.000400
    ASSERT_TRUE(writeDatafile(original, dir.file("strip.fem")).ok());

    Problem p = defaultProblem(kSmallLimits);
    const Result result = readDatafile(p, dir.file("strip.fem"));
    ASSERT_TRUE(result.ok()) << result.message;
    // Equal texts mean equal counts and references and values equal to the printed decimals.
    EXPECT_EQ(datafileText(p), datafileText(original));
    EXPECT_EQ(p.fileName, "strip.fem");
    EXPECT_NEAR(p.nodes[4].F, 15.0004, 5e-7);
    EXPECT_EQ(p.saved.NN, 5);
    EXPECT_EQ(p.saved.NP, 2);
    EXPECT_EQ(p.saved.LY, 500);
    EXPECT_FALSE(p.warning);
    // The reader only reads: velocities are the Open command's to compute. From the loaded heads a
    // gradient of 0.01 with K = 2 gives qx = 0.02 m/d; the well head raised by 0.0004 m tilts qy by
    // only 3.2e-6 m/d.
    EXPECT_EQ(p.elements[0].qx, 0);
    computeElementVelocities(p);
    EXPECT_NEAR(p.elements[0].qx, 0.02, 1e-5);
    EXPECT_NEAR(p.elements[0].qy, 0.0, 1e-5);

    // A stored file reads to a problem that writes it again byte for byte.
    const std::string stored = VELKOR_TEST_DATA_DIR "/io_wells_particles.fem";
    ASSERT_TRUE(readDatafile(p, stored).ok());
    EXPECT_EQ(datafileText(p), fileContent(stored));
}

TEST(ReadDatafile, LongLinesReadBackAsWritten) {
    // Q = 1e12 makes the node line longer than 99 characters.
    Problem original = sampleProblem();
    original.nodes[2].Q = 1e12;
    original.nodes[3].X = 123456789012.5;
    const std::string text = datafileText(original);
    Problem p = defaultProblem(kSmallLimits);
    ASSERT_TRUE(readDatafileText(p, text).ok());
    EXPECT_EQ(p.nodes[2].Q, 1e12);
    EXPECT_EQ(p.nodes[3].X, 123456789012.5);
    EXPECT_EQ(datafileText(p), text);
}

TEST(ReadDatafile, ToleratesCommentsSeparatorsAndLineEnds) {
    const std::string golden = datafileText(sampleProblem());
    std::vector<std::string> variants;

    std::string noComments, extraComments, semicolons, blanks, unixEnds;
    for (const std::string& line : splitLines(golden)) {
        if (line[0] != '#') noComments += line + "\n";
        extraComments += "# a remark\r\n#\r\n" + line + "\n";
        std::string s = line, b = line;
        if (line[0] == ' ') { // number lines
            for (char& c : s)
                if (c == ',') c = ';';
            // Single blanks between the numbers and no comma at all.
            std::string packed;
            for (const char c : line.substr(0, line.size() - 1)) {
                if (c == ',' || c == ' ') {
                    if (!packed.empty() && packed.back() != ' ') packed += ' ';
                } else {
                    packed += c;
                }
            }
            if (packed.back() == ' ') packed.pop_back();
            b = packed + "\r";
        }
        semicolons += s + "\n";
        blanks += b + "\n";
        unixEnds += line.substr(0, line.size() - 1) + "\n";
    }
    for (const std::string& text : {noComments, extraComments, semicolons, blanks, unixEnds}) {
        Problem p = defaultProblem(kSmallLimits);
        const Result result = readDatafileText(p, text);
        ASSERT_TRUE(result.ok()) << result.message << "\n" << text;
        EXPECT_EQ(datafileText(p), golden);
    }
    EXPECT_NE(blanks.find("\n1 0.000 0.000 0.000 10.000 20.000 0.000 1\r\n"), std::string::npos)
        << "the blank-separated variant must hold a comma-free node line";
}

TEST(ReadDatafile, NameLines) {
    const std::string text = datafileText(sampleProblem());
    Problem p = defaultProblem(kSmallLimits);

    // Leading commas skipped, cut to 40 characters, a comma ends the name.
    const std::string longName(55, 'x');
    ASSERT_TRUE(readDatafileText(p, withLine(withLine(text, 3, ",,a.fem,b,"), 5, longName + ",")).ok());
    EXPECT_EQ(p.fileName, "a.fem");
    EXPECT_EQ(p.problemName, std::string(40, 'x'));

    ASSERT_TRUE(readDatafileText(p, withLine(text, 5, "Well field, north")).ok());
    EXPECT_EQ(p.problemName, "Well field");

    // A name without a comma ends at the line end; the CR belongs to the line end.
    ASSERT_TRUE(readDatafileText(p, withLine(text, 5, "No comma")).ok());
    EXPECT_EQ(p.problemName, "No comma");
}

TEST(ReadDatafile, WarningFlagWhenHeadBelowBottom) {
    Problem source = sampleProblem();
    source.nodes[1].F = -0.5; // below B = 0
    Problem p = defaultProblem(kSmallLimits);
    ASSERT_TRUE(readDatafileText(p, datafileText(source)).ok());
    EXPECT_TRUE(p.warning);
    // The reader never clears it; the next solution does.
    ASSERT_TRUE(readDatafileText(p, datafileText(sampleProblem())).ok());
    EXPECT_TRUE(p.warning);
}

TEST(ReadDatafile, WellLineOverridesHeadAndTypeOfItsNode) {
    const std::string text = datafileText(sampleProblem());
    Problem p = defaultProblem(kSmallLimits);
    // Node 3 says F = 10, Type 1; the well line on node 3 says 7.25 and 0.
    ASSERT_TRUE(readDatafileText(p, withLine(text, 29, "2,3,7.25,50.5,0,")).ok());
    EXPECT_EQ(p.nodes[2].F, 7.25);
    EXPECT_EQ(p.nodes[2].Type, 0);
    // Types above 1 are kept: the solver treats them as prescribed.
    ASSERT_TRUE(readDatafileText(p, withLine(text, 13, "3,1000,0,0,10,10,0,2,")).ok());
    EXPECT_EQ(p.nodes[2].Type, 1); // the well line still wins
    ASSERT_TRUE(readDatafileText(p, withLine(text, 12, "2,0,500,0,10,20,0,2,")).ok());
    EXPECT_EQ(p.nodes[1].Type, 2);
}

TEST(ReadDatafile, CapacityRefusalsRestoreTheSavedCounts) {
    struct Case {
        const char* counts;
        const char* table;
        const char* limit;
    };
    // Limits: BMAX 20, NMAX 200, MMAX 200, PMAX 10.
    const Case cases[] = {
        {"3,1,3,1,0,11,365,", "particles", "PMAX"},
        {"3,1,3,1,21,0,365,", "wells", "BMAX"},
        {"3,1,201,1,0,0,365,", "nodes", "NMAX"},
        {"201,1,3,1,0,0,365,", "nodes", "NMAX"},
        {"3,1,3,201,0,0,365,", "elements", "MMAX"},
        {"3,21,3,1,0,0,365,", "blocks", "BMAX"},
        // Checked in order: particles before wells.
        {"3,1,3,1,99,99,365,", "particles", "PMAX"},
        {"3,99,3,999,0,0,365,", "elements", "MMAX"},
    };
    const std::string text = datafileText(defaultProblem(kSmallLimits));
    for (const Case& c : cases) {
        Problem p = sampleProblem();
        const Problem before = p;
        p.NP = 1; // an edit since the restore point
        p.LX = 777;
        const Result result = readDatafileText(p, withLine(text, 9, c.counts));
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(result.message, std::string("Capacity exceeded\n\nThe number of ") + c.table +
                                      " in the problem is too large.\n\nThe capacity of the program can be "
                                      "increased by increasing the value of " +
                                      c.limit + " in the Installation Grid.");
        EXPECT_EQ(p.fileName, "Data1.fem");
        EXPECT_EQ(p.problemName, "Example 1");
        EXPECT_EQ(p.NP, 2);
        EXPECT_EQ(p.LX, 1000);
        EXPECT_EQ(p.NN, 5);
        EXPECT_EQ(p.NM, 4);
        EXPECT_EQ(p.TM, before.TM);
        EXPECT_EQ(p.nodes[4].Q, before.nodes[4].Q);
        EXPECT_EQ(p.elements[3].node[0], before.elements[3].node[0]);
    }
}

TEST(ReadDatafile, BadFilesLeaveTheProblemAsItWas) {
    const std::string text = datafileText(sampleProblem());
    const std::string failed = "Reading datafile failed.\n\n";
    static const char kBinary[] = "\x7f"
                                  "ELF\x02\x01\x01\n\x00\x00\x00\n\x03\x00>\n";
    struct Case {
        std::string content;
        std::string message;
    };
    const Case cases[] = {
        {firstLines(text, 20), "Reading datafile failed.  Unknown name ?"},
        {firstLines(text, 2), "Reading datafile failed.  Unknown name ?"},
        {"", failed + "The file is empty."},
        {withLine(text, 24, "2,3,4,6,1,"),
         failed + "Line 24 : element 2 refers to node 6, but there are only 5 nodes."},
        {withLine(text, 23, "1,1,3,0,1,"),
         failed + "Line 23 : element 1 refers to node 0, but there are only 5 nodes."},
        {withLine(text, 26, "4,2,1,5,3,"),
         failed + "Line 26 : element 4 refers to soil 3, but there are only 2 soils."},
        {withLine(text, 18, "2,1,5,2,2,"),
         failed + "Line 18 : block 2 refers to main node 5, but there are only 4 main nodes."},
        {withLine(text, 17, "1,1,3,4,0,"),
         failed + "Line 17 : block 1 refers to soil 0, but there are only 2 soils."},
        {withLine(text, 28, "1,9,15,-100,0,"),
         failed + "Line 28 : well 1 refers to node 9, but there are only 5 nodes."},
        {withLine(text, 9, "4,2,-5,4,2,2,20000,"),
         failed + "Line 9 : NN is -5, but a count cannot be negative."},
        {withLine(text, 9, "6,2,5,4,2,2,20000,"),
         failed + "Line 9 : NA (6) is larger than NN (5); the main nodes are the first nodes."},
        {withLine(text, 12, "2,0,500,0,10,20,0,-1,"),
         failed + "Line 12 : node 2 has type -1, but a type cannot be negative."},
        {withLine(text, 29, "2,3,10,50.5,-1,"),
         failed + "Line 29 : well 2 has type -1, but a type cannot be negative."},
        {withLine(text, 11, "1,0,0,0,10,20,"), failed + "Line 11 : 8 numbers expected, 6 found."},
        {withLine(text, 11, "1,0,0,nan,10,20,0,1,"), failed + "Line 11 : \"nan\" is not a number."},
        {withLine(text, 7, "inf,500,"), failed + "Line 7 : \"inf\" is not a number."},
        {withLine(text, 20, "1,1e999,0.3,1.5,0,"), failed + "Line 20 : \"1e999\" is too large."},
        {withLine(text, 9, "4,2,5,4,2,99999999999,20000,"),
         failed + "Line 9 : \"99999999999\" is too large for an integer."},
        {withLine(text, 31, std::string("1,1\0002,3,4,", 10)),
         failed + "Line 31 : the line holds a zero byte; this is not a text datafile."},
        {std::string(kBinary, sizeof kBinary - 1),
         failed + "Line 2 : the line holds a zero byte; this is not a text datafile."},
    };
    for (const Case& c : cases) {
        Problem p = sampleProblem();
        p.TM = 123;
        p.NW = 1;
        const Problem before = p;
        const Result result = readDatafileText(p, c.content);
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(result.message, c.message);
        expectSameProblem(p, before);
    }
}

TEST(ReadDatafile, MissingFileLeavesTheProblemAsItWas) {
    ScratchDirectory dir;
    Problem p = sampleProblem();
    const Problem before = p;
    EXPECT_EQ(readDatafile(p, dir.file("nowhere.fem")).message, "Reading datafile failed.  Unknown name ?");
    EXPECT_EQ(readDatafile(p, dir.path().string()).message, "Reading datafile failed.  Unknown name ?");
    expectSameProblem(p, before);
}

TEST(ReadDatafile, ReadsThroughAWindowOfBoundedSize) {
    // Regression: the whole file was read into memory first, so reading /dev/zero ran until the
    // system ended the program.
    ScratchDirectory dir;
    const std::string text = datafileText(sampleProblem());
    const std::string failed = "Reading datafile failed.\n\n";
    writeFile(dir.file("long.fem"), withLine(text, 12, std::string(70000, '7')));
    writeFile(dir.file("zeros.fem"), std::string(200000, '\0'));
    writeFile(dir.file("empty.fem"), "");
    struct Case {
        std::string path, message;
    };
    const Case cases[] = {
        {dir.file("long.fem"),
         failed + "Line 12 : the line is longer than 65536 characters; this is not a datafile."},
        {dir.file("zeros.fem"),
         failed + "Line 1 : the line is longer than 65536 characters; this is not a datafile."},
        {"/dev/zero", failed + "Line 1 : the line is longer than 65536 characters; this is not a datafile."},
        {dir.file("empty.fem"), failed + "The file is empty."},
    };
    for (const Case& c : cases) {
        Problem p = sampleProblem();
        const Problem before = p;
        const Result result = readDatafile(p, c.path);
        EXPECT_EQ(result.outcome, Outcome::BadInput) << c.path;
        EXPECT_EQ(result.message, c.message);
        expectSameProblem(p, before);
    }
    // The same rule holds for text in memory.
    Problem p = sampleProblem();
    EXPECT_EQ(readDatafileText(p, withLine(text, 12, std::string(70000, '7'))).message, cases[0].message);
    // Lines up to the bound read as before.
    EXPECT_TRUE(readDatafileText(p, withLine(text, 3, std::string(60000, 'n') + ",")).ok());
}

TEST(ReadDatafile, PhysicallyImpossibleValuesAreRefusedNamingTheLine) {
    // Regressions: LX = 0 made the merge tolerance of Split 4 zero and cracked the mesh; a node at
    // x = 1.5e308 made Split 4 store an infinite midpoint; "1e3" for NM was read as 1 and shifted
    // every later section.
    const std::string text = datafileText(sampleProblem());
    const std::string failed = "Reading datafile failed.\n\nLine ";
    const std::pair<std::string, std::string> cases[] = {
        {withLine(text, 7, "0,500,"),
         "7 : LX is \"0\", but the problem area must measure at least 0.001 m each way."},
        {withLine(text, 7, "0.0004,500,"),
         "7 : LX is \"0.0004\", but the problem area must measure at least 0.001 m each way."},
        {withLine(text, 11, "1,1.5e308,0,0,10,20,0,1,"), "11 : \"1.5e308\" is too large."},
        {withLine(text, 9, "4,2,5,1e3,2,2,20000,"), "9 : \"1e3\" is not a whole number."},
        {withLine(text, 20, "1,-2,0.3,1.5,0,"),
         "20 : soil 1 has permeability -2, but a permeability cannot be negative."},
        {withLine(text, 21, "2,2,0,1,0,"),
         "21 : soil 2 has porosity 0, but a porosity lies between 0.000001 and 1."},
        {withLine(text, 20, "1,2,0.3,0.5,0,"),
         "20 : soil 1 has retardation factor 0.5, but a retardation factor cannot be smaller than 1."},
    };
    for (const auto& [content, message] : cases) {
        Problem p = sampleProblem();
        const Problem before = p;
        const Result result = readDatafileText(p, content);
        EXPECT_EQ(result.outcome, Outcome::BadInput);
        EXPECT_EQ(result.message, failed + message);
        expectSameProblem(p, before);
    }
    // The largest values a datafile holds still read.
    Problem p = defaultProblem(kSmallLimits);
    EXPECT_TRUE(
        readDatafileText(p, withLine(withLine(text, 7, "0.001,1e15,"), 11, "1,-1e15,0,0,10,20,0,1,")).ok());
    EXPECT_EQ(p.LX, 0.001);
    EXPECT_EQ(p.nodes[0].X, -1e15);
}

TEST(WriteDatafile, RefusesWhatCouldNotBeReadBackAndKeepsTheOldFile) {
    // Regression: an infinite midpoint was saved as "inf", and the file could not be read again.
    ScratchDirectory dir;
    const std::string path = dir.file("kept.fem");
    writeFile(path, "old content");
    const std::pair<std::function<void(Problem&)>, std::string> cases[] = {
        {[](Problem& p) { p.nodes[2].X = std::numeric_limits<double>::infinity(); },
         "Node 3 : X is inf; a datafile holds finite values of at most 1e15 only."},
        {[](Problem& p) { p.particles[1].Z = 1e300; },
         "Particle 2 : Z is 1e+300; a datafile holds finite values of at most 1e15 only."},
        {[](Problem& p) { p.LX = 0.0001; },
         "LX is 0.0001 and LY is 500; the sizes of the problem area must lie between 0.001 m and 1e15 m."},
        {[](Problem& p) { p.soils[1].n = 0; },
         "Soil 2 has porosity 0, but a porosity lies between 0.000001 and 1."},
    };
    for (const auto& [spoil, message] : cases) {
        Problem p = sampleProblem();
        spoil(p);
        const Result result = writeDatafile(p, path);
        EXPECT_EQ(result.outcome, Outcome::BadInput);
        EXPECT_EQ(result.message, "Writing datafile failed.\n\n" + message);
        EXPECT_EQ(p.fileName, "Strip.fem");
    }
    EXPECT_EQ(fileContent(path), "old content");
    EXPECT_EQ(dir.entryCount(), 1u);
}
