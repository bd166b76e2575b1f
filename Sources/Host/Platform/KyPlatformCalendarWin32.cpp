// The Win32 platform layer's clocks and calendar: file times, local time, sleeping.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <time.h>

#include "KyPlatform.h"
#include "KyPlatformTime.h"
#include "KyPlatformWin32Detail.h"

namespace KyPlatform {

using namespace Detail;

namespace {

FILETIME toFileTime(const KyFileTime& fileTime) {
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(fileTime.nTicks & 0xFFFFFFFFu);
    ft.dwHighDateTime = static_cast<DWORD>(fileTime.nTicks >> 32);
    return ft;
}

void fromSystemTime(const SYSTEMTIME& st, KySystemTime& out) {
    out.nYear = st.wYear;
    out.nMonth = st.wMonth;
    out.nDayOfWeek = st.wDayOfWeek;
    out.nDay = st.wDay;
    out.nHour = st.wHour;
    out.nMinute = st.wMinute;
    out.nSecond = st.wSecond;
    out.nMilliseconds = st.wMilliseconds;
}

}  // namespace

bool FileTimeToSystemTime(const KyFileTime& fileTime, KySystemTime& utc) {
    const FILETIME ft = toFileTime(fileTime);
    SYSTEMTIME st;
    if (!::FileTimeToSystemTime(&ft, &st))
        return false;
    fromSystemTime(st, utc);
    return true;
}

bool SystemTimeToTzSpecificLocalTime(const KySystemTime& utc, KySystemTime& local) {
    // Fields out of a WORD's range would wrap: refuse them as Win32 refuses invalid dates.
    std::int64_t nSeconds = 0;
    if (!KyCalendarToUnixSeconds(utc, nSeconds))
        return fail(kErrorInvalidParameter);
    SYSTEMTIME stUtc = {};
    stUtc.wYear = static_cast<WORD>(utc.nYear);
    stUtc.wMonth = static_cast<WORD>(utc.nMonth);
    stUtc.wDay = static_cast<WORD>(utc.nDay);
    stUtc.wHour = static_cast<WORD>(utc.nHour);
    stUtc.wMinute = static_cast<WORD>(utc.nMinute);
    stUtc.wSecond = static_cast<WORD>(utc.nSecond);
    stUtc.wMilliseconds = static_cast<WORD>(utc.nMilliseconds);
    SYSTEMTIME stLocal;
    if (!::SystemTimeToTzSpecificLocalTime(nullptr, &stUtc, &stLocal))
        return false;
    fromSystemTime(stLocal, local);
    return true;
}

std::int64_t Time64() {
    return static_cast<std::int64_t>(::_time64(nullptr));
}

bool LocalTime64(std::int64_t nTime, std::tm& out) {
    if (nTime < 0 || nTime > kMaxTime64)
        return false;
    const __time64_t nValue = nTime;
    return ::_localtime64_s(&out, &nValue) == 0;
}

std::int64_t MkTime64(std::tm& fields) {
    std::tm copy = fields;
    const __time64_t nTime = ::_mktime64(&copy);
    if (nTime < 0 || nTime > kMaxTime64)
        return -1;
    fields = copy;
    return static_cast<std::int64_t>(nTime);
}

bool SetTimeZoneForTesting(const char* /*pszTz*/) {
    return fail(kErrorInvalidParameter);
}

void Sleep(unsigned nMilliseconds) {
    ::Sleep(nMilliseconds);
}

std::int64_t MonotonicNanoseconds() {
    static const std::int64_t s_nFrequency = [] {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<std::int64_t>(frequency.QuadPart);
    }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    const std::int64_t nCount = counter.QuadPart;
    return nCount / s_nFrequency * 1000000000 + nCount % s_nFrequency * 1000000000 / s_nFrequency;
}

}  // namespace KyPlatform
