// The demo's steps and their checks.
#include "KyCDemo.h"

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "KyCAcquisitionCommon.h"
#include "KyCCamera.h"
#include "KyCCameraWatch.h"
#include "KyCCataloguePrinter.h"
#include "KyCCatalogueReader.h"
#include "KyCConsole.h"
#include "KyCExitCode.h"
#include "KyCFilePath.h"
#include "KyCFreeSecond.h"
#include "KyCInterrupt.h"
#include "KyCLeftoverVideo.h"
#include "KyCLiveDisplay.h"
#include "KyCMediaDirectory.h"
#include "KyCMediaFileCheck.h"
#include "KyCMediaPath.h"
#include "KyCMessagePump.h"
#include "KyCOptions.h"
#include "KyCRecordProbe.h"
#include "KyCWriteStall.h"
#include "KyIAcquisition.h"
#include "KyICameraVideo.h"
#include "KyStringConvert.h"

namespace {

typedef std::chrono::steady_clock Clock;

const unsigned kProgressMs = 250;
// Pictures are named to the second and a second one in the same second is refused.
const unsigned kPictureGapMs = 1100;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

int countOf(const KyICameraVideo& component, ERUXVideoMediaType eMediaType) {
    int nCount = 0;
    component.HasData(eMediaType, &nCount);
    return nCount;
}

}  // namespace

KyCDemo::KyCDemo(KyICameraVideo& component, KyCCamera& camera, KyCCameraWatch& watch,
                 KyCConsole& console, KyCMessagePump& messages)
    : m_Component(component),
      m_Camera(camera),
      m_Watch(watch),
      m_Console(console),
      m_Messages(messages) {}

int KyCDemo::Run(const KyCOptions& options) {
    std::string strError;
    if (!KyCMediaDirectory::Prepare(options.m_strMediaDir, m_strMediaDir, strError)) {
        m_Console.Error(strError);
        return eExitMediaDir;
    }
    m_Console.Line("kycamera demo: " + m_Camera.Describe() + ", media directory " +
                   KyWideToUtf8(m_strMediaDir));
    // SetFilePath deletes a leftover "~video.avi": what it holds is recovered first.
    int nLeftover = eExitOk;
    if (!KyCLeftoverVideo::Secure(m_strMediaDir, m_Console, strError)) {
        m_Console.Error(strError);
        return eExitFiles;
    }
    if (!strError.empty()) {
        m_Console.Error(strError);
        nLeftover = eExitFiles;
    }
    answer("SetFilePath", m_Component.SetFilePath(m_strMediaDir));
    m_Console.Line("  already there: " +
                   KyCCataloguePrinter::FormatCounts(countOf(m_Component, eVideoMediaTypeVideo),
                                                     countOf(m_Component, eVideoMediaTypePicture)));

    std::wstring strVideo, strFirst, strSecond;
    int nResult = record(options, strVideo);
    if (nResult != eExitOk)
        return nResult;
    if (KyCInterrupt::IsRequested())
        return KyCInterrupt::ExitCode();

    if (!answer("SetVideoMode(camera, picture)",
                m_Component.SetVideoMode(eVideoModeCamera, eVideoMediaTypePicture))) {
        m_Console.Error("the component refused to switch to pictures");
        return eExitFailed;
    }
    if ((nResult = capture(1, strFirst)) != eExitOk)
        return nResult;
    std::this_thread::sleep_for(std::chrono::milliseconds(kPictureGapMs));
    if ((nResult = capture(2, strSecond)) != eExitOk)
        return nResult;

    if (!answer("SetVideoMode(play, all)",
                m_Component.SetVideoMode(eVideoModePlay, eVideoMediaTypeNone))) {
        m_Console.Error("the component refused play mode");
        return eExitFailed;
    }
    if ((nResult = showCatalogue()) != eExitOk)
        return nResult;
    nResult = checkFiles(strVideo, strFirst, strSecond);
    return nResult != eExitOk ? nResult : nLeftover;
}

int KyCDemo::record(const KyCOptions& options, std::wstring& strVideo) {
    KyCLiveDisplay& display = RUXComponentFactory::GetBuiltInLiveDisplay();
    const unsigned nShownBefore = display.GetPicturesShown();
    if (!answer("SetVideoMode(camera, video)",
                m_Component.SetVideoMode(eVideoModeCamera, eVideoMediaTypeVideo))) {
        const bool bCamera =
            m_Camera.IsLost() || !RUXComponentFactory::GetAcquisition().IsAcquisitionReady();
        m_Console.Error(bCamera ? "the camera is not ready for camera mode"
                                : "the component refused camera mode");
        return bCamera ? eExitCamera : eExitFailed;
    }
    // The live picture proves that the camera delivers and the component passes frames on.
    if (!display.WaitForPicture(nShownBefore + 1, options.m_nFrameTimeoutMs)) {
        m_Console.Error("the camera delivered no picture within " +
                        std::to_string(options.m_nFrameTimeoutMs) + " ms (" + m_Camera.Describe() +
                        ")");
        return eExitCamera;
    }

    const int nVideosBefore = countOf(m_Component, eVideoMediaTypeVideo);
    const std::wstring strTemporary = makeFilePath(m_strMediaDir, kszMediaTempVideo);
    if (!waitForFreeSecond(eVideoMediaTypeVideo))
        return eExitFiles;
    if (KyCInterrupt::IsRequested()) {
        m_Console.Error(KyCInterrupt::Describe() + " before the recording started");
        return KyCInterrupt::ExitCode();
    }
    if (!answer("StartVideo", m_Component.StartVideo())) {
        m_Console.Error("the recording could not start: cannot write " +
                        KyWideToUtf8(strTemporary));
        return eExitFiles;
    }
    char szSeconds[32];
    std::snprintf(szSeconds, sizeof szSeconds, "%.1f", options.m_fRecordSeconds);
    m_Console.Line(std::string("recording ") + szSeconds + " s into " + KyWideToUtf8(strTemporary));
    const Clock::time_point start = Clock::now();
    KyCRecordStatus status;
    KyCWriteStall stall;
    int nLastSecond = 0;
    while (secondsSince(start) < options.m_fRecordSeconds && !m_Watch.HasHandledLoss() &&
           !KyCInterrupt::IsRequested() && !m_Camera.IsLost() && !stall.IsStalled()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kProgressMs));
        m_Messages.Drain();
        KyCRecordProbe::Read(m_Component, status);
        stall.Sample(secondsSince(start), static_cast<int>(status.nFramesWritten),
                     display.GetPicturesShown());
        // A terminal's progress line is rewritten in place; a log gets one line a second.
        const int nSecond = static_cast<int>(secondsSince(start));
        if (m_Console.IsTerminal() || nSecond > nLastSecond) {
            nLastSecond = nSecond;
            m_Console.Progress(KyCRecordProbe::Format(secondsSince(start), status));
        }
    }
    m_Console.EndProgress();

    if (m_Camera.IsLost()) {
        // The watch files what was recorded; the job ends with the camera's code.
        m_Watch.WaitForHandledLoss(30000);
        return eExitCamera;
    }
    const bool bStopped = m_Component.StopVideo();
    KyCRecordProbe::Read(m_Component, status);
    answer("StopVideo", bStopped);
    if (countOf(m_Component, eVideoMediaTypeVideo) <= nVideosBefore) {
        if (KyCFilePath::IsFile(strTemporary)) {
            m_Console.Error(
                "the recording could not be filed under its time-stamped name; it "
                "stays as " +
                KyWideToUtf8(strTemporary));
        } else {
            m_Console.Error("no video was filed: the camera delivered " +
                            std::to_string(status.nFramesWritten) + " frames");
        }
        return eExitFiles;
    }
    strVideo = m_Component.GetFileName(eVideoMediaTypeVideo, nullptr);
    m_Console.Line("video: " + KyWideToUtf8(strVideo) + " (" +
                   std::to_string(status.nFramesWritten) + " frames, " +
                   KyCCataloguePrinter::FormatSize(KyCFilePath::Size(strVideo)) + ")");
    if (stall.IsStalled()) {
        m_Console.Error(
            "the video file stopped growing after " + std::to_string(status.nFramesWritten) +
            " frames (disk full?); what was written is filed as " + KyWideToUtf8(strVideo));
        return eExitFiles;
    }
    unsigned nFrames = 0;
    std::string strReason;
    if (!KyCMediaFileCheck::CheckVideo(strVideo, nFrames, strReason)) {
        m_Console.Error("the filed video " + KyWideToUtf8(strVideo) + " is incomplete (" +
                        strReason + ")");
        return eExitFiles;
    }
    if (KyCInterrupt::IsRequested()) {
        m_Console.Error(KyCInterrupt::Describe() + "; the recording so far is filed");
        return KyCInterrupt::ExitCode();
    }
    return eExitOk;
}

int KyCDemo::capture(int nNumber, std::wstring& strPicture) {
    const int nBefore = countOf(m_Component, eVideoMediaTypePicture);
    if (!waitForFreeSecond(eVideoMediaTypePicture))
        return eExitFiles;
    const bool bTaken = m_Component.StartVideo();
    answer("StartVideo", bTaken);
    if (!bTaken || countOf(m_Component, eVideoMediaTypePicture) <= nBefore) {
        const std::wstring strTemporary = makeFilePath(m_strMediaDir, kszMediaTempPicture);
        if (KyCFilePath::IsFile(strTemporary)) {
            m_Console.Error("picture " + std::to_string(nNumber) +
                            " could not be filed; it stays as " + KyWideToUtf8(strTemporary));
        } else if (m_Camera.IsLost()) {
            m_Watch.WaitForHandledLoss(30000);
            return eExitCamera;
        } else {
            m_Console.Error("picture " + std::to_string(nNumber) + " could not be written into " +
                            KyWideToUtf8(m_strMediaDir) + " (disk full?)");
        }
        return eExitFiles;
    }
    strPicture = m_Component.GetFileName(eVideoMediaTypePicture, nullptr);
    m_Console.Line("picture " + std::to_string(nNumber) + ": " + KyWideToUtf8(strPicture) + " (" +
                   KyCCataloguePrinter::FormatSize(KyCFilePath::Size(strPicture)) + ")");
    std::string strReason;
    if (!KyCMediaFileCheck::CheckPicture(strPicture, strReason)) {
        m_Console.Error("picture " + std::to_string(nNumber) + " was filed incomplete as " +
                        KyWideToUtf8(strPicture) + " (" + strReason + "; disk full?)");
        return eExitFiles;
    }
    return eExitOk;
}

bool KyCDemo::waitForFreeSecond(int nMediaType) {
    std::wstring strTaken;
    if (KyCFreeSecond::Wait(m_strMediaDir, nMediaType, strTaken))
        return true;
    m_Console.Error("every time-stamped name of the last " +
                    std::to_string(KyCFreeSecond::kMaxWaitMs / 1000) + " s is taken in " +
                    KyWideToUtf8(m_strMediaDir) + " (did the clock go back?)");
    return false;
}

int KyCDemo::showCatalogue() {
    std::vector<KyCCatalogueEntry> vecEntries;
    if (!KyCCatalogueReader::Read(m_Component, vecEntries)) {
        m_Console.Error("the component has no catalogue (not the device controller)");
        return eExitFailed;
    }
    for (const std::string& strLine : KyCCataloguePrinter::Format(vecEntries, m_strMediaDir))
        m_Console.Line(strLine);
    int nPosition = -1;
    const std::wstring strCurrent = m_Component.GetFileName(&nPosition);
    m_Console.Line("current file: " +
                   (strCurrent.empty() ? std::string("(none)") : KyWideToUtf8(strCurrent)));
    return eExitOk;
}

int KyCDemo::checkFiles(const std::wstring& strVideo, const std::wstring& strFirst,
                        const std::wstring& strSecond) {
    std::vector<KyCCatalogueEntry> vecEntries;
    KyCCatalogueReader::Read(m_Component, vecEntries);
    for (const std::wstring& strPath : {strVideo, strFirst, strSecond}) {
        bool bListed = false;
        for (const KyCCatalogueEntry& entry : vecEntries)
            bListed = bListed || entry.strPath == strPath;
        if (!KyCFilePath::IsFile(strPath) || KyCFilePath::Size(strPath) == 0 || !bListed) {
            m_Console.Error("missing after the demo: " + KyWideToUtf8(strPath) +
                            (bListed ? " (listed, but not on disk or empty)" : " (not listed)"));
            return eExitFiles;
        }
    }
    m_Console.Line("demo: done, 1 video and 2 pictures in " + KyWideToUtf8(m_strMediaDir));
    return eExitOk;
}

bool KyCDemo::answer(const std::string& strCall, bool bResult) {
    m_Messages.Drain();
    m_Console.Line(strCall + ": " + (bResult ? "true" : "false"));
    return bResult;
}
