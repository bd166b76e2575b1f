// Waiting in tests.
#include "KyTestWait.h"

#include <cstdint>

#include "KyPlatform.h"

void KyTestWaitForAFreshSecond() {
    const std::int64_t nNow = KyPlatform::Time64();
    while (KyPlatform::Time64() == nNow)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}
