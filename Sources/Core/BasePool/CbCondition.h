// A condition that threads wait for under a CbCriticalSection, for the thread-safety analysis.
#pragma once

#include <chrono>
#include <condition_variable>

#include "CbCriticalSection.h"

// Waits release the lock while they sleep and hold it again when they return, so the fields the
// condition depends on stay checked by KY_GUARDED_BY. The caller holds the lock exactly once (a
// re-entered lock would stay held while waiting) and tests the condition itself, in a loop
// around the wait: wake-ups may be spurious. Notify with or without the lock held.
class CbCondition {
public:
    CbCondition() = default;
    CbCondition(const CbCondition&) = delete;
    CbCondition& operator=(const CbCondition&) = delete;

    void Wait(const CbCriticalSection& cs) const KY_REQUIRES(cs) {
        Releaser releaser{cs};
        m_Condition.wait(releaser);
    }
    // False once the deadline has passed.
    bool WaitUntil(const CbCriticalSection& cs,
                   std::chrono::steady_clock::time_point deadline) const KY_REQUIRES(cs) {
        Releaser releaser{cs};
        return m_Condition.wait_until(releaser, deadline) == std::cv_status::no_timeout;
    }
    void NotifyAll() const { m_Condition.notify_all(); }

    // The deadline nTimeoutMs from now, for a loop of WaitUntil.
    static std::chrono::steady_clock::time_point After(unsigned nTimeoutMs) {
        return std::chrono::steady_clock::now() + std::chrono::milliseconds(nTimeoutMs);
    }

private:
    // What the standard condition locks and unlocks: the caller's hold on the section.
    struct Releaser {
        const CbCriticalSection& cs;
        void lock() KY_NO_THREAD_SAFETY_ANALYSIS { cs.Enter(); }
        void unlock() KY_NO_THREAD_SAFETY_ANALYSIS { cs.Leave(); }
    };

    mutable std::condition_variable_any m_Condition;
};
