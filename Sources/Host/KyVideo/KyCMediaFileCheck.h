// Whether a filed picture or video is whole: what a host checks before it tells a user that a
// file was saved.
#pragma once

#include <string>

#include "KyHostApi.h"

class KYHOST_API KyCMediaFileCheck {
public:
    // A JPEG with a decodable header and its end marker. False with the reason otherwise
    // ("missing", "empty", "no end marker", ...).
    static bool CheckPicture(const std::wstring& strPath, std::string& strReason);
    // An AVI that opens and holds at least one Motion JPEG frame; nFrames counts them.
    static bool CheckVideo(const std::wstring& strPath, unsigned& nFrames, std::string& strReason);
};
