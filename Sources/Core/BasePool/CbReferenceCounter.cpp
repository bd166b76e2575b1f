#include "CbReferenceCounter.h"

#include <cstdint>

#include "IReferenceCounted.h"

const CbCriticalSection& ReferenceCounter_GetCriticalSection(const void* pCounter) {
    // A fixed table of locks: contention is rare (only the last release and weak references
    // take them), and a counter needs no lock of its own.
    static CbCriticalSection s_Locks[31];
    const auto nAddress = reinterpret_cast<std::uintptr_t>(pCounter);
    return s_Locks[(nAddress >> 4) % 31];
}

CbReferenceCounter<unsigned int>::~CbReferenceCounter() {
    clearWeakReferences();
}

bool CbReferenceCounter<unsigned int>::Release() const {
    if (m_nCount.fetch_sub(1, std::memory_order_acq_rel) != 1)
        return false;
    CbCriticalSectionLock lock(ReferenceCounter_GetCriticalSection(this));
    // A weak reference may have revived the object between the decrement and the lock.
    if (m_nCount.load(std::memory_order_acquire) != 0)
        return false;
    clearWeakReferences();
    return true;
}

void CbReferenceCounter<unsigned int>::Destroy(const IReferenceCounted* pObject) const {
    if (m_pDeleter) {
        m_pDeleter(pObject);
    } else {
        delete pObject;
    }
}

bool CbReferenceCounter<unsigned int>::TryAddRefLocked() const {
    unsigned nCount = m_nCount.load(std::memory_order_acquire);
    while (nCount != 0) {
        if (m_nCount.compare_exchange_weak(nCount, nCount + 1, std::memory_order_acq_rel)) {
            return true;
        }
    }
    return false;
}

void CbReferenceCounter<unsigned int>::AddWeakReference(CbWeakReferenceNode* pNode) const {
    CbCriticalSectionLock lock(ReferenceCounter_GetCriticalSection(this));
    pNode->m_pNext = m_pWeakReferences;
    pNode->m_pCounter.store(this);
    m_pWeakReferences = pNode;
}

void CbReferenceCounter<unsigned int>::RemoveWeakReference(CbWeakReferenceNode* pNode) const {
    CbCriticalSectionLock lock(ReferenceCounter_GetCriticalSection(this));
    if (pNode->m_pCounter.load() != this)
        return;  // already cleared by the dying object
    for (CbWeakReferenceNode** pp = &m_pWeakReferences; *pp; pp = &(*pp)->m_pNext) {
        if (*pp == pNode) {
            *pp = pNode->m_pNext;
            break;
        }
    }
    pNode->m_pNext = nullptr;
    pNode->m_pCounter.store(nullptr);
}

void CbReferenceCounter<unsigned int>::clearWeakReferences() const {
    CbCriticalSectionLock lock(ReferenceCounter_GetCriticalSection(this));
    while (CbWeakReferenceNode* pNode = m_pWeakReferences) {
        m_pWeakReferences = pNode->m_pNext;
        pNode->m_pNext = nullptr;
        pNode->m_pCounter.store(nullptr);
    }
}
