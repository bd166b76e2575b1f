// The host thread: start, stop through the interrupt's external event, failures, names.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "CbEvent.h"
#include "KyCThread.h"
#include "KyPlatform.h"

namespace {

const unsigned kLongMs = 10000;

// A worker shaped like the component's: Run waits on its stop event until the interrupt says
// so; a stubborn one ignores interrupts until released. Logs its hooks.
class CWorker : public KyCThread {
public:
    explicit CWorker(const wchar_t* pszName = L"TestWorker")
        : KyCThread(pszName, nullptr, eThreadPriorityNormal, ~std::uintptr_t(0)) {
        SetExternalEvent(&m_StopEvent);
    }
    ~CWorker() override {
        m_Release.Set();
        if (!stop()) {  // a stop that does not work fails the test instead of hanging it
            ADD_FAILURE() << "the stop event did not end the thread";
            ActivateInterrupt();
            (void)WaitUntilTerminate(kLongMs).GetValue();
        }
    }

    bool start() {
        ClearInterrupt();
        m_StopEvent.Reset();
        return StartAndWait();
    }
    bool stop() {
        m_StopEvent.Set();
        return WaitUntilTerminate(kLongMs);
    }
    std::vector<std::string> log() {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_Log;
    }

    CbEvent m_StopEvent{true, nullptr}, m_Release{true, nullptr};
    std::atomic<bool> m_bRefuseStart{false}, m_bThrow{false}, m_bStubborn{false};
    std::atomic<std::uint64_t> m_nThreadId{0};
    std::mutex m_Mutex;  // guards the log
    std::vector<std::string> m_Log;

protected:
    bool onBeforeRun() override {
        KyPlatform::Sleep(100);  // a slow start-up must not be overtaken
        m_nThreadId = KyPlatform::GetCurrentThreadId();
        record(L"before");
        return !m_bRefuseStart.load();
    }
    void onAfterRun(bool bResult) override { record(bResult ? L"after:true" : L"after:false"); }
    bool Run() override {
        record(KyPlatform::GetCurrentThreadName());
        if (m_bThrow.load())
            throw std::runtime_error("failure inside Run");
        if (m_bStubborn.load())
            return m_Release.Wait(CbEvent::kInfinite) != eWaitResultSignaled;
        ClearInterrupt();
        while (!IsInterrupt())
            GetExternalEvent()->Wait(CbEvent::kInfinite);
        return true;
    }

private:
    void record(const std::wstring& strWhat) {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Log.push_back(std::string(strWhat.begin(), strWhat.end()));
    }
};

}  // namespace

TEST(KyCThreadTest, StartAndWaitReturnsPastTheStartUpAndTheStopEventEndsTheThread) {
    CWorker worker(L"Worker");
    EXPECT_TRUE(worker.WaitUntilTerminate(kLongMs)) << "a thread that never ran has ended";
    ASSERT_TRUE(worker.start());
    EXPECT_TRUE(worker.IsRunning());
    EXPECT_EQ(worker.log().at(0), "before");
    EXPECT_FALSE(worker.Start()) << "one thread at a time";
    ASSERT_TRUE(worker.stop());
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_TRUE(worker.GetRunResult());
    ASSERT_TRUE(worker.start()) << "the object can be started again";
    ASSERT_TRUE(worker.stop());
#if defined(_WIN32)
    const std::string strName = worker.log().at(1);  // none where threads have no descriptions
#else
    const std::string strName = "Worker";
#endif
    EXPECT_EQ(worker.log(), (std::vector<std::string>{"before", strName, "after:true", "before",
                                                      strName, "after:true"}));
    // Run clears the interrupt first thing; a stop set meanwhile must still end it.
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(worker.start());
        worker.m_StopEvent.Set();
        ASSERT_TRUE(worker.WaitUntilTerminate(2000)) << "round " << i;
    }
}

TEST(KyCThreadTest, RefusingStartThrowingOrIgnoringTheStopEndsAsReportedNotTheProcess) {
    CWorker refusing;
    refusing.m_bRefuseStart = true;
    EXPECT_FALSE(refusing.start());
    EXPECT_TRUE(refusing.WaitUntilTerminate(kLongMs));
    EXPECT_EQ(refusing.log(), std::vector<std::string>{"before"}) << "no Run, no after-run hook";

    CWorker throwing;
    throwing.m_bThrow = true;
    ASSERT_TRUE(throwing.start());
    EXPECT_TRUE(throwing.WaitUntilTerminate(kLongMs));
    EXPECT_TRUE(throwing.HasEndedByException());
    EXPECT_FALSE(throwing.GetRunResult());
    EXPECT_EQ(throwing.log().size(), 2u) << "no after-run hook past an exception";

    CWorker stubborn;
    stubborn.m_bStubborn = true;
    ASSERT_TRUE(stubborn.start());
    stubborn.ActivateInterrupt();  // ignored by this Run
    EXPECT_FALSE(stubborn.WaitUntilTerminate(200));
    stubborn.m_Release.Set();
    EXPECT_TRUE(stubborn.WaitUntilTerminate(kLongMs));
    EXPECT_FALSE(stubborn.GetRunResult());
}

TEST(KyCThreadTest, NamePriorityAndAffinityAreCheckedKeptAndAppliedToTheWorker) {
    CWorker worker(L"ABCDEFGHIJKLMNOP");
    EXPECT_FALSE(worker.SetThreadPriority(static_cast<EThreadPriority>(7)));
    EXPECT_EQ(worker.GetThreadPriority(), eThreadPriorityNormal);
    const std::uintptr_t nProcess = worker.GetProcessAffinityMask();
    ASSERT_NE(nProcess, 0u);
    EXPECT_FALSE(worker.SetThreadAffinityMask(~nProcess)) << "no processor of the process";
    EXPECT_EQ(worker.GetThreadAffinityMask(), ~std::uintptr_t(0));

    ASSERT_TRUE(worker.start());
    EXPECT_TRUE(worker.SetThreadPriority(eThreadPriorityBelowNormal));
    EXPECT_EQ(worker.GetThreadPriority(), eThreadPriorityBelowNormal);
    const std::uintptr_t nLowest = nProcess & (~nProcess + 1);
    EXPECT_TRUE(worker.SetThreadAffinityMask(nLowest));
    EXPECT_EQ(worker.GetThreadAffinityMask(), nLowest);
#if defined(__linux__)
    // Field 19 of the thread's stat line is its nice value: below normal is nice 5.
    std::ifstream in("/proc/self/task/" + std::to_string(worker.m_nThreadId.load()) + "/stat");
    std::string strStat, strNice;
    std::getline(in, strStat);
    std::istringstream fields(strStat.substr(strStat.rfind(')') + 2));
    for (int i = 0; i <= 16; ++i)
        fields >> strNice;
    EXPECT_EQ(strNice, "5") << "nice of the worker thread, not of the caller";
#endif
    // Linux keeps 15 bytes of a name, and a two-byte letter across the cut goes whole.
    ASSERT_TRUE(worker.stop());
    CWorker accented(L"ABCDEFGHIJKLMN\u00e4Z");
    ASSERT_TRUE(accented.start());
    ASSERT_TRUE(accented.stop());
#if defined(_WIN32)  // whole names; systems without thread descriptions report none
    EXPECT_TRUE(worker.log().at(1).empty() || worker.log().at(1) == "ABCDEFGHIJKLMNOP");
    EXPECT_TRUE(accented.log().at(1).empty() || accented.log().at(1) == "ABCDEFGHIJKLMN\xe4Z");
#else
    EXPECT_EQ(worker.log().at(1), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(accented.log().at(1), "ABCDEFGHIJKLMN");
#endif
}
