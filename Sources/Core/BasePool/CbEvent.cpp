#include "CbEvent.h"

#include <algorithm>
#include <chrono>

// One blocked WaitForSingleEvent call. Registered with every event it waits on; a Set wakes it
// under the event's mutex, so the waiter outlives every notification it can receive (it
// unregisters under the same mutexes before it goes).
class CbEventWaiter {
public:
    void Notify() {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_bNotified = true;
        m_Cv.notify_one();
    }

    std::mutex m_Mutex;  // guards m_bNotified; always taken after an event's mutex
    std::condition_variable m_Cv;
    bool m_bNotified = false;
};

CbEvent::CbEvent(bool bManualReset, const wchar_t* /*pszName*/) : m_bManualReset(bManualReset) {}

CbEvent::~CbEvent() = default;

void CbEvent::Set() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_bSet = true;
    for (CbEventWaiter* pWaiter : m_Waiters)
        pWaiter->Notify();
}

void CbEvent::Reset() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_bSet = false;
}

bool CbEvent::IsSet() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_bSet;
}

bool CbEvent::tryTake() const {
    if (!m_bSet)
        return false;
    if (!m_bManualReset)
        m_bSet = false;
    return true;
}

EWaitResult CbEvent::Wait(unsigned nTimeoutMs) {
    CbArray<const CbEvent*> arrEvents;
    arrEvents.Add(this);
    unsigned nIndex = 0;
    return WaitForSingleEvent(arrEvents, nTimeoutMs, nIndex);
}

EWaitResult CbEvent::WaitForSingleEvent(const CbArray<const CbEvent*>& arrEvents,
                                        unsigned nTimeoutMs, unsigned& nIndex) {
    const unsigned nCount = arrEvents.GetCount();
    if (nCount == 0)
        return eWaitResultFailed;
    for (unsigned i = 0; i < nCount; ++i) {
        if (arrEvents[i] == nullptr)
            return eWaitResultFailed;
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(nTimeoutMs);
    CbEventWaiter waiter;
    EWaitResult eResult = eWaitResultTimeout;
    bool bRegistered = false;
    for (;;) {
        // Look at every event in order; register with them all on the first pass.
        bool bFound = false;
        for (unsigned i = 0; i < nCount && !bFound; ++i) {
            const CbEvent* pEvent = arrEvents[i];
            std::lock_guard<std::mutex> lock(pEvent->m_Mutex);
            if (pEvent->tryTake()) {
                nIndex = i;
                bFound = true;
            } else if (!bRegistered) {
                pEvent->m_Waiters.push_back(&waiter);
            }
        }
        if (bFound) {
            eResult = eWaitResultSignaled;
            break;
        }
        bRegistered = true;

        std::unique_lock<std::mutex> lock(waiter.m_Mutex);
        if (nTimeoutMs == kInfinite) {
            waiter.m_Cv.wait(lock, [&] { return waiter.m_bNotified; });
        } else if (!waiter.m_Cv.wait_until(lock, deadline, [&] { return waiter.m_bNotified; })) {
            break;  // timed out
        }
        waiter.m_bNotified = false;
    }

    // Unregister from every event that may hold the waiter. On an early find some events were
    // never registered with; removing an absent pointer is harmless.
    for (unsigned i = 0; i < nCount; ++i) {
        const CbEvent* pEvent = arrEvents[i];
        std::lock_guard<std::mutex> lock(pEvent->m_Mutex);
        auto& waiters = pEvent->m_Waiters;
        waiters.erase(std::remove(waiters.begin(), waiters.end(), &waiter), waiters.end());
    }
    return eResult;
}
