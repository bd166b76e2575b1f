// The newest-value channel between one producer and many readers.
#include "KyCServeLatest.h"

#include <chrono>

void KyCServeLatest::Publish(Value pValue) {
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_pValue = std::move(pValue);
        ++m_nSequence;
    }
    m_Changed.notify_all();
}

KyCServeLatest::Value KyCServeLatest::WaitNewer(std::uint64_t& nSeen, unsigned nTimeoutMs) const {
    std::unique_lock<std::mutex> lock(m_Mutex);
    if (!m_Changed.wait_for(lock, std::chrono::milliseconds(nTimeoutMs),
                            [&] { return m_bClosed || (m_nSequence > nSeen && m_pValue); }))
        return nullptr;
    if (m_bClosed)
        return nullptr;
    nSeen = m_nSequence;
    return m_pValue;
}

void KyCServeLatest::Close() {
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_bClosed = true;
    }
    m_Changed.notify_all();
}

bool KyCServeLatest::IsClosed() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_bClosed;
}

void KyCServeLatest::AddReader() {
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        ++m_nReaders;
    }
    m_Changed.notify_all();
}

void KyCServeLatest::RemoveReader() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (m_nReaders > 0)
        --m_nReaders;
}

unsigned KyCServeLatest::GetReaders() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_nReaders;
}

bool KyCServeLatest::WaitForReaders(unsigned nTimeoutMs) const {
    std::unique_lock<std::mutex> lock(m_Mutex);
    return m_Changed.wait_for(lock, std::chrono::milliseconds(nTimeoutMs), [&] {
        return m_bClosed || m_nReaders > 0;
    }) && !m_bClosed;
}
