// Shared pixel memory behind KyCFieldBase: aligned, zero-filled, with an atomic count of owners.
#pragma once

#include <atomic>
#include <cstddef>

// Created with one owner. Owners that share it call AddRef; each owner calls Release once, and
// the Release that drops the last owner frees the memory and the buffer itself. The count is
// atomic, so owners may live on different threads; the pixels themselves are not guarded.
class KyCFieldBuffer {
public:
    // Alignment of the pixel memory: a cache line, enough for any SIMD load of a row.
    static const std::size_t kAlignment = 64;

    // Null when nBytes is 0 or the memory cannot be allocated.
    static KyCFieldBuffer* Create(std::size_t nBytes);

    KyCFieldBuffer(const KyCFieldBuffer&) = delete;
    KyCFieldBuffer& operator=(const KyCFieldBuffer&) = delete;

    void AddRef() { m_nOwners.fetch_add(1, std::memory_order_relaxed); }
    void Release();
    // True while exactly one owner holds the buffer.
    bool IsSoleOwner() const { return m_nOwners.load(std::memory_order_acquire) == 1; }
    unsigned GetOwnerCount() const { return m_nOwners.load(std::memory_order_acquire); }

    unsigned char* GetData() const { return m_pData; }
    std::size_t GetSize() const { return m_nBytes; }

private:
    KyCFieldBuffer(unsigned char* pData, std::size_t nBytes) : m_pData(pData), m_nBytes(nBytes) {}
    ~KyCFieldBuffer();

    std::atomic<unsigned> m_nOwners{1};
    unsigned char* const m_pData;
    const std::size_t m_nBytes;
};
