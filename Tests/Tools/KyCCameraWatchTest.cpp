// A V4L2 camera unplugged during a recording: the recording so far is filed, nothing is lost.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>

#include "KyCAcquisitionCommon.h"
#include "KyCCamera.h"
#include "KyCCameraWatch.h"
#include "KyCConsole.h"
#include "KyCLiveDisplay.h"
#include "KyCMessagePump.h"
#include "KyCOptions.h"
#include "KyCameraVideoFactory.h"
#include "KyTestFakeV4L2Device.h"
#include "KyTestFiles.h"
#include "KyTestTempDir.h"
#include "KyV4L2Converter.h"

namespace {

const unsigned kWaitMs = 20000;  // generous: only a broken watch takes this long

class KyCCameraWatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!KyV4L2ConvertersAvailable())
            GTEST_SKIP() << "V4L2 cameras need the frame converters of Linux";
        m_Options.m_strCamera = "/dev/fake-video";
        m_Options.m_Size = KyCSize2(320, 240);
    }
    void TearDown() override {
        if (m_pWatch)
            m_pWatch->Stop();
        if (m_pComponent) {
            m_pComponent->SetVideoMode(eVideoModeNone, eVideoMediaTypeNone);
            m_pComponent.Release();
            RUXComponentFactory::ReleaseCameraVideo();
        }
    }
    // The fake camera showing in camera mode, optionally recording, and the watch started.
    void start(unsigned nFrameIntervalMs, int nFramesBeforeGone, bool bRecord) {
        KyTestFakeV4L2Device::Script script;
        script.nFrameIntervalMs = nFrameIntervalMs;
        script.nFramesBeforeGone = nFramesBeforeGone;
        std::string strError;
        ASSERT_TRUE(
            m_Camera.OpenV4L2(std::make_unique<KyTestFakeV4L2Device>(script), m_Options, strError))
            << strError;
        m_pComponent = RUXComponentFactory::GetCameraVideoPointer(eAcquireDeviceVDX);
        ASSERT_TRUE(m_pComponent->SetFilePath(m_Dir.Path()));
        KyCLiveDisplay& display = RUXComponentFactory::GetBuiltInLiveDisplay();
        const unsigned nShown = display.GetPicturesShown();
        ASSERT_TRUE(m_pComponent->SetVideoMode(eVideoModeCamera, eVideoMediaTypeVideo));
        ASSERT_TRUE(display.WaitForPicture(nShown + 1, kWaitMs));
        ASSERT_TRUE(!bRecord || m_pComponent->StartVideo());
        m_pWatch = std::make_unique<KyCCameraWatch>(m_Camera, *m_pComponent, m_Console, m_Messages);
        m_pWatch->Start();
    }

    KyTestTempDir m_Dir;
    KyCOptions m_Options;
    KyCCamera m_Camera;  // outlives the component's use of it
    CbSmartPointer<KyICameraVideo> m_pComponent;
    std::ostringstream m_Out, m_Err;
    KyCConsole m_Console{m_Out, m_Err, false};
    KyCMessagePump m_Messages{m_Console};
    std::unique_ptr<KyCCameraWatch> m_pWatch;
};

}  // namespace

TEST_F(KyCCameraWatchTest, UnpluggedDuringARecordingFilesWhatWasRecorded) {
    ASSERT_NO_FATAL_FAILURE(start(20, 40, true));  // about 0.8 s of frames
    ASSERT_TRUE(m_pWatch->WaitForHandledLoss(kWaitMs));
    EXPECT_FALSE(m_pComponent->IsRunning());
    const std::wstring strSaved = m_pWatch->GetSavedRecording();
    EXPECT_EQ(strSaved, m_pComponent->GetFileName(eVideoMediaTypeVideo, nullptr));
    ASSERT_TRUE(KyTestFileExists(strSaved));
    EXPECT_GT(std::filesystem::file_size(std::filesystem::path(strSaved)), 1000u);
    EXPECT_FALSE(KyTestFileExists(m_Dir.File(L"~video.avi")));
    EXPECT_NE(m_Err.str().find("kycamera: /dev/fake-video: the camera was unplugged"),
              std::string::npos)
        << m_Err.str();
    EXPECT_NE(m_Out.str().find("the recording so far is saved as "), std::string::npos);
    EXPECT_NE(m_Out.str().find("message: state changed \"Video\""), std::string::npos);
}

TEST_F(KyCCameraWatchTest, CameraThatStaysDoesNotTrigger) {
    ASSERT_NO_FATAL_FAILURE(start(2, -1, false));  // never gone
    EXPECT_FALSE(m_pWatch->WaitForHandledLoss(3 * KyCCameraWatch::kPollMs));
    EXPECT_EQ(m_Err.str(), "");
}
