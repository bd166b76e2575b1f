// The controller's lifecycle and video modes: the host acquisition's calls of each switch in
// order, start and stop with their state-changed messages, Init, Exit and destruction.
#include <gtest/gtest.h>

#include <memory>

#include "KyTestComponent.h"
#include "KyTestRecordingAcquisition.h"
#include "KyTestTempDir.h"

namespace {

// Live acquisition stopped, frames routed to the live source: every switch off and into play.
const char* const kOff = "StopAcquisition(1,0) SetDisplaySource(live)";

class KyCCameraVideoVDXModesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_Acquisition.Install();
        m_Acquisition.NameSource(&m_Live, "live");
        m_Acquisition.NameSource(&m_Other, "other");
        KyTestTakeVideoMessages();
        m_pVdx = std::make_unique<KyCCameraVideoVDX>();
        m_pVdx->SetLiveBitmapHandler(&m_Live);
        ASSERT_EQ(calls(), "");  // with no mode there is nothing to switch off
    }
    void TearDown() override {
        m_pVdx.reset();
        KyTestTakeVideoMessages();
    }

    std::string calls() { return KyTestJoin(m_Acquisition.TakeCalls()); }
    // Scans a directory of the pattern's files, then switches to play mode for any type.
    void play(const char* pszPattern) {
        ASSERT_TRUE(KyTestWriteMedia(m_Dir.Path(), pszPattern));
        ASSERT_TRUE(m_pVdx->SetFilePath(m_Dir.Path()));
        ASSERT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
        calls();
    }

    KyTestRecordingAcquisition m_Acquisition;
    KyTestDisplaySource m_Live;
    KyTestDisplaySource m_Other;
    KyTestTempDir m_Dir;
    std::unique_ptr<KyCCameraVideoVDX> m_pVdx;
};

}  // namespace

TEST_F(KyCCameraVideoVDXModesTest, EachSwitchStopsAcquisitionAndRoutesToTheLiveSource) {
    ASSERT_TRUE(KyTestWriteMedia(m_Dir.Path(), "V P"));
    ASSERT_TRUE(m_pVdx->SetFilePath(m_Dir.Path()));
    EXPECT_TRUE(m_pVdx->SetVideoMode(eVideoModeNone, eVideoMediaTypeNone));
    EXPECT_EQ(calls(), kOff);
    EXPECT_TRUE(m_pVdx->SetVideoMode(eVideoModeNone, eVideoMediaTypeVideo));  // not short-cut
    EXPECT_EQ(calls(), kOff);
    EXPECT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypePicture));
    EXPECT_EQ(calls(), kOff);
    EXPECT_EQ(m_pVdx->GetVideoMode(), eVideoModePlay);
    EXPECT_EQ(m_Acquisition.GetDisplaySource(), &m_Live);
    // The same play mode and type again calls nothing; another type switches again.
    EXPECT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypePicture));
    EXPECT_EQ(calls(), "");
    EXPECT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypeVideo));
    EXPECT_EQ(calls(), kOff);
    EXPECT_EQ(KyTestTakeVideoMessages(), 0);
}

TEST_F(KyCCameraVideoVDXModesTest, TheLiveSourceInForceAtEachSwitchIsRouted) {
    ASSERT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    calls();
    // A new source takes effect at the next switch.
    m_pVdx->SetLiveBitmapHandler(&m_Other);
    EXPECT_EQ(calls(), "");
    EXPECT_EQ(m_pVdx->GetVideoMode(), eVideoModePlay);
    EXPECT_TRUE(m_pVdx->SetVideoMode(eVideoModeNone, eVideoMediaTypeNone));
    EXPECT_EQ(calls(), "StopAcquisition(1,0) SetDisplaySource(other)");
    // No source: the mode goes off while the old one is still known, then routing stays.
    ASSERT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    calls();
    m_pVdx->SetLiveBitmapHandler(nullptr);
    EXPECT_EQ(calls(), "StopAcquisition(1,0) SetDisplaySource(other)");
    EXPECT_EQ(m_pVdx->GetVideoMode(), eVideoModeNone);
    EXPECT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    EXPECT_EQ(calls(), "StopAcquisition(1,0)");
}

TEST_F(KyCCameraVideoVDXModesTest, ACameraThatIsNotReadyLeavesNoModeAndFramesWithTheLiveSource) {
    m_Acquisition.SetReady(false);
    ASSERT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    calls();
    EXPECT_FALSE(m_pVdx->SetVideoMode(eVideoModeCamera, eVideoMediaTypePicture));
    const std::string strCalls = calls();
    EXPECT_EQ(strCalls.rfind(kOff, 0), 0u) << strCalls;
    EXPECT_EQ(strCalls.find("StartAcquisition"), std::string::npos) << strCalls;
    EXPECT_EQ(m_Acquisition.GetDisplaySource(), &m_Live);
    EXPECT_EQ(m_pVdx->GetVideoMode(), eVideoModeNone);
    EXPECT_FALSE(m_pVdx->GetState().bWorkerRunning);
    EXPECT_FALSE(m_pVdx->StartVideo());
    EXPECT_EQ(KyTestTakeVideoMessages(), 0);
}

TEST_F(KyCCameraVideoVDXModesTest, StartAndStopInPlayModeNotifyEveryTime) {
    EXPECT_FALSE(m_pVdx->StartVideo());  // no mode: no start, no message
    EXPECT_EQ(KyTestTakeVideoMessages(), 0);
    play("P P");
    EXPECT_FALSE(m_pVdx->StartVideo());  // playback needs a video
    EXPECT_EQ(KyTestTakeVideoMessages(), 1);
    EXPECT_FALSE(m_pVdx->IsRunning());

    ASSERT_TRUE(KyTestWriteMedia(m_Dir.Path(), "P P V"));
    ASSERT_TRUE(m_pVdx->SetFilePath(m_Dir.Path()));
    EXPECT_TRUE(m_pVdx->StartVideo());
    EXPECT_EQ(KyTestTakeVideoMessages(), 1);
    EXPECT_TRUE(m_pVdx->IsRunning());
    EXPECT_TRUE(m_pVdx->GetState().bStarted);
    EXPECT_TRUE(m_pVdx->StartVideo());  // stops first
    EXPECT_EQ(KyTestTakeVideoMessages(), 2);
    EXPECT_TRUE(m_pVdx->StopVideo());
    EXPECT_EQ(KyTestTakeVideoMessages(), 1);
    EXPECT_FALSE(m_pVdx->IsRunning());
    EXPECT_TRUE(m_pVdx->StopVideo());  // nothing runs: no message
    EXPECT_EQ(KyTestTakeVideoMessages(), 0);
    EXPECT_EQ(calls(), "");  // playback touches no acquisition
}

TEST_F(KyCCameraVideoVDXModesTest, EverySwitchStopsRunningPlaybackFirst) {
    play("V P");
    ASSERT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypePicture));
    ASSERT_TRUE(m_pVdx->StartVideo());
    calls();
    KyTestTakeVideoMessages();
    // An unknown mode stops and changes nothing else.
    EXPECT_FALSE(m_pVdx->SetVideoMode(static_cast<ERUXVideoMode>(-2), eVideoMediaTypeVideo));
    EXPECT_FALSE(m_pVdx->IsRunning());
    EXPECT_EQ(KyTestTakeVideoMessages(), 1);
    EXPECT_EQ(calls(), "");
    EXPECT_EQ(m_pVdx->GetVideoMode(), eVideoModePlay);
    EXPECT_EQ(m_pVdx->GetMediaType(eVideoModePlay), eVideoMediaTypePicture);
    EXPECT_EQ(m_pVdx->GetMediaType(static_cast<ERUXVideoMode>(-2)), eVideoMediaTypeNone);

    ASSERT_TRUE(m_pVdx->StartVideo());
    KyTestTakeVideoMessages();
    EXPECT_TRUE(m_pVdx->SetVideoMode(eVideoModeNone, eVideoMediaTypeNone));
    EXPECT_EQ(KyTestTakeVideoMessages(), 1);
    EXPECT_EQ(calls(), kOff);
    ASSERT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    EXPECT_FALSE(m_pVdx->IsRunning());  // playback does not start again by itself
}

TEST_F(KyCCameraVideoVDXModesTest, InitEmptiesCatalogueAndModeButKeepsSourceAndMediaTypes) {
    play("V P V");
    ASSERT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypePicture));
    calls();
    KyICameraVideo& video = *m_pVdx;
    video.Init();
    EXPECT_EQ(calls(), kOff);
    const SCameraVideoState state = m_pVdx->GetState();
    EXPECT_EQ(state.eVideoMode, eVideoModeNone);
    EXPECT_EQ(state.strFilePath, L"");
    EXPECT_TRUE(state.arrCatalogue.empty());
    EXPECT_EQ(KyTestViews(state), "-1/-1/-1");
    EXPECT_EQ(state.ePlayMediaType, eVideoMediaTypePicture);
    EXPECT_TRUE(video.SetVideoMode(eVideoModePlay, eVideoMediaTypeVideo));
    EXPECT_EQ(calls(), kOff);  // the source was kept
}

TEST_F(KyCCameraVideoVDXModesTest, ExitAndTheLastReleaseSwitchTheModeOff) {
    play("V");
    m_pVdx->Exit();
    EXPECT_EQ(calls(), kOff);
    EXPECT_EQ(m_pVdx->GetVideoMode(), eVideoModeNone);
    m_pVdx->Exit();
    EXPECT_EQ(calls(), "");

    CbSmartPointer<KyICameraVideo> pVideo(new KyCCameraVideoVDX());
    CbWeakPointer<KyICameraVideo> pWatch(pVideo);
    pVideo->SetLiveBitmapHandler(&m_Live);
    ASSERT_TRUE(pVideo->SetFilePath(m_Dir.Path()));
    ASSERT_TRUE(pVideo->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    ASSERT_TRUE(pVideo->StartVideo());
    calls();
    KyTestTakeVideoMessages();
    pVideo = nullptr;
    EXPECT_TRUE(pWatch.IsExpired());
    EXPECT_EQ(calls(), kOff);
    EXPECT_EQ(KyTestTakeVideoMessages(), 1);  // the running playback was stopped
}

TEST_F(KyCCameraVideoVDXModesTest, AnswersBothExtensionNamesExactly) {
    const KyCCameraVideoVDX& constVdx = *m_pVdx;
    const IExtensionInterface* pSelf = m_pVdx.get();
    for (const char* pszName : {"RUX.CameraVideo", "RUX.CameraVideoVDX"}) {
        EXPECT_EQ(m_pVdx->GetExtension(pszName, true), pSelf) << pszName;
        EXPECT_EQ(constVdx.GetExtension(pszName, false), pSelf) << pszName;
    }
    for (const char* pszName :
         {"RUX.cameravideovdx", "RUX.CameraVideoVDX ", "", static_cast<const char*>(nullptr)})
        EXPECT_EQ(m_pVdx->GetExtension(pszName, false), nullptr);
    std::string strFunction;
    try {
        constVdx.GetExtension("RUX.Other", true);
    } catch (const CbExceptionUnknownExtension& error) {
        strFunction = error.GetFunction();
        EXPECT_NE(std::string(error.GetFile()).find("KyCCameraVideoVDX"), std::string::npos);
    }
    EXPECT_EQ(strFunction, "KyCCameraVideoVDX::GetExtension");
}
