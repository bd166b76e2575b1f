// The operating system as the host layer and the component see it: Win32-shaped file, time and
// thread services with one POSIX and one Win32 implementation. Nothing else includes
// <windows.h> or <unistd.h>.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "KyHostApi.h"

namespace KyPlatform {

// Win32 error codes, also on POSIX.
enum : unsigned {
    kErrorSuccess = 0,
    kErrorFileNotFound = 2,
    kErrorPathNotFound = 3,
    kErrorAccessDenied = 5,
    kErrorSharingViolation = 32,
    kErrorDiskFull = 112,
    kErrorInvalidName = 123,
    kErrorAlreadyExists = 183,
    kErrorGeneric = 31,  // ERROR_GEN_FAILURE: anything without a closer code
};

const unsigned kFileAttributeDirectory = 0x10;

// 100-nanosecond intervals since 1601-01-01 00:00 UTC, as a Win32 FILETIME.
struct KyFileTime {
    std::uint64_t nTicks = 0;
};

// Calendar time as a Win32 SYSTEMTIME.
struct KySystemTime {
    int nYear = 0;
    int nMonth = 0;  // 1 to 12
    int nDayOfWeek = 0;
    int nDay = 0;
    int nHour = 0;
    int nMinute = 0;
    int nSecond = 0;
    int nMilliseconds = 0;
};

struct KyFindData {
    unsigned nAttributes = 0;
    KyFileTime ftLastWriteTime;
    std::wstring strFileName;  // bare name
};

typedef void* KyFindHandle;  // null: no search

// The calling thread's last error, set by every call below that fails (and only by those).
KYHOST_API unsigned GetLastError();
KYHOST_API void SetLastError(unsigned nError);

// "dir\*.ext" (or "dir/*.ext"): entries of dir whose name ends in ".ext", letter case ignored;
// any other pattern names one file. Null with kErrorFileNotFound when nothing matches,
// kErrorPathNotFound when the directory is missing.
KYHOST_API KyFindHandle FindFirstFileW(const std::wstring& strPattern, KyFindData& data);
KYHOST_API bool FindNextFileW(KyFindHandle hFind, KyFindData& data);
KYHOST_API bool FindClose(KyFindHandle hFind);

// Fails (kErrorAlreadyExists) when the target exists; never replaces it.
KYHOST_API bool MoveFileW(const std::wstring& strFrom, const std::wstring& strTo);
KYHOST_API bool CopyFileW(const std::wstring& strFrom, const std::wstring& strTo,
                          bool bFailIfExists);
// kErrorFileNotFound for a missing file, kErrorPathNotFound for a missing directory on the way.
KYHOST_API bool DeleteFileW(const std::wstring& strPath);
KYHOST_API bool CreateDirectoryW(const std::wstring& strPath);

KYHOST_API bool FileTimeToSystemTime(const KyFileTime& fileTime, KySystemTime& utc);
// UTC calendar time to local calendar time in the current time zone.
KYHOST_API bool SystemTimeToTzSpecificLocalTime(const KySystemTime& utc, KySystemTime& local);

// Seconds since 1970-01-01 00:00 UTC (_time64).
KYHOST_API std::int64_t Time64();
// _localtime64_s: false when the time has no local calendar form.
KYHOST_API bool LocalTime64(std::int64_t nTime, std::tm& out);
// _mktime64 of local calendar fields; -1 on failure. Normalises `fields` like mktime.
KYHOST_API std::int64_t MkTime64(std::tm& fields);

KYHOST_API void Sleep(unsigned nMilliseconds);
// Monotonic clock in nanoseconds, for measuring intervals.
KYHOST_API std::int64_t MonotonicNanoseconds();
// Names the calling thread where the OS allows (Linux keeps 15 characters).
KYHOST_API void SetCurrentThreadName(const std::wstring& strName);

// Path separator of the platform: '\\' on Windows, '/' elsewhere.
KYHOST_API wchar_t PathSeparator();

}  // namespace KyPlatform
