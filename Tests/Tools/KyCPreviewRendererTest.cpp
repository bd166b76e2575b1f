// The terminal picture: orientation, colours, averaging, aspect and what it refuses.
#include <gtest/gtest.h>

#include <array>
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

// A BGRA picture, rows top first, each row one colour.
KyCFieldBase rowsPicture(int nWidth, const std::vector<std::array<unsigned char, 3>>& vecRowsBgr) {
    KyCFieldBase field(KyCRect2(KyCSize2(nWidth, static_cast<int>(vecRowsBgr.size()))), 4, 0);
    for (size_t nRow = 0; nRow < vecRowsBgr.size(); ++nRow)
        for (int nCol = 0; nCol < nWidth; ++nCol) {
            unsigned char* p = field.m_pData + nRow * field.m_nPitch + nCol * 4;
            p[0] = vecRowsBgr[nRow][0];
            p[1] = vecRowsBgr[nRow][1];
            p[2] = vecRowsBgr[nRow][2];
            p[3] = 255;
        }
    return field;
}

}  // namespace

TEST(KyCPreviewRendererTest, TopOfThePictureIsTheForegroundOfTheFirstRow) {
    const std::array<unsigned char, 3> red = {0, 0, 255}, blue = {255, 0, 0};
    const KyCFieldBase picture = rowsPicture(4, {red, red, blue, blue});
    const std::vector<std::string> vecRows = KyCPreviewRenderer::Render(picture, 4);
    ASSERT_EQ(vecRows.size(), 2u);
    EXPECT_EQ(countOf(vecRows[0], "\x1b[38;2;255;0;0m"), 1u) << vecRows[0];
    EXPECT_EQ(countOf(vecRows[0], "\x1b[48;2;255;0;0m"), 1u);
    EXPECT_EQ(countOf(vecRows[1], "\x1b[38;2;0;0;255m"), 1u) << vecRows[1];
    EXPECT_EQ(countOf(vecRows[1], "\x1b[48;2;0;0;255m"), 1u);
    for (const std::string& strRow : vecRows) {
        EXPECT_EQ(countOf(strRow, kBlock), 4u);
        EXPECT_EQ(strRow.substr(strRow.size() - 4), "\x1b[0m");  // colours never leak out
    }
}

TEST(KyCPreviewRendererTest, UpperAndLowerHalfOfOneCellAreSeparateSamples) {
    const std::array<unsigned char, 3> green = {0, 255, 0}, white = {255, 255, 255};
    const std::vector<std::string> vecRows =
        KyCPreviewRenderer::Render(rowsPicture(2, {green, white}), 2);
    ASSERT_EQ(vecRows.size(), 1u);
    EXPECT_NE(vecRows[0].find("\x1b[38;2;0;255;0m"), std::string::npos) << vecRows[0];
    EXPECT_NE(vecRows[0].find("\x1b[48;2;255;255;255m"), std::string::npos);
}

TEST(KyCPreviewRendererTest, SamplesAverageTheirWholeBox) {
    KyCFieldBase picture(KyCRect2(KyCSize2(2, 2)), 4, 0);
    for (int nRow = 0; nRow < 2; ++nRow) {
        unsigned char* p = picture.m_pData + nRow * picture.m_nPitch;
        for (int n = 0; n < 4; ++n) {
            p[n] = 255;  // a white pixel, then a black one
            p[4 + n] = 0;
        }
    }
    const std::vector<std::string> vecRows = KyCPreviewRenderer::Render(picture, 1);
    ASSERT_EQ(vecRows.size(), 1u);
    EXPECT_NE(vecRows[0].find("\x1b[38;2;127;127;127m"), std::string::npos) << vecRows[0];
}

TEST(KyCPreviewRendererTest, GreyPicturesRenderAsGrey) {
    KyCFieldBase picture(KyCRect2(KyCSize2(8, 4)), 1, 0);
    for (int nRow = 0; nRow < 4; ++nRow)
        for (int nCol = 0; nCol < 8; ++nCol)
            picture.m_pData[nRow * picture.m_nPitch + nCol] = 200;
    const std::vector<std::string> vecRows = KyCPreviewRenderer::Render(picture, 8);
    ASSERT_EQ(vecRows.size(), 2u);
    EXPECT_NE(vecRows[1].find("\x1b[38;2;200;200;200m"), std::string::npos);
}

TEST(KyCPreviewRendererTest, RowsKeepTheAspectWithTwoSamplesPerRow) {
    EXPECT_EQ(KyCPreviewRenderer::RowsFor(KyCSize2(640, 480), 64), 24);
    EXPECT_EQ(KyCPreviewRenderer::RowsFor(KyCSize2(1280, 720), 80), 23);
    EXPECT_EQ(KyCPreviewRenderer::RowsFor(KyCSize2(1000, 10), 80), 1);
    EXPECT_EQ(KyCPreviewRenderer::RowsFor(KyCSize2(0, 0), 80), 1);
    KyCFieldBase wide(KyCRect2(KyCSize2(640, 480)), 4, 0);
    const std::vector<std::string> vecRows = KyCPreviewRenderer::Render(wide, 64);
    ASSERT_EQ(vecRows.size(), 24u);
    EXPECT_EQ(countOf(vecRows[23], kBlock), 64u);
}

TEST(KyCPreviewRendererTest, MoreColumnsThanPixelsStillDrawsEveryCell) {
    const std::array<unsigned char, 3> grey = {90, 90, 90};
    const std::vector<std::string> vecRows = KyCPreviewRenderer::Render(rowsPicture(3, {grey}), 12);
    ASSERT_FALSE(vecRows.empty());
    EXPECT_EQ(countOf(vecRows[0], kBlock), 12u);
    EXPECT_EQ(countOf(vecRows[0], "\x1b[38;2;90;90;90m"), 1u);
}

TEST(KyCPreviewRendererTest, NothingToDrawGivesNoRows) {
    EXPECT_TRUE(KyCPreviewRenderer::Render(KyCFieldBase(), 10).empty());
    KyCFieldBase bgr(KyCRect2(KyCSize2(4, 4)), 3, 0);
    EXPECT_TRUE(KyCPreviewRenderer::Render(bgr, 10).empty());
    KyCFieldBase bgra(KyCRect2(KyCSize2(4, 4)), 4, 0);
    EXPECT_TRUE(KyCPreviewRenderer::Render(bgra, 0).empty());
}
