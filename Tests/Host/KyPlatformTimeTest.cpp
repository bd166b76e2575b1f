// The platform's time conversions: file times, calendars, local time and the runtime's limits.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "KyPlatform.h"
#include "KyPlatformTime.h"

using namespace KyPlatform;

namespace {

KySystemTime calendar(int nYear, int nMonth, int nDay, int nHour = 0, int nMinute = 0,
                      int nSecond = 0, int nMilliseconds = 0) {
    return KySystemTime{nYear, nMonth, 0, nDay, nHour, nMinute, nSecond, nMilliseconds};
}

std::vector<int> fieldsOf(const KySystemTime& st) {
    return {st.nYear,   st.nMonth,  st.nDay,          st.nHour,
            st.nMinute, st.nSecond, st.nMilliseconds, st.nDayOfWeek};
}

std::tm localFields(int nYear, int nMonth, int nDay, int nHour = 12) {
    std::tm fields{};
    fields.tm_year = nYear - 1900;
    fields.tm_mon = nMonth - 1;
    fields.tm_mday = nDay;
    fields.tm_hour = nHour;
    fields.tm_isdst = -1;
    return fields;
}

}  // namespace

TEST(KyPlatformTimeTest, FileTimesBecomeTheCalendarOfTheStandardLibraryAndRoundTrip) {
    // From 1970 to 2100 (not a leap year) in uneven steps, against gmtime.
    for (std::int64_t nSeconds = 0; nSeconds < 4133980800; nSeconds += 86400 * 37 + 3671) {
        KySystemTime st;
        ASSERT_TRUE(FileTimeToSystemTime(KyFileTimeFromUnix(nSeconds, 0), st));
        const std::time_t nTime = static_cast<std::time_t>(nSeconds);
        const std::tm* pTm = std::gmtime(&nTime);
        ASSERT_NE(pTm, nullptr);
        const std::tm& t = *pTm;
        const std::vector<int> expected = {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour,
                                           t.tm_min,         t.tm_sec,     0,         t.tm_wday};
        ASSERT_EQ(fieldsOf(st), expected) << nSeconds;
    }
    // The first tick, a leap day's last millisecond and the last tick gmtime cannot check.
    const std::uint64_t kEpoch = 116444736000000000ull;
    const struct {
        std::uint64_t nTicks;
        std::vector<int> fields;
    } cases[] = {{0, {1601, 1, 1, 0, 0, 0, 0, 1}},
                 {kEpoch + 17092511999999999ull, {2024, 2, 29, 23, 59, 59, 999, 4}},
                 {0x7FFFFFFFFFFFFFFFull, {30828, 9, 14, 2, 48, 5, 477, 4}}};
    for (const auto& c : cases) {
        KySystemTime st;
        ASSERT_TRUE(FileTimeToSystemTime(KyFileTime{c.nTicks}, st)) << c.nTicks;
        EXPECT_EQ(fieldsOf(st), c.fields) << c.nTicks;
    }
    KySystemTime st;
    std::int64_t nWhole = 0, nNanoseconds = 0;
    EXPECT_FALSE(FileTimeToSystemTime(KyFileTime{0x8000000000000000ull}, st));
    EXPECT_FALSE(KyFileTimeToUnix(KyFileTime{0x8000000000000000ull}, nWhole, nNanoseconds));
    EXPECT_TRUE(KyFileTimeToUnix(KyFileTime{0x7FFFFFFFFFFFFFFFull}, nWhole, nNanoseconds));
    // 1601, 1900, just before 1970, 2000-02-29, 2100 and the last second of 3000.
    for (std::int64_t nSeconds :
         {-11644473600LL, -2208988800LL, -1LL, 951782400LL, 4107542399LL, 32535215999LL}) {
        ASSERT_TRUE(FileTimeToSystemTime(KyFileTimeFromUnix(nSeconds, 0), st)) << nSeconds;
        std::int64_t nBack = 0;
        ASSERT_TRUE(KyCalendarToUnixSeconds(st, nBack)) << nSeconds;
        EXPECT_EQ(nBack, nSeconds);
        ASSERT_TRUE(KyFileTimeToUnix(KyFileTimeFromUnix(nSeconds, 250), nWhole, nNanoseconds));
        EXPECT_EQ(nWhole, nSeconds);
        EXPECT_EQ(nNanoseconds, 200) << "file times count 100 ns";
    }
}

TEST(KyPlatformTimeTest, CalendarFieldsAreCheckedAtEachBoundary) {
    // clang-format off
    const struct { KySystemTime st; bool bValid; } cases[] = {
        {calendar(2024, 2, 29), true},   {calendar(2023, 2, 29), false},
        {calendar(2000, 2, 29), true},   {calendar(1900, 2, 29), false},
        {calendar(2024, 4, 30), true},   {calendar(2024, 4, 31), false},
        {calendar(2024, 12, 31), true},  {calendar(2024, 13, 1), false},
        {calendar(2024, 0, 1), false},   {calendar(2024, 1, 0), false},
        {calendar(1601, 1, 1), true},    {calendar(1600, 12, 31), false},
        {calendar(30827, 12, 31), true}, {calendar(30828, 1, 1), false},
        {calendar(2024, 1, 1, 23, 59, 59, 999), true},
        {calendar(2024, 1, 1, 24), false},            {calendar(2024, 1, 1, -1), false},
        {calendar(2024, 1, 1, 0, 60), false},         {calendar(2024, 1, 1, 0, -1), false},
        {calendar(2024, 1, 1, 0, 0, 60), false},      {calendar(2024, 1, 1, 0, 0, -1), false},
        {calendar(2024, 1, 1, 0, 0, 0, 1000), false}, {calendar(2024, 1, 1, 0, 0, 0, -1), false},
    };
    // clang-format on
    for (const auto& c : cases) {
        std::int64_t nSeconds = 0;
        EXPECT_EQ(KyCalendarToUnixSeconds(c.st, nSeconds), c.bValid)
            << c.st.nYear << "-" << c.st.nMonth << "-" << c.st.nDay << " " << c.st.nHour << ":"
            << c.st.nMinute << ":" << c.st.nSecond << "." << c.st.nMilliseconds;
    }
    // The last day of every month of 2023 is the day before the next month's first.
    for (int nMonth = 1; nMonth <= 12; ++nMonth) {
        std::int64_t nFirst = 0, nSeconds = 0;
        ASSERT_TRUE(
            KyCalendarToUnixSeconds(calendar(2023 + nMonth / 12, nMonth % 12 + 1, 1), nFirst));
        KySystemTime last;
        ASSERT_TRUE(FileTimeToSystemTime(KyFileTimeFromUnix(nFirst - 86400, 0), last));
        EXPECT_TRUE(KyCalendarToUnixSeconds(last, nSeconds)) << nMonth;
        ++last.nDay;
        EXPECT_FALSE(KyCalendarToUnixSeconds(last, nSeconds)) << nMonth;
    }
    KySystemTime local;
    EXPECT_FALSE(SystemTimeToTzSpecificLocalTime(calendar(2023, 2, 29), local));
    EXPECT_EQ(GetLastError(), static_cast<unsigned>(kErrorInvalidParameter));
}

TEST(KyPlatformTimeTest, LocalCalendarKeepsOldYearsAndFollowsTheZoneAndItsSummerTime) {
    // A file stamped in 1850 or 1950 has a local year of that time; the catalogue decides
    // what such a year means.
    for (int nYear : {1850, 1950}) {
        KySystemTime local;
        ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(calendar(nYear, 6, 15, 12), local));
        EXPECT_EQ(local.nYear, nYear);
        EXPECT_EQ(local.nMonth, 6);
    }
    const char* pszOld = std::getenv("TZ");
    const std::string strOld = pszOld != nullptr ? pszOld : "";
    if (!SetTimeZoneForTesting("CET-1CEST,M3.5.0,M10.5.0/3"))
        GTEST_SKIP() << "the zone is the system's on this platform";
    KySystemTime local;
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(calendar(2024, 1, 15, 12, 0, 0, 250), local));
    EXPECT_EQ(local.nHour, 13);
    EXPECT_EQ(local.nMilliseconds, 250);
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(calendar(2024, 7, 1, 12), local));
    EXPECT_EQ(local.nHour, 14);
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(calendar(2024, 12, 31, 23, 30), local));
    EXPECT_EQ(fieldsOf(local), (std::vector<int>{2025, 1, 1, 0, 30, 0, 0, 3}));
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(calendar(1950, 6, 15, 12), local));
    EXPECT_EQ(local.nHour, 13);
    std::tm out{};
    ASSERT_TRUE(LocalTime64(1706696100, out));  // 2024-01-31 10:15:00 UTC
    EXPECT_EQ(out.tm_hour, 11);
    std::tm epoch = localFields(1970, 1, 1, 1);
    EXPECT_EQ(MkTime64(epoch), 0) << "the epoch itself is a time";
    SetTimeZoneForTesting(pszOld != nullptr ? strOld.c_str() : nullptr);
}

TEST(KyPlatformTimeTest, LocalTime64AndMkTime64RefuseWhatTheRuntimeRefuses) {
    // The catalogue relies on these: years before 1970 and after 3000 have no _mktime64 value.
    std::tm out{};
    EXPECT_FALSE(LocalTime64(-1, out));
    EXPECT_FALSE(LocalTime64(kMaxTime64 + 1, out));
    EXPECT_TRUE(LocalTime64(kMaxTime64, out));
    EXPECT_TRUE(LocalTime64(0, out));
    EXPECT_TRUE(LocalTime64(2147483648, out)) << "past 2038";
    for (std::tm fields : {localFields(1969, 6, 1), localFields(1900, 1, 1),
                           localFields(1850, 6, 1), localFields(3001, 1, 2)})
        EXPECT_EQ(MkTime64(fields), -1) << fields.tm_year + 1900;

    std::tm overflowing = localFields(2024, 1, 32, 10);
    const std::int64_t nTime = MkTime64(overflowing);
    ASSERT_NE(nTime, -1);
    EXPECT_EQ(overflowing.tm_mon, 1) << "January 32nd is February 1st";
    EXPECT_EQ(overflowing.tm_mday, 1);
    ASSERT_TRUE(LocalTime64(nTime, out));
    EXPECT_EQ(out.tm_mday * 100 + out.tm_hour, 110) << "and back";
}
