// Pooled linked list: order, invariants, node reuse, errors, the shared pool, queued frames.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
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
    if (nCount == 0) {
        EXPECT_EQ(list.GetHead(), nullptr);
        EXPECT_EQ(list.GetTail(), nullptr);
        return arrValues;
    }
    const List::Node* pNode = list.GetHead();
    for (unsigned i = 0; pNode != nullptr && i < nCount; ++i) {
        arrValues.push_back(pNode->m_Element.m_nValue);
        if (i + 1 == nCount) {
            EXPECT_EQ(pNode, list.GetTail()) << "tail is not count - 1 links from head";
            EXPECT_EQ(pNode->m_pNext, nullptr) << "tail has a link";
        }
        pNode = pNode->m_pNext;
    }
    EXPECT_EQ(arrValues.size(), nCount) << "the chain ends before count nodes";
    return arrValues;
}

List::Node* AddValue(List& list, int nValue) {
    List::Node* pNode = list.GetPlexManager().getFreeElement();
    pNode->m_Element.m_nValue = nValue;
    list.AddTail(pNode);
    return pNode;
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

TEST_F(CbListBaseIntermediateTest, NewListIsEmptyAndObtainsNoMemory) {
    List list(m_spPool);
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(list.GetHead(), nullptr);
    EXPECT_EQ(list.GetTail(), nullptr);
    EXPECT_EQ(&list.GetPlexManager(), &m_spPool->GetPool());
    EXPECT_TRUE(KyTestPlexMemory::s_arrRequestBytes.empty());
}

TEST_F(CbListBaseIntermediateTest, FramesComeOutInTheOrderTheyWentIn) {
    List list(m_spPool);
    std::vector<int> arrExpected;
    for (int i = 1; i <= 5; ++i) {
        AddValue(list, i);
        arrExpected.push_back(i);
        EXPECT_EQ(Values(list), arrExpected);
    }
    for (int i = 1; i <= 5; ++i) {
        ASSERT_NE(list.GetHead(), nullptr);
        EXPECT_EQ(list.GetHead()->m_Element.m_nValue, i);
        list.RemoveHead();
        arrExpected.erase(arrExpected.begin());
        EXPECT_EQ(Values(list), arrExpected);
        EXPECT_EQ(KyTestCountingElement::s_nDestroyed, i);
    }
    EXPECT_EQ(list.GetCount(), 0u);
}

TEST_F(CbListBaseIntermediateTest, RemovingTheOnlyNodeEmptiesTheListForTheNextFrame) {
    List list(m_spPool);
    AddValue(list, 1);
    list.RemoveHead();
    EXPECT_EQ(list.GetHead(), nullptr);
    EXPECT_EQ(list.GetTail(), nullptr);
    EXPECT_EQ(list.GetCount(), 0u);
    // A stale tail would hang the new node behind a freed one.
    AddValue(list, 2);
    AddValue(list, 3);
    EXPECT_EQ(Values(list), (std::vector<int>{2, 3}));
}

TEST_F(CbListBaseIntermediateTest, RemovedFrameAndNextAddedFrameShareTheNode) {
    List list(m_spPool);
    AddValue(list, 1);
    AddValue(list, 2);
    List::Node* pOldHead = list.GetHead();
    list.RemoveHead();
    List::Node* pNew = AddValue(list, 3);
    EXPECT_EQ(pNew, pOldHead);
    EXPECT_EQ(Values(list), (std::vector<int>{2, 3}));

    // Ten frames waiting and a long steady state: one block, obtained once.
    for (int i = 4; i <= 11; ++i)
        AddValue(list, i);
    EXPECT_EQ(list.GetCount(), 10u);
    for (int i = 0; i < 100; ++i) {
        list.RemoveHead();
        AddValue(list, 100 + i);
    }
    EXPECT_EQ(Values(list).front(), 190);
    EXPECT_EQ(KyTestPlexMemory::s_arrRequestBytes.size(), 1u);
    EXPECT_EQ(list.GetPlexManager().GetBlocksAllocated(), 1u);
    EXPECT_EQ(list.GetPlexManager().GetFreeCount(), 0u);
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
    AddValue(list, 1);
    list.RemoveHead();
    EXPECT_THROW(list.RemoveHead(), IException);
    EXPECT_EQ(list.GetCount(), 0u);
}

TEST_F(CbListBaseIntermediateTest, RemoveAllGivesEveryNodeBackHeadFirst) {
    List list(m_spPool);
    for (int i = 1; i <= 7; ++i)
        AddValue(list, i);
    List::Node* pTail = list.GetTail();
    list.RemoveAll();
    EXPECT_EQ(Values(list), std::vector<int>());
    EXPECT_EQ(KyTestCountingElement::Alive(), 0);
    EXPECT_EQ(list.GetPlexManager().GetFreeCount(), 10u);
    // The tail went back last, so it is handed out first.
    EXPECT_EQ(AddValue(list, 8), pTail);
    EXPECT_EQ(Values(list), std::vector<int>{8});

    list.RemoveAll();
    list.RemoveAll();  // on an empty list: nothing to do
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(list.GetPlexManager().GetFreeCount(), 10u);
}

TEST_F(CbListBaseIntermediateTest, DestroyedListReleasesItsElementsBeforeThePoolGoes) {
    int nAliveAtFree = -1;
    KyTestPlexMemory::s_OnFree = [&nAliveAtFree] { nAliveAtFree = KyTestCountingElement::Alive(); };
    {
        List list(m_spPool);
        for (int i = 0; i < 4; ++i)
            AddValue(list, i);
        m_spPool.Release();  // the list holds the last share
        EXPECT_TRUE(KyTestPlexMemory::s_arrFreed.empty());
    }
    EXPECT_EQ(KyTestPlexMemory::s_arrFreed.size(), 1u);
    EXPECT_EQ(nAliveAtFree, 0);
    EXPECT_EQ(KyTestCountingElement::s_nDestroyed, 4);
}

TEST_F(CbListBaseIntermediateTest, ListShareKeepsThePoolAliveAfterItsCreatorLetsGo) {
    List list(m_spPool);
    m_spPool.Release();
    for (int i = 0; i < 25; ++i)  // grows the pool: 10 + 15 nodes
        AddValue(list, i);
    for (int i = 0; i < 20; ++i)
        list.RemoveHead();
    EXPECT_EQ(Values(list), (std::vector<int>{20, 21, 22, 23, 24}));
    EXPECT_EQ(list.GetPlexManager().GetBlocksAllocated(), 2u);
    EXPECT_TRUE(KyTestPlexMemory::s_arrFreed.empty());
}

TEST_F(CbListBaseIntermediateTest, PoolOutlivesAListWhoseCreatorStillHoldsIt) {
    {
        List list(m_spPool);
        AddValue(list, 1);
        AddValue(list, 2);
    }
    EXPECT_EQ(KyTestCountingElement::Alive(), 0);
    EXPECT_TRUE(KyTestPlexMemory::s_arrFreed.empty());
    EXPECT_EQ(m_spPool->GetPool().GetFreeCount(), 10u);

    // A second list on the same pool reuses its nodes.
    List list(m_spPool);
    AddValue(list, 3);
    EXPECT_EQ(KyTestPlexMemory::s_arrRequestBytes.size(), 1u);
}

TEST_F(CbListBaseIntermediateTest, NullPoolAndNullNodeAreRefused) {
    EXPECT_THROW(List list{CbSmartPointer<List::SharedPlexManager>()}, CbExceptionContainer);

    List list(m_spPool);
    AddValue(list, 1);
    EXPECT_THROW(list.AddTail(nullptr), CbExceptionContainer);
    EXPECT_EQ(Values(list), std::vector<int>{1});
}

TEST_F(CbListBaseIntermediateTest, PoolFailurePassesThroughAndLeavesTheListAsItWas) {
    KyTestPlexMemory::s_Answer = [](std::size_t nIndex) {
        return nIndex == 0 ? KyTestPlexMemory::eReal : KyTestPlexMemory::eRefuse;
    };
    List list(m_spPool);
    for (int i = 0; i < 10; ++i)
        AddValue(list, i);
    EXPECT_THROW(AddValue(list, 10), CbExceptionContainer);
    EXPECT_EQ(list.GetCount(), 10u);
    EXPECT_EQ(Values(list).back(), 9);
    list.RemoveHead();
    AddValue(list, 10);  // a free node again, no block needed
    EXPECT_EQ(Values(list).back(), 10);
}

TEST(CbListBaseIntermediateDefaultMemoryTest, OwnsRealElementsAcrossSeveralBlocks) {
    typedef CbListBaseIntermediate<std::string, 9> StringList;
    StringList list(StringList::SharedPlexManager::Create(10u, 0u, 1.5f));
    for (int i = 0; i < 40; ++i) {  // 10 + 15 + 22 nodes
        StringList::Node* pNode = list.GetPlexManager().getFreeElement();
        EXPECT_TRUE(pNode->m_Element.empty());
        pNode->m_Element = std::string(64, static_cast<char>('a' + i % 26));
        list.AddTail(pNode);
    }
    EXPECT_EQ(list.GetPlexManager().GetBlocksAllocated(), 3u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(list.GetHead()->m_Element[0], static_cast<char>('a' + i));
        list.RemoveHead();
    }
    EXPECT_EQ(list.GetCount(), 35u);
    // The rest is freed by the list's destructor; the sanitizer build reports any leak.
}

}  // namespace

TEST(CbListBaseIntermediateFrameTest, QueuedFrameSharesItsSourceBufferUntilRemoved) {
    typedef CbListBaseIntermediate<KyCFieldBase, 9> FrameList;
    FrameList list(FrameList::SharedPlexManager::Create(10u, 0u, 1.5f));
    KyCFieldBase frame(KyCRect2(0, 0, 31, 15), 4, 0);
    ASSERT_TRUE(frame.IsLastRef());

    FrameList::Node* pNode = list.GetPlexManager().getFreeElement();
    // The element comes first in a node and the link after it.
    EXPECT_EQ(static_cast<void*>(&pNode->m_Element), static_cast<void*>(pNode));
    EXPECT_GE(reinterpret_cast<char*>(&pNode->m_pNext) - reinterpret_cast<char*>(pNode),
              static_cast<std::ptrdiff_t>(sizeof(KyCFieldBase)));
    EXPECT_TRUE(pNode->m_Element.IsEmpty());
    pNode->m_Element = frame;
    list.AddTail(pNode);

    EXPECT_EQ(list.GetHead()->m_Element.m_pData, frame.m_pData);  // shared, not copied
    EXPECT_FALSE(frame.IsLastRef());
    list.RemoveHead();
    EXPECT_TRUE(frame.IsLastRef());

    pNode = list.GetPlexManager().getFreeElement();
    pNode->m_Element = frame;
    list.AddTail(pNode);
    list.RemoveAll();
    EXPECT_TRUE(frame.IsLastRef());
}
