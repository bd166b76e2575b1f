// Monotonic time stamps and spans, on the test clock and on the real one once it is gone.
#include <gtest/gtest.h>

#include "KyCTime.h"
#include "KyPlatform.h"
#include "KyTestClock.h"

TEST(KyCTimeTest, SpansAreExactOnTheTestClockAndInvalidWithAnInvalidTime) {
    {
        KyTestClock clock(1500000000);
        const KyCTime start(true);
        clock.AdvanceNs(1750000000);
        KyCTime end(false);
        EXPECT_EQ(end.Get(), 0.0);
        EXPECT_TRUE(end.SetCurrentTime());
        EXPECT_EQ((end - start).GetNanoseconds(), 1750000000);
        EXPECT_DOUBLE_EQ((start - end).Get(), -1.75) << "the order of the operands matters";
        // The record start is zero before the first recording: elapsed is then the clock.
        KyCTime zero(true);
        zero.SetZero();
        EXPECT_DOUBLE_EQ((end - zero).Get(), 3.25);
        KyCTime invalid = start;
        invalid.Invalidate();
        EXPECT_FALSE((end - invalid).IsValid());
        EXPECT_FALSE((invalid - end).IsValid());
        EXPECT_EQ((invalid - end).Get(), 0.0);
    }
    const KyCTime start(true);  // the real clock is back
    KyPlatform::Sleep(30);
    EXPECT_GE((KyCTime(true) - start).Get(), 0.025);
}
