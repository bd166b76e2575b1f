// Paths and time-stamped names of the media directory.
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

TEST(KyCMediaPathTest, NormalizeCollapsesInnerRunsAndUsesThePlatformSeparator) {
    EXPECT_EQ(normalizePath(L"C:/media//x.avi"), KyTestNative(L"C:\\media\\x.avi"));
    EXPECT_EQ(normalizePath(L"a\\\\\\b//\\c"), KyTestNative(L"a\\b\\c"));
    EXPECT_EQ(normalizePath(L"/"), KyTestNative(L"\\"));
}

TEST(KyCMediaPathTest, NormalizeKeepsTheLeadingRunWhole) {
    EXPECT_EQ(normalizePath(L"\\\\server\\share\\\\x.jpg"),
              KyTestNative(L"\\\\server\\share\\x.jpg"));
    EXPECT_EQ(normalizePath(L"///a//b"), KyTestNative(L"\\\\\\a\\b"));
    EXPECT_EQ(normalizePath(L"\\\\"), KyTestNative(L"\\\\"));
}

TEST(KyCMediaPathTest, NormalizeKeepsTrailingSeparatorDotsAndPlainNames) {
    EXPECT_EQ(normalizePath(L"dir\\"), KyTestNative(L"dir\\"));
    EXPECT_EQ(normalizePath(L"dir//"), KyTestNative(L"dir\\"));
    EXPECT_EQ(normalizePath(L"a\\.\\..\\b"), KyTestNative(L"a\\.\\..\\b"));
    EXPECT_EQ(normalizePath(L"name.avi"), L"name.avi");
    EXPECT_EQ(normalizePath(L""), L"");
    EXPECT_EQ(normalizePath(L" a b "), L" a b ");
}

TEST(KyCMediaPathTest, MakeFilePathJoinsThenNormalizesTheWholePath) {
    EXPECT_EQ(makeFilePath(L"C:\\media\\", L"x.jpg"), KyTestNative(L"C:\\media\\x.jpg"));
    EXPECT_EQ(makeFilePath(L"C:/media", L"x.jpg"), KyTestNative(L"C:\\media\\x.jpg"));
    EXPECT_EQ(makeFilePath(L"/media/", L"x.jpg"), KyTestNative(L"\\media\\x.jpg"));
    EXPECT_EQ(makeFilePath(L"\\\\server\\share", L"x.avi"),
              KyTestNative(L"\\\\server\\share\\x.avi"));
}

TEST(KyCMediaPathTest, MakeFilePathWithAnEmptyPart) {
    EXPECT_EQ(makeFilePath(L"C:\\media", L""), L"");
    EXPECT_EQ(makeFilePath(L"", L""), L"");
    EXPECT_EQ(makeFilePath(L"", L"x.jpg"), L"x.jpg");
    EXPECT_EQ(makeFilePath(L"", L"a//x.jpg"), KyTestNative(L"a\\x.jpg"));
}

TEST(KyCMediaPathTest, MediaFilenameIsTheLocalTimeStampWithTheTypesEnding) {
    const std::int64_t nTime = localSeconds(2024, 1, 31, 10, 15, 0);
    EXPECT_EQ(makeMediaFilename(eVideoMediaTypeVideo, CTime(nTime)), L"20240131-101500.avi");
    EXPECT_EQ(makeMediaFilename(eVideoMediaTypePicture, CTime(nTime)), L"20240131-101500.jpg");
    // Every field two digits wide, zero-padded.
    EXPECT_EQ(makeMediaFilename(eVideoMediaTypePicture, localSeconds(2025, 3, 5, 7, 8, 9)),
              L"20250305-070809.jpg");
    EXPECT_EQ(makeMediaFilename(eVideoMediaTypeVideo, localSeconds(1999, 12, 31, 23, 59, 59)),
              L"19991231-235959.avi");
}

TEST(KyCMediaPathTest, MediaFilenameOfAnotherTypeIsEmpty) {
    const std::int64_t nTime = localSeconds(2024, 1, 31, 10, 15, 0);
    EXPECT_EQ(makeMediaFilename(eVideoMediaTypeNone, nTime), L"");
    EXPECT_EQ(makeMediaFilename(static_cast<ERUXVideoMediaType>(-2), nTime), L"");
}

TEST(KyCMediaPathTest, MediaFilenameOfATimeWithoutLocalFormRaisesInvalidArgument) {
    SCODE sc = 0;
    try {
        makeMediaFilename(eVideoMediaTypeVideo, CTime(-86400 * 400));
    } catch (COleException* pError) {
        sc = pError->m_sc;
        pError->Delete();
    }
    EXPECT_EQ(sc, E_INVALIDARG);
}
