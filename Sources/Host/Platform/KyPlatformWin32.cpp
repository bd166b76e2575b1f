// The platform layer on Windows: thin wrappers over the Win32 API and the runtime library.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <time.h>

#include <memory>

#include "KyPlatform.h"
#include "KyPlatformFaults.h"
#include "KyPlatformTime.h"

namespace KyPlatform {

namespace {

bool fail(unsigned nError) {
    ::SetLastError(nError);
    return false;
}

std::nullptr_t failNull(unsigned nError) {
    ::SetLastError(nError);
    return nullptr;
}

bool failWithFault(KyPlatformFaults::EOperation eOperation, const std::wstring& strPath) {
    const unsigned nError = KyPlatformFaults::Check(eOperation, strPath);
    if (nError == 0)
        return false;
    ::SetLastError(nError);
    return true;
}

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

void fromSystemTime(const SYSTEMTIME& st, KySystemTime& out) {
    out.nYear = st.wYear;
    out.nMonth = st.wMonth;
    out.nDayOfWeek = st.wDayOfWeek;
    out.nDay = st.wDay;
    out.nHour = st.wHour;
    out.nMinute = st.wMinute;
    out.nSecond = st.wSecond;
    out.nMilliseconds = st.wMilliseconds;
}

// Thread API entries that older systems lack, looked up when first needed.
typedef HRESULT(WINAPI* PFN_SetThreadDescription)(HANDLE, PCWSTR);
typedef HRESULT(WINAPI* PFN_GetThreadDescription)(HANDLE, PWSTR*);

template <class PFN>
PFN lookUpKernel(const char* pszName) {
    for (const wchar_t* pszModule : {L"kernel32.dll", L"kernelbase.dll"}) {
        if (HMODULE hModule = ::GetModuleHandleW(pszModule)) {
            if (FARPROC pProc = ::GetProcAddress(hModule, pszName)) {
                // void (*)(void) converts to and from any function pointer without a warning.
                return reinterpret_cast<PFN>(reinterpret_cast<void (*)(void)>(pProc));
            }
        }
    }
    return nullptr;
}

bool isKnownPriority(int nPriority) {
    switch (nPriority) {
        case THREAD_PRIORITY_IDLE:
        case THREAD_PRIORITY_LOWEST:
        case THREAD_PRIORITY_BELOW_NORMAL:
        case THREAD_PRIORITY_NORMAL:
        case THREAD_PRIORITY_ABOVE_NORMAL:
        case THREAD_PRIORITY_HIGHEST:
        case THREAD_PRIORITY_TIME_CRITICAL:
            return true;
        default:
            return false;
    }
}

}  // namespace

unsigned GetLastError() {
    return ::GetLastError();
}

void SetLastError(unsigned nError) {
    ::SetLastError(nError);
}

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

bool FileTimeToSystemTime(const KyFileTime& fileTime, KySystemTime& utc) {
    const FILETIME ft = toFileTime(fileTime);
    SYSTEMTIME st;
    if (!::FileTimeToSystemTime(&ft, &st))
        return false;
    fromSystemTime(st, utc);
    return true;
}

bool SystemTimeToTzSpecificLocalTime(const KySystemTime& utc, KySystemTime& local) {
    // Fields out of a WORD's range would wrap: refuse them as Win32 refuses invalid dates.
    std::int64_t nSeconds = 0;
    if (!KyCalendarToUnixSeconds(utc, nSeconds))
        return fail(kErrorInvalidParameter);
    SYSTEMTIME stUtc = {};
    stUtc.wYear = static_cast<WORD>(utc.nYear);
    stUtc.wMonth = static_cast<WORD>(utc.nMonth);
    stUtc.wDay = static_cast<WORD>(utc.nDay);
    stUtc.wHour = static_cast<WORD>(utc.nHour);
    stUtc.wMinute = static_cast<WORD>(utc.nMinute);
    stUtc.wSecond = static_cast<WORD>(utc.nSecond);
    stUtc.wMilliseconds = static_cast<WORD>(utc.nMilliseconds);
    SYSTEMTIME stLocal;
    if (!::SystemTimeToTzSpecificLocalTime(nullptr, &stUtc, &stLocal))
        return false;
    fromSystemTime(stLocal, local);
    return true;
}

std::int64_t Time64() {
    return static_cast<std::int64_t>(::_time64(nullptr));
}

bool LocalTime64(std::int64_t nTime, std::tm& out) {
    if (nTime < 0 || nTime > kMaxTime64)
        return false;
    const __time64_t nValue = nTime;
    return ::_localtime64_s(&out, &nValue) == 0;
}

std::int64_t MkTime64(std::tm& fields) {
    std::tm copy = fields;
    const __time64_t nTime = ::_mktime64(&copy);
    if (nTime < 0 || nTime > kMaxTime64)
        return -1;
    fields = copy;
    return static_cast<std::int64_t>(nTime);
}

bool SetTimeZoneForTesting(const char* /*pszTz*/) {
    return fail(kErrorInvalidParameter);
}

void Sleep(unsigned nMilliseconds) {
    ::Sleep(nMilliseconds);
}

std::int64_t MonotonicNanoseconds() {
    static const std::int64_t s_nFrequency = [] {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<std::int64_t>(frequency.QuadPart);
    }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    const std::int64_t nCount = counter.QuadPart;
    return nCount / s_nFrequency * 1000000000 + nCount % s_nFrequency * 1000000000 / s_nFrequency;
}

std::uint64_t GetCurrentThreadId() {
    return ::GetCurrentThreadId();
}

void SetCurrentThreadName(const std::wstring& strName) {
    static const PFN_SetThreadDescription s_pfnSet =
        lookUpKernel<PFN_SetThreadDescription>("SetThreadDescription");
    if (s_pfnSet != nullptr)
        s_pfnSet(::GetCurrentThread(), strName.c_str());
}

std::wstring GetCurrentThreadName() {
    static const PFN_GetThreadDescription s_pfnGet =
        lookUpKernel<PFN_GetThreadDescription>("GetThreadDescription");
    PWSTR pszName = nullptr;
    if (s_pfnGet == nullptr || FAILED(s_pfnGet(::GetCurrentThread(), &pszName)) || !pszName)
        return std::wstring();
    std::wstring strName(pszName);
    ::LocalFree(pszName);
    return strName;
}

bool SetThreadPriority(std::uint64_t nThreadId, int nPriority) {
    if (!isKnownPriority(nPriority))
        return fail(kErrorInvalidParameter);
    HANDLE hThread = ::OpenThread(THREAD_SET_INFORMATION | THREAD_QUERY_INFORMATION, FALSE,
                                  static_cast<DWORD>(nThreadId));
    if (hThread == nullptr)
        return false;
    const bool bOk = ::SetThreadPriority(hThread, nPriority) != FALSE;
    const DWORD nError = ::GetLastError();
    ::CloseHandle(hThread);
    return bOk || fail(nError);
}

bool SetThreadAffinityMask(std::uint64_t nThreadId, std::uintptr_t nMask) {
    nMask &= GetProcessAffinityMask();
    if (nMask == 0)
        return fail(kErrorInvalidParameter);
    HANDLE hThread = ::OpenThread(THREAD_SET_INFORMATION | THREAD_QUERY_INFORMATION, FALSE,
                                  static_cast<DWORD>(nThreadId));
    if (hThread == nullptr)
        return false;
    const bool bOk = ::SetThreadAffinityMask(hThread, static_cast<DWORD_PTR>(nMask)) != 0;
    const DWORD nError = ::GetLastError();
    ::CloseHandle(hThread);
    return bOk || fail(nError);
}

std::uintptr_t GetProcessAffinityMask() {
    DWORD_PTR nProcess = 0, nSystem = 0;
    if (!::GetProcessAffinityMask(::GetCurrentProcess(), &nProcess, &nSystem) || nProcess == 0)
        return 1;
    return static_cast<std::uintptr_t>(nProcess);
}

wchar_t PathSeparator() {
    return L'\\';
}

}  // namespace KyPlatform
