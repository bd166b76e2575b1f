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
    CbSmartPointer<CDerived> pDerived(new CDerived);
    CbSmartPointer<CCounted> p(pDerived);  // a derived pointer shares the count
    pDerived.Release();
    {
        CbSmartPointer<CCounted> copy(p);
        CbSmartPointer<CCounted> assigned;
        assigned = copy;
        EXPECT_EQ(p->GetCount(), 3u);
        CbSmartPointer<CCounted> moved(std::move(copy));
        EXPECT_TRUE(copy.IsNull());
        EXPECT_EQ(p->GetCount(), 3u) << "a move takes no reference";
        CbSmartPointer<CCounted>& alias = p;
        p = alias;  // self-assignment keeps the object
        EXPECT_EQ(p->GetCount(), 3u);
    }
    EXPECT_EQ(p->GetCount(), 1u);
    EXPECT_EQ(g_nDestroyed.load(), 0);
    CCounted valueCopy(*p);
    EXPECT_EQ(valueCopy.GetCount(), 0u) << "copying an object does not copy its count";
    p = nullptr;
    EXPECT_EQ(g_nDestroyed.load(), 1);
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
    {
        CbWeakPointer<CCounted> first(p), second(p);  // destroyed first: they unregister
        EXPECT_FALSE(first.Lock().IsNull());
    }
    EXPECT_FALSE(weak.IsExpired());
    {
        CbSmartPointer<CCounted> locked = weak.Lock();
        EXPECT_EQ(locked.Get(), p.Get());
        EXPECT_EQ(p->GetCount(), 2u);
    }
    EXPECT_EQ(p->GetCount(), 1u) << "a weak pointer holds no reference";
    CbSmartPointer<CCounted> other(new CCounted);
    CbWeakPointer<CCounted> moved(other);
    moved.Reset(p);
    other.Release();
    EXPECT_FALSE(moved.IsExpired()) << "the old object's death must not clear the new reference";
    p.Release();
    EXPECT_EQ(g_nDestroyed.load(), 2);
    EXPECT_TRUE(weak.IsExpired());
    EXPECT_TRUE(moved.IsExpired());
    EXPECT_TRUE(weak.Lock().IsNull());
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

TEST_F(CbSmartPointerTest, DeleterIsCalledInsteadOfDeleteAfterTheWeakReferencesAreCleared) {
    CCounted* pInSlot = new (g_Slot) CCounted(&destroyInSlot);
    CbSmartPointer<CCounted> p(pInSlot);
    CbWeakPointer<CCounted> weak(p);
    g_pSlotWatch = &weak;
    p.Release();
    g_pSlotWatch = nullptr;
    EXPECT_EQ(g_nDeleterCalls.load(), 1);
    EXPECT_EQ(g_nDestroyed.load(), 1) << "the deleter ran the destructor";
    EXPECT_TRUE(g_bExpiredBeforeDeleter.load());
}
