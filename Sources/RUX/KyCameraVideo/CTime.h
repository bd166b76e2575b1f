// The application framework's time value, as the media catalogue stores it.
#pragma once

#include <cstdint>

// Whole seconds since 1970-01-01 00:00 UTC, signed 64-bit; shown to people in local time.
// A plain value: copied freely, compared as signed numbers.
class CTime {
public:
    CTime() = default;
    // Implicit, so that a time read from the clock or a file converts without ceremony.
    CTime(std::int64_t nTime) : m_nTime(nTime) {}

    std::int64_t GetTime() const { return m_nTime; }

    friend bool operator==(const CTime& a, const CTime& b) { return a.m_nTime == b.m_nTime; }
    friend bool operator!=(const CTime& a, const CTime& b) { return a.m_nTime != b.m_nTime; }
    friend bool operator<(const CTime& a, const CTime& b) { return a.m_nTime < b.m_nTime; }

private:
    std::int64_t m_nTime = 0;
};
