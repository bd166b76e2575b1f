// The process-wide singleton: one instance, whichever thread asks first.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "CbSingleton.h"

namespace {

struct SCounter {
    SCounter() { ++s_nConstructed; }
    inline static std::atomic<int> s_nConstructed{0};
};

}  // namespace

TEST(CbSingletonTest, EveryCallerOnEveryThreadGetsTheSameInstance) {
    std::atomic<SCounter*> pFirst{nullptr};
    std::atomic<int> nOthers{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([&] {
            SCounter* pMine = &CbSingleton<SCounter>::GetInstance();
            SCounter* pExpected = nullptr;
            if (!pFirst.compare_exchange_strong(pExpected, pMine))
                nOthers += pExpected != pMine;
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(nOthers.load(), 0);
    EXPECT_EQ(SCounter::s_nConstructed.load(), 1);
}
