// The host thread: start, stop through the interrupt's external event, time-outs, names.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "CbEvent.h"
#include "KyCThread.h"
#include "KyPlatform.h"

namespace {

const unsigned kStopLimitMs = 2000;
const unsigned kLongMs = 10000;

double elapsedMs(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// A worker shaped like the component's: Run waits on the stop event and a work event, and ends
// when the interrupt test says so. Records what ran on which thread.
class CWorker : public KyCThread {
public:
    explicit CWorker(const wchar_t* pszName = L"TestWorker")
        : KyCThread(pszName, nullptr, eThreadPriorityNormal, ~std::uintptr_t(0)),
          m_StopEvent(true, nullptr),
          m_WorkEvent(false, nullptr) {
        m_StopEvent.Set();
        SetExternalEvent(&m_StopEvent);
    }
    ~CWorker() override {
        // A stop that does not work is a failure, not a hang: the own flag and the work event
        // end the loop anyway before the object goes.
        if (!stop()) {
            ActivateInterrupt();
            m_WorkEvent.Set();
            (void)WaitUntilTerminate(kLongMs).GetValue();
        }
    }

    bool start() {
        ClearInterrupt();
        m_StopEvent.Reset();
        return StartAndWait();
    }
    bool stop() {
        if (!IsRunning())
            return true;
        m_StopEvent.Set();
        return WaitUntilTerminate(kStopLimitMs);
    }

    CbEvent m_StopEvent;
    CbEvent m_WorkEvent;
    std::atomic<int> m_nWork{0};
    std::atomic<unsigned> m_nBeforeRunSleepMs{0};
    std::atomic<bool> m_bRefuseStart{false};
    std::atomic<bool> m_bThrow{false};

    std::mutex m_LogMutex;  // guards the three fields below
    std::vector<std::string> m_Log;
    std::vector<std::uint64_t> m_ThreadIds;
    std::wstring m_strOsName;

protected:
    bool onBeforeRun() override {
        KyPlatform::Sleep(m_nBeforeRunSleepMs.load());
        log("before");
        return !m_bRefuseStart.load();
    }
    void onAfterRun(bool bResult) override { log(bResult ? "after:true" : "after:false"); }
    bool Run() override {
        log("run");
        {
            std::lock_guard<std::mutex> lock(m_LogMutex);
            m_strOsName = KyPlatform::GetCurrentThreadName();
        }
        if (m_bThrow.load())
            throw std::runtime_error("failure inside Run");
        ClearInterrupt();
        CbArray<const CbEvent*> arrEvents;
        if (GetExternalEvent() != nullptr)
            arrEvents.Add(GetExternalEvent());
        arrEvents.Add(&m_WorkEvent);
        while (!IsInterrupt()) {
            unsigned nIndex = 0;
            CbEvent::WaitForSingleEvent(arrEvents, CbEvent::kInfinite, nIndex);
            if (nIndex == arrEvents.GetCount() - 1 && !IsInterrupt())
                ++m_nWork;
        }
        return true;
    }

private:
    void log(const char* pszWhat) {
        std::lock_guard<std::mutex> lock(m_LogMutex);
        m_Log.push_back(pszWhat);
        m_ThreadIds.push_back(KyPlatform::GetCurrentThreadId());
    }
};

// A thread that ignores every interrupt until the test releases it.
class CStubborn : public KyCThread {
public:
    CStubborn() : KyCThread(L"Stubborn", nullptr, eThreadPriorityNormal, ~std::uintptr_t(0)) {}
    ~CStubborn() override {
        m_Release.Set();
        (void)WaitUntilTerminate(kLongMs).GetValue();
    }
    CbEvent m_Release{true, nullptr};

protected:
    bool Run() override {
        m_Release.Wait(CbEvent::kInfinite);
        return false;
    }
};

std::vector<std::string> logOf(CWorker& worker) {
    std::lock_guard<std::mutex> lock(worker.m_LogMutex);
    return worker.m_Log;
}

}  // namespace

TEST(KyCThreadTest, StartAndWaitReturnsWithTheNewThreadPastItsStartUp) {
    CWorker worker;
    worker.m_nBeforeRunSleepMs = 150;  // a slow start-up must not be overtaken
    EXPECT_FALSE(worker.IsRunning());
    ASSERT_TRUE(worker.start());
    EXPECT_TRUE(worker.IsRunning());
    const std::vector<std::string> log = logOf(worker);
    ASSERT_GE(log.size(), 1u);
    EXPECT_EQ(log[0], "before");
    ASSERT_TRUE(worker.stop());
    std::lock_guard<std::mutex> lock(worker.m_LogMutex);
    EXPECT_EQ(worker.m_Log, (std::vector<std::string>{"before", "run", "after:true"}));
    ASSERT_EQ(worker.m_ThreadIds.size(), 3u);
    EXPECT_EQ(worker.m_ThreadIds[0], worker.m_ThreadIds[1]);
    EXPECT_EQ(worker.m_ThreadIds[1], worker.m_ThreadIds[2]);
    EXPECT_NE(worker.m_ThreadIds[0], KyPlatform::GetCurrentThreadId())
        << "the hooks run on the new thread, not the caller's";
}

TEST(KyCThreadTest, StopThroughTheExternalEventEndsTheThreadWithinTheLimit) {
    CWorker worker;
    ASSERT_TRUE(worker.start());
    worker.m_WorkEvent.Set();  // the second event of its wait wakes it too
    for (int i = 0; i < 1000 && worker.m_nWork.load() == 0; ++i)
        KyPlatform::Sleep(10);
    EXPECT_EQ(worker.m_nWork.load(), 1);
    worker.m_StopEvent.Set();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(worker.WaitUntilTerminate(kStopLimitMs));
    EXPECT_LT(elapsedMs(start), kStopLimitMs + 500.0);
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_TRUE(worker.GetRunResult());
    EXPECT_FALSE(worker.HasEndedByException());
    EXPECT_GE(worker.NumRecognitions(), 1u);
}

TEST(KyCThreadTest, WaitUntilTerminateGivesUpAfterItsTimeOut) {
    CStubborn thread;
    ASSERT_TRUE(thread.StartAndWait());
    thread.ActivateInterrupt();  // ignored by this Run
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(thread.WaitUntilTerminate(200));
    const double dMs = elapsedMs(start);
    EXPECT_GE(dMs, 190.0);
    EXPECT_LT(dMs, kStopLimitMs);
    EXPECT_TRUE(thread.IsRunning());
    thread.m_Release.Set();
    EXPECT_TRUE(thread.WaitUntilTerminate(kLongMs));
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_FALSE(thread.GetRunResult());
}

TEST(KyCThreadTest, WaitUntilTerminateOnAThreadThatNeverRanReturnsAtOnce) {
    CWorker worker;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(worker.WaitUntilTerminate(kLongMs));
    EXPECT_LT(elapsedMs(start), kLongMs / 2.0);
}

TEST(KyCThreadTest, StartRefusesWhileRunningAndWorksAgainAfterTheEnd) {
    CWorker worker;
    ASSERT_TRUE(worker.start());
    EXPECT_FALSE(worker.Start()) << "one thread at a time";
    EXPECT_FALSE(worker.StartAndWait());
    ASSERT_TRUE(worker.stop());
    ASSERT_TRUE(worker.start()) << "the object can be started again";
    EXPECT_TRUE(worker.IsRunning());
    ASSERT_TRUE(worker.stop());
    EXPECT_EQ(logOf(worker).size(), 6u);
}

TEST(KyCThreadTest, StopSetBeforeRunClearsItsInterruptIsNotLost) {
    // Run clears the interrupt first thing; the stop event set meanwhile must still end it.
    for (int i = 0; i < 50; ++i) {
        CWorker worker;
        ASSERT_TRUE(worker.start());
        worker.m_StopEvent.Set();
        ASSERT_TRUE(worker.WaitUntilTerminate(kStopLimitMs)) << "round " << i;
    }
}

TEST(KyCThreadTest, RefusingOnBeforeRunFailsStartAndWaitWithoutRunning) {
    CWorker worker;
    worker.m_bRefuseStart = true;
    EXPECT_FALSE(worker.start());
    EXPECT_TRUE(worker.WaitUntilTerminate(kLongMs));
    EXPECT_EQ(logOf(worker), std::vector<std::string>{"before"});
}

TEST(KyCThreadTest, AnExceptionFromRunEndsTheThreadNotTheProcess) {
    CWorker worker;
    worker.m_bThrow = true;
    ASSERT_TRUE(worker.start());
    EXPECT_TRUE(worker.WaitUntilTerminate(kLongMs));
    EXPECT_TRUE(worker.HasEndedByException());
    EXPECT_FALSE(worker.GetRunResult());
    EXPECT_EQ(logOf(worker), (std::vector<std::string>{"before", "run"}));
}

TEST(KyCThreadTest, TheOsThreadCarriesTheName) {
    CWorker worker(L"CameraVideoRecord");
    ASSERT_TRUE(worker.start());
#if defined(__linux__)
    std::uint64_t nThreadId = 0;
    {
        std::lock_guard<std::mutex> lock(worker.m_LogMutex);
        nThreadId = worker.m_ThreadIds.at(0);
    }
    // Linux keeps 15 bytes; read it from outside the thread as a tool would.
    std::ifstream comm("/proc/self/task/" + std::to_string(nThreadId) + "/comm");
    std::string strComm;
    std::getline(comm, strComm);
    EXPECT_EQ(strComm, "CameraVideoReco");
#endif
    ASSERT_TRUE(worker.stop());
    std::lock_guard<std::mutex> lock(worker.m_LogMutex);
#if defined(_WIN32)
    // Systems without thread descriptions report no name at all.
    if (!worker.m_strOsName.empty()) {
        EXPECT_EQ(worker.m_strOsName, L"CameraVideoRecord");
    }
#else
    EXPECT_EQ(worker.m_strOsName, L"CameraVideoReco");
#endif
    EXPECT_EQ(worker.GetName(), L"CameraVideoRecord");
}

TEST(KyCThreadTest, NamesAreCutWithoutSplittingACharacter) {
    // 14 ASCII letters and a two-byte letter: the 15-byte cut must drop the whole letter.
    CWorker worker(L"ABCDEFGHIJKLMN\u00e4Z");
    ASSERT_TRUE(worker.start());
    ASSERT_TRUE(worker.stop());
    std::lock_guard<std::mutex> lock(worker.m_LogMutex);
#if defined(_WIN32)
    if (!worker.m_strOsName.empty()) {
        EXPECT_EQ(worker.m_strOsName, L"ABCDEFGHIJKLMN\u00e4Z");
    }
#else
    EXPECT_EQ(worker.m_strOsName, L"ABCDEFGHIJKLMN");
#endif
}

TEST(KyCThreadTest, PriorityAndAffinityAreCheckedKeptAndApplied) {
    CWorker worker;
    EXPECT_EQ(worker.GetThreadPriority(), eThreadPriorityNormal);
    EXPECT_FALSE(worker.SetThreadPriority(static_cast<EThreadPriority>(7)));
    EXPECT_EQ(worker.GetThreadPriority(), eThreadPriorityNormal);
    const std::uintptr_t nProcess = worker.GetProcessAffinityMask();
    ASSERT_NE(nProcess, 0u);
    EXPECT_EQ(worker.GetThreadAffinityMask(), ~std::uintptr_t(0));
    EXPECT_FALSE(worker.SetThreadAffinityMask(~nProcess)) << "no processor of the process";
    EXPECT_EQ(worker.GetThreadAffinityMask(), ~std::uintptr_t(0));

    ASSERT_TRUE(worker.start());
    EXPECT_TRUE(worker.SetThreadPriority(eThreadPriorityBelowNormal));
    EXPECT_EQ(worker.GetThreadPriority(), eThreadPriorityBelowNormal);
    const std::uintptr_t nLowest = nProcess & (~nProcess + 1);
    EXPECT_TRUE(worker.SetThreadAffinityMask(nLowest));
    EXPECT_EQ(worker.GetThreadAffinityMask(), nLowest);
#if defined(__linux__)
    std::uint64_t nThreadId = 0;
    {
        std::lock_guard<std::mutex> lock(worker.m_LogMutex);
        nThreadId = worker.m_ThreadIds.at(0);
    }
    // Field 19 of the thread's stat line is its nice value: below normal is nice 5.
    std::ifstream stat("/proc/self/task/" + std::to_string(nThreadId) + "/stat");
    std::string strStat;
    std::getline(stat, strStat);
    std::istringstream fields(strStat.substr(strStat.rfind(')') + 2));
    std::vector<std::string> values;
    for (std::string s; fields >> s;)
        values.push_back(s);
    ASSERT_GT(values.size(), 16u);
    EXPECT_EQ(values[16], "5") << "nice of the worker thread, not of the caller";
#endif
    ASSERT_TRUE(worker.stop());
}
