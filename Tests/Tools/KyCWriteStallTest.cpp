// A recording whose file stops taking frames is noticed; a slow or paused camera is not.
#include <gtest/gtest.h>

#include <vector>

#include "KyCWriteStall.h"

namespace {

struct SSample {
    double fSeconds;
    unsigned nWritten, nDelivered;
    bool bStalled;  // after this sample
};

void expectVerdicts(const std::vector<SSample>& vecSamples) {
    KyCWriteStall stall;
    for (const SSample& s : vecSamples) {
        stall.Sample(s.fSeconds, s.nWritten, s.nDelivered);
        EXPECT_EQ(stall.IsStalled(), s.bStalled) << "at " << s.fSeconds << " s";
    }
}

}  // namespace

TEST(KyCWriteStallTest, FramesStuckWhileTheCameraDeliversAreAStallASlowCameraIsNot) {
    // 1.0 s without a frame written is not yet one; 1.5 s with 27 new pictures is, to the end.
    expectVerdicts({{0.0, 0, 10, false},
                    {1.0, 16, 27, false},
                    {2.0, 16, 45, false},
                    {2.5, 16, 54, true},
                    {3.0, 17, 63, true}});
    expectVerdicts({{0.0, 0, 5, false}, {5.0, 0, 6, false}, {6.0, 0, 7, true}});
    std::vector<SSample> vecSteady;  // every frame written restarts the clock
    for (unsigned n = 0; n < 20; ++n)
        vecSteady.push_back({n * 1.4, n, n * 30, false});
    expectVerdicts(vecSteady);
}
