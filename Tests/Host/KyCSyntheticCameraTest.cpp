// The synthetic camera: what it delivers, where to, and when it stops.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>

#include "KyCSyntheticCamera.h"
#include "KyCTestPattern.h"
#include "KyTestRecordingDisplay.h"
#include "KyTestWait.h"

namespace {

const unsigned kWaitMs = 10000;  // generous: only a broken camera takes this long

// Checks that the frame's first rows are the top band and its last rows the bottom band.
void expectUpright(const KyTestRecordingDisplay::Frame& frame) {
    ASSERT_GT(frame.size.nHeight, 2);
    unsigned char top[4] = {}, bottom[4] = {};
    KyCTestPattern::GetTopColour(frame.nBytesPerPixel, top);
    KyCTestPattern::GetBottomColour(frame.nBytesPerPixel, bottom);
    const int nBand = KyCTestPattern::GetBandHeight(frame.size.nHeight);
    for (int nRow : {0, nBand - 1}) {
        for (int nCol : {0, frame.size.nWidth - 1}) {
            EXPECT_EQ(0, std::memcmp(frame.Pixel(nRow, nCol), top, frame.nBytesPerPixel))
                << "row " << nRow << " col " << nCol;
        }
    }
    for (int nRow : {frame.size.nHeight - nBand, frame.size.nHeight - 1}) {
        for (int nCol : {0, frame.size.nWidth - 1}) {
            EXPECT_EQ(0, std::memcmp(frame.Pixel(nRow, nCol), bottom, frame.nBytesPerPixel))
                << "row " << nRow << " col " << nCol;
        }
    }
}

class KyCSyntheticCameraTest : public ::testing::Test {
protected:
    void TearDown() override { m_Camera.StopAcquisition(1, 0); }

    KyTestRecordingDisplay m_Display;  // outlives the camera
    KyCSyntheticCamera m_Camera;
};

}  // namespace

TEST_F(KyCSyntheticCameraTest, DefaultsAndImageSizeHeightFirst) {
    EXPECT_EQ(m_Camera.GetFrameSize(), KyCSize2(640, 480));
    EXPECT_EQ(m_Camera.GetFrameRate(), 15.0f);
    EXPECT_EQ(m_Camera.GetPixelFormat(), 15);
    EXPECT_EQ(m_Camera.GetBytesPerPixel(), 4);
    EXPECT_TRUE(m_Camera.IsAcquisitionReady());
    EXPECT_FALSE(m_Camera.IsAcquisitionRunning());

    ASSERT_TRUE(m_Camera.SetFrameSize(KyCSize2(320, 200)));
    int nHeight = 0, nWidth = 0;
    m_Camera.GetImageSize(&nHeight, &nWidth);
    EXPECT_EQ(nHeight, 200);
    EXPECT_EQ(nWidth, 320);
    m_Camera.GetImageSize(nullptr, &nWidth);  // null pointers are skipped
    m_Camera.GetImageSize(&nHeight, nullptr);

    m_Camera.SetAcquisitionReady(false);
    EXPECT_FALSE(m_Camera.IsAcquisitionReady());
}

TEST_F(KyCSyntheticCameraTest, RefusesBadSettingsAndKeepsTheOldOnes) {
    EXPECT_FALSE(m_Camera.SetFrameSize(KyCSize2(0, 480)));
    EXPECT_FALSE(m_Camera.SetFrameSize(KyCSize2(640, -1)));
    EXPECT_FALSE(m_Camera.SetFrameSize(KyCSize2(KyCSyntheticCamera::kMaxSide + 1, 10)));
    EXPECT_EQ(m_Camera.GetFrameSize(), KyCSize2(640, 480));
    EXPECT_FALSE(m_Camera.SetFrameRate(-1.0f));
    EXPECT_FALSE(m_Camera.SetFrameRate(std::numeric_limits<float>::quiet_NaN()));
    EXPECT_FALSE(m_Camera.SetFrameRate(std::numeric_limits<float>::infinity()));
    EXPECT_EQ(m_Camera.GetFrameRate(), 15.0f);
    EXPECT_TRUE(m_Camera.SetFrameRate(0.0f));
    EXPECT_EQ(m_Camera.GetFrameRate(), 0.0f);
}

TEST_F(KyCSyntheticCameraTest, OnDemandFrameIsWrittenTopFirstIntoDisplayZero) {
    ASSERT_TRUE(m_Camera.SetFrameRate(0.0f));
    m_Camera.SetDisplaySource(&m_Display);
    EXPECT_FALSE(m_Camera.DeliverFrameNow()) << "no frames before acquisition starts";
    EXPECT_TRUE(m_Display.GetCalls().empty());

    ASSERT_EQ(m_Camera.StartAcquisition(1), 0);
    EXPECT_TRUE(m_Camera.IsAcquisitionRunning());
    ASSERT_TRUE(m_Camera.DeliverFrameNow());

    const std::vector<std::string> expected = {"GetDisplay(0)", "GetBitmapBuffer(640x480,32)",
                                               "ReleaseBitmapBuffer(true)"};
    EXPECT_EQ(m_Display.GetCalls(), expected);
    const KyTestRecordingDisplay::Frame frame = m_Display.GetLastFrame();
    EXPECT_EQ(frame.size, KyCSize2(640, 480));
    EXPECT_EQ(frame.idThread, std::this_thread::get_id());
    expectUpright(frame);
    EXPECT_TRUE(m_Display.GuardsIntact()) << "wrote past the end of a row: pitch ignored";
    EXPECT_EQ(m_Display.GetFrameNumbers(), std::vector<unsigned>{0u});
    EXPECT_EQ(m_Camera.GetFramesDelivered(), 1u);
    EXPECT_EQ(m_Camera.GetNextFrameNumber(), 1u);
}

TEST_F(KyCSyntheticCameraTest, BottomUpBufferStillGetsTheTopRowFirst) {
    m_Display.SetBottomUp(true);  // negative pitch: the first row lies last in memory
    ASSERT_TRUE(m_Camera.SetFrameRate(0.0f));
    ASSERT_TRUE(m_Camera.SetFrameSize(KyCSize2(48, 24)));
    m_Camera.SetDisplaySource(&m_Display);
    ASSERT_EQ(m_Camera.StartAcquisition(1), 0);
    ASSERT_TRUE(m_Camera.DeliverFrameNow());
    expectUpright(m_Display.GetLastFrame());
    EXPECT_TRUE(m_Display.GuardsIntact());
}

TEST_F(KyCSyntheticCameraTest, GreyPixelFormatAsksForEightBits) {
    m_Camera.SetPixelFormat(8);
    EXPECT_EQ(m_Camera.GetBytesPerPixel(), 1);
    ASSERT_TRUE(m_Camera.SetFrameRate(0.0f));
    ASSERT_TRUE(m_Camera.SetFrameSize(KyCSize2(33, 17)));  // odd width: padded rows
    m_Camera.SetDisplaySource(&m_Display);
    ASSERT_EQ(m_Camera.StartAcquisition(1), 0);
    ASSERT_TRUE(m_Camera.DeliverFrameNow());
    EXPECT_EQ(m_Display.GetCalls().at(1), "GetBitmapBuffer(33x17,8)");
    const KyTestRecordingDisplay::Frame frame = m_Display.GetLastFrame();
    EXPECT_EQ(frame.nBytesPerPixel, 1);
    expectUpright(frame);
    EXPECT_TRUE(m_Display.GuardsIntact());
}

TEST_F(KyCSyntheticCameraTest, NewFrameSizeAppliesToTheNextFrame) {
    ASSERT_TRUE(m_Camera.SetFrameRate(0.0f));
    m_Camera.SetDisplaySource(&m_Display);
    ASSERT_EQ(m_Camera.StartAcquisition(1), 0);
    ASSERT_TRUE(m_Camera.SetFrameSize(KyCSize2(64, 40)));
    ASSERT_TRUE(m_Camera.DeliverFrameNow());
    EXPECT_EQ(m_Display.GetLastFrame().size, KyCSize2(64, 40));
}

TEST_F(KyCSyntheticCameraTest, RefusedBufferIsReleasedInvalidAndCounted) {
    m_Display.SetRefuseBuffers(true);
    ASSERT_TRUE(m_Camera.SetFrameRate(0.0f));
    m_Camera.SetDisplaySource(&m_Display);
    ASSERT_EQ(m_Camera.StartAcquisition(1), 0);
    EXPECT_FALSE(m_Camera.DeliverFrameNow());
    EXPECT_FALSE(m_Camera.DeliverFrameNow());
    const std::vector<std::string> calls = m_Display.GetCalls();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[2], "ReleaseBitmapBuffer(false)");
    EXPECT_EQ(calls[5], "ReleaseBitmapBuffer(false)");
    EXPECT_EQ(m_Camera.GetFramesRefused(), 2u);
    EXPECT_EQ(m_Camera.GetFramesDelivered(), 0u);
    EXPECT_EQ(m_Display.GetFrameCount(), 0u);

    m_Display.SetRefuseBuffers(false);
    EXPECT_TRUE(m_Camera.DeliverFrameNow());
    EXPECT_EQ(m_Camera.GetFramesDelivered(), 1u);
    EXPECT_EQ(m_Camera.GetFramesRefused(), 2u);
}

namespace {
class NoDisplaySource : public IAcquireDisplaySource {
public:
    IAcquireDisplay* GetDisplay(int) override { return nullptr; }
};
}  // namespace

TEST_F(KyCSyntheticCameraTest, WithoutSourceOrDisplayFramesAreCountedNotSent) {
    ASSERT_TRUE(m_Camera.SetFrameRate(0.0f));
    ASSERT_EQ(m_Camera.StartAcquisition(1), 0);
    EXPECT_FALSE(m_Camera.DeliverFrameNow());
    NoDisplaySource empty;
    m_Camera.SetDisplaySource(&empty);
    EXPECT_FALSE(m_Camera.DeliverFrameNow());
    EXPECT_EQ(m_Camera.GetFramesWithoutDisplay(), 2u);
    EXPECT_EQ(m_Camera.GetFramesRefused(), 0u);
}

TEST_F(KyCSyntheticCameraTest, ThreadDeliversNumberedFramesUntilStopped) {
    ASSERT_TRUE(m_Camera.SetFrameSize(KyCSize2(64, 48)));
    ASSERT_TRUE(m_Camera.SetFrameRate(200.0f));
    m_Camera.SetDisplaySource(&m_Display);
    ASSERT_EQ(m_Camera.StartAcquisition(1), 0);
    ASSERT_TRUE(m_Display.WaitForFrames(5, kWaitMs));
    ASSERT_TRUE(m_Camera.StopAcquisition(1, 0));
    m_Display.Close();
    EXPECT_FALSE(m_Camera.IsAcquisitionRunning());

    const KyTestRecordingDisplay::Frame frame = m_Display.GetLastFrame();
    EXPECT_NE(frame.idThread, std::this_thread::get_id());
    expectUpright(frame);
    const std::vector<unsigned> numbers = m_Display.GetFrameNumbers();
    ASSERT_GE(numbers.size(), 5u);
    for (size_t i = 0; i < numbers.size(); ++i)
        EXPECT_EQ(numbers[i], i) << "frames must arrive in order, none skipped";

    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(m_Display.GetLateCalls(), 0u);
    EXPECT_FALSE(m_Camera.DeliverFrameNow());
    EXPECT_EQ(m_Display.GetLateCalls(), 0u);
}

TEST_F(KyCSyntheticCameraTest, StopWaitsForTheFrameInProgress) {
    // A slow display keeps a frame in progress most of the time; after StopAcquisition returns,
    // its ReleaseBitmapBuffer must already have happened.
    m_Display.SetGetBufferDelayMs(3);
    ASSERT_TRUE(m_Camera.SetFrameSize(KyCSize2(32, 24)));
    ASSERT_TRUE(m_Camera.SetFrameRate(1000.0f));
    m_Camera.SetDisplaySource(&m_Display);
    for (int nRound = 0; nRound < 20; ++nRound) {
        const unsigned nBefore = m_Display.GetFrameCount();
        ASSERT_EQ(m_Camera.StartAcquisition(1), 0);
        ASSERT_TRUE(m_Display.WaitForFrames(nBefore + 1, kWaitMs));
        m_Camera.StopAcquisition(1, 0);
        const size_t nCalls = m_Display.GetCalls().size();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_EQ(m_Display.GetCalls().size(), nCalls)
            << "a call came after the stop, round " << nRound;
    }
}

TEST_F(KyCSyntheticCameraTest, SwitchedSourceGetsNoFurtherCalls) {
    KyTestRecordingDisplay second;
    m_Display.SetGetBufferDelayMs(20);  // a frame stays in progress for a while
    ASSERT_TRUE(m_Camera.SetFrameSize(KyCSize2(32, 24)));
    ASSERT_TRUE(m_Camera.SetFrameRate(200.0f));
    m_Camera.SetDisplaySource(&m_Display);
    ASSERT_EQ(m_Camera.StartAcquisition(1), 0);
    ASSERT_TRUE(m_Display.WaitForFrames(1, kWaitMs));
    // Switch while the next frame is inside the first display's GetBitmapBuffer. The call log
    // stops at 1000 entries, so the latest call is asked for by itself.
    ASSERT_TRUE(KyTestWaitFor(
        [&] { return m_Display.GetLastCall() == "GetBitmapBuffer(32x24,32)"; }, kWaitMs));
    m_Camera.SetDisplaySource(&second);
    EXPECT_EQ(m_Display.GetLastCall(), "ReleaseBitmapBuffer(true)")
        << "the switch returned before the frame in progress was released";
    m_Display.Close();
    EXPECT_EQ(m_Camera.GetDisplaySource(), &second);
    ASSERT_TRUE(second.WaitForFrames(3, kWaitMs));
    m_Camera.StopAcquisition(1, 0);
    EXPECT_EQ(m_Display.GetLateCalls(), 0u);
    expectUpright(second.GetLastFrame());
}

TEST_F(KyCSyntheticCameraTest, DisplayMayStopTheCameraFromInsideADelivery) {
    // The stop comes on the camera's own thread, inside ReleaseBitmapBuffer: it must not wait for
    // itself.
    std::atomic<int> nReleases{0};
    std::atomic<bool> bStopped{false};
    m_Display.SetOnRelease([&](bool) {
        if (++nReleases == 2) {
            m_Camera.StopAcquisition(1, 0);
            bStopped = true;
        }
    });
    ASSERT_TRUE(m_Camera.SetFrameSize(KyCSize2(16, 8)));
    ASSERT_TRUE(m_Camera.SetFrameRate(500.0f));
    m_Camera.SetDisplaySource(&m_Display);
    ASSERT_EQ(m_Camera.StartAcquisition(1), 0);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (!bStopped && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(bStopped) << "StopAcquisition inside a delivery did not return";
    EXPECT_FALSE(m_Camera.IsAcquisitionRunning());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(m_Display.GetFrameCount(), 2u);
}

TEST_F(KyCSyntheticCameraTest, RestartedCameraDeliversAgain) {
    ASSERT_TRUE(m_Camera.SetFrameSize(KyCSize2(16, 16)));
    ASSERT_TRUE(m_Camera.SetFrameRate(300.0f));
    m_Camera.SetDisplaySource(&m_Display);
    ASSERT_EQ(m_Camera.StartAcquisition(1), 0);
    ASSERT_TRUE(m_Display.WaitForFrames(2, kWaitMs));
    m_Camera.StopAcquisition(1, 0);
    const unsigned nStopped = m_Display.GetFrameCount();
    ASSERT_EQ(m_Camera.StartAcquisition(1), 0);
    EXPECT_TRUE(m_Display.WaitForFrames(nStopped + 2, kWaitMs));
}

TEST(KyCSyntheticCameraLifetimeTest, DestroyingARunningCameraStopsItsThread) {
    KyTestRecordingDisplay display;
    {
        KyCSyntheticCamera camera;
        ASSERT_TRUE(camera.SetFrameSize(KyCSize2(16, 16)));
        ASSERT_TRUE(camera.SetFrameRate(500.0f));
        camera.SetDisplaySource(&display);
        ASSERT_EQ(camera.StartAcquisition(1), 0);
        ASSERT_TRUE(display.WaitForFrames(2, kWaitMs));
    }
    display.Close();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(display.GetLateCalls(), 0u);
}

TEST(KyCTestPatternTest, FrameNumberReadsBackInBothPixelSizes) {
    for (int nBytesPerPixel : {4, 1}) {
        const KyCSize2 size(64, 24);
        const int nPitch = (size.nWidth * nBytesPerPixel + 3) & ~3;
        std::vector<unsigned char> vecPixels(static_cast<size_t>(nPitch) * size.nHeight);
        for (unsigned nNumber : {0u, 1u, 0x8001u, 0xA5A5u, 0xFFFFu}) {
            KyCTestPattern::Draw(vecPixels.data(), nPitch, size, nBytesPerPixel, nNumber);
            unsigned nRead = 12345;
            ASSERT_TRUE(KyCTestPattern::ReadFrameNumber(vecPixels.data(), nPitch, size,
                                                        nBytesPerPixel, nRead));
            EXPECT_EQ(nRead, nNumber) << nBytesPerPixel << " bytes per pixel";
        }
    }
}

TEST(KyCTestPatternTest, TinyFramesAreDrawnInBoundsAndCarryNoNumber) {
    for (KyCSize2 size : {KyCSize2(1, 1), KyCSize2(15, 2), KyCSize2(3, 3)}) {
        const int nPitch = size.nWidth * 4;
        std::vector<unsigned char> vecPixels(static_cast<size_t>(nPitch) * size.nHeight + 4, 0xEE);
        KyCTestPattern::Draw(vecPixels.data(), nPitch, size, 4, 7);
        EXPECT_EQ(vecPixels.back(), 0xEE) << "drawn past the frame";
        unsigned char top[4];
        KyCTestPattern::GetTopColour(4, top);
        EXPECT_EQ(0, std::memcmp(vecPixels.data(), top, 4)) << "the first row is the top";
        unsigned nRead = 0;
        EXPECT_FALSE(KyCTestPattern::ReadFrameNumber(vecPixels.data(), nPitch, size, 4, nRead));
    }
    KyCTestPattern::Draw(nullptr, 4, KyCSize2(1, 1), 4, 0);  // nothing happens
}

TEST(KyCTestPatternTest, BarMovesWithTheFrameNumber) {
    EXPECT_NE(KyCTestPattern::GetBarColumn(640, 0), KyCTestPattern::GetBarColumn(640, 1));
    for (unsigned n = 0; n < 100; ++n) {
        const int nCol = KyCTestPattern::GetBarColumn(64, n);
        EXPECT_GE(nCol, 0);
        EXPECT_LT(nCol, 64);
    }
}
