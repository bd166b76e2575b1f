// Intrusive reference count of reference-counted objects, with weak references and a deleter.
#pragma once

#include <atomic>

#include "CbCriticalSection.h"
#include "KyHostApi.h"

class IReferenceCounted;

// The lock that guards the weak-reference list of the counter at that address. Counters share a
// small table of locks, chosen by address, so that a counter itself stays small.
KYHOST_API const CbCriticalSection& ReferenceCounter_GetCriticalSection(const void* pCounter);

// A weak reference registered with a counter: cleared (object null) when the object dies.
class KYHOST_API CbWeakReferenceNode {
public:
    CbWeakReferenceNode() = default;
    CbWeakReferenceNode(const CbWeakReferenceNode&) = delete;
    CbWeakReferenceNode& operator=(const CbWeakReferenceNode&) = delete;

protected:
    template <class>
    friend class CbReferenceCounter;
    // Both guarded by ReferenceCounter_GetCriticalSection(m_pCounter).
    std::atomic<const void*> m_pCounter{nullptr};
    CbWeakReferenceNode* m_pNext = nullptr;
};

// Called instead of delete when the count reaches 0.
typedef void (*PFN_CbDeleter)(const IReferenceCounted* pObject);

template <class TCount>
class CbReferenceCounter;

// The count is atomic; the object's own copy and assignment never copy the count, since
// references belong to the object, not to its value.
template <>
class KYHOST_API CbReferenceCounter<unsigned int> {
public:
    CbReferenceCounter() = default;
    explicit CbReferenceCounter(PFN_CbDeleter pDeleter) : m_pDeleter(pDeleter) {}
    CbReferenceCounter(const CbReferenceCounter&) : m_nCount(0) {}
    CbReferenceCounter& operator=(const CbReferenceCounter&) { return *this; }
    ~CbReferenceCounter();

    unsigned GetCount() const { return m_nCount.load(std::memory_order_acquire); }

    // Takes one reference; returns the new count.
    unsigned AddRef() const { return m_nCount.fetch_add(1, std::memory_order_relaxed) + 1; }

    // Drops one reference. When that was the last one, clears the weak references (under the
    // counter's lock, if no reference was taken meanwhile) and returns true: the caller then
    // calls Destroy.
    bool Release() const;

    // Destroys the object that owns this counter: the deleter, or delete without one.
    void Destroy(const IReferenceCounted* pObject) const;

    // Takes a reference only while the count is above 0; for weak references. Runs under the
    // counter's lock.
    bool TryAddRefLocked() const;

    void AddWeakReference(CbWeakReferenceNode* pNode) const;
    void RemoveWeakReference(CbWeakReferenceNode* pNode) const;

    PFN_CbDeleter GetDeleter() const { return m_pDeleter; }

private:
    void clearWeakReferences() const;

    mutable std::atomic<unsigned> m_nCount{0};
    // Guarded by ReferenceCounter_GetCriticalSection(this).
    mutable CbWeakReferenceNode* m_pWeakReferences = nullptr;
    PFN_CbDeleter m_pDeleter = nullptr;
};
