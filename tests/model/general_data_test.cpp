#include <gtest/gtest.h>

#include <string>

#include "default_problem.h"
#include "model/general_data.h"

using namespace velkor;

using test::defaultProblem;

TEST(GeneralDataCell, AreaSizeMustBePositive) {
    Problem p = defaultProblem();
    GeneralCell cell = validateGeneralCell(GeneralRow::LX, "0", p);
    EXPECT_EQ(cell.message, "Enter positive real number");
    EXPECT_EQ(cell.text, "        100.000");
    EXPECT_FALSE(cell.allowMove);
    EXPECT_EQ(p.LX, 2000);

    cell = validateGeneralCell(GeneralRow::LY, "-3", p);
    EXPECT_FALSE(cell.allowMove);
    EXPECT_EQ(p.LY, 1000);

    cell = validateGeneralCell(GeneralRow::LY, "  750.5abc", p);
    EXPECT_TRUE(cell.allowMove);
    EXPECT_TRUE(cell.message.empty());
    EXPECT_EQ(cell.text, "        750.500");
    EXPECT_EQ(p.LY, 750.5);
    EXPECT_EQ(p.saved.LY, 750.5);
}

TEST(GeneralDataCell, TimeBetweenMarksFallsBackToHundred) {
    Problem p = defaultProblem();
    GeneralCell cell = validateGeneralCell(GeneralRow::TM, "-1", p);
    EXPECT_EQ(cell.message, "Enter positive real number");
    EXPECT_TRUE(cell.allowMove);
    EXPECT_EQ(p.TM, 100);
    EXPECT_EQ(cell.text, "        100.000");
    validateGeneralCell(GeneralRow::TM, "text", p);
    EXPECT_EQ(p.TM, 100);
}

TEST(GeneralDataCell, ParticleCountIsClampedToCapacity) {
    Problem p = defaultProblem();
    GeneralCell cell = validateGeneralCell(GeneralRow::NP, "-2", p);
    EXPECT_EQ(cell.message, "Enter integer value >= 0");
    EXPECT_EQ(p.NP, 0);

    cell = validateGeneralCell(GeneralRow::NP, "5000", p);
    EXPECT_EQ(cell.message, "Enter integer value <= PMAX");
    EXPECT_EQ(p.NP, p.limits.PMAX);
    EXPECT_EQ(cell.text, "         100");
}

TEST(GeneralDataCell, NewParticlesStartAtTheOrigin) {
    Problem p = defaultProblem();
    for (Particle& particle : p.particles)
        particle = Particle{7, 8, 9, -1};
    p.NP = 2;
    p.saved.NP = 2;
    validateGeneralCell(GeneralRow::NP, "4", p);
    EXPECT_EQ(p.particles[1].X, 7); // particles already in use keep their start
    EXPECT_EQ(p.particles[2].X, 0);
    EXPECT_EQ(p.particles[3].Z, 0);
    EXPECT_EQ(p.particles[4].X, 7);
    EXPECT_EQ(p.saved.NP, 4);

    // Shrinking and growing again within the saved count keeps the coordinates.
    p.particles[3] = Particle{1, 2, 3, -1};
    validateGeneralCell(GeneralRow::NP, "3", p);
    validateGeneralCell(GeneralRow::NP, "4", p);
    EXPECT_EQ(p.particles[3].X, 1);
}

TEST(GeneralDataCell, ProblemNameIsCutToSixtyCharacters) {
    Problem p = defaultProblem();
    const std::string longName(70, 'x');
    GeneralCell cell = validateGeneralCell(GeneralRow::ProblemName, longName, p);
    EXPECT_EQ(p.problemName, std::string(60, 'x'));
    EXPECT_EQ(cell.text, p.problemName);
    EXPECT_TRUE(cell.allowMove);
}

TEST(GeneralDataCell, RowTextsUseTheirFormats) {
    Problem p = defaultProblem();
    EXPECT_EQ(generalRowText(GeneralRow::FileName, p), "Data1.fem");
    EXPECT_EQ(generalRowText(GeneralRow::NN, p), "           3");
    EXPECT_EQ(generalRowText(GeneralRow::LX, p), "       2000.000");
    EXPECT_STREQ(generalRowLabel(GeneralRow::TM), "TM (d)");
    EXPECT_STREQ(generalRowLabel(GeneralRow::LY), "LY (m)");
}
