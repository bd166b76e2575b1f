// Node pool: reuse, failures, degenerate block sizes, the request limit and giving memory back.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>
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

typedef KyTestPlexMemory Memory;

class CbPlexManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        Memory::Reset();
        KyTestCountingElement::ResetCounts();
    }
    void TearDown() override {
        // Memory goes back when the pool dies, newest first, and nothing twice.
        EXPECT_EQ(Memory::s_arrFreed,
                  std::vector<void*>(Memory::s_arrObtained.rbegin(), Memory::s_arrObtained.rend()));
        Memory::Reset();
    }
    template <class TPool>
    static std::vector<Node*> take(TPool& pool, unsigned nCount) {
        std::vector<Node*> arrNodes;
        for (unsigned i = 0; i < nCount; ++i)
            arrNodes.push_back(pool.getFreeElement());
        return arrNodes;
    }
};

}  // namespace

TEST_F(CbPlexManagerTest, ReleasedNodesAreReusedCleanWithoutNewMemory) {
    Pool pool(10, 0, 1.5f);
    Node* pA = pool.getFreeElement();
    EXPECT_EQ(Memory::s_arrAlignments.at(0) % alignof(Node), 0u);
    pA->m_Element.m_nValue = 7;
    pA->m_pNext = pA;
    pool.releaseElement(pA);
    pool.releaseElement(nullptr);  // ignored
    EXPECT_EQ(KyTestCountingElement::s_nDestroyed, 1);
    for (int nRound = 0; nRound < 3; ++nRound) {  // ten out and back, again and again
        std::vector<Node*> arrNodes = take(pool, 10);
        EXPECT_EQ(std::set<Node*>(arrNodes.begin(), arrNodes.end()).size(), 10u);
        for (Node* pNode : arrNodes) {
            EXPECT_EQ(pNode->m_pNext, nullptr);
            EXPECT_EQ(pNode->m_Element.m_nValue, 0);
            pool.releaseElement(pNode);
        }
    }
    EXPECT_EQ(Memory::s_arrRequestBytes.size(), 1u);
    EXPECT_EQ(KyTestCountingElement::Alive(), 0);
}

TEST_F(CbPlexManagerTest, RefusedBlockThrowsFixedTextsAndTheNextRequestStillWorks) {
    Memory::s_Answer = [](std::size_t nIndex) {
        return nIndex == 0 ? Memory::eRefuse : Memory::eReal;
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
    pool.releaseElement(pool.getFreeElement());
    take(pool, 11);  // still "in a list" when the pool dies: not destroyed
    EXPECT_EQ(KyTestCountingElement::s_nDestroyed, 1);
}

TEST_F(CbPlexManagerTest, ABlockOfNoNodesOrAnOverflowingOneThrowsAndIsClamped) {
    // A block that would hold no node throws instead of handing out nothing.
    const struct {
        unsigned nInitial;
        float fFactor;
    } empty[] = {{0, 1.5f}, {10, 0.0f}, {10, -2.0f}, {10, std::nanf("")}};
    for (const auto& c : empty) {
        Memory::Reset();
        Pool pool(c.nInitial, 0, c.fFactor);
        std::vector<Node*> arrNodes = take(pool, c.nInitial);
        EXPECT_THROW(pool.getFreeElement(), CbExceptionContainer) << c.fFactor;
        EXPECT_THROW(pool.getFreeElement(), CbExceptionContainer) << c.fFactor;
        for (Node* pNode : arrNodes)
            pool.releaseElement(pNode);
    }
    // Products above the size type and exactly at its end (2^31 * 2) ask for one full request.
    for (const auto& c : {std::make_pair(3000000000u, 3.0f), std::make_pair(2147483648u, 2.0f)}) {
        Memory::Reset();
        Memory::s_Answer = [](std::size_t) { return Memory::eRefuse; };
        Pool pool(c.first, 0, c.second);
        EXPECT_THROW(pool.getFreeElement(), CbExceptionContainer);
        EXPECT_THROW(pool.getFreeElement(), CbExceptionContainer);
        EXPECT_EQ(Memory::s_arrRequestBytes,
                  std::vector<std::size_t>(2, Pool::kChunkLimit * sizeof(Node)))
            << c.first << " nodes, factor " << c.second;
    }
}

// Every node of a block split into requests is its own and lies inside one of them.
TEST_F(CbPlexManagerTest, EveryNodeOfASplitBlockLiesInsideOneRequest) {
    for (unsigned nBlock : {10000u, 8190u, 4096u}) {
        Memory::Reset();
        SmallChunkPool pool(10, static_cast<unsigned short>(nBlock), 1.5f);
        std::vector<Node*> arrNodes = take(pool, nBlock);
        EXPECT_EQ(std::set<Node*>(arrNodes.begin(), arrNodes.end()).size(), nBlock);
        const std::less<const void*> before;
        for (Node* pNode : arrNodes) {
            const auto* pByte = reinterpret_cast<const unsigned char*>(pNode);
            int nHits = 0;
            for (std::size_t c = 0; c < Memory::s_arrObtained.size(); ++c) {
                EXPECT_LE(Memory::s_arrRequestBytes[c], 65535u);
                const auto* pChunk = static_cast<const unsigned char*>(Memory::s_arrObtained[c]);
                nHits += !before(pByte, pChunk) &&
                         !before(pChunk + Memory::s_arrRequestBytes[c], pByte + sizeof(Node));
            }
            ASSERT_EQ(nHits, 1) << nBlock << " nodes: " << pNode;
        }
        for (Node* pNode : arrNodes)
            pool.releaseElement(pNode);
        EXPECT_EQ(pool.GetFreeCount(), nBlock) << "no node more, no node less";
    }
}
