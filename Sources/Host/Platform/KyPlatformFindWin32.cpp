// The Win32 platform layer's directory search: FindFirstFileW and its companions.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <memory>

#include "KyPlatform.h"
#include "KyPlatformFaults.h"
#include "KyPlatformWin32Detail.h"

namespace KyPlatform {

using namespace Detail;

namespace {

bool isDotEntry(const WIN32_FIND_DATAW& fd) {
    return (fd.cFileName[0] == L'.' && fd.cFileName[1] == 0) ||
           (fd.cFileName[0] == L'.' && fd.cFileName[1] == L'.' && fd.cFileName[2] == 0);
}

void convertFindData(const WIN32_FIND_DATAW& fd, KyFindData& data) {
    data.nAttributes = fd.dwFileAttributes;
    data.ftLastWriteTime.nTicks =
        (static_cast<std::uint64_t>(fd.ftLastWriteTime.dwHighDateTime) << 32) |
        fd.ftLastWriteTime.dwLowDateTime;
    data.strFileName = fd.cFileName;
    KyPlatformFaults::CheckFindTime(data.strFileName, data.ftLastWriteTime.nTicks);
}

struct SFind {
    HANDLE hFind;
};

}  // namespace

KyFindHandle FindFirstFileW(const std::wstring& strPattern, KyFindData& data) {
    if (strPattern.empty())
        return failNull(kErrorPathNotFound);
    WIN32_FIND_DATAW fd;
    HANDLE hFind = ::FindFirstFileW(strPattern.c_str(), &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return nullptr;
    // "." and ".." are never listed, as on POSIX.
    while (isDotEntry(fd)) {
        if (!::FindNextFileW(hFind, &fd)) {
            ::FindClose(hFind);
            return failNull(kErrorFileNotFound);
        }
    }
    convertFindData(fd, data);
    return new SFind{hFind};
}

bool FindNextFileW(KyFindHandle hFind, KyFindData& data) {
    SFind* pFind = static_cast<SFind*>(hFind);
    if (pFind == nullptr)
        return fail(kErrorInvalidHandle);
    WIN32_FIND_DATAW fd;
    do {
        if (!::FindNextFileW(pFind->hFind, &fd))
            return false;
    } while (isDotEntry(fd));
    convertFindData(fd, data);
    return true;
}

bool FindClose(KyFindHandle hFind) {
    std::unique_ptr<SFind> pFind(static_cast<SFind*>(hFind));
    if (!pFind)
        return fail(kErrorInvalidHandle);
    return ::FindClose(pFind->hFind) != FALSE;
}

}  // namespace KyPlatform
