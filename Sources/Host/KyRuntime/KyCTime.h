// A point in time, or a span between two, on a monotonic clock.
#pragma once

#include <cstdint>
#include <functional>

#include "KyHostApi.h"

// Measures intervals: the clock is monotonic (it never jumps when the wall clock is set), so a
// KyCTime means nothing outside the process. A time is either invalid or holds nanoseconds;
// the difference of two valid times is a valid KyCTime holding the span. A plain value, copied
// freely; one object is used by one thread at a time.
class KYHOST_API KyCTime {
public:
    // bNow: the current time; otherwise invalid.
    explicit KyCTime(bool bNow = false);

    void Invalidate();
    bool IsValid() const { return m_bValid; }
    // Valid, at the clock's origin (a span of 0).
    void SetZero();
    // Always true: the clock can always be read.
    bool SetCurrentTime();

    // The span from `earlier` to this time (negative when `earlier` is later); invalid when
    // either is.
    KyCTime operator-(const KyCTime& earlier) const;

    // Seconds: since the clock's origin, or the span of a difference; 0 when invalid.
    double Get() const;
    std::int64_t GetNanoseconds() const { return m_bValid ? m_nNanoseconds : 0; }

    // Replaces the clock for tests (the source returns nanoseconds and must never run back);
    // an empty function restores the monotonic clock. Takes effect for every thread.
    static void SetClockSourceForTesting(std::function<std::int64_t()> fnNowNanoseconds);
    // The clock KyCTime reads: the test source when one is set.
    static std::int64_t NowNanoseconds();

private:
    std::int64_t m_nNanoseconds = 0;
    bool m_bValid = false;
};
