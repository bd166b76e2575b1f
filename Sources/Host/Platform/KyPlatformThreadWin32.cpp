// The Win32 platform layer's thread services: ids, names, priorities, processor affinity.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

#include "KyPlatform.h"
#include "KyPlatformWin32Detail.h"

namespace KyPlatform {

using namespace Detail;

namespace {

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

}  // namespace KyPlatform
