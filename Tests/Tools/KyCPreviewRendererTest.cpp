// The terminal picture: the right way up, each half cell its own sample, nothing drawn from
// nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KyCFieldBase.h"
#include "KyCPreviewRenderer.h"

namespace {

size_t countOf(const std::string& strText, const std::string& strPart) {
    size_t nCount = 0;
    for (size_t n = strText.find(strPart); n != std::string::npos;
         n = strText.find(strPart, n + strPart.size()))
        ++nCount;
    return nCount;
}

}  // namespace

TEST(KyCPreviewRendererTest, TopOfThePictureIsTheForegroundOfTheFirstRow) {
    // Rows red, green, blue, blue (BGRA, top row first); a cell shows an upper and a lower row.
    const unsigned char rows[][3] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {255, 0, 0}};
    KyCFieldBase picture(KyCRect2(KyCSize2(4, 4)), 4, 0);
    for (int nY = 0; nY < 4; ++nY)
        for (int nX = 0; nX < 4; ++nX)
            for (int b = 0; b < 3; ++b)
                picture.m_pData[nY * picture.m_nPitch + nX * 4 + b] = rows[nY][b];
    const std::vector<std::string> vecRows = KyCPreviewRenderer::Render(picture, 4);
    ASSERT_EQ(vecRows.size(), 2u);
    EXPECT_EQ(countOf(vecRows[0], "\x1b[38;2;255;0;0m"), 1u) << vecRows[0];
    EXPECT_EQ(countOf(vecRows[0], "\x1b[48;2;0;255;0m"), 1u);
    EXPECT_EQ(countOf(vecRows[1], "\x1b[38;2;0;0;255m"), 1u) << vecRows[1];
    EXPECT_EQ(countOf(vecRows[1], "\x1b[48;2;0;0;255m"), 1u);
    for (const std::string& strRow : vecRows) {
        EXPECT_EQ(countOf(strRow, "\xe2\x96\x80"), 4u) << "every cell drawn";
        EXPECT_EQ(strRow.substr(strRow.size() - 4), "\x1b[0m") << "colours never leak out";
    }
    EXPECT_EQ(KyCPreviewRenderer::RowsFor(KyCSize2(640, 480), 64), 24) << "the aspect is kept";
    EXPECT_EQ(KyCPreviewRenderer::RowsFor(KyCSize2(0, 480), 64), 1);
    EXPECT_TRUE(KyCPreviewRenderer::Render(KyCFieldBase(), 10).empty());
    EXPECT_TRUE(KyCPreviewRenderer::Render(picture, 0).empty());
}
