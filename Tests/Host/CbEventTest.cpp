// Events: manual and auto reset, and the wait on several events, also across threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "CbEvent.h"

namespace {

const unsigned kLongMs = 10000;  // only a lost wake-up takes this long

CbArray<const CbEvent*> arrayOf(std::initializer_list<const CbEvent*> events) {
    CbArray<const CbEvent*> arr;
    for (const CbEvent* p : events)
        arr.Add(p);
    return arr;
}

}  // namespace

TEST(CbEventTest, ManualResetStaysSetUntilResetAndAutoResetLetsOneWaitThrough) {
    CbEvent manual;  // manual reset unless told otherwise
    EXPECT_EQ(manual.Wait(0), eWaitResultTimeout);
    manual.Set();
    EXPECT_EQ(manual.Wait(0), eWaitResultSignaled);
    EXPECT_EQ(manual.Wait(0), eWaitResultSignaled) << "a wait must not consume a manual event";
    manual.Reset();
    EXPECT_EQ(manual.Wait(0), eWaitResultTimeout);

    CbEvent automatic(false, nullptr);
    automatic.Set();
    EXPECT_EQ(automatic.Wait(0), eWaitResultSignaled);
    EXPECT_FALSE(automatic.IsSet());
    EXPECT_EQ(automatic.Wait(0), eWaitResultTimeout);
}

TEST(CbEventTest, AutoResetWakesExactlyOneOfSeveralWaiters) {
    CbEvent event(false, nullptr);
    std::atomic<int> nWoken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i)
        waiters.emplace_back([&] { nWoken += event.Wait(1500) == eWaitResultSignaled; });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    event.Set();
    for (std::thread& t : waiters)
        t.join();
    EXPECT_EQ(nWoken.load(), 1);
    EXPECT_FALSE(event.IsSet());
}

TEST(CbEventTest, WaitReportsTheLowestSetEventTakesOnlyThatOneAndRefusesEmptyOrNull) {
    CbEvent first(false, nullptr), second(false, nullptr), third(true, nullptr);
    const CbArray<const CbEvent*> arr = arrayOf({&first, &second, &third});
    unsigned nIndex = 99;
    EXPECT_EQ(CbEvent::WaitForSingleEvent(arr, 50, nIndex), eWaitResultTimeout);
    EXPECT_EQ(nIndex, 99u);
    second.Set();
    third.Set();
    ASSERT_EQ(CbEvent::WaitForSingleEvent(arr, 0, nIndex), eWaitResultSignaled);
    EXPECT_EQ(nIndex, 1u);
    EXPECT_FALSE(second.IsSet()) << "the reported auto-reset event is taken";
    ASSERT_EQ(CbEvent::WaitForSingleEvent(arr, 0, nIndex), eWaitResultSignaled);
    EXPECT_EQ(nIndex, 2u);
    EXPECT_TRUE(third.IsSet()) << "a manual-reset event stays set";

    EXPECT_EQ(CbEvent::WaitForSingleEvent(CbArray<const CbEvent*>(), 0, nIndex), eWaitResultFailed);
    EXPECT_EQ(CbEvent::WaitForSingleEvent(arrayOf({&third, nullptr}), 0, nIndex),
              eWaitResultFailed);
}

TEST(CbEventTest, ManySetsAndWaitsLoseNoWakeUp) {
    // A ping-pong between two threads over auto-reset events: one lost wake-up hangs a side
    // until its generous time-out and fails the count.
    CbEvent ping(false, nullptr), pong(false, nullptr), unused(true, nullptr);
    const int kRounds = 500;
    std::atomic<int> nAnswered{0};
    std::thread partner([&] {
        const CbArray<const CbEvent*> arr = arrayOf({&unused, &ping});
        unsigned nIndex = 0;
        while (nAnswered < kRounds &&
               CbEvent::WaitForSingleEvent(arr, kLongMs, nIndex) == eWaitResultSignaled &&
               nIndex == 1) {
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
