// The exported factory: device selection, sharing, reference counts, creation and release.
#include <gtest/gtest.h>

#include <thread>

#include "KyCameraVideoFactory.h"
#include "KyTestComponent.h"
#include "KyTestRecordingAcquisition.h"

namespace {

using RUXComponentFactory::GetCameraVideo;
using RUXComponentFactory::GetCameraVideoPointer;
using RUXComponentFactory::KyCExceptionRUXComponentFactory;
using RUXComponentFactory::ReleaseCameraVideo;

RUX2ComponentFactory::CActiveAcquireDeviceType& activeDeviceType() {
    return CbSingleton<RUX2ComponentFactory::CActiveAcquireDeviceType>::GetInstance();
}

bool isDeviceComponent(const KyICameraVideo& video) {
    return const_cast<KyICameraVideo&>(video).GetExtension("RUX.CameraVideoVDX", false) != nullptr;
}

class KyCameraVideoFactoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ReleaseCameraVideo();
        m_Acquisition.Install();
        m_Acquisition.NameSource(&m_LiveSource, "live");
        m_pSavedSource = RUXComponentFactory::GetAcquisitionCommon().m_pDisplaySource;
        RUXComponentFactory::GetAcquisitionCommon().m_pDisplaySource = &m_LiveSource;
        m_eSavedDevice = activeDeviceType().GetActiveAcquireDeviceType();
        KyTestTakeVideoMessages();
    }
    void TearDown() override {
        ReleaseCameraVideo();
        RUXComponentFactory::GetAcquisitionCommon().m_pDisplaySource = m_pSavedSource;
        activeDeviceType().SetActiveAcquireDeviceType(m_eSavedDevice);
        KyTestTakeVideoMessages();
    }

    KyTestRecordingAcquisition m_Acquisition;
    KyTestDisplaySource m_LiveSource;
    IAcquireDisplaySource* m_pSavedSource = nullptr;
    ERUXAcquireDevice m_eSavedDevice = eAcquireDeviceVDX;
};

}  // namespace

TEST_F(KyCameraVideoFactoryTest, DeviceThreeIsOneSharedController) {
    CbSmartPointer<KyICameraVideo> pFirst = GetCameraVideoPointer(eAcquireDeviceVDX);
    ASSERT_TRUE(pFirst);
    EXPECT_TRUE(isDeviceComponent(*pFirst));
    EXPECT_EQ(KyTestReferenceCount(*pFirst), 2u);  // the factory's and ours

    CbSmartPointer<KyICameraVideo> pSecond = GetCameraVideoPointer(eAcquireDeviceVDX);
    EXPECT_EQ(pSecond.Get(), pFirst.Get());
    EXPECT_EQ(KyTestReferenceCount(*pFirst), 3u);

    KyICameraVideo& video = GetCameraVideo(eAcquireDeviceVDX);
    EXPECT_EQ(&video, pFirst.Get());
    EXPECT_EQ(KyTestReferenceCount(video), 3u);  // the temporary reference has gone

    pSecond = nullptr;
    EXPECT_EQ(KyTestReferenceCount(*pFirst), 2u);
}

TEST_F(KyCameraVideoFactoryTest, DevicesWithoutVideoShareOneNullComponent) {
    KyICameraVideo& first = GetCameraVideo(eAcquireDeviceSimulation);
    EXPECT_FALSE(isDeviceComponent(first));
    EXPECT_NE(first.GetExtension("RUX.CameraVideo", false), nullptr);
    for (int nDevice : {-2, -1, 0, 1, 4, 5, 6, 8}) {
        EXPECT_EQ(&GetCameraVideo(static_cast<ERUXAcquireDevice>(nDevice)), &first) << nDevice;
    }
    EXPECT_EQ(KyTestReferenceCount(first), 1u);
    EXPECT_TRUE(m_Acquisition.TakeCalls().empty());
}

TEST_F(KyCameraVideoFactoryTest, NullAndDeviceComponentsLiveSideBySide) {
    CbSmartPointer<KyICameraVideo> pNull = GetCameraVideoPointer(eAcquireDeviceSimulation);
    CbSmartPointer<KyICameraVideo> pDevice = GetCameraVideoPointer(eAcquireDeviceVDX);
    EXPECT_NE(pNull.Get(), pDevice.Get());
    EXPECT_EQ(KyTestReferenceCount(*pNull), 2u);
    EXPECT_EQ(KyTestReferenceCount(*pDevice), 2u);
    ReleaseCameraVideo();
    EXPECT_EQ(KyTestReferenceCount(*pNull), 1u);
    EXPECT_EQ(KyTestReferenceCount(*pDevice), 1u);
}

TEST_F(KyCameraVideoFactoryTest, RefusedDevicesThrowAndCreateNothing) {
    // With no live source, creating the controller would switch its mode off at the acquisition.
    RUXComponentFactory::GetAcquisitionCommon().m_pDisplaySource = nullptr;
    for (int nDevice : {2, 7, -3, 9, -16, 15}) {
        SCOPED_TRACE(nDevice);
        const ERUXAcquireDevice eDevice = static_cast<ERUXAcquireDevice>(nDevice);
        unsigned nNumber = 0;
        try {
            GetCameraVideoPointer(eDevice);
        } catch (const KyCExceptionRUXComponentFactory& error) {
            nNumber = error.GetNumber();
        }
        EXPECT_EQ(nNumber, 101u);
        EXPECT_THROW(GetCameraVideo(eDevice), CbException);
        EXPECT_THROW(GetCameraVideo(eDevice), IException);
    }
    EXPECT_TRUE(m_Acquisition.TakeCalls().empty());

    // Nothing was held: the first real request creates the controller now.
    CbSmartPointer<KyICameraVideo> pDevice = GetCameraVideoPointer(eAcquireDeviceVDX);
    EXPECT_EQ(KyTestReferenceCount(*pDevice), 2u);
    EXPECT_EQ(m_Acquisition.TakeCalls(), std::vector<std::string>{"StopAcquisition(1,0)"});
}

TEST_F(KyCameraVideoFactoryTest, CreationHandsTheHostsLiveSourceOnce) {
    KyICameraVideo& video = GetCameraVideo(eAcquireDeviceVDX);
    EXPECT_TRUE(m_Acquisition.TakeCalls().empty());  // a live source: no mode to switch off
    EXPECT_EQ(video.GetVideoMode(), eVideoModeNone);

    // The source was kept through Init: play mode routes frames to it.
    ASSERT_TRUE(video.SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    EXPECT_EQ(m_Acquisition.TakeCalls(),
              (std::vector<std::string>{"StopAcquisition(1,0)", "SetDisplaySource(live)"}));

    // A second request repeats neither SetLiveBitmapHandler nor Init.
    EXPECT_EQ(&GetCameraVideo(eAcquireDeviceVDX), &video);
    EXPECT_EQ(video.GetVideoMode(), eVideoModePlay);
    EXPECT_TRUE(m_Acquisition.TakeCalls().empty());
}

TEST_F(KyCameraVideoFactoryTest, CreationWithoutALiveSourceSwitchesTheModeOff) {
    RUXComponentFactory::GetAcquisitionCommon().m_pDisplaySource = nullptr;
    KyICameraVideo& video = GetCameraVideo(eAcquireDeviceVDX);
    EXPECT_EQ(m_Acquisition.TakeCalls(), std::vector<std::string>{"StopAcquisition(1,0)"});
    ASSERT_TRUE(video.SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    EXPECT_EQ(m_Acquisition.TakeCalls(), std::vector<std::string>{"StopAcquisition(1,0)"});
}

TEST_F(KyCameraVideoFactoryTest, TheActiveDeviceChoosesTheComponent) {
    activeDeviceType().SetActiveAcquireDeviceType(eAcquireDeviceVDX);
    EXPECT_TRUE(isDeviceComponent(GetCameraVideo()));
    EXPECT_EQ(GetCameraVideoPointer().Get(), &GetCameraVideo(eAcquireDeviceVDX));
    activeDeviceType().SetActiveAcquireDeviceType(eAcquireDeviceFile);
    EXPECT_FALSE(isDeviceComponent(GetCameraVideo()));
    activeDeviceType().SetActiveAcquireDeviceType(eAcquireDeviceReserved7);
    EXPECT_THROW(GetCameraVideo(), KyCExceptionRUXComponentFactory);
    EXPECT_THROW(GetCameraVideoPointer(), KyCExceptionRUXComponentFactory);
}

TEST_F(KyCameraVideoFactoryTest, ReleaseLeavesHeldObjectsWorkingAndCreatesAfresh) {
    CbSmartPointer<KyICameraVideo> pOld = GetCameraVideoPointer(eAcquireDeviceVDX);
    ReleaseCameraVideo();
    EXPECT_EQ(KyTestReferenceCount(*pOld), 1u);
    EXPECT_TRUE(pOld->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    EXPECT_EQ(pOld->GetVideoMode(), eVideoModePlay);

    CbSmartPointer<KyICameraVideo> pNew = GetCameraVideoPointer(eAcquireDeviceVDX);
    EXPECT_NE(pNew.Get(), pOld.Get());
    EXPECT_EQ(pNew->GetVideoMode(), eVideoModeNone);
    EXPECT_EQ(KyTestReferenceCount(*pNew), 2u);
}

TEST_F(KyCameraVideoFactoryTest, ReleaseDestroysWhatNobodyElseHolds) {
    CbWeakPointer<KyICameraVideo> pDeviceWatch(GetCameraVideoPointer(eAcquireDeviceVDX));
    CbWeakPointer<KyICameraVideo> pNullWatch(GetCameraVideoPointer(eAcquireDeviceNone));
    ASSERT_TRUE(
        GetCameraVideo(eAcquireDeviceVDX).SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    m_Acquisition.TakeCalls();
    EXPECT_FALSE(pDeviceWatch.IsExpired());
    EXPECT_FALSE(pNullWatch.IsExpired());

    ReleaseCameraVideo();
    EXPECT_TRUE(pDeviceWatch.IsExpired());
    EXPECT_TRUE(pNullWatch.IsExpired());
    // The controller switched its mode off as it went.
    EXPECT_EQ(m_Acquisition.TakeCalls(),
              (std::vector<std::string>{"StopAcquisition(1,0)", "SetDisplaySource(live)"}));

    ReleaseCameraVideo();  // empty holders: nothing happens
    EXPECT_TRUE(m_Acquisition.TakeCalls().empty());
}

TEST_F(KyCameraVideoFactoryTest, ConcurrentRequestsShareOneObject) {
    const int kThreads = 4;
    std::vector<CbSmartPointer<KyICameraVideo>> arrResults(kThreads * 50);
    std::vector<std::thread> arrThreads;
    for (int t = 0; t < kThreads; ++t) {
        arrThreads.emplace_back([&arrResults, t] {
            for (int i = 0; i < 50; ++i)
                arrResults[t * 50 + i] = GetCameraVideoPointer(eAcquireDeviceVDX);
        });
    }
    for (std::thread& thread : arrThreads)
        thread.join();
    for (const CbSmartPointer<KyICameraVideo>& pResult : arrResults)
        EXPECT_EQ(pResult.Get(), arrResults[0].Get());
    EXPECT_EQ(KyTestReferenceCount(*arrResults[0]), 1u + kThreads * 50);
}
