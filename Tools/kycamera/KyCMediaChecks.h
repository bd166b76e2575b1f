// The host layer's recovery and file checks as this tool uses them, also in a build without them.
#pragma once

#include <string>
#include <vector>

#include "KyCVideoRecovery.h"

// KyCVideoRecovery and KyCMediaFileCheck read media with FFmpeg, which not every build of the
// host layer has (the Windows build, for now). Without it, nothing is recovered (the leftover is
// kept, with the reason) and the checks fall back to what can be seen without decoding: a
// picture that is not empty and ends with the JPEG end marker, a video that is not empty.
class KyCMediaChecks {
public:
    static bool RecoverDirectory(const std::wstring& strDirectory,
                                 std::vector<SRecoveredVideo>& out);
    static bool CheckPicture(const std::wstring& strPath, std::string& strReason);
    static bool CheckVideo(const std::wstring& strPath, unsigned& nFrames, std::string& strReason);
};
