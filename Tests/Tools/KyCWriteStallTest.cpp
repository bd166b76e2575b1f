// A recording whose file stops taking frames is noticed; a slow or paused camera is not.
#include <gtest/gtest.h>

#include "KyCWriteStall.h"

TEST(KyCWriteStallTest, FramesStuckWhileTheCameraDeliversIsAStall) {
    KyCWriteStall stall;
    stall.Sample(0.0, 0, 10);
    stall.Sample(0.5, 9, 18);
    stall.Sample(1.0, 16, 27);
    stall.Sample(2.0, 16, 45);  // 1.0 s without a frame written
    EXPECT_FALSE(stall.IsStalled());
    stall.Sample(2.5, 16, 54);  // 1.5 s, and the camera showed 27 new pictures
    EXPECT_TRUE(stall.IsStalled());
    stall.Sample(3.0, 17, 63);
    EXPECT_TRUE(stall.IsStalled());  // once stalled, the recording is stopped
}

TEST(KyCWriteStallTest, CameraThatDeliversNothingIsNotAWriterProblem) {
    KyCWriteStall stall;
    stall.Sample(0.0, 0, 5);
    stall.Sample(5.0, 0, 6);  // one picture in 5 s: fewer than the rule asks for
    EXPECT_FALSE(stall.IsStalled());
    stall.Sample(6.0, 0, 7);
    EXPECT_TRUE(stall.IsStalled());
}

TEST(KyCWriteStallTest, EveryNewFrameRestartsTheClock) {
    KyCWriteStall stall;
    for (int n = 0; n < 20; ++n)
        stall.Sample(n * 1.4, n, static_cast<unsigned>(n * 30));
    EXPECT_FALSE(stall.IsStalled());
}
