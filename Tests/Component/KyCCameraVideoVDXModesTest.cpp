// The controller's lifecycle and video modes through the interface: each host call's answer, the
// host acquisition's calls it caused, in order, and the state-changed messages it posted.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "KyTestComponent.h"
#include "KyTestRecordingAcquisition.h"
#include "KyTestTempDir.h"

namespace {

// Live acquisition stopped, frames routed to the live source.
const char* const kOff = "StopAcquisition(1,0) SetDisplaySource(live)";
const char* const kOffOther = "StopAcquisition(1,0) SetDisplaySource(other)";

class KyCCameraVideoVDXModesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_Acquisition.NameSource(&m_Live, "live");
        m_Acquisition.NameSource(&m_Other, "other");
        KyTestTakeVideoMessages();
        m_pVdx = std::make_unique<KyCCameraVideoVDX>();
        m_pVdx->SetLiveBitmapHandler(&m_Live);
        ASSERT_TRUE(m_Acquisition.TakeCalls().empty());  // no mode: nothing to switch off
    }
    void TearDown() override {
        m_pVdx.reset();
        KyTestTakeVideoMessages();
    }

    // "none", "play" with an optional type letter V or P, "camera P", "mode -2", "start",
    // "stop", "source other", "source null", "init", "exit", "unready" (the acquisition's),
    // "destroy". The answer: 1 true, 0 false, -1 for calls without one.
    int call(const std::string& str) {
        if (str == "destroy") {
            m_pVdx.reset();
            return -1;
        }
        KyICameraVideo& video = *m_pVdx;
        const ERUXVideoMediaType eType = str.back() == 'V'   ? eVideoMediaTypeVideo
                                         : str.back() == 'P' ? eVideoMediaTypePicture
                                                             : eVideoMediaTypeNone;
        if (str.rfind("none", 0) == 0)
            return video.SetVideoMode(eVideoModeNone, eType);
        if (str.rfind("play", 0) == 0)
            return video.SetVideoMode(eVideoModePlay, eType);
        if (str.rfind("camera", 0) == 0)
            return video.SetVideoMode(eVideoModeCamera, eType);
        if (str == "mode -2")
            return video.SetVideoMode(static_cast<ERUXVideoMode>(-2), eVideoMediaTypeVideo);
        if (str == "start" || str == "stop")
            return str == "start" ? video.StartVideo() : video.StopVideo();
        if (str == "init")
            video.Init();
        else if (str == "exit")
            video.Exit();
        else if (str == "unready")
            m_Acquisition.SetReady(false);
        else
            video.SetLiveBitmapHandler(str == "source other" ? &m_Other : nullptr);
        return -1;
    }
    // "<mode> <play type>/<camera type> <catalogue size> <running or stopped>".
    std::string state() const {
        if (!m_pVdx)
            return "destroyed";
        const SCameraVideoState state = m_pVdx->GetState();
        const char* const aszModes[] = {"none", "play", "camera"};
        return std::string(aszModes[state.eVideoMode + 1]) + " " + "AVP"[state.ePlayMediaType + 1] +
               "/" + "AVP"[state.eCameraMediaType + 1] + " " +
               std::to_string(state.arrCatalogue.size()) +
               (m_pVdx->IsRunning() ? " running" : " stopped");
    }

    KyTestRecordingAcquisition m_Acquisition;
    KyTestDisplaySource m_Live;
    KyTestDisplaySource m_Other;
    KyTestTempDir m_Dir;
    std::unique_ptr<KyCCameraVideoVDX> m_pVdx;
};

// One host call and what it must cause.
struct SCall {
    const char* pszCall;   // see call()
    int nResult;           // its answer, see call()
    const char* pszCalls;  // the acquisition's calls it made
    int nMessages;         // the state-changed messages it posted
};

struct SModesCase {
    const char* pszName;
    const char* pszPattern;  // the media directory, scanned first (see KyTestWriteMedia)
    std::vector<SCall> arrCalls;
    const char* pszState;  // afterwards, see state()
};

// Failures name the case, not its bytes.
void PrintTo(const SModesCase& c, std::ostream* pOut) {
    *pOut << c.pszName;
}

class KyCCameraVideoVDXCallsTest : public KyCCameraVideoVDXModesTest,
                                   public ::testing::WithParamInterface<SModesCase> {};

const SModesCase kModesCases[] = {
    {"EachSwitchStopsAcquisitionAndRoutesToTheLiveSource",
     "V P",
     {{"none", 1, kOff, 0},
      {"none V", 1, kOff, 0},
      {"play P", 1, kOff, 0},
      {"play P", 1, "", 0},  // the same mode and type: nothing to do
      {"play V", 1, kOff, 0}},
     "play V/V 2 stopped"},
    {"ANewLiveSourceIsRoutedAtTheNextSwitchAndNoneLeavesTheRouting",
     "",
     {{"play", 1, kOff, 0},
      {"source other", -1, "", 0},
      {"none", 1, kOffOther, 0},
      {"source null", -1, kOffOther, 0},
      {"play", 1, "StopAcquisition(1,0)", 0}},
     "play A/V 0 stopped"},
    {"ACameraThatIsNotReadyLeavesNoModeAndFramesWithTheLiveSource",
     "V",
     {{"unready", -1, "", 0},
      {"play", 1, kOff, 0},
      {"camera P", 0, "StopAcquisition(1,0) SetDisplaySource(live) IsAcquisitionReady", 0},
      {"start", 0, "", 0}},
     "none V/V 1 stopped"},
    {"StartInPlayModeNeedsAVideoButAlwaysNotifies",
     "P P",
     {{"start", 0, "", 0}, {"play", 1, kOff, 0}, {"start", 0, "", 1}},
     "play P/V 2 stopped"},
    {"StartWhileRunningStopsFirstAndStopNotifiesOnlyWhileRunning",
     "V",
     {{"play", 1, kOff, 0},
      {"start", 1, "", 1},
      {"start", 1, "", 2},
      {"stop", 1, "", 1},
      {"stop", 1, "", 0}},
     "play V/V 1 stopped"},
    {"AnUnknownModeStopsPlaybackAndChangesNothingElse",
     "V P",
     {{"play P", 1, kOff, 0}, {"start", 1, "", 1}, {"mode -2", 0, "", 1}},
     "play P/V 2 stopped"},
    {"SwitchingOffStopsPlaybackFirst",
     "V",
     {{"play", 1, kOff, 0}, {"start", 1, "", 1}, {"none", 1, kOff, 1}, {"play", 1, kOff, 0}},
     "play V/V 1 stopped"},
    {"InitEmptiesCatalogueAndModeButKeepsSourceAndMediaTypes",
     "V P V",
     {{"play P", 1, kOff, 0}, {"init", -1, kOff, 0}, {"none", 1, kOff, 0}},
     "none P/V 0 stopped"},
    {"ExitSwitchesTheModeOffOnce",
     "V",
     {{"play", 1, kOff, 0}, {"start", 1, "", 1}, {"exit", -1, kOff, 1}, {"exit", -1, "", 0}},
     "none V/V 1 stopped"},
    {"DestructionStopsPlaybackAndSwitchesTheModeOff",
     "V",
     {{"play", 1, kOff, 0}, {"start", 1, "", 1}, {"destroy", -1, kOff, 1}},
     "destroyed"},
};

}  // namespace

TEST_P(KyCCameraVideoVDXCallsTest, AnswersAcquisitionCallsAndMessages) {
    ASSERT_TRUE(KyTestWriteMedia(m_Dir.Path(), GetParam().pszPattern));
    ASSERT_TRUE(m_pVdx->SetFilePath(m_Dir.Path()));
    for (const SCall& c : GetParam().arrCalls) {
        SCOPED_TRACE(c.pszCall);
        EXPECT_EQ(call(c.pszCall), c.nResult);
        EXPECT_EQ(KyTestJoin(m_Acquisition.TakeCalls()), c.pszCalls);
        EXPECT_EQ(KyTestTakeVideoMessages(), c.nMessages);
    }
    EXPECT_EQ(state(), GetParam().pszState);
}

INSTANTIATE_TEST_SUITE_P(Sequences, KyCCameraVideoVDXCallsTest, ::testing::ValuesIn(kModesCases),
                         [](const ::testing::TestParamInfo<SModesCase>& info) {
                             return std::string(info.param.pszName);
                         });
