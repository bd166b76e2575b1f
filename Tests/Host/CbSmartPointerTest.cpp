// Intrusive reference counting: strong and weak pointers, the deleter, and threads.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "CbSmartPointer.h"
#include "IReferenceCounted.h"

namespace {

std::atomic<int> g_nDestroyed{0};
std::atomic<int> g_nDeleterCalls{0};

class CCounted : public IReferenceCounted {
public:
    CCounted() = default;
    explicit CCounted(PFN_CbDeleter pDeleter) : m_Counter(pDeleter) {}
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

// Frees objects that live in a caller-owned slot: the deleter runs the destructor only.
alignas(CCounted) unsigned char g_Slot[sizeof(CCounted)];
CbWeakPointer<CCounted>* g_pSlotWatch = nullptr;  // looked at when the deleter runs
std::atomic<bool> g_bExpiredBeforeDeleter{false};
void destroyInSlot(const IReferenceCounted* pObject) {
    ++g_nDeleterCalls;
    g_bExpiredBeforeDeleter = g_pSlotWatch != nullptr && g_pSlotWatch->IsExpired();
    pObject->~IReferenceCounted();
}

class CbSmartPointerTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_nDestroyed = 0;
        g_nDeleterCalls = 0;
    }
};

}  // namespace

TEST_F(CbSmartPointerTest, CopiesCountAndTheLastReleaseDestroysOnce) {
    CCounted* pRaw = new CCounted;
    CbSmartPointer<CCounted> p(pRaw);
    EXPECT_EQ(pRaw->GetCount(), 1u);
    {
        CbSmartPointer<CCounted> copy(p);
        CbSmartPointer<CCounted> assigned;
        assigned = copy;
        EXPECT_EQ(pRaw->GetCount(), 3u);
        CbSmartPointer<CCounted> moved(std::move(copy));
        EXPECT_TRUE(copy.IsNull());
        EXPECT_EQ(pRaw->GetCount(), 3u) << "a move takes no reference";
    }
    EXPECT_EQ(pRaw->GetCount(), 1u);
    EXPECT_EQ(g_nDestroyed.load(), 0);
    p = nullptr;
    EXPECT_EQ(g_nDestroyed.load(), 1);
}

TEST_F(CbSmartPointerTest, ConvertsFromADerivedPointerSharingTheCount) {
    CbSmartPointer<CDerived> pDerived(new CDerived);
    CbSmartPointer<CCounted> pBase(pDerived);
    EXPECT_EQ(pBase->GetCount(), 2u);
    pDerived.Release();
    EXPECT_EQ(g_nDestroyed.load(), 0);
    pBase.Release();
    EXPECT_EQ(g_nDestroyed.load(), 1);
}

TEST_F(CbSmartPointerTest, SelfAssignmentKeepsTheObject) {
    CbSmartPointer<CCounted> p(new CCounted);
    CbSmartPointer<CCounted>& alias = p;
    p = alias;
    ASSERT_FALSE(p.IsNull());
    EXPECT_EQ(p->GetCount(), 1u);
    EXPECT_EQ(g_nDestroyed.load(), 0);
}

TEST_F(CbSmartPointerTest, CopiesDroppedOnManyThreadsDestroyTheObjectExactlyOnce) {
    const int kThreads = 4, kCopies = 5000;
    for (int nRound = 0; nRound < 20; ++nRound) {
        CbSmartPointer<CCounted> p(new CCounted);
        std::atomic<bool> bGo{false};
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            // Each thread gets its own copy and lets it go last, racing the others.
            threads.emplace_back([&bGo, mine = p] {
                while (!bGo.load())
                    std::this_thread::yield();
                for (int i = 0; i < kCopies; ++i) {
                    CbSmartPointer<CCounted> copy(mine);
                    CbSmartPointer<CCounted> second = copy;
                    if (second->m_nValue != 7)
                        std::abort();
                }
            });
        }
        EXPECT_EQ(p->GetCount(), static_cast<unsigned>(kThreads + 1));
        p.Release();
        bGo = true;
        for (std::thread& t : threads)
            t.join();
        ASSERT_EQ(g_nDestroyed.load(), nRound + 1) << "round " << nRound;
    }
}

TEST_F(CbSmartPointerTest, WeakPointerLocksWhileTheObjectLivesAndExpiresWhenItDies) {
    CbSmartPointer<CCounted> p(new CCounted);
    CbWeakPointer<CCounted> weak(p);
    EXPECT_FALSE(weak.IsExpired());
    {
        CbSmartPointer<CCounted> locked = weak.Lock();
        ASSERT_FALSE(locked.IsNull());
        EXPECT_EQ(locked.Get(), p.Get());
        EXPECT_EQ(p->GetCount(), 2u);
    }
    EXPECT_EQ(p->GetCount(), 1u) << "a weak pointer holds no reference";
    p.Release();
    EXPECT_EQ(g_nDestroyed.load(), 1);
    EXPECT_TRUE(weak.IsExpired());
    EXPECT_TRUE(weak.Lock().IsNull());
}

TEST_F(CbSmartPointerTest, WeakPointerResetMovesToAnotherObject) {
    CbSmartPointer<CCounted> a(new CCounted), b(new CCounted);
    CbWeakPointer<CCounted> weak(a);
    weak.Reset(b);
    a.Release();
    EXPECT_FALSE(weak.IsExpired()) << "the old object's death must not clear the new reference";
    EXPECT_EQ(weak.Lock().Get(), b.Get());
    weak.Reset(CbSmartPointer<CCounted>());
    EXPECT_TRUE(weak.IsExpired());
    EXPECT_EQ(b->GetCount(), 1u);
}

TEST_F(CbSmartPointerTest, WeakPointerDestroyedBeforeTheObjectUnregisters) {
    CbSmartPointer<CCounted> p(new CCounted);
    {
        CbWeakPointer<CCounted> first(p), second(p);
        EXPECT_FALSE(first.Lock().IsNull());
    }
    // The dying object walks its weak list: a stale node would be a use after free under ASan.
    CbWeakPointer<CCounted> survivor(p);
    p.Release();
    EXPECT_TRUE(survivor.IsExpired());
}

TEST_F(CbSmartPointerTest, LockRacingTheLastReleaseNeverRevivesTheObject) {
    for (int nRound = 0; nRound < 200; ++nRound) {
        CbSmartPointer<CCounted> p(new CCounted);
        CbWeakPointer<CCounted> weak(p);
        std::atomic<bool> bStop{false};
        std::atomic<int> nLockedAfterDeath{0};
        std::thread locker([&] {
            while (!bStop.load()) {
                CbSmartPointer<CCounted> locked = weak.Lock();
                if (!locked.IsNull() && locked->m_nValue != 7)
                    std::abort();
                if (!locked.IsNull() && g_nDestroyed.load() > nRound)
                    ++nLockedAfterDeath;
            }
        });
        std::this_thread::yield();
        p.Release();
        bStop = true;
        locker.join();
        EXPECT_EQ(nLockedAfterDeath.load(), 0);
        ASSERT_EQ(g_nDestroyed.load(), nRound + 1);
        EXPECT_TRUE(weak.Lock().IsNull());
    }
}

TEST_F(CbSmartPointerTest, DeleterIsCalledInsteadOfDelete) {
    CCounted* pInSlot = new (g_Slot) CCounted(&destroyInSlot);
    CbSmartPointer<CCounted> p(pInSlot);
    CbWeakPointer<CCounted> weak(p);
    g_pSlotWatch = &weak;
    p.Release();
    g_pSlotWatch = nullptr;
    EXPECT_EQ(g_nDeleterCalls.load(), 1);
    EXPECT_EQ(g_nDestroyed.load(), 1) << "the deleter ran the destructor";
    EXPECT_TRUE(g_bExpiredBeforeDeleter.load())
        << "weak references are cleared before the deleter runs";
}

TEST_F(CbSmartPointerTest, CopyingAnObjectDoesNotCopyItsCount) {
    CbSmartPointer<CCounted> p(new CCounted);
    CCounted copy(*p);
    EXPECT_EQ(copy.GetCount(), 0u);
    EXPECT_EQ(p->GetCount(), 1u);
}
