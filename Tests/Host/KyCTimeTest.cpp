// Monotonic time stamps and spans, on the real clock and on the test clock.
#include <gtest/gtest.h>

#include "KyCTime.h"
#include "KyPlatform.h"
#include "KyTestClock.h"

TEST(KyCTimeTest, ValidityFollowsConstructionInvalidateAndSetZero) {
    KyCTime unset(false);
    EXPECT_FALSE(unset.IsValid());
    EXPECT_EQ(unset.Get(), 0.0);
    KyCTime now(true);
    EXPECT_TRUE(now.IsValid());
    now.Invalidate();
    EXPECT_FALSE(now.IsValid());
    now.SetZero();
    EXPECT_TRUE(now.IsValid());
    EXPECT_EQ(now.Get(), 0.0);
    EXPECT_TRUE(unset.SetCurrentTime());
    EXPECT_TRUE(unset.IsValid());
}

TEST(KyCTimeTest, DifferenceIsTheExactSpanOnTheTestClock) {
    KyTestClock clock(1500000000);
    const KyCTime start(true);
    clock.AdvanceNs(1750000000);
    const KyCTime end(true);
    const KyCTime span = end - start;
    EXPECT_TRUE(span.IsValid());
    EXPECT_DOUBLE_EQ(span.Get(), 1.75);
    EXPECT_EQ(span.GetNanoseconds(), 1750000000);
    EXPECT_DOUBLE_EQ((start - end).Get(), -1.75) << "the order of the operands matters";
    EXPECT_DOUBLE_EQ(end.Get(), 3.25);
}

TEST(KyCTimeTest, ASpanWithAnInvalidTimeIsInvalid) {
    KyTestClock clock;
    const KyCTime valid(true);
    const KyCTime invalid(false);
    EXPECT_FALSE((valid - invalid).IsValid());
    EXPECT_FALSE((invalid - valid).IsValid());
    EXPECT_EQ((invalid - valid).Get(), 0.0);
}

TEST(KyCTimeTest, SpanSinceZeroIsTheTimeItself) {
    // The record start is set to zero before the first recording: elapsed is then the clock.
    KyTestClock clock(4000000000);
    KyCTime zero(false);
    zero.SetZero();
    EXPECT_DOUBLE_EQ((KyCTime(true) - zero).Get(), 4.0);
}

TEST(KyCTimeTest, AssignmentCopiesValueAndValidity) {
    KyTestClock clock(2000000000);
    KyCTime a(true), b(false);
    b = a;
    clock.AdvanceMs(500);
    EXPECT_TRUE(b.IsValid());
    EXPECT_DOUBLE_EQ(b.Get(), 2.0);
    a.Invalidate();
    b = a;
    EXPECT_FALSE(b.IsValid());
}

TEST(KyCTimeTest, RemovingTheTestClockRestoresTheRealOne) {
    {
        KyTestClock clock(123);
        EXPECT_EQ(KyCTime::NowNanoseconds(), 123);
    }
    const KyCTime start(true);
    KyPlatform::Sleep(30);
    const double dSeconds = (KyCTime(true) - start).Get();
    EXPECT_GE(dSeconds, 0.025);
    EXPECT_LT(dSeconds, 10.0);
}

TEST(KyCTimeTest, TheRealClockNeverRunsBack) {
    std::int64_t nPrevious = KyCTime::NowNanoseconds();
    for (int i = 0; i < 100000; ++i) {
        const std::int64_t nNow = KyCTime::NowNanoseconds();
        ASSERT_GE(nNow, nPrevious);
        nPrevious = nNow;
    }
}
