// Calendar arithmetic of the platform layer; portable.
#include "KyPlatformTime.h"

namespace KyPlatform {

namespace {

const std::int64_t kSecondsFrom1601To1970 = 11644473600;
const std::int64_t kTicksPerSecond = 10000000;
const std::uint64_t kMaxFileTimeTicks = 0x7FFFFFFFFFFFFFFFull;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar, and back.
std::int64_t daysFromCivil(std::int64_t nYear, int nMonth, int nDay) {
    nYear -= nMonth <= 2;
    const std::int64_t nEra = floorDiv(nYear, 400);
    const std::int64_t nYearOfEra = nYear - nEra * 400;
    const std::int64_t nDayOfYear = (153 * (nMonth + (nMonth > 2 ? -3 : 9)) + 2) / 5 + nDay - 1;
    const std::int64_t nDayOfEra =
        nYearOfEra * 365 + nYearOfEra / 4 - nYearOfEra / 100 + nDayOfYear;
    return nEra * 146097 + nDayOfEra - 719468;
}

void civilFromDays(std::int64_t nDays, std::int64_t& nYear, int& nMonth, int& nDay) {
    nDays += 719468;
    const std::int64_t nEra = floorDiv(nDays, 146097);
    const std::int64_t nDayOfEra = nDays - nEra * 146097;
    const std::int64_t nYearOfEra =
        (nDayOfEra - nDayOfEra / 1460 + nDayOfEra / 36524 - nDayOfEra / 146096) / 365;
    const std::int64_t nDayOfYear =
        nDayOfEra - (365 * nYearOfEra + nYearOfEra / 4 - nYearOfEra / 100);
    const std::int64_t nMonthIndex = (5 * nDayOfYear + 2) / 153;
    nDay = static_cast<int>(nDayOfYear - (153 * nMonthIndex + 2) / 5 + 1);
    nMonth = static_cast<int>(nMonthIndex < 10 ? nMonthIndex + 3 : nMonthIndex - 9);
    nYear = nYearOfEra + nEra * 400 + (nMonth <= 2);
}

bool isLeapYear(int nYear) {
    return (nYear % 4 == 0 && nYear % 100 != 0) || nYear % 400 == 0;
}

int daysInMonth(int nYear, int nMonth) {
    static const int s_nDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return nMonth == 2 && isLeapYear(nYear) ? 29 : s_nDays[nMonth - 1];
}

}  // namespace

KyFileTime KyFileTimeFromUnix(std::int64_t nSeconds, std::int64_t nNanoseconds) {
    KyFileTime fileTime;
    nSeconds += floorDiv(nNanoseconds, 1000000000);
    nNanoseconds -= floorDiv(nNanoseconds, 1000000000) * 1000000000;
    if (nSeconds < -kSecondsFrom1601To1970)
        return fileTime;
    fileTime.nTicks = static_cast<std::uint64_t>(nSeconds + kSecondsFrom1601To1970) *
                          static_cast<std::uint64_t>(kTicksPerSecond) +
                      static_cast<std::uint64_t>(nNanoseconds / 100);
    return fileTime;
}

bool KyFileTimeToUnix(const KyFileTime& fileTime, std::int64_t& nSeconds,
                      std::int64_t& nNanoseconds) {
    if (fileTime.nTicks > kMaxFileTimeTicks)
        return false;
    const std::int64_t nTicks = static_cast<std::int64_t>(fileTime.nTicks);
    const std::int64_t nWhole = nTicks / kTicksPerSecond;
    nSeconds = nWhole - kSecondsFrom1601To1970;
    nNanoseconds = (nTicks - nWhole * kTicksPerSecond) * 100;
    return true;
}

bool KyFileTimeToCalendar(const KyFileTime& fileTime, KySystemTime& utc) {
    if (fileTime.nTicks > kMaxFileTimeTicks)
        return false;
    const std::int64_t nMilliseconds = static_cast<std::int64_t>(fileTime.nTicks / 10000);
    const std::int64_t nDays1601 = nMilliseconds / 86400000;
    std::int64_t nOfDay = nMilliseconds % 86400000;
    const std::int64_t nDays1970 = nDays1601 - kSecondsFrom1601To1970 / 86400;
    std::int64_t nYear = 0;
    civilFromDays(nDays1970, nYear, utc.nMonth, utc.nDay);
    utc.nYear = static_cast<int>(nYear);
    utc.nDayOfWeek = static_cast<int>(nDays1970 + 4 - floorDiv(nDays1970 + 4, 7) * 7);  // Thursday
    utc.nMilliseconds = static_cast<int>(nOfDay % 1000);
    nOfDay /= 1000;
    utc.nSecond = static_cast<int>(nOfDay % 60);
    utc.nMinute = static_cast<int>(nOfDay / 60 % 60);
    utc.nHour = static_cast<int>(nOfDay / 3600);
    return true;
}

bool KyCalendarToUnixSeconds(const KySystemTime& utc, std::int64_t& nSeconds) {
    if (utc.nYear < 1601 || utc.nYear > 30827 || utc.nMonth < 1 || utc.nMonth > 12 ||
        utc.nDay < 1 || utc.nDay > daysInMonth(utc.nYear, utc.nMonth) || utc.nHour < 0 ||
        utc.nHour > 23 || utc.nMinute < 0 || utc.nMinute > 59 || utc.nSecond < 0 ||
        utc.nSecond > 59 || utc.nMilliseconds < 0 || utc.nMilliseconds > 999) {
        return false;
    }
    nSeconds = daysFromCivil(utc.nYear, utc.nMonth, utc.nDay) * 86400 + utc.nHour * 3600 +
               utc.nMinute * 60 + utc.nSecond;
    return true;
}

}  // namespace KyPlatform
