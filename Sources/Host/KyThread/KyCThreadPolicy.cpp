// The host's thread policy: the operating-system services that CbThread needs.
#include "KyCThreadPolicy.h"

#include "KyPlatform.h"

std::uint64_t KyCThreadPolicy::CurrentThreadId() {
    return KyPlatform::GetCurrentThreadId();
}

void KyCThreadPolicy::NameCurrentThread(const std::wstring& strName) {
    KyPlatform::SetCurrentThreadName(strName);
}

bool KyCThreadPolicy::IsValidPriority(int nPriority) {
    switch (nPriority) {
        case eThreadPriorityIdle:
        case eThreadPriorityLowest:
        case eThreadPriorityBelowNormal:
        case eThreadPriorityNormal:
        case eThreadPriorityAboveNormal:
        case eThreadPriorityHighest:
        case eThreadPriorityTimeCritical:
            return true;
        default:
            return false;
    }
}

bool KyCThreadPolicy::ApplyPriority(std::uint64_t nThreadId, EThreadPriority ePriority) {
    return KyPlatform::SetThreadPriority(nThreadId, ePriority);
}

bool KyCThreadPolicy::ApplyAffinityMask(std::uint64_t nThreadId, std::uintptr_t nMask) {
    return KyPlatform::SetThreadAffinityMask(nThreadId, nMask);
}

std::uintptr_t KyCThreadPolicy::GetProcessAffinityMask() {
    return KyPlatform::GetProcessAffinityMask();
}
