// The newest of a stream of values (encoded frames, state snapshots) for any number of readers.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

// Each reader keeps the sequence number of the value it took last and waits for a newer one: a
// reader's queue is one value deep and the newest value wins, so a slow reader skips values and
// the publisher never waits for anyone. Values are shared, never copied per reader.
// Threads: any thread may call anything. m_Mutex is a leaf lock.
class KyCServeLatest {
public:
    using Value = std::shared_ptr<const std::string>;

    // Replaces the value and wakes every reader.
    void Publish(Value pValue);
    // A value newer than nSeen (nSeen then becomes its number); null on time-out or once closed.
    Value WaitNewer(std::uint64_t& nSeen, unsigned nTimeoutMs) const;
    // Wakes every reader for good: from then on WaitNewer answers null at once.
    void Close();
    bool IsClosed() const;

    // Readers that watch now, so that a producer can rest while nobody does.
    void AddReader();
    void RemoveReader();
    unsigned GetReaders() const;
    // True as soon as there is a reader; false on time-out or once closed.
    bool WaitForReaders(unsigned nTimeoutMs) const;

private:
    mutable std::mutex m_Mutex;                 // guards every field below
    mutable std::condition_variable m_Changed;  // a value published, a reader came, closed
    Value m_pValue;
    std::uint64_t m_nSequence = 0;
    bool m_bClosed = false;
    unsigned m_nReaders = 0;
};
