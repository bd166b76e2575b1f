// Intrusive smart pointer over objects that expose getReferenceCounter().
#pragma once

#include <cstddef>
#include <utility>

#include "IReferenceCounted.h"

// Holds one reference to a T (derived from IReferenceCounted). Copies take a reference
// atomically; the holder that drops the last one destroys the object. Not itself thread-safe:
// one CbSmartPointer object is used by one thread at a time, copies may live on any thread.
template <class T>
class CbSmartPointer {
public:
    CbSmartPointer() = default;
    CbSmartPointer(std::nullptr_t) {}
    // Takes a new reference to p (which may be a freshly constructed object with count 0).
    explicit CbSmartPointer(T* p) : m_p(p) { addRef(); }
    CbSmartPointer(const CbSmartPointer& other) : m_p(other.m_p) { addRef(); }
    CbSmartPointer(CbSmartPointer&& other) noexcept : m_p(other.m_p) { other.m_p = nullptr; }
    template <class U>
    CbSmartPointer(const CbSmartPointer<U>& other) : m_p(other.Get()) {
        addRef();
    }
    ~CbSmartPointer() { release(); }

    CbSmartPointer& operator=(CbSmartPointer other) noexcept {
        std::swap(m_p, other.m_p);
        return *this;
    }
    CbSmartPointer& operator=(std::nullptr_t) {
        Release();
        return *this;
    }

    // Drops the reference now.
    void Release() {
        T* p = m_p;
        m_p = nullptr;
        releaseObject(p);
    }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    T& operator*() const { return *m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    bool IsNull() const { return m_p == nullptr; }

    friend bool operator==(const CbSmartPointer& a, const CbSmartPointer& b) {
        return a.m_p == b.m_p;
    }
    friend bool operator!=(const CbSmartPointer& a, const CbSmartPointer& b) {
        return a.m_p != b.m_p;
    }

private:
    template <class>
    friend class CbWeakPointer;
    struct AdoptTag {};
    CbSmartPointer(T* p, AdoptTag) : m_p(p) {}

    static const CbReferenceCounter<unsigned int>& counterOf(const T* p) {
        return static_cast<const IReferenceCounted*>(p)->getReferenceCounter();
    }
    void addRef() {
        if (m_p)
            counterOf(m_p).AddRef();
    }
    void release() { releaseObject(m_p); }
    static void releaseObject(T* p) {
        if (p == nullptr)
            return;
        const CbReferenceCounter<unsigned int>& counter = counterOf(p);
        if (counter.Release())
            counter.Destroy(static_cast<const IReferenceCounted*>(p));
    }

    T* m_p = nullptr;
};

// A reference that does not keep the object alive; Lock() gives a strong one while it lives.
template <class T>
class CbWeakPointer : private CbWeakReferenceNode {
public:
    CbWeakPointer() = default;
    explicit CbWeakPointer(const CbSmartPointer<T>& p) { Reset(p); }
    CbWeakPointer(const CbWeakPointer&) = delete;
    CbWeakPointer& operator=(const CbWeakPointer&) = delete;
    ~CbWeakPointer() { Reset(CbSmartPointer<T>()); }

    void Reset(const CbSmartPointer<T>& p) {
        if (const void* pCounter = m_pCounter.load()) {
            static_cast<const CbReferenceCounter<unsigned int>*>(pCounter)->RemoveWeakReference(
                this);
        }
        m_p = p.Get();
        if (m_p)
            counterOf(m_p).AddWeakReference(this);
    }

    // A strong reference, or null when the object has died (or is dying).
    CbSmartPointer<T> Lock() const {
        const void* pCounter = m_pCounter.load();
        if (pCounter == nullptr)
            return CbSmartPointer<T>();
        CbCriticalSectionLock lock(ReferenceCounter_GetCriticalSection(pCounter));
        if (m_pCounter.load() != pCounter)
            return CbSmartPointer<T>();
        if (!static_cast<const CbReferenceCounter<unsigned int>*>(pCounter)->TryAddRefLocked()) {
            return CbSmartPointer<T>();
        }
        return CbSmartPointer<T>(m_p, typename CbSmartPointer<T>::AdoptTag());
    }

    bool IsExpired() const { return m_pCounter.load() == nullptr; }

private:
    static const CbReferenceCounter<unsigned int>& counterOf(const T* p) {
        return static_cast<const IReferenceCounted*>(p)->getReferenceCounter();
    }
    T* m_p = nullptr;
};
