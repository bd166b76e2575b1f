// The POSIX platform layer's clocks and calendar: file times, local time, sleeping.
#include <time.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "KyPlatform.h"
#include "KyPlatformPosixDetail.h"
#include "KyPlatformTime.h"

namespace KyPlatform {

using namespace Detail;

bool FileTimeToSystemTime(const KyFileTime& fileTime, KySystemTime& utc) {
    return KyFileTimeToCalendar(fileTime, utc) || fail(kErrorInvalidParameter);
}

bool SystemTimeToTzSpecificLocalTime(const KySystemTime& utc, KySystemTime& local) {
    std::int64_t nSeconds = 0;
    if (!KyCalendarToUnixSeconds(utc, nSeconds))
        return fail(kErrorInvalidParameter);
    const time_t nTime = static_cast<time_t>(nSeconds);
    std::tm tmLocal{};
    if (::localtime_r(&nTime, &tmLocal) == nullptr)
        return fail(kErrorInvalidParameter);
    local.nYear = tmLocal.tm_year + 1900;
    local.nMonth = tmLocal.tm_mon + 1;
    local.nDayOfWeek = tmLocal.tm_wday;
    local.nDay = tmLocal.tm_mday;
    local.nHour = tmLocal.tm_hour;
    local.nMinute = tmLocal.tm_min;
    local.nSecond = tmLocal.tm_sec;
    local.nMilliseconds = utc.nMilliseconds;
    return true;
}

std::int64_t Time64() {
    return static_cast<std::int64_t>(::time(nullptr));
}

bool LocalTime64(std::int64_t nTime, std::tm& out) {
    if (nTime < 0 || nTime > kMaxTime64)
        return false;
    const time_t nValue = static_cast<time_t>(nTime);
    return ::localtime_r(&nValue, &out) != nullptr;
}

std::int64_t MkTime64(std::tm& fields) {
    std::tm copy = fields;
    errno = 0;
    const time_t nTime = ::mktime(&copy);
    if (nTime < 0 || static_cast<std::int64_t>(nTime) > kMaxTime64)
        return -1;
    fields = copy;
    return static_cast<std::int64_t>(nTime);
}

bool SetTimeZoneForTesting(const char* pszTz) {
    if (pszTz == nullptr)
        ::unsetenv("TZ");
    else
        ::setenv("TZ", pszTz, 1);
    ::tzset();
    return true;
}

void Sleep(unsigned nMilliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(nMilliseconds));
}

std::int64_t MonotonicNanoseconds() {
    struct timespec ts;
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

}  // namespace KyPlatform
