// The operating system as the host layer and the component see it: Win32-shaped file, time and
// thread services with one POSIX and one Win32 implementation. Nothing else includes
// <windows.h> or <unistd.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

#include "KyHostApi.h"

// Paths: on POSIX a backslash in any path argument counts as a separator, so that paths composed
// the Windows way keep working; names are UTF-8 on disk.
namespace KyPlatform {

// Win32 error codes, also on POSIX.
enum : unsigned {
    kErrorSuccess = 0,
    kErrorFileNotFound = 2,
    kErrorPathNotFound = 3,
    kErrorAccessDenied = 5,
    kErrorInvalidHandle = 6,
    kErrorNotSameDevice = 17,
    kErrorNoMoreFiles = 18,
    kErrorWriteProtect = 19,
    kErrorGeneric = 31,  // ERROR_GEN_FAILURE: anything without a closer code
    kErrorSharingViolation = 32,
    kErrorFileExists = 80,  // CopyFileW onto an existing file with bFailIfExists
    kErrorInvalidParameter = 87,
    kErrorDiskFull = 112,
    kErrorInvalidName = 123,
    kErrorAlreadyExists = 183,  // MoveFileW onto an existing file, CreateDirectoryW
    kErrorFilenameTooLong = 206,
};

const unsigned kFileAttributeDirectory = 0x10;
const unsigned kFileAttributeNormal = 0x80;

// 100-nanosecond intervals since 1601-01-01 00:00 UTC, as a Win32 FILETIME.
struct KyFileTime {
    std::uint64_t nTicks = 0;
};

// Calendar time as a Win32 SYSTEMTIME.
struct KySystemTime {
    int nYear = 0;
    int nMonth = 0;      // 1 to 12
    int nDayOfWeek = 0;  // 0 = Sunday
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
typedef void* KyFileHandle;  // null: no file

// The calling thread's last error, set by every call below that fails. A call that succeeds may
// leave any value there (Win32 does), so read it only after a failure.
KYHOST_API unsigned GetLastError();
KYHOST_API void SetLastError(unsigned nError);

// A pattern with a wildcard ('*' any run, '?' one character) in its last component lists the
// entries of that directory whose names match, letter case ignored ("dir\*.avi", "dir/*.avi";
// an empty directory part, "\*.avi", is the root). Directories are listed too, with
// kFileAttributeDirectory; "." and ".." never. A pattern without a wildcard finds that one file
// or directory. Null with kErrorFileNotFound when nothing matches, kErrorPathNotFound when the
// directory is missing.
KYHOST_API KyFindHandle FindFirstFileW(const std::wstring& strPattern, KyFindData& data);
// False with kErrorNoMoreFiles after the last entry.
KYHOST_API bool FindNextFileW(KyFindHandle hFind, KyFindData& data);
KYHOST_API bool FindClose(KyFindHandle hFind);

// A file that this process holds open for writing (OpenFileForWrite, and so the video writer and
// the file stream) can be neither deleted, moved (either side) nor copied over while it is open:
// kErrorSharingViolation, as Windows answers. On POSIX the file is found by its identity, so any
// spelling of its path counts.
// Fails (kErrorAlreadyExists) when the target exists; never replaces it.
KYHOST_API bool MoveFileW(const std::wstring& strFrom, const std::wstring& strTo);
// Keeps the source's last-write time. With bFailIfExists an existing target gives
// kErrorFileExists; a file copied onto itself gives kErrorSharingViolation.
KYHOST_API bool CopyFileW(const std::wstring& strFrom, const std::wstring& strTo,
                          bool bFailIfExists);
// kErrorFileNotFound for a missing file, kErrorPathNotFound for a missing directory on the way,
// kErrorAccessDenied for a directory.
KYHOST_API bool DeleteFileW(const std::wstring& strPath);
KYHOST_API bool CreateDirectoryW(const std::wstring& strPath);

// Binary files: create or truncate, write, close. WriteFile writes all n bytes or fails
// (kErrorDiskFull when the disk is full). CloseFile frees the handle even when it fails.
// Opening a file that this process already holds open for writing fails with
// kErrorSharingViolation.
KYHOST_API KyFileHandle OpenFileForWrite(const std::wstring& strPath);
KYHOST_API bool WriteFile(KyFileHandle hFile, const void* pData, std::size_t nBytes);
// Moves the write position: nOrigin 0 from the start, 1 from the current position, 2 from the
// end. The new position, or -1.
KYHOST_API std::int64_t SeekFile(KyFileHandle hFile, std::int64_t nOffset, int nOrigin);
// True when the file is held open for writing: on POSIX through the host layer by this or
// another process (which holds an advisory flock on it), on Windows by anyone who shares no
// writing. False for a missing file.
KYHOST_API bool IsFileOpenForWrite(const std::wstring& strPath);
// Returns once what was written is on the disk (fdatasync, FlushFileBuffers); on POSIX the first
// call also makes a new file's name durable in its directory.
KYHOST_API bool FlushFileToDisk(KyFileHandle hFile);
KYHOST_API bool CloseFile(KyFileHandle hFile);
KYHOST_API bool GetFileSize(const std::wstring& strPath, std::uint64_t& nBytes);
KYHOST_API bool SetFileLastWriteTime(const std::wstring& strPath, const KyFileTime& fileTime);

// False (kErrorInvalidParameter) for ticks at or above 2^63, as Win32.
KYHOST_API bool FileTimeToSystemTime(const KyFileTime& fileTime, KySystemTime& utc);
// UTC calendar time to local calendar time in the current time zone.
KYHOST_API bool SystemTimeToTzSpecificLocalTime(const KySystemTime& utc, KySystemTime& local);

// Seconds since 1970-01-01 00:00 UTC (_time64).
KYHOST_API std::int64_t Time64();
// _localtime64_s: false for times before 1970-01-01 00:00 UTC or after the year 3000, as the
// Windows runtime; the same on every platform.
KYHOST_API bool LocalTime64(std::int64_t nTime, std::tm& out);
// _mktime64 of local calendar fields; -1 on failure, which includes every result before
// 1970-01-01 00:00 UTC or after the year 3000. Normalises `fields` like mktime on success.
KYHOST_API std::int64_t MkTime64(std::tm& fields);
// Switches the process to a POSIX TZ rule ("CET-1CEST,M3.5.0,M10.5.0/3") for tests of local
// time. Only POSIX follows it; false on Windows, whose zone is the system's.
KYHOST_API bool SetTimeZoneForTesting(const char* pszTz);

KYHOST_API void Sleep(unsigned nMilliseconds);
// Monotonic clock in nanoseconds, for measuring intervals.
KYHOST_API std::int64_t MonotonicNanoseconds();

// The OS id of the calling thread (gettid on Linux).
KYHOST_API std::uint64_t GetCurrentThreadId();
// Names the calling thread where the OS allows (Linux keeps 15 bytes).
KYHOST_API void SetCurrentThreadName(const std::wstring& strName);
// The calling thread's OS name; empty when the OS cannot tell.
KYHOST_API std::wstring GetCurrentThreadName();
// Win32 thread priority values (-15, -2 to 2, 15), applied to a running thread by its OS id.
// On Linux they map to nice values; raising needs the privilege to do so.
KYHOST_API bool SetThreadPriority(std::uint64_t nThreadId, int nPriority);
// The mask is limited to the process's processors first; false when nothing is left.
KYHOST_API bool SetThreadAffinityMask(std::uint64_t nThreadId, std::uintptr_t nMask);
KYHOST_API std::uintptr_t GetProcessAffinityMask();

// The path as C libraries take it (FFmpeg's file protocol, fopen on POSIX): UTF-8, and on
// POSIX with backslashes turned into slashes.
KYHOST_API std::string NativePathUtf8(const std::wstring& strPath);

// Path separator of the platform: '\\' on Windows, '/' elsewhere.
KYHOST_API wchar_t PathSeparator();

}  // namespace KyPlatform
