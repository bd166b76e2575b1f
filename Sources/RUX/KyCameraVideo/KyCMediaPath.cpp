// Path rules and time-stamped names of the media directory.
#include "KyCMediaPath.h"

#include <ctime>
#include <cwchar>

#include "CException.h"
#include "KyPlatform.h"

std::wstring normalizePath(const std::wstring& strPath) {
    const wchar_t cSep = KyPlatform::PathSeparator();
    const wchar_t cOther = cSep == L'/' ? L'\\' : L'/';

    std::wstring s(strPath);
    for (wchar_t& c : s) {
        if (c == cOther)
            c = cSep;
    }
    if (s.find(cSep) == std::wstring::npos)
        return s;

    size_t nLead = 0;
    while (nLead < s.size() && s[nLead] == cSep)
        ++nLead;
    std::wstring strResult(s, 0, nLead);
    std::wstring strPiece;
    for (size_t i = nLead; i < s.size(); ++i) {
        if (s[i] != cSep) {
            strPiece += s[i];
            continue;
        }
        // A piece ended by a separator; an empty one is what a run of separators leaves behind.
        if (!strPiece.empty()) {
            strResult += strPiece;
            strResult += cSep;
            strPiece.clear();
        }
    }
    strResult += strPiece;
    return strResult;
}

std::wstring makeFilePath(const std::wstring& strDirectory, const std::wstring& strName) {
    if (strName.empty())
        return std::wstring();
    if (strDirectory.empty())
        return normalizePath(strName);
    std::wstring strJoined(strDirectory);
    strJoined += KyPlatform::PathSeparator();
    strJoined += strName;
    return normalizePath(strJoined);
}

std::wstring makeMediaFilename(ERUXVideoMediaType eMediaType, const CTime& time) {
    std::tm local{};
    if (!KyPlatform::LocalTime64(time.GetTime(), local))
        AfxThrowOleException(E_INVALIDARG);

    wchar_t szStamp[128];
    std::wstring strStamp;
    if (std::wcsftime(szStamp, sizeof(szStamp) / sizeof(szStamp[0]), L"%Y%m%d-%H%M%S", &local) >
        0) {
        strStamp = szStamp;
    }

    switch (eMediaType) {
        case eVideoMediaTypeVideo:
            return strStamp + kszMediaDotExtVideo;
        case eVideoMediaTypePicture:
            return strStamp + kszMediaDotExtPicture;
        default:
            return std::wstring();
    }
}
