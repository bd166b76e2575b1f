// The controller's construction, Init, Exit, destruction and extension names.
#include <gtest/gtest.h>

#include "KyTestComponent.h"
#include "KyTestRecordingAcquisition.h"

namespace {

class KyCCameraVideoVDXLifecycleTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_Acquisition.Install();
        m_Acquisition.NameSource(&m_LiveSource, "live");
        KyTestTakeVideoMessages();
    }
    void TearDown() override { KyTestTakeVideoMessages(); }

    KyTestRecordingAcquisition m_Acquisition;
    KyTestDisplaySource m_LiveSource;
};

}  // namespace

TEST_F(KyCCameraVideoVDXLifecycleTest, AFreshObjectHasNoModeNoMediaAndCallsNothing) {
    {
        KyTestCameraVideoVDX vdx;
        EXPECT_EQ(vdx.GetVideoMode(), eVideoModeNone);
        EXPECT_EQ(vdx.GetMediaType(eVideoModePlay), eVideoMediaTypeNone);
        EXPECT_EQ(vdx.GetMediaType(eVideoModeCamera), eVideoMediaTypeVideo);
        EXPECT_EQ(vdx.GetMediaType(eVideoModeNone), eVideoMediaTypeNone);
        EXPECT_FALSE(vdx.IsRunning());
        EXPECT_EQ(vdx.Views(), "-1/-1/-1");
        EXPECT_EQ(vdx.Count(), 0);
        EXPECT_EQ(vdx.FilePath(), L"");
        EXPECT_EQ(vdx.LiveSource(), nullptr);
        EXPECT_EQ(vdx.RecordFileName(), L"");
        EXPECT_EQ(vdx.RecordTime(), CTime(0));
        EXPECT_EQ(vdx.RecordMediaType(), eVideoMediaTypeNone);
        EXPECT_FALSE(vdx.Started());
        EXPECT_EQ(KyTestReferenceCount(vdx), 0u);
        vdx.Exit();  // no mode: nothing to switch off
    }
    EXPECT_TRUE(m_Acquisition.TakeCalls().empty());
    EXPECT_EQ(KyTestTakeVideoMessages(), 0);
}

TEST_F(KyCCameraVideoVDXLifecycleTest, InitResetsCatalogueAndModeButKeepsSourceAndTypes) {
    KyTestCameraVideoVDX vdx;
    vdx.SetLiveBitmapHandler(&m_LiveSource);
    vdx.SetFilePathOnly(L"media");
    vdx.AddEntries("V P V");
    vdx.SetViews(2, 2, 1);
    ASSERT_TRUE(vdx.SetVideoMode(eVideoModePlay, eVideoMediaTypePicture));
    m_Acquisition.TakeCalls();

    KyICameraVideo& video = vdx;
    video.Init();
    EXPECT_EQ(m_Acquisition.TakeCalls(),
              (std::vector<std::string>{"StopAcquisition(1,0)", "SetDisplaySource(live)"}));
    EXPECT_EQ(vdx.GetVideoMode(), eVideoModeNone);
    EXPECT_EQ(vdx.Count(), 0);
    EXPECT_EQ(vdx.FilePath(), L"");
    EXPECT_EQ(vdx.Views(), "-1/-1/-1");
    EXPECT_EQ(vdx.LiveSource(), &m_LiveSource);
    EXPECT_EQ(vdx.GetMediaType(eVideoModePlay), eVideoMediaTypePicture);
    EXPECT_EQ(vdx.GetMediaType(eVideoModeCamera), eVideoMediaTypeVideo);
}

TEST_F(KyCCameraVideoVDXLifecycleTest, ExitSwitchesAModeOff) {
    KyTestCameraVideoVDX vdx;
    vdx.SetLiveBitmapHandler(&m_LiveSource);
    ASSERT_TRUE(vdx.SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    m_Acquisition.TakeCalls();
    vdx.Exit();
    EXPECT_EQ(m_Acquisition.TakeCalls(),
              (std::vector<std::string>{"StopAcquisition(1,0)", "SetDisplaySource(live)"}));
    EXPECT_EQ(vdx.GetVideoMode(), eVideoModeNone);
    vdx.Exit();
    EXPECT_TRUE(m_Acquisition.TakeCalls().empty());
}

TEST_F(KyCCameraVideoVDXLifecycleTest, DestructionSwitchesTheModeOffFirst) {
    {
        KyTestCameraVideoVDX vdx;
        vdx.SetLiveBitmapHandler(&m_LiveSource);
        vdx.AddEntries("V");
        ASSERT_TRUE(vdx.SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
        ASSERT_TRUE(vdx.StartVideo());
        m_Acquisition.TakeCalls();
        KyTestTakeVideoMessages();
    }
    EXPECT_EQ(m_Acquisition.TakeCalls(),
              (std::vector<std::string>{"StopAcquisition(1,0)", "SetDisplaySource(live)"}));
    EXPECT_EQ(KyTestTakeVideoMessages(), 1);  // the running playback was stopped
}

TEST_F(KyCCameraVideoVDXLifecycleTest, DestructionThroughTheReferenceCount) {
    CbSmartPointer<KyICameraVideo> pVideo(new KyCCameraVideoVDX());
    CbWeakPointer<KyICameraVideo> pWatch(pVideo);
    pVideo->SetLiveBitmapHandler(&m_LiveSource);
    ASSERT_TRUE(pVideo->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    m_Acquisition.TakeCalls();
    EXPECT_EQ(KyTestReferenceCount(*pVideo), 1u);
    pVideo = nullptr;
    EXPECT_TRUE(pWatch.IsExpired());
    EXPECT_EQ(m_Acquisition.TakeCalls(),
              (std::vector<std::string>{"StopAcquisition(1,0)", "SetDisplaySource(live)"}));
}

TEST_F(KyCCameraVideoVDXLifecycleTest, AnswersBothExtensionNamesExactly) {
    KyCCameraVideoVDX vdx;
    const KyCCameraVideoVDX& constVdx = vdx;
    IExtensionInterface* pSelf = &vdx;
    EXPECT_EQ(vdx.GetExtension("RUX.CameraVideo", false), pSelf);
    EXPECT_EQ(vdx.GetExtension("RUX.CameraVideoVDX", true), pSelf);
    EXPECT_EQ(constVdx.GetExtension("RUX.CameraVideoVDX", false), pSelf);
    EXPECT_EQ(constVdx.GetExtension("RUX.CameraVideo", true), pSelf);
    EXPECT_EQ(vdx.GetExtension("RUX.cameravideovdx", false), nullptr);
    EXPECT_EQ(vdx.GetExtension("RUX.CameraVideoVDX ", false), nullptr);
    EXPECT_EQ(vdx.GetExtension("", false), nullptr);
    EXPECT_EQ(vdx.GetExtension(nullptr, false), nullptr);

    for (bool bConst : {false, true}) {
        std::string strFunction;
        try {
            if (bConst)
                constVdx.GetExtension("RUX.Other", true);
            else
                vdx.GetExtension("RUX.Other", true);
        } catch (const CbExceptionUnknownExtension& error) {
            strFunction = error.GetFunction();
            EXPECT_NE(std::string(error.GetFile()).find("KyCCameraVideoVDX"), std::string::npos);
            EXPECT_GT(error.GetLine(), 0u);
        }
        EXPECT_EQ(strFunction, "KyCCameraVideoVDX::GetExtension") << bConst;
    }
}
