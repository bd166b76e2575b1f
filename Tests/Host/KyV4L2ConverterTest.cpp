// V4L2 frame conversion to BGRA: padded lines, pitches, refused input and formats.
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
          bytes(size_t(nPitch) * size.nHeight, kGuard) {}
    const unsigned char* Pixel(int nRow, int nCol) const {
        return bytes.data() + static_cast<size_t>(nRow) * nPitch + nCol * 4;
    }
    bool Convert(KyV4L2Converter& converter, const std::vector<unsigned char>& frame,
                 size_t nCut = 0) {
        return converter.Convert(frame.data(), frame.size() - nCut, bytes.data(), nPitch);
    }
    KyCSize2 size;
    int nPitch;
    std::vector<unsigned char> bytes;
};

// The pixel is the BGR colour within 40 and opaque.
::testing::AssertionResult near(const unsigned char* p, const unsigned char* bgr) {
    if (std::abs(p[0] - bgr[0]) > 40 || std::abs(p[1] - bgr[1]) > 40 ||
        std::abs(p[2] - bgr[2]) > 40 || p[3] != 255)
        return ::testing::AssertionFailure()
               << "BGRA " << int(p[0]) << "," << int(p[1]) << "," << int(p[2]) << "," << int(p[3])
               << " expected about " << int(bgr[0]) << "," << int(bgr[1]) << "," << int(bgr[2]);
    return ::testing::AssertionSuccess();
}

class KyV4L2ConverterTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!KyV4L2ConvertersAvailable())
            GTEST_SKIP() << "no V4L2 frame converters on this platform";
    }
};

}  // namespace

// Unpadded YUYV and MJPEG stream through the camera's own tests. libswscale works in blocks of
// pixels: a width that is no multiple of them, and odd line lengths, must not touch the guards.
TEST_F(KyV4L2ConverterTest, PaddedYuyvLinesComeOutUprightInsideAWiderPitch) {
    const struct {
        int nWidth, nHeight, nLinePadding, nPitchPadding;
    } geometries[] = {{96, 64, 24, 12}, {36, 20, 9, 3}};
    for (const auto& g : geometries) {
        SCOPED_TRACE(g.nWidth);
        const KyV4L2Format yuyv =
            format(kV4L2FormatYUYV, g.nWidth, g.nHeight, g.nWidth * 2 + g.nLinePadding);
        auto pConverter = KyCreateV4L2Converter(yuyv);
        ASSERT_TRUE(pConverter);
        Picture picture(yuyv.size, g.nPitchPadding);
        const std::vector<unsigned char> frame =
            KyTestFakeV4L2Device::MakeFrame(yuyv, 1234, g.nLinePadding);
        // Cut right after the last pixel: the frame's end is the buffer's end.
        ASSERT_TRUE(picture.Convert(*pConverter, frame, g.nLinePadding));
        for (int nRow = 0; nRow < picture.size.nHeight; ++nRow)
            for (int n = picture.size.nWidth * 4; n < picture.nPitch; ++n)
                ASSERT_EQ(picture.bytes[static_cast<size_t>(nRow) * picture.nPitch + n], kGuard);
        unsigned char top[4], bottom[4];
        KyCTestPattern::GetTopColour(4, top);
        KyCTestPattern::GetBottomColour(4, bottom);
        EXPECT_TRUE(near(picture.Pixel(0, 0), top));
        EXPECT_TRUE(near(picture.Pixel(0, g.nWidth - 1), top));
        EXPECT_TRUE(near(picture.Pixel(g.nHeight - 1, 0), bottom));
    }
    const KyV4L2Format yuyv = format(kV4L2FormatYUYV, 96, 64);
    Picture picture(yuyv.size, 0);
    ASSERT_TRUE(picture.Convert(*KyCreateV4L2Converter(yuyv),
                                KyTestFakeV4L2Device::MakeFrame(yuyv, 1234, 0)));
    unsigned nRead = 0;
    ASSERT_TRUE(
        KyCTestPattern::ReadFrameNumber(picture.bytes.data(), picture.nPitch, yuyv.size, 4, nRead));
    EXPECT_EQ(nRead, 1234u);
}

TEST_F(KyV4L2ConverterTest, ShortFramesNarrowPitchesForeignBytesAndOtherFormatsAreRefused) {
    const KyV4L2Format yuyv = format(kV4L2FormatYUYV, 64, 48);
    const std::vector<unsigned char> frame = KyTestFakeV4L2Device::MakeFrame(yuyv, 1, 0);
    auto pYuyv = KyCreateV4L2Converter(yuyv);
    ASSERT_TRUE(pYuyv);
    Picture picture(yuyv.size, 0), narrow(KyCSize2(63, 48), 0);
    EXPECT_FALSE(picture.Convert(*pYuyv, frame, 1));
    EXPECT_FALSE(narrow.Convert(*pYuyv, frame));
    EXPECT_FALSE(pYuyv->Convert(nullptr, frame.size(), picture.bytes.data(), picture.nPitch));
    EXPECT_TRUE(picture.Convert(*pYuyv, frame));

    auto pMjpeg = KyCreateV4L2Converter(format(kV4L2FormatMJPEG, 320, 240));
    ASSERT_TRUE(pMjpeg);
    Picture large(KyCSize2(320, 240), 0);
    const std::vector<unsigned char> small =
        KyTestFakeV4L2Device::MakeFrame(format(kV4L2FormatMJPEG, 160, 120), 3, 0);
    EXPECT_FALSE(large.Convert(*pMjpeg, small));
    EXPECT_FALSE(large.Convert(*pMjpeg, std::vector<unsigned char>(5000, 0x5a)));
    EXPECT_FALSE(large.Convert(*pMjpeg, small, small.size()));

    EXPECT_FALSE(KyCreateV4L2Converter(format(KyV4L2FourCC('N', 'V', '1', '2'), 64, 48)));
    EXPECT_FALSE(KyCreateV4L2Converter(format(kV4L2FormatYUYV, 63, 48)));
    EXPECT_FALSE(KyCreateV4L2Converter(format(kV4L2FormatYUYV, 2, 48)));  // libswscale overruns
    EXPECT_TRUE(KyCreateV4L2Converter(format(kV4L2FormatYUYV, 4, 48)));
    EXPECT_FALSE(KyCreateV4L2Converter(format(kV4L2FormatYUYV, 0, 48)));
    EXPECT_FALSE(KyCreateV4L2Converter(format(kV4L2FormatMJPEG, 64, 100000)));
    EXPECT_FALSE(KyCreateV4L2Converter(format(kV4L2FormatMJPEG, 8193, 48)));
    EXPECT_TRUE(KyCreateV4L2Converter(format(kV4L2FormatMJPEG, 63, 47)));
}
