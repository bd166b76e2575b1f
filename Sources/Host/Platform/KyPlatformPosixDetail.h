// Helpers shared by the POSIX platform files: error codes from errno, the calling thread's last
// error, native path spelling and the fault seam. Internal to the host library.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "KyPlatformFaults.h"

namespace KyPlatform {
namespace Detail {

// Sets the calling thread's last error; returns false (nullptr) for the caller to return.
bool fail(unsigned nError);
std::nullptr_t failNull(unsigned nError);
// True, with the last error set, when the fault seam makes this operation fail.
bool failWithFault(KyPlatformFaults::EOperation eOperation, const std::wstring& strPath);

// Backslashes count as separators; the name goes to the file system as UTF-8.
std::string toNative(const std::wstring& strPath);
std::string parentOf(const std::string& strPath);
bool isDirectory(const std::string& strPath);

// ENOENT means "file not found" when the directory exists, else "path not found".
unsigned missingError(const std::string& strPath);
unsigned errorFromErrno(int nErrno);
// The error of a failed call on strPath, telling a missing file from a missing directory.
unsigned pathError(int nErrno, const std::string& strPath);

// Files open for writing through the host layer (KyPlatformOpenFilesPosix.cpp): while one is
// open, deleting or moving it fails with kErrorSharingViolation, as on Windows.
// Runs the operation (which returns 0 or a Win32 error) unless one of the paths names a file
// held open for writing; kErrorSharingViolation then.
unsigned unlessHeld(const std::string& strFirst, const std::string* pSecond,
                    const std::function<unsigned()>& operation);

}  // namespace Detail
}  // namespace KyPlatform
