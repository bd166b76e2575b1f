// Events of the base library, and a wait on several of them.
#pragma once

#include <condition_variable>
#include <mutex>
#include <vector>

#include "CbArray.h"
#include "KyHostApi.h"

enum EWaitResult {
    eWaitResultSignaled = 0,
    eWaitResultTimeout = 1,
    eWaitResultFailed = 2,
};

class CbEventWaiter;

// A manual-reset event stays set from Set until Reset; an auto-reset event lets exactly one
// wait through per Set and resets itself then. Any thread may Set, Reset or wait.
class KYHOST_API CbEvent {
public:
    static const unsigned kInfinite = 4294967295u;

    explicit CbEvent(bool bManualReset = true, const wchar_t* pszName = nullptr);
    ~CbEvent();
    CbEvent(const CbEvent&) = delete;
    CbEvent& operator=(const CbEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;

    // Waits for this event alone.
    EWaitResult Wait(unsigned nTimeoutMs = kInfinite);

    // Blocks until one of the events is set, or the time-out passes (kInfinite: no limit).
    // nIndex receives the position of the event that ended the wait (the lowest set one).
    // No polling: setters wake the waiter directly.
    static EWaitResult WaitForSingleEvent(const CbArray<const CbEvent*>& arrEvents,
                                          unsigned nTimeoutMs, unsigned& nIndex);

private:
    friend class CbEventWaiter;
    // Consumes the set state of an auto-reset event; true when the event was set.
    bool tryTake() const;

    const bool m_bManualReset;
    mutable std::mutex m_Mutex;  // guards the two fields below; taken before a waiter's mutex
    mutable bool m_bSet = false;
    mutable std::vector<CbEventWaiter*> m_Waiters;
};
