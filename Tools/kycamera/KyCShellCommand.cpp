// Reading the shell's words for modes and media types.
#include "KyCShellCommand.h"

bool KyCShellCommand::ParseMode(const std::string& strWord, int& nMode) {
    if (strWord == "none")
        nMode = -1;
    else if (strWord == "play")
        nMode = 0;
    else if (strWord == "camera")
        nMode = 1;
    else
        return false;
    return true;
}

bool KyCShellCommand::ParseMediaType(const std::string& strWord, int& nMediaType) {
    if (strWord == "all")
        nMediaType = -1;
    else if (strWord == "video")
        nMediaType = 0;
    else if (strWord == "picture")
        nMediaType = 1;
    else
        return false;
    return true;
}

std::string KyCShellCommand::MediaTypeWord(int nMediaType) {
    return nMediaType == 0 ? "video" : nMediaType == 1 ? "picture" : "all";
}

std::string KyCShellCommand::ModeWord(int nMode) {
    return nMode == 0 ? "play" : nMode == 1 ? "camera" : "none";
}
