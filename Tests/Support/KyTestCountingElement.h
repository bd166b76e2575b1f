// Element type for container tests: counts constructions and destructions, catches dead sources.
#pragma once

// Every construction (default or copy) and destruction is counted in process-wide counters;
// tests reset them first. m_nValue tells elements apart. Copying from anything but a live
// element (raw or destroyed storage) is counted as a bad copy.
class KyTestCountingElement {
public:
    KyTestCountingElement() : m_nValue(0) { ++s_nConstructed; }
    explicit KyTestCountingElement(int nValue) : m_nValue(nValue) { ++s_nConstructed; }
    KyTestCountingElement(const KyTestCountingElement& other) : m_nValue(other.m_nValue) {
        checkLive(other);
        ++s_nConstructed;
    }
    KyTestCountingElement& operator=(const KyTestCountingElement& other) {
        checkLive(other);
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
    static void checkLive(const KyTestCountingElement& other) {
        if (other.m_nMagic != kLive)
            ++s_nBadCopies;
    }
    volatile int m_nMagic = kLive;
};
