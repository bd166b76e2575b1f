// The platform's time conversions: file times, calendars, local time and the runtime's limits.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "KyPlatform.h"
#include "KyPlatformTime.h"

using namespace KyPlatform;

namespace {

const std::uint64_t kUnixEpochTicks = 116444736000000000ull;

KyFileTime ticks(std::uint64_t n) {
    KyFileTime fileTime;
    fileTime.nTicks = n;
    return fileTime;
}

KySystemTime calendar(int nYear, int nMonth, int nDay, int nHour, int nMinute, int nSecond) {
    KySystemTime st;
    st.nYear = nYear;
    st.nMonth = nMonth;
    st.nDay = nDay;
    st.nHour = nHour;
    st.nMinute = nMinute;
    st.nSecond = nSecond;
    return st;
}

std::tm localFields(int nYear, int nMonth, int nDay, int nHour, int nMinute, int nSecond) {
    std::tm fields{};
    fields.tm_year = nYear - 1900;
    fields.tm_mon = nMonth - 1;
    fields.tm_mday = nDay;
    fields.tm_hour = nHour;
    fields.tm_min = nMinute;
    fields.tm_sec = nSecond;
    fields.tm_isdst = -1;
    return fields;
}

// Switches the process's zone for one test and restores the previous one afterwards.
class CTimeZone {
public:
    explicit CTimeZone(const char* pszTz) {
        const char* pszOld = std::getenv("TZ");
        m_bHadOld = pszOld != nullptr;
        if (m_bHadOld)
            m_strOld = pszOld;
        m_bSupported = SetTimeZoneForTesting(pszTz);
    }
    ~CTimeZone() {
        if (m_bSupported)
            SetTimeZoneForTesting(m_bHadOld ? m_strOld.c_str() : nullptr);
    }
    bool IsSupported() const { return m_bSupported; }

private:
    bool m_bSupported = false;
    bool m_bHadOld = false;
    std::string m_strOld;
};

}  // namespace

TEST(KyPlatformTimeTest, FileTimeToSystemTimeKnowsItsLandmarks) {
    KySystemTime st;
    ASSERT_TRUE(FileTimeToSystemTime(ticks(0), st));
    EXPECT_EQ(st.nYear, 1601);
    EXPECT_EQ(st.nMonth, 1);
    EXPECT_EQ(st.nDay, 1);
    EXPECT_EQ(st.nDayOfWeek, 1) << "1601-01-01 was a Monday";

    ASSERT_TRUE(FileTimeToSystemTime(ticks(kUnixEpochTicks), st));
    EXPECT_EQ(st.nYear, 1970);
    EXPECT_EQ(st.nDayOfWeek, 4) << "1970-01-01 was a Thursday";

    // The last millisecond of a leap day.
    ASSERT_TRUE(FileTimeToSystemTime(
        ticks(kUnixEpochTicks + (1709251199ull * 1000 + 999) * 10000 + 9999), st));
    EXPECT_EQ(st.nYear, 2024);
    EXPECT_EQ(st.nMonth, 2);
    EXPECT_EQ(st.nDay, 29);
    EXPECT_EQ(st.nHour, 23);
    EXPECT_EQ(st.nMinute, 59);
    EXPECT_EQ(st.nSecond, 59);
    EXPECT_EQ(st.nMilliseconds, 999);
    EXPECT_EQ(st.nDayOfWeek, 4);
}

TEST(KyPlatformTimeTest, FileTimesFromTheTopHalfAreRefused) {
    KySystemTime st;
    EXPECT_FALSE(FileTimeToSystemTime(ticks(0x8000000000000000ull), st));
    EXPECT_TRUE(FileTimeToSystemTime(ticks(0x7FFFFFFFFFFFFFFFull), st));
    EXPECT_EQ(st.nYear, 30828);
}

TEST(KyPlatformTimeTest, CalendarAgreesWithTheStandardLibraryAcrossTheYears) {
    // From 1970 to 2100 (not a leap year) in uneven steps, against gmtime.
    for (std::int64_t nSeconds = 0; nSeconds < 4133980800; nSeconds += 86400 * 37 + 3671) {
        KySystemTime st;
        ASSERT_TRUE(FileTimeToSystemTime(KyFileTimeFromUnix(nSeconds, 0), st));
        const std::time_t nTime = static_cast<std::time_t>(nSeconds);
        const std::tm* pTm = std::gmtime(&nTime);
        ASSERT_NE(pTm, nullptr);
        ASSERT_EQ(st.nYear, pTm->tm_year + 1900) << nSeconds;
        ASSERT_EQ(st.nMonth, pTm->tm_mon + 1) << nSeconds;
        ASSERT_EQ(st.nDay, pTm->tm_mday) << nSeconds;
        ASSERT_EQ(st.nHour, pTm->tm_hour) << nSeconds;
        ASSERT_EQ(st.nMinute, pTm->tm_min) << nSeconds;
        ASSERT_EQ(st.nSecond, pTm->tm_sec) << nSeconds;
        ASSERT_EQ(st.nDayOfWeek, pTm->tm_wday) << nSeconds;
    }
}

TEST(KyPlatformTimeTest, CalendarRoundTripsBeforeAndAfter1970) {
    for (std::int64_t nSeconds :
         {std::int64_t(-11644473600), std::int64_t(-2208988800), std::int64_t(-1), std::int64_t(0),
          std::int64_t(951782400), std::int64_t(4107542399), std::int64_t(32535215999)}) {
        KySystemTime st;
        ASSERT_TRUE(FileTimeToSystemTime(KyFileTimeFromUnix(nSeconds, 0), st)) << nSeconds;
        std::int64_t nBack = 0;
        ASSERT_TRUE(KyCalendarToUnixSeconds(st, nBack)) << nSeconds;
        EXPECT_EQ(nBack, nSeconds);
        std::int64_t nWhole = 0, nNanoseconds = 0;
        ASSERT_TRUE(KyFileTimeToUnix(KyFileTimeFromUnix(nSeconds, 250), nWhole, nNanoseconds));
        EXPECT_EQ(nWhole, nSeconds);
        EXPECT_EQ(nNanoseconds, 200) << "file times count 100 ns";
    }
}

TEST(KyPlatformTimeTest, InvalidCalendarFieldsAreRefused) {
    KySystemTime local;
    EXPECT_FALSE(SystemTimeToTzSpecificLocalTime(calendar(2023, 2, 29, 0, 0, 0), local));
    EXPECT_EQ(GetLastError(), static_cast<unsigned>(kErrorInvalidParameter));
    EXPECT_FALSE(SystemTimeToTzSpecificLocalTime(calendar(2024, 13, 1, 0, 0, 0), local));
    EXPECT_FALSE(SystemTimeToTzSpecificLocalTime(calendar(2024, 1, 1, 24, 0, 0), local));
    EXPECT_FALSE(SystemTimeToTzSpecificLocalTime(calendar(1600, 12, 31, 0, 0, 0), local));
    EXPECT_TRUE(SystemTimeToTzSpecificLocalTime(calendar(2024, 2, 29, 0, 0, 0), local));
}

TEST(KyPlatformTimeTest, LocalCalendarAgreesWithLocalTime64) {
    // Whatever the zone of the machine, both routes to local time must agree.
    for (std::int64_t nSeconds : {std::int64_t(86400 * 200), std::int64_t(1706696100),
                                  std::int64_t(1719835200), std::int64_t(4102444800)}) {
        KySystemTime utc, local;
        ASSERT_TRUE(FileTimeToSystemTime(KyFileTimeFromUnix(nSeconds, 0), utc));
        ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(utc, local));
        std::tm tmLocal{};
        ASSERT_TRUE(LocalTime64(nSeconds, tmLocal));
        EXPECT_EQ(local.nYear, tmLocal.tm_year + 1900) << nSeconds;
        EXPECT_EQ(local.nMonth, tmLocal.tm_mon + 1) << nSeconds;
        EXPECT_EQ(local.nDay, tmLocal.tm_mday) << nSeconds;
        EXPECT_EQ(local.nHour, tmLocal.tm_hour) << nSeconds;
        EXPECT_EQ(local.nMinute, tmLocal.tm_min) << nSeconds;
    }
}

TEST(KyPlatformTimeTest, LocalCalendarFollowsTheZoneAndItsSummerTime) {
    CTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    if (!zone.IsSupported())
        GTEST_SKIP() << "the zone is the system's on this platform";
    KySystemTime local;
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(calendar(2024, 1, 15, 12, 0, 0), local));
    EXPECT_EQ(local.nHour, 13);
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(calendar(2024, 7, 1, 12, 0, 0), local));
    EXPECT_EQ(local.nHour, 14);
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(calendar(2024, 12, 31, 23, 30, 0), local));
    EXPECT_EQ(local.nYear, 2025) << "the local date runs ahead of UTC";
    EXPECT_EQ(local.nDay, 1);
}

TEST(KyPlatformTimeTest, LocalTime64RefusesTimesTheRuntimeRefuses) {
    std::tm out{};
    EXPECT_FALSE(LocalTime64(-1, out));
    EXPECT_FALSE(LocalTime64(-2208988800, out)) << "1900: before 1970";
    EXPECT_FALSE(LocalTime64(kMaxTime64 + 1, out));
    EXPECT_TRUE(LocalTime64(kMaxTime64, out));
    EXPECT_TRUE(LocalTime64(0, out));
}

TEST(KyPlatformTimeTest, LocalTime64FormatsInTheLocalZone) {
    CTimeZone zone("XST-2");  // two hours east of UTC, no summer time
    if (!zone.IsSupported())
        GTEST_SKIP() << "the zone is the system's on this platform";
    std::tm out{};
    ASSERT_TRUE(LocalTime64(1706696100, out));  // 2024-01-31 10:15:00 UTC
    EXPECT_EQ(out.tm_year, 124);
    EXPECT_EQ(out.tm_mon, 0);
    EXPECT_EQ(out.tm_mday, 31);
    EXPECT_EQ(out.tm_hour, 12);
    EXPECT_EQ(out.tm_min, 15);
}

TEST(KyPlatformTimeTest, MkTime64RoundTripsAndNormalises) {
    std::tm fields = localFields(2024, 1, 31, 10, 15, 0);
    const std::int64_t nTime = MkTime64(fields);
    ASSERT_NE(nTime, -1);
    std::tm back{};
    ASSERT_TRUE(LocalTime64(nTime, back));
    EXPECT_EQ(back.tm_year, 124);
    EXPECT_EQ(back.tm_mday, 31);
    EXPECT_EQ(back.tm_hour, 10);
    EXPECT_EQ(back.tm_min, 15);

    std::tm overflowing = localFields(2024, 1, 32, 12, 0, 0);
    ASSERT_NE(MkTime64(overflowing), -1);
    EXPECT_EQ(overflowing.tm_mon, 1) << "January 32nd is February 1st";
    EXPECT_EQ(overflowing.tm_mday, 1);
}

TEST(KyPlatformTimeTest, MkTime64FailsOutsideTheRuntimesRange) {
    // The catalogue relies on these: 1900 to 1969 and earlier years have no _mktime64 value.
    std::tm fields = localFields(1969, 6, 1, 12, 0, 0);
    EXPECT_EQ(MkTime64(fields), -1);
    fields = localFields(1900, 1, 1, 0, 0, 0);
    EXPECT_EQ(MkTime64(fields), -1);
    fields = localFields(1850, 6, 1, 0, 0, 0);
    EXPECT_EQ(MkTime64(fields), -1);
    fields = localFields(3001, 1, 2, 0, 0, 0);
    EXPECT_EQ(MkTime64(fields), -1);
    fields = localFields(1970, 1, 3, 0, 0, 0);
    EXPECT_NE(MkTime64(fields), -1);
}

TEST(KyPlatformTimeTest, OldFileTimesGiveOldLocalYears) {
    // A file stamped in 1850 or 1950 converts to a local calendar year of that time; the
    // catalogue decides what such a year means.
    for (int nYear : {1850, 1950}) {
        KySystemTime utc, local;
        std::int64_t nSeconds = 0;
        ASSERT_TRUE(KyCalendarToUnixSeconds(calendar(nYear, 6, 15, 12, 0, 0), nSeconds));
        ASSERT_TRUE(FileTimeToSystemTime(KyFileTimeFromUnix(nSeconds, 0), utc));
        EXPECT_EQ(utc.nYear, nYear);
        ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(utc, local));
        EXPECT_EQ(local.nYear, nYear);
        EXPECT_EQ(local.nMonth, 6);
    }
}

TEST(KyPlatformTimeTest, ClocksTellTheTime) {
    const std::int64_t nNow = Time64();
    const std::int64_t nStd = static_cast<std::int64_t>(std::time(nullptr));
    EXPECT_LE(std::llabs(nNow - nStd), 2);
    const std::int64_t nStart = MonotonicNanoseconds();
    Sleep(20);
    const std::int64_t nElapsed = MonotonicNanoseconds() - nStart;
    EXPECT_GE(nElapsed, 15000000);
    EXPECT_LT(nElapsed, 10000000000);
}
