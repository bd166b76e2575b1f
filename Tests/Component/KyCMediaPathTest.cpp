// Paths and time-stamped names of the media directory (exported helpers).
#include <gtest/gtest.h>

#include <ctime>

#include "KyCMediaPath.h"
#include "KyTestComponent.h"

namespace {

// Seconds of a local calendar time, by the C runtime itself.
std::int64_t localSeconds(int nYear, int nMonth, int nDay, int nHour, int nMinute, int nSecond) {
    std::tm fields{};
    fields.tm_year = nYear - 1900;
    fields.tm_mon = nMonth - 1;
    fields.tm_mday = nDay;
    fields.tm_hour = nHour;
    fields.tm_min = nMinute;
    fields.tm_sec = nSecond;
    fields.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&fields));
}

}  // namespace

// Expected paths are written with '\' and compared in the platform's separator.
TEST(KyCMediaPathTest, NormalizeAndJoin) {
    const wchar_t* const aNormalized[][2] = {
        {L"C:/media//x.avi", L"C:\\media\\x.avi"},
        {L"a\\\\\\b//\\c", L"a\\b\\c"},
        {L"/", L"\\"},
        {L"\\\\server\\share\\\\x.jpg", L"\\\\server\\share\\x.jpg"},  // leading run kept whole
        {L"///a//b", L"\\\\\\a\\b"},
        {L"\\\\", L"\\\\"},
        {L"dir//", L"dir\\"},
        {L"a\\.\\..\\b", L"a\\.\\..\\b"},
        {L"name.avi", L"name.avi"},
        {L" a b ", L" a b "},
        {L"", L""},
    };
    for (const auto& c : aNormalized)
        EXPECT_EQ(normalizePath(c[0]), KyTestNative(c[1])) << KyTestUtf8(c[0]);

    const wchar_t* const aJoined[][3] = {
        {L"C:\\media\\", L"x.jpg", L"C:\\media\\x.jpg"},
        {L"/media/", L"x.jpg", L"\\media\\x.jpg"},
        {L"\\\\server\\share", L"x.avi", L"\\\\server\\share\\x.avi"},
        {L"", L"a//x.jpg", L"a\\x.jpg"},
        {L"C:\\media", L"", L""},
        {L"", L"", L""},
    };
    for (const auto& c : aJoined) {
        EXPECT_EQ(makeFilePath(c[0], c[1]), KyTestNative(c[2]))
            << KyTestUtf8(c[0]) << " + " << KyTestUtf8(c[1]);
    }
}

TEST(KyCMediaPathTest, MediaFilenameIsTheLocalTimeStampWithTheTypesEndingOrInvalid) {
    const std::int64_t nTime = localSeconds(2024, 1, 31, 10, 15, 0);
    EXPECT_EQ(makeMediaFilename(eVideoMediaTypeVideo, CTime(nTime)), L"20240131-101500.avi");
    EXPECT_EQ(makeMediaFilename(eVideoMediaTypePicture, CTime(nTime)), L"20240131-101500.jpg");
    EXPECT_EQ(makeMediaFilename(eVideoMediaTypePicture, localSeconds(2025, 3, 5, 7, 8, 9)),
              L"20250305-070809.jpg");
    EXPECT_EQ(makeMediaFilename(eVideoMediaTypeNone, nTime), L"");
    EXPECT_EQ(makeMediaFilename(static_cast<ERUXVideoMediaType>(-2), nTime), L"");
    SCODE sc = 0;  // a time without local form
    try {
        makeMediaFilename(eVideoMediaTypeVideo, CTime(-86400 * 400));
    } catch (COleException* pError) {
        sc = pError->m_sc;
        pError->Delete();
    }
    EXPECT_EQ(sc, E_INVALIDARG);
}
