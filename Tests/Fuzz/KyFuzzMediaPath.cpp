// Path composition, normalisation and time-stamped names on any input: no crash, and the rules
// hold (normalising twice changes nothing, one kind of separator, no inner run of them).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "CException.h"
#include "KyCMediaPath.h"

namespace {

#ifdef _WIN32
const wchar_t kSeparator = L'\\', kOther = L'/';
#else
const wchar_t kSeparator = L'/', kOther = L'\\';
#endif

// A byte below 0x80 is that character; the others spread over the whole 16-bit range.
std::wstring wide(const std::uint8_t* p, std::size_t n) {
    std::wstring str;
    for (std::size_t i = 0; i < n; ++i)
        str += p[i] < 0x80 ? wchar_t(p[i]) : wchar_t(0x80 + (p[i] & 0x7F) * 0x1FF);
    return str;
}

void require(bool bHolds) {
    if (!bHolds)
        __builtin_trap();
}

void checkNormalized(const std::wstring& strIn, const std::wstring& strOut) {
    require(normalizePath(strOut) == strOut);
    require(strOut.size() <= strIn.size());
    require(strOut.find(kOther) == std::wstring::npos);
    const std::size_t nLead = strOut.find_first_not_of(kSeparator);
    if (nLead != std::wstring::npos) {
        const std::wstring strDouble(2, kSeparator);
        require(strOut.find(strDouble, nLead) == std::wstring::npos);
    }
}

void checkMediaName(ERUXVideoMediaType eType, std::int64_t nTime) {
    std::wstring strName;
    try {
        strName = makeMediaFilename(eType, CTime(nTime));
    } catch (COleException* pError) {
        pError->Delete();
        return;
    }
    if (eType != eVideoMediaTypeVideo && eType != eVideoMediaTypePicture) {
        require(strName.empty());
        return;
    }
    // "YYYYMMDD-HHMMSS" and the ending: never a separator, never another length.
    require(strName.size() == 19);
    for (std::size_t i = 0; i < 15; ++i)
        require(i == 8 ? strName[i] == L'-' : (strName[i] >= L'0' && strName[i] <= L'9'));
    require(strName.compare(15, 4, eType == eVideoMediaTypeVideo ? L".avi" : L".jpg") == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    if (nSize < 10)
        return 0;
    std::int64_t nTime = 0;
    std::memcpy(&nTime, pData, sizeof(nTime));
    const ERUXVideoMediaType eType = static_cast<ERUXVideoMediaType>(int(pData[8] % 4) - 1);
    // Only well-known seconds also run through the calendar, which is slow far out.
    checkMediaName(eType, nTime % 4102444800);

    const std::size_t nSplit = pData[9] % (nSize - 9);
    const std::wstring strDirectory = wide(pData + 10, nSplit);
    const std::wstring strName = wide(pData + 10 + nSplit, nSize - 10 - nSplit);

    checkNormalized(strDirectory, normalizePath(strDirectory));
    checkNormalized(strName, normalizePath(strName));
    require(makeFilePath(strDirectory, L"").empty());
    require(makeFilePath(L"", strName) == normalizePath(strName));
    if (!strDirectory.empty() && !strName.empty()) {
        const std::wstring strPath = makeFilePath(strDirectory, strName);
        require(strPath == normalizePath(strDirectory + L'\\' + strName));
        checkNormalized(strDirectory + L'\\' + strName, strPath);
    }
    return 0;
}
