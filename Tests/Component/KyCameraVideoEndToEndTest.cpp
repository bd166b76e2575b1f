// Camera mode end to end: the factory's component with the built-in synthetic camera and live
// display, threads and all.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "KyCCameraVideoVDX.h"
#include "KyCJPGCodec.h"
#include "KyCLiveDisplay.h"
#include "KyCSyntheticCamera.h"
#include "KyCameraVideoFactory.h"
#include "KyTestComponent.h"
#include "KyTestTempDir.h"
#include "KyTestVideoProbe.h"

namespace {

typedef std::chrono::steady_clock Clock;

class KyCameraVideoEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        RUXComponentFactory::ReleaseCameraVideo();
        RUXComponentFactory::SetAcquisition(nullptr);  // the built-in camera
        m_SavedSize = camera().GetFrameSize();
        m_fSavedRate = camera().GetFrameRate();
        KyTestTakeVideoMessages();
    }
    void TearDown() override {
        if (m_pVideo)
            m_pVideo->SetVideoMode(eVideoModeNone, eVideoMediaTypeNone);
        m_pVideo.Release();
        RUXComponentFactory::ReleaseCameraVideo();
        camera().StopAcquisition(1, 0);
        camera().SetDisplaySource(nullptr);
        camera().SetFrameSize(m_SavedSize);
        camera().SetFrameRate(m_fSavedRate);
        KyTestTakeVideoMessages();
    }

    // The component, recording at the live display's size what the camera delivers at its rate.
    void start(KyCSize2 size, float fFramesPerSecond) {
        ASSERT_TRUE(camera().SetFrameSize(size));
        ASSERT_TRUE(camera().SetFrameRate(fFramesPerSecond));
        live().SetBitmapSize(size);
        live().SetPixelFormat(15);
        m_pVideo = RUXComponentFactory::GetCameraVideoPointer(eAcquireDeviceVDX);
        ASSERT_TRUE(m_pVideo->SetFilePath(m_Dir.Path()));
    }
    static KyCSyntheticCamera& camera() { return RUXComponentFactory::GetBuiltInCamera(); }
    static KyCLiveDisplay& live() { return RUXComponentFactory::GetBuiltInLiveDisplay(); }
    const KyCCameraVideoVDX& views() const {
        return *dynamic_cast<const KyCCameraVideoVDX*>(
            m_pVideo->GetExtension(KyICameraVideoVDX::kExtensionName, true));
    }
    std::vector<SCatalogueEntry> entries(ERUXVideoMediaType eMediaType) const {
        std::vector<SCatalogueEntry> arrEntries;
        for (const SCatalogueEntry& entry : views().GetState().arrCatalogue) {
            if (entry.eMediaType == eMediaType)
                arrEntries.push_back(entry);
        }
        return arrEntries;
    }

    KyTestTempDir m_Dir;
    CbSmartPointer<KyICameraVideo> m_pVideo;
    KyCSize2 m_SavedSize;
    float m_fSavedRate = 0.0f;
};

// The synthetic camera's picture: red band on top, blue band at the bottom.
::testing::AssertionResult isUpright(const KyCFieldBase& decoded) {
    const int nHeight = decoded.m_Rect.Height();
    const unsigned char* pTop = decoded.m_pData + 2 * decoded.m_nPitch + 8 * 4;
    const unsigned char* pBottom = decoded.m_pData + (nHeight - 3) * decoded.m_nPitch + 8 * 4;
    if (pTop[2] > 160 && pTop[0] < 100 && pBottom[0] > 160 && pBottom[2] < 100)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "top BGR " << int(pTop[0]) << "," << int(pTop[1]) << ","
                                         << int(pTop[2]) << ", bottom BGR " << int(pBottom[0])
                                         << "," << int(pBottom[1]) << "," << int(pBottom[2]);
}

}  // namespace

TEST_F(KyCameraVideoEndToEndTest, SyntheticCameraRecordsAndCapturesUpright) {
    // Slower than the video's 18 frames per second, so that pacing fills the difference.
    start(KyCSize2(160, 120), 12.0f);
    ASSERT_TRUE(m_pVideo->SetVideoMode(eVideoModeCamera, eVideoMediaTypePicture));
    ASSERT_TRUE(m_pVideo->StartVideo());

    ASSERT_TRUE(m_pVideo->SetVideoMode(eVideoModeCamera, eVideoMediaTypeVideo));
    const unsigned nShownBefore = live().GetPicturesShown();
    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(m_pVideo->StartVideo());
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    ASSERT_TRUE(m_pVideo->StopVideo());
    const double fSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_GT(live().GetPicturesShown(), nShownBefore + 5);  // the live display kept showing

    // Relations pacing guarantees however busy the machine: no more than 18 frames per second of
    // the recording's own length, which lies within the host's start and stop.
    const SRecordingStatistics stats = views().GetRecordingStatistics();
    EXPECT_GT(stats.nFramesRepeated, 0u);
    EXPECT_LE(stats.fElapsedS, fSeconds);
    EXPECT_LE(stats.nFramesWritten, static_cast<std::uint64_t>(18 * stats.fElapsedS + 2));
    EXPECT_EQ(stats.nFramesWritten, stats.nFramesDelivered + stats.nFramesRepeated);
    const std::vector<SCatalogueEntry> arrVideos = entries(eVideoMediaTypeVideo);
    const std::vector<SCatalogueEntry> arrPictures = entries(eVideoMediaTypePicture);
    ASSERT_EQ(arrVideos.size(), 1u);
    ASSERT_EQ(arrPictures.size(), 1u);
    if (KyTestHaveFfmpeg()) {
        KyTestVideoProbe probe;
        ASSERT_TRUE(KyTestProbeVideo(m_Dir.File(arrVideos[0].strFileName), true, probe))
            << probe.strError;
        EXPECT_EQ(probe.nRateNum * 1.0 / probe.nRateDen, 18.0);
        EXPECT_EQ(probe.nPackets, static_cast<int>(stats.nFramesWritten));
        EXPECT_EQ(probe.nDecoded, probe.nPackets);
        EXPECT_GT(probe.nTopCr, 160);
        EXPECT_GT(probe.nBottomCb, 160);
    }
    const std::string strPicture = KyTestReadFile(m_Dir.File(arrPictures[0].strFileName));
    KyCFieldBase picture;
    ASSERT_TRUE(KyCJPGCodec::Decode(reinterpret_cast<const unsigned char*>(strPicture.data()),
                                    strPicture.size(), picture));
    EXPECT_EQ(picture.Size(), KyCSize2(160, 120));
    EXPECT_TRUE(isUpright(picture));
}

TEST_F(KyCameraVideoEndToEndTest, WorkerRestartsWhileTheLiveDisplayPullsAndHostThreadsAsk) {
    // The camera writes into the worker, the live display pulls on its own thread, and the host
    // restarts the worker over and over: attaching and detaching must never wait on a picture
    // callback that waits for them.
    start(KyCSize2(64, 48), 200.0f);
    const unsigned nShownBefore = live().GetPicturesShown();
    std::atomic<bool> bDone(false);
    std::thread observer([&] {
        while (!bDone.load()) {
            m_pVideo->IsRunning();
            m_pVideo->GetFileName(nullptr);
            views().GetRecordingStatistics();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    for (int i = 0; i < 12; ++i) {
        EXPECT_TRUE(m_pVideo->SetVideoMode(eVideoModeCamera, eVideoMediaTypeVideo));
        EXPECT_TRUE(m_pVideo->StartVideo());
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        // Switching to pictures files the recording; the capture may meet a taken second.
        EXPECT_TRUE(m_pVideo->SetVideoMode(eVideoModeCamera, eVideoMediaTypePicture));
        m_pVideo->StartVideo();
        EXPECT_TRUE(m_pVideo->SetVideoMode(eVideoModeNone, eVideoMediaTypeNone));
    }
    bDone = true;
    observer.join();

    EXPECT_GT(live().GetPicturesShown(), nShownBefore);
    EXPECT_FALSE(live().IsPictureCallbackSet());
    for (const auto& entry : std::filesystem::directory_iterator(m_Dir.Path()))
        EXPECT_NE(entry.path().filename().string()[0], '~') << entry.path();
    EXPECT_GE(entries(eVideoMediaTypePicture).size(), 1u);
    const std::vector<SCatalogueEntry> arrVideos = entries(eVideoMediaTypeVideo);
    EXPECT_GE(arrVideos.size(), 1u);
    for (const SCatalogueEntry& entry : arrVideos) {
        KyTestVideoProbe probe;
        if (KyTestHaveFfmpeg()) {
            EXPECT_TRUE(KyTestProbeVideo(m_Dir.File(entry.strFileName), false, probe))
                << probe.strError;
        }
    }
}
