// Node pool: reuse, failures, degenerate block sizes, the request limit and giving memory back.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>
#include <utility>
#include <vector>

#include "CbNodeLinked.h"
#include "CbPlexManager.h"
#include "KyTestCountingElement.h"
#include "KyTestPlexMemory.h"

namespace {

typedef CbNodeLinked<KyTestCountingElement, 0> Node;
typedef CbPlexManager<Node, 0, unsigned int, KyTestPlexMemory> Pool;
// With a 16-bit size type one request holds at most 65535 bytes.
typedef CbPlexManager<Node, 0, unsigned short, KyTestPlexMemory> SmallChunkPool;

class CbPlexManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        KyTestPlexMemory::Reset();
        KyTestCountingElement::ResetCounts();
    }
    void TearDown() override {
        // Memory goes back when the pool dies, newest first, and nothing twice.
        EXPECT_EQ(KyTestPlexMemory::s_arrFreed,
                  std::vector<void*>(KyTestPlexMemory::s_arrObtained.rbegin(),
                                     KyTestPlexMemory::s_arrObtained.rend()));
        KyTestPlexMemory::Reset();
    }
};

TEST_F(CbPlexManagerTest, ReleasedNodesAreReusedCleanWithoutNewMemory) {
    Pool pool(10, 0, 1.5f);
    Node* pA = pool.getFreeElement();
    Node* pB = pool.getFreeElement();
    EXPECT_EQ(KyTestPlexMemory::s_arrAlignments.at(0) % alignof(Node), 0u);
    pA->m_Element.m_nValue = 7;
    pA->m_pNext = pB;
    pool.releaseElement(pA);
    pool.releaseElement(nullptr);  // ignored
    EXPECT_EQ(KyTestCountingElement::s_nDestroyed, 1);
    Node* pAgain = pool.getFreeElement();
    EXPECT_EQ(pAgain, pA);
    EXPECT_EQ(pAgain->m_pNext, nullptr);
    EXPECT_EQ(pAgain->m_Element.m_nValue, 0);
    std::vector<Node*> arrNodes = {pA, pB};
    for (int nRound = 0; nRound < 3; ++nRound) {  // ten out and back, again and again
        while (arrNodes.size() < 10)
            arrNodes.push_back(pool.getFreeElement());
        EXPECT_EQ(std::set<Node*>(arrNodes.begin(), arrNodes.end()).size(), 10u);
        for (Node* pNode : arrNodes)
            pool.releaseElement(pNode);
        arrNodes.clear();
    }
    EXPECT_EQ(KyTestPlexMemory::s_arrRequestBytes.size(), 1u);
    EXPECT_EQ(pool.GetFreeCount(), 10u);
    EXPECT_EQ(KyTestCountingElement::Alive(), 0);
}

TEST_F(CbPlexManagerTest, RefusedBlockThrowsFixedTextsAndTheNextRequestStillWorks) {
    KyTestPlexMemory::s_Answer = [](std::size_t nIndex) {
        return nIndex == 0 ? KyTestPlexMemory::eRefuse : KyTestPlexMemory::eReal;
    };
    Pool pool(10, 0, 1.5f);
    try {
        pool.getFreeElement();
        FAIL() << "no exception";
    } catch (const CbExceptionContainer& e) {
        EXPECT_STREQ(e.GetFile(), "Sources/Core/BasePool/CbPlexManager");
        EXPECT_EQ(e.GetLine(), 302u);
        EXPECT_STREQ(e.GetFunction(),
                     "CbPlexManager<class CbNodeLinked<class KyCFieldBase,0>,0,unsigned "
                     "int>::getFreeElement");
    }
    EXPECT_EQ(KyTestCountingElement::s_nConstructed, 0);
    Node* pNode = pool.getFreeElement();
    ASSERT_NE(pNode, nullptr);
    pool.releaseElement(pNode);
    for (int i = 0; i < 11; ++i)
        pool.getFreeElement();  // still "in a list" when the pool dies: not destroyed
    EXPECT_EQ(KyTestCountingElement::s_nDestroyed, 1);
}

// A block that would hold no node throws instead of handing out nothing.
TEST_F(CbPlexManagerTest, ABlockOfNoNodesThrows) {
    const struct {
        unsigned nInitial;
        float fFactor;
    } cases[] = {{0, 1.5f}, {10, 0.0f}, {10, -2.0f}, {10, std::nanf("")}};
    for (const auto& c : cases) {
        KyTestPlexMemory::Reset();
        Pool pool(c.nInitial, 0, c.fFactor);
        std::vector<Node*> arrNodes;
        for (unsigned i = 0; i < c.nInitial; ++i)
            arrNodes.push_back(pool.getFreeElement());
        EXPECT_THROW(pool.getFreeElement(), CbExceptionContainer) << c.fFactor;
        EXPECT_THROW(pool.getFreeElement(), CbExceptionContainer) << c.fFactor;
        for (Node* pNode : arrNodes)
            pool.releaseElement(pNode);
    }
}

TEST_F(CbPlexManagerTest, ACountWhoseNextBlockOverflowsIsClampedToOneFullRequest) {
    // Products above the size type and exactly at its end (2^31 * 2) alike.
    for (const auto& c : {std::make_pair(3000000000u, 3.0f), std::make_pair(2147483648u, 2.0f)}) {
        KyTestPlexMemory::Reset();
        KyTestPlexMemory::s_Answer = [](std::size_t) { return KyTestPlexMemory::eRefuse; };
        Pool pool(c.first, 0, c.second);
        EXPECT_THROW(pool.getFreeElement(), CbExceptionContainer);
        EXPECT_THROW(pool.getFreeElement(), CbExceptionContainer);
        EXPECT_EQ(KyTestPlexMemory::s_arrRequestBytes,
                  std::vector<std::size_t>(2, Pool::kChunkLimit * sizeof(Node)))
            << c.first << " nodes, factor " << c.second;
    }
}

// Every node of a block split into requests is its own and lies inside one of them.
TEST_F(CbPlexManagerTest, EveryNodeOfASplitBlockLiesInsideOneRequest) {
    for (unsigned nBlock : {10000u, 8190u, 4096u}) {
        KyTestPlexMemory::Reset();
        SmallChunkPool pool(10, static_cast<unsigned short>(nBlock), 1.5f);
        std::vector<Node*> arrNodes;
        for (unsigned i = 0; i < nBlock; ++i)
            arrNodes.push_back(pool.getFreeElement());
        EXPECT_EQ(std::set<Node*>(arrNodes.begin(), arrNodes.end()).size(), nBlock);
        for (Node* pNode : arrNodes) {
            const auto* pByte = reinterpret_cast<const unsigned char*>(pNode);
            int nHits = 0;
            for (std::size_t c = 0; c < KyTestPlexMemory::s_arrObtained.size(); ++c) {
                EXPECT_LE(KyTestPlexMemory::s_arrRequestBytes[c], 65535u);
                const auto* pChunk =
                    static_cast<const unsigned char*>(KyTestPlexMemory::s_arrObtained[c]);
                if (!std::less<const void*>()(pByte, pChunk) &&
                    !std::less<const void*>()(pChunk + KyTestPlexMemory::s_arrRequestBytes[c],
                                              pByte + sizeof(Node)))
                    ++nHits;
            }
            ASSERT_EQ(nHits, 1) << nBlock << " nodes: " << pNode;
        }
        for (Node* pNode : arrNodes)
            pool.releaseElement(pNode);
        EXPECT_EQ(pool.GetFreeCount(), nBlock) << "no node more, no node less";
    }
}

}  // namespace
