// Helpers shared by the Win32 platform files: the last error and the fault seam. Internal to the
// host library.
#pragma once

#include <cstddef>
#include <string>

#include "KyPlatformFaults.h"

namespace KyPlatform {
namespace Detail {

// Sets the calling thread's last error; returns false (nullptr) for the caller to return.
bool fail(unsigned nError);
std::nullptr_t failNull(unsigned nError);
// True, with the last error set, when the fault seam makes this operation fail.
bool failWithFault(KyPlatformFaults::EOperation eOperation, const std::wstring& strPath);

}  // namespace Detail
}  // namespace KyPlatform
