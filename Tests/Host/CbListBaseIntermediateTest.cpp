// Pooled linked list: order, invariants, node reuse, errors and the shared pool.
#include <gtest/gtest.h>

#include <vector>

#include "CbListBaseIntermediate.h"
#include "KyTestCountingElement.h"
#include "KyTestPlexMemory.h"

namespace {

typedef CbListBaseIntermediate<KyTestCountingElement, 9, KyTestPlexMemory> List;

// Values from head to tail, checking the list's invariants on the way.
std::vector<int> values(const List& list) {
    std::vector<int> arrValues;
    const unsigned nCount = list.GetCount();
    EXPECT_EQ(list.GetHead() == nullptr, nCount == 0);
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

void add(List& list, int nFirst, int nLast) {
    for (int n = nFirst; n <= nLast; ++n) {
        List::Node* pNode = list.GetPlexManager().getFreeElement();
        EXPECT_EQ(pNode->m_Element.m_nValue, 0) << "a reused node comes back fresh";
        pNode->m_Element.m_nValue = n;
        list.AddTail(pNode);
    }
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

}  // namespace

TEST_F(CbListBaseIntermediateTest, FramesComeOutInTheOrderTheyWentInOnReusedNodes) {
    List list(m_spPool);
    add(list, 1, 3);
    list.RemoveHead();
    EXPECT_EQ(values(list), (std::vector<int>{2, 3}));
    list.RemoveHead();
    list.RemoveHead();
    EXPECT_EQ(values(list), std::vector<int>());
    EXPECT_EQ(KyTestCountingElement::s_nDestroyed, 3);
    // A stale tail would hang the next node behind a freed one.
    for (int i = 0; i < 110; ++i) {
        if (list.GetCount() == 10)
            list.RemoveHead();
        add(list, i, i);
    }
    EXPECT_EQ(values(list), (std::vector<int>{100, 101, 102, 103, 104, 105, 106, 107, 108, 109}));
    EXPECT_EQ(KyTestPlexMemory::s_arrRequestBytes.size(), 1u) << "a steady queue reuses nodes";
}

TEST_F(CbListBaseIntermediateTest, ErrorsThrowAndLeaveTheListAsItWas) {
    EXPECT_THROW(List list{CbSmartPointer<List::SharedPlexManager>()}, CbExceptionContainer);
    List list(m_spPool);
    EXPECT_THROW(list.RemoveHead(), CbExceptionContainer);
    KyTestPlexMemory::s_Answer = [](std::size_t nIndex) {
        return nIndex == 0 ? KyTestPlexMemory::eReal : KyTestPlexMemory::eRefuse;
    };
    add(list, 0, 9);
    EXPECT_THROW(list.AddTail(nullptr), CbExceptionContainer);
    EXPECT_THROW(add(list, 10, 10), CbExceptionContainer);
    EXPECT_EQ(values(list), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    list.RemoveHead();
    add(list, 10, 10);  // a free node again, no block needed
    EXPECT_EQ(values(list).back(), 10);
}

TEST_F(CbListBaseIntermediateTest, RemovedNodesGoBackToTheSharedPoolWhichDiesWithTheLastList) {
    int nAliveAtFree = -1;
    KyTestPlexMemory::s_OnFree = [&nAliveAtFree] { nAliveAtFree = KyTestCountingElement::Alive(); };
    {
        List list(m_spPool);
        add(list, 1, 7);
        list.RemoveAll();
        EXPECT_EQ(values(list), std::vector<int>());
        EXPECT_EQ(KyTestCountingElement::Alive(), 0);
        add(list, 1, 10);
    }
    EXPECT_EQ(KyTestCountingElement::Alive(), 0);
    {
        List list(m_spPool);
        m_spPool.Release();  // the list holds the last share
        add(list, 1, 10);
        EXPECT_EQ(KyTestPlexMemory::s_arrRequestBytes.size(), 1u) << "all ten nodes came back";
        add(list, 11, 25);  // a second block
        EXPECT_TRUE(KyTestPlexMemory::s_arrFreed.empty());
    }
    EXPECT_EQ(KyTestPlexMemory::s_arrFreed.size(), 2u);
    EXPECT_EQ(nAliveAtFree, 0) << "elements are destroyed before their memory goes";
}
