// The device controller's media directory: the scan into the catalogue and the file operations.
#include <algorithm>
#include <ctime>

#include "CException.h"
#include "KyCCameraVideoVDX.h"
#include "KyCMediaPath.h"
#include "KyPlatform.h"

namespace {

// Closes a directory search on every way out, a failed time conversion included.
class KyCFindGuard {
public:
    explicit KyCFindGuard(KyPlatform::KyFindHandle hFind) : m_hFind(hFind) {}
    ~KyCFindGuard() { KyPlatform::FindClose(m_hFind); }
    KyCFindGuard(const KyCFindGuard&) = delete;
    KyCFindGuard& operator=(const KyCFindGuard&) = delete;

private:
    KyPlatform::KyFindHandle m_hFind;
};

// A file's last-write time as catalogue time, the way the framework's time value takes a
// calendar time: via UTC and local calendar time, years before 1900 as 0, years 1900 to 1969
// and impossible fields refused. Throws COleException* (E_INVALIDARG or E_FAIL).
CTime fileTimeToTime(const KyPlatform::KyFileTime& fileTime) {
    KyPlatform::KySystemTime utc;
    KyPlatform::KySystemTime local;
    if (!KyPlatform::FileTimeToSystemTime(fileTime, utc) ||
        !KyPlatform::SystemTimeToTzSpecificLocalTime(utc, local)) {
        AfxThrowOleException(E_INVALIDARG);
    }
    if (local.nYear < 1900)
        return CTime(0);
    if (local.nYear < 1970 || local.nMonth < 1 || local.nMonth > 12 || local.nDay < 1 ||
        local.nDay > 31 || local.nHour < 0 || local.nHour > 23 || local.nMinute < 0 ||
        local.nMinute > 59 || local.nSecond < 0 || local.nSecond > 59) {
        AfxThrowOleException(E_FAIL);
    }
    std::tm fields{};
    fields.tm_year = local.nYear - 1900;
    fields.tm_mon = local.nMonth - 1;
    fields.tm_mday = local.nDay;
    fields.tm_hour = local.nHour;
    fields.tm_min = local.nMinute;
    fields.tm_sec = local.nSecond;
    fields.tm_isdst = -1;  // the runtime decides whether daylight saving applies
    const std::int64_t nTime = KyPlatform::MkTime64(fields);
    if (nTime == -1)
        AfxThrowOleException(E_INVALIDARG);
    return CTime(nTime);
}

// "<separator>*.<ext>": the search suffix of one media type.
std::wstring searchSuffix(const wchar_t* pszDotExt) {
    std::wstring strSuffix(1, KyPlatform::PathSeparator());
    strSuffix += L'*';
    strSuffix += pszDotExt;
    return strSuffix;
}

}  // namespace

bool KyCCameraVideoVDX::SetFilePath(const std::wstring& strPath) {
    CbCriticalSectionLock lock(m_Lock);
    m_strFilePath = strPath;
    removeFile(makeFilePath(m_strFilePath, kszMediaTempVideo));
    removeFile(makeFilePath(m_strFilePath, kszMediaTempPicture));
    createListMediaFiles(m_strFilePath, m_arrMediaFiles);
    setCurrentIndex(eVideoMediaTypeNone, getLastIndex(eVideoMediaTypeNone));
    setCurrentIndex(eVideoMediaTypeVideo, getLastIndex(eVideoMediaTypeVideo));
    setCurrentIndex(eVideoMediaTypePicture, getLastIndex(eVideoMediaTypePicture));
    return true;
}

bool KyCCameraVideoVDX::createListMediaFiles(const std::wstring& strDirectory,
                                             CbArray<SMediaFile>& arrList) {
    arrList.RemoveAll();

    // The patterns are plain concatenations: the directory as the host gave it.
    CbArray<SMediaFile> arrFound;
    addListMediaFiles(eVideoMediaTypeVideo, strDirectory + searchSuffix(kszMediaDotExtVideo),
                      arrFound);
    addListMediaFiles(eVideoMediaTypePicture, strDirectory + searchSuffix(kszMediaDotExtPicture),
                      arrFound);

    // Oldest first; at equal times the order of the search stays, so videos come before
    // pictures. A stable sort gives exactly the order of repeatedly taking the oldest entry
    // nearest the front, in n log n.
    std::stable_sort(arrFound.begin(), arrFound.end(),
                     [](const SMediaFile& a, const SMediaFile& b) { return a.Time < b.Time; });
    for (const SMediaFile& file : arrFound) {
        if (file.strFileName == kszMediaTempVideo || file.strFileName == kszMediaTempPicture)
            continue;
        arrList.Add(file);
    }
    return true;
}

bool KyCCameraVideoVDX::addListMediaFiles(ERUXVideoMediaType eMediaType,
                                          const std::wstring& strPattern,
                                          CbArray<SMediaFile>& arrList) {
    KyPlatform::KyFindData data;
    KyPlatform::KyFindHandle hFind = KyPlatform::FindFirstFileW(strPattern, data);
    if (hFind == nullptr)
        return KyPlatform::GetLastError() == KyPlatform::kErrorFileNotFound;

    KyCFindGuard guard(hFind);
    do {
        if ((data.nAttributes & KyPlatform::kFileAttributeDirectory) != 0)
            continue;
        arrList.Add(SMediaFile{eMediaType, fileTimeToTime(data.ftLastWriteTime), data.strFileName});
    } while (KyPlatform::FindNextFileW(hFind, data));
    return true;
}

bool KyCCameraVideoVDX::removeFile(const std::wstring& strPath) {
    if (strPath.empty())
        return false;
    const std::wstring strRemove = makeFilePath(filePathUnlocked(), kszMediaTempRemove);
    // A leftover of an earlier removal goes first.
    KyPlatform::DeleteFileW(strRemove);
    // Moved out of the way first, so that the name is free at once even when the deletion of
    // the file itself has to wait; a file that cannot be moved is deleted where it is.
    const bool bMoved = KyPlatform::MoveFileW(strPath, strRemove);
    if (KyPlatform::DeleteFileW(bMoved ? strRemove : strPath))
        return true;
    return KyPlatform::GetLastError() == KyPlatform::kErrorFileNotFound;
}

bool KyCCameraVideoVDX::moveFile(const std::wstring& strSource, const std::wstring& strTarget) {
    if (strSource.empty() || strTarget.empty())
        return false;
    return KyPlatform::MoveFileW(strSource, strTarget);
}

bool KyCCameraVideoVDX::copyFile(const std::wstring& strSource, const std::wstring& strTarget) {
    if (strSource.empty() || strTarget.empty())
        return false;
    // An existing target is overwritten.
    return KyPlatform::CopyFileW(strSource, strTarget, false);
}

bool KyCCameraVideoVDX::existsFile(const std::wstring& strPath) const {
    if (strPath.empty())
        return false;
    KyPlatform::KyFindData data;
    KyPlatform::KyFindHandle hFind = KyPlatform::FindFirstFileW(strPath, data);
    if (hFind == nullptr)
        return false;
    KyPlatform::FindClose(hFind);
    return true;
}
