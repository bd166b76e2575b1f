// Camera mode end to end through the factory: with a fake acquisition that the test drives frame
// by frame, and with the built-in synthetic camera and live display, threads and all.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "KyCJPGCodec.h"
#include "KyCLiveDisplay.h"
#include "KyCSyntheticCamera.h"
#include "KyCTestPattern.h"
#include "KyCameraVideoFactory.h"
#include "KyPlatform.h"
#include "KyTestAviReader.h"
#include "KyTestCameraVideoRecord.h"
#include "KyTestClock.h"
#include "KyTestComponent.h"
#include "KyTestFrameDelivery.h"
#include "KyTestRecordingDisplay.h"
#include "KyTestMediaNames.h"
#include "KyTestPicture.h"
#include "KyTestRecordingAcquisition.h"
#include "KyTestTempDir.h"
#include "KyTestWait.h"

namespace {

namespace fs = std::filesystem;
typedef std::chrono::steady_clock Clock;

// The bare names of the directory's entries, sorted.
std::vector<std::string> listNames(const std::wstring& strDirectory) {
    std::vector<std::string> arrNames;
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(strDirectory)))
        arrNames.push_back(entry.path().filename().string());
    std::sort(arrNames.begin(), arrNames.end());
    return arrNames;
}

// The names of the form "YYYYMMDD-HHMMSS" + strExtension.
std::vector<std::string> mediaNames(const std::wstring& strDirectory,
                                    const std::string& strExtension) {
    std::vector<std::string> arrNames;
    for (const std::string& strName : listNames(strDirectory)) {
        if (KyTestIsTimeStampedName(strName, strExtension))
            arrNames.push_back(strName);
    }
    return arrNames;
}

// The temporary files of the media directory.
std::vector<std::string> temporaryNames(const std::wstring& strDirectory) {
    std::vector<std::string> arrNames;
    for (const std::string& strName : listNames(strDirectory)) {
        if (!strName.empty() && strName[0] == '~')
            arrNames.push_back(strName);
    }
    return arrNames;
}

std::wstring widen(const std::string& str) {
    return std::wstring(str.begin(), str.end());
}

bool decodeBytes(const std::vector<unsigned char>& arrBytes, KyCFieldBase& out) {
    return !arrBytes.empty() && KyCJPGCodec::Decode(arrBytes.data(), arrBytes.size(), out);
}

// The synthetic camera's picture, upright: its top band at the top, its bottom band at the
// bottom (compared in the red and blue channels, with room for JPEG losses).
::testing::AssertionResult isUprightTestPattern(const KyCFieldBase& decoded) {
    if (decoded.IsEmpty())
        return ::testing::AssertionFailure() << "no picture";
    unsigned char top[4], bottom[4];
    KyCTestPattern::GetTopColour(4, top);
    KyCTestPattern::GetBottomColour(4, bottom);
    const int nBand = KyCTestPattern::GetBandHeight(decoded.m_Rect.Height());
    const unsigned char* pTop = decoded.m_pData + (nBand / 2) * decoded.m_nPitch + 8 * 4;
    const unsigned char* pBottom =
        decoded.m_pData + (decoded.m_Rect.Height() - 1 - nBand / 2) * decoded.m_nPitch + 8 * 4;
    for (int nChannel = 0; nChannel < 3; ++nChannel) {
        if (std::abs(pTop[nChannel] - top[nChannel]) > 60 ||
            std::abs(pBottom[nChannel] - bottom[nChannel]) > 60)
            return ::testing::AssertionFailure()
                   << "channel " << nChannel << ": top " << int(pTop[nChannel]) << " (expected "
                   << int(top[nChannel]) << "), bottom " << int(pBottom[nChannel]) << " (expected "
                   << int(bottom[nChannel]) << ")";
    }
    return ::testing::AssertionSuccess();
}

// The factory's component with the test's acquisition and live display source.
class KyCameraVideoEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        RUXComponentFactory::ReleaseCameraVideo();
        m_pSavedSource = RUXComponentFactory::GetAcquisitionCommon().m_pDisplaySource;
        KyTestTakeVideoMessages();
    }
    void TearDown() override {
        RUXComponentFactory::ReleaseCameraVideo();
        RUXComponentFactory::GetAcquisitionCommon().m_pDisplaySource = m_pSavedSource;
        KyTestTakeVideoMessages();
    }

    KyTestTempDir m_Dir;
    IAcquireDisplaySource* m_pSavedSource = nullptr;
};

// The factory's device component for one test. Declared after the test's acquisition and
// displays, it switches the component off and lets it go before they do, on every way out.
class KyComponentScope {
public:
    KyComponentScope() : m_pVideo(RUXComponentFactory::GetCameraVideoPointer(eAcquireDeviceVDX)) {}
    ~KyComponentScope() {
        m_pVideo->SetVideoMode(eVideoModeNone, eVideoMediaTypeNone);
        m_pVideo.Release();
        RUXComponentFactory::ReleaseCameraVideo();
    }
    KyComponentScope(const KyComponentScope&) = delete;
    KyComponentScope& operator=(const KyComponentScope&) = delete;
    KyICameraVideo* operator->() const { return m_pVideo.Get(); }

private:
    CbSmartPointer<KyICameraVideo> m_pVideo;
};

// The built-in camera, set for a test and put back afterwards.
class KyBuiltInCameraScope {
public:
    KyBuiltInCameraScope(KyCSize2 size, float fFramesPerSecond)
        : m_Camera(RUXComponentFactory::GetBuiltInCamera()),
          m_SavedSize(m_Camera.GetFrameSize()),
          m_fSavedRate(m_Camera.GetFrameRate()) {
        RUXComponentFactory::SetAcquisition(nullptr);
        m_Camera.SetFrameSize(size);
        m_Camera.SetFrameRate(fFramesPerSecond);
    }
    ~KyBuiltInCameraScope() {
        m_Camera.StopAcquisition(1, 0);
        m_Camera.SetDisplaySource(nullptr);
        m_Camera.SetFrameSize(m_SavedSize);
        m_Camera.SetFrameRate(m_fSavedRate);
    }
    KyCSyntheticCamera& Camera() { return m_Camera; }

private:
    KyCSyntheticCamera& m_Camera;
    KyCSize2 m_SavedSize;
    float m_fSavedRate;
};

}  // namespace

TEST_F(KyCameraVideoEndToEndTest, FakeCameraRecordingIsPacedToEighteenFramesPerSecond) {
    KyTestClock clock;
    KyTestRecordingAcquisition acquisition;
    acquisition.Install();
    acquisition.SetImageSize(64, 48);
    KyTestRecordingDisplay live;
    RUXComponentFactory::GetAcquisitionCommon().m_pDisplaySource = &live;

    KyComponentScope pVideo;
    ASSERT_TRUE(pVideo->SetFilePath(m_Dir.Path()));
    ASSERT_TRUE(pVideo->SetVideoMode(eVideoModeCamera, eVideoMediaTypeVideo));
    ASSERT_TRUE(pVideo->StartVideo());
    ASSERT_TRUE(pVideo->IsRunning());

    // A camera at 9 frames per second for about 2.2 s: each frame is written twice on average.
    const int nFrames = 20;
    for (int i = 0; i < nFrames; ++i) {
        clock.AdvanceNs(1000000000 / 9);
        IAcquireDisplay* pDisplay = acquisition.GetDisplaySource()->GetDisplay(0);
        ASSERT_TRUE(KyTestDeliverMarked(*pDisplay, KyCSize2(64, 48)));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(pVideo->StopVideo());
    EXPECT_FALSE(pVideo->IsRunning());

    const std::vector<std::string> arrVideos = mediaNames(m_Dir.Path(), ".avi");
    ASSERT_EQ(arrVideos.size(), 1u);
    EXPECT_EQ(listNames(m_Dir.Path()), arrVideos);  // no "~video.avi" left, nothing else
    int nCount = 0;
    EXPECT_TRUE(pVideo->HasData(eVideoMediaTypeVideo, &nCount));
    EXPECT_EQ(nCount, 1);
    EXPECT_EQ(KyTestUtf8(pVideo->GetFileName(eVideoMediaTypeVideo, nullptr)),
              KyTestUtf8(m_Dir.File(widen(arrVideos[0]))));

    KyTestAviReader reader;
    ASSERT_TRUE(reader.Open(m_Dir.File(widen(arrVideos[0])))) << reader.GetError();
    EXPECT_EQ(reader.GetRate(), 18u);
    EXPECT_EQ(reader.GetScale(), 1u);
    EXPECT_EQ(reader.GetWidth(), 64u);
    EXPECT_EQ(reader.GetHeight(), 48);
    // 20 frames spanning 20 / 9 s: about 40 video frames.
    EXPECT_GE(reader.GetIndexedFrameCount(), 2u * nFrames - 3);
    EXPECT_LE(reader.GetIndexedFrameCount(), 2u * nFrames + 1);
    KyCFieldBase decoded;
    ASSERT_TRUE(decodeBytes(reader.ReadFrame(reader.GetIndexedFrameCount() - 1), decoded));
    EXPECT_TRUE(KyTestIsMarkedPicture(decoded, 64, 48));
    EXPECT_EQ(KyTestTakeVideoMessages(), 2);
}

TEST_F(KyCameraVideoEndToEndTest, SyntheticCameraRecordsAndCapturesUpright) {
    // Slower than the video's 18 frames per second, so that pacing fills the difference (a
    // faster camera would get every frame written once).
    KyBuiltInCameraScope scope(KyCSize2(160, 120), 12.0f);
    KyCLiveDisplay& live = RUXComponentFactory::GetBuiltInLiveDisplay();
    // The recording takes the live display's size and format.
    live.SetBitmapSize(KyCSize2(160, 120));
    live.SetPixelFormat(15);

    KyComponentScope pVideo;
    ASSERT_TRUE(pVideo->SetFilePath(m_Dir.Path()));

    // A still picture without a recording.
    ASSERT_TRUE(pVideo->SetVideoMode(eVideoModeCamera, eVideoMediaTypePicture));
    // The first picture is named by the second in which its call began: only when both calls
    // began and ended in that second must the second one be refused.
    // Starting right after the second turns makes that the usual case.
    KyTestWaitForAFreshSecond();
    const std::int64_t nSecond = KyPlatform::Time64();
    ASSERT_TRUE(pVideo->StartVideo());
    const bool bSecond = pVideo->StartVideo();
    if (KyPlatform::Time64() == nSecond) {
        EXPECT_FALSE(bSecond);
    }

    // A recording of about two seconds, with the live display running meanwhile.
    ASSERT_TRUE(pVideo->SetVideoMode(eVideoModeCamera, eVideoMediaTypeVideo));
    const unsigned nShownBefore = live.GetPicturesShown();
    ASSERT_TRUE(pVideo->StartVideo());
    const Clock::time_point start = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    const double fSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    ASSERT_TRUE(pVideo->StopVideo());
    EXPECT_GT(live.GetPicturesShown(), nShownBefore + 5);

    // The worker stops within its limit.
    const Clock::time_point stopStart = Clock::now();
    ASSERT_TRUE(pVideo->SetVideoMode(eVideoModeNone, eVideoMediaTypeNone));
    EXPECT_LT(Clock::now() - stopStart, std::chrono::milliseconds(2000 + 3000));

    const std::vector<std::string> arrVideos = mediaNames(m_Dir.Path(), ".avi");
    ASSERT_EQ(arrVideos.size(), 1u);
    const std::vector<std::string> arrPictures = mediaNames(m_Dir.Path(), ".jpg");
    ASSERT_GE(arrPictures.size(), 1u);
    EXPECT_EQ(listNames(m_Dir.Path()).size(), arrVideos.size() + arrPictures.size());

    KyTestAviReader reader;
    ASSERT_TRUE(reader.Open(m_Dir.File(widen(arrVideos[0])))) << reader.GetError();
    EXPECT_EQ(reader.GetRate(), 18u);
    EXPECT_EQ(reader.GetScale(), 1u);
    const size_t nWritten = reader.GetIndexedFrameCount();
    EXPECT_GE(nWritten, static_cast<size_t>(18 * fSeconds * 0.6));
    EXPECT_LE(nWritten, static_cast<size_t>(18 * fSeconds + 6));
    // Upright, and the camera's frame numbers never go back.
    unsigned nPrevious = 0;
    for (size_t n = 0; n < nWritten; ++n) {
        KyCFieldBase decoded;
        ASSERT_TRUE(decodeBytes(reader.ReadFrame(n), decoded)) << n;
        ASSERT_EQ(decoded.Size(), KyCSize2(160, 120));
        ASSERT_TRUE(isUprightTestPattern(decoded)) << "frame " << n;
        unsigned nNumber = 0;
        ASSERT_TRUE(KyCTestPattern::ReadFrameNumber(decoded.m_pData, decoded.m_nPitch,
                                                    decoded.Size(), 4, nNumber));
        EXPECT_GE(nNumber, nPrevious) << "frame " << n;
        nPrevious = nNumber;
    }

    const std::string strPicture = KyTestReadFile(m_Dir.File(widen(arrPictures[0])));
    KyCFieldBase picture;
    ASSERT_TRUE(
        decodeBytes(std::vector<unsigned char>(strPicture.begin(), strPicture.end()), picture));
    EXPECT_EQ(picture.Size(), KyCSize2(160, 120));
    EXPECT_TRUE(isUprightTestPattern(picture));
}

TEST_F(KyCameraVideoEndToEndTest, HostThreadsStartStopAndCaptureWhileFramesFlow) {
    KyBuiltInCameraScope scope(KyCSize2(64, 48), 60.0f);
    RUXComponentFactory::GetBuiltInLiveDisplay().SetBitmapSize(KyCSize2(64, 48));
    RUXComponentFactory::GetBuiltInLiveDisplay().SetPixelFormat(15);
    KyComponentScope pVideo;
    ASSERT_TRUE(pVideo->SetFilePath(m_Dir.Path()));

    std::atomic<bool> bDone(false);
    // A second host thread asks about the state all the while.
    std::thread observer([&] {
        while (!bDone.load()) {
            pVideo->IsRunning();
            pVideo->HasData(eVideoMediaTypeNone, nullptr);
            pVideo->GetFileName(nullptr);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(pVideo->SetVideoMode(eVideoModeCamera, eVideoMediaTypeVideo));
        EXPECT_TRUE(pVideo->StartVideo());
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        // Switching to pictures files the recording; the capture may meet a taken second.
        EXPECT_TRUE(pVideo->SetVideoMode(eVideoModeCamera, eVideoMediaTypePicture));
        pVideo->StartVideo();
        EXPECT_TRUE(pVideo->StopVideo());
        EXPECT_TRUE(pVideo->SetVideoMode(eVideoModeNone, eVideoMediaTypeNone));
    }
    bDone = true;
    observer.join();

    EXPECT_TRUE(temporaryNames(m_Dir.Path()).empty());
    const std::vector<std::string> arrVideos = mediaNames(m_Dir.Path(), ".avi");
    EXPECT_GE(arrVideos.size(), 1u);
    for (const std::string& strName : arrVideos) {
        KyTestAviReader reader;
        EXPECT_TRUE(reader.Open(m_Dir.File(widen(strName)))) << strName << reader.GetError();
    }
    EXPECT_GE(mediaNames(m_Dir.Path(), ".jpg").size(), 1u);
}

TEST_F(KyCameraVideoEndToEndTest, WorkerRestartsWhileTheLiveDisplayPullsFrames) {
    // The camera writes into the worker, the worker's display pulls on its own thread, and the
    // host restarts the worker over and over: attaching and detaching must never wait on a
    // picture callback that waits for them.
    KyBuiltInCameraScope scope(KyCSize2(64, 48), 200.0f);
    KyCLiveDisplay& live = RUXComponentFactory::GetBuiltInLiveDisplay();
    KyTestCameraVideoRecord worker;
    scope.Camera().SetDisplaySource(&worker);
    ASSERT_EQ(scope.Camera().StartAcquisition(1), 0);
    const unsigned nShownBefore = live.GetPicturesShown();
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(worker.StartThread(&live, KyCSize2(64, 48), 15));
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (i % 3 == 0)
            worker.CapturePicture(m_Dir.File(L"p.jpg"));
        ASSERT_TRUE(worker.StopThread());
    }
    scope.Camera().StopAcquisition(1, 0);
    scope.Camera().SetDisplaySource(nullptr);
    EXPECT_GT(live.GetPicturesShown(), nShownBefore);
    EXPECT_FALSE(live.IsPictureCallbackSet());
    EXPECT_TRUE(KyTestFileExists(m_Dir.File(L"p.jpg")));
}
