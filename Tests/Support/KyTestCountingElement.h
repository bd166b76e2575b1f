// Element type for container tests: counts constructions and destructions, catches dead sources.
#pragma once

// Constructions and destructions are counted process-wide (tests reset them first); copying
// from anything but a live element (raw or destroyed storage) is counted as a bad copy.
class KyTestCountingElement {
public:
    explicit KyTestCountingElement(int nValue = 0) : m_nValue(nValue) { ++s_nConstructed; }
    KyTestCountingElement(const KyTestCountingElement& other) : m_nValue(other.m_nValue) {
        s_nBadCopies += other.m_nMagic != kLive;
        ++s_nConstructed;
    }
    KyTestCountingElement& operator=(const KyTestCountingElement& other) {
        s_nBadCopies += other.m_nMagic != kLive;
        m_nValue = other.m_nValue;
        return *this;
    }
    ~KyTestCountingElement() {
        m_nMagic = 0;
        ++s_nDestroyed;
    }

    static void ResetCounts() { s_nConstructed = s_nDestroyed = s_nBadCopies = 0; }
    static int Alive() { return s_nConstructed - s_nDestroyed; }

    int m_nValue;

    inline static int s_nConstructed = 0;
    inline static int s_nDestroyed = 0;
    inline static int s_nBadCopies = 0;

private:
    static constexpr int kLive = 0x4C495645;
    volatile int m_nMagic = kLive;
};
