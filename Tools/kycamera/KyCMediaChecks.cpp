// Recovery and checks: the host layer's where it has them, a plain look at the bytes otherwise.
#include "KyCMediaChecks.h"

#include <fstream>

#include "KyCFilePath.h"
#include "KyCMediaPath.h"

#if KY_HAVE_MEDIA_CHECKS
#include "KyCMediaFileCheck.h"
#endif

namespace {

[[maybe_unused]] bool checkSize(const std::wstring& strPath, std::string& strReason) {
    if (!KyCFilePath::IsFile(strPath)) {
        strReason = "missing";
        return false;
    }
    if (KyCFilePath::Size(strPath) == 0) {
        strReason = "empty";
        return false;
    }
    return true;
}

}  // namespace

bool KyCMediaChecks::RecoverDirectory(const std::wstring& strDirectory,
                                      std::vector<SRecoveredVideo>& out) {
#if KY_HAVE_MEDIA_CHECKS
    return KyCVideoRecovery::RecoverDirectory(strDirectory, out);
#else
    const std::wstring strLeftover = makeFilePath(strDirectory, kszMediaTempVideo);
    if (!KyCFilePath::IsFile(strLeftover))
        return true;
    SRecoveredVideo video;
    video.strSource = strLeftover;
    video.strReason = "this build cannot recover recordings";
    out.push_back(video);
    return false;
#endif
}

bool KyCMediaChecks::CheckPicture(const std::wstring& strPath, std::string& strReason) {
#if KY_HAVE_MEDIA_CHECKS
    return KyCMediaFileCheck::CheckPicture(strPath, strReason);
#else
    if (!checkSize(strPath, strReason))
        return false;
    std::ifstream file(KyCFilePath::ToPath(strPath), std::ios::binary | std::ios::ate);
    char end[2] = {};
    file.seekg(-2, std::ios::end);
    if (!file.read(end, 2) || end[0] != '\xFF' || end[1] != '\xD9') {
        strReason = "no end marker";
        return false;
    }
    return true;
#endif
}

bool KyCMediaChecks::CheckVideo(const std::wstring& strPath, unsigned& nFrames,
                                std::string& strReason) {
#if KY_HAVE_MEDIA_CHECKS
    return KyCMediaFileCheck::CheckVideo(strPath, nFrames, strReason);
#else
    nFrames = 0;
    return checkSize(strPath, strReason);
#endif
}
