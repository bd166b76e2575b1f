// Calendar arithmetic of the platform layer: file times, UTC calendar fields and Unix seconds.
#pragma once

#include <cstdint>

#include "KyHostApi.h"
#include "KyPlatform.h"

// Pure arithmetic over the proleptic Gregorian calendar, the same on every platform, so that the
// POSIX layer converts exactly as Win32 does.
namespace KyPlatform {

// The last second _localtime64_s and _mktime64 accept: 3000-12-31 23:59:59 UTC.
const std::int64_t kMaxTime64 = 32535215999;

// Unix seconds and nanoseconds to a file time; times before 1601 give 0.
KYHOST_API KyFileTime KyFileTimeFromUnix(std::int64_t nSeconds, std::int64_t nNanoseconds);
// False for ticks at or above 2^63. Seconds are rounded down, nanoseconds are 0 to 999999999.
KYHOST_API bool KyFileTimeToUnix(const KyFileTime& fileTime, std::int64_t& nSeconds,
                                 std::int64_t& nNanoseconds);
// FileTimeToSystemTime: false for ticks at or above 2^63.
KYHOST_API bool KyFileTimeToCalendar(const KyFileTime& fileTime, KySystemTime& utc);
// Calendar fields (1601 to 30827, every field in range, day of week ignored) to Unix seconds.
KYHOST_API bool KyCalendarToUnixSeconds(const KySystemTime& utc, std::int64_t& nSeconds);

}  // namespace KyPlatform
