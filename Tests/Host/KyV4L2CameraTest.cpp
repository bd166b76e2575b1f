// The V4L2 camera against a fake device: negotiation, streaming, errors and an unplugged camera.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "KyCV4L2Camera.h"
#include "KyTestFakeV4L2Device.h"
#include "KyTestRecordingDisplay.h"
#include "KyTestWait.h"
#include "KyV4L2Converter.h"

namespace {

const unsigned kWaitMs = 10000;  // generous: only a broken camera takes this long
const std::uint32_t kNV12 = KyV4L2FourCC('N', 'V', '1', '2');
typedef KyTestFakeV4L2Device::Script Script;

class KyV4L2CameraTest : public ::testing::Test {
protected:
    EV4L2Result open(const Script& script, KyCSize2 wished, float fFramesPerSecond = 0.0f) {
        auto pDevice = std::make_unique<KyTestFakeV4L2Device>(script);
        m_pDevice = pDevice.get();
        m_pCamera = std::make_unique<KyCV4L2Camera>(std::move(pDevice));
        return m_pCamera->Open("/dev/fake0", wished, fFramesPerSecond);
    }
    void stream(const Script& script, KyCSize2 wished) {
        ASSERT_EQ(open(script, wished), eV4L2Ok);
        m_pCamera->SetDisplaySource(&m_Display);
        ASSERT_EQ(m_pCamera->StartAcquisition(1), 0);
    }
    void TearDown() override {
        if (m_pCamera)
            m_pCamera->StopAcquisition(1, 0);
    }

    KyTestRecordingDisplay m_Display;  // outlives the camera
    std::unique_ptr<KyCV4L2Camera> m_pCamera;
    KyTestFakeV4L2Device* m_pDevice = nullptr;  // owned by the camera
};

struct SOpenCase {
    const char* pszName;
    void (*script)(Script&);
    KyCSize2 wished;
    float fFramesPerSecond;
    EV4L2Result eResult;
    const char* pszCalls;  // the device's calls, joined by "; "
    KyCSize2 size;         // what GetImageSize reports afterwards
    const char* pszError;  // part of the error text
};

const SOpenCase kOpenCases[] = {
    {"YuyvAtTheWishedSizeAndRate", [](Script&) {}, KyCSize2(640, 480), 30.0f, eV4L2Ok,
     "Open /dev/fake0; GetFormatOffers; SetFormat YUYV 640x480; SetFrameRate 30",
     KyCSize2(640, 480), ""},
    {"TheDriversOwnFormatIsBelieved",
     [](Script& s) {
         s.forced.nFourCC = kV4L2FormatMJPEG;
         s.forced.size = KyCSize2(800, 600);
     },
     KyCSize2(640, 480), 0.0f, eV4L2Ok, "Open /dev/fake0; GetFormatOffers; SetFormat YUYV 640x480",
     KyCSize2(800, 600), ""},
    {"ADriverSwitchingToNV12IsClosed",
     [](Script& s) {
         s.forced.nFourCC = kNV12;
         s.forced.size = KyCSize2(640, 480);
     },
     KyCSize2(640, 480), 0.0f, eV4L2UnsupportedFormat,
     "Open /dev/fake0; GetFormatOffers; SetFormat YUYV 640x480; Close", KyCSize2(0, 0), "NV12"},
    {"NoConvertibleOffer",
     [](Script& s) {
         KyV4L2FormatOffer offer;
         offer.nFourCC = kNV12;
         offer.vecSizes = {KyCSize2(640, 480)};
         s.vecOffers = {offer};
     },
     KyCSize2(640, 480), 0.0f, eV4L2UnsupportedFormat, "Open /dev/fake0; GetFormatOffers; Close",
     KyCSize2(0, 0), "neither YUYV nor MJPEG"},
    {"Busy", [](Script& s) { s.eOpen = eV4L2Busy; }, KyCSize2(640, 480), 0.0f, eV4L2Busy,
     "Open /dev/fake0", KyCSize2(0, 0), "busy"},
};

class KyV4L2CameraOpenTest : public KyV4L2CameraTest,
                             public ::testing::WithParamInterface<SOpenCase> {};

}  // namespace

TEST_P(KyV4L2CameraOpenTest, NegotiatesOrRefusesAndSaysWhy) {
    const SOpenCase& c = GetParam();
    if (c.eResult == eV4L2Ok && !KyV4L2ConvertersAvailable())
        GTEST_SKIP() << "no V4L2 frame converters on this platform";
    Script script;
    c.script(script);
    EXPECT_EQ(open(script, c.wished, c.fFramesPerSecond), c.eResult);
    std::string strCalls;
    for (const std::string& strCall : m_pDevice->GetCalls())
        strCalls += (strCalls.empty() ? "" : "; ") + strCall;
    EXPECT_EQ(strCalls, c.pszCalls);
    int nHeight = -1, nWidth = -1;
    m_pCamera->GetImageSize(&nHeight, &nWidth);
    EXPECT_EQ(KyCSize2(nWidth, nHeight), c.size);
    EXPECT_NE(m_pCamera->GetErrorText().find(c.pszError), std::string::npos)
        << m_pCamera->GetErrorText();
    EXPECT_EQ(m_pCamera->IsAcquisitionReady(), c.eResult == eV4L2Ok);
    if (c.eResult != eV4L2Ok) {
        EXPECT_EQ(m_pCamera->StartAcquisition(1), -1);
    }
}

INSTANTIATE_TEST_SUITE_P(Devices, KyV4L2CameraOpenTest, ::testing::ValuesIn(kOpenCases),
                         [](const ::testing::TestParamInfo<SOpenCase>& info) {
                             return std::string(info.param.pszName);
                         });

TEST_F(KyV4L2CameraTest, WithoutADeviceABusyOrASilentOneNothingArrives) {
    KyCV4L2Camera camera(nullptr);
    EXPECT_EQ(camera.Open("/dev/video0", KyCSize2(640, 480), 0.0f), eV4L2NotSupported);
    EXPECT_EQ(camera.StartAcquisition(1), -1);
    if (!KyV4L2ConvertersAvailable())
        return;
    Script script;
    script.eStart = eV4L2Busy;
    ASSERT_EQ(open(script, KyCSize2(640, 480)), eV4L2Ok);
    m_pCamera->SetDisplaySource(&m_Display);
    EXPECT_EQ(m_pCamera->StartAcquisition(1), -1);
    EXPECT_FALSE(m_pCamera->IsAcquisitionRunning());
    EXPECT_NE(m_pCamera->GetErrorText().find("busy"), std::string::npos);
    // A camera that sends nothing keeps running: a wait that times out is no loss.
    script = Script();
    script.bSilent = true;
    stream(script, KyCSize2(320, 240));
    EXPECT_FALSE(m_pCamera->WaitForFramesDelivered(1, 3 * KyCV4L2Camera::kWaitSliceMs));
    EXPECT_TRUE(m_pCamera->IsAcquisitionRunning());
    EXPECT_FALSE(m_pCamera->IsLost());
    EXPECT_EQ(m_Display.GetFrameCount(), 0u);
}

// A camera streams only with a converter for its format, which this platform may not have.
class KyV4L2CameraStreamingTest : public KyV4L2CameraTest {
protected:
    void SetUp() override {
        if (!KyV4L2ConvertersAvailable())
            GTEST_SKIP() << "no V4L2 frame converters on this platform";
    }
};

class KyV4L2CameraStreamTest : public KyV4L2CameraStreamingTest,
                               public ::testing::WithParamInterface<KyCSize2> {};

// 320x240 streams YUYV, 1280x720 MJPEG.
TEST_P(KyV4L2CameraStreamTest, FramesArriveInOrderUprightUntilStopAndAgainAfterARestart) {
    const KyCSize2 size = GetParam();
    stream(Script(), size);
    ASSERT_TRUE(m_Display.WaitForFrames(4, kWaitMs));
    EXPECT_TRUE(m_pCamera->StopAcquisition(1, 0));
    const unsigned nStopped = m_Display.GetFrameCount();
    EXPECT_EQ(m_pCamera->GetFramesDelivered(), nStopped);
    const std::vector<unsigned> numbers = m_Display.GetFrameNumbers();
    for (size_t n = 0; n < numbers.size(); ++n)
        EXPECT_EQ(numbers[n], n) << "frame " << n;
    const KyTestRecordingDisplay::Frame frame = m_Display.GetLastFrame();
    ASSERT_EQ(frame.size, size);
    EXPECT_GT(frame.Pixel(0, 0)[2], 200);  // red top band
    EXPECT_LT(frame.Pixel(0, 0)[0], 60);
    EXPECT_GT(frame.Pixel(size.nHeight - 1, 0)[0], 200);  // blue bottom band
    EXPECT_LT(frame.Pixel(size.nHeight - 1, 0)[2], 60);
    EXPECT_TRUE(m_Display.GuardsIntact());
    EXPECT_FALSE(m_pDevice->GetCounts().bStreaming);
    EXPECT_EQ(m_pDevice->GetCounts().nMaxOut, 1u);  // each buffer goes back before the next wait
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(m_Display.GetFrameCount(), nStopped) << "a frame after the stop";

    ASSERT_EQ(m_pCamera->StartAcquisition(1), 0);
    ASSERT_TRUE(m_Display.WaitForFrames(nStopped + 2, kWaitMs));
    m_pCamera->StopAcquisition(1, 0);
    const std::vector<std::string> calls = m_pDevice->GetCalls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "StartStreaming 4"), 2);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "StopStreaming"), 2);
    EXPECT_EQ(m_pDevice->GetCounts().nBadReleases, 0u);
}

INSTANTIATE_TEST_SUITE_P(Formats, KyV4L2CameraStreamTest,
                         ::testing::Values(KyCSize2(320, 240), KyCSize2(1280, 720)),
                         [](const ::testing::TestParamInfo<KyCSize2>& info) {
                             return info.param.nWidth == 320 ? "Yuyv" : "Mjpeg";
                         });

TEST_F(KyV4L2CameraStreamingTest, RefusedBuffersStillGoBackToTheDriver) {
    m_Display.SetRefuseBuffers(true);
    stream(Script(), KyCSize2(320, 240));
    // More frames than the driver has buffers: only possible when each one came back.
    const unsigned nMany = 3 * KyCV4L2Camera::kBufferCount;
    EXPECT_TRUE(KyTestWaitFor([&] { return m_pDevice->GetCounts().nHandedOut >= nMany; }, kWaitMs));
    m_pCamera->StopAcquisition(1, 0);
    EXPECT_GE(m_pCamera->GetFramesRefused(), nMany);
    EXPECT_EQ(m_Display.GetFrameCount(), 0u);
    EXPECT_EQ(m_pDevice->GetCounts().nBadReleases, 0u);
}

TEST_F(KyV4L2CameraStreamingTest, DamagedFrameIsSkippedAndAnUnpluggedCameraStopsAndSaysSo) {
    Script script;
    script.nDamagedFrame = 2;
    script.nFramesBeforeGone = 6;
    stream(script, KyCSize2(320, 240));
    ASSERT_TRUE(m_pCamera->WaitForLost(kWaitMs));
    EXPECT_FALSE(m_pCamera->IsAcquisitionRunning());
    EXPECT_FALSE(m_pCamera->IsAcquisitionReady());
    EXPECT_NE(m_pCamera->GetErrorText().find("unplugged"), std::string::npos)
        << m_pCamera->GetErrorText();
    // Every frame before the loss arrived but the damaged one, which went back invalid.
    EXPECT_EQ(m_Display.GetFrameNumbers(), (std::vector<unsigned>{0, 1, 3, 4, 5}));
    EXPECT_EQ(m_Display.GetInvalidReleases(), 1u);
    EXPECT_EQ(m_pCamera->GetFramesDamaged(), 1u);
    EXPECT_FALSE(m_pDevice->GetCounts().bStreaming);
    EXPECT_EQ(m_pCamera->StartAcquisition(1), -1);
    EXPECT_TRUE(m_pCamera->StopAcquisition(1, 0));  // what a host does next is harmless
}
