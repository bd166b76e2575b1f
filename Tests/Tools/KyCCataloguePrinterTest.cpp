// The catalogue as text: the lines and times of a listing are the command-line tests'; here the
// corners.
#include <gtest/gtest.h>

#include "KyCCataloguePrinter.h"

TEST(KyCCataloguePrinterTest, MissingFilesAreMarkedAndSizesSwitchUnitsAtEachKibibyte) {
    KyCCatalogueEntry gone;
    gone.eMediaType = eVideoMediaTypeVideo;
    gone.strName = L"gone.avi";
    const std::vector<std::string> vecLines = KyCCataloguePrinter::Format({gone}, L"/m");
    ASSERT_EQ(vecLines.size(), 3u);
    EXPECT_NE(vecLines[2].find("missing"), std::string::npos) << vecLines[2];
    EXPECT_EQ(KyCCataloguePrinter::Format({}, L""),
              std::vector<std::string>{"catalogue: no files in (no media directory)"});
    const std::pair<std::uint64_t, const char*> sizes[] = {{1023, "1023 B"},
                                                           {1024, "1.0 KiB"},
                                                           {1024 * 1024 - 1, "1024.0 KiB"},
                                                           {1024 * 1024, "1.0 MiB"},
                                                           {3ull << 30, "3.0 GiB"}};
    for (const auto& size : sizes)
        EXPECT_EQ(KyCCataloguePrinter::FormatSize(size.first), size.second);
    EXPECT_EQ(KyCCataloguePrinter::FormatTime(-5), "(no time)");
}
