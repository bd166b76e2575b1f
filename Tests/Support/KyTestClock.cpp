// A hand-driven clock for KyCTime, installed for the lifetime of the object.
#include "KyTestClock.h"

#include "KyCTime.h"

KyTestClock::KyTestClock(std::int64_t nStartNs) : m_nNowNs(nStartNs) {
    KyCTime::SetClockSourceForTesting([this] { return m_nNowNs.load(); });
}

KyTestClock::~KyTestClock() {
    KyCTime::SetClockSourceForTesting(nullptr);
}
