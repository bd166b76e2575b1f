// The shell's commands.
#include "KyCShell.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "KyCAcquisitionCommon.h"
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
#include "KyCRecordProbe.h"
#include "KyCShellCommand.h"
#include "KyCShellLine.h"
#include "KyICameraVideo.h"
#include "KyStringConvert.h"

namespace {

const std::chrono::milliseconds kWaitSlice(50);

// ", recording 2.0 s: 54 written, 3 repeated, 0 dropped, 1 waiting" while a recording runs, the
// same for the last one after it; empty before the first.
std::string recordingStatus(KyICameraVideo& component) {
    KyCRecordStatus status;
    if (!KyCRecordProbe::Read(component, status) ||
        (!status.bRecording && status.nFramesDelivered == 0))
        return std::string();
    char szElapsed[32];
    std::snprintf(szElapsed, sizeof szElapsed, "%.1f s", status.fElapsedS);
    return std::string(status.bRecording ? ", recording " : ", last recording ") + szElapsed +
           ": " + KyCRecordProbe::FormatCounts(status);
}

ERUXVideoMediaType mediaType(int n) {
    return static_cast<ERUXVideoMediaType>(n);
}

}  // namespace

KyCShell::KyCShell(KyICameraVideo& component, KyCConsole& console, KyCMessagePump& messages)
    : m_Component(component), m_Console(console), m_Messages(messages) {}

int KyCShell::Run(std::istream& in, bool bEcho) {
    std::string strLine;
    // A stop request interrupts a blocked read, which ends the loop as the end of input does.
    while (!KyCInterrupt::IsRequested() && std::getline(in, strLine)) {
        std::vector<std::string> vecWords;
        std::string strError;
        if (bEcho && (!KyCShellLine::Split(strLine, vecWords, strError) || !vecWords.empty())) {
            while (!strLine.empty() && strLine.back() == '\r')
                strLine.pop_back();
            m_Console.Line("> " + strLine);
        }
        if (!Execute(strLine))
            break;
    }
    finish();
    m_Messages.Drain();
    return m_nExitCode;
}

bool KyCShell::Execute(const std::string& strLine) {
    ++m_nLine;
    std::vector<std::string> vecWords;
    std::string strError;
    if (!KyCShellLine::Split(strLine, vecWords, strError)) {
        fail(eExitUsage, strError);
        return true;
    }
    if (vecWords.empty())
        return true;
    const std::string& strCommand = vecWords[0];
    const std::vector<std::string> vecArgs(vecWords.begin() + 1, vecWords.end());
    auto noArguments = [&]() {
        if (vecArgs.empty())
            return true;
        fail(eExitUsage, strCommand + " takes no argument");
        return false;
    };

    if (strCommand == "quit" || strCommand == "exit") {
        return !noArguments();
    } else if (strCommand == "help") {
        for (const std::string& strHelp : HelpLines())
            m_Console.Line(strHelp);
    } else if (strCommand == "dir") {
        if (vecArgs.size() != 1)
            fail(eExitUsage, "dir needs one directory (quote it if it has blanks)");
        else
            SetDirectory(vecArgs[0]);
    } else if (strCommand == "mode") {
        commandMode(vecArgs);
    } else if (strCommand == "start") {
        if (noArguments())
            commandStart();
    } else if (strCommand == "stop") {
        if (noArguments())
            commandStop();
    } else if (strCommand == "status") {
        if (noArguments())
            commandStatus();
    } else if (strCommand == "list") {
        if (noArguments())
            commandList();
    } else if (strCommand == "next" || strCommand == "prev") {
        commandStep(vecArgs, strCommand == "next");
    } else if (strCommand == "remove") {
        commandRemove(vecArgs);
    } else if (strCommand == "path") {
        commandPath(vecArgs);
    } else if (strCommand == "wait") {
        commandWait(vecArgs);
    } else {
        fail(eExitUsage, "unknown command '" + strCommand + "' (try help)");
    }
    return !KyCInterrupt::IsRequested();
}

bool KyCShell::SetDirectory(const std::string& strDirectory) {
    if (isRecording()) {
        fail(eExitFailed, "dir: refused while a recording runs into " +
                              KyWideToUtf8(m_strMediaDir) + "; stop it first");
        return false;
    }
    std::wstring strAbsolute;
    std::string strError;
    if (!KyCMediaDirectory::Prepare(strDirectory, strAbsolute, strError)) {
        m_bMediaDirUsable = false;
        fail(eExitMediaDir, strError);
        return false;
    }
    // SetFilePath deletes a leftover "~video.avi": what it holds is recovered first.
    if (!KyCLeftoverVideo::Secure(strAbsolute, m_Console, strError)) {
        m_bMediaDirUsable = false;
        fail(eExitFiles, strError);
        return false;
    }
    if (!strError.empty())
        fail(eExitFiles, strError);
    m_strMediaDir = strAbsolute;
    m_bMediaDirUsable = true;
    const bool bResult = m_Component.SetFilePath(strAbsolute);
    int nVideos = 0, nPictures = 0;
    m_Component.HasData(eVideoMediaTypeVideo, &nVideos);
    m_Component.HasData(eVideoMediaTypePicture, &nPictures);
    answer("dir " + KyWideToUtf8(strAbsolute), bResult,
           KyCCataloguePrinter::FormatCounts(nVideos, nPictures));
    return true;
}

std::vector<std::string> KyCShell::HelpLines() {
    return {
        "commands (TYPE is video, picture or all):",
        "  dir PATH                     set the media directory (created if missing)",
        "  mode none|play|camera [TYPE] switch the video mode and its media type",
        "  start | stop                 record or capture (camera), mark playback (play)",
        "  status                       mode, media types, running, file counts, recording",
        "  list                         the catalogue with the current file of each view",
        "  next [TYPE] | prev [TYPE]    step the view of TYPE (default all)",
        "  remove [TYPE]                delete the current file (default: play mode's type)",
        "  path [TYPE]                  the current file (default: play mode's type)",
        "  wait SECONDS                 pause a script (0 to 3600), e.g. while recording",
        "  help | quit",
        "'#' starts a comment; 'single' or \"double\" quotes keep blanks in a word",
    };
}

void KyCShell::commandMode(const std::vector<std::string>& vecArgs) {
    int nMode = 0, nMediaType = -1;
    if (vecArgs.empty() || vecArgs.size() > 2 || !KyCShellCommand::ParseMode(vecArgs[0], nMode)) {
        fail(eExitUsage, "mode needs none, play or camera, then optionally video, picture or all");
        return;
    }
    if (vecArgs.size() == 2 && !KyCShellCommand::ParseMediaType(vecArgs[1], nMediaType)) {
        fail(eExitUsage, "mode " + vecArgs[0] + ": media type must be video, picture or all");
        return;
    }
    // Leaving camera video ends the recording: stopped here, so that it is filed and checked.
    if (isRecording() && (nMode != eVideoModeCamera || nMediaType != eVideoMediaTypeVideo))
        commandStop();
    const bool bResult =
        m_Component.SetVideoMode(static_cast<ERUXVideoMode>(nMode), mediaType(nMediaType));
    answer("mode " + KyCShellCommand::ModeWord(nMode) + " " +
               KyCShellCommand::MediaTypeWord(nMediaType),
           bResult);
}

void KyCShell::commandStart() {
    const ERUXVideoMode eMode = m_Component.GetVideoMode();
    const ERUXVideoMediaType eCameraType = m_Component.GetMediaType(eVideoModeCamera);
    const bool bVideo = eMode == eVideoModeCamera && eCameraType == eVideoMediaTypeVideo;
    const bool bPicture = eMode == eVideoModeCamera && eCameraType == eVideoMediaTypePicture;
    if (bVideo || bPicture) {
        if (!haveMediaDirectory("start"))
            return;
        if (bVideo && isRecording())
            commandStop();  // the component would file it unchecked
        std::string strError;
        if (bVideo && !KyCLeftoverVideo::Secure(m_strMediaDir, m_Console, strError)) {
            fail(eExitFiles, "start: refused: " + strError);
            return;
        }
        if (!strError.empty())
            fail(eExitFiles, strError);
        std::wstring strTaken;
        const bool bFree = KyCFreeSecond::Wait(m_strMediaDir, eCameraType, strTaken);
        if (!bFree) {
            fail(eExitFiles, "start: refused: every time-stamped name of the last " +
                                 std::to_string(KyCFreeSecond::kMaxWaitMs / 1000) +
                                 " s is taken in " + KyWideToUtf8(m_strMediaDir) +
                                 " (did the clock go back?)");
            return;
        }
        if (!strTaken.empty())
            m_Console.Line("start: waited for a new second (" + KyWideToUtf8(strTaken) +
                           " is taken)");
    }
    int nPictures = 0, nPicturesAfter = 0;
    m_Component.HasData(eVideoMediaTypePicture, &nPictures);
    const bool bResult = m_Component.StartVideo();
    m_Component.HasData(eVideoMediaTypePicture, &nPicturesAfter);
    const std::wstring strTemporary =
        makeFilePath(m_strMediaDir, bVideo ? kszMediaTempVideo : kszMediaTempPicture);
    if (bVideo) {
        answer("start", bResult,
               bResult ? "recording into " + KyWideToUtf8(strTemporary) : std::string());
        m_Stall = KyCWriteStall();
        m_RecordStart = std::chrono::steady_clock::now();
        if (!bResult)
            fail(eExitFiles,
                 "the recording could not start: cannot write " + KyWideToUtf8(strTemporary));
    } else if (bPicture) {
        const bool bFiled = bResult && nPicturesAfter > nPictures;
        const std::wstring strPicture =
            bFiled ? m_Component.GetFileName(eVideoMediaTypePicture, nullptr) : std::wstring();
        answer("start", bResult, bFiled ? "picture " + KyWideToUtf8(strPicture) : std::string());
        if (bFiled)
            checkPicture(strPicture);
        else if (KyCFilePath::IsFile(strTemporary))
            fail(eExitFiles,
                 "the picture could not be filed; it stays as " + KyWideToUtf8(strTemporary));
        else
            fail(eExitFiles, "no picture was written into " + KyWideToUtf8(m_strMediaDir) +
                                 " (no camera picture, or disk full?)");
    } else {
        answer("start", bResult);
    }
}

void KyCShell::commandStop() {
    const bool bRecording = isRecording();
    const bool bStalled = m_Stall.IsStalled();
    int nVideosBefore = 0, nVideosAfter = 0;
    m_Component.HasData(eVideoMediaTypeVideo, &nVideosBefore);
    KyCRecordStatus status;
    KyCRecordProbe::Read(m_Component, status);
    const bool bResult = m_Component.StopVideo();
    m_Component.HasData(eVideoMediaTypeVideo, &nVideosAfter);
    const bool bFiled = nVideosAfter > nVideosBefore;
    const std::wstring strVideo =
        bFiled ? m_Component.GetFileName(eVideoMediaTypeVideo, nullptr) : std::wstring();
    answer("stop", bResult, bFiled ? "filed " + KyWideToUtf8(strVideo) : std::string());
    if (!bRecording)
        return;
    const std::wstring strTemporary = makeFilePath(m_strMediaDir, kszMediaTempVideo);
    if (!bFiled) {
        if (KyCFilePath::IsFile(strTemporary))
            fail(eExitFiles,
                 "the recording could not be filed under its time-stamped name; it "
                 "stays as " +
                     KyWideToUtf8(strTemporary));
        else if (status.nFramesWritten > 0)
            fail(eExitFiles, "the recording of " + std::to_string(status.nFramesWritten) +
                                 " frames is lost: " + KyWideToUtf8(strTemporary) + " is gone");
        else
            fail(eExitFiles, "no video was filed: the camera delivered no frame");
        return;
    }
    unsigned nFrames = 0;
    std::string strReason;
    if (bStalled) {
        fail(eExitFiles,
             "the video file stopped growing after " + std::to_string(status.nFramesWritten) +
                 " frames (disk full?); what was written is filed as " + KyWideToUtf8(strVideo));
    } else if (!KyCMediaFileCheck::CheckVideo(strVideo, nFrames, strReason)) {
        fail(eExitFiles,
             "the filed video " + KyWideToUtf8(strVideo) + " is incomplete (" + strReason + ")");
    }
}

void KyCShell::checkPicture(const std::wstring& strPath) {
    std::string strReason;
    if (!KyCMediaFileCheck::CheckPicture(strPath, strReason))
        fail(eExitFiles, "the picture " + KyWideToUtf8(strPath) + " is incomplete (" + strReason +
                             "; disk full?)");
}

bool KyCShell::haveMediaDirectory(const std::string& strCall) {
    if (m_bMediaDirUsable)
        return true;
    fail(eExitMediaDir, strCall + ": refused: no usable media directory (give one with dir PATH)");
    return false;
}

bool KyCShell::isRecording() const {
    return m_Component.GetVideoMode() == eVideoModeCamera &&
           m_Component.GetMediaType(eVideoModeCamera) == eVideoMediaTypeVideo &&
           m_Component.IsRunning();
}

void KyCShell::watchRecording() {
    if (!isRecording())
        return;
    KyCRecordStatus status;
    KyCRecordProbe::Read(m_Component, status);
    const double fElapsedS =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - m_RecordStart).count();
    m_Stall.Sample(fElapsedS, static_cast<int>(status.nFramesWritten),
                   RUXComponentFactory::GetBuiltInLiveDisplay().GetPicturesShown());
    if (m_Stall.IsStalled())
        commandStop();
}

void KyCShell::finish() {
    const bool bRecording = isRecording();
    if (bRecording)
        commandStop();
    if (!KyCInterrupt::IsRequested())
        return;
    m_Console.Error(KyCInterrupt::Describe() +
                    (bRecording ? "; the recording so far is stopped and filed" : std::string()));
    if (m_nExitCode != eExitFiles)
        m_nExitCode = KyCInterrupt::ExitCode();
}

void KyCShell::commandStatus() {
    int nVideos = 0, nPictures = 0;
    m_Component.HasData(eVideoMediaTypeVideo, &nVideos);
    m_Component.HasData(eVideoMediaTypePicture, &nPictures);
    m_Console.Line("status: mode " + KyCShellCommand::ModeWord(m_Component.GetVideoMode()) +
                   ", play media type " +
                   KyCCataloguePrinter::TypeName(m_Component.GetMediaType(eVideoModePlay)) +
                   ", camera media type " +
                   KyCCataloguePrinter::TypeName(m_Component.GetMediaType(eVideoModeCamera)) +
                   ", running " + (m_Component.IsRunning() ? "yes" : "no") + ", files " +
                   KyCCataloguePrinter::FormatCounts(nVideos, nPictures) +
                   recordingStatus(m_Component));
}

void KyCShell::commandList() {
    std::vector<KyCCatalogueEntry> vecEntries;
    if (!KyCCatalogueReader::Read(m_Component, vecEntries)) {
        m_Console.Line("list: the component has no catalogue");
        return;
    }
    for (const std::string& strLine : KyCCataloguePrinter::Format(vecEntries, m_strMediaDir))
        m_Console.Line(strLine);
}

void KyCShell::commandStep(const std::vector<std::string>& vecArgs, bool bForward) {
    const char* pszName = bForward ? "next" : "prev";
    int nMediaType = -1;
    if (vecArgs.size() > 1 ||
        (vecArgs.size() == 1 && !KyCShellCommand::ParseMediaType(vecArgs[0], nMediaType))) {
        fail(eExitUsage, std::string(pszName) + " takes video, picture or all");
        return;
    }
    const bool bResult = bForward ? m_Component.NextFile(mediaType(nMediaType))
                                  : m_Component.PreviousFile(mediaType(nMediaType));
    answer(std::string(pszName) + " " + KyCShellCommand::MediaTypeWord(nMediaType), bResult,
           describeCurrent(nMediaType));
}

void KyCShell::commandRemove(const std::vector<std::string>& vecArgs) {
    int nMediaType = -1;
    if (vecArgs.size() > 1 ||
        (vecArgs.size() == 1 && !KyCShellCommand::ParseMediaType(vecArgs[0], nMediaType))) {
        fail(eExitUsage, "remove takes video, picture or all");
        return;
    }
    if (!haveMediaDirectory("remove"))
        return;
    const std::wstring strBefore = vecArgs.empty()
                                       ? m_Component.GetFileName(nullptr)
                                       : m_Component.GetFileName(mediaType(nMediaType), nullptr);
    const bool bResult =
        vecArgs.empty() ? m_Component.RemoveFile() : m_Component.RemoveFile(mediaType(nMediaType));
    answer(vecArgs.empty() ? std::string("remove")
                           : "remove " + KyCShellCommand::MediaTypeWord(nMediaType),
           bResult, bResult ? "removed " + KyWideToUtf8(strBefore) : std::string());
}

void KyCShell::commandPath(const std::vector<std::string>& vecArgs) {
    int nMediaType = -1;
    if (vecArgs.size() > 1 ||
        (vecArgs.size() == 1 && !KyCShellCommand::ParseMediaType(vecArgs[0], nMediaType))) {
        fail(eExitUsage, "path takes video, picture or all");
        return;
    }
    int nPosition = -1;
    const std::wstring strPath = vecArgs.empty()
                                     ? m_Component.GetFileName(&nPosition)
                                     : m_Component.GetFileName(mediaType(nMediaType), &nPosition);
    const int nType = vecArgs.empty() ? m_Component.GetMediaType(eVideoModePlay) : nMediaType;
    m_Console.Line((vecArgs.empty() ? std::string("path") : "path " + vecArgs[0]) + ": " +
                   (strPath.empty()
                        ? std::string("(none)")
                        : KyWideToUtf8(strPath) + " (" + KyCShellCommand::MediaTypeWord(nType) +
                              " position " + std::to_string(nPosition) + ")"));
}

void KyCShell::commandWait(const std::vector<std::string>& vecArgs) {
    char* pEnd = nullptr;
    const double fSeconds = vecArgs.size() == 1 ? std::strtod(vecArgs[0].c_str(), &pEnd) : -1.0;
    if (vecArgs.size() != 1 || !pEnd || *pEnd != '\0' || !(fSeconds >= 0.0) || fSeconds > 3600) {
        fail(eExitUsage, "wait needs seconds from 0 to 3600");
        return;
    }
    // In slices: a stop request ends the wait, and a recording that stopped growing is noticed.
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                              std::chrono::duration<double>(fSeconds));
    while (!KyCInterrupt::IsRequested()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            break;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(deadline - now, kWaitSlice));
        m_Messages.Drain();
        watchRecording();
    }
    m_Messages.Drain();
}

void KyCShell::answer(const std::string& strCall, bool bResult, const std::string& strDetail) {
    m_Messages.Drain();
    m_Console.Line(strCall + ": " + (bResult ? "true" : "false") +
                   (strDetail.empty() ? std::string() : ", " + strDetail));
}

std::string KyCShell::describeCurrent(int nMediaType) const {
    int nPosition = -1, nCount = 0;
    const std::wstring strPath = m_Component.GetFileName(mediaType(nMediaType), &nPosition);
    m_Component.HasData(mediaType(nMediaType), &nCount);
    if (strPath.empty())
        return "no current " + KyCShellCommand::MediaTypeWord(nMediaType);
    return "now " + KyWideToUtf8(strPath) + " (" + KyCShellCommand::MediaTypeWord(nMediaType) +
           " " + std::to_string(nPosition + 1) + " of " + std::to_string(nCount) + ")";
}

void KyCShell::fail(int nExitCode, const std::string& strText) {
    m_nExitCode = nExitCode;
    m_Console.Error(m_nLine > 0 ? "line " + std::to_string(m_nLine) + ": " + strText : strText);
}
