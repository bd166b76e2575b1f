// The search pattern matcher; portable, used by the POSIX directory search.
#include "KyPlatformWildcard.h"

#include <cwctype>

namespace KyPlatform {

bool MatchWildcard(const std::wstring& strPattern, const std::wstring& strName) {
    auto lower = [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); };
    size_t p = 0, n = 0, nStar = std::wstring::npos, nResume = 0;
    while (n < strName.size()) {
        if (p < strPattern.size() &&
            (strPattern[p] == L'?' || lower(strPattern[p]) == lower(strName[n]))) {
            ++p;
            ++n;
        } else if (p < strPattern.size() && strPattern[p] == L'*') {
            nStar = p++;
            nResume = n;
        } else if (nStar != std::wstring::npos) {
            p = nStar + 1;
            n = ++nResume;
        } else {
            return false;
        }
    }
    while (p < strPattern.size() && strPattern[p] == L'*')
        ++p;
    return p == strPattern.size();
}

}  // namespace KyPlatform
