// The synthetic camera: what it delivers, where to, and when it stops.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <limits>
#include <thread>

#include "KyCSyntheticCamera.h"
#include "KyCTestPattern.h"
#include "KyTestRecordingDisplay.h"
#include "KyTestWait.h"

namespace {

const unsigned kWaitMs = 10000;  // generous: only a broken camera takes this long

// The frame's first rows are the top band and its last rows the bottom band, at both edges.
void expectUpright(const KyTestRecordingDisplay::Frame& frame) {
    ASSERT_GT(frame.size.nHeight, 2);
    unsigned char top[4] = {}, bottom[4] = {};
    KyCTestPattern::GetTopColour(frame.nBytesPerPixel, top);
    KyCTestPattern::GetBottomColour(frame.nBytesPerPixel, bottom);
    const int nBand = KyCTestPattern::GetBandHeight(frame.size.nHeight);
    const int nLast = frame.size.nHeight - 1, nRight = frame.size.nWidth - 1;
    for (int nRow : {0, nBand - 1, nLast - nBand + 1, nLast})
        for (int nCol : {0, nRight})
            EXPECT_EQ(0, std::memcmp(frame.Pixel(nRow, nCol), nRow < nBand ? top : bottom,
                                     frame.nBytesPerPixel))
                << "row " << nRow << " col " << nCol;
}

class KyCSyntheticCameraTest : public ::testing::Test {
protected:
    // Delivers into m_Display: on demand only (no thread) at rate 0, else from its thread.
    void start(float fRate = 0.0f, KyCSize2 size = KyCSize2()) {
        ASSERT_TRUE(size.nWidth == 0 || m_Camera.SetFrameSize(size));
        ASSERT_TRUE(m_Camera.SetFrameRate(fRate));
        m_Camera.SetDisplaySource(&m_Display);
        ASSERT_EQ(m_Camera.StartAcquisition(1), 0);
    }
    void TearDown() override { m_Camera.StopAcquisition(1, 0); }

    KyTestRecordingDisplay m_Display;  // outlives the camera
    KyCSyntheticCamera m_Camera;
};

struct SLayout {
    const char* pszName;
    int nPixelFormat;
    KyCSize2 size;
    bool bBottomUp;  // the display's buffer has a negative pitch
    const char* pszBufferCall;
};

const SLayout kLayouts[] = {
    {"Bgra", 15, KyCSize2(640, 480), false, "GetBitmapBuffer(640x480,32)"},
    {"BgraIntoABottomUpBuffer", 15, KyCSize2(48, 24), true, "GetBitmapBuffer(48x24,32)"},
    {"GreyOddWidth", 8, KyCSize2(33, 17), false, "GetBitmapBuffer(33x17,8)"},
};

class KyCSyntheticCameraLayoutTest : public KyCSyntheticCameraTest,
                                     public ::testing::WithParamInterface<SLayout> {};

}  // namespace

TEST_P(KyCSyntheticCameraLayoutTest, OnDemandFrameIsWrittenTopFirstIntoDisplayZero) {
    const SLayout& c = GetParam();
    m_Camera.SetPixelFormat(c.nPixelFormat);
    m_Display.SetBottomUp(c.bBottomUp);
    ASSERT_TRUE(m_Camera.SetFrameSize(c.size));
    int nHeight = 0, nWidth = 0;
    m_Camera.GetImageSize(&nHeight, &nWidth);
    EXPECT_EQ(KyCSize2(nWidth, nHeight), c.size);
    m_Camera.SetDisplaySource(&m_Display);
    EXPECT_FALSE(m_Camera.DeliverFrameNow()) << "no frames before acquisition starts";
    start();
    ASSERT_TRUE(m_Camera.DeliverFrameNow());
    EXPECT_EQ(m_Display.GetCalls(), (std::vector<std::string>{"GetDisplay(0)", c.pszBufferCall,
                                                              "ReleaseBitmapBuffer(true)"}));
    const KyTestRecordingDisplay::Frame frame = m_Display.GetLastFrame();
    EXPECT_EQ(frame.size, c.size);
    EXPECT_EQ(frame.idThread, std::this_thread::get_id());
    expectUpright(frame);
    EXPECT_TRUE(m_Display.GuardsIntact()) << "wrote past the end of a row: pitch ignored";
    EXPECT_EQ(m_Display.GetFrameNumbers(), std::vector<unsigned>{0u});
    EXPECT_EQ(m_Camera.GetFramesDelivered(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Layouts, KyCSyntheticCameraLayoutTest, ::testing::ValuesIn(kLayouts),
                         [](const ::testing::TestParamInfo<SLayout>& info) {
                             return std::string(info.param.pszName);
                         });

TEST_F(KyCSyntheticCameraTest, BadSettingsRefusedBuffersAndAMissingDisplayAreCounted) {
    for (KyCSize2 size :
         {KyCSize2(0, 480), KyCSize2(640, -1), KyCSize2(KyCSyntheticCamera::kMaxSide + 1, 10)})
        EXPECT_FALSE(m_Camera.SetFrameSize(size));
    for (float fRate :
         {-1.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()})
        EXPECT_FALSE(m_Camera.SetFrameRate(fRate));
    EXPECT_EQ(m_Camera.GetFrameSize(), KyCSize2(640, 480));
    m_Display.SetRefuseBuffers(true);
    start();
    EXPECT_FALSE(m_Camera.DeliverFrameNow());
    EXPECT_FALSE(m_Camera.DeliverFrameNow());
    const std::vector<std::string> calls = m_Display.GetCalls();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[2], "ReleaseBitmapBuffer(false)");
    EXPECT_EQ(calls[5], "ReleaseBitmapBuffer(false)");
    EXPECT_EQ(m_Camera.GetFramesRefused(), 2u);
    m_Display.SetRefuseBuffers(false);
    // A new size applies to the next frame.
    ASSERT_TRUE(m_Camera.SetFrameSize(KyCSize2(64, 40)));
    EXPECT_TRUE(m_Camera.DeliverFrameNow());
    EXPECT_EQ(m_Display.GetLastFrame().size, KyCSize2(64, 40));
    EXPECT_EQ(m_Display.GetFrameCount(), 1u);
    m_Camera.SetDisplaySource(nullptr);
    EXPECT_FALSE(m_Camera.DeliverFrameNow());
    EXPECT_EQ(m_Camera.GetFramesWithoutDisplay(), 1u) << "counted, not sent";
}

TEST_F(KyCSyntheticCameraTest, StopWaitsForTheFrameInProgress) {
    // A slow display keeps a frame in progress: the stop returns after its release, then quiet.
    m_Display.SetGetBufferDelayMs(3);
    start(1000.0f, KyCSize2(32, 24));
    for (int nRound = 0; nRound < 20; ++nRound) {
        ASSERT_TRUE(m_Display.WaitForFrames(m_Display.GetFrameCount() + 1, kWaitMs));
        m_Camera.StopAcquisition(1, 0);
        const std::string strLast = m_Display.GetLastCall();
        const unsigned nFrames = m_Display.GetFrameCount();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_EQ(m_Display.GetLastCall(), strLast) << "a call after the stop, round " << nRound;
        ASSERT_EQ(m_Display.GetFrameCount(), nFrames);
        ASSERT_EQ(m_Camera.StartAcquisition(1), 0);
    }
}

TEST_F(KyCSyntheticCameraTest, SwitchedSourceGetsNoFurtherCalls) {
    KyTestRecordingDisplay second;
    m_Display.SetGetBufferDelayMs(20);  // a frame stays in progress for a while
    start(200.0f, KyCSize2(32, 24));
    ASSERT_TRUE(m_Display.WaitForFrames(1, kWaitMs));
    // Switch while the next frame is inside the first display's GetBitmapBuffer.
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

TEST(KyCSyntheticCameraLifetimeTest, ADeliveryMayStopItAndDestroyingItStopsItsThread) {
    KyTestRecordingDisplay display;
    std::atomic<int> nReleases{0};
    std::atomic<bool> bStopped{false};
    {
        KyCSyntheticCamera camera;
        // Inside ReleaseBitmapBuffer, on the camera's own thread: it must not wait for itself.
        display.SetOnRelease([&](bool) {
            if (++nReleases == 2) {
                camera.StopAcquisition(1, 0);
                bStopped = true;
            }
        });
        ASSERT_TRUE(camera.SetFrameSize(KyCSize2(16, 8)));
        ASSERT_TRUE(camera.SetFrameRate(500.0f));
        camera.SetDisplaySource(&display);
        ASSERT_EQ(camera.StartAcquisition(1), 0);
        ASSERT_TRUE(KyTestWaitFor([&] { return bStopped.load(); }, kWaitMs))
            << "StopAcquisition inside a delivery did not return";
        EXPECT_FALSE(camera.IsAcquisitionRunning());
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(display.GetFrameCount(), 2u);
        ASSERT_EQ(camera.StartAcquisition(1), 0);
        ASSERT_TRUE(display.WaitForFrames(4, kWaitMs));
    }
    display.Close();  // the camera went while running: nothing may come after
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(display.GetLateCalls(), 0u);
}
