// The platform layer on POSIX (Linux): Win32-shaped file, time and thread services.
#ifndef _GNU_SOURCE
#define _GNU_SOURCE  // renameat2, pthread_setname_np, sched_setaffinity
#endif

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <memory>
#include <thread>
#include <vector>

#include "KyPlatform.h"
#include "KyPlatformFaults.h"
#include "KyPlatformTime.h"
#include "KyStringConvert.h"

namespace KyPlatform {

namespace {

thread_local unsigned t_nLastError = kErrorSuccess;

bool fail(unsigned nError) {
    t_nLastError = nError;
    return false;
}

std::nullptr_t failNull(unsigned nError) {
    t_nLastError = nError;
    return nullptr;
}

// Backslashes count as separators; the name goes to the file system as UTF-8.
std::string toNative(const std::wstring& strPath) {
    std::string str = KyWideToUtf8(strPath);
    std::replace(str.begin(), str.end(), '\\', '/');
    return str;
}

std::string parentOf(const std::string& strPath) {
    size_t nEnd = strPath.size();
    while (nEnd > 1 && strPath[nEnd - 1] == '/')
        --nEnd;
    const size_t nSlash = strPath.rfind('/', nEnd - (nEnd > 0 ? 1 : 0));
    if (nSlash == std::string::npos)
        return ".";
    size_t nParentEnd = nSlash;
    while (nParentEnd > 0 && strPath[nParentEnd - 1] == '/')
        --nParentEnd;
    return nParentEnd == 0 ? "/" : strPath.substr(0, nParentEnd);
}

bool isDirectory(const std::string& strPath) {
    struct stat st;
    return ::stat(strPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// ENOENT means "file not found" when the directory exists, else "path not found".
unsigned missingError(const std::string& strPath) {
    return isDirectory(parentOf(strPath)) ? kErrorFileNotFound : kErrorPathNotFound;
}

unsigned errorFromErrno(int nErrno) {
    switch (nErrno) {
        case ENOENT:
            return kErrorFileNotFound;
        case ENOTDIR:
            return kErrorPathNotFound;
        case EACCES:
        case EPERM:
        case EISDIR:
            return kErrorAccessDenied;
        case EEXIST:
        case ENOTEMPTY:
            return kErrorAlreadyExists;
        case ENOSPC:
        case EDQUOT:
            return kErrorDiskFull;
        case EBUSY:
        case ETXTBSY:
            return kErrorSharingViolation;
        case ENAMETOOLONG:
            return kErrorFilenameTooLong;
        case EINVAL:
            return kErrorInvalidParameter;
        case EROFS:
            return kErrorWriteProtect;
        case EXDEV:
            return kErrorNotSameDevice;
        case EBADF:
        case ESRCH:
            return kErrorInvalidHandle;
        default:
            return kErrorGeneric;
    }
}

// The error of a failed call on strPath, telling a missing file from a missing directory.
unsigned pathError(int nErrno, const std::string& strPath) {
    return nErrno == ENOENT ? missingError(strPath) : errorFromErrno(nErrno);
}

bool failWithFault(KyPlatformFaults::EOperation eOperation, const std::wstring& strPath) {
    const unsigned nError = KyPlatformFaults::Check(eOperation, strPath);
    if (nError == 0)
        return false;
    t_nLastError = nError;
    return true;
}

// Case-insensitive wildcard match: '*' any run of characters, '?' exactly one.
bool matchWildcard(const std::wstring& strPattern, const std::wstring& strName) {
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

// Copies an open file into strTo; returns 0 or a Win32 error. Removes a half-written target.
unsigned copyOpenFile(int nFrom, const struct stat& stFrom, const std::string& strTo,
                      bool bFailIfExists) {
    const int nFlags = O_WRONLY | O_CREAT | O_CLOEXEC | (bFailIfExists ? O_EXCL : O_TRUNC);
    const int nTo = ::open(strTo.c_str(), nFlags, stFrom.st_mode & 0777);
    if (nTo < 0) {
        const int e = errno;
        return e == EEXIST   ? kErrorFileExists
               : e == ENOENT ? kErrorPathNotFound
                             : errorFromErrno(e);
    }
    std::vector<char> buffer(1 << 16);
    unsigned nError = 0;
    for (;;) {
        const ssize_t nRead = ::read(nFrom, buffer.data(), buffer.size());
        if (nRead < 0 && errno == EINTR)
            continue;
        if (nRead < 0) {
            nError = errorFromErrno(errno);
            break;
        }
        if (nRead == 0)
            break;
        for (ssize_t nDone = 0; nDone < nRead && nError == 0;) {
            const ssize_t nWritten =
                ::write(nTo, buffer.data() + nDone, static_cast<size_t>(nRead - nDone));
            if (nWritten < 0 && errno != EINTR)
                nError = errorFromErrno(errno);
            else if (nWritten > 0)
                nDone += nWritten;
        }
        if (nError != 0)
            break;
    }
    // CopyFileW keeps the last-write time.
    const struct timespec times[2] = {stFrom.st_atim, stFrom.st_mtim};
    if (nError == 0 && ::futimens(nTo, times) != 0)
        nError = errorFromErrno(errno);
    if (::close(nTo) != 0 && nError == 0)
        nError = errorFromErrno(errno);
    if (nError != 0)
        ::unlink(strTo.c_str());
    return nError;
}

unsigned copyFile(const std::string& strFrom, const std::string& strTo, bool bFailIfExists) {
    const int nFrom = ::open(strFrom.c_str(), O_RDONLY | O_CLOEXEC);
    if (nFrom < 0)
        return pathError(errno, strFrom);
    struct stat stFrom, stTo;
    unsigned nError = 0;
    if (::fstat(nFrom, &stFrom) != 0) {
        nError = errorFromErrno(errno);
    } else if (S_ISDIR(stFrom.st_mode)) {
        nError = kErrorAccessDenied;
    } else if (::stat(strTo.c_str(), &stTo) == 0 && stTo.st_dev == stFrom.st_dev &&
               stTo.st_ino == stFrom.st_ino) {
        nError = kErrorSharingViolation;  // truncating the target would destroy the source
    } else {
        nError = copyOpenFile(nFrom, stFrom, strTo, bFailIfExists);
    }
    ::close(nFrom);
    return nError;
}

int renameNoReplace(const char* pszFrom, const char* pszTo) {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 28))
    return ::renameat2(AT_FDCWD, pszFrom, AT_FDCWD, pszTo, RENAME_NOREPLACE);
#elif defined(SYS_renameat2)
    return static_cast<int>(::syscall(SYS_renameat2, AT_FDCWD, pszFrom, AT_FDCWD, pszTo, 1u));
#else
    errno = ENOSYS;
    return -1;
#endif
}

// For file systems without RENAME_NOREPLACE: link refuses an existing target atomically.
unsigned moveByLink(const std::string& strFrom, const std::string& strTo) {
    struct stat st;
    if (::lstat(strFrom.c_str(), &st) != 0)
        return pathError(errno, strFrom);
    if (S_ISDIR(st.st_mode)) {
        // Directories cannot be linked; the existence check leaves a small window.
        if (::lstat(strTo.c_str(), &st) == 0)
            return kErrorAlreadyExists;
        return ::rename(strFrom.c_str(), strTo.c_str()) == 0 ? 0 : pathError(errno, strTo);
    }
    if (::link(strFrom.c_str(), strTo.c_str()) != 0)
        return errno == ENOENT ? kErrorPathNotFound : errorFromErrno(errno);
    if (::unlink(strFrom.c_str()) != 0) {
        const int e = errno;
        ::unlink(strTo.c_str());
        return errorFromErrno(e);
    }
    return 0;
}

}  // namespace

unsigned GetLastError() {
    return t_nLastError;
}

void SetLastError(unsigned nError) {
    t_nLastError = nError;
}

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
            if (!matchWildcard(strWildcard, strWide))
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

bool MoveFileW(const std::wstring& strFrom, const std::wstring& strTo) {
    if (failWithFault(KyPlatformFaults::eMove, strFrom) ||
        failWithFault(KyPlatformFaults::eMove, strTo)) {
        return false;
    }
    const std::string strNativeFrom = toNative(strFrom);
    const std::string strNativeTo = toNative(strTo);
    if (renameNoReplace(strNativeFrom.c_str(), strNativeTo.c_str()) == 0)
        return true;
    const int e = errno;
    unsigned nError = 0;
    if (e == EINVAL || e == ENOSYS) {
        nError = moveByLink(strNativeFrom, strNativeTo);
    } else if (e == EXDEV) {
        nError = copyFile(strNativeFrom, strNativeTo, true);
        if (nError == kErrorFileExists)
            nError = kErrorAlreadyExists;
        if (nError == 0 && ::unlink(strNativeFrom.c_str()) != 0) {
            nError = errorFromErrno(errno);
            ::unlink(strNativeTo.c_str());
        }
    } else if (e == ENOENT) {
        struct stat st;
        nError = ::lstat(strNativeFrom.c_str(), &st) != 0 ? missingError(strNativeFrom)
                                                          : kErrorPathNotFound;
    } else {
        nError = errorFromErrno(e);
    }
    return nError == 0 || fail(nError);
}

bool CopyFileW(const std::wstring& strFrom, const std::wstring& strTo, bool bFailIfExists) {
    if (failWithFault(KyPlatformFaults::eCopy, strFrom) ||
        failWithFault(KyPlatformFaults::eCopy, strTo)) {
        return false;
    }
    const unsigned nError = copyFile(toNative(strFrom), toNative(strTo), bFailIfExists);
    return nError == 0 || fail(nError);
}

bool DeleteFileW(const std::wstring& strPath) {
    if (failWithFault(KyPlatformFaults::eDelete, strPath))
        return false;
    const std::string strNative = toNative(strPath);
    if (::unlink(strNative.c_str()) == 0)
        return true;
    return fail(pathError(errno, strNative));
}

bool CreateDirectoryW(const std::wstring& strPath) {
    if (failWithFault(KyPlatformFaults::eCreateDirectory, strPath))
        return false;
    const std::string strNative = toNative(strPath);
    if (::mkdir(strNative.c_str(), 0777) == 0)
        return true;
    const int e = errno;
    return fail(e == ENOENT ? kErrorPathNotFound : errorFromErrno(e));
}

namespace {
struct SFile {
    int nFd;
    std::wstring strPath;  // for the fault seam
};
}  // namespace

KyFileHandle OpenFileForWrite(const std::wstring& strPath) {
    if (failWithFault(KyPlatformFaults::eOpenForWrite, strPath))
        return nullptr;
    const std::string strNative = toNative(strPath);
    const int nFd = ::open(strNative.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (nFd < 0) {
        const int e = errno;
        return failNull(e == ENOENT ? kErrorPathNotFound : errorFromErrno(e));
    }
    return new SFile{nFd, strPath};
}

bool WriteFile(KyFileHandle hFile, const void* pData, std::size_t nBytes) {
    SFile* pFile = static_cast<SFile*>(hFile);
    if (pFile == nullptr || (pData == nullptr && nBytes != 0))
        return fail(pFile == nullptr ? kErrorInvalidHandle : kErrorInvalidParameter);
    if (failWithFault(KyPlatformFaults::eWrite, pFile->strPath))
        return false;
    const char* p = static_cast<const char*>(pData);
    while (nBytes > 0) {
        const ssize_t nWritten = ::write(pFile->nFd, p, nBytes);
        if (nWritten < 0) {
            if (errno == EINTR)
                continue;
            return fail(errorFromErrno(errno));
        }
        p += nWritten;
        nBytes -= static_cast<std::size_t>(nWritten);
    }
    return true;
}

bool CloseFile(KyFileHandle hFile) {
    std::unique_ptr<SFile> pFile(static_cast<SFile*>(hFile));
    if (!pFile)
        return fail(kErrorInvalidHandle);
    return ::close(pFile->nFd) == 0 || fail(errorFromErrno(errno));
}

bool GetFileSize(const std::wstring& strPath, std::uint64_t& nBytes) {
    const std::string strNative = toNative(strPath);
    struct stat st;
    if (::stat(strNative.c_str(), &st) != 0)
        return fail(pathError(errno, strNative));
    nBytes = static_cast<std::uint64_t>(st.st_size);
    return true;
}

bool SetFileLastWriteTime(const std::wstring& strPath, const KyFileTime& fileTime) {
    std::int64_t nSeconds = 0, nNanoseconds = 0;
    if (!KyFileTimeToUnix(fileTime, nSeconds, nNanoseconds))
        return fail(kErrorInvalidParameter);
    const std::string strNative = toNative(strPath);
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(nSeconds);
    times[1].tv_nsec = static_cast<long>(nNanoseconds);
    if (::utimensat(AT_FDCWD, strNative.c_str(), times, 0) != 0)
        return fail(pathError(errno, strNative));
    // Some file systems clamp what they cannot store (ext4: nothing before 1901); a time that
    // did not stick is a failure, coarse granularity (FAT: 2 s) is not.
    struct stat st;
    if (::stat(strNative.c_str(), &st) != 0)
        return fail(pathError(errno, strNative));
    const std::int64_t nStored = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    if (nStored > nSeconds + 2 || nStored < nSeconds - 2)
        return fail(kErrorInvalidParameter);
    return true;
}

bool FileTimeToSystemTime(const KyFileTime& fileTime, KySystemTime& utc) {
    return KyFileTimeToCalendar(fileTime, utc) || fail(kErrorInvalidParameter);
}

bool SystemTimeToTzSpecificLocalTime(const KySystemTime& utc, KySystemTime& local) {
    std::int64_t nSeconds = 0;
    if (!KyCalendarToUnixSeconds(utc, nSeconds))
        return fail(kErrorInvalidParameter);
    const time_t nTime = static_cast<time_t>(nSeconds);
    std::tm tmLocal{};
    if (::localtime_r(&nTime, &tmLocal) == nullptr)
        return fail(kErrorInvalidParameter);
    local.nYear = tmLocal.tm_year + 1900;
    local.nMonth = tmLocal.tm_mon + 1;
    local.nDayOfWeek = tmLocal.tm_wday;
    local.nDay = tmLocal.tm_mday;
    local.nHour = tmLocal.tm_hour;
    local.nMinute = tmLocal.tm_min;
    local.nSecond = tmLocal.tm_sec;
    local.nMilliseconds = utc.nMilliseconds;
    return true;
}

std::int64_t Time64() {
    return static_cast<std::int64_t>(::time(nullptr));
}

bool LocalTime64(std::int64_t nTime, std::tm& out) {
    if (nTime < 0 || nTime > kMaxTime64)
        return false;
    const time_t nValue = static_cast<time_t>(nTime);
    return ::localtime_r(&nValue, &out) != nullptr;
}

std::int64_t MkTime64(std::tm& fields) {
    std::tm copy = fields;
    errno = 0;
    const time_t nTime = ::mktime(&copy);
    if (nTime < 0 || static_cast<std::int64_t>(nTime) > kMaxTime64)
        return -1;
    fields = copy;
    return static_cast<std::int64_t>(nTime);
}

bool SetTimeZoneForTesting(const char* pszTz) {
    if (pszTz == nullptr)
        ::unsetenv("TZ");
    else
        ::setenv("TZ", pszTz, 1);
    ::tzset();
    return true;
}

void Sleep(unsigned nMilliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(nMilliseconds));
}

std::int64_t MonotonicNanoseconds() {
    struct timespec ts;
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

std::uint64_t GetCurrentThreadId() {
    return static_cast<std::uint64_t>(::syscall(SYS_gettid));
}

void SetCurrentThreadName(const std::wstring& strName) {
    std::string str = KyWideToUtf8(strName);
    if (str.size() > 15) {
        size_t nCut = 15;
        while (nCut > 0 && (static_cast<unsigned char>(str[nCut]) & 0xC0) == 0x80)
            --nCut;  // never split a UTF-8 sequence
        str.resize(nCut);
    }
    ::pthread_setname_np(::pthread_self(), str.c_str());
}

std::wstring GetCurrentThreadName() {
    char szName[64] = {};
    if (::pthread_getname_np(::pthread_self(), szName, sizeof(szName)) != 0)
        return std::wstring();
    return KyUtf8ToWide(szName);
}

bool SetThreadPriority(std::uint64_t nThreadId, int nPriority) {
    int nNice = 0;
    switch (nPriority) {
        case -15:
            nNice = 19;
            break;
        case -2:
            nNice = 10;
            break;
        case -1:
            nNice = 5;
            break;
        case 0:
            nNice = 0;
            break;
        case 1:
            nNice = -5;
            break;
        case 2:
            nNice = -10;
            break;
        case 15:
            nNice = -20;
            break;
        default:
            return fail(kErrorInvalidParameter);
    }
    if (::setpriority(PRIO_PROCESS, static_cast<id_t>(nThreadId), nNice) != 0)
        return fail(errorFromErrno(errno));
    return true;
}

bool SetThreadAffinityMask(std::uint64_t nThreadId, std::uintptr_t nMask) {
    nMask &= GetProcessAffinityMask();
    if (nMask == 0)
        return fail(kErrorInvalidParameter);
    cpu_set_t set;
    CPU_ZERO(&set);
    for (unsigned i = 0; i < sizeof(nMask) * 8; ++i) {
        if (nMask & (std::uintptr_t(1) << i))
            CPU_SET(i, &set);
    }
    if (::sched_setaffinity(static_cast<pid_t>(nThreadId), sizeof(set), &set) != 0)
        return fail(errorFromErrno(errno));
    return true;
}

std::uintptr_t GetProcessAffinityMask() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(::getpid(), sizeof(set), &set) != 0)
        return 1;
    std::uintptr_t nMask = 0;
    for (unsigned i = 0; i < sizeof(nMask) * 8; ++i) {
        if (CPU_ISSET(i, &set))
            nMask |= std::uintptr_t(1) << i;
    }
    return nMask;
}

wchar_t PathSeparator() {
    return L'/';
}

}  // namespace KyPlatform
