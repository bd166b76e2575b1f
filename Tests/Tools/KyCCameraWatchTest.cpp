// A V4L2 camera unplugged during a recording: the recording so far is filed, nothing is lost.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "KyCAcquisitionCommon.h"
#include "KyCCamera.h"
#include "KyCCameraWatch.h"
#include "KyCConsole.h"
#include "KyCLiveDisplay.h"
#include "KyCMessagePump.h"
#include "KyCOptions.h"
#include "KyCameraVideoFactory.h"
#include "KyIAcquisition.h"
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
        if (m_pComponent) {
            m_pComponent->SetVideoMode(eVideoModeNone, eVideoMediaTypeNone);
            m_pComponent.Release();
            RUXComponentFactory::ReleaseCameraVideo();
        }
    }
    // The fake camera installed as the acquisition, the component in camera mode with video.
    void startCamera(const KyTestFakeV4L2Device::Script& script) {
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
    }

    KyTestTempDir m_Dir;
    KyCOptions m_Options;
    KyCCamera m_Camera;  // outlives the component's use of it
    CbSmartPointer<KyICameraVideo> m_pComponent;
    std::ostringstream m_Out, m_Err;
};

}  // namespace

TEST_F(KyCCameraWatchTest, UnpluggedDuringARecordingFilesWhatWasRecorded) {
    KyTestFakeV4L2Device::Script script;
    script.nFrameIntervalMs = 20;
    script.nFramesBeforeGone = 40;  // about 0.8 s of frames
    ASSERT_NO_FATAL_FAILURE(startCamera(script));
    ASSERT_TRUE(m_pComponent->StartVideo());
    ASSERT_TRUE(m_pComponent->IsRunning());

    KyCConsole console(m_Out, m_Err, false);
    KyCMessagePump messages(console);
    KyCCameraWatch watch(m_Camera, *m_pComponent, console, messages);
    watch.Start();
    ASSERT_TRUE(watch.WaitForHandledLoss(kWaitMs));
    watch.Stop();

    EXPECT_TRUE(m_Camera.IsLost());
    EXPECT_FALSE(m_pComponent->IsRunning());
    int nVideos = 0;
    EXPECT_TRUE(m_pComponent->HasData(eVideoMediaTypeVideo, &nVideos));
    EXPECT_EQ(nVideos, 1);
    const std::wstring strSaved = watch.GetSavedRecording();
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

TEST_F(KyCCameraWatchTest, UnpluggedWhileIdleOnlyReportsIt) {
    KyTestFakeV4L2Device::Script script;
    script.nFrameIntervalMs = 5;
    script.nFramesBeforeGone = 10;
    ASSERT_NO_FATAL_FAILURE(startCamera(script));
    KyCConsole console(m_Out, m_Err, false);
    KyCMessagePump messages(console);
    KyCCameraWatch watch(m_Camera, *m_pComponent, console, messages);
    watch.Start();
    ASSERT_TRUE(watch.WaitForHandledLoss(kWaitMs));
    EXPECT_TRUE(watch.GetSavedRecording().empty());
    int nVideos = -1;
    EXPECT_FALSE(m_pComponent->HasData(eVideoMediaTypeVideo, &nVideos));
    EXPECT_EQ(nVideos, 0);
    EXPECT_NE(m_Err.str().find("unplugged"), std::string::npos);
    EXPECT_EQ(m_Out.str(), "");
    EXPECT_FALSE(RUXComponentFactory::GetAcquisition().IsAcquisitionReady());
}

TEST_F(KyCCameraWatchTest, CameraThatStaysDoesNotTrigger) {
    ASSERT_NO_FATAL_FAILURE(startCamera(KyTestFakeV4L2Device::Script()));
    KyCConsole console(m_Out, m_Err, false);
    KyCMessagePump messages(console);
    KyCCameraWatch watch(m_Camera, *m_pComponent, console, messages);
    watch.Start();
    EXPECT_FALSE(watch.WaitForHandledLoss(3 * KyCCameraWatch::kPollMs));
    watch.Stop();
    EXPECT_FALSE(watch.HasHandledLoss());
    EXPECT_EQ(m_Err.str(), "");
}
