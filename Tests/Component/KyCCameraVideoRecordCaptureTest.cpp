// The worker's still capture: the next frame taken with or without a recording, and the JPEG
// written with its rows reversed for the bottom-up encoder.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>
#include <string>
#include <thread>

#include "KyCJPGCodec.h"
#include "KyTestAviReader.h"
#include "KyTestCameraVideoRecord.h"
#include "KyTestClock.h"
#include "KyTestComponent.h"
#include "KyTestFrameDelivery.h"
#include "KyTestPicture.h"
#include "KyTestTempDir.h"
#include "KyTestWait.h"

namespace {

const KyCSize2 kFrame(64, 48);

bool decodeFile(const std::wstring& strPath, KyCFieldBase& out) {
    const std::string strBytes = KyTestReadFile(strPath);
    return !strBytes.empty() &&
           KyCJPGCodec::Decode(reinterpret_cast<const unsigned char*>(strBytes.data()),
                               strBytes.size(), out);
}

class KyCCameraVideoRecordCaptureTest : public ::testing::Test {
protected:
    // Starts a capture on another thread and delivers frames until it has one.
    bool captureWhileDelivering(const std::wstring& strFile, int nBytesPerPixel = 4) {
        std::future<bool> captured =
            std::async(std::launch::async, [&] { return m_Worker.CapturePicture(strFile); });
        EXPECT_TRUE(KyTestWaitFor([&] { return m_Worker.IsCapturePending(); }));
        while (captured.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
            if (nBytesPerPixel == 4)
                KyTestDeliverMarked(m_Worker, kFrame);
            else
                KyTestDeliverFilled(m_Worker, kFrame, 1, 0x80);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return captured.get();
    }

    KyTestClock m_Clock;  // stands still: every frame is queued once
    KyTestTempDir m_Dir;
    KyTestCameraVideoRecord m_Worker;
};

}  // namespace

TEST_F(KyCCameraVideoRecordCaptureTest, RefusedBeforeTheThreadStartsAndAfterItStopped) {
    EXPECT_FALSE(m_Worker.CapturePicture(m_Dir.File(L"p.jpg")));
    ASSERT_TRUE(m_Worker.StartThread(nullptr, kFrame, 15));
    ASSERT_TRUE(m_Worker.StopThread());
    EXPECT_FALSE(m_Worker.CapturePicture(m_Dir.File(L"p.jpg")));
    EXPECT_FALSE(m_Worker.IsCapturePending());
    EXPECT_FALSE(KyTestFileExists(m_Dir.File(L"p.jpg")));
}

TEST_F(KyCCameraVideoRecordCaptureTest, WithoutRecordingTheNextFrameIsTakenOutAndWrittenUpright) {
    ASSERT_TRUE(m_Worker.StartThread(nullptr, kFrame, 15));
    ASSERT_TRUE(captureWhileDelivering(m_Dir.File(L"p.jpg")));
    EXPECT_FALSE(m_Worker.IsCapturePending());
    EXPECT_EQ(m_Worker.getFrameCount(), 0u);
    KyCFieldBase decoded;
    ASSERT_TRUE(decodeFile(m_Dir.File(L"p.jpg"), decoded));
    EXPECT_TRUE(KyTestIsMarkedPicture(decoded, 64, 48));
    // Frames after the capture are no longer queued.
    ASSERT_TRUE(KyTestDeliverMarked(m_Worker, kFrame));
    EXPECT_EQ(m_Worker.getFrameCount(), 0u);
}

TEST_F(KyCCameraVideoRecordCaptureTest, DuringARecordingTheCapturedFrameIsAlsoInTheVideo) {
    ASSERT_TRUE(m_Worker.StartThread(nullptr, kFrame, 15));
    ASSERT_TRUE(m_Worker.StartRecording(18, m_Dir.File(L"v.avi")));
    ASSERT_TRUE(captureWhileDelivering(m_Dir.File(L"p.jpg")));
    EXPECT_TRUE(m_Worker.IsRecording());
    KyCFieldBase decoded;
    ASSERT_TRUE(decodeFile(m_Dir.File(L"p.jpg"), decoded));
    EXPECT_TRUE(KyTestIsMarkedPicture(decoded, 64, 48));
    ASSERT_TRUE(KyTestWaitFor([&] { return m_Worker.getFrameCount() == 0u; }));
    const int nWritten = m_Worker.GetFramesWritten();
    EXPECT_GE(nWritten, 1);
    ASSERT_TRUE(m_Worker.StopRecording());
    KyTestAviReader reader;
    ASSERT_TRUE(reader.Open(m_Dir.File(L"v.avi"))) << reader.GetError();
    EXPECT_EQ(reader.GetIndexedFrameCount(), static_cast<size_t>(nWritten));
}

TEST_F(KyCCameraVideoRecordCaptureTest, GreyFramesAreTakenButNotWritten) {
    ASSERT_TRUE(m_Worker.StartThread(nullptr, kFrame, 8));
    EXPECT_TRUE(captureWhileDelivering(m_Dir.File(L"p.jpg"), 1));
    EXPECT_FALSE(KyTestFileExists(m_Dir.File(L"p.jpg")));
    EXPECT_FALSE(m_Worker.IsCapturePending());
}

TEST_F(KyCCameraVideoRecordCaptureTest, RowsAreReversedForTheEncoder) {
    // Two rows: A (top) white, B black. The encoder reads its first row as the bottom line, so
    // handing it B, A gives a picture with A on top.
    KyCFieldBase frame(KyCRect2(KyCSize2(2, 2)), 4, 0);
    std::memset(frame.m_pData, 0xFF, 8);
    std::memset(frame.m_pData + frame.m_nPitch, 0x00, 8);
    ASSERT_TRUE(m_Worker.savePicture(m_Dir.File(L"p.jpg"), frame, 15, 0.9f));
    KyCFieldBase decoded;
    ASSERT_TRUE(decodeFile(m_Dir.File(L"p.jpg"), decoded));
    ASSERT_EQ(decoded.Size(), KyCSize2(2, 2));
    EXPECT_GT(decoded.m_pData[1], 200);                    // top row: A
    EXPECT_LT(decoded.m_pData[decoded.m_nPitch + 1], 60);  // bottom row: B

    // A single pixel is a one-pixel picture.
    KyCFieldBase pixel(KyCRect2(KyCSize2(1, 1)), 4, 0);
    ASSERT_TRUE(m_Worker.savePicture(m_Dir.File(L"one.jpg"), pixel, 15, 0.9f));
    ASSERT_TRUE(decodeFile(m_Dir.File(L"one.jpg"), decoded));
    EXPECT_EQ(decoded.Size(), KyCSize2(1, 1));
}

TEST_F(KyCCameraVideoRecordCaptureTest, PictureFileHoldsExactlyTheEncodersBytes) {
    KyCFieldBase frame(KyCRect2(kFrame), 4, 0);
    KyTestPaintMarkedPicture(frame, false);
    ASSERT_TRUE(m_Worker.savePicture(m_Dir.File(L"p.jpg"), frame, 15, 0.9f));
    KyCFieldBase flipped(KyCRect2(kFrame), 4, 0);
    KyTestPaintMarkedPicture(flipped, true);
    CbArray<unsigned char> arrExpected;
    ASSERT_TRUE(KyCJPGCodec::Encode(flipped, static_cast<EPixelFormat>(2), 0.9f, arrExpected));
    EXPECT_EQ(
        KyTestReadFile(m_Dir.File(L"p.jpg")),
        std::string(reinterpret_cast<const char*>(arrExpected.GetData()), arrExpected.GetCount()));
}

TEST_F(KyCCameraVideoRecordCaptureTest, NothingIsWrittenForOtherFormatsOrUnwritablePaths) {
    KyCFieldBase frame(KyCRect2(kFrame), 4, 0);
    EXPECT_FALSE(m_Worker.savePicture(m_Dir.File(L"p.jpg"), frame, -1, 0.9f));
    EXPECT_FALSE(m_Worker.savePicture(m_Dir.File(L"p.jpg"), frame, 8, 0.9f));
    EXPECT_FALSE(KyTestFileExists(m_Dir.File(L"p.jpg")));
    EXPECT_FALSE(m_Worker.savePicture(m_Dir.File(L"missing") + L"/p.jpg", frame, 15, 0.9f));
    EXPECT_FALSE(m_Worker.savePicture(m_Dir.File(L"p.jpg"), KyCFieldBase(), 15, 0.9f));
}
