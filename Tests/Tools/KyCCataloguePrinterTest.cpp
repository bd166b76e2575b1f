// The catalogue as text: order, columns, current marks, sizes and times.
#include <gtest/gtest.h>

#include <ctime>

#include "KyCCataloguePrinter.h"

namespace {

std::int64_t localTime(int nYear, int nMonth, int nDay, int nHour, int nMinute, int nSecond) {
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

KyCCatalogueEntry entry(int nPosition, ERUXVideoMediaType eType, const wchar_t* pszName,
                        std::uint64_t nBytes) {
    KyCCatalogueEntry result;
    result.nPosition = nPosition;
    result.eMediaType = eType;
    result.nTime = localTime(2024, 1, 31, 10, 15, nPosition);
    result.strName = pszName;
    result.bExists = true;
    result.nBytes = nBytes;
    return result;
}

}  // namespace

TEST(KyCCataloguePrinterTest, OneLinePerEntryInCatalogueOrderWithTheCurrentViews) {
    std::vector<KyCCatalogueEntry> vecEntries = {
        entry(0, eVideoMediaTypeVideo, L"20240131-101500.avi", 1258291),
        entry(1, eVideoMediaTypePicture, L"20240131-101501.jpg", 35942),
        entry(2, eVideoMediaTypePicture, L"20240131-101502.jpg", 900)};
    vecEntries[0].bCurrentVideo = true;
    vecEntries[2].bCurrentAll = true;
    vecEntries[2].bCurrentPicture = true;

    const std::vector<std::string> vecLines = KyCCataloguePrinter::Format(vecEntries, L"/m");
    ASSERT_EQ(vecLines.size(), 5u);
    EXPECT_EQ(vecLines[0], "catalogue: 3 files (1 video, 2 pictures) in /m");
    EXPECT_EQ(vecLines[2],
              "    0  video    2024-01-31 10:15:00  1.2 MiB     20240131-101500.avi  video");
    EXPECT_EQ(vecLines[3], "    1  picture  2024-01-31 10:15:01  35.1 KiB    20240131-101501.jpg");
    EXPECT_EQ(vecLines[4],
              "    2  picture  2024-01-31 10:15:02  900 B       20240131-101502.jpg  all, picture");
}

TEST(KyCCataloguePrinterTest, MissingFilesAndAnEmptyCatalogueSaySo) {
    std::vector<KyCCatalogueEntry> vecEntries = {entry(0, eVideoMediaTypeVideo, L"gone.avi", 0)};
    vecEntries[0].bExists = false;
    const std::vector<std::string> vecLines = KyCCataloguePrinter::Format(vecEntries, L"/m");
    ASSERT_EQ(vecLines.size(), 3u);
    EXPECT_NE(vecLines[2].find("missing"), std::string::npos) << vecLines[2];
    EXPECT_EQ(vecLines[0], "catalogue: 1 file (1 video, 0 pictures) in /m");

    EXPECT_EQ(KyCCataloguePrinter::Format({}, L"/m"),
              std::vector<std::string>{"catalogue: no files in /m"});
    EXPECT_EQ(KyCCataloguePrinter::Format({}, L""),
              std::vector<std::string>{"catalogue: no files in (no media directory)"});
}

TEST(KyCCataloguePrinterTest, SizesSwitchUnitsAtEachKibibyte) {
    EXPECT_EQ(KyCCataloguePrinter::FormatSize(0), "0 B");
    EXPECT_EQ(KyCCataloguePrinter::FormatSize(1023), "1023 B");
    EXPECT_EQ(KyCCataloguePrinter::FormatSize(1024), "1.0 KiB");
    EXPECT_EQ(KyCCataloguePrinter::FormatSize(1024 * 1024 - 1), "1024.0 KiB");
    EXPECT_EQ(KyCCataloguePrinter::FormatSize(1024 * 1024), "1.0 MiB");
    EXPECT_EQ(KyCCataloguePrinter::FormatSize(3ull * 1024 * 1024 * 1024), "3.0 GiB");
}

TEST(KyCCataloguePrinterTest, TimesAreLocalAndNamesAndCountsReadWell) {
    EXPECT_EQ(KyCCataloguePrinter::FormatTime(localTime(1999, 12, 31, 23, 59, 58)),
              "1999-12-31 23:59:58");
    EXPECT_EQ(KyCCataloguePrinter::FormatTime(-5), "(no time)");
    EXPECT_EQ(KyCCataloguePrinter::TypeName(eVideoMediaTypeVideo), "video");
    EXPECT_EQ(KyCCataloguePrinter::TypeName(eVideoMediaTypePicture), "picture");
    EXPECT_EQ(KyCCataloguePrinter::TypeName(eVideoMediaTypeNone), "none");
    EXPECT_EQ(KyCCataloguePrinter::FormatCounts(1, 1), "1 video, 1 picture");
    EXPECT_EQ(KyCCataloguePrinter::FormatCounts(0, 2), "0 videos, 2 pictures");
}
