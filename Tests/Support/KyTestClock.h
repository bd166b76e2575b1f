// A hand-driven clock for KyCTime, installed for the lifetime of the object.
#pragma once

#include <atomic>
#include <cstdint>

#include "KyCTime.h"

// While it lives, every KyCTime on every thread reads this clock instead of the real one, so
// that pacing and intervals can be computed exactly. Starts at 1 s (0 would look like SetZero).
// One at a time; Advance may be called from any thread.
class KyTestClock {
public:
    explicit KyTestClock(std::int64_t nStartNs = 1000000000) : m_nNowNs(nStartNs) {
        KyCTime::SetClockSourceForTesting([this] { return m_nNowNs.load(); });
    }
    ~KyTestClock() { KyCTime::SetClockSourceForTesting(nullptr); }
    KyTestClock(const KyTestClock&) = delete;
    KyTestClock& operator=(const KyTestClock&) = delete;

    void AdvanceNs(std::int64_t nNs) { m_nNowNs.fetch_add(nNs); }
    void AdvanceMs(std::int64_t nMs) { AdvanceNs(nMs * 1000000); }

private:
    std::atomic<std::int64_t> m_nNowNs;
};
