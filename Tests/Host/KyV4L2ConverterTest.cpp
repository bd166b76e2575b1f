// V4L2 frame conversion to BGRA: colours, byte order, orientation, pitches and damaged frames.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "KyCTestPattern.h"
#include "KyTestFakeV4L2Device.h"
#include "KyV4L2Converter.h"

namespace {

const unsigned char kGuard = 0xcd;

KyV4L2Format format(std::uint32_t nFourCC, int nWidth, int nHeight, int nBytesPerLine = 0) {
    KyV4L2Format result;
    result.nFourCC = nFourCC;
    result.size = KyCSize2(nWidth, nHeight);
    result.nBytesPerLine = nBytesPerLine;
    return result;
}

// A BGRA picture with nExtra guard bytes after every row.
struct Picture {
    Picture(KyCSize2 size, int nExtra)
        : size(size),
          nPitch(size.nWidth * 4 + nExtra),
          vecBytes(static_cast<size_t>(nPitch) * size.nHeight, kGuard) {}
    const unsigned char* Pixel(int nRow, int nCol) const {
        return vecBytes.data() + static_cast<size_t>(nRow) * nPitch + nCol * 4;
    }
    bool GuardsIntact() const {
        for (int nRow = 0; nRow < size.nHeight; ++nRow)
            for (int n = size.nWidth * 4; n < nPitch; ++n)
                if (vecBytes[static_cast<size_t>(nRow) * nPitch + n] != kGuard)
                    return false;
        return true;
    }
    KyCSize2 size;
    int nPitch;
    std::vector<unsigned char> vecBytes;
};

::testing::AssertionResult near(const unsigned char* pPixel, int b, int g, int r, int nTol) {
    if (std::abs(pPixel[0] - b) > nTol || std::abs(pPixel[1] - g) > nTol ||
        std::abs(pPixel[2] - r) > nTol || pPixel[3] != 255)
        return ::testing::AssertionFailure()
               << "BGRA " << int(pPixel[0]) << "," << int(pPixel[1]) << "," << int(pPixel[2]) << ","
               << int(pPixel[3]) << " expected about " << b << "," << g << "," << r << ",255";
    return ::testing::AssertionSuccess();
}

// Top band red, bottom band blue, and the frame number readable: upright and in BGRA order.
void expectTestPicture(const Picture& picture, unsigned nNumber, int nTol) {
    unsigned char top[4], bottom[4];
    KyCTestPattern::GetTopColour(4, top);
    KyCTestPattern::GetBottomColour(4, bottom);
    const int nLast = picture.size.nHeight - 1, nRight = picture.size.nWidth - 1;
    EXPECT_TRUE(near(picture.Pixel(0, 0), top[0], top[1], top[2], nTol));
    EXPECT_TRUE(near(picture.Pixel(0, nRight), top[0], top[1], top[2], nTol));
    EXPECT_TRUE(near(picture.Pixel(nLast, 0), bottom[0], bottom[1], bottom[2], nTol));
    unsigned nRead = 0;
    ASSERT_TRUE(KyCTestPattern::ReadFrameNumber(picture.vecBytes.data(), picture.nPitch,
                                                picture.size, 4, nRead));
    EXPECT_EQ(nRead, nNumber);
}

class KyV4L2ConverterTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!KyV4L2ConvertersAvailable())
            GTEST_SKIP() << "no V4L2 frame converters on this platform";
    }
};

}  // namespace

TEST_F(KyV4L2ConverterTest, YuyvKnownColoursComeOutInBgraOrder) {
    // Four pixels: white, black, then a pair of pure red (BT.601 limited range).
    const std::vector<unsigned char> vecFrame = {235, 128, 16, 128, 81, 90, 81, 240};
    auto pConverter = KyCreateV4L2Converter(format(kV4L2FormatYUYV, 4, 1));
    ASSERT_TRUE(pConverter);
    Picture picture(KyCSize2(4, 1), 0);
    ASSERT_TRUE(pConverter->Convert(vecFrame.data(), vecFrame.size(), picture.vecBytes.data(),
                                    picture.nPitch));
    EXPECT_TRUE(near(picture.Pixel(0, 0), 255, 255, 255, 12));
    EXPECT_TRUE(near(picture.Pixel(0, 1), 0, 0, 0, 12));
    EXPECT_TRUE(near(picture.Pixel(0, 2), 0, 0, 255, 12));  // red: B low, R high
    EXPECT_TRUE(near(picture.Pixel(0, 3), 0, 0, 255, 12));
}

TEST_F(KyV4L2ConverterTest, YuyvGreyLevelsSpanTheFullRange) {
    std::vector<unsigned char> vecFrame;
    for (int nY : {16, 16, 235, 235, 126, 126, 16, 16})
        vecFrame.insert(vecFrame.end(), {static_cast<unsigned char>(nY), 128});
    auto pConverter = KyCreateV4L2Converter(format(kV4L2FormatYUYV, 8, 1));
    ASSERT_TRUE(pConverter);
    Picture picture(KyCSize2(8, 1), 0);
    ASSERT_TRUE(pConverter->Convert(vecFrame.data(), vecFrame.size(), picture.vecBytes.data(),
                                    picture.nPitch));
    EXPECT_TRUE(near(picture.Pixel(0, 0), 0, 0, 0, 3));
    EXPECT_TRUE(near(picture.Pixel(0, 2), 255, 255, 255, 3));
    EXPECT_TRUE(near(picture.Pixel(0, 4), 128, 128, 128, 4));
}

TEST_F(KyV4L2ConverterTest, YuyvWithPaddedLinesAndWiderPitchStaysUprightInsideItsRows) {
    const int nPadding = 24;
    const KyV4L2Format fmt = format(kV4L2FormatYUYV, 96, 64, 96 * 2 + nPadding);
    const std::vector<unsigned char> vecFrame =
        KyTestFakeV4L2Device::MakeFrame(fmt, 1234, nPadding);
    auto pConverter = KyCreateV4L2Converter(fmt);
    ASSERT_TRUE(pConverter);
    Picture picture(fmt.size, 12);
    ASSERT_TRUE(pConverter->Convert(vecFrame.data(), vecFrame.size(), picture.vecBytes.data(),
                                    picture.nPitch));
    expectTestPicture(picture, 1234, 40);
    EXPECT_TRUE(picture.GuardsIntact());
}

TEST_F(KyV4L2ConverterTest, ShortYuyvFrameOrNarrowPitchIsRefused) {
    const KyV4L2Format fmt = format(kV4L2FormatYUYV, 64, 48);
    const std::vector<unsigned char> vecFrame = KyTestFakeV4L2Device::MakeFrame(fmt, 1, 0);
    auto pConverter = KyCreateV4L2Converter(fmt);
    ASSERT_TRUE(pConverter);
    Picture picture(fmt.size, 0);
    EXPECT_FALSE(pConverter->Convert(vecFrame.data(), vecFrame.size() - 1, picture.vecBytes.data(),
                                     picture.nPitch));
    EXPECT_FALSE(pConverter->Convert(vecFrame.data(), vecFrame.size(), picture.vecBytes.data(),
                                     picture.nPitch - 4));
    EXPECT_FALSE(
        pConverter->Convert(nullptr, vecFrame.size(), picture.vecBytes.data(), picture.nPitch));
    EXPECT_TRUE(pConverter->Convert(vecFrame.data(), vecFrame.size(), picture.vecBytes.data(),
                                    picture.nPitch));
}

TEST_F(KyV4L2ConverterTest, MjpegDecodesUprightWithItsFrameNumber) {
    const KyV4L2Format fmt = format(kV4L2FormatMJPEG, 320, 240);
    const std::vector<unsigned char> vecFrame = KyTestFakeV4L2Device::MakeFrame(fmt, 77, 0);
    ASSERT_FALSE(vecFrame.empty());
    auto pConverter = KyCreateV4L2Converter(fmt);
    ASSERT_TRUE(pConverter);
    Picture picture(fmt.size, 8);
    ASSERT_TRUE(pConverter->Convert(vecFrame.data(), vecFrame.size(), picture.vecBytes.data(),
                                    picture.nPitch));
    expectTestPicture(picture, 77, 40);
    EXPECT_TRUE(picture.GuardsIntact());
}

TEST_F(KyV4L2ConverterTest, MjpegOfAnotherSizeOrNotAJpegIsRefused) {
    const std::vector<unsigned char> vecSmall =
        KyTestFakeV4L2Device::MakeFrame(format(kV4L2FormatMJPEG, 160, 120), 3, 0);
    auto pConverter = KyCreateV4L2Converter(format(kV4L2FormatMJPEG, 320, 240));
    ASSERT_TRUE(pConverter);
    Picture picture(KyCSize2(320, 240), 0);
    EXPECT_FALSE(pConverter->Convert(vecSmall.data(), vecSmall.size(), picture.vecBytes.data(),
                                     picture.nPitch));
    const std::vector<unsigned char> vecGarbage(5000, 0x5a);
    EXPECT_FALSE(pConverter->Convert(vecGarbage.data(), vecGarbage.size(), picture.vecBytes.data(),
                                     picture.nPitch));
    EXPECT_FALSE(pConverter->Convert(vecSmall.data(), 0, picture.vecBytes.data(), picture.nPitch));
}

TEST_F(KyV4L2ConverterTest, NoConverterForOtherFormatsOddYuyvWidthsOrBadSizes) {
    EXPECT_FALSE(KyCreateV4L2Converter(format(KyV4L2FourCC('N', 'V', '1', '2'), 64, 48)));
    EXPECT_FALSE(KyCreateV4L2Converter(format(kV4L2FormatYUYV, 63, 48)));
    EXPECT_FALSE(KyCreateV4L2Converter(format(kV4L2FormatYUYV, 2, 48)));  // libswscale overruns
    EXPECT_TRUE(KyCreateV4L2Converter(format(kV4L2FormatYUYV, 4, 48)));
    EXPECT_FALSE(KyCreateV4L2Converter(format(kV4L2FormatYUYV, 0, 48)));
    EXPECT_FALSE(KyCreateV4L2Converter(format(kV4L2FormatMJPEG, 64, 100000)));
    EXPECT_TRUE(KyCreateV4L2Converter(format(kV4L2FormatMJPEG, 63, 47)));
}
