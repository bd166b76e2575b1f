// Intrusive reference counting: strong and weak pointers, and threads.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "CbSmartPointer.h"
#include "IReferenceCounted.h"

namespace {

std::atomic<int> g_nDestroyed{0};

class CCounted : public IReferenceCounted {
public:
    ~CCounted() override { ++g_nDestroyed; }
    unsigned GetCount() const { return m_Counter.GetCount(); }
    int m_nValue = 7;

protected:
    const CbReferenceCounter<unsigned int>& getReferenceCounter() const override {
        return m_Counter;
    }

private:
    CbReferenceCounter<unsigned int> m_Counter;
};

class CDerived : public CCounted {};

class CbSmartPointerTest : public ::testing::Test {
protected:
    void SetUp() override { g_nDestroyed = 0; }
};

}  // namespace

TEST_F(CbSmartPointerTest, CopiesCountWeakPointersDoNotAndTheLastReleaseDestroysOnce) {
    CbSmartPointer<CDerived> pDerived(new CDerived);
    CbSmartPointer<CCounted> p(pDerived);  // a derived pointer shares the count
    pDerived.Release();
    CbWeakPointer<CCounted> weak(p);
    {
        CbSmartPointer<CCounted> copy(p), assigned;
        assigned = copy;
        CbSmartPointer<CCounted> moved(std::move(copy));
        EXPECT_TRUE(copy.IsNull());
        CbSmartPointer<CCounted>& alias = p;
        p = alias;                                    // self-assignment keeps the object
        CbWeakPointer<CCounted> first(p), second(p);  // destroyed first: they unregister
        EXPECT_EQ(weak.Lock().Get(), p.Get());
        EXPECT_EQ(p->GetCount(), 3u) << "a move, a self-assignment or a weak pointer counts none";
    }
    EXPECT_EQ(p->GetCount(), 1u);
    CCounted valueCopy(*p);
    EXPECT_EQ(valueCopy.GetCount(), 0u) << "copying an object does not copy its count";
    CbSmartPointer<CCounted> other(new CCounted);
    CbWeakPointer<CCounted> moved(other);
    moved.Reset(p);
    other.Release();
    EXPECT_FALSE(moved.IsExpired()) << "the old object's death must not clear the new reference";
    EXPECT_EQ(g_nDestroyed.load(), 1);
    p = nullptr;
    EXPECT_EQ(g_nDestroyed.load(), 2);
    EXPECT_TRUE(weak.IsExpired());
    EXPECT_TRUE(moved.Lock().IsNull());
}

TEST_F(CbSmartPointerTest, CopiesAndLocksRacingTheLastReleaseDestroyOnceAndNeverRevive) {
    for (int nRound = 0; nRound < 100; ++nRound) {
        CbSmartPointer<CCounted> p(new CCounted);
        CbWeakPointer<CCounted> weak(p);
        std::atomic<bool> bGo{false}, bStop{false};
        std::atomic<int> nLockedAfterDeath{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 2; ++t) {
            // Each copier lets its own copy go last, racing the other and the locker.
            threads.emplace_back([&bGo, mine = p] {
                while (!bGo.load())
                    std::this_thread::yield();
                for (int i = 0; i < 500; ++i) {
                    if (CbSmartPointer<CCounted>(mine)->m_nValue != 7)
                        std::abort();
                }
            });
        }
        threads.emplace_back([&] {
            while (!bStop.load()) {
                CbSmartPointer<CCounted> locked = weak.Lock();
                if (!locked.IsNull() && locked->m_nValue != 7)
                    std::abort();
                if (!locked.IsNull() && g_nDestroyed.load() > nRound)
                    ++nLockedAfterDeath;
            }
        });
        p.Release();
        bGo = true;
        for (int t = 0; t < 2; ++t)
            threads[t].join();
        bStop = true;
        threads[2].join();
        EXPECT_EQ(nLockedAfterDeath.load(), 0);
        ASSERT_EQ(g_nDestroyed.load(), nRound + 1) << "round " << nRound;
        EXPECT_TRUE(weak.Lock().IsNull());
    }
}
