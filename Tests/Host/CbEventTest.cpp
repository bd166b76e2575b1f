// Events: manual and auto reset, and the wait on several events from other threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "CbEvent.h"

namespace {

const unsigned kLongMs = 10000;  // only a lost wake-up takes this long

double elapsedMs(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

CbArray<const CbEvent*> arrayOf(std::initializer_list<const CbEvent*> events) {
    CbArray<const CbEvent*> arr;
    for (const CbEvent* p : events)
        arr.Add(p);
    return arr;
}

}  // namespace

TEST(CbEventTest, ManualResetStaysSetUntilReset) {
    CbEvent event(true, nullptr);
    EXPECT_FALSE(event.IsSet());
    event.Set();
    EXPECT_EQ(event.Wait(0), eWaitResultSignaled);
    EXPECT_EQ(event.Wait(0), eWaitResultSignaled) << "a wait must not consume a manual event";
    EXPECT_TRUE(event.IsSet());
    event.Reset();
    EXPECT_FALSE(event.IsSet());
    EXPECT_EQ(event.Wait(0), eWaitResultTimeout);
}

TEST(CbEventTest, AutoResetLetsOneWaitThroughPerSet) {
    CbEvent event(false, nullptr);
    event.Set();
    EXPECT_EQ(event.Wait(0), eWaitResultSignaled);
    EXPECT_FALSE(event.IsSet());
    EXPECT_EQ(event.Wait(0), eWaitResultTimeout);
}

TEST(CbEventTest, AutoResetWakesExactlyOneOfSeveralWaiters) {
    CbEvent event(false, nullptr);
    std::atomic<int> nWoken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i) {
        waiters.emplace_back([&] {
            if (event.Wait(1500) == eWaitResultSignaled)
                ++nWoken;
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    event.Set();
    for (std::thread& t : waiters)
        t.join();
    EXPECT_EQ(nWoken.load(), 1);
    EXPECT_FALSE(event.IsSet());
}

TEST(CbEventTest, WaitReturnsTheIndexOfTheEventSetByAnotherThread) {
    for (unsigned nWhich : {0u, 1u}) {
        // The wait has no time-out; an extra event in front, set by a watchdog only when the
        // wake-up is lost, keeps a broken wait from hanging the test.
        CbEvent first(true, nullptr), second(true, nullptr), rescue(true, nullptr);
        CbEvent done(true, nullptr);
        CbArray<const CbEvent*> arr = arrayOf({&rescue, &first, &second});
        std::thread setter([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            (nWhich == 0 ? first : second).Set();
            if (done.Wait(kLongMs) != eWaitResultSignaled)
                rescue.Set();
        });
        unsigned nIndex = 99;
        EXPECT_EQ(CbEvent::WaitForSingleEvent(arr, CbEvent::kInfinite, nIndex),
                  eWaitResultSignaled);
        done.Set();
        EXPECT_EQ(nIndex, nWhich + 1);
        setter.join();
    }
}

TEST(CbEventTest, WaitReportsTheLowestSetEvent) {
    CbEvent first(true, nullptr), second(true, nullptr), third(true, nullptr);
    second.Set();
    third.Set();
    unsigned nIndex = 99;
    EXPECT_EQ(CbEvent::WaitForSingleEvent(arrayOf({&first, &second, &third}), 0, nIndex),
              eWaitResultSignaled);
    EXPECT_EQ(nIndex, 1u);
}

TEST(CbEventTest, WaitTakesOnlyTheAutoResetEventItReports) {
    CbEvent first(false, nullptr), second(false, nullptr);
    first.Set();
    second.Set();
    unsigned nIndex = 99;
    ASSERT_EQ(CbEvent::WaitForSingleEvent(arrayOf({&first, &second}), 0, nIndex),
              eWaitResultSignaled);
    EXPECT_EQ(nIndex, 0u);
    EXPECT_FALSE(first.IsSet());
    EXPECT_TRUE(second.IsSet()) << "the second event was not reported and must stay set";
}

TEST(CbEventTest, WaitTimesOutWhenNothingIsSet) {
    CbEvent first(true, nullptr), second(true, nullptr);
    unsigned nIndex = 99;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CbEvent::WaitForSingleEvent(arrayOf({&first, &second}), 100, nIndex),
              eWaitResultTimeout);
    const double dMs = elapsedMs(start);
    EXPECT_GE(dMs, 95.0);
    EXPECT_LT(dMs, kLongMs);
    EXPECT_EQ(nIndex, 99u) << "a time-out leaves the index alone";
}

TEST(CbEventTest, WaitRefusesAnEmptyArrayOrANullEvent) {
    unsigned nIndex = 0;
    EXPECT_EQ(CbEvent::WaitForSingleEvent(CbArray<const CbEvent*>(), 0, nIndex), eWaitResultFailed);
    CbEvent event(true, nullptr);
    event.Set();
    EXPECT_EQ(CbEvent::WaitForSingleEvent(arrayOf({&event, nullptr}), 0, nIndex),
              eWaitResultFailed);
}

TEST(CbEventTest, ManySetsAndWaitsLoseNoWakeUp) {
    // A ping-pong between two threads over auto-reset events: a single lost wake-up hangs one
    // side until its generous time-out and fails the count.
    CbEvent ping(false, nullptr), pong(false, nullptr), unused(true, nullptr);
    const int kRounds = 500;
    std::atomic<int> nAnswered{0};
    std::thread partner([&] {
        CbArray<const CbEvent*> arr = arrayOf({&unused, &ping});
        for (int i = 0; i < kRounds; ++i) {
            unsigned nIndex = 0;
            if (CbEvent::WaitForSingleEvent(arr, kLongMs, nIndex) != eWaitResultSignaled ||
                nIndex != 1) {
                return;
            }
            ++nAnswered;
            pong.Set();
        }
    });
    int nRounds = 0;
    for (; nRounds < kRounds; ++nRounds) {
        ping.Set();
        if (pong.Wait(kLongMs) != eWaitResultSignaled)
            break;
    }
    partner.join();
    EXPECT_EQ(nRounds, kRounds);
    EXPECT_EQ(nAnswered.load(), kRounds);
}

TEST(CbEventTest, AnEventCanBeDestroyedOnceItsWaiterHasReturned) {
    // The waiter unregisters from every event before it returns: a later Set of the surviving
    // event must not touch the finished wait (ASan would see it).
    CbEvent survivor(true, nullptr);
    {
        CbEvent shortLived(true, nullptr);
        std::thread setter([&] { shortLived.Set(); });
        unsigned nIndex = 0;
        EXPECT_EQ(CbEvent::WaitForSingleEvent(arrayOf({&survivor, &shortLived}), kLongMs, nIndex),
                  eWaitResultSignaled);
        EXPECT_EQ(nIndex, 1u);
        setter.join();
    }
    survivor.Set();
    EXPECT_TRUE(survivor.IsSet());
}
