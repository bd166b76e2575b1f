// Recovering or setting aside the leftover recording.
#include "KyCLeftoverVideo.h"

#include <vector>

#include "KyCConsole.h"
#include "KyCFilePath.h"
#include "KyCMediaPath.h"
#include "KyCVideoRecovery.h"
#include "KyPlatform.h"
#include "KyStringConvert.h"

namespace {

const int kMaxAsideAttempts = 100;

std::string baseName(const std::wstring& strPath) {
    return KyWideToUtf8(KyCFilePath::FromPath(KyCFilePath::ToPath(strPath).filename()));
}

// Moves the leftover to a free "~video-unrecovered-..." name; that name, or empty.
std::wstring moveAside(const std::wstring& strDirectory, const std::wstring& strLeftover) {
    const std::wstring strStamp =
        makeMediaFilename(eVideoMediaTypeVideo, CTime(KyPlatform::Time64()));
    for (int nAttempt = 1; nAttempt <= kMaxAsideAttempts; ++nAttempt) {
        std::wstring strName = L"~video-unrecovered-" + strStamp;
        if (nAttempt > 1)
            strName.insert(strName.size() - 4, L"-" + std::to_wstring(nAttempt));
        const std::wstring strAside = makeFilePath(strDirectory, strName);
        if (KyCFilePath::IsFile(strAside))
            continue;
        return KyPlatform::MoveFileW(strLeftover, strAside) ? strAside : std::wstring();
    }
    return std::wstring();
}

}  // namespace

bool KyCLeftoverVideo::Secure(const std::wstring& strDirectory, KyCConsole& console,
                              std::string& strError) {
    strError.clear();
    const std::wstring strLeftover = makeFilePath(strDirectory, kszMediaTempVideo);
    if (!KyCFilePath::IsFile(strLeftover))
        return true;
    std::vector<SRecoveredVideo> vecDone;
    const bool bClear = KyCVideoRecovery::RecoverDirectory(strDirectory, vecDone);
    for (const SRecoveredVideo& video : vecDone) {
        if (video.bRecovered) {
            console.Line("recovered " + baseName(video.strTarget) + ": " +
                         std::to_string(video.nFrames) + " frames from an interrupted recording");
        }
    }
    if (bClear && !KyCFilePath::IsFile(strLeftover))
        return true;

    std::string strReason = "unknown reason";
    for (const SRecoveredVideo& video : vecDone) {
        if (!video.bRecovered && !video.strReason.empty())
            strReason = video.strReason;
    }
    const std::wstring strAside = moveAside(strDirectory, strLeftover);
    if (strAside.empty()) {
        strError = "an interrupted recording in " + KyWideToUtf8(strLeftover) +
                   " could not be recovered (" + strReason +
                   ") nor moved aside; it stays, and the directory is not used until it is "
                   "moved away";
        return false;
    }
    strError = "an interrupted recording could not be recovered (" + strReason +
               "); it is kept as " + KyWideToUtf8(strAside);
    return true;
}
