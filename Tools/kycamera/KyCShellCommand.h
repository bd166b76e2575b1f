// One line of the shell split into its command and arguments, and the words for modes and types.
#pragma once

#include <string>
#include <vector>

class KyCShellCommand {
public:
    // Words separated by blanks; "quoted words" keep their blanks. Empty for an empty line or a
    // comment (a first word starting with '#').
    static std::vector<std::string> Split(const std::string& strLine);

    // "none" -1, "play" 0, "camera" 1; false for anything else.
    static bool ParseMode(const std::string& strWord, int& nMode);
    // "video" 0, "picture" 1, "all" -1; false for anything else.
    static bool ParseMediaType(const std::string& strWord, int& nMediaType);
    // "all", "video", "picture".
    static std::string MediaTypeWord(int nMediaType);
    static std::string ModeWord(int nMode);
};
