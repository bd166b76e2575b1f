// A thread object of the base library: the owner starts it, its body is the virtual Run.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <type_traits>

#include "CbCheckReturn.h"
#include "EThreadPriority.h"

// One OS thread at a time runs the derived class's Run. TPolicy supplies the OS services (see
// KyCThreadPolicy): thread ids, names, priorities and affinity.
//
// Thread contract:
// - The owner's thread calls Start / StartAndWait, WaitUntilTerminate and destroys the object.
//   Start refuses while a thread runs; after it ended, the object can be started again.
// - The new thread names itself, applies priority and affinity, calls onBeforeRun and, when that
//   agrees, Run and then onAfterRun(result). An exception escaping any of them ends the thread
//   as if Run had returned false (see HasEndedByException); it never terminates the process.
// - IsRunning is true from a successful Start until onAfterRun has returned.
// - The owner stops the thread (through Run's own stop signal) and waits for it before the
//   derived object goes: the derived part is destroyed before this base. The destructor here
//   then only joins; should a thread still run, it waits for it rather than leave it running on
//   freed memory.
// - Priority and affinity may be set from any thread, before or while the thread runs.
template <class TDerived, class TPolicy>
class CbThread {
public:
    typedef ::EThreadPriority EThreadPriority;

    CbThread(const wchar_t* pszName, EThreadPriority ePriority, std::uintptr_t nAffinityMask)
        : m_strName(pszName ? pszName : L""),
          m_ePriority(TPolicy::IsValidPriority(ePriority) ? ePriority : eThreadPriorityNormal),
          m_nAffinityMask(nAffinityMask) {}
    CbThread(const CbThread&) = delete;
    CbThread& operator=(const CbThread&) = delete;

    virtual ~CbThread() {
        static_assert(std::is_base_of<CbThread, TDerived>::value, "TDerived derives from CbThread");
        std::thread thread;
        {
            std::lock_guard<std::mutex> lock(m_Mutex);
            thread = std::move(m_Thread);
        }
        if (thread.joinable())
            thread.join();
    }

    // Starts the thread and returns at once; false when one runs already or none could start.
    virtual CbCheckReturn<bool> Start() {
        unsigned nGeneration = 0;
        return startThread(nGeneration);
    }

    // Starts the thread and returns once it is about to call Run (true), or when it could not
    // start or onBeforeRun refused (false).
    virtual CbCheckReturn<bool> StartAndWait() {
        unsigned nGeneration = 0;
        if (!startThread(nGeneration))
            return false;
        std::unique_lock<std::mutex> lock(m_Mutex);
        m_Cv.wait(lock, [&] { return m_nStartedGeneration >= nGeneration; });
        return m_nStartedGeneration == nGeneration && m_bEntered;
    }

protected:
    // On the new thread, before Run; false: Run and onAfterRun are skipped.
    virtual bool onBeforeRun() { return true; }
    // On the new thread, after Run, with its result.
    virtual void onAfterRun(bool /*bResult*/) {}
    // The thread's body.
    virtual bool Run() = 0;

public:
    // Applied at once to a running thread, else at the next start. False for an unknown value
    // or when the OS refuses (the value is still kept for the next start unless unknown).
    virtual bool SetThreadPriority(EThreadPriority ePriority) {
        if (!TPolicy::IsValidPriority(ePriority))
            return false;
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_ePriority = ePriority;
        return m_nOsThreadId == 0 || TPolicy::ApplyPriority(m_nOsThreadId, ePriority);
    }
    virtual EThreadPriority GetThreadPriority() const {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_ePriority;
    }
    // The mask is limited to the process's processors; false (mask unchanged) when none is left.
    virtual bool SetThreadAffinityMask(std::uintptr_t nMask) {
        if ((nMask & TPolicy::GetProcessAffinityMask()) == 0)
            return false;
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_nAffinityMask = nMask;
        return m_nOsThreadId == 0 || TPolicy::ApplyAffinityMask(m_nOsThreadId, nMask);
    }
    virtual std::uintptr_t GetThreadAffinityMask() const {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_nAffinityMask;
    }
    virtual std::uintptr_t GetProcessAffinityMask() const {
        return TPolicy::GetProcessAffinityMask();
    }

    // Waits at most nTimeoutMs (4294967295: no limit) for the thread to end; true when it has
    // ended (then it is joined) or never ran.
    CbCheckReturn<bool> WaitUntilTerminate(unsigned nTimeoutMs) {
        std::thread thread;
        {
            std::unique_lock<std::mutex> lock(m_Mutex);
            auto ended = [&] { return !m_bRunning; };
            if (nTimeoutMs == 4294967295u) {
                m_Cv.wait(lock, ended);
            } else if (!m_Cv.wait_for(lock, std::chrono::milliseconds(nTimeoutMs), ended)) {
                return false;
            }
            thread = std::move(m_Thread);
        }
        // The thread has left its last lock; it is only returning.
        if (thread.joinable())
            thread.join();
        return true;
    }

    bool IsRunning() const {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_bRunning;
    }

    const std::wstring& GetName() const { return m_strName; }
    // Run's result of the last run that ended; false when an exception ended it.
    bool GetRunResult() const {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_bRunResult;
    }
    bool HasEndedByException() const {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_bEndedByException;
    }

private:
    bool startThread(unsigned& nGeneration) {
        std::thread previous;
        std::unique_lock<std::mutex> lock(m_Mutex);
        if (m_bRunning)
            return false;
        previous = std::move(m_Thread);  // ended, not yet joined
        nGeneration = ++m_nGeneration;
        m_bRunning = true;
        try {
            m_Thread = std::thread(&CbThread::threadMain, this, nGeneration);
        } catch (const std::system_error&) {
            m_bRunning = false;
            m_nStartedGeneration = nGeneration;
            m_bEntered = false;
            lock.unlock();
            if (previous.joinable())
                previous.join();
            return false;
        }
        lock.unlock();
        if (previous.joinable())
            previous.join();
        return true;
    }

    void threadMain(unsigned nGeneration) {
        {
            // Under the lock, so that a concurrent SetThreadPriority is not undone by a stale
            // value.
            std::lock_guard<std::mutex> lock(m_Mutex);
            m_nOsThreadId = TPolicy::CurrentThreadId();
            // Best effort, as a later SetThreadPriority: the OS may refuse a raise.
            if (m_ePriority != eThreadPriorityNormal)
                TPolicy::ApplyPriority(m_nOsThreadId, m_ePriority);
            const std::uintptr_t nProcessMask = TPolicy::GetProcessAffinityMask();
            if ((m_nAffinityMask & nProcessMask) != nProcessMask)
                TPolicy::ApplyAffinityMask(m_nOsThreadId, m_nAffinityMask);
        }
        TPolicy::NameCurrentThread(m_strName);

        bool bEntered = false;
        bool bResult = false;
        bool bException = false;
        try {
            bEntered = onBeforeRun();
            signalStarted(nGeneration, bEntered);
            if (bEntered) {
                bResult = Run();
                onAfterRun(bResult);
            }
        } catch (...) {
            signalStarted(nGeneration, false);  // no effect once signalled
            bResult = false;
            bException = true;
        }
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_nOsThreadId = 0;
        m_bRunResult = bResult;
        m_bEndedByException = bException;
        m_bRunning = false;
        m_Cv.notify_all();
    }

    void signalStarted(unsigned nGeneration, bool bEntered) {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (m_nStartedGeneration == nGeneration)
            return;
        m_nStartedGeneration = nGeneration;
        m_bEntered = bEntered;
        m_Cv.notify_all();
    }

    const std::wstring m_strName;
    mutable std::mutex m_Mutex;         // guards every field below; never held while Run runs
    std::condition_variable m_Cv;       // signals m_nStartedGeneration and m_bRunning changes
    std::thread m_Thread;               // the last thread started, until joined
    unsigned m_nGeneration = 0;         // counts starts
    unsigned m_nStartedGeneration = 0;  // the last start that reached Run (or gave up)
    bool m_bEntered = false;            // that start's onBeforeRun agreed
    bool m_bRunning = false;
    bool m_bRunResult = false;
    bool m_bEndedByException = false;
    std::uint64_t m_nOsThreadId = 0;  // 0 while no thread runs
    EThreadPriority m_ePriority;
    std::uintptr_t m_nAffinityMask;
};
