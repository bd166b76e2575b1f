// Splitting shell lines into words.
#include "KyCShellLine.h"

bool KyCShellLine::Split(const std::string& strLine, std::vector<std::string>& words,
                         std::string& strError) {
    words.clear();
    size_t nEnd = strLine.size();
    while (nEnd > 0 && (strLine[nEnd - 1] == '\n' || strLine[nEnd - 1] == '\r'))
        --nEnd;
    std::string strWord;
    bool bInWord = false;
    char cQuote = 0;  // the quote that opened the current quoted part, 0 outside quotes
    for (size_t i = 0; i < nEnd; ++i) {
        const char c = strLine[i];
        if (c == '\0' || c == '\n' || c == '\r') {
            words.clear();
            strError = c == '\0' ? "a NUL character in the line" : "a line end inside the line";
            return false;
        }
        if (cQuote != 0) {
            if (c == cQuote)
                cQuote = 0;
            else
                strWord += c;
        } else if (c == '"' || c == '\'') {
            cQuote = c;
            bInWord = true;
        } else if (c == ' ' || c == '\t') {
            if (bInWord)
                words.push_back(strWord);
            strWord.clear();
            bInWord = false;
        } else if (c == '#' && !bInWord) {
            break;
        } else {
            strWord += c;
            bInWord = true;
        }
    }
    if (cQuote != 0) {
        words.clear();
        strError = std::string("a quote (") + cQuote + ") is not closed";
        return false;
    }
    if (bInWord)
        words.push_back(strWord);
    return true;
}
