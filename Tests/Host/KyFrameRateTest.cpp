// Frame intervals in seconds become exact frame-rate fractions.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "KyFrameRate.h"

TEST(KyFrameRateTest, CommonIntervalsGiveTheirExactFractions) {
    struct Case {
        float fInterval;
        int nNum, nDen;
    } cases[] = {
        {1.0f / 18.0f, 18, 1}, {0.04f, 25, 1},       {1.0f / 60.0f, 60, 1},      {0.5f, 2, 1},
        {2.0f, 1, 2},          {1.0f / 7.5f, 15, 2}, {1.0f / 29.97f, 2997, 100}, {1.0f, 1, 1},
        {0.001f, 1000, 1}};
    for (const Case& c : cases) {
        int nNum = 0, nDen = 0;
        ASSERT_TRUE(KyFrameRateFromInterval(c.fInterval, nNum, nDen)) << c.fInterval;
        EXPECT_EQ(nNum, c.nNum) << c.fInterval;
        EXPECT_EQ(nDen, c.nDen) << c.fInterval;
    }
}

TEST(KyFrameRateTest, UnusableIntervalsAreRefused) {
    int nNum = 7, nDen = 7;
    for (float f : {0.0f, -0.05f, std::numeric_limits<float>::quiet_NaN(),
                    std::numeric_limits<float>::infinity(), 1e-9f, 1e9f})
        EXPECT_FALSE(KyFrameRateFromInterval(f, nNum, nDen)) << f;
    EXPECT_EQ(nNum, 7);
    EXPECT_EQ(nDen, 7);
}
