// Camera → display chains, the passive display base, and the acquisition access points.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "CbCriticalSection.h"
#include "CbFunctor.h"
#include "CbSmartPointer.h"
#include "KyCAcquireDisplayBase.h"
#include "KyCAcquisitionCommon.h"
#include "KyCFieldBase.h"
#include "KyCLiveDisplay.h"
#include "KyCLiveDisplaySource.h"
#include "KyCSyntheticCamera.h"
#include "KyCTestPattern.h"
#include "KyTestRecordingDisplay.h"

namespace {

const unsigned kWaitMs = 10000;

// Sits between the camera and the live display the way a recording sink does: takes each frame
// into its own buffer, keeps it as the last frame and, still holding its state lock, asks the
// live display to refresh; the live display pulls through copyPictureTo, which takes the state
// lock again (from the display's thread) and writes into the target.
class RelayDisplay : public KyCAcquireDisplayBase, public IAcquireDisplaySource {
public:
    IAcquireDisplay* GetDisplay(int) override { return this; }

    unsigned char* GetBitmapBuffer(KyCSize2 size, int* pnPitch, unsigned nBits) override {
        CbCriticalSectionLock lock(m_StateLock);
        if (nBits != 32 || m_bWriting)
            return nullptr;
        m_Frame.assign(static_cast<size_t>(size.nWidth) * 4 * size.nHeight, 0);
        m_FrameSize = size;
        m_bWriting = true;
        if (pnPitch)
            *pnPitch = size.nWidth * 4;
        return m_Frame.data();
    }

    void ReleaseBitmapBuffer(bool bValid) override {
        CbCriticalSectionLock lock(m_StateLock);
        m_bWriting = false;
        if (!bValid)
            return;
        m_LastFrame = m_Frame;
        m_LastSize = m_FrameSize;
        if (m_pDisplay)
            m_pDisplay->UpdateDisplay(0);  // with the state lock held
    }

    void Attach(IAcquireDisplay* pDisplay, KyCSize2 size) {
        pDisplay->SetBitmapSize(size);
        pDisplay->SetPixelFormat(15);
        pDisplay->SetPictureCallback(
            CbPictureCallback(new CbFunctorMember<RelayDisplay, void(IAcquireDisplay*)>(
                this, &RelayDisplay::copyPictureTo)));
        pDisplay->SetDisplayState(0);
        pDisplay->ResetDisplay();
        pDisplay->StartDisplay(true);
        CbCriticalSectionLock lock(m_StateLock);
        m_pDisplay = pDisplay;
    }

    // The display is told to stop without the state lock held: it waits for a callback in
    // progress, and that callback may be waiting for the state lock.
    void Detach() {
        IAcquireDisplay* pDisplay = nullptr;
        {
            CbCriticalSectionLock lock(m_StateLock);
            pDisplay = m_pDisplay;
            m_pDisplay = nullptr;
        }
        if (pDisplay) {
            pDisplay->StopDisplay();
            pDisplay->SetPictureCallback(CbPictureCallback());
        }
        m_bDetached = true;
    }

    void copyPictureTo(IAcquireDisplay* pTarget) {
        if (m_bDetached)
            ++m_nLateCallbacks;
        std::vector<unsigned char> picture;
        KyCSize2 size;
        {
            CbCriticalSectionLock lock(m_StateLock);
            picture.swap(m_LastFrame);
            size = m_LastSize;
        }
        if (picture.empty())
            return;
        int nPitch = 0;
        unsigned char* p = pTarget->GetBitmapBuffer(size, &nPitch, 32);
        if (p) {
            for (int r = 0; r < size.nHeight; ++r)
                std::memcpy(p + r * nPitch, picture.data() + r * size.nWidth * 4, size.nWidth * 4);
        }
        pTarget->ReleaseBitmapBuffer(p != nullptr);
    }

    std::atomic<int> m_nLateCallbacks{0};

private:
    CbCriticalSection m_StateLock;  // guards every field below; re-entrant like a worker's
    std::vector<unsigned char> m_Frame;
    KyCSize2 m_FrameSize;
    bool m_bWriting = false;
    std::vector<unsigned char> m_LastFrame;
    KyCSize2 m_LastSize;
    IAcquireDisplay* m_pDisplay = nullptr;
    std::atomic<bool> m_bDetached{false};
};

// The shown picture's first rows are the top band, its last rows the bottom band.
void expectLiveUpright(const KyCLiveDisplay& display, KyCSize2 size) {
    KyCFieldBase field;
    ASSERT_TRUE(display.CopyPicture(field));
    ASSERT_EQ(field.Size(), size);
    unsigned char top[4], bottom[4];
    KyCTestPattern::GetTopColour(4, top);
    KyCTestPattern::GetBottomColour(4, bottom);
    EXPECT_EQ(0, std::memcmp(field.m_pData, top, 4));
    EXPECT_EQ(0, std::memcmp(field.m_pData + (size.nHeight - 1) * field.m_nPitch, bottom, 4));
    unsigned nNumber = 0;
    EXPECT_TRUE(KyCTestPattern::ReadFrameNumber(field.m_pData, field.m_nPitch, size, 4, nNumber));
}

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

TEST(KyAcquisitionChainTest, CameraThroughARelayShowsUprightOnTheLiveDisplay) {
    KyCLiveDisplay live;
    RelayDisplay relay;
    KyCSyntheticCamera camera;
    ASSERT_TRUE(camera.SetFrameSize(KyCSize2(64, 48)));
    ASSERT_TRUE(camera.SetFrameRate(200.0f));
    relay.Attach(&live, KyCSize2(64, 48));
    EXPECT_TRUE(live.IsPictureCallbackSet());
    EXPECT_EQ(live.GetBitmapSize(), KyCSize2(64, 48));
    camera.SetDisplaySource(&relay);
    ASSERT_EQ(camera.StartAcquisition(1), 0);
    ASSERT_TRUE(live.WaitForPicture(5, kWaitMs));
    camera.StopAcquisition(1, 0);
    relay.Detach();
    EXPECT_FALSE(live.IsPictureCallbackSet());
    expectLiveUpright(live, KyCSize2(64, 48));
    EXPECT_GE(live.GetRefreshCount(), 1u);
    EXPECT_EQ(relay.m_nLateCallbacks, 0);
}

TEST(KyAcquisitionChainTest, DetachWhileFramesFlowLeavesNoCallbackBehind) {
    KyCLiveDisplay live;
    KyCSyntheticCamera camera;
    ASSERT_TRUE(camera.SetFrameSize(KyCSize2(32, 24)));
    ASSERT_TRUE(camera.SetFrameRate(1000.0f));
    for (int nRound = 0; nRound < 30; ++nRound) {
        RelayDisplay relay;
        relay.Attach(&live, KyCSize2(32, 24));
        camera.SetDisplaySource(&relay);
        ASSERT_EQ(camera.StartAcquisition(1), 0);
        const unsigned nShown = live.GetPicturesShown();
        ASSERT_TRUE(live.WaitForPicture(nShown + 2, kWaitMs));
        relay.Detach();  // frames still flow into the relay meanwhile
        camera.SetDisplaySource(nullptr);
        EXPECT_EQ(relay.m_nLateCallbacks, 0) << "round " << nRound;
        // The relay dies here: a late callback would touch a destroyed object.
    }
    camera.StopAcquisition(1, 0);
}

TEST(KyAcquisitionChainTest, LiveDisplayAsDirectSinkShowsTheCameraPicture) {
    KyCLiveDisplaySource source;
    KyCSyntheticCamera camera;
    ASSERT_TRUE(camera.SetFrameSize(KyCSize2(80, 40)));
    ASSERT_TRUE(camera.SetFrameRate(0.0f));
    camera.SetDisplaySource(&source);
    ASSERT_EQ(camera.StartAcquisition(1), 0);
    ASSERT_TRUE(camera.DeliverFrameNow());
    ASSERT_TRUE(camera.DeliverFrameNow());
    camera.StopAcquisition(1, 0);
    KyCLiveDisplay& live = source.GetLiveDisplay();
    EXPECT_EQ(live.GetPicturesShown(), 2u);
    expectLiveUpright(live, KyCSize2(80, 40));
    KyCFieldBase field;
    ASSERT_TRUE(live.CopyPicture(field));
    unsigned nNumber = 99;
    ASSERT_TRUE(
        KyCTestPattern::ReadFrameNumber(field.m_pData, field.m_nPitch, field.Size(), 4, nNumber));
    EXPECT_EQ(nNumber, 1u) << "the live display shows the last frame";
}

TEST(KyCAcquireDisplayBaseTest, AnswersLikeAPassiveSink) {
    KyCAcquireDisplayBase display;
    int nPitch = -7;
    EXPECT_EQ(display.GetBitmapBuffer(KyCSize2(4, 4), &nPitch, 32), nullptr);
    display.ReleaseBitmapBuffer(true);
    EXPECT_FALSE(display.IsBitmapBufferLocked());
    EXPECT_EQ(display.GetDroppedFrameCount(), 0);
    EXPECT_TRUE(display.IsDisplayEnabled());
    EXPECT_TRUE(display.StopDisplay());
    display.SetPixelFormat(8);
    EXPECT_EQ(display.GetPixelFormat(), 15) << "the base does not keep the pixel format";
    EXPECT_EQ(display.GetBitmapSize(), KyCSize2(0, 0));
    display.SetBitmapSize(KyCSize2(320, 240));
    EXPECT_EQ(display.GetBitmapSize(), KyCSize2(320, 240));
    EXPECT_EQ(display.GetPictureSize(), KyCSize2(0, 0));
    EXPECT_EQ(display.GetDisplayCount(), 1);
    display.SetDisplayState(4);
    EXPECT_EQ(display.GetDisplayState(), 0);
}

namespace {
class CountedDisplay : public KyCAcquireDisplayBase {
public:
    explicit CountedDisplay(int& nDestroyed) : m_nDestroyed(nDestroyed) {}
    ~CountedDisplay() override { ++m_nDestroyed; }

private:
    int& m_nDestroyed;
};
}  // namespace

TEST(KyCAcquireDisplayBaseTest, OwnCounterDestroysOnTheLastRelease) {
    int nDestroyed = 0;
    {
        CbSmartPointer<IAcquireDisplay> p(new CountedDisplay(nDestroyed));
        CbSmartPointer<IAcquireDisplay> copy = p;
        p.Release();
        EXPECT_EQ(nDestroyed, 0);
    }
    EXPECT_EQ(nDestroyed, 1);
}

TEST(KyAcquisitionFactoryTest, BuiltInCameraUntilAnotherIsInstalled) {
    KyCSyntheticCamera& builtIn = RUXComponentFactory::GetBuiltInCamera();
    EXPECT_EQ(&RUXComponentFactory::GetAcquisition(), &builtIn);
    IdleAcquisition other;
    RUXComponentFactory::SetAcquisition(&other);
    EXPECT_EQ(&RUXComponentFactory::GetAcquisition(), &other);
    RUXComponentFactory::SetAcquisition(nullptr);
    EXPECT_EQ(&RUXComponentFactory::GetAcquisition(), &builtIn);
}

TEST(KyAcquisitionFactoryTest, CommonPointsAtTheBuiltInLiveDisplay) {
    IAcquireDisplaySource* pSource = RUXComponentFactory::GetAcquisitionCommon().m_pDisplaySource;
    ASSERT_EQ(pSource, &RUXComponentFactory::GetBuiltInLiveDisplaySource());
    EXPECT_EQ(pSource->GetDisplay(2), &RUXComponentFactory::GetBuiltInLiveDisplay());
    EXPECT_EQ(&RUXComponentFactory::GetAcquisitionCommon(),
              &RUXComponentFactory::GetAcquisitionCommon());
}

TEST(KyAcquisitionFactoryTest, BuiltInCameraFeedsTheBuiltInLiveDisplay) {
    KyIAcquisition& acquisition = RUXComponentFactory::GetAcquisition();
    KyCLiveDisplay& live = RUXComponentFactory::GetBuiltInLiveDisplay();
    KyCSyntheticCamera& camera = RUXComponentFactory::GetBuiltInCamera();
    ASSERT_TRUE(camera.SetFrameSize(KyCSize2(48, 32)));
    ASSERT_TRUE(camera.SetFrameRate(100.0f));
    EXPECT_TRUE(acquisition.IsAcquisitionReady());
    const unsigned nShown = live.GetPicturesShown();
    acquisition.SetDisplaySource(RUXComponentFactory::GetAcquisitionCommon().m_pDisplaySource);
    ASSERT_EQ(acquisition.StartAcquisition(1), 0);
    EXPECT_TRUE(live.WaitForPicture(nShown + 3, kWaitMs));
    EXPECT_TRUE(acquisition.StopAcquisition(1, 0));
    acquisition.SetDisplaySource(nullptr);
    expectLiveUpright(live, KyCSize2(48, 32));
    // Back to the defaults for whoever uses the built-ins next.
    ASSERT_TRUE(camera.SetFrameSize(KyCSize2(640, 480)));
    ASSERT_TRUE(camera.SetFrameRate(15.0f));
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
                } else {
                    KyIAcquisition* p = &RUXComponentFactory::GetAcquisition();
                    if (p != pBuiltIn && p != &others[0] && p != &others[1])
                        ++nWrong;
                }
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    RUXComponentFactory::SetAcquisition(nullptr);
    EXPECT_EQ(nWrong, 0);
    EXPECT_EQ(&RUXComponentFactory::GetAcquisition(), pBuiltIn);
}

namespace {
class CountingCallback : public CbFunctorImpl<void(IAcquireDisplay*)> {
public:
    void Invoke(IAcquireDisplay*) override { ++m_nCalls; }
    std::atomic<int> m_nCalls{0};
};
}  // namespace

// The built-ins are left running on purpose: leaving the process must neither hang nor crash.
TEST(KyAcquisitionExitTest, ProcessEndsWhileTheBuiltInsRun) {
    // A fresh process: a forked one would inherit built-ins whose threads it does not have.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            KyCSyntheticCamera& camera = RUXComponentFactory::GetBuiltInCamera();
            KyCLiveDisplay& live = RUXComponentFactory::GetBuiltInLiveDisplay();
            camera.SetFrameSize(KyCSize2(32, 24));
            camera.SetFrameRate(200.0f);
            live.SetPictureCallback(CbPictureCallback(new CountingCallback));
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
