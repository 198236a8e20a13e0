#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "mesh/carried_heapsort.h"
#include "mesh/mesh_test_support.h"

using namespace velkor;

namespace {

// The order among equal keys is the heapsort's own and decides the numbering, so the sort must
// leave exactly what the step-by-step procedure leaves, not merely a sorted array.
void expectSameAsWritten(const std::vector<double>& keys) {
    std::vector<double> slowKeys = keys;
    std::vector<int32_t> slowPerm(keys.size());
    std::vector<KeyedIndex> pairs(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        slowPerm[i] = static_cast<int32_t>(i);
        pairs[i] = KeyedIndex{keys[i], static_cast<int32_t>(i)};
    }
    if (!keys.empty()) test::byScans::heapsort(slowKeys, slowPerm, 0, static_cast<int32_t>(keys.size()) - 1);
    carriedHeapsort(pairs.data(), pairs.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        ASSERT_EQ(pairs[i].index, slowPerm[i]) << "position " << i << " of " << keys.size();
    }
}

} // namespace

TEST(CarriedHeapsort, LeavesEqualKeysInTheOrderOfTheProcedure) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 400; ++round) {
        const std::size_t n = std::uniform_int_distribution<std::size_t>(0, 300)(random);
        // Few distinct keys, so ties are everywhere.
        const int distinct = std::uniform_int_distribution<int>(1, 8)(random);
        std::vector<double> keys(n);
        for (double& k : keys)
            k = std::uniform_int_distribution<int>(0, distinct - 1)(random) * 0.25;
        expectSameAsWritten(keys);
    }
}

TEST(CarriedHeapsort, LargeTablesWithTiesAndSortedRuns) {
    std::mt19937 random(7);
    std::vector<double> keys(100000);
    for (std::size_t i = 0; i < keys.size(); ++i)
        keys[i] = (i % 3 == 0) ? std::floor(static_cast<double>(i) / 7)
                               : std::uniform_int_distribution<int>(0, 5000)(random);
    expectSameAsWritten(keys);
    std::vector<double> descending(5000);
    for (std::size_t i = 0; i < descending.size(); ++i)
        descending[i] = -static_cast<double>(i / 2);
    expectSameAsWritten(descending);
}

TEST(CarriedHeapsort, KeysThatDoNotCompareStillFollowTheProcedure) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    expectSameAsWritten({3, nan, 1, 2, nan, 0, 5, 1, nan, 4});
}
