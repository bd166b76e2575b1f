// The Win32 platform layer's file operations: move, copy, delete, create, write, file times.
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
#include "KyStringConvert.h"

namespace KyPlatform {

using namespace Detail;

namespace {

struct SFile {
    HANDLE hFile;
    std::wstring strPath;  // for the fault seam
};

FILETIME toFileTime(const KyFileTime& fileTime) {
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(fileTime.nTicks & 0xFFFFFFFFu);
    ft.dwHighDateTime = static_cast<DWORD>(fileTime.nTicks >> 32);
    return ft;
}

}  // namespace

bool MoveFileW(const std::wstring& strFrom, const std::wstring& strTo) {
    if (failWithFault(KyPlatformFaults::eMove, strFrom) ||
        failWithFault(KyPlatformFaults::eMove, strTo)) {
        return false;
    }
    return ::MoveFileW(strFrom.c_str(), strTo.c_str()) != FALSE;
}

bool CopyFileW(const std::wstring& strFrom, const std::wstring& strTo, bool bFailIfExists) {
    if (failWithFault(KyPlatformFaults::eCopy, strFrom) ||
        failWithFault(KyPlatformFaults::eCopy, strTo)) {
        return false;
    }
    return ::CopyFileW(strFrom.c_str(), strTo.c_str(), bFailIfExists ? TRUE : FALSE) != FALSE;
}

bool DeleteFileW(const std::wstring& strPath) {
    if (failWithFault(KyPlatformFaults::eDelete, strPath))
        return false;
    return ::DeleteFileW(strPath.c_str()) != FALSE;
}

bool CreateDirectoryW(const std::wstring& strPath) {
    if (failWithFault(KyPlatformFaults::eCreateDirectory, strPath))
        return false;
    return ::CreateDirectoryW(strPath.c_str(), nullptr) != FALSE;
}

KyFileHandle OpenFileForWrite(const std::wstring& strPath) {
    if (failWithFault(KyPlatformFaults::eOpenForWrite, strPath))
        return nullptr;
    HANDLE hFile = ::CreateFileW(strPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return nullptr;
    return new SFile{hFile, strPath};
}

bool WriteFile(KyFileHandle hFile, const void* pData, std::size_t nBytes) {
    SFile* pFile = static_cast<SFile*>(hFile);
    if (pFile == nullptr || (pData == nullptr && nBytes != 0))
        return fail(pFile == nullptr ? kErrorInvalidHandle : kErrorInvalidParameter);
    if (failWithFault(KyPlatformFaults::eWrite, pFile->strPath))
        return false;
    const char* p = static_cast<const char*>(pData);
    while (nBytes > 0) {
        const DWORD nChunk = nBytes > (1u << 30) ? (1u << 30) : static_cast<DWORD>(nBytes);
        DWORD nWritten = 0;
        if (!::WriteFile(pFile->hFile, p, nChunk, &nWritten, nullptr))
            return false;
        if (nWritten == 0)
            return fail(kErrorDiskFull);
        p += nWritten;
        nBytes -= nWritten;
    }
    return true;
}

std::int64_t SeekFile(KyFileHandle hFile, std::int64_t nOffset, int nOrigin) {
    SFile* pFile = static_cast<SFile*>(hFile);
    if (pFile == nullptr || nOrigin < 0 || nOrigin > 2) {
        fail(pFile == nullptr ? kErrorInvalidHandle : kErrorInvalidParameter);
        return -1;
    }
    LARGE_INTEGER distance, position;
    distance.QuadPart = nOffset;
    const DWORD nMethod = nOrigin == 0 ? FILE_BEGIN : nOrigin == 1 ? FILE_CURRENT : FILE_END;
    if (!::SetFilePointerEx(pFile->hFile, distance, &position, nMethod))
        return -1;
    return static_cast<std::int64_t>(position.QuadPart);
}

bool FlushFileToDisk(KyFileHandle hFile) {
    SFile* pFile = static_cast<SFile*>(hFile);
    if (pFile == nullptr)
        return fail(kErrorInvalidHandle);
    if (failWithFault(KyPlatformFaults::eFlush, pFile->strPath))
        return false;
    return ::FlushFileBuffers(pFile->hFile) != FALSE;
}

bool IsFileOpenForWrite(const std::wstring& strPath) {
    // Reading while letting others read only is refused when someone is writing.
    HANDLE hFile = ::CreateFileW(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_SHARING_VIOLATION;
    ::CloseHandle(hFile);
    return false;
}

bool CloseFile(KyFileHandle hFile) {
    std::unique_ptr<SFile> pFile(static_cast<SFile*>(hFile));
    if (!pFile)
        return fail(kErrorInvalidHandle);
    return ::CloseHandle(pFile->hFile) != FALSE;
}

bool GetFileSize(const std::wstring& strPath, std::uint64_t& nBytes) {
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (!::GetFileAttributesExW(strPath.c_str(), GetFileExInfoStandard, &info))
        return false;
    nBytes = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    return true;
}

bool SetFileLastWriteTime(const std::wstring& strPath, const KyFileTime& fileTime) {
    HANDLE hFile = ::CreateFileW(strPath.c_str(), FILE_WRITE_ATTRIBUTES | FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    const FILETIME ft = toFileTime(fileTime);
    bool bOk = ::SetFileTime(hFile, nullptr, nullptr, &ft) != FALSE;
    DWORD nError = ::GetLastError();
    // A file system that clamps what it cannot store (Wine on ext4: nothing before 1901) must
    // not pass for success; coarse granularity (FAT: 2 s) is no failure.
    FILETIME ftStored;
    if (bOk && ::GetFileTime(hFile, nullptr, nullptr, &ftStored)) {
        const std::uint64_t nStored =
            (static_cast<std::uint64_t>(ftStored.dwHighDateTime) << 32) | ftStored.dwLowDateTime;
        const std::uint64_t nDiff =
            nStored > fileTime.nTicks ? nStored - fileTime.nTicks : fileTime.nTicks - nStored;
        if (nDiff > 20000000u) {
            bOk = false;
            nError = kErrorInvalidParameter;
        }
    }
    ::CloseHandle(hFile);
    return bOk || fail(nError);
}

std::string NativePathUtf8(const std::wstring& strPath) {
    return KyWideToUtf8(strPath);
}

wchar_t PathSeparator() {
    return L'\\';
}

}  // namespace KyPlatform
