// Singly linked first-in first-out list whose nodes come from a shared node pool.
#pragma once

#include "CbException.h"
#include "CbListPolicyElementCount.h"
#include "CbNodeLinked.h"
#include "CbPlexManager.h"
#include "CbPlexManagerShared.h"
#include "CbPlexMemory.h"
#include "CbSmartPointer.h"

// A list of T in nodes from a CbPlexManager that the list owns jointly with whoever created it.
// Adding: take a node from GetPlexManager().getFreeElement(), fill its element, AddTail. Removing
// gives the node back to the pool, where it is the next one handed out.
// Invariants: head and tail are both null exactly when the count is 0; following links from
// head reaches tail after count - 1 steps; tail's link is null.
// Destruction gives every node back (destroying its element) and then lets go of the pool.
// N is an option of the base library that this list does not use. Not thread-safe: the owner
// serialises every call, pool calls included (the frame queue's lock).
template <class T, int N, class TMemory = CbPlexMemory>
class CbListBaseIntermediate {
public:
    typedef CbNodeLinked<T, 0> Node;
    typedef CbPlexManager<Node, 0, unsigned int, TMemory> PlexManager;
    typedef CbPlexManagerShared<PlexManager> SharedPlexManager;

    // Takes a share of the pool; a null pool throws CbExceptionContainer.
    explicit CbListBaseIntermediate(const CbSmartPointer<SharedPlexManager>& spPool)
        : m_pHead(nullptr),
          m_pTail(nullptr),
          m_pPool(spPool ? &spPool->GetPool() : nullptr),
          m_spPool(spPool),
          m_ElementCount(1, 0) {
        if (m_pPool == nullptr)
            throwError(__LINE__, "CbListBaseIntermediate<class KyCFieldBase,9>::constructor");
    }
    CbListBaseIntermediate(const CbListBaseIntermediate&) = delete;
    CbListBaseIntermediate& operator=(const CbListBaseIntermediate&) = delete;

    ~CbListBaseIntermediate() {
        RemoveAll();
        m_pPool = nullptr;
        m_spPool.Release();
    }

    PlexManager& GetPlexManager() const { return *m_pPool; }

    // Appends a node from getFreeElement of this list's pool. Null throws CbExceptionContainer.
    void AddTail(Node* pNode) {
        if (pNode == nullptr)
            throwError(__LINE__, "CbListBaseIntermediate<class KyCFieldBase,9>::AddTail");
        m_ElementCount.Increment();
        pNode->m_pNext = nullptr;
        if (m_pTail != nullptr)
            m_pTail->m_pNext = pNode;
        else
            m_pHead = pNode;
        m_pTail = pNode;
    }

    Node* GetHead() const { return m_pHead; }
    Node* GetTail() const { return m_pTail; }

    // Gives the first node back to the pool; an empty list throws CbExceptionContainer.
    void RemoveHead() {
        if (m_pHead == nullptr) {
            // Fixed texts: they name the frame queue's instantiation, which hosts look for.
            throwError(526, "CbListBaseIntermediate<class KyCFieldBase,9>::RemoveHead");
        }
        Node* pOld = m_pHead;
        m_pHead = pOld->m_pNext;
        m_pPool->releaseElement(pOld);
        m_ElementCount.Decrement();
        if (pOld == m_pTail) {
            m_pHead = nullptr;
            m_pTail = nullptr;
        }
    }

    // Gives every node back to the pool, head first.
    void RemoveAll() {
        if (m_pTail != nullptr)
            m_pTail->m_pNext = nullptr;
        while (m_pHead != nullptr) {
            Node* pNext = m_pHead->m_pNext;
            m_pPool->releaseElement(m_pHead);
            m_ElementCount.Decrement();
            m_pHead = pNext;
        }
        m_pTail = nullptr;
    }

    unsigned int GetCount() const { return m_ElementCount.GetCount(); }

private:
    [[noreturn]] static void throwError(unsigned nLine, const char* pszFunction) {
        throw CbExceptionContainer("Sources/Core/BasePool/CbListBaseIntermediate", nLine,
                                   pszFunction);
    }

    Node* m_pHead;
    Node* m_pTail;
    PlexManager* m_pPool;  // the pool that m_spPool keeps alive
    CbSmartPointer<SharedPlexManager> m_spPool;
    CbListPolicyElementCount m_ElementCount;
};
