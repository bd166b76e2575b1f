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

TEST(CbEventTest, WaitTakesTheLowestSetEventTimesOutOrRefusesEmptyAndNull) {
    CbEvent first(false, nullptr), second(false, nullptr), third(true, nullptr);
    unsigned nIndex = 99;
    EXPECT_EQ(CbEvent::WaitForSingleEvent(arrayOf({&first, &second}), 50, nIndex),
              eWaitResultTimeout);
    EXPECT_EQ(nIndex, 99u);
    second.Set();
    third.Set();
    for (unsigned nExpected : {1u, 2u, 2u}) {  // a manual-reset event stays set
        ASSERT_EQ(CbEvent::WaitForSingleEvent(arrayOf({&first, &second, &third}), 0, nIndex),
                  eWaitResultSignaled);
        EXPECT_EQ(nIndex, nExpected);
    }
    third.Reset();
    EXPECT_EQ(third.Wait(0), eWaitResultTimeout);
    EXPECT_EQ(CbEvent::WaitForSingleEvent(CbArray<const CbEvent*>(), 0, nIndex), eWaitResultFailed);
    EXPECT_EQ(CbEvent::WaitForSingleEvent(arrayOf({&third, nullptr}), 0, nIndex),
              eWaitResultFailed);
}

TEST(CbEventTest, ManySetsAndWaitsLoseNoWakeUpAndTheWaiterLeavesEveryEvent) {
    // A ping-pong over auto-reset events: one lost wake-up hangs a side until its time-out.
    CbEvent ping(false, nullptr), pong(false, nullptr), survivor(true, nullptr);
    const int kRounds = 500;
    std::atomic<int> nAnswered{0};
    std::thread partner([&] {
        CbArray<const CbEvent*> arr = arrayOf({&survivor, &ping});
        for (unsigned nIndex = 0; nAnswered < kRounds; pong.Set(), ++nAnswered) {
            if (CbEvent::WaitForSingleEvent(arr, kLongMs, nIndex) != eWaitResultSignaled ||
                nIndex != 1)
                return;
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
    // The waiter has unregistered from every event: a later Set of one must not touch the
    // finished wait (ASan would see it), nor may an event destroyed meanwhile.
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
