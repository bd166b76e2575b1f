// A recording an earlier run left behind as "~video.avi": recovered before anything can delete
// it (the component's SetFilePath and a new recording both do).
#pragma once

#include <string>

class KyCConsole;

class KyCLeftoverVideo {
public:
    // Recovers "~video.avi" in the directory into a time-stamped video and prints what it
    // recovered. When that fails, the leftover is moved aside to a name nothing of the component
    // deletes ("~video-unrecovered-YYYYMMDD-HHMMSS.avi"), and strError names it. True when the
    // directory holds no leftover any more; false (strError says why, nothing was deleted) when
    // it does: then the directory must not be given to SetFilePath. strError is empty when
    // everything was recovered or there was nothing to recover.
    static bool Secure(const std::wstring& strDirectory, KyCConsole& console,
                       std::string& strError);
};
