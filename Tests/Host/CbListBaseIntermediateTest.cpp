// Pooled linked list: order, invariants, node reuse, errors, the shared pool, queued frames.
#include <gtest/gtest.h>

#include <vector>

#include "CbListBaseIntermediate.h"
#include "KyCFieldBase.h"
#include "KyTestCountingElement.h"
#include "KyTestPlexMemory.h"

namespace {

typedef CbListBaseIntermediate<KyTestCountingElement, 9, KyTestPlexMemory> List;

// Values from head to tail, checking the list's invariants on the way.
std::vector<int> Values(const List& list) {
    std::vector<int> arrValues;
    const unsigned nCount = list.GetCount();
    EXPECT_EQ(list.GetHead() == nullptr, nCount == 0);
    EXPECT_EQ(list.GetTail() == nullptr, nCount == 0);
    const List::Node* pNode = list.GetHead();
    for (unsigned i = 0; pNode != nullptr && i < nCount; ++i, pNode = pNode->m_pNext) {
        arrValues.push_back(pNode->m_Element.m_nValue);
        if (i + 1 == nCount) {
            EXPECT_EQ(pNode, list.GetTail()) << "tail is not count - 1 links from head";
            EXPECT_EQ(pNode->m_pNext, nullptr) << "tail has a link";
        }
    }
    EXPECT_EQ(arrValues.size(), nCount) << "the chain ends before count nodes";
    return arrValues;
}

void AddValue(List& list, int nValue) {
    List::Node* pNode = list.GetPlexManager().getFreeElement();
    pNode->m_Element.m_nValue = nValue;
    list.AddTail(pNode);
}

class CbListBaseIntermediateTest : public ::testing::Test {
protected:
    void SetUp() override {
        KyTestPlexMemory::Reset();
        KyTestCountingElement::ResetCounts();
        m_spPool = List::SharedPlexManager::Create(10u, 0u, 1.5f);
    }
    void TearDown() override {
        m_spPool.Release();
        KyTestPlexMemory::Reset();
    }

    CbSmartPointer<List::SharedPlexManager> m_spPool;
};

TEST_F(CbListBaseIntermediateTest, FramesComeOutInTheOrderTheyWentInOnReusedNodes) {
    List list(m_spPool);
    std::vector<int> arrExpected;
    for (int i = 1; i <= 5; ++i) {
        AddValue(list, i);
        arrExpected.push_back(i);
        EXPECT_EQ(Values(list), arrExpected);
    }
    for (int i = 1; i <= 5; ++i) {
        list.RemoveHead();
        arrExpected.erase(arrExpected.begin());
        EXPECT_EQ(Values(list), arrExpected);
        EXPECT_EQ(KyTestCountingElement::s_nDestroyed, i);
    }
    // A stale tail would hang the next node behind a freed one.
    for (int i = 0; i < 110; ++i) {
        if (list.GetCount() == 10)
            list.RemoveHead();
        AddValue(list, i);
    }
    EXPECT_EQ(Values(list), (std::vector<int>{100, 101, 102, 103, 104, 105, 106, 107, 108, 109}));
    EXPECT_EQ(KyTestPlexMemory::s_arrRequestBytes.size(), 1u) << "a steady queue reuses nodes";
}

TEST_F(CbListBaseIntermediateTest, RemoveHeadOnAnEmptyListThrowsFixedTexts) {
    List list(m_spPool);
    try {
        list.RemoveHead();
        FAIL() << "no exception";
    } catch (const CbExceptionContainer& e) {
        EXPECT_STREQ(e.GetFile(), "Sources/Core/BasePool/CbListBaseIntermediate");
        EXPECT_EQ(e.GetLine(), 526u);
        EXPECT_STREQ(e.GetFunction(), "CbListBaseIntermediate<class KyCFieldBase,9>::RemoveHead");
    }
    EXPECT_EQ(list.GetCount(), 0u);
}

TEST_F(CbListBaseIntermediateTest, RemoveAllAndADestroyedListGiveEveryNodeBackToTheSharedPool) {
    {
        List list(m_spPool);
        for (int i = 1; i <= 7; ++i)
            AddValue(list, i);
        list.RemoveAll();
        EXPECT_EQ(Values(list), std::vector<int>());
        EXPECT_EQ(KyTestCountingElement::Alive(), 0);
        list.RemoveAll();  // on an empty list: nothing to do
        for (int i = 1; i <= 10; ++i)
            AddValue(list, i);
    }
    EXPECT_EQ(KyTestCountingElement::Alive(), 0);
    EXPECT_TRUE(KyTestPlexMemory::s_arrFreed.empty()) << "the creator still holds the pool";
    List list(m_spPool);
    for (int i = 1; i <= 10; ++i)
        AddValue(list, i);
    EXPECT_EQ(KyTestPlexMemory::s_arrRequestBytes.size(), 1u) << "all ten nodes came back";
}

TEST_F(CbListBaseIntermediateTest, TheListsShareKeepsThePoolAliveAndItsElementsGoFirst) {
    int nAliveAtFree = -1;
    KyTestPlexMemory::s_OnFree = [&nAliveAtFree] { nAliveAtFree = KyTestCountingElement::Alive(); };
    {
        List list(m_spPool);
        m_spPool.Release();           // the list holds the last share
        for (int i = 0; i < 25; ++i)  // two blocks
            AddValue(list, i);
        EXPECT_TRUE(KyTestPlexMemory::s_arrFreed.empty());
    }
    EXPECT_EQ(KyTestPlexMemory::s_arrFreed.size(), 2u);
    EXPECT_EQ(nAliveAtFree, 0) << "elements are destroyed before their memory goes";
}

TEST_F(CbListBaseIntermediateTest, NullPoolNullNodeAndPoolFailureLeaveTheListAsItWas) {
    EXPECT_THROW(List list{CbSmartPointer<List::SharedPlexManager>()}, CbExceptionContainer);
    KyTestPlexMemory::s_Answer = [](std::size_t nIndex) {
        return nIndex == 0 ? KyTestPlexMemory::eReal : KyTestPlexMemory::eRefuse;
    };
    List list(m_spPool);
    for (int i = 0; i < 10; ++i)
        AddValue(list, i);
    EXPECT_THROW(list.AddTail(nullptr), CbExceptionContainer);
    EXPECT_THROW(AddValue(list, 10), CbExceptionContainer);
    EXPECT_EQ(Values(list), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    list.RemoveHead();
    AddValue(list, 10);  // a free node again, no block needed
    EXPECT_EQ(Values(list).back(), 10);
}

}  // namespace

TEST(CbListBaseIntermediateFrameTest, QueuedFrameSharesItsSourceBufferUntilRemoved) {
    typedef CbListBaseIntermediate<KyCFieldBase, 9> FrameList;
    FrameList list(FrameList::SharedPlexManager::Create(10u, 0u, 1.5f));
    KyCFieldBase frame(KyCRect2(0, 0, 31, 15), 4, 0);
    for (int nRound = 0; nRound < 2; ++nRound) {
        FrameList::Node* pNode = list.GetPlexManager().getFreeElement();
        EXPECT_TRUE(pNode->m_Element.IsEmpty()) << "a reused node comes back clean";
        pNode->m_Element = frame;
        list.AddTail(pNode);
        EXPECT_EQ(list.GetHead()->m_Element.m_pData, frame.m_pData);  // shared, not copied
        EXPECT_FALSE(frame.IsLastRef());
        if (nRound == 0)
            list.RemoveHead();
        else
            list.RemoveAll();
        EXPECT_TRUE(frame.IsLastRef());
    }
}
