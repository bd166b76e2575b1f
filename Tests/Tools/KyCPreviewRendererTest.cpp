// The terminal picture: orientation, colours, averaging, aspect and what it refuses.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "KyCFieldBase.h"
#include "KyCPreviewRenderer.h"

namespace {

const std::string kBlock = "\xe2\x96\x80";

size_t countOf(const std::string& strText, const std::string& strPart) {
    size_t nCount = 0;
    for (size_t n = strText.find(strPart); n != std::string::npos;
         n = strText.find(strPart, n + strPart.size()))
        ++nCount;
    return nCount;
}

// A picture of nPixelSize bytes a pixel, rows top first, pixel (x, y) coloured by fn(x, y).
KyCFieldBase picture(int nWidth, int nHeight, int nPixelSize,
                     const std::function<std::array<unsigned char, 3>(int, int)>& fn) {
    KyCFieldBase field(KyCRect2(KyCSize2(nWidth, nHeight)), nPixelSize, 0);
    for (int nY = 0; nY < nHeight; ++nY)
        for (int nX = 0; nX < nWidth; ++nX)
            for (int b = 0; b < nPixelSize; ++b)
                field.m_pData[nY * field.m_nPitch + nX * nPixelSize + b] =
                    b < 3 ? fn(nX, nY)[b] : 255;
    return field;
}

typedef std::array<unsigned char, 3> Bgr;

}  // namespace

TEST(KyCPreviewRendererTest, TopOfThePictureIsTheForegroundOfTheFirstRow) {
    // Rows red, green, blue, blue: upper and lower half of each cell are separate samples.
    const Bgr rows[] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {255, 0, 0}};
    const std::vector<std::string> vecRows =
        KyCPreviewRenderer::Render(picture(4, 4, 4, [&](int, int nY) { return rows[nY]; }), 4);
    ASSERT_EQ(vecRows.size(), 2u);
    EXPECT_EQ(countOf(vecRows[0], "\x1b[38;2;255;0;0m"), 1u) << vecRows[0];
    EXPECT_EQ(countOf(vecRows[0], "\x1b[48;2;0;255;0m"), 1u);
    EXPECT_EQ(countOf(vecRows[1], "\x1b[38;2;0;0;255m"), 1u) << vecRows[1];
    EXPECT_EQ(countOf(vecRows[1], "\x1b[48;2;0;0;255m"), 1u);
    for (const std::string& strRow : vecRows) {
        EXPECT_EQ(countOf(strRow, kBlock), 4u);
        EXPECT_EQ(strRow.substr(strRow.size() - 4), "\x1b[0m") << "colours never leak out";
    }
}

TEST(KyCPreviewRendererTest, SamplesAverageTheirWholeBoxAndGreyStaysGrey) {
    // A white pixel beside a black one, in one cell.
    const KyCFieldBase halves = picture(2, 2, 4, [](int nX, int) {
        return nX == 0 ? Bgr{255, 255, 255} : Bgr{0, 0, 0};
    });
    const std::vector<std::string> vecRows = KyCPreviewRenderer::Render(halves, 1);
    ASSERT_EQ(vecRows.size(), 1u);
    EXPECT_NE(vecRows[0].find("\x1b[38;2;127;127;127m"), std::string::npos) << vecRows[0];
    const std::vector<std::string> vecGrey =
        KyCPreviewRenderer::Render(picture(8, 4, 1,
                                           [](int, int) {
                                               return Bgr{200, 0, 0};
                                           }),
                                   8);
    ASSERT_EQ(vecGrey.size(), 2u);
    EXPECT_NE(vecGrey[1].find("\x1b[38;2;200;200;200m"), std::string::npos);
}

TEST(KyCPreviewRendererTest, RowsKeepTheAspectAndEveryCellIsDrawn) {
    EXPECT_EQ(KyCPreviewRenderer::RowsFor(KyCSize2(640, 480), 64), 24);
    EXPECT_EQ(KyCPreviewRenderer::RowsFor(KyCSize2(1280, 720), 80), 23);
    EXPECT_EQ(KyCPreviewRenderer::RowsFor(KyCSize2(1000, 10), 80), 1);
    EXPECT_EQ(KyCPreviewRenderer::RowsFor(KyCSize2(0, 0), 80), 1);
    const std::vector<std::string> vecRows =
        KyCPreviewRenderer::Render(KyCFieldBase(KyCRect2(KyCSize2(640, 480)), 4, 0), 64);
    ASSERT_EQ(vecRows.size(), 24u);
    EXPECT_EQ(countOf(vecRows[23], kBlock), 64u);
    // More columns than pixels: every cell drawn, the colour set once.
    const std::vector<std::string> vecNarrow =
        KyCPreviewRenderer::Render(picture(3, 1, 4,
                                           [](int, int) {
                                               return Bgr{90, 90, 90};
                                           }),
                                   12);
    ASSERT_FALSE(vecNarrow.empty());
    EXPECT_EQ(countOf(vecNarrow[0], kBlock), 12u);
    EXPECT_EQ(countOf(vecNarrow[0], "\x1b[38;2;90;90;90m"), 1u);
}

TEST(KyCPreviewRendererTest, NothingToDrawGivesNoRows) {
    EXPECT_TRUE(KyCPreviewRenderer::Render(KyCFieldBase(), 10).empty());
    EXPECT_TRUE(
        KyCPreviewRenderer::Render(KyCFieldBase(KyCRect2(KyCSize2(4, 4)), 3, 0), 10).empty());
    EXPECT_TRUE(
        KyCPreviewRenderer::Render(KyCFieldBase(KyCRect2(KyCSize2(4, 4)), 4, 0), 0).empty());
}
