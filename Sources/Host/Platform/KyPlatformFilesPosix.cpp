// The POSIX platform layer's file operations: move, copy, delete, create, write, file times.
#ifndef _GNU_SOURCE
#define _GNU_SOURCE  // renameat2
#endif

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <vector>

#include "KyPlatform.h"
#include "KyPlatformFaults.h"
#include "KyPlatformPosixDetail.h"
#include "KyPlatformTime.h"

namespace KyPlatform {

using namespace Detail;

namespace {

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

// rename(2) that never replaces, with fallbacks for file systems and devices it cannot serve;
// returns 0 or a Win32 error.
unsigned moveFile(const std::string& strNativeFrom, const std::string& strNativeTo) {
    if (renameNoReplace(strNativeFrom.c_str(), strNativeTo.c_str()) == 0)
        return 0;
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
    return nError;
}

}  // namespace

bool MoveFileW(const std::wstring& strFrom, const std::wstring& strTo) {
    if (failWithFault(KyPlatformFaults::eMove, strFrom) ||
        failWithFault(KyPlatformFaults::eMove, strTo)) {
        return false;
    }
    const std::string strNativeFrom = toNative(strFrom);
    const std::string strNativeTo = toNative(strTo);
    const unsigned nError = unlessHeld(strNativeFrom, &strNativeTo,
                                       [&]() { return moveFile(strNativeFrom, strNativeTo); });
    return nError == 0 || fail(nError);
}

bool CopyFileW(const std::wstring& strFrom, const std::wstring& strTo, bool bFailIfExists) {
    if (failWithFault(KyPlatformFaults::eCopy, strFrom) ||
        failWithFault(KyPlatformFaults::eCopy, strTo)) {
        return false;
    }
    // Truncating a file that is being written would destroy it: refused as Windows refuses it.
    const std::string strNativeFrom = toNative(strFrom);
    const std::string strNativeTo = toNative(strTo);
    const unsigned nError = unlessHeld(strNativeTo, nullptr, [&]() {
        return copyFile(strNativeFrom, strNativeTo, bFailIfExists);
    });
    return nError == 0 || fail(nError);
}

bool DeleteFileW(const std::wstring& strPath) {
    if (failWithFault(KyPlatformFaults::eDelete, strPath))
        return false;
    const std::string strNative = toNative(strPath);
    const unsigned nError = unlessHeld(strNative, nullptr, [&strNative]() -> unsigned {
        return ::unlink(strNative.c_str()) == 0 ? 0 : pathError(errno, strNative);
    });
    return nError == 0 || fail(nError);
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

std::string NativePathUtf8(const std::wstring& strPath) {
    return toNative(strPath);
}

wchar_t PathSeparator() {
    return L'/';
}

}  // namespace KyPlatform
