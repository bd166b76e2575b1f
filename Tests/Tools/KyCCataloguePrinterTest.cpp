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
        entry(2, eVideoMediaTypePicture, L"20240131-101502.jpg", 900),
        entry(3, eVideoMediaTypeVideo, L"gone.avi", 0)};
    vecEntries[0].bCurrentVideo = true;
    vecEntries[2].bCurrentAll = vecEntries[2].bCurrentPicture = true;
    vecEntries[3].bExists = false;

    const std::vector<std::string> vecLines = KyCCataloguePrinter::Format(vecEntries, L"/m");
    ASSERT_EQ(vecLines.size(), 6u);
    EXPECT_EQ(vecLines[0], "catalogue: 4 files (2 videos, 2 pictures) in /m");
    EXPECT_EQ(vecLines[2],
              "    0  video    2024-01-31 10:15:00  1.2 MiB     20240131-101500.avi  video");
    EXPECT_EQ(vecLines[3], "    1  picture  2024-01-31 10:15:01  35.1 KiB    20240131-101501.jpg");
    EXPECT_EQ(vecLines[4],
              "    2  picture  2024-01-31 10:15:02  900 B       20240131-101502.jpg  all, picture");
    EXPECT_NE(vecLines[5].find("missing"), std::string::npos) << vecLines[5];
    EXPECT_EQ(KyCCataloguePrinter::Format({}, L""),
              std::vector<std::string>{"catalogue: no files in (no media directory)"});
    EXPECT_EQ(KyCCataloguePrinter::FormatCounts(1, 1), "1 video, 1 picture");
}

TEST(KyCCataloguePrinterTest, SizesSwitchUnitsAtEachKibibyteAndTimesAreLocal) {
    const std::pair<std::uint64_t, const char*> sizes[] = {{1023, "1023 B"},
                                                           {1024, "1.0 KiB"},
                                                           {1024 * 1024 - 1, "1024.0 KiB"},
                                                           {1024 * 1024, "1.0 MiB"},
                                                           {3ull << 30, "3.0 GiB"}};
    for (const auto& size : sizes)
        EXPECT_EQ(KyCCataloguePrinter::FormatSize(size.first), size.second);
    EXPECT_EQ(KyCCataloguePrinter::FormatTime(localTime(1999, 12, 31, 23, 59, 58)),
              "1999-12-31 23:59:58");
    EXPECT_EQ(KyCCataloguePrinter::FormatTime(-5), "(no time)");
}
