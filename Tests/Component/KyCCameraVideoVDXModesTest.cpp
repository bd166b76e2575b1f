// Video modes: the host calls of each switch in order, play mode's current entry, start and stop
// with their state-changed messages.
#include <gtest/gtest.h>

#include <memory>

#include "KyTestComponent.h"
#include "KyTestRecordingAcquisition.h"

namespace {

typedef std::vector<std::string> Calls;

const Calls kStopAndRouteLive = {"StopAcquisition(1,0)", "SetDisplaySource(live)"};

class KyCCameraVideoVDXModesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_Acquisition.Install();
        m_Acquisition.NameSource(&m_LiveSource, "live");
        m_Acquisition.NameSource(&m_OtherSource, "other");
        KyTestTakeVideoMessages();
        m_pVdx = std::make_unique<KyTestCameraVideoVDX>();
        m_pVdx->SetLiveBitmapHandler(&m_LiveSource);
        ASSERT_TRUE(m_Acquisition.TakeCalls().empty());
    }
    void TearDown() override {
        m_pVdx.reset();
        KyTestTakeVideoMessages();
    }

    KyTestRecordingAcquisition m_Acquisition;
    KyTestDisplaySource m_LiveSource;
    KyTestDisplaySource m_OtherSource;
    std::unique_ptr<KyTestCameraVideoVDX> m_pVdx;
};

}  // namespace

TEST_F(KyCCameraVideoVDXModesTest, NoneStopsAcquisitionAndRoutesToTheLiveSourceEveryTime) {
    EXPECT_TRUE(m_pVdx->SetVideoMode(eVideoModeNone, eVideoMediaTypeNone));
    EXPECT_EQ(m_Acquisition.TakeCalls(), kStopAndRouteLive);
    // Asking for no mode again is not short-cut.
    EXPECT_TRUE(m_pVdx->SetVideoMode(eVideoModeNone, eVideoMediaTypeVideo));
    EXPECT_EQ(m_Acquisition.TakeCalls(), kStopAndRouteLive);
    EXPECT_EQ(m_pVdx->GetVideoMode(), eVideoModeNone);
    EXPECT_EQ(KyTestTakeVideoMessages(), 0);
}

TEST_F(KyCCameraVideoVDXModesTest, WithoutALiveSourceTheRoutingStaysAsItWas) {
    KyTestCameraVideoVDX vdx;  // never handed a live source
    EXPECT_TRUE(vdx.SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    EXPECT_EQ(m_Acquisition.TakeCalls(), Calls{"StopAcquisition(1,0)"});
    EXPECT_EQ(vdx.GetVideoMode(), eVideoModePlay);
    EXPECT_FALSE(vdx.setLiveBitmapHandler());
    EXPECT_TRUE(m_Acquisition.TakeCalls().empty());
}

TEST_F(KyCCameraVideoVDXModesTest, PlayStopsAcquisitionThenRoutesToTheLiveSource) {
    EXPECT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    EXPECT_EQ(m_Acquisition.TakeCalls(), kStopAndRouteLive);
    EXPECT_EQ(m_pVdx->GetVideoMode(), eVideoModePlay);
    EXPECT_EQ(m_Acquisition.GetDisplaySource(), &m_LiveSource);
    EXPECT_EQ(KyTestTakeVideoMessages(), 0);
}

TEST_F(KyCCameraVideoVDXModesTest, TheSamePlayModeAndMediaTypeCallsNothing) {
    m_pVdx->AddEntries("V P");
    m_pVdx->SetViews(1, 0, 1);
    ASSERT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypePicture));
    m_Acquisition.TakeCalls();
    EXPECT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypePicture));
    EXPECT_TRUE(m_Acquisition.TakeCalls().empty());
    // Another media type runs the whole switch again.
    EXPECT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypeVideo));
    EXPECT_EQ(m_Acquisition.TakeCalls(), kStopAndRouteLive);
    EXPECT_EQ(m_pVdx->GetMediaType(eVideoModePlay), eVideoMediaTypeVideo);
}

TEST_F(KyCCameraVideoVDXModesTest, CameraThatCannotBePreparedLeavesNoMode) {
    m_Acquisition.SetReady(false);
    ASSERT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    m_Acquisition.TakeCalls();
    EXPECT_FALSE(m_pVdx->SetVideoMode(eVideoModeCamera, eVideoMediaTypePicture));
    // Stopped and routed to the live source first; never routed elsewhere nor started again.
    const Calls calls = m_Acquisition.TakeCalls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(Calls(calls.begin(), calls.begin() + 2), kStopAndRouteLive);
    for (const std::string& strCall : calls) {
        EXPECT_EQ(strCall.find("StartAcquisition"), std::string::npos);
        EXPECT_EQ(strCall.find("SetDisplaySource(unnamed)"), std::string::npos);
    }
    EXPECT_EQ(m_Acquisition.GetDisplaySource(), &m_LiveSource);
    EXPECT_EQ(m_pVdx->GetVideoMode(), eVideoModeNone);
    EXPECT_EQ(m_pVdx->GetMediaType(eVideoModeCamera), eVideoMediaTypeVideo);
    EXPECT_FALSE(m_pVdx->isRecordInitialized());
    EXPECT_FALSE(m_pVdx->initRecord());
    EXPECT_FALSE(m_pVdx->setRecordBitmapHandler());
    EXPECT_FALSE(m_pVdx->StartVideo());
    EXPECT_FALSE(m_pVdx->IsRunning());
    EXPECT_EQ(KyTestTakeVideoMessages(), 0);
}

TEST_F(KyCCameraVideoVDXModesTest, AnUnknownModeStopsRunningVideoAndChangesNothingElse) {
    m_pVdx->AddEntries("V P");
    m_pVdx->SetViews(1, 0, 1);
    ASSERT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypePicture));
    ASSERT_TRUE(m_pVdx->StartVideo());
    ASSERT_TRUE(m_pVdx->IsRunning());
    m_Acquisition.TakeCalls();
    KyTestTakeVideoMessages();

    EXPECT_FALSE(m_pVdx->SetVideoMode(static_cast<ERUXVideoMode>(-2), eVideoMediaTypeVideo));
    EXPECT_FALSE(m_pVdx->IsRunning());
    EXPECT_EQ(KyTestTakeVideoMessages(), 1);  // the stop of the running video
    EXPECT_TRUE(m_Acquisition.TakeCalls().empty());
    EXPECT_EQ(m_pVdx->GetVideoMode(), eVideoModePlay);
    EXPECT_EQ(m_pVdx->GetMediaType(eVideoModePlay), eVideoMediaTypePicture);
    EXPECT_EQ(m_pVdx->GetMediaType(eVideoModeCamera), eVideoMediaTypeVideo);
}

TEST_F(KyCCameraVideoVDXModesTest, SwitchingModesStopsRunningPlaybackFirst) {
    m_pVdx->AddEntries("V");
    ASSERT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    ASSERT_TRUE(m_pVdx->StartVideo());
    KyTestTakeVideoMessages();
    m_Acquisition.TakeCalls();
    EXPECT_TRUE(m_pVdx->SetVideoMode(eVideoModeNone, eVideoMediaTypeNone));
    EXPECT_EQ(KyTestTakeVideoMessages(), 1);
    EXPECT_FALSE(m_pVdx->Started());
    EXPECT_EQ(m_Acquisition.TakeCalls(), kStopAndRouteLive);
}

TEST_F(KyCCameraVideoVDXModesTest, PlayOnAnEmptyListHasNoCurrentEntry) {
    m_pVdx->SetViews(2, 1, 0);  // stale values are overwritten where the rules say
    EXPECT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    EXPECT_EQ(m_pVdx->GetMediaType(eVideoModePlay), eVideoMediaTypeNone);
    EXPECT_EQ(m_pVdx->Views(), "-1/1/0");
    EXPECT_EQ(m_pVdx->getCurrentIndex(eVideoMediaTypeNone), -1);
}

TEST_F(KyCCameraVideoVDXModesTest, PlayForAnyTypeTakesTheNewerOfTheTypeViews) {
    m_pVdx->AddEntries("V P V P P");
    m_pVdx->SetViews(-1, 2, 4);
    EXPECT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    EXPECT_EQ(m_pVdx->GetMediaType(eVideoModePlay), eVideoMediaTypePicture);
    EXPECT_EQ(m_pVdx->Views(), "4/2/4");
}

TEST_F(KyCCameraVideoVDXModesTest, PlayForAnyTypeKeepsTheOverallCurrentEntry) {
    m_pVdx->AddEntries("V P V P P");
    m_pVdx->SetViews(1, 2, 4);
    EXPECT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    EXPECT_EQ(m_pVdx->GetMediaType(eVideoModePlay), eVideoMediaTypePicture);
    EXPECT_EQ(m_pVdx->Views(), "1/2/1");
}

TEST_F(KyCCameraVideoVDXModesTest, PlayForAnyTypeWithoutViewsTakesTheNewestEntry) {
    m_pVdx->AddEntries("P V P V");
    m_pVdx->SetViews(-1, -1, -1);
    EXPECT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    EXPECT_EQ(m_pVdx->GetMediaType(eVideoModePlay), eVideoMediaTypeVideo);
    EXPECT_EQ(m_pVdx->Views(), "3/3/-1");
}

TEST_F(KyCCameraVideoVDXModesTest, PlayForATypeTakesThatTypesView) {
    m_pVdx->AddEntries("V P V P P");
    m_pVdx->SetViews(4, 0, 3);
    EXPECT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypeVideo));
    EXPECT_EQ(m_pVdx->GetMediaType(eVideoModePlay), eVideoMediaTypeVideo);
    EXPECT_EQ(m_pVdx->Views(), "0/0/3");
}

TEST_F(KyCCameraVideoVDXModesTest, PlayForATypeWithoutEntriesClearsTheOverallView) {
    m_pVdx->AddEntries("V V");
    m_pVdx->SetViews(1, 1, -1);
    EXPECT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypePicture));
    EXPECT_EQ(m_pVdx->GetMediaType(eVideoModePlay), eVideoMediaTypeNone);
    EXPECT_EQ(m_pVdx->Views(), "-1/1/-1");
}

TEST_F(KyCCameraVideoVDXModesTest, StartInPlayModeNeedsAVideoButAlwaysNotifies) {
    m_pVdx->AddEntries("P P");
    ASSERT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    EXPECT_FALSE(m_pVdx->StartVideo());
    EXPECT_EQ(KyTestTakeVideoMessages(), 1);
    EXPECT_FALSE(m_pVdx->IsRunning());

    m_pVdx->AddEntries("V");
    EXPECT_TRUE(m_pVdx->StartVideo());
    EXPECT_EQ(KyTestTakeVideoMessages(), 1);
    EXPECT_TRUE(m_pVdx->IsRunning());
    EXPECT_TRUE(m_Acquisition.TakeCalls() == kStopAndRouteLive);  // only the switch itself
}

TEST_F(KyCCameraVideoVDXModesTest, StartWhileRunningStopsFirst) {
    m_pVdx->AddEntries("V");
    ASSERT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    ASSERT_TRUE(m_pVdx->StartVideo());
    KyTestTakeVideoMessages();
    EXPECT_TRUE(m_pVdx->StartVideo());
    EXPECT_EQ(KyTestTakeVideoMessages(), 2);  // stop, then start
    EXPECT_TRUE(m_pVdx->IsRunning());
}

TEST_F(KyCCameraVideoVDXModesTest, StartWithoutAModeNeitherStartsNorNotifies) {
    m_pVdx->AddEntries("V");
    EXPECT_FALSE(m_pVdx->StartVideo());
    EXPECT_EQ(KyTestTakeVideoMessages(), 0);
    EXPECT_FALSE(m_pVdx->IsRunning());
}

TEST_F(KyCCameraVideoVDXModesTest, StopWhenNothingRunsAnswersTrueWithoutMessage) {
    EXPECT_TRUE(m_pVdx->StopVideo());
    ASSERT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    EXPECT_TRUE(m_pVdx->StopVideo());
    EXPECT_EQ(KyTestTakeVideoMessages(), 0);
}

TEST_F(KyCCameraVideoVDXModesTest, StopWhilePlayingNotifiesAndStops) {
    m_pVdx->AddEntries("V");
    ASSERT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    ASSERT_TRUE(m_pVdx->StartVideo());
    KyTestTakeVideoMessages();
    m_Acquisition.TakeCalls();
    EXPECT_TRUE(m_pVdx->StopVideo());
    EXPECT_EQ(KyTestTakeVideoMessages(), 1);
    EXPECT_FALSE(m_pVdx->IsRunning());
    EXPECT_TRUE(m_Acquisition.TakeCalls().empty());
}

TEST_F(KyCCameraVideoVDXModesTest, IsRunningOnlyInPlayMode) {
    m_pVdx->SetStarted(true);
    EXPECT_FALSE(m_pVdx->IsRunning());  // mode -1
    ASSERT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    m_pVdx->SetStarted(true);
    EXPECT_TRUE(m_pVdx->IsRunning());
}

TEST_F(KyCCameraVideoVDXModesTest, NullLiveSourceSwitchesTheModeOffFirst) {
    ASSERT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    m_Acquisition.TakeCalls();
    m_pVdx->SetLiveBitmapHandler(nullptr);
    // The mode went off while the old source was still known.
    EXPECT_EQ(m_Acquisition.TakeCalls(), kStopAndRouteLive);
    EXPECT_EQ(m_pVdx->GetVideoMode(), eVideoModeNone);
    EXPECT_EQ(m_pVdx->LiveSource(), nullptr);
    EXPECT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    EXPECT_EQ(m_Acquisition.TakeCalls(), Calls{"StopAcquisition(1,0)"});
}

TEST_F(KyCCameraVideoVDXModesTest, ANewLiveSourceTakesEffectAtTheNextRouting) {
    ASSERT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    m_Acquisition.TakeCalls();
    m_pVdx->SetLiveBitmapHandler(&m_OtherSource);
    EXPECT_TRUE(m_Acquisition.TakeCalls().empty());
    EXPECT_EQ(m_pVdx->GetVideoMode(), eVideoModePlay);
    EXPECT_TRUE(m_pVdx->SetVideoMode(eVideoModeNone, eVideoMediaTypeNone));
    EXPECT_EQ(m_Acquisition.TakeCalls(),
              (Calls{"StopAcquisition(1,0)", "SetDisplaySource(other)"}));
}

TEST_F(KyCCameraVideoVDXModesTest, CameraHelpersCallTheAcquisition) {
    m_Acquisition.SetStartResult(0);
    EXPECT_TRUE(m_pVdx->startCamera());
    m_Acquisition.SetStartResult(-3);
    EXPECT_FALSE(m_pVdx->startCamera());
    m_Acquisition.SetStopResult(false);
    EXPECT_FALSE(m_pVdx->stopCamera());
    m_Acquisition.SetStopResult(true);
    EXPECT_TRUE(m_pVdx->stopCamera());
    EXPECT_EQ(m_Acquisition.TakeCalls(), (Calls{"StartAcquisition(1)", "StartAcquisition(1)",
                                                "StopAcquisition(1,0)", "StopAcquisition(1,0)"}));
}

TEST_F(KyCCameraVideoVDXModesTest, PlayHelpersOutsidePlayModeStopAndFail) {
    m_pVdx->AddEntries("V P");
    m_pVdx->SetStarted(true);
    EXPECT_FALSE(m_pVdx->startPlay());
    EXPECT_FALSE(m_pVdx->Started());
    m_pVdx->SetStarted(true);
    EXPECT_FALSE(m_pVdx->showPicture());
    EXPECT_FALSE(m_pVdx->Started());
    for (bool (KyTestCameraVideoVDX::*pAction)() :
         {&KyTestCameraVideoVDX::startRecord, &KyTestCameraVideoVDX::stopRecord,
          &KyTestCameraVideoVDX::capturePicture}) {
        m_pVdx->SetStarted(true);
        EXPECT_FALSE((m_pVdx.get()->*pAction)());
        EXPECT_FALSE(m_pVdx->Started());
    }
    EXPECT_TRUE(m_pVdx->exitRecord());
    EXPECT_EQ(KyTestTakeVideoMessages(), 0);
}

TEST_F(KyCCameraVideoVDXModesTest, PlayHelpersInPlayMode) {
    m_pVdx->AddEntries("P");
    ASSERT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    EXPECT_TRUE(m_pVdx->showPicture());
    EXPECT_FALSE(m_pVdx->startPlay());
    EXPECT_FALSE(m_pVdx->Started());
    m_pVdx->AddEntries("V");
    EXPECT_TRUE(m_pVdx->startPlay());
    EXPECT_TRUE(m_pVdx->Started());
    EXPECT_TRUE(m_pVdx->stopPlay());
    EXPECT_FALSE(m_pVdx->Started());
    m_pVdx->SetStarted(true);
    EXPECT_TRUE(m_pVdx->stop());
    EXPECT_FALSE(m_pVdx->Started());
    EXPECT_EQ(KyTestTakeVideoMessages(), 0);
    EXPECT_TRUE(m_pVdx->updateGUI());
    EXPECT_EQ(KyTestTakeVideoMessages(), 1);
}

TEST_F(KyCCameraVideoVDXModesTest, ShowPictureWithoutPictures) {
    m_pVdx->AddEntries("V");
    ASSERT_TRUE(m_pVdx->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone));
    EXPECT_FALSE(m_pVdx->showPicture());
}
