// Splitting shell lines and reading their words.
#include "KyCShellCommand.h"

std::vector<std::string> KyCShellCommand::Split(const std::string& strLine) {
    std::vector<std::string> vecWords;
    std::string strWord;
    bool bInWord = false, bQuoted = false;
    for (const char c : strLine) {
        if (c == '"') {
            bQuoted = !bQuoted;
            bInWord = true;
        } else if (!bQuoted && (c == ' ' || c == '\t' || c == '\r')) {
            if (bInWord)
                vecWords.push_back(strWord);
            strWord.clear();
            bInWord = false;
        } else {
            strWord += c;
            bInWord = true;
        }
    }
    if (bInWord)
        vecWords.push_back(strWord);
    if (!vecWords.empty() && vecWords[0][0] == '#')
        vecWords.clear();
    return vecWords;
}

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
