// The POSIX platform layer's error handling: Win32 error codes from errno, the last error.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "KyPlatform.h"
#include "KyPlatformPosixDetail.h"
#include "KyStringConvert.h"

namespace KyPlatform {

namespace {
thread_local unsigned t_nLastError = kErrorSuccess;
}  // namespace

namespace Detail {

bool fail(unsigned nError) {
    t_nLastError = nError;
    return false;
}

std::nullptr_t failNull(unsigned nError) {
    t_nLastError = nError;
    return nullptr;
}

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

}  // namespace Detail

unsigned GetLastError() {
    return t_nLastError;
}

void SetLastError(unsigned nError) {
    t_nLastError = nError;
}

}  // namespace KyPlatform
