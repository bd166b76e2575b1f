// Element type for container tests: counts how often it is constructed and destroyed.
#pragma once

// Every construction (default or copy) and destruction is counted in process-wide counters;
// tests reset them first. m_nValue tells elements apart.
class KyTestCountingElement {
public:
    KyTestCountingElement() : m_nValue(0) { ++s_nConstructed; }
    explicit KyTestCountingElement(int nValue) : m_nValue(nValue) { ++s_nConstructed; }
    KyTestCountingElement(const KyTestCountingElement& other) : m_nValue(other.m_nValue) {
        ++s_nConstructed;
    }
    KyTestCountingElement& operator=(const KyTestCountingElement&) = default;
    ~KyTestCountingElement() { ++s_nDestroyed; }

    static void ResetCounts() { s_nConstructed = s_nDestroyed = 0; }
    static int Alive() { return s_nConstructed - s_nDestroyed; }

    int m_nValue;

    inline static int s_nConstructed = 0;
    inline static int s_nDestroyed = 0;
};
