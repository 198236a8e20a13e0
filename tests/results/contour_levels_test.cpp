#include <gtest/gtest.h>

#include <cmath>

#include "results/contour_levels.h"
#include "results/results_support.h"

namespace velkor {
namespace {

using testing::makeDefaultProblem;

Problem withHeads(std::initializer_list<double> heads) {
    Problem problem;
    makeDefaultProblem(problem);
    int i = 0;
    for (const double f : heads)
        problem.nodes[static_cast<std::size_t>(i++)].F = f;
    return problem;
}

TEST(ContourLevels, HeadsTenToTwentyGiveTwentyOneLevelsHalfAMetreApart) {
    const ContourLevels levels = computeContourLevels(withHeads({20, 20, 10}));
    EXPECT_EQ(levels.count, 20);
    ASSERT_EQ(levels.levels.size(), 21u);
    EXPECT_DOUBLE_EQ(levels.interval, 0.5);
    EXPECT_EQ(levels.legend, "Minimum Contour : 10 m, Maximum Contour : 20 m, Contour Interval : 0.5 m");
    // The extremes are moved inward by 1e-4 of the interval so that the extreme heads are found.
    EXPECT_DOUBLE_EQ(levels.levels[0], 10 + 0.5e-4);
    EXPECT_DOUBLE_EQ(levels.levels[1], 10.5);
    EXPECT_DOUBLE_EQ(levels.levels[10], 15);
    EXPECT_DOUBLE_EQ(levels.levels[20], 20 - 0.5e-4);
}

TEST(ContourLevels, IntervalRoundsToTenthsAndMaximumFollowsTheCount) {
    // d = 5 / 20 = 0.25 rounds to 0.3; N = trunc(5 / 0.3) = 16; the highest level is 14.8.
    const ContourLevels levels = computeContourLevels(withHeads({15, 15, 10}));
    EXPECT_EQ(levels.count, 16);
    EXPECT_NEAR(levels.interval, 0.3, 1e-15);
    EXPECT_NEAR(levels.maximum, 14.8, 1e-12);
    EXPECT_EQ(levels.legend, "Minimum Contour : 10 m, Maximum Contour : 14.8 m, Contour Interval : 0.3 m");
    ASSERT_EQ(levels.levels.size(), 17u);
    EXPECT_NEAR(levels.levels[16], 14.8 - 0.3e-4, 1e-12);
    // Each level is the previous one plus d, so it carries the sum's rounding.
    double level = 10;
    for (int k = 1; k < 16; ++k) {
        level = level + levels.interval;
        EXPECT_EQ(levels.levels[static_cast<std::size_t>(k)], level);
    }
}

TEST(ContourLevels, HeadsWithinOneTenthGiveNoContour) {
    const ContourLevels levels = computeContourLevels(withHeads({10.05, 10.05, 10.05}));
    EXPECT_EQ(levels.count, -1);
    EXPECT_TRUE(levels.levels.empty());
    EXPECT_EQ(levels.legend, "Minimum Contour : 10.1 m, Maximum Contour : 10 m, Contour Interval : 0.1 m");
}

TEST(ContourLevels, SingleLevelIsLowered) {
    // Heads 10.0 .. 10.08: Fmin = 10, Fmax = 10, N = 0, the one level lies just below 10.
    const ContourLevels levels = computeContourLevels(withHeads({10.0, 10.08, 10.04}));
    ASSERT_EQ(levels.count, 0);
    ASSERT_EQ(levels.levels.size(), 1u);
    EXPECT_DOUBLE_EQ(levels.levels[0], 10 - 0.1e-4);
}

TEST(ContourLevels, HeadsThatAreNotNumbersGiveNoLevels) {
    const ContourLevels levels = computeContourLevels(withHeads({NAN, 12, 10}));
    EXPECT_TRUE(levels.levels.empty());
    const ContourLevels huge = computeContourLevels(withHeads({-1e308, 1e308, 0}));
    EXPECT_TRUE(huge.levels.empty());
}

TEST(ContourSegment, HalfOpenRuleCrossesTwoSidesOrNone) {
    const double x[3] = {0, 10, 0}, y[3] = {0, 0, 10};
    const double f[3] = {10, 20, 10};
    ContourSegment s;
    ASSERT_TRUE(contourSegment(x, y, f, 15, s));
    // Sides 1-2 (crossed at x = 5) and 2-3 (crossed at its middle); side 3-1 has equal heads.
    EXPECT_DOUBLE_EQ(s.x1, 5);
    EXPECT_DOUBLE_EQ(s.y1, 0);
    EXPECT_DOUBLE_EQ(s.x2, 5);
    EXPECT_DOUBLE_EQ(s.y2, 5);
    // A level at the highest head crosses nothing, one at the lowest head crosses (Fa <= c < Fb).
    EXPECT_FALSE(contourSegment(x, y, f, 20, s));
    EXPECT_TRUE(contourSegment(x, y, f, 10, s));
    EXPECT_FALSE(contourSegment(x, y, f, 9.99, s));
}

TEST(ContourSegment, LevelThroughACornerPassesThroughIt) {
    const double x[3] = {0, 10, 0}, y[3] = {0, 0, 10};
    const double f[3] = {10, 20, 15};
    ContourSegment s;
    ASSERT_TRUE(contourSegment(x, y, f, 15, s));
    // Side 1-2 at x = 5; side 2-3 ends at the level (15 <= c < 20), crossed at corner 3 itself;
    // side 3-1 has both ends at or below the level and is not crossed.
    EXPECT_DOUBLE_EQ(s.x1, 5);
    EXPECT_DOUBLE_EQ(s.y1, 0);
    EXPECT_DOUBLE_EQ(s.x2, 0);
    EXPECT_DOUBLE_EQ(s.y2, 10);
}

TEST(ContourSegment, LevelRangeMatchesTheSideTests) {
    const double x[3] = {0, 10, 3}, y[3] = {0, 1, 10};
    std::vector<double> levels;
    for (int k = 0; k <= 40; ++k)
        levels.push_back(9 + 0.25 * k);
    const double cases[][3] = {{10, 12, 11}, {12, 12, 12}, {10, 10, 14}, {9, 19, 14}, {11, 11.5, 11.25}};
    for (const auto& f : cases) {
        std::size_t first = 0, last = 0;
        crossingLevelRange(levels, f, first, last);
        for (std::size_t k = 0; k < levels.size(); ++k) {
            ContourSegment s;
            EXPECT_EQ(contourSegment(x, y, f, levels[k], s), k >= first && k < last) << "level " << levels[k];
        }
    }
}

} // namespace
} // namespace velkor
