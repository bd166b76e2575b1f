// libFuzzer target: the shell's line splitter on arbitrary bytes, with a round trip of its words.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "KyCShellLine.h"

namespace {

// One word quoted so that the splitter gives it back unchanged; false when it holds both quotes.
bool quote(const std::string& strWord, std::string& strOut) {
    const char cQuote = strWord.find('"') == std::string::npos    ? '"'
                        : strWord.find('\'') == std::string::npos ? '\''
                                                                  : 0;
    if (cQuote == 0)
        return false;
    strOut += cQuote + strWord + cQuote;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    const std::string strLine(reinterpret_cast<const char*>(pData), nSize);
    std::vector<std::string> words;
    std::string strError;
    if (!KyCShellLine::Split(strLine, words, strError)) {
        if (!words.empty() || strError.empty())
            std::abort();
        return 0;
    }
    std::string strJoined;
    for (const std::string& strWord : words) {
        if (strWord.find_first_of(std::string("\0\r\n", 3)) != std::string::npos)
            std::abort();  // a word never holds a line end or a NUL
        if (!quote(strWord, strJoined))
            return 0;
        strJoined += ' ';
    }
    std::vector<std::string> again;
    if (!KyCShellLine::Split(strJoined + "# end\r\n", again, strError) || again != words)
        std::abort();
    return 0;
}
