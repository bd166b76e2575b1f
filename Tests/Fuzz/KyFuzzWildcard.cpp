// The directory search's pattern matcher on any pattern and name: no crash, no runaway time, and
// the same answer as a plain table-driven matcher.
#include <cstddef>
#include <cstdint>
#include <cwctype>
#include <string>
#include <vector>

#include "KyPlatformWildcard.h"

namespace {

// Bytes below 0x80 are themselves ('*' and '?' included); the others are letters with case.
std::wstring wide(const std::uint8_t* p, std::size_t n) {
    static const wchar_t kOthers[] = L"aAzZ\u00e4\u00c4\u00df\u0130\u0131\u03a3\u03c3\u03c2";
    std::wstring str;
    for (std::size_t i = 0; i < n; ++i)
        str +=
            p[i] < 0x80 ? wchar_t(p[i]) : kOthers[p[i] % (sizeof(kOthers) / sizeof(wchar_t) - 1)];
    return str;
}

// matches[i][j]: the first i pattern characters match the first j name characters.
bool reference(const std::wstring& strPattern, const std::wstring& strName) {
    auto same = [](wchar_t a, wchar_t b) { return std::towlower(a) == std::towlower(b); };
    const std::size_t nP = strPattern.size(), nN = strName.size();
    std::vector<std::vector<char>> matches(nP + 1, std::vector<char>(nN + 1, 0));
    matches[0][0] = 1;
    for (std::size_t i = 1; i <= nP; ++i) {
        const wchar_t c = strPattern[i - 1];
        matches[i][0] = c == L'*' && matches[i - 1][0];
        for (std::size_t j = 1; j <= nN; ++j) {
            if (c == L'*')
                matches[i][j] = matches[i - 1][j] || matches[i][j - 1];
            else
                matches[i][j] = (c == L'?' || same(c, strName[j - 1])) && matches[i - 1][j - 1];
        }
    }
    return matches[nP][nN] != 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    if (nSize < 1 || nSize > 512)
        return 0;
    const std::size_t nSplit = pData[0] % nSize;
    const std::wstring strPattern = wide(pData + 1, nSplit);
    const std::wstring strName = wide(pData + 1 + nSplit, nSize - 1 - nSplit);
    if (KyPlatform::MatchWildcard(strPattern, strName) != reference(strPattern, strName))
        __builtin_trap();
    if (!KyPlatform::MatchWildcard(L"*", strName))
        __builtin_trap();
    return 0;
}
