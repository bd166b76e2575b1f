// The Win32 platform layer's error handling: the last error and the fault seam.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "KyPlatform.h"
#include "KyPlatformWin32Detail.h"

namespace KyPlatform {

namespace Detail {

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

}  // namespace Detail

unsigned GetLastError() {
    return ::GetLastError();
}

void SetLastError(unsigned nError) {
    ::SetLastError(nError);
}

}  // namespace KyPlatform
