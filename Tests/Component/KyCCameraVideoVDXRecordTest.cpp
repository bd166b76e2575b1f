// The controller's record and capture control: the worker started with the live display's
// size, recordings and pictures filed under time-stamped names, and every way out of a recording.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include "KyCJPGCodec.h"
#include "KyCMediaPath.h"
#include "KyTestAviReader.h"
#include "KyTestClock.h"
#include "KyTestComponent.h"
#include "KyTestFrameDelivery.h"
#include "KyTestRecordingDisplay.h"
#include "KyTestMediaNames.h"
#include "KyTestPicture.h"
#include "KyTestPlatformFaults.h"
#include "KyTestRecordingAcquisition.h"
#include "KyTestTempDir.h"
#include "KyTestWait.h"

namespace {

typedef std::vector<std::string> Calls;
typedef std::chrono::steady_clock Clock;

// The controller with its worker in reach.
class KyTestRecordVDX : public KyTestCameraVideoVDX {
public:
    KyCCameraVideoRecord& Record() { return m_Record; }
};

class KyCCameraVideoVDXRecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_Acquisition.Install();
        m_Acquisition.SetImageSize(64, 48);
        m_Acquisition.NameSource(static_cast<IAcquireDisplaySource*>(&m_Display), "live");
        m_pVdx = std::make_unique<KyTestRecordVDX>();
        m_Acquisition.NameSource(static_cast<IAcquireDisplaySource*>(&m_pVdx->Record()), "worker");
        m_pVdx->SetLiveBitmapHandler(&m_Display);
        ASSERT_TRUE(m_pVdx->SetFilePath(m_Dir.Path()));
        KyTestTakeVideoMessages();
    }
    void TearDown() override {
        m_pVdx.reset();
        KyTestTakeVideoMessages();
    }

    void enterCamera(ERUXVideoMediaType eMediaType) {
        ASSERT_TRUE(m_pVdx->SetVideoMode(eVideoModeCamera, eMediaType));
        m_Acquisition.TakeCalls();
        m_Display.TakeCalls();
    }
    // The camera's side: frames go where the acquisition was told to deliver them.
    IAcquireDisplay& camera() { return *m_Acquisition.GetDisplaySource()->GetDisplay(0); }
    // Delivers frames one by one, each written before the next.
    void record(int nFrames) {
        for (int i = 0; i < nFrames; ++i) {
            const int nBefore = m_pVdx->Record().GetFramesWritten();
            ASSERT_TRUE(KyTestDeliverMarked(camera(), KyCSize2(64, 48)));
            ASSERT_TRUE(
                KyTestWaitFor([&] { return m_pVdx->Record().GetFramesWritten() > nBefore; }));
        }
    }
    std::wstring file(const std::wstring& strName) const { return m_Dir.File(strName); }

    KyTestClock m_Clock;  // stands still: every frame is queued once
    KyTestTempDir m_Dir;
    KyTestPlatformFaults m_Faults;
    KyTestRecordingAcquisition m_Acquisition;
    KyTestRecordingDisplay m_Display;
    std::unique_ptr<KyTestRecordVDX> m_pVdx;
};

}  // namespace

TEST_F(KyCCameraVideoVDXRecordTest, CameraModeStartsTheWorkerAndRoutesFramesThroughIt) {
    ASSERT_TRUE(m_pVdx->SetVideoMode(eVideoModeCamera, eVideoMediaTypeVideo));
    EXPECT_EQ(m_Acquisition.TakeCalls(),
              (Calls{"StopAcquisition(1,0)", "SetDisplaySource(live)", "IsAcquisitionReady",
                     "GetImageSize", "SetDisplaySource(worker)", "StartAcquisition(1)"}));
    EXPECT_TRUE(m_pVdx->isRecordInitialized());
    // The live display is attached to the worker and keeps showing the camera.
    m_Display.TakeCalls();
    ASSERT_TRUE(KyTestDeliverMarked(camera(), KyCSize2(64, 48)));
    EXPECT_EQ(m_Display.TakeCalls(), Calls{"UpdateDisplay(0)"});
    ASSERT_TRUE(m_Display.Pull());
    EXPECT_EQ(m_Display.GetLastFrame().size, KyCSize2(64, 48));

    // Another media type with the worker running only restarts acquisition.
    ASSERT_TRUE(m_pVdx->SetVideoMode(eVideoModeCamera, eVideoMediaTypePicture));
    EXPECT_EQ(m_Acquisition.TakeCalls(), Calls{"StartAcquisition(1)"});

    ASSERT_TRUE(m_pVdx->SetVideoMode(eVideoModeNone, eVideoMediaTypeNone));
    EXPECT_EQ(m_Acquisition.TakeCalls(), (Calls{"StopAcquisition(1,0)", "SetDisplaySource(live)"}));
    EXPECT_FALSE(m_pVdx->isRecordInitialized());
    EXPECT_FALSE(m_Display.HasCallback());
}

TEST_F(KyCCameraVideoVDXRecordTest, InitRecordTakesTheLiveDisplaysSizeAndFormat) {
    m_Display.SetBitmapSize(KyCSize2(320, 240));
    m_Display.SetPixelFormatAnswer(8);
    m_Display.TakeCalls();
    ASSERT_TRUE(m_pVdx->initRecord());
    EXPECT_EQ(m_Display.TakeCalls(),
              (Calls{"GetDisplay(2)", "GetBitmapSize", "GetPixelFormat", "SetBitmapSize(320x240)",
                     "SetPixelFormat(8)", "SetPictureCallback(set)", "SetDisplayState(0)",
                     "ResetDisplay", "StartDisplay(true)"}));
    EXPECT_EQ(m_Acquisition.TakeCalls(), Calls{"IsAcquisitionReady"});
}

TEST_F(KyCCameraVideoVDXRecordTest, WithoutADisplaySizeTheImageSizeAndFormat15Count) {
    m_Display.SetPixelFormatAnswer(8);
    m_Acquisition.SetImageSize(80, 60);
    ASSERT_TRUE(m_pVdx->initRecord());
    const Calls calls = m_Display.TakeCalls();
    ASSERT_GE(calls.size(), 5u);
    EXPECT_EQ(calls[3], "SetBitmapSize(80x60)");
    EXPECT_EQ(calls[4], "SetPixelFormat(15)");
    EXPECT_EQ(m_Acquisition.TakeCalls(), (Calls{"IsAcquisitionReady", "GetImageSize"}));
}

TEST_F(KyCCameraVideoVDXRecordTest, InitRecordNeedsAReadyAcquisitionAndALiveSource) {
    ASSERT_TRUE(KyTestWriteFile(file(L"~video.avi"), "old"));
    ASSERT_TRUE(KyTestWriteFile(file(L"~picture.jpg"), "old"));
    m_Acquisition.SetReady(false);
    EXPECT_FALSE(m_pVdx->initRecord());
    EXPECT_TRUE(KyTestFileExists(file(L"~video.avi")));  // refused before the clean-up

    m_Acquisition.SetReady(true);
    KyTestRecordVDX withoutSource;
    withoutSource.SetFilePathOnly(m_Dir.Path());
    EXPECT_FALSE(withoutSource.initRecord());
    EXPECT_TRUE(KyTestFileExists(file(L"~video.avi")));

    ASSERT_TRUE(m_pVdx->initRecord());
    EXPECT_FALSE(KyTestFileExists(file(L"~video.avi")));
    EXPECT_FALSE(KyTestFileExists(file(L"~picture.jpg")));
    // A running worker is left as it is, and so are the files.
    ASSERT_TRUE(KyTestWriteFile(file(L"~video.avi"), "new"));
    m_Display.TakeCalls();
    EXPECT_TRUE(m_pVdx->initRecord());
    EXPECT_TRUE(KyTestFileExists(file(L"~video.avi")));
    EXPECT_TRUE(m_Display.TakeCalls().empty());
}

TEST_F(KyCCameraVideoVDXRecordTest, RecordingIsFiledUnderItsTimeStampAndBecomesCurrent) {
    enterCamera(eVideoMediaTypeVideo);
    ASSERT_TRUE(m_pVdx->StartVideo());
    EXPECT_TRUE(m_pVdx->IsRunning());
    EXPECT_TRUE(m_pVdx->Started());
    EXPECT_TRUE(KyTestFileExists(file(L"~video.avi")));
    const std::wstring strName = m_pVdx->RecordFileName();
    EXPECT_EQ(strName, makeMediaFilename(eVideoMediaTypeVideo, m_pVdx->RecordTime()));
    EXPECT_TRUE(KyTestIsTimeStampedName(KyTestUtf8(strName), ".avi"));
    EXPECT_EQ(m_pVdx->RecordMediaType(), eVideoMediaTypeVideo);
    record(5);

    ASSERT_TRUE(m_pVdx->StopVideo());
    EXPECT_FALSE(m_pVdx->IsRunning());
    EXPECT_FALSE(m_pVdx->Started());
    EXPECT_EQ(KyTestTakeVideoMessages(), 2);
    EXPECT_FALSE(KyTestFileExists(file(L"~video.avi")));
    EXPECT_EQ(m_pVdx->Names(), KyTestUtf8(strName));
    EXPECT_EQ(m_pVdx->Views(), "0/0/-1");
    EXPECT_EQ(m_pVdx->TimeAt(0), m_pVdx->RecordTime());

    KyTestAviReader reader;
    ASSERT_TRUE(reader.Open(file(strName))) << reader.GetError();
    EXPECT_EQ(reader.GetIndexedFrameCount(), 5u);
    EXPECT_EQ(reader.GetRate(), 18u);
    EXPECT_EQ(reader.GetScale(), 1u);
    const std::vector<unsigned char> arrFrame = reader.ReadFrame(4);
    KyCFieldBase decoded;
    ASSERT_TRUE(KyCJPGCodec::Decode(arrFrame.data(), arrFrame.size(), decoded));
    EXPECT_TRUE(KyTestIsMarkedPicture(decoded, 64, 48));
}

TEST_F(KyCCameraVideoVDXRecordTest, RecordingWithoutFramesIsDeletedAndNotCatalogued) {
    enterCamera(eVideoMediaTypeVideo);
    ASSERT_TRUE(m_pVdx->StartVideo());
    EXPECT_TRUE(m_pVdx->stopRecord());
    EXPECT_FALSE(KyTestFileExists(file(L"~video.avi")));
    EXPECT_FALSE(KyTestFileExists(file(m_pVdx->RecordFileName())));
    EXPECT_EQ(m_pVdx->Count(), 0);
    EXPECT_EQ(m_pVdx->Views(), "-1/-1/-1");
    EXPECT_FALSE(m_pVdx->IsRunning());
    // The pending fields stay until the next start.
    EXPECT_FALSE(m_pVdx->RecordFileName().empty());
}

TEST_F(KyCCameraVideoVDXRecordTest, FileOfTheSameNameIsReplaced) {
    enterCamera(eVideoMediaTypeVideo);
    ASSERT_TRUE(m_pVdx->StartVideo());
    const std::wstring strName = m_pVdx->RecordFileName();
    ASSERT_TRUE(KyTestWriteFile(file(strName), "an older file"));
    record(2);
    ASSERT_TRUE(m_pVdx->StopVideo());
    EXPECT_EQ(KyTestReadFile(file(strName)).substr(0, 4), "RIFF");
    EXPECT_EQ(m_pVdx->Names(), KyTestUtf8(strName));
}

TEST_F(KyCCameraVideoVDXRecordTest, FailedFinalMoveKeepsTheTemporaryFile) {
    enterCamera(eVideoMediaTypeVideo);
    ASSERT_TRUE(m_pVdx->StartVideo());
    record(2);
    m_Faults.Inject(KyPlatformFaults::eMove, m_pVdx->RecordFileName(), KyPlatform::kErrorDiskFull);
    EXPECT_FALSE(m_pVdx->stopRecord());
    EXPECT_TRUE(KyTestFileExists(file(L"~video.avi")));
    EXPECT_FALSE(KyTestFileExists(file(m_pVdx->RecordFileName())));
    EXPECT_EQ(m_pVdx->Count(), 0);
    EXPECT_FALSE(m_pVdx->Started());
    KyTestAviReader reader;
    ASSERT_TRUE(reader.Open(file(L"~video.avi"))) << "nothing lost: " << reader.GetError();
    EXPECT_EQ(reader.GetIndexedFrameCount(), 2u);
}

TEST_F(KyCCameraVideoVDXRecordTest, ExitRecordDuringARecordingLeavesTheTemporaryFile) {
    enterCamera(eVideoMediaTypeVideo);
    ASSERT_TRUE(m_pVdx->StartVideo());
    record(2);
    EXPECT_TRUE(m_pVdx->exitRecord());
    EXPECT_FALSE(m_pVdx->isRecordInitialized());
    EXPECT_TRUE(m_pVdx->Started());  // not changed
    EXPECT_TRUE(KyTestFileExists(file(L"~video.avi")));
    EXPECT_EQ(m_pVdx->Count(), 0);
    // With the worker stopped there is nothing to file.
    EXPECT_TRUE(m_pVdx->stopRecord());
    EXPECT_TRUE(KyTestFileExists(file(L"~video.avi")));
    EXPECT_EQ(m_pVdx->Count(), 0);
}

TEST_F(KyCCameraVideoVDXRecordTest, NewRecordingFilesTheRunningOneFirst) {
    enterCamera(eVideoMediaTypeVideo);
    ASSERT_TRUE(m_pVdx->StartVideo());
    const std::wstring strFirst = m_pVdx->RecordFileName();
    record(2);
    KyTestWaitForAFreshSecond();
    ASSERT_TRUE(m_pVdx->startRecord());
    const std::wstring strSecond = m_pVdx->RecordFileName();
    EXPECT_NE(strSecond, strFirst);
    EXPECT_EQ(m_pVdx->Names(), KyTestUtf8(strFirst));
    record(3);
    ASSERT_TRUE(m_pVdx->StopVideo());
    EXPECT_EQ(m_pVdx->Names(), KyTestUtf8(strFirst) + " " + KyTestUtf8(strSecond));
    EXPECT_EQ(m_pVdx->Views(), "1/1/-1");
    KyTestAviReader reader;
    ASSERT_TRUE(reader.Open(file(strSecond))) << reader.GetError();
    EXPECT_EQ(reader.GetIndexedFrameCount(), 3u);
}

TEST_F(KyCCameraVideoVDXRecordTest, StopRecordWithNothingStartedTouchesNothing) {
    enterCamera(eVideoMediaTypeVideo);
    ASSERT_TRUE(KyTestWriteFile(file(L"~video.avi"), "x"));
    EXPECT_TRUE(m_pVdx->stopRecord());
    EXPECT_TRUE(KyTestFileExists(file(L"~video.avi")));
    EXPECT_EQ(m_pVdx->Count(), 0);
}

TEST_F(KyCCameraVideoVDXRecordTest, PictureIsFiledAndASecondInTheSameSecondIsRefused) {
    enterCamera(eVideoMediaTypePicture);
    KyTestWaitForAFreshSecond();
    std::future<bool> captured =
        std::async(std::launch::async, [&] { return m_pVdx->StartVideo(); });
    while (captured.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready)
        KyTestDeliverMarked(camera(), KyCSize2(64, 48));
    ASSERT_TRUE(captured.get());
    EXPECT_EQ(KyTestTakeVideoMessages(), 1);
    EXPECT_FALSE(m_pVdx->IsRunning());
    ASSERT_EQ(m_pVdx->Count(), 1);
    const std::string strName = m_pVdx->Names();
    EXPECT_TRUE(KyTestIsTimeStampedName(strName, ".jpg"));
    EXPECT_EQ(m_pVdx->Views(), "0/-1/0");
    EXPECT_FALSE(KyTestFileExists(file(L"~picture.jpg")));
    const std::string strBytes = KyTestReadFile(file(std::wstring(strName.begin(), strName.end())));
    KyCFieldBase decoded;
    ASSERT_TRUE(KyCJPGCodec::Decode(reinterpret_cast<const unsigned char*>(strBytes.data()),
                                    strBytes.size(), decoded));
    EXPECT_TRUE(KyTestIsMarkedPicture(decoded, 64, 48));

    // Within the same second the name is taken: refused at once, without waiting for a frame.
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(m_pVdx->capturePicture());
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(m_pVdx->Count(), 1);
}

TEST_F(KyCCameraVideoVDXRecordTest, PictureDuringARecordingLeavesTheRecordingRunning) {
    enterCamera(eVideoMediaTypeVideo);
    ASSERT_TRUE(m_pVdx->StartVideo());
    record(1);
    std::future<bool> captured =
        std::async(std::launch::async, [&] { return m_pVdx->capturePicture(); });
    while (captured.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready)
        KyTestDeliverMarked(camera(), KyCSize2(64, 48));
    ASSERT_TRUE(captured.get());
    EXPECT_TRUE(m_pVdx->IsRunning());
    ASSERT_TRUE(m_pVdx->StopVideo());
    EXPECT_EQ(m_pVdx->Types(), "P V");
    EXPECT_EQ(m_pVdx->Views(), "1/1/0");
}

TEST_F(KyCCameraVideoVDXRecordTest, PictureWithoutFramesGivesUpAfterItsTimeOut) {
    enterCamera(eVideoMediaTypePicture);
    m_pVdx->Record().SetCaptureWaitForTesting(20, 10);  // 200 ms instead of 20 s
    EXPECT_FALSE(m_pVdx->StartVideo());                 // no frame comes
    EXPECT_EQ(m_pVdx->Count(), 0);
    EXPECT_FALSE(KyTestFileExists(file(L"~picture.jpg")));
    EXPECT_TRUE(m_pVdx->isRecordInitialized());
}
