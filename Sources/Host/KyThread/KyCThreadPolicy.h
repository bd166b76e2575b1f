// The host's thread policy: the operating-system services that CbThread needs.
#pragma once

#include <cstdint>
#include <string>

#include "EThreadPriority.h"
#include "KyHostApi.h"

// Static services only; every one may be called from any thread.
class KYHOST_API KyCThreadPolicy {
public:
    static std::uint64_t CurrentThreadId();
    // Names the calling thread (Linux keeps 15 bytes).
    static void NameCurrentThread(const std::wstring& strName);
    static bool IsValidPriority(int nPriority);
    // Applied to a running thread, identified by its OS id.
    static bool ApplyPriority(std::uint64_t nThreadId, EThreadPriority ePriority);
    static bool ApplyAffinityMask(std::uint64_t nThreadId, std::uintptr_t nMask);
    static std::uintptr_t GetProcessAffinityMask();
};
