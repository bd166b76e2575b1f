// Node pool: block growth, hand-out order, reuse, failures and the chunk split.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "CbNodeLinked.h"
#include "CbPlexManager.h"
#include "KyTestCountingElement.h"
#include "KyTestPlexMemory.h"

namespace {

typedef CbNodeLinked<KyTestCountingElement, 0> Node;
typedef CbPlexManager<Node, 0, unsigned int, KyTestPlexMemory> Pool;
static_assert(sizeof(Node) == 16, "the byte counts below assume a 16-byte node");

// A node of exactly 1 GiB: four of them do not fit one 32-bit request.
struct SGiantElement {
    unsigned char arrBytes[(1u << 30) - sizeof(void*)];
};
typedef CbNodeLinked<SGiantElement, 0> GiantNode;
typedef CbPlexManager<GiantNode, 0, unsigned int, KyTestPlexMemory> GiantPool;
static_assert(sizeof(GiantNode) == (std::size_t(1) << 30), "a giant node is 1 GiB");

// With a 16-bit size type a chunk holds at most 65535 bytes: 4095 nodes.
typedef CbPlexManager<Node, 0, unsigned short, KyTestPlexMemory> SmallChunkPool;

std::vector<std::size_t> RequestedNodeCounts(std::size_t nNodeSize) {
    std::vector<std::size_t> arrCounts;
    for (std::size_t nBytes : KyTestPlexMemory::s_arrRequestBytes) {
        EXPECT_EQ(nBytes % nNodeSize, 0u);
        arrCounts.push_back(nBytes / nNodeSize);
    }
    return arrCounts;
}

void RefuseAll() {
    KyTestPlexMemory::s_Answer = [](std::size_t) { return KyTestPlexMemory::eRefuse; };
}

class CbPlexManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        KyTestPlexMemory::Reset();
        KyTestCountingElement::ResetCounts();
    }
    void TearDown() override { KyTestPlexMemory::Reset(); }
};

TEST_F(CbPlexManagerTest, BlocksGrowByTheFactorInSinglePrecisionTruncated) {
    RefuseAll();  // every attempt still counts as a block, so no memory is needed
    Pool pool(10, 0, 1.5f);
    for (int i = 0; i < 10; ++i)
        EXPECT_THROW(pool.getFreeElement(), CbExceptionContainer);
    const std::vector<std::size_t> arrExpected = {10, 15, 22, 33, 49, 73, 109, 163, 244, 366};
    EXPECT_EQ(RequestedNodeCounts(sizeof(Node)), arrExpected);
    EXPECT_EQ(pool.GetBlocksAllocated(), 10u);
    EXPECT_EQ(pool.GetChunkCount(), 10u);  // refused chunks keep their records
    EXPECT_EQ(KyTestCountingElement::s_nConstructed, 0);
}

TEST_F(CbPlexManagerTest, GrowthConvertsTheCountToFloatFirst) {
    RefuseAll();
    // 16777217 has no float: it becomes 16777216 even with a factor of 1.
    Pool pool(16777217, 0, 1.0f);
    EXPECT_THROW(pool.getFreeElement(), CbExceptionContainer);
    EXPECT_THROW(pool.getFreeElement(), CbExceptionContainer);
    EXPECT_EQ(RequestedNodeCounts(sizeof(Node)), (std::vector<std::size_t>{16777217, 16777216}));
}

TEST_F(CbPlexManagerTest, FixedBlockSizeOverridesGrowth) {
    RefuseAll();
    Pool pool(10, 4, 1.5f);
    for (int i = 0; i < 3; ++i)
        EXPECT_THROW(pool.getFreeElement(), CbExceptionContainer);
    EXPECT_EQ(RequestedNodeCounts(sizeof(Node)), (std::vector<std::size_t>{4, 4, 4}));
}

TEST_F(CbPlexManagerTest, NewBlockHandsOutItsHighestNodeFirst) {
    Pool pool(10, 0, 1.5f);
    std::vector<Node*> arrNodes;
    for (int i = 0; i < 10; ++i)
        arrNodes.push_back(pool.getFreeElement());
    ASSERT_EQ(KyTestPlexMemory::s_arrObtained.size(), 1u);
    EXPECT_EQ(KyTestPlexMemory::s_arrAlignments[0], 8u);
    auto* pBase = static_cast<unsigned char*>(KyTestPlexMemory::s_arrObtained[0]);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(pBase) % 8, 0u);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(reinterpret_cast<unsigned char*>(arrNodes[i]), pBase + (9 - i) * sizeof(Node));
    EXPECT_EQ(pool.GetFreeCount(), 0u);

    // The eleventh node opens a block of 15, again from its top.
    Node* pEleventh = pool.getFreeElement();
    ASSERT_EQ(KyTestPlexMemory::s_arrObtained.size(), 2u);
    EXPECT_EQ(KyTestPlexMemory::s_arrRequestBytes[1], 15 * sizeof(Node));
    auto* pBase2 = static_cast<unsigned char*>(KyTestPlexMemory::s_arrObtained[1]);
    EXPECT_EQ(reinterpret_cast<unsigned char*>(pEleventh), pBase2 + 14 * sizeof(Node));
    EXPECT_EQ(pool.GetFreeCount(), 14u);
    EXPECT_EQ(pool.GetBlocksAllocated(), 2u);
    for (Node* pNode : arrNodes)
        pool.releaseElement(pNode);
    pool.releaseElement(pEleventh);
}

TEST_F(CbPlexManagerTest, ReleasedNodeIsNextHandedOutAndComesBackClean) {
    Pool pool(10, 0, 1.5f);
    Node* pA = pool.getFreeElement();
    Node* pB = pool.getFreeElement();
    EXPECT_EQ(pA->m_pNext, nullptr);
    pA->m_Element.m_nValue = 7;
    pA->m_pNext = pB;

    pool.releaseElement(pA);
    EXPECT_EQ(KyTestCountingElement::s_nDestroyed, 1);
    Node* pAgain = pool.getFreeElement();
    EXPECT_EQ(pAgain, pA);
    EXPECT_EQ(pAgain->m_pNext, nullptr);
    EXPECT_EQ(pAgain->m_Element.m_nValue, 0);
    EXPECT_EQ(KyTestCountingElement::s_nConstructed, 3);

    // Last released, first handed out.
    pool.releaseElement(pA);
    pool.releaseElement(pB);
    EXPECT_EQ(pool.getFreeElement(), pB);
    EXPECT_EQ(pool.getFreeElement(), pA);

    const std::size_t nFree = pool.GetFreeCount();
    pool.releaseElement(nullptr);  // ignored
    EXPECT_EQ(pool.GetFreeCount(), nFree);
    EXPECT_EQ(pool.GetBlocksAllocated(), 1u);
    pool.releaseElement(pA);
    pool.releaseElement(pB);
    EXPECT_EQ(KyTestCountingElement::Alive(), 0);
}

TEST_F(CbPlexManagerTest, RefusedBlockThrowsFixedTextsAndGrowthGoesOn) {
    KyTestPlexMemory::s_Answer = [](std::size_t nIndex) {
        return nIndex == 0 ? KyTestPlexMemory::eRefuse : KyTestPlexMemory::eReal;
    };
    {
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
        EXPECT_EQ(pool.GetBlocksAllocated(), 1u);
        EXPECT_EQ(pool.GetChunkCount(), 1u);
        EXPECT_EQ(pool.GetFreeCount(), 0u);
        EXPECT_EQ(KyTestCountingElement::s_nConstructed, 0);

        // The refused block still counts: the next one holds 15 nodes.
        Node* pNode = pool.getFreeElement();
        EXPECT_EQ(KyTestPlexMemory::s_arrRequestBytes.back(), 15 * sizeof(Node));
        EXPECT_EQ(pool.GetChunkCount(), 2u);
        EXPECT_EQ(pool.GetFreeCount(), 14u);
        pool.releaseElement(pNode);
    }
    EXPECT_EQ(KyTestPlexMemory::s_arrFreed, KyTestPlexMemory::s_arrObtained);
}

TEST_F(CbPlexManagerTest, BlockSizeOfZeroThrowsInsteadOfHandingOutNothing) {
    Pool emptyPool(0, 0, 1.5f);
    EXPECT_THROW(emptyPool.getFreeElement(), CbExceptionContainer);
    EXPECT_TRUE(KyTestPlexMemory::s_arrRequestBytes.empty());

    Pool shrinkingPool(10, 0, 0.0f);  // the second block would have 0 nodes
    std::vector<Node*> arrNodes;
    for (int i = 0; i < 10; ++i)
        arrNodes.push_back(shrinkingPool.getFreeElement());
    EXPECT_THROW(shrinkingPool.getFreeElement(), CbExceptionContainer);

    Pool nanPool(10, 0, std::nanf(""));
    Node* pNode = nanPool.getFreeElement();
    nanPool.releaseElement(pNode);
    for (int i = 0; i < 10; ++i)
        arrNodes.push_back(nanPool.getFreeElement());
    EXPECT_THROW(nanPool.getFreeElement(), CbExceptionContainer);
    EXPECT_EQ(KyTestPlexMemory::s_arrRequestBytes.size(), 2u);

    for (int i = 0; i < 10; ++i) {
        shrinkingPool.releaseElement(arrNodes[i]);
        nanPool.releaseElement(arrNodes[10 + i]);
    }
}

TEST_F(CbPlexManagerTest, BlockAboveTheRequestLimitIsSplitIntoChunks) {
    // 1 GiB nodes: at most 3 per request, so 10 become 3 + 3 + 3 + 1. The first three are fake
    // (never touched); refusing the last makes the pool throw before it touches them.
    KyTestPlexMemory::s_Answer = [](std::size_t nIndex) {
        return nIndex < 3 ? KyTestPlexMemory::eFake : KyTestPlexMemory::eRefuse;
    };
    EXPECT_EQ(GiantPool::kChunkLimit, 3u);
    {
        GiantPool pool(10, 0, 1.5f);
        EXPECT_THROW(pool.getFreeElement(), CbExceptionContainer);
        const std::size_t nGiB = std::size_t(1) << 30;
        EXPECT_EQ(KyTestPlexMemory::s_arrRequestBytes,
                  (std::vector<std::size_t>{3 * nGiB, 3 * nGiB, 3 * nGiB, nGiB}));
        for (std::size_t nBytes : KyTestPlexMemory::s_arrRequestBytes)
            EXPECT_LE(nBytes, 4294967295u);
        EXPECT_EQ(pool.GetBlocksAllocated(), 1u);
        EXPECT_EQ(pool.GetChunkCount(), 4u);
    }
    // Given back last obtained first.
    std::vector<void*> arrExpected(KyTestPlexMemory::s_arrObtained.rbegin(),
                                   KyTestPlexMemory::s_arrObtained.rend());
    EXPECT_EQ(KyTestPlexMemory::s_arrFreed, arrExpected);
}

TEST_F(CbPlexManagerTest, OversizedCountIsClampedAndSplit) {
    RefuseAll();
    Pool pool(3000000000u, 0, 3.0f);  // the second block would overflow 32 bits
    EXPECT_THROW(pool.getFreeElement(), CbExceptionContainer);
    EXPECT_THROW(pool.getFreeElement(), CbExceptionContainer);
    // Each attempt stops at its first refused chunk, which is a full one.
    EXPECT_EQ(KyTestPlexMemory::s_arrRequestBytes,
              (std::vector<std::size_t>{Pool::kChunkLimit * sizeof(Node),
                                        Pool::kChunkLimit * sizeof(Node)}));
}

TEST_F(CbPlexManagerTest, SplitBlockHandsOutAllNodesFromTheHighestAddressDown) {
    ASSERT_EQ(SmallChunkPool::kChunkLimit, 4095u);
    std::vector<Node*> arrNodes;
    {
        SmallChunkPool pool(10, 10000, 1.5f);
        for (int i = 0; i < 10000; ++i)
            arrNodes.push_back(pool.getFreeElement());
        EXPECT_EQ(RequestedNodeCounts(sizeof(Node)), (std::vector<std::size_t>{4095, 4095, 1810}));
        EXPECT_EQ(pool.GetFreeCount(), 0u);
        EXPECT_EQ(pool.GetBlocksAllocated(), 1u);
        for (std::size_t i = 1; i < arrNodes.size(); ++i) {
            ASSERT_TRUE(std::less<const void*>()(arrNodes[i], arrNodes[i - 1]))
                << "node " << i << " is not below its predecessor";
        }
        // Each node lies inside one of the chunks.
        for (Node* pNode : arrNodes) {
            const auto* pByte = reinterpret_cast<const unsigned char*>(pNode);
            int nHits = 0;
            for (std::size_t c = 0; c < 3; ++c) {
                const auto* pChunk =
                    static_cast<const unsigned char*>(KyTestPlexMemory::s_arrObtained[c]);
                const std::size_t nBytes = KyTestPlexMemory::s_arrRequestBytes[c];
                if (!std::less<const void*>()(pByte, pChunk) &&
                    std::less<const void*>()(pByte, pChunk + nBytes))
                    ++nHits;
            }
            ASSERT_EQ(nHits, 1);
        }
        for (Node* pNode : arrNodes)
            pool.releaseElement(pNode);
        EXPECT_EQ(pool.GetFreeCount(), 10000u);
    }
    std::vector<void*> arrExpected(KyTestPlexMemory::s_arrObtained.rbegin(),
                                   KyTestPlexMemory::s_arrObtained.rend());
    EXPECT_EQ(KyTestPlexMemory::s_arrFreed, arrExpected);
}

TEST_F(CbPlexManagerTest, BlockOfExactlyWholeChunksHasNoEmptyRest) {
    SmallChunkPool pool(10, 8190, 1.5f);
    Node* pNode = pool.getFreeElement();
    EXPECT_EQ(RequestedNodeCounts(sizeof(Node)), (std::vector<std::size_t>{4095, 4095}));
    EXPECT_EQ(pool.GetFreeCount(), 8189u);
    pool.releaseElement(pNode);
}

TEST_F(CbPlexManagerTest, DestructionGivesChunksBackNewestFirstAndLeavesNodesInUse) {
    {
        Pool pool(10, 0, 1.5f);
        for (int i = 0; i < 11; ++i)
            pool.getFreeElement();  // two blocks, all nodes still "in a list"
    }
    ASSERT_EQ(KyTestPlexMemory::s_arrObtained.size(), 2u);
    EXPECT_EQ(KyTestPlexMemory::s_arrFreed,
              (std::vector<void*>{KyTestPlexMemory::s_arrObtained[1],
                                  KyTestPlexMemory::s_arrObtained[0]}));
    EXPECT_EQ(KyTestCountingElement::s_nDestroyed, 0);
    KyTestCountingElement::ResetCounts();
}

}  // namespace
