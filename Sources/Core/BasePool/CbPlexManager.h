// Node pool of the list templates: nodes from chunks that grow block by block, recycled.
#pragma once

#include <cstddef>
#include <cstring>
#include <functional>
#include <limits>
#include <new>

#include "CbException.h"
#include "CbPlexMemory.h"

// Hands out nodes from blocks of memory and takes them back into a free list; memory goes back
// only when the pool dies, so once a block exists a node costs no allocation.
// Block size: the fixed block size, or, when that is 0, the initial block size multiplied by the
// growth factor (single precision, truncated) once per block already obtained: 10, 15, 22, 33,
// 49, ... for 10 and 1.5. One request to TMemory never exceeds the largest TSize value in bytes,
// so a bigger block is split into chunks. A released node is the next one handed out; a new
// block hands out its highest node first.
// N is an option of the base library that this pool does not use.
// Not thread-safe: whoever owns the list serialises every call (the frame queue's lock).
template <class TNode, int N, class TSize, class TMemory = CbPlexMemory>
class CbPlexManager {
    static_assert(sizeof(TNode) >= sizeof(void*), "a free node holds the free-list link");
    static_assert(sizeof(TNode) <= std::numeric_limits<TSize>::max(),
                  "one node must fit in one chunk");

public:
    // Largest node count whose size in bytes fits one request.
    static constexpr std::size_t kChunkLimit = std::numeric_limits<TSize>::max() / sizeof(TNode);
    static constexpr std::size_t kAlignment = alignof(TNode) > 8 ? alignof(TNode) : 8;

    CbPlexManager(TSize nInitialBlockSize, TSize nFixedBlockSize, float fGrowthFactor)
        : m_pChunks(nullptr),
          m_pFreeList(nullptr),
          m_nInitialBlockSize(nInitialBlockSize),
          m_nFixedBlockSize(nFixedBlockSize),
          m_nBlocksAllocated(0),
          m_fGrowthFactor(fGrowthFactor) {}
    CbPlexManager(const CbPlexManager&) = delete;
    CbPlexManager& operator=(const CbPlexManager&) = delete;

    // Gives every chunk back, the one obtained last first. Nodes still in a list are not
    // destroyed here: the list gives them back before it lets go of the pool.
    ~CbPlexManager() {
        while (SChunk* pChunk = m_pChunks) {
            m_pChunks = pChunk->pPrevious;
            if (pChunk->pMemory != nullptr)
                TMemory::Free(pChunk->pMemory, kAlignment);
            delete pChunk;
        }
    }

    // A zeroed node with a freshly constructed element and no link. Obtains a block first when
    // no node is free; without memory for it, throws CbExceptionContainer.
    TNode* getFreeElement() {
        if (m_pFreeList == nullptr)
            allocateBlock();
        TNode* pNode = popFree();
        void* pStorage = static_cast<void*>(pNode);
        std::memset(pStorage, 0, sizeof(TNode));
        try {
            return ::new (pStorage) TNode();
        } catch (...) {
            pushFree(pNode);
            throw;
        }
    }

    // Destroys the node's element and puts the node at the front of the free list. Null is
    // ignored.
    void releaseElement(TNode* pNode) {
        if (pNode == nullptr)
            return;
        pNode->~TNode();
        pushFree(pNode);
    }

    TSize GetBlocksAllocated() const { return m_nBlocksAllocated; }

    // Chunk records in the chain, failed ones included (diagnostics; walks the chain).
    std::size_t GetChunkCount() const {
        std::size_t nCount = 0;
        for (const SChunk* p = m_pChunks; p != nullptr; p = p->pPrevious)
            ++nCount;
        return nCount;
    }

    // Nodes waiting in the free list (diagnostics; walks the list).
    std::size_t GetFreeCount() const {
        std::size_t nCount = 0;
        for (TNode* p = m_pFreeList; p != nullptr; p = nextFree(p))
            ++nCount;
        return nCount;
    }

private:
    // One piece of memory obtained from TMemory; chained from the newest to the oldest.
    struct SChunk {
        void* pMemory;
        SChunk* pPrevious;
    };

    static TNode* nextFree(TNode* pNode) {
        TNode* pNext;
        std::memcpy(&pNext, static_cast<const void*>(pNode), sizeof(pNext));
        return pNext;
    }
    void pushFree(TNode* pNode) {
        std::memcpy(static_cast<void*>(pNode), &m_pFreeList, sizeof(m_pFreeList));
        m_pFreeList = pNode;
    }
    TNode* popFree() {
        TNode* pNode = m_pFreeList;
        m_pFreeList = nextFree(pNode);
        return pNode;
    }

    TSize nextBlockNodeCount() const {
        if (m_nFixedBlockSize != 0)
            return m_nFixedBlockSize;
        constexpr TSize kMax = std::numeric_limits<TSize>::max();
        // Rounds up to the next power of two for 32 bits: every smaller product converts safely.
        const float fLimit = static_cast<float>(kMax);
        TSize nCount = m_nInitialBlockSize;
        for (TSize i = 0; i < m_nBlocksAllocated && nCount != 0; ++i) {
            const float fProduct = static_cast<float>(nCount) * m_fGrowthFactor;
            if (!(fProduct > 0.0f)) {
                nCount = 0;  // a negative or NaN factor
            } else if (fProduct >= fLimit) {
                nCount = kMax;
                if (m_fGrowthFactor >= 1.0f)
                    break;
            } else {
                nCount = static_cast<TSize>(fProduct);
            }
        }
        return nCount;
    }

    [[noreturn]] static void throwNoMemory() {
        // Fixed texts: they name the frame queue's instantiation, which hosts look for.
        throw CbExceptionContainer("Sources/Core/BasePool/CbPlexManager", 302,
                                   "CbPlexManager<class CbNodeLinked<class "
                                   "KyCFieldBase,0>,0,unsigned int>::getFreeElement");
    }

    void allocateBlock() {
        SChunk* const pOldChunks = m_pChunks;
        std::size_t nRemaining = nextBlockNodeCount();
        std::size_t nLastChunkNodes = 0;
        bool bFailed = false;
        while (nRemaining > 0) {
            const std::size_t nChunkNodes = nRemaining > kChunkLimit ? kChunkLimit : nRemaining;
            SChunk* pChunk = new (std::nothrow) SChunk{nullptr, m_pChunks};
            if (pChunk == nullptr) {
                bFailed = true;
                break;
            }
            m_pChunks = pChunk;
            pChunk->pMemory = TMemory::Allocate(nChunkNodes * sizeof(TNode), kAlignment);
            if (pChunk->pMemory == nullptr) {
                bFailed = true;  // later chunks are not asked for
                break;
            }
            nLastChunkNodes = nChunkNodes;
            nRemaining -= nChunkNodes;
        }
        ++m_nBlocksAllocated;
        // The chunks obtained so far stay in the chain until the pool dies.
        if (bFailed || m_pChunks == pOldChunks)
            throwNoMemory();

        // Push all new nodes in address order (chunks by address too), so that the highest
        // node sits at the front of the free list.
        const void* pPushed = nullptr;
        for (;;) {
            SChunk* pLowest = nullptr;
            for (SChunk* p = m_pChunks; p != pOldChunks; p = p->pPrevious) {
                const bool bAbove =
                    pPushed == nullptr || std::less<const void*>()(pPushed, p->pMemory);
                if (bAbove &&
                    (pLowest == nullptr || std::less<const void*>()(p->pMemory, pLowest->pMemory)))
                    pLowest = p;
            }
            if (pLowest == nullptr)
                break;
            const std::size_t nNodes = pLowest == m_pChunks ? nLastChunkNodes : kChunkLimit;
            unsigned char* pBytes = static_cast<unsigned char*>(pLowest->pMemory);
            for (std::size_t i = 0; i < nNodes; ++i)
                pushFree(reinterpret_cast<TNode*>(pBytes + i * sizeof(TNode)));
            pPushed = pLowest->pMemory;
        }
    }

    SChunk* m_pChunks;   // chunk obtained last, or null
    TNode* m_pFreeList;  // first free node, or null
    TSize m_nInitialBlockSize;
    TSize m_nFixedBlockSize;  // 0: blocks grow by the factor
    TSize m_nBlocksAllocated;
    float m_fGrowthFactor;
};
