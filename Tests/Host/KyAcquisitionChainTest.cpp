// The camera into the live display, and the acquisition access points with their built-ins.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

#include "CbFunctor.h"
#include "KyCAcquisitionCommon.h"
#include "KyCFieldBase.h"
#include "KyCLiveDisplay.h"
#include "KyCLiveDisplaySource.h"
#include "KyCSyntheticCamera.h"

namespace {

const unsigned kWaitMs = 10000;

class IdleAcquisition : public KyIAcquisition {
public:
    void GetImageSize(int*, int*) override {}
    void SetDisplaySource(IAcquireDisplaySource*) override {}
    int StartAcquisition(int) override { return 0; }
    bool StopAcquisition(int, int) override { return true; }
    bool IsAcquisitionRunning() const override { return false; }
    bool IsAcquisitionReady() override { return true; }
};

}  // namespace

TEST(KyAcquisitionFactoryTest, BuiltInCameraFeedsTheBuiltInLiveDisplayUntilAnotherIsInstalled) {
    KyCSyntheticCamera& camera = RUXComponentFactory::GetBuiltInCamera();
    KyCLiveDisplay& live = RUXComponentFactory::GetBuiltInLiveDisplay();
    IAcquireDisplaySource* pSource = RUXComponentFactory::GetAcquisitionCommon().m_pDisplaySource;
    EXPECT_EQ(pSource->GetDisplay(2), &live);
    KyIAcquisition& acquisition = RUXComponentFactory::GetAcquisition();
    ASSERT_EQ(&acquisition, &camera);
    ASSERT_TRUE(camera.SetFrameSize(KyCSize2(48, 32)));
    ASSERT_TRUE(camera.SetFrameRate(100.0f));
    const unsigned nShown = live.GetPicturesShown();
    acquisition.SetDisplaySource(pSource);
    ASSERT_EQ(acquisition.StartAcquisition(1), 0);
    EXPECT_TRUE(live.WaitForPicture(nShown + 3, kWaitMs));
    EXPECT_TRUE(acquisition.StopAcquisition(1, 0));
    acquisition.SetDisplaySource(nullptr);
    // Uprightness and the copy's bytes are the camera's and the display's own tests.
    KyCFieldBase field;
    ASSERT_TRUE(live.CopyPicture(field));
    EXPECT_EQ(field.Size(), KyCSize2(48, 32));
    // Back to the defaults for whoever uses the built-ins next.
    ASSERT_TRUE(camera.SetFrameSize(KyCSize2(640, 480)));
    ASSERT_TRUE(camera.SetFrameRate(15.0f));

    IdleAcquisition other;
    RUXComponentFactory::SetAcquisition(&other);
    EXPECT_EQ(&RUXComponentFactory::GetAcquisition(), &other);
    RUXComponentFactory::SetAcquisition(nullptr);
    EXPECT_EQ(&RUXComponentFactory::GetAcquisition(), &camera);
}

TEST(KyAcquisitionFactoryTest, InstallingFromSeveralThreadsIsSafe) {
    IdleAcquisition others[2];
    KyIAcquisition* pBuiltIn = &RUXComponentFactory::GetBuiltInCamera();
    std::atomic<int> nWrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 2000; ++i) {
                if (t < 2) {
                    RUXComponentFactory::SetAcquisition(i % 2 ? &others[t] : nullptr);
                    continue;
                }
                KyIAcquisition* p = &RUXComponentFactory::GetAcquisition();
                nWrong += p != pBuiltIn && p != &others[0] && p != &others[1] ? 1 : 0;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    RUXComponentFactory::SetAcquisition(nullptr);
    EXPECT_EQ(nWrong, 0);
}

// The built-ins are left running on purpose: leaving the process must neither hang nor crash.
TEST(KyAcquisitionExitTest, ProcessEndsWhileTheBuiltInsRun) {
    // A fresh process: a forked one would inherit built-ins whose threads it does not have.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Noop : CbFunctorImpl<void(IAcquireDisplay*)> {
        void Invoke(IAcquireDisplay*) override {}
    };
    EXPECT_EXIT(
        {
            KyCSyntheticCamera& camera = RUXComponentFactory::GetBuiltInCamera();
            KyCLiveDisplay& live = RUXComponentFactory::GetBuiltInLiveDisplay();
            camera.SetFrameSize(KyCSize2(32, 24));
            camera.SetFrameRate(200.0f);
            live.SetPictureCallback(CbPictureCallback(new Noop));
            live.StartDisplay(true);
            camera.SetDisplaySource(RUXComponentFactory::GetAcquisitionCommon().m_pDisplaySource);
            camera.StartAcquisition(1);
            live.WaitForPicture(live.GetPicturesShown() + 3, kWaitMs);
            for (int i = 0; i < 50; ++i)
                live.UpdateDisplay(0);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}
