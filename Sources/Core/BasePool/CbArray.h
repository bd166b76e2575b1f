// Growable array of the base library.
#pragma once

#include <cstddef>
#include <new>
#include <utility>

// A contiguous array with an explicit capacity. When an Add finds it full it grows by the
// growth step, or, with step 0, to twice its capacity and at least 1. RemoveAll keeps the storage.
// Indices are unsigned; out-of-range access is the caller's error (not checked in release builds).
template <class T>
class CbArray {
public:
    explicit CbArray(unsigned nGrowBy = 0) : m_nGrowBy(nGrowBy) {}
    CbArray(const CbArray& other) : m_nGrowBy(other.m_nGrowBy) {
        Reserve(other.m_nCount);
        for (unsigned i = 0; i < other.m_nCount; ++i)
            Add(other[i]);
    }
    CbArray(CbArray&& other) noexcept
        : m_pData(other.m_pData),
          m_nCount(other.m_nCount),
          m_nCapacity(other.m_nCapacity),
          m_nGrowBy(other.m_nGrowBy) {
        other.m_pData = nullptr;
        other.m_nCount = other.m_nCapacity = 0;
    }
    CbArray& operator=(CbArray other) noexcept {
        Swap(other);
        return *this;
    }
    ~CbArray() {
        RemoveAll();
        ::operator delete(static_cast<void*>(m_pData));
    }

    void Swap(CbArray& other) noexcept {
        std::swap(m_pData, other.m_pData);
        std::swap(m_nCount, other.m_nCount);
        std::swap(m_nCapacity, other.m_nCapacity);
        std::swap(m_nGrowBy, other.m_nGrowBy);
    }

    unsigned GetCount() const { return m_nCount; }
    unsigned GetCapacity() const { return m_nCapacity; }
    unsigned GetGrowBy() const { return m_nGrowBy; }
    void SetGrowBy(unsigned nGrowBy) { m_nGrowBy = nGrowBy; }
    bool IsEmpty() const { return m_nCount == 0; }

    T& operator[](unsigned nIndex) { return m_pData[nIndex]; }
    const T& operator[](unsigned nIndex) const { return m_pData[nIndex]; }
    T* GetData() { return m_pData; }
    const T* GetData() const { return m_pData; }
    T* begin() { return m_pData; }
    T* end() { return m_pData + m_nCount; }
    const T* begin() const { return m_pData; }
    const T* end() const { return m_pData + m_nCount; }

    // Appends a copy of the element and returns its index.
    unsigned Add(const T& element) {
        if (m_nCount == m_nCapacity) {
            // The element may live inside this array: copy it before the storage moves.
            T copy(element);
            Grow();
            new (m_pData + m_nCount) T(std::move(copy));
        } else {
            new (m_pData + m_nCount) T(element);
        }
        return m_nCount++;
    }

    // Removes nCount elements from nIndex; the later ones move down and keep their order.
    void RemoveAt(unsigned nIndex, unsigned nCount = 1) {
        if (nIndex >= m_nCount || nCount == 0)
            return;  // nothing to remove (and no element moved onto itself)
        if (nCount > m_nCount - nIndex)
            nCount = m_nCount - nIndex;
        for (unsigned i = nIndex; i + nCount < m_nCount; ++i) {
            m_pData[i] = std::move(m_pData[i + nCount]);
        }
        for (unsigned i = m_nCount - nCount; i < m_nCount; ++i)
            m_pData[i].~T();
        m_nCount -= nCount;
    }

    void RemoveAll() {
        for (unsigned i = 0; i < m_nCount; ++i)
            m_pData[i].~T();
        m_nCount = 0;
    }

    // Makes room for at least nCapacity elements without changing the count.
    void Reserve(unsigned nCapacity) {
        if (nCapacity <= m_nCapacity)
            return;
        T* pNew = static_cast<T*>(::operator new(sizeof(T) * static_cast<size_t>(nCapacity)));
        for (unsigned i = 0; i < m_nCount; ++i) {
            new (pNew + i) T(std::move(m_pData[i]));
            m_pData[i].~T();
        }
        ::operator delete(static_cast<void*>(m_pData));
        m_pData = pNew;
        m_nCapacity = nCapacity;
    }

private:
    void Grow() {
        unsigned nNew = m_nGrowBy != 0 ? m_nCapacity + m_nGrowBy : m_nCapacity * 2;
        if (nNew == 0)
            nNew = 1;
        Reserve(nNew);
    }

    T* m_pData = nullptr;
    unsigned m_nCount = 0;
    unsigned m_nCapacity = 0;
    unsigned m_nGrowBy = 0;
};
