#include <gtest/gtest.h>

#include "model/rounding.h"

namespace qm {

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(roundI16(2.5), 2);
    EXPECT_EQ(roundI16(3.5), 4);
    EXPECT_EQ(roundI16(-2.5), -2);
    EXPECT_EQ(roundI16(832.5), 832);
    EXPECT_EQ(roundI16(2.51), 3);
    EXPECT_EQ(roundI32(70000.5), 70000);
    EXPECT_EQ(roundI16Sat(2.5), 2);
    EXPECT_EQ(roundI16Sat(-3.5), -4);
}

TEST(Rounding, ValuesThatDoNotFitAreReportedNotWrapped) {
    EXPECT_EQ(roundI16(32767.4), 32767);
    EXPECT_FALSE(roundI16(32767.5).has_value());  // would round to 32768
    EXPECT_EQ(roundI16(-32768.5), -32768);        // even neighbour stays in range
    EXPECT_FALSE(roundI16(-32769).has_value());
    EXPECT_FALSE(roundI32(3e9).has_value());
    EXPECT_FALSE(roundI16(std::numeric_limits<double>::quiet_NaN()).has_value());
    EXPECT_EQ(roundI16Sat(1e9), 32767);
    EXPECT_EQ(roundI16Sat(-1e9), -32768);
}

}  // namespace qm
