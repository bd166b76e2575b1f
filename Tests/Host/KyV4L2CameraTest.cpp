// The V4L2 camera against a fake device: negotiation, streaming, errors and an unplugged camera.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "KyCTestPattern.h"
#include "KyCV4L2Camera.h"
#include "KyTestFakeV4L2Device.h"
#include "KyTestRecordingDisplay.h"
#include "KyV4L2Converter.h"

namespace {

const unsigned kWaitMs = 10000;  // generous: only a broken camera takes this long
const std::uint32_t kNV12 = KyV4L2FourCC('N', 'V', '1', '2');

typedef std::vector<std::string> Calls;

class KyV4L2CameraTest : public ::testing::Test {
protected:
    // Opens a camera on a fake device run by the script.
    EV4L2Result open(const KyTestFakeV4L2Device::Script& script, KyCSize2 wished,
                     float fFramesPerSecond = 0.0f) {
        auto pDevice = std::make_unique<KyTestFakeV4L2Device>(script);
        m_pDevice = pDevice.get();
        m_pCamera = std::make_unique<KyCV4L2Camera>(std::move(pDevice));
        return m_pCamera->Open("/dev/fake0", wished, fFramesPerSecond);
    }
    // Starts streaming into m_Display; skips where frames cannot be converted.
    bool startStreaming() {
        m_pCamera->SetDisplaySource(&m_Display);
        return m_pCamera->StartAcquisition(1) == 0;
    }
    void TearDown() override {
        if (m_pCamera)
            m_pCamera->StopAcquisition(1, 0);
    }

    KyTestRecordingDisplay m_Display;  // outlives the camera
    std::unique_ptr<KyCV4L2Camera> m_pCamera;
    KyTestFakeV4L2Device* m_pDevice = nullptr;  // owned by the camera
};

// A camera opens only with a converter for its format, which this platform may not have.
class KyV4L2CameraConvertingTest : public KyV4L2CameraTest {
protected:
    void SetUp() override {
        if (!KyV4L2ConvertersAvailable())
            GTEST_SKIP() << "no V4L2 frame converters on this platform";
    }
};

}  // namespace

TEST_F(KyV4L2CameraConvertingTest, OpenNegotiatesAndReportsTheSizeHeightFirst) {
    ASSERT_EQ(open(KyTestFakeV4L2Device::Script(), KyCSize2(640, 480), 30.0f), eV4L2Ok);
    EXPECT_EQ(m_pDevice->GetCalls(), (Calls{"Open /dev/fake0", "GetFormatOffers",
                                            "SetFormat YUYV 640x480", "SetFrameRate 30"}));
    int nHeight = 0, nWidth = 0;
    m_pCamera->GetImageSize(&nHeight, &nWidth);
    EXPECT_EQ(nHeight, 480);
    EXPECT_EQ(nWidth, 640);
    EXPECT_EQ(m_pCamera->GetFormat().nBytesPerLine, 1280);
    EXPECT_EQ(m_pCamera->GetCardName(), "Fake Camera");
    EXPECT_TRUE(m_pCamera->IsOpen());
    EXPECT_TRUE(m_pCamera->IsAcquisitionReady());
    EXPECT_FALSE(m_pCamera->IsAcquisitionRunning());
    EXPECT_TRUE(m_pCamera->GetErrorText().empty());
}

TEST_F(KyV4L2CameraConvertingTest, WithoutAFrameRateNoneIsAskedFor) {
    ASSERT_EQ(open(KyTestFakeV4L2Device::Script(), KyCSize2(1280, 720)), eV4L2Ok);
    const Calls calls = m_pDevice->GetCalls();
    EXPECT_EQ(calls.back(), "SetFormat MJPG 1280x720");
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "SetFrameRate 0"), 0);
}

TEST_F(KyV4L2CameraConvertingTest, DriverThatAdjustsTheFormatIsBelieved) {
    KyTestFakeV4L2Device::Script script;
    script.forced.nFourCC = kV4L2FormatMJPEG;
    script.forced.size = KyCSize2(800, 600);
    ASSERT_EQ(open(script, KyCSize2(640, 480)), eV4L2Ok);
    int nHeight = 0, nWidth = 0;
    m_pCamera->GetImageSize(&nHeight, &nWidth);
    EXPECT_EQ(nHeight, 600);
    EXPECT_EQ(nWidth, 800);
    EXPECT_EQ(m_pCamera->GetFormat().nFourCC, kV4L2FormatMJPEG);
}

TEST_F(KyV4L2CameraTest, DriverThatSwitchesToAnUnconvertibleFormatIsRefusedAndClosed) {
    KyTestFakeV4L2Device::Script script;
    script.forced.nFourCC = kNV12;
    script.forced.size = KyCSize2(640, 480);
    EXPECT_EQ(open(script, KyCSize2(640, 480)), eV4L2UnsupportedFormat);
    EXPECT_EQ(m_pDevice->GetCalls().back(), "Close");
    EXPECT_NE(m_pCamera->GetErrorText().find("NV12"), std::string::npos)
        << m_pCamera->GetErrorText();
    EXPECT_FALSE(m_pCamera->IsOpen());
    EXPECT_FALSE(m_pCamera->IsAcquisitionReady());
    int nHeight = -1, nWidth = -1;
    m_pCamera->GetImageSize(&nHeight, &nWidth);
    EXPECT_EQ(nHeight, 0);
    EXPECT_EQ(nWidth, 0);
}

TEST_F(KyV4L2CameraTest, CameraWithoutConvertibleFormatsIsRefused) {
    KyTestFakeV4L2Device::Script script;
    KyV4L2FormatOffer offer;
    offer.nFourCC = kNV12;
    offer.vecSizes = {KyCSize2(640, 480)};
    script.vecOffers = {offer};
    EXPECT_EQ(open(script, KyCSize2(640, 480)), eV4L2UnsupportedFormat);
    EXPECT_EQ(m_pDevice->GetCalls(), (Calls{"Open /dev/fake0", "GetFormatOffers", "Close"}));
    EXPECT_NE(m_pCamera->GetErrorText().find("neither YUYV nor MJPEG"), std::string::npos);
}

TEST_F(KyV4L2CameraTest, OpenFailuresAreReportedAndLeaveTheCameraUnusable) {
    for (EV4L2Result eResult : {eV4L2NotFound, eV4L2Busy, eV4L2AccessDenied, eV4L2NotACamera}) {
        KyTestFakeV4L2Device::Script script;
        script.eOpen = eResult;
        EXPECT_EQ(open(script, KyCSize2(640, 480)), eResult);
        EXPECT_NE(m_pCamera->GetErrorText().find(KyV4L2ResultText(eResult)), std::string::npos)
            << m_pCamera->GetErrorText();
        EXPECT_FALSE(m_pCamera->IsAcquisitionReady());
        EXPECT_EQ(m_pCamera->StartAcquisition(1), -1);
        EXPECT_FALSE(m_pCamera->IsAcquisitionRunning());
    }
}

TEST_F(KyV4L2CameraTest, NoDeviceMeansNoV4L2OnThisPlatform) {
    KyCV4L2Camera camera(nullptr);
    EXPECT_EQ(camera.Open("/dev/video0", KyCSize2(640, 480), 0.0f), eV4L2NotSupported);
    EXPECT_NE(camera.GetErrorText().find("Linux only"), std::string::npos);
    EXPECT_EQ(camera.StartAcquisition(1), -1);
}

TEST_F(KyV4L2CameraConvertingTest, BusyWhenStreamingStartsIsReportedAndNothingRuns) {
    KyTestFakeV4L2Device::Script script;
    script.eStart = eV4L2Busy;
    ASSERT_EQ(open(script, KyCSize2(640, 480)), eV4L2Ok);
    m_pCamera->SetDisplaySource(&m_Display);
    EXPECT_EQ(m_pCamera->StartAcquisition(1), -1);
    EXPECT_FALSE(m_pCamera->IsAcquisitionRunning());
    EXPECT_NE(m_pCamera->GetErrorText().find("busy"), std::string::npos);
    EXPECT_EQ(m_Display.GetFrameCount(), 0u);
}

TEST_F(KyV4L2CameraConvertingTest, YuyvFramesArriveInOrderUprightAndStopMeansStop) {
    ASSERT_EQ(open(KyTestFakeV4L2Device::Script(), KyCSize2(320, 240)), eV4L2Ok);
    ASSERT_TRUE(startStreaming());
    EXPECT_TRUE(m_pCamera->IsAcquisitionRunning());
    ASSERT_TRUE(m_Display.WaitForFrames(8, kWaitMs));
    EXPECT_TRUE(m_pCamera->StopAcquisition(1, 0));
    m_Display.Close();  // from here on, any call is late

    const std::vector<unsigned> vecNumbers = m_Display.GetFrameNumbers();
    ASSERT_GE(vecNumbers.size(), 8u);
    for (size_t n = 0; n < vecNumbers.size(); ++n)
        EXPECT_EQ(vecNumbers[n], n) << "frame " << n;
    const KyTestRecordingDisplay::Frame frame = m_Display.GetLastFrame();
    EXPECT_EQ(frame.size, KyCSize2(320, 240));
    EXPECT_EQ(frame.nBytesPerPixel, 4);
    EXPECT_GT(frame.Pixel(0, 0)[2], 200);  // red top band
    EXPECT_LT(frame.Pixel(0, 0)[0], 60);
    EXPECT_GT(frame.Pixel(239, 0)[0], 200);  // blue bottom band
    EXPECT_LT(frame.Pixel(239, 0)[2], 60);
    EXPECT_TRUE(m_Display.GuardsIntact());

    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(m_Display.GetLateCalls(), 0u);
    EXPECT_FALSE(m_pDevice->IsStreaming());
    EXPECT_EQ(m_pDevice->GetBadReleases(), 0u);
    EXPECT_EQ(m_pDevice->GetMaxBuffersOut(), 1u);  // each buffer goes back before the next wait
    EXPECT_EQ(m_pCamera->GetFramesDelivered(), m_Display.GetFrameCount());
    EXPECT_EQ(m_pDevice->GetCalls().back(), "StopStreaming");
}

TEST_F(KyV4L2CameraConvertingTest, MjpegFramesArriveDecoded) {
    ASSERT_EQ(open(KyTestFakeV4L2Device::Script(), KyCSize2(1280, 720)), eV4L2Ok);
    ASSERT_TRUE(startStreaming());
    ASSERT_TRUE(m_Display.WaitForFrames(3, kWaitMs));
    m_pCamera->StopAcquisition(1, 0);
    const std::vector<unsigned> vecNumbers = m_Display.GetFrameNumbers();
    ASSERT_GE(vecNumbers.size(), 3u);
    EXPECT_EQ(vecNumbers[0], 0u);
    EXPECT_EQ(vecNumbers[2], 2u);
    EXPECT_EQ(m_Display.GetLastFrame().size, KyCSize2(1280, 720));
}

TEST_F(KyV4L2CameraConvertingTest, DamagedFrameIsReleasedInvalidAndStreamingGoesOn) {
    KyTestFakeV4L2Device::Script script;
    script.nDamagedFrame = 2;
    ASSERT_EQ(open(script, KyCSize2(320, 240)), eV4L2Ok);
    ASSERT_TRUE(startStreaming());
    ASSERT_TRUE(m_Display.WaitForFrames(5, kWaitMs));
    m_pCamera->StopAcquisition(1, 0);
    const std::vector<unsigned> vecNumbers = m_Display.GetFrameNumbers();
    ASSERT_GE(vecNumbers.size(), 5u);
    EXPECT_EQ(vecNumbers[1], 1u);
    EXPECT_EQ(vecNumbers[2], 3u);  // frame 2 never became a picture
    EXPECT_EQ(m_Display.GetInvalidReleases(), 1u);
    EXPECT_EQ(m_pCamera->GetFramesDamaged(), 1u);
    EXPECT_FALSE(m_pCamera->IsLost());
}

TEST_F(KyV4L2CameraConvertingTest, RefusedBuffersStillGoBackToTheDriver) {
    ASSERT_EQ(open(KyTestFakeV4L2Device::Script(), KyCSize2(320, 240)), eV4L2Ok);
    m_Display.SetRefuseBuffers(true);
    ASSERT_TRUE(startStreaming());
    // More frames than the driver has buffers: only possible when each one came back.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (m_pDevice->GetFramesHandedOut() < 3 * KyCV4L2Camera::kBufferCount &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    m_pCamera->StopAcquisition(1, 0);
    EXPECT_GE(m_pDevice->GetFramesHandedOut(), 3 * KyCV4L2Camera::kBufferCount);
    EXPECT_GE(m_pCamera->GetFramesRefused(), 3 * KyCV4L2Camera::kBufferCount);
    EXPECT_EQ(m_pCamera->GetFramesDelivered(), 0u);
    EXPECT_EQ(m_Display.GetFrameCount(), 0u);
    EXPECT_GE(m_Display.GetInvalidReleases(), 1u);
    EXPECT_EQ(m_pDevice->GetBadReleases(), 0u);
}

TEST_F(KyV4L2CameraConvertingTest, UnpluggedCameraStopsAndSaysSo) {
    KyTestFakeV4L2Device::Script script;
    script.nFramesBeforeGone = 5;
    ASSERT_EQ(open(script, KyCSize2(320, 240)), eV4L2Ok);
    ASSERT_TRUE(startStreaming());
    ASSERT_TRUE(m_pCamera->WaitForLost(kWaitMs));

    EXPECT_TRUE(m_pCamera->IsLost());
    EXPECT_FALSE(m_pCamera->IsAcquisitionRunning());
    EXPECT_FALSE(m_pCamera->IsAcquisitionReady());
    EXPECT_NE(m_pCamera->GetErrorText().find("unplugged"), std::string::npos)
        << m_pCamera->GetErrorText();
    EXPECT_NE(m_pCamera->GetErrorText().find("No such device"), std::string::npos);
    EXPECT_EQ(m_Display.GetFrameCount(), 5u);  // every frame before the loss arrived
    EXPECT_FALSE(m_pDevice->IsStreaming());
    EXPECT_EQ(m_pCamera->StartAcquisition(1), -1);
    EXPECT_TRUE(m_pCamera->StopAcquisition(1, 0));  // what a host does next is harmless
}

TEST_F(KyV4L2CameraConvertingTest, SilentCameraDeliversNothingButKeepsRunning) {
    KyTestFakeV4L2Device::Script script;
    script.bSilent = true;
    ASSERT_EQ(open(script, KyCSize2(320, 240)), eV4L2Ok);
    ASSERT_TRUE(startStreaming());
    EXPECT_FALSE(m_pCamera->WaitForFramesDelivered(1, 3 * KyCV4L2Camera::kWaitSliceMs));
    EXPECT_TRUE(m_pCamera->IsAcquisitionRunning());
    EXPECT_FALSE(m_pCamera->IsLost());
    EXPECT_EQ(m_Display.GetFrameCount(), 0u);
}

TEST_F(KyV4L2CameraConvertingTest, NewDisplaySourceTakesOverAtOnce) {
    ASSERT_EQ(open(KyTestFakeV4L2Device::Script(), KyCSize2(320, 240)), eV4L2Ok);
    ASSERT_TRUE(startStreaming());
    ASSERT_TRUE(m_Display.WaitForFrames(2, kWaitMs));
    KyTestRecordingDisplay second;
    m_pCamera->SetDisplaySource(&second);
    m_Display.Close();
    ASSERT_TRUE(second.WaitForFrames(2, kWaitMs));
    m_pCamera->StopAcquisition(1, 0);
    EXPECT_EQ(m_Display.GetLateCalls(), 0u);
    const std::vector<unsigned> vecFirst = m_Display.GetFrameNumbers();
    const std::vector<unsigned> vecSecond = second.GetFrameNumbers();
    ASSERT_FALSE(vecFirst.empty());
    EXPECT_EQ(vecSecond.front(), vecFirst.back() + 1);  // not one frame lost in the switch
}

TEST_F(KyV4L2CameraConvertingTest, RestartAfterStopStreamsAgain) {
    ASSERT_EQ(open(KyTestFakeV4L2Device::Script(), KyCSize2(320, 240)), eV4L2Ok);
    ASSERT_TRUE(startStreaming());
    ASSERT_TRUE(m_Display.WaitForFrames(2, kWaitMs));
    m_pCamera->StopAcquisition(1, 0);
    const unsigned nBefore = m_Display.GetFrameCount();
    ASSERT_EQ(m_pCamera->StartAcquisition(1), 0);
    ASSERT_TRUE(m_Display.WaitForFrames(nBefore + 2, kWaitMs));
    m_pCamera->StopAcquisition(1, 0);
    const Calls calls = m_pDevice->GetCalls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "StartStreaming 4"), 2);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "StopStreaming"), 2);
}
