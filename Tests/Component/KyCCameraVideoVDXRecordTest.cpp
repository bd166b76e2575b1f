// Camera mode as a host drives it: a fake acquisition whose frames the test writes into the
// component, the fake live display, and what shows in the views, the directory and the files.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <regex>
#include <thread>
#include <tuple>

#include "KyCCameraVideoVDX.h"
#include "KyCJPGCodec.h"
#include "KyCMediaPath.h"
#include "KyPlatform.h"
#include "KyTestClock.h"
#include "KyTestComponent.h"
#include "KyTestFrameDelivery.h"
#include "KyTestPicture.h"
#include "KyTestPlatformFaults.h"
#include "KyTestRecordingAcquisition.h"
#include "KyTestRecordingDisplay.h"
#include "KyTestTempDir.h"
#include "KyTestVideoProbe.h"
#include "KyTestWait.h"

namespace {

typedef std::vector<std::string> Calls;
const KyCSize2 kFrame(64, 48);

// The media directory's time-stamped name, "YYYYMMDD-HHMMSS.<extension>".
bool isTimeStamped(const std::string& strName, const std::string& strExtension) {
    return std::regex_match(strName, std::regex(R"(\d{8}-\d{6}\.)" + strExtension));
}

// Returns once the wall clock's second turned: media file names are stamped to the second.
void waitForAFreshSecond() {
    const std::int64_t nNow = KyPlatform::Time64();
    ASSERT_TRUE(KyTestWaitFor([&] { return KyPlatform::Time64() != nNow; }));
}

// Written and waiting frames account for every copy that was not dropped.
::testing::AssertionResult accountsForEveryCopy(const SRecordingStatistics& stats) {
    if (stats.nFramesWritten + stats.nFramesWaiting ==
        stats.nFramesDelivered + stats.nFramesRepeated - stats.nFramesDropped)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << stats.nFramesWritten << " written + " << stats.nFramesWaiting
           << " waiting != " << stats.nFramesDelivered << " delivered + " << stats.nFramesRepeated
           << " repeated - " << stats.nFramesDropped << " dropped";
}

// The video's packets, rate and size, and its first frame: upright (red top, blue bottom), or
// black above and below a smaller picture centred in it.
void expectVideo(const std::wstring& strPath, std::uint64_t nFrames, bool bCentred = false) {
    KyTestVideoProbe probe;
    if (!KyTestHaveFfmpeg())
        return;
    ASSERT_TRUE(KyTestProbeVideo(strPath, false, probe)) << probe.strError;
    EXPECT_EQ(probe.nPackets, static_cast<int>(nFrames));
    EXPECT_EQ(probe.nRateNum * 1.0 / probe.nRateDen, 18.0);
    EXPECT_EQ(KyCSize2(probe.nWidth, probe.nHeight), kFrame);
    if (bCentred) {
        EXPECT_NEAR(probe.nTopCr, 128, 12);
        EXPECT_NEAR(probe.nBottomCb, 128, 12);
    } else {
        EXPECT_GT(probe.nTopCr, 160);
        EXPECT_GT(probe.nBottomCb, 160);
    }
}

class KyCCameraVideoVDXRecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_Acquisition.SetImageSize(kFrame.nWidth, kFrame.nHeight);
        m_Acquisition.NameSource(static_cast<IAcquireDisplaySource*>(&m_Live), "live");
        m_pVdx->SetLiveBitmapHandler(&m_Live);
        m_pVdx->SetCaptureWaitForTesting(500, 10);
        ASSERT_TRUE(video().SetFilePath(m_Dir.Path()));
        KyTestTakeVideoMessages();
    }
    void TearDown() override {
        m_pVdx.reset();
        KyTestTakeVideoMessages();
    }

    // The host's face of the component.
    KyICameraVideo& video() { return *m_pVdx; }
    void enterCamera(ERUXVideoMediaType eMediaType) {
        ASSERT_TRUE(video().SetVideoMode(eVideoModeCamera, eMediaType));
        m_Acquisition.TakeCalls();
        m_Live.TakeCalls();
    }
    // Where the camera writes: the display source the acquisition was given.
    IAcquireDisplay& camera() { return *m_Acquisition.GetDisplaySource()->GetDisplay(0); }
    SRecordingStatistics stats() const { return m_pVdx->GetRecordingStatistics(); }
    // Delivers frames one by one, each written before the next.
    void record(int nFrames) {
        for (int i = 0; i < nFrames; ++i) {
            ASSERT_TRUE(KyTestDeliverMarked(camera(), kFrame));
            ASSERT_TRUE(KyTestWaitFor(
                [&] { return stats().nFramesWaiting == 0 && accountsForEveryCopy(stats()); }));
        }
    }
    // A recording whose loop cannot write: the frames wait (no assertion may end the test before
    // the writer is let go).
    void recordWithTheWriterHeld(int nFrames) {
        enterCamera(eVideoMediaTypeVideo);
        EXPECT_TRUE(video().StartVideo());
        m_pVdx->HoldWriterForTesting(true);
        for (int i = 0; i < nFrames; ++i)
            EXPECT_TRUE(KyTestDeliverMarked(camera(), kFrame));
    }
    // Stops while the writer is held, then lets it go: the frames still waiting when the
    // recording ended.
    unsigned stopWhileTheWriterIsHeld() {
        std::future<bool> stopped =
            std::async(std::launch::async, [&] { return video().StopVideo(); });
        EXPECT_TRUE(KyTestWaitFor([&] { return !stats().bRecording; }, 10000));
        const unsigned nWaiting = stats().nFramesWaiting;
        m_pVdx->HoldWriterForTesting(false);
        EXPECT_TRUE(stopped.get());
        return nWaiting;
    }
    std::vector<std::string> catalogue() const {
        std::vector<std::string> arrNames;
        for (const SCatalogueEntry& entry : m_pVdx->GetState().arrCatalogue)
            arrNames.push_back(KyTestUtf8(entry.strFileName));
        return arrNames;
    }
    std::wstring file(const std::string& strName) const {
        return m_Dir.File(std::wstring(strName.begin(), strName.end()));
    }
    // A capture on a thread of its own while the camera delivers frames, or none: its answer.
    bool captureWhileDelivering(bool bFrames, int nBytesPerPixel = 4) {
        std::future<bool> captured =
            std::async(std::launch::async, [&] { return video().StartVideo(); });
        while (captured.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready) {
            if (bFrames)
                KyTestDeliverMarked(camera(), kFrame, nBytesPerPixel);
        }
        return captured.get();
    }
    // A capture in picture mode on a thread of its own, which looks once, then sleeps 4 s before
    // it looks again; meanwhile a recording starts.
    std::future<bool> captureThenRecord() {
        m_pVdx->SetCaptureWaitForTesting(2, 4000);
        enterCamera(eVideoMediaTypePicture);
        std::future<bool> captured =
            std::async(std::launch::async, [&] { return video().StartVideo(); });
        // Posted before the capture begins; then a moment for its first look.
        EXPECT_TRUE(KyTestWaitFor([] { return KyTestTakeVideoMessages() > 0; }));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_TRUE(video().SetVideoMode(eVideoModeCamera, eVideoMediaTypeVideo));
        EXPECT_TRUE(video().StartVideo());
        return captured;
    }

    KyTestClock m_Clock;  // stands still unless a test advances it: one copy per frame
    KyTestTempDir m_Dir;
    KyTestPlatformFaults m_Faults;
    KyTestRecordingAcquisition m_Acquisition;
    KyTestRecordingDisplay m_Live;
    std::unique_ptr<KyCCameraVideoVDX> m_pVdx = std::make_unique<KyCCameraVideoVDX>();
};

}  // namespace

TEST_F(KyCCameraVideoVDXRecordTest, CameraModeRoutesFramesThroughTheWorkerToTheLiveDisplay) {
    ASSERT_TRUE(video().SetVideoMode(eVideoModeCamera, eVideoMediaTypeVideo));
    EXPECT_EQ(m_Acquisition.TakeCalls(),
              (Calls{"StopAcquisition(1,0)", "SetDisplaySource(live)", "IsAcquisitionReady",
                     "GetImageSize", "SetDisplaySource(unnamed)", "StartAcquisition(1)"}));
    EXPECT_EQ(m_Live.TakeCalls(),
              (Calls{"GetDisplay(2)", "GetBitmapSize", "GetPixelFormat", "SetBitmapSize(64x48)",
                     "SetPixelFormat(15)", "SetPictureCallback(set)", "SetDisplayState(0)",
                     "ResetDisplay", "StartDisplay(true)"}));
    EXPECT_TRUE(m_pVdx->GetState().bWorkerRunning);

    // Each frame refreshes the display, which pulls it once, upright.
    ASSERT_TRUE(KyTestDeliverMarked(camera(), kFrame));
    EXPECT_EQ(m_Live.TakeCalls(), Calls{"UpdateDisplay(0)"});
    ASSERT_TRUE(m_Live.Pull());
    ASSERT_TRUE(m_Live.Pull());
    EXPECT_EQ(m_Live.GetFrameCount(), 1u);
    EXPECT_EQ(m_Live.GetInvalidReleases(), 1u);
    const KyTestRecordingDisplay::Frame picture = m_Live.GetLastFrame();
    ASSERT_EQ(picture.size, kFrame);
    EXPECT_EQ(picture.Pixel(47, 63)[0], 255);  // blue bottom
    EXPECT_EQ(picture.Pixel(0, 63)[2], 255);   // red top
    EXPECT_TRUE(m_Live.GuardsIntact());

    // Another media type with the worker running only restarts acquisition.
    ASSERT_TRUE(video().SetVideoMode(eVideoModeCamera, eVideoMediaTypePicture));
    EXPECT_EQ(m_Acquisition.TakeCalls(), Calls{"StartAcquisition(1)"});
    m_Live.TakeCalls();
    ASSERT_TRUE(video().SetVideoMode(eVideoModeNone, eVideoMediaTypeNone));
    EXPECT_EQ(m_Acquisition.TakeCalls(), (Calls{"StopAcquisition(1,0)", "SetDisplaySource(live)"}));
    EXPECT_EQ(m_Live.TakeCalls(), (Calls{"StopDisplay", "SetPictureCallback(empty)"}));
    EXPECT_FALSE(m_pVdx->GetState().bWorkerRunning);
}

// The frame size and format come from the live display, else from the camera's image size; the
// camera must write frames of that pixel size, no larger than the frame, one at a time.
TEST_F(KyCCameraVideoVDXRecordTest, WorkerTakesTheFrameSizeAndPixelFormat) {
    const struct {
        const char* pszSource;
        KyCSize2 displaySize;
        int nFormatAnswer;
        const char* pszSize;
        int nFormat;
    } aCases[] = {
        {"live display", KyCSize2(320, 240), 15, "SetBitmapSize(320x240)", 15},
        {"grey live display", KyCSize2(320, 240), 8, "SetBitmapSize(320x240)", 8},
        {"camera's image size", KyCSize2(0, 0), 8, "SetBitmapSize(80x60)", 15},
    };
    m_Acquisition.SetImageSize(80, 60);
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.pszSource);
        ASSERT_TRUE(video().SetVideoMode(eVideoModeNone, eVideoMediaTypeNone));
        m_Live.SetBitmapSize(c.displaySize);
        m_Live.SetPixelFormatAnswer(c.nFormatAnswer);
        m_Live.TakeCalls();
        ASSERT_TRUE(video().SetVideoMode(eVideoModeCamera, eVideoMediaTypeVideo));
        const Calls calls = m_Live.TakeCalls();
        EXPECT_NE(std::find(calls.begin(), calls.end(), c.pszSize), calls.end());
        EXPECT_NE(std::find(calls.begin(), calls.end(),
                            "SetPixelFormat(" + std::to_string(c.nFormat) + ")"),
                  calls.end());
        const int nBytes = c.nFormat == 15 ? 4 : 1;
        EXPECT_FALSE(KyTestDeliverMarked(camera(), KyCSize2(16, 16), 5 - nBytes));
        EXPECT_TRUE(KyTestDeliverMarked(camera(), KyCSize2(16, 16), nBytes));
        EXPECT_FALSE(KyTestDeliverMarked(camera(), KyCSize2(400, 16), nBytes));
        EXPECT_FALSE(KyTestDeliverMarked(camera(), KyCSize2(16, 300), nBytes));
        EXPECT_FALSE(KyTestDeliverMarked(camera(), KyCSize2(-2, 16), nBytes));
        int nPitch = 0;
        ASSERT_NE(camera().GetBitmapBuffer(KyCSize2(8, 8), &nPitch, nBytes * 8u), nullptr);
        EXPECT_EQ(camera().GetBitmapBuffer(KyCSize2(8, 8), &nPitch, nBytes * 8u), nullptr);
        camera().ReleaseBitmapBuffer(false);
        EXPECT_TRUE(KyTestDeliverMarked(camera(), KyCSize2(16, 16), nBytes));
    }
}

TEST_F(KyCCameraVideoVDXRecordTest, CameraModeNeedsAReadyAcquisitionAndALiveSource) {
    ASSERT_TRUE(KyTestWriteFile(m_Dir.File(L"~video.avi"), "old"));
    ASSERT_TRUE(KyTestWriteFile(m_Dir.File(L"~picture.jpg"), "old"));
    m_Acquisition.SetReady(false);
    EXPECT_FALSE(video().SetVideoMode(eVideoModeCamera, eVideoMediaTypeVideo));
    EXPECT_EQ(video().GetVideoMode(), eVideoModeNone);
    EXPECT_TRUE(KyTestFileExists(m_Dir.File(L"~video.avi")));  // refused before the clean-up
    m_Acquisition.SetReady(true);
    KyCCameraVideoVDX withoutSource;
    ASSERT_TRUE(withoutSource.SetFilePath(m_Dir.Path()));
    EXPECT_FALSE(withoutSource.SetVideoMode(eVideoModeCamera, eVideoMediaTypeVideo));
    EXPECT_FALSE(withoutSource.GetState().bWorkerRunning);

    // Leftovers of an earlier run go when the worker starts.
    ASSERT_TRUE(video().SetVideoMode(eVideoModeCamera, eVideoMediaTypeVideo));
    EXPECT_FALSE(KyTestFileExists(m_Dir.File(L"~video.avi")));
    EXPECT_FALSE(KyTestFileExists(m_Dir.File(L"~picture.jpg")));
}

TEST_F(KyCCameraVideoVDXRecordTest, RecordingsAreFiledUnderTheirTimeStampsAndCountedAfresh) {
    enterCamera(eVideoMediaTypeVideo);
    // Recordings that come to nothing: one that cannot open, one without frames. No file, no
    // entry, the worker still running.
    m_Faults.Inject(KyPlatformFaults::eOpenForWrite, L"~video.avi", KyPlatform::kErrorDiskFull, 1);
    EXPECT_FALSE(video().StartVideo());
    EXPECT_FALSE(video().IsRunning());
    EXPECT_FALSE(stats().bRecording);
    ASSERT_TRUE(video().StartVideo());
    ASSERT_TRUE(video().StopVideo());
    EXPECT_FALSE(KyTestFileExists(m_Dir.File(L"~video.avi")));
    EXPECT_TRUE(catalogue().empty());
    EXPECT_TRUE(m_pVdx->GetState().bWorkerRunning);
    KyTestTakeVideoMessages();

    // Files of the names the first recording may get are replaced.
    waitForAFreshSecond();
    const std::int64_t nSecond = KyPlatform::Time64();
    for (std::int64_t n : {nSecond, nSecond + 1}) {
        ASSERT_TRUE(KyTestWriteFile(m_Dir.File(makeMediaFilename(eVideoMediaTypeVideo, n)), "old"));
    }
    ASSERT_TRUE(video().StartVideo());
    EXPECT_TRUE(video().IsRunning());
    EXPECT_TRUE(m_pVdx->GetState().bRecording);
    EXPECT_TRUE(KyTestFileExists(m_Dir.File(L"~video.avi")));
    record(3);
    ASSERT_TRUE(video().StopVideo());
    EXPECT_FALSE(video().IsRunning());
    waitForAFreshSecond();
    // The second starts with a smaller picture: centred on a border cleared of the whole frames
    // the pooled buffers still hold; the live display gets the picture as it came.
    ASSERT_TRUE(video().StartVideo());
    ASSERT_TRUE(KyTestDeliverMarked(camera(), KyCSize2(40, 24)));
    ASSERT_TRUE(KyTestWaitFor([&] { return stats().nFramesWritten == 1; }));
    ASSERT_TRUE(m_Live.Pull());
    EXPECT_EQ(m_Live.GetLastFrame().size, KyCSize2(40, 24));
    record(2);
    const SRecordingStatistics second = stats();
    EXPECT_EQ(second.nFramesDelivered, 3u);
    EXPECT_EQ(second.nFramesWritten, 3u);
    ASSERT_TRUE(video().StopVideo());
    EXPECT_EQ(KyTestTakeVideoMessages(), 4);

    EXPECT_FALSE(KyTestFileExists(m_Dir.File(L"~video.avi")));
    const std::vector<std::string> arrNames = catalogue();
    ASSERT_EQ(arrNames.size(), 2u);
    const SCameraVideoState state = m_pVdx->GetState();
    EXPECT_EQ(state.arrCatalogue[0].nTime, nSecond);
    EXPECT_EQ(
        std::make_tuple(state.nCurrentIndex, state.nCurrentVideoIndex, state.nCurrentPictureIndex),
        std::make_tuple(1, 1, -1));
    EXPECT_EQ(KyTestUtf8(video().GetFileName(eVideoMediaTypeVideo, nullptr)),
              KyTestUtf8(file(arrNames[1])));
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(isTimeStamped(arrNames[i], "avi"));
        EXPECT_EQ(KyTestReadFile(file(arrNames[i])).substr(0, 4), "RIFF");
        expectVideo(file(arrNames[i]), 3, i == 1);
    }
}

// However a recording ends, its frames stay on disk: filed under a time stamp, or under the
// temporary name when the final move fails.
class KyCCameraVideoVDXEndTest : public KyCCameraVideoVDXRecordTest,
                                 public ::testing::WithParamInterface<std::string> {};

TEST_P(KyCCameraVideoVDXEndTest, RecordedFramesStayOnDisk) {
    const std::string strEnd = GetParam();
    enterCamera(eVideoMediaTypeVideo);
    ASSERT_TRUE(video().StartVideo());
    record(2);
    if (strEnd == "ExitWhoseMoveFails")
        m_Faults.Inject(KyPlatformFaults::eMove, L"~video.avi", KyPlatform::kErrorDiskFull);
    if (strEnd == "CameraStopsThenExit") {
        ASSERT_TRUE(camera().StopDisplay());  // the recording ends, not yet filed
        EXPECT_FALSE(video().IsRunning());
        EXPECT_TRUE(KyTestFileExists(m_Dir.File(L"~video.avi")));
    }
    if (strEnd == "ControllerDestroyed") {
        m_pVdx.reset();
    } else {
        video().Exit();
        EXPECT_FALSE(video().IsRunning());
        EXPECT_FALSE(m_pVdx->GetState().bWorkerRunning);
    }
    std::vector<std::string> arrFiles;
    for (const auto& entry : std::filesystem::directory_iterator(m_Dir.Path()))
        arrFiles.push_back(entry.path().filename().string());
    ASSERT_EQ(arrFiles.size(), 1u);
    if (strEnd == "ExitWhoseMoveFails")
        EXPECT_EQ(arrFiles[0], "~video.avi");
    else
        EXPECT_TRUE(isTimeStamped(arrFiles[0], "avi")) << arrFiles[0];
    expectVideo(file(arrFiles[0]), 2);
}

INSTANTIATE_TEST_SUITE_P(Ends, KyCCameraVideoVDXEndTest,
                         ::testing::Values("ExitWhoseMoveFails", "CameraStopsThenExit",
                                           "ControllerDestroyed"),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return info.param;
                         });

// A camera at each rate into the video's 18 frames per second: pacing repeats frames to keep
// real time, and never drops one.
class KyCCameraVideoVDXPacingTest : public KyCCameraVideoVDXRecordTest,
                                    public ::testing::WithParamInterface<int> {};

TEST_P(KyCCameraVideoVDXPacingTest, VideoKeepsEighteenFramesPerSecondOfRealTime) {
    const int nRate = GetParam(), nFrames = 12;
    const std::uint64_t nExpected = nRate >= 18 ? nFrames : nFrames * 18 / nRate;
    enterCamera(eVideoMediaTypeVideo);
    ASSERT_TRUE(video().StartVideo());
    for (int i = 0; i < nFrames; ++i) {
        m_Clock.AdvanceNs(1000000000 / nRate);
        record(1);
    }
    const SRecordingStatistics running = stats();
    EXPECT_EQ(running.nFramesDelivered, static_cast<std::uint64_t>(nFrames));
    EXPECT_GE(running.nFramesWritten, nExpected - 1);
    EXPECT_LE(running.nFramesWritten, nExpected);
    EXPECT_EQ(running.nFramesRepeated, running.nFramesWritten - nFrames);
    EXPECT_EQ(running.nFramesDropped, 0u);
    EXPECT_GT(running.nBytesWritten, 0u);
    EXPECT_NEAR(running.fElapsedS, nFrames * 1.0 / nRate, 0.01);

    ASSERT_TRUE(video().StopVideo());
    m_Clock.AdvanceMs(5000);  // the last recording's length stays as it was
    EXPECT_NEAR(stats().fElapsedS, nFrames * 1.0 / nRate, 0.01);
    EXPECT_FALSE(stats().bRecording);
    ASSERT_EQ(catalogue().size(), 1u);
    expectVideo(file(catalogue()[0]), running.nFramesWritten);
}

INSTANTIATE_TEST_SUITE_P(CameraRates, KyCCameraVideoVDXPacingTest, ::testing::Values(6, 9, 18, 36),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::to_string(info.param) + "fps";
                         });

TEST_F(KyCCameraVideoVDXRecordTest, StalledWriterFillsTheQueueDropsTheRestAndStopDrainsIt) {
    recordWithTheWriterHeld(15);
    const SRecordingStatistics stalled = stats();
    EXPECT_EQ(stalled.nFramesDelivered, 15u);
    // The loop may hold one frame while it waits for the writer.
    EXPECT_GE(stalled.nFramesWaiting, 9u);
    EXPECT_LE(stalled.nFramesWaiting, 10u);
    EXPECT_GE(stalled.nFramesDropped, 4u);
    std::future<bool> stopped = std::async(std::launch::async, [&] { return video().StopVideo(); });
    m_pVdx->HoldWriterForTesting(false);
    EXPECT_TRUE(stopped.get());
    EXPECT_EQ(stats().nFramesWritten, 15 - stalled.nFramesDropped);
    EXPECT_TRUE(accountsForEveryCopy(stats()));
    ASSERT_EQ(catalogue().size(), 1u);
    expectVideo(file(catalogue()[0]), 15 - stalled.nFramesDropped);
}

TEST_F(KyCCameraVideoVDXRecordTest, StopGivesUpOnAStuckQueueAndClearsIt) {
    recordWithTheWriterHeld(5);
    EXPECT_EQ(stopWhileTheWriterIsHeld(), 0u);
    EXPECT_FALSE(KyTestFileExists(m_Dir.File(L"~video.avi")));
}

TEST_F(KyCCameraVideoVDXRecordTest, StopKeepsTheWaitingFramesForAPendingCapture) {
    std::future<bool> captured = captureThenRecord();
    // A camera a second late: more copies are due than the stalled queue takes, so the capture
    // still waits for its frame when the recording stops.
    m_pVdx->HoldWriterForTesting(true);
    m_Clock.AdvanceMs(1000);
    EXPECT_TRUE(KyTestDeliverMarked(camera(), kFrame));
    EXPECT_GE(stopWhileTheWriterIsHeld(), 9u);
    ASSERT_TRUE(captured.get());
    const std::vector<SCatalogueEntry> arrEntries = m_pVdx->GetState().arrCatalogue;
    EXPECT_EQ(std::count_if(arrEntries.begin(), arrEntries.end(),
                            [](const SCatalogueEntry& entry) {
                                return entry.eMediaType == eVideoMediaTypePicture;
                            }),
              1);
    EXPECT_EQ(stats().nFramesWaiting, 0u);  // the capture took one and let the rest go
}

TEST_F(KyCCameraVideoVDXRecordTest, CaptureDuringARecordingLeavesItsQueuedFramesToTheVideo) {
    std::future<bool> captured = captureThenRecord();
    m_pVdx->HoldWriterForTesting(true);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(KyTestDeliverMarked(camera(), kFrame));
    const bool bCaptured = captured.get();
    const unsigned nWaiting = stats().nFramesWaiting;
    m_pVdx->HoldWriterForTesting(false);
    EXPECT_TRUE(bCaptured);
    EXPECT_GE(nWaiting, 2u);
    EXPECT_TRUE(KyTestWaitFor([&] { return stats().nFramesWritten == 3; }));
    EXPECT_TRUE(video().IsRunning());
    ASSERT_TRUE(video().StopVideo());
    const SCameraVideoState state = m_pVdx->GetState();
    ASSERT_EQ(state.arrCatalogue.size(), 2u);
    EXPECT_EQ(state.arrCatalogue[0].eMediaType, eVideoMediaTypePicture);
    EXPECT_EQ(state.arrCatalogue[1].eMediaType, eVideoMediaTypeVideo);
    EXPECT_EQ(
        std::make_tuple(state.nCurrentIndex, state.nCurrentVideoIndex, state.nCurrentPictureIndex),
        std::make_tuple(1, 1, 0));
}

TEST_F(KyCCameraVideoVDXRecordTest, CaptureFilesOnePictureUprightOrLeavesNothing) {
    // Captures that come to nothing: no file, no entry, the worker still running.
    const struct {
        const char* pszCause;
        int nFormatAnswer;
        bool bFrames;
        unsigned nFaults;  // on "~picture.jpg"
    } aFailures[] = {{"no frame", 15, false, 0},
                     {"grey frames", 8, true, 0},
                     {"unwritable file", 15, true, KyPlatformFaults::eOpenForWrite}};
    m_pVdx->SetCaptureWaitForTesting(20, 10);
    for (const auto& c : aFailures) {
        SCOPED_TRACE(c.pszCause);
        ASSERT_TRUE(video().SetVideoMode(eVideoModeNone, eVideoMediaTypeNone));
        m_Live.SetPixelFormatAnswer(c.nFormatAnswer);
        m_Faults.Inject(c.nFaults, L"~picture.jpg", KyPlatform::kErrorDiskFull);
        enterCamera(eVideoMediaTypePicture);
        EXPECT_FALSE(captureWhileDelivering(c.bFrames, c.nFormatAnswer == 15 ? 4 : 1));
        EXPECT_TRUE(catalogue().empty());
        EXPECT_FALSE(KyTestFileExists(m_Dir.File(L"~picture.jpg")));
        EXPECT_TRUE(m_pVdx->GetState().bWorkerRunning);
    }

    KyPlatformFaults::ClearAll();
    m_pVdx->SetCaptureWaitForTesting(500, 10);
    waitForAFreshSecond();
    ASSERT_TRUE(captureWhileDelivering(true));
    EXPECT_FALSE(video().IsRunning());
    const std::vector<std::string> arrNames = catalogue();
    ASSERT_EQ(arrNames.size(), 1u);
    EXPECT_TRUE(isTimeStamped(arrNames[0], "jpg"));
    EXPECT_EQ(m_pVdx->GetState().nCurrentPictureIndex, 0);
    EXPECT_FALSE(KyTestFileExists(m_Dir.File(L"~picture.jpg")));
    const std::string strBytes = KyTestReadFile(file(arrNames[0]));
    KyCFieldBase decoded;
    ASSERT_TRUE(KyCJPGCodec::Decode(reinterpret_cast<const unsigned char*>(strBytes.data()),
                                    strBytes.size(), decoded));
    EXPECT_TRUE(KyTestIsMarkedPicture(decoded, 64, 48));
    // Done capturing: later frames are not kept for it.
    const unsigned nWaiting = stats().nFramesWaiting;
    ASSERT_TRUE(KyTestDeliverMarked(camera(), kFrame));
    EXPECT_EQ(stats().nFramesWaiting, nWaiting);

    // Within the same second the name is taken.
    if (KyPlatform::Time64() == m_pVdx->GetState().arrCatalogue[0].nTime) {
        EXPECT_FALSE(video().StartVideo());
        EXPECT_EQ(catalogue().size(), 1u);
    }
}
