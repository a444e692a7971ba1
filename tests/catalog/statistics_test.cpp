// Species rows turned into percentages of their counted kinds.
#include <gtest/gtest.h>

#include "catalog/statistics.hpp"

namespace {

TEST(Statistics, RowPercentagesRoundHalfUpWithoutOverflow) {
    using catalog::SpeciesRow;
    const std::pair<SpeciesRow, SpeciesRow> cases[] = {
        {{0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}},
        {{8, 5, 1, 1, 1, 0}, {8, 63, 13, 13, 13, 0}},
        {{3, 1, 1, 1, 0, 0}, {3, 33, 33, 33, 0, 0}},
        // Counts whose hundredfold passes 32 bits, and a sum that does.
        {{3000000000u, 2000000000u, 1000000000u, 0, 0, 0}, {3000000000u, 67, 33, 0, 0, 0}},
        {{7, 4000000000u, 0, 0, 4000000000u, 0}, {7, 50, 0, 0, 50, 0}},
    };
    for (auto [row, expected] : cases) {
        EXPECT_EQ(catalog::rowToPercentages(row), expected[0]);
        EXPECT_EQ(row, expected);
    }
}

}  // namespace
