// The shell's words for modes and media types.
#pragma once

#include <string>

class KyCShellCommand {
public:
    // "none" -1, "play" 0, "camera" 1; false for anything else.
    static bool ParseMode(const std::string& strWord, int& nMode);
    // "video" 0, "picture" 1, "all" -1; false for anything else.
    static bool ParseMediaType(const std::string& strWord, int& nMediaType);
    // "all", "video", "picture".
    static std::string MediaTypeWord(int nMediaType);
    static std::string ModeWord(int nMode);
};
