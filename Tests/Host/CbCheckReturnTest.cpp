// Checked results and the process-wide singleton.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "CbCheckReturn.h"
#include "CbSingleton.h"

namespace {

CbCheckReturn<bool> answer(bool b) {
    return b;
}

struct SCounter {
    SCounter() { ++s_nConstructed; }
    static std::atomic<int> s_nConstructed;
    int m_nValue = 0;
};
std::atomic<int> SCounter::s_nConstructed{0};

}  // namespace

TEST(CbCheckReturnTest, ReadingTheValueMarksItExaminedAndACopyTakesOverTheDuty) {
    CbCheckReturn<bool> result = answer(true);
    EXPECT_FALSE(result.IsChecked());
    const bool bValue = result;
    EXPECT_TRUE(bValue);
    EXPECT_TRUE(result.IsChecked());

    CbCheckReturn<bool> original = answer(false);
    CbCheckReturn<bool> copy(original);
    EXPECT_TRUE(original.IsChecked()) << "the copy carries the duty now";
    EXPECT_FALSE(copy.IsChecked());
    EXPECT_FALSE(copy.GetValue());
    EXPECT_TRUE(copy.IsChecked());
}

TEST(CbSingletonTest, EveryCallerOnEveryThreadGetsTheSameInstance) {
    SCounter* pFirst = &CbSingleton<SCounter>::GetInstance();
    std::vector<std::thread> threads;
    std::atomic<int> nOthers{0};
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&] {
            if (&CbSingleton<SCounter>::GetInstance() != pFirst)
                ++nOthers;
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(nOthers.load(), 0);
    EXPECT_EQ(SCounter::s_nConstructed.load(), 1);
}
