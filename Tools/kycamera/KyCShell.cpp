// The shell's commands.
#include "KyCShell.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "KyCCataloguePrinter.h"
#include "KyCCatalogueReader.h"
#include "KyCConsole.h"
#include "KyCExitCode.h"
#include "KyCMediaDirectory.h"
#include "KyCMediaPath.h"
#include "KyCMessagePump.h"
#include "KyCRecordProbe.h"
#include "KyCShellCommand.h"
#include "KyICameraVideo.h"
#include "KyStringConvert.h"

namespace {

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
    while (std::getline(in, strLine)) {
        if (bEcho && !KyCShellCommand::Split(strLine).empty())
            m_Console.Line("> " + strLine);
        if (!Execute(strLine))
            break;
    }
    m_Messages.Drain();
    return m_nExitCode;
}

bool KyCShell::Execute(const std::string& strLine) {
    ++m_nLine;
    const std::vector<std::string> vecWords = KyCShellCommand::Split(strLine);
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
    return true;
}

bool KyCShell::SetDirectory(const std::string& strDirectory) {
    std::wstring strAbsolute;
    std::string strError;
    if (!KyCMediaDirectory::Prepare(strDirectory, strAbsolute, strError)) {
        fail(eExitMediaDir, strError);
        return false;
    }
    m_strMediaDir = strAbsolute;
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
    const bool bResult =
        m_Component.SetVideoMode(static_cast<ERUXVideoMode>(nMode), mediaType(nMediaType));
    answer("mode " + KyCShellCommand::ModeWord(nMode) + " " +
               KyCShellCommand::MediaTypeWord(nMediaType),
           bResult);
}

void KyCShell::commandStart() {
    const ERUXVideoMode eMode = m_Component.GetVideoMode();
    const ERUXVideoMediaType eCameraType = m_Component.GetMediaType(eVideoModeCamera);
    int nPictures = 0;
    m_Component.HasData(eVideoMediaTypePicture, &nPictures);
    const bool bResult = m_Component.StartVideo();
    std::string strDetail;
    if (bResult && eMode == eVideoModeCamera && eCameraType == eVideoMediaTypeVideo) {
        strDetail =
            "recording into " + KyWideToUtf8(makeFilePath(m_strMediaDir, kszMediaTempVideo));
    } else if (bResult && eMode == eVideoModeCamera && eCameraType == eVideoMediaTypePicture) {
        strDetail =
            "picture " + KyWideToUtf8(m_Component.GetFileName(eVideoMediaTypePicture, nullptr));
    }
    answer("start", bResult, strDetail);
}

void KyCShell::commandStop() {
    int nVideosBefore = 0, nVideosAfter = 0;
    m_Component.HasData(eVideoMediaTypeVideo, &nVideosBefore);
    const bool bResult = m_Component.StopVideo();
    m_Component.HasData(eVideoMediaTypeVideo, &nVideosAfter);
    answer("stop", bResult,
           nVideosAfter > nVideosBefore
               ? "filed " + KyWideToUtf8(m_Component.GetFileName(eVideoMediaTypeVideo, nullptr))
               : std::string());
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
    std::this_thread::sleep_for(std::chrono::duration<double>(fSeconds));
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
