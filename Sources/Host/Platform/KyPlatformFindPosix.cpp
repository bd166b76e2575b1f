// The POSIX platform layer's directory search: FindFirstFileW and its companions.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <vector>

#include "KyPlatform.h"
#include "KyPlatformFaults.h"
#include "KyPlatformPosixDetail.h"
#include "KyPlatformTime.h"
#include "KyPlatformWildcard.h"
#include "KyStringConvert.h"

namespace KyPlatform {

using namespace Detail;

namespace {

KyFileTime fileTimeOf(const struct stat& st) {
    return KyFileTimeFromUnix(static_cast<std::int64_t>(st.st_mtim.tv_sec),
                              static_cast<std::int64_t>(st.st_mtim.tv_nsec));
}

KyFindData findDataOf(const std::wstring& strName, const struct stat& st) {
    KyFindData data;
    data.strFileName = strName;
    data.nAttributes = S_ISDIR(st.st_mode) ? kFileAttributeDirectory : kFileAttributeNormal;
    data.ftLastWriteTime = fileTimeOf(st);
    KyPlatformFaults::CheckFindTime(strName, data.ftLastWriteTime.nTicks);
    return data;
}

// A search: every match is read at FindFirstFileW; FindNextFileW hands them out in name order.
struct SFind {
    std::vector<KyFindData> entries;
    size_t nNext = 0;
};

}  // namespace

KyFindHandle FindFirstFileW(const std::wstring& strPattern, KyFindData& data) {
    const std::string strNative = toNative(strPattern);
    if (strNative.empty())
        return failNull(kErrorPathNotFound);
    const size_t nSlash = strNative.rfind('/');
    const std::string strDir = nSlash == std::string::npos ? "."
                               : nSlash == 0               ? "/"
                                                           : strNative.substr(0, nSlash);
    const std::string strName =
        nSlash == std::string::npos ? strNative : strNative.substr(nSlash + 1);
    if (strName.empty())
        return failNull(kErrorFileNotFound);
    auto pFind = std::make_unique<SFind>();
    if (strName.find_first_of("*?") == std::string::npos) {
        struct stat st;
        if (::stat(strNative.c_str(), &st) != 0 && ::lstat(strNative.c_str(), &st) != 0)
            return failNull(pathError(errno, strNative));
        pFind->entries.push_back(findDataOf(KyUtf8ToWide(strName), st));
    } else {
        DIR* pDir = ::opendir(strDir.c_str());
        if (pDir == nullptr) {
            const int e = errno;
            return failNull(e == ENOENT ? kErrorPathNotFound : errorFromErrno(e));
        }
        const std::wstring strWildcard = KyUtf8ToWide(strName);
        while (const struct dirent* pEntry = ::readdir(pDir)) {
            const std::string strEntry = pEntry->d_name;
            if (strEntry == "." || strEntry == "..")
                continue;
            const std::wstring strWide = KyUtf8ToWide(strEntry);
            if (!MatchWildcard(strWildcard, strWide))
                continue;
            struct stat st;
            if (::fstatat(::dirfd(pDir), strEntry.c_str(), &st, 0) != 0 &&
                ::fstatat(::dirfd(pDir), strEntry.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
                continue;  // vanished meanwhile
            }
            pFind->entries.push_back(findDataOf(strWide, st));
        }
        ::closedir(pDir);
        if (pFind->entries.empty())
            return failNull(kErrorFileNotFound);
        std::sort(
            pFind->entries.begin(), pFind->entries.end(),
            [](const KyFindData& a, const KyFindData& b) { return a.strFileName < b.strFileName; });
    }
    data = pFind->entries[0];
    pFind->nNext = 1;
    return pFind.release();
}

bool FindNextFileW(KyFindHandle hFind, KyFindData& data) {
    SFind* pFind = static_cast<SFind*>(hFind);
    if (pFind == nullptr)
        return fail(kErrorInvalidHandle);
    if (pFind->nNext >= pFind->entries.size())
        return fail(kErrorNoMoreFiles);
    data = pFind->entries[pFind->nNext++];
    return true;
}

bool FindClose(KyFindHandle hFind) {
    if (hFind == nullptr)
        return fail(kErrorInvalidHandle);
    delete static_cast<SFind*>(hFind);
    return true;
}

}  // namespace KyPlatform
