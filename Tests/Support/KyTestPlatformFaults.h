// Platform faults for one test: whatever the test injects is cleared when it ends.
#pragma once

#include <string>

#include "KyPlatformFaults.h"

class KyTestPlatformFaults {
public:
    KyTestPlatformFaults() { KyPlatformFaults::ClearAll(); }
    ~KyTestPlatformFaults() { KyPlatformFaults::ClearAll(); }
    KyTestPlatformFaults(const KyTestPlatformFaults&) = delete;
    KyTestPlatformFaults& operator=(const KyTestPlatformFaults&) = delete;

    // EOperation bits on paths ending in strSuffix fail with nError nTimes (0: always).
    void Inject(unsigned nOperations, const std::wstring& strSuffix, unsigned nError,
                unsigned nTimes = 0) {
        KyPlatformFaults::Inject(nOperations, strSuffix, nError, nTimes);
    }
    unsigned GetTriggeredCount() const { return KyPlatformFaults::GetTriggeredCount(); }
};
