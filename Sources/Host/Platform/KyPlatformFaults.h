// Test seam of the platform layer: makes file operations fail on chosen paths.
#pragma once

#include <cstdint>
#include <string>

#include "KyHostApi.h"

// Tests cannot rely on permissions (they may run as root) nor fill a disk, so they ask the
// platform layer to fail instead: every operation of the given kinds on a path that ends with
// the suffix (letter case ignored, '/' and '\' alike) fails with the given Win32 error code, as
// many times as asked (0: until cleared). Both platform files call Check before they touch the file
// system.
namespace KyPlatformFaults {

enum EOperation : unsigned {
    eDelete = 1,
    eMove = 2,  // source or target
    eCopy = 4,  // source or target
    eOpenForWrite = 8,
    eWrite = 16,
    eCreateDirectory = 32,
    eFlush = 64,  // FlushFileToDisk
};

// Adds a fault; later faults are looked at first.
KYHOST_API void Inject(unsigned nOperations, const std::wstring& strPathSuffix, unsigned nError,
                       unsigned nTimes = 0);
KYHOST_API void ClearAll();
// The error to fail with for this operation on this path, or 0. Counts the use of a fault.
KYHOST_API unsigned Check(EOperation eOperation, const std::wstring& strPath);
// How many operations the faults made fail since the last ClearAll.
KYHOST_API unsigned GetTriggeredCount();

// Searches (FindFirstFileW, FindNextFileW) report this last-write time, in file-time ticks, for
// entries whose name ends with the suffix: times that no file system stores (before 1901 on
// ext4, or at and above 2^63, which no conversion accepts). Until ClearAll.
KYHOST_API void InjectFindTime(const std::wstring& strNameSuffix, std::uint64_t nTicks);
// For the platform files: true, with the time, when one was injected for this name.
KYHOST_API bool CheckFindTime(const std::wstring& strName, std::uint64_t& nTicks);

}  // namespace KyPlatformFaults
