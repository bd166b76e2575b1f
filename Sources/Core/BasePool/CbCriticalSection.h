// Re-entrant lock of the base library, and its scoped guard.
#pragma once

#include <mutex>

#include "KyHostApi.h"

// A recursive mutex. Enter and Leave are const so that const operations of a guarded object can
// lock it; the same thread may enter again as often as it likes and must leave as often.
class KYHOST_API KY_CAPABILITY("mutex") CbCriticalSection {
public:
    CbCriticalSection() = default;
    CbCriticalSection(const CbCriticalSection&) = delete;
    CbCriticalSection& operator=(const CbCriticalSection&) = delete;

    void Enter() const KY_ACQUIRE() { m_Mutex.lock(); }
    void Leave() const KY_RELEASE() { m_Mutex.unlock(); }
    // Enters only when no other thread holds the lock (the holder may enter again); true when
    // entered.
    bool TryEnter() const KY_TRY_ACQUIRE(true) { return m_Mutex.try_lock(); }

private:
    mutable std::recursive_mutex m_Mutex;
};

// Holds a CbCriticalSection for its scope, exceptions included.
class KY_SCOPED_CAPABILITY CbCriticalSectionLock {
public:
    explicit CbCriticalSectionLock(const CbCriticalSection& cs) KY_ACQUIRE(cs) : m_Cs(cs) {
        m_Cs.Enter();
    }
    ~CbCriticalSectionLock() KY_RELEASE() { m_Cs.Leave(); }
    CbCriticalSectionLock(const CbCriticalSectionLock&) = delete;
    CbCriticalSectionLock& operator=(const CbCriticalSectionLock&) = delete;

private:
    const CbCriticalSection& m_Cs;
};
