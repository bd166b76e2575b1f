// Checked results and the process-wide singleton.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "CbCheckReturn.h"
#include "CbSingleton.h"

namespace {

struct SCounter {
    SCounter() { ++s_nConstructed; }
    inline static std::atomic<int> s_nConstructed{0};
};

}  // namespace

TEST(CbCheckReturnTest, ReadingTheValueMarksItExaminedAndACopyTakesOverTheDuty) {
    CbCheckReturn<bool> original(false);
    CbCheckReturn<bool> copy(original);
    EXPECT_TRUE(original.IsChecked()) << "the copy carries the duty now";
    EXPECT_FALSE(copy.IsChecked());
    EXPECT_FALSE(static_cast<bool>(copy));
    EXPECT_TRUE(copy.IsChecked());
}

TEST(CbSingletonTest, EveryCallerOnEveryThreadGetsTheSameInstance) {
    SCounter* pFirst = &CbSingleton<SCounter>::GetInstance();
    std::atomic<int> nOthers{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([&] { nOthers += &CbSingleton<SCounter>::GetInstance() != pFirst; });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(nOthers.load(), 0);
    EXPECT_EQ(SCounter::s_nConstructed.load(), 1);
}
