// The exported factory: which component each device value gets, sharing, creation with the host's
// live source, release, and requests from several threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "KyCameraVideoFactory.h"
#include "KyTestComponent.h"
#include "KyTestRecordingAcquisition.h"

namespace {

using RUXComponentFactory::GetCameraVideo;
using RUXComponentFactory::GetCameraVideoPointer;
using RUXComponentFactory::KyCExceptionRUXComponentFactory;
using RUXComponentFactory::ReleaseCameraVideo;

const char* const kOff = "StopAcquisition(1,0) SetDisplaySource(live)";

RUX2ComponentFactory::CActiveAcquireDeviceType& activeDeviceType() {
    return CbSingleton<RUX2ComponentFactory::CActiveAcquireDeviceType>::GetInstance();
}

bool isDeviceComponent(KyICameraVideo& video) {
    return video.GetExtension("RUX.CameraVideoVDX", false) != nullptr;
}

class KyCameraVideoFactoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ReleaseCameraVideo();
        m_Acquisition.NameSource(&m_Live, "live");
        m_pSavedSource = liveSource();
        liveSource() = &m_Live;
        m_eSavedDevice = activeDeviceType().GetActiveAcquireDeviceType();
    }
    void TearDown() override {
        ReleaseCameraVideo();
        liveSource() = m_pSavedSource;
        activeDeviceType().SetActiveAcquireDeviceType(m_eSavedDevice);
        KyTestTakeVideoMessages();
    }

    static IAcquireDisplaySource*& liveSource() {
        return RUXComponentFactory::GetAcquisitionCommon().m_pDisplaySource;
    }
    std::string calls() { return KyTestJoin(m_Acquisition.TakeCalls()); }

    KyTestRecordingAcquisition m_Acquisition;
    KyTestDisplaySource m_Live;
    IAcquireDisplaySource* m_pSavedSource = nullptr;
    ERUXAcquireDevice m_eSavedDevice = eAcquireDeviceVDX;
};

}  // namespace

TEST_F(KyCameraVideoFactoryTest, EachDeviceValueRequestedOrActiveGetsItsComponentOrARefusal) {
    // Without a live source, creating the controller switches its mode off: one call shows it.
    liveSource() = nullptr;
    // 'D' the device controller, 'N' the null component, 'X' refused with number 101.
    const std::pair<int, char> aDevices[] = {
        {-3, 'X'}, {-2, 'N'}, {-1, 'N'}, {0, 'N'}, {1, 'N'}, {2, 'X'},   {3, 'D'}, {4, 'N'},
        {5, 'N'},  {6, 'N'},  {7, 'X'},  {8, 'N'}, {9, 'X'}, {-16, 'X'}, {15, 'X'}};
    KyICameraVideo* apShared[2] = {nullptr, nullptr};
    for (const auto& device : aDevices) {
        SCOPED_TRACE(device.first);
        const ERUXAcquireDevice eDevice = static_cast<ERUXAcquireDevice>(device.first);
        activeDeviceType().SetActiveAcquireDeviceType(eDevice);
        unsigned nNumber = 0;
        try {
            CbSmartPointer<KyICameraVideo> pVideo = GetCameraVideoPointer(eDevice);
            const bool bDevice = isDeviceComponent(*pVideo);
            EXPECT_EQ(bDevice ? 'D' : 'N', device.second);
            KyICameraVideo*& pShared = apShared[bDevice ? 1 : 0];
            if (pShared == nullptr)
                pShared = pVideo.Get();
            EXPECT_EQ(pVideo.Get(), pShared);
            EXPECT_EQ(&GetCameraVideo(eDevice), pShared);
            EXPECT_EQ(&GetCameraVideo(), pShared);  // the active device's
            EXPECT_EQ(GetCameraVideoPointer().Get(), pShared);
        } catch (const KyCExceptionRUXComponentFactory& error) {
            nNumber = error.GetNumber();
        }
        EXPECT_EQ(nNumber, device.second == 'X' ? 101u : 0u);
        if (device.second == 'X') {
            EXPECT_THROW(GetCameraVideo(eDevice), IException);
            EXPECT_THROW(GetCameraVideo(), KyCExceptionRUXComponentFactory);
            EXPECT_THROW(GetCameraVideoPointer(), KyCExceptionRUXComponentFactory);
        }
    }
    EXPECT_NE(apShared[0], apShared[1]);
    EXPECT_EQ(calls(), "StopAcquisition(1,0)");  // the controller was created once
}

TEST_F(KyCameraVideoFactoryTest, CreationHandsTheLiveSourceOnceAndReleaseDropsOnlyItsReferences) {
    CbSmartPointer<KyICameraVideo> pHeld = GetCameraVideoPointer(eAcquireDeviceVDX);
    CbWeakPointer<KyICameraVideo> pWeakHeld(pHeld);
    EXPECT_EQ(calls(), "");  // a live source: no mode to switch off
    ASSERT_TRUE(pHeld->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    EXPECT_EQ(calls(), kOff);  // the source was kept through Init
    // A second request repeats neither SetLiveBitmapHandler nor Init.
    liveSource() = nullptr;
    EXPECT_EQ(&GetCameraVideo(eAcquireDeviceVDX), pHeld.Get());
    EXPECT_EQ(pHeld->GetVideoMode(), eVideoModePlay);
    EXPECT_EQ(calls(), "");
    CbWeakPointer<KyICameraVideo> pNull(GetCameraVideoPointer(eAcquireDeviceNone));
    ReleaseCameraVideo();
    EXPECT_TRUE(pNull.IsExpired());
    EXPECT_FALSE(pWeakHeld.IsExpired());
    // The next request creates afresh; a release destroys it, switching its mode off first.
    liveSource() = &m_Live;
    KyICameraVideo& fresh = GetCameraVideo(eAcquireDeviceVDX);
    EXPECT_NE(&fresh, pHeld.Get());
    EXPECT_EQ(fresh.GetVideoMode(), eVideoModeNone);
    ASSERT_TRUE(fresh.SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    calls();
    CbWeakPointer<KyICameraVideo> pFresh(GetCameraVideoPointer(eAcquireDeviceVDX));
    ReleaseCameraVideo();
    EXPECT_TRUE(pFresh.IsExpired());
    EXPECT_EQ(calls(), kOff);
    ReleaseCameraVideo();  // empty holders: nothing happens
    EXPECT_EQ(calls(), "");
    pHeld.Release();  // no other reference was left behind, temporary ones included
    EXPECT_TRUE(pWeakHeld.IsExpired());
}

TEST_F(KyCameraVideoFactoryTest, ConcurrentRequestsShareOneObject) {
    const int kThreads = 4;
    const int kRequests = 50;
    std::vector<CbSmartPointer<KyICameraVideo>> arrResults(kThreads * kRequests);
    std::vector<std::thread> arrThreads;
    for (int t = 0; t < kThreads; ++t) {
        arrThreads.emplace_back([&arrResults, t] {
            for (int i = 0; i < kRequests; ++i)
                arrResults[t * kRequests + i] = GetCameraVideoPointer(eAcquireDeviceVDX);
        });
    }
    for (std::thread& thread : arrThreads)
        thread.join();
    EXPECT_EQ(std::count(arrResults.begin(), arrResults.end(), arrResults[0]),
              kThreads * kRequests);
    CbWeakPointer<KyICameraVideo> pWeak(arrResults[0]);
    arrResults.clear();
    ReleaseCameraVideo();
    EXPECT_TRUE(pWeak.IsExpired());  // each request's reference went with its holder
}
