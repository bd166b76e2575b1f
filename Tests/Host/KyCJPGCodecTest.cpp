// The JPEG codec: every pixel layout and row order decodes upright; quality and bad input.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "KyCJPGCodec.h"
#include "KyJpegFrameSize.h"
#include "KyTestPicture.h"

namespace {

struct SLayout {
    const char* pszName;
    int nPixelSize;
    EPixelFormat eFormat;
    int nWidth, nHeight;
    bool bNegativePitch;  // memory holds the top line first; the field starts at the last row
};

const SLayout kLayouts[] = {
    {"BgraBitmapOrder", 4, ePixelFormatBGRA32, 64, 48, false},
    {"BgraNegativePitch", 4, ePixelFormatBGRA32, 40, 32, true},
    {"BgrPaddedRows", 3, ePixelFormatBGR24, 37, 30, false},
    {"Grey", 1, ePixelFormatGray8, 48, 32, false},
};

class KyCJPGCodecLayoutTest : public ::testing::TestWithParam<SLayout> {};

// The first value of the first quantisation table (luminance DC), or -1.
int firstQuantValue(const CbArray<unsigned char>& jpeg) {
    for (unsigned i = 2; i + 5 < jpeg.GetCount(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDB)
            return jpeg[i + 4] >> 4 == 0 ? jpeg[i + 5] : -1;
    return -1;
}

}  // namespace

TEST_P(KyCJPGCodecLayoutTest, DecodesAsAnUprightPicture) {
    const SLayout& c = GetParam();
    KyCFieldBase memory(KyCRect2(KyCSize2(c.nWidth, c.nHeight)), c.nPixelSize, 0);
    KyTestPaintMarkedPicture(memory, !c.bNegativePitch);
    const KyCFieldBase field =
        c.bNegativePitch ? KyCFieldBase(memory.m_pData + (c.nHeight - 1) * memory.m_nPitch,
                                        memory.m_Rect, c.nPixelSize, -memory.m_nPitch)
                         : memory;
    CbArray<unsigned char> jpeg;
    // A previous, smaller result in the array is replaced, not appended to.
    ASSERT_TRUE(KyCJPGCodec::Encode(KyCFieldBase(KyCRect2(KyCSize2(1, 1)), 4, 0),
                                    ePixelFormatBGRA32, 0.9f, jpeg));
    ASSERT_TRUE(KyCJPGCodec::Encode(field, c.eFormat, 0.9f, jpeg));
    EXPECT_EQ(jpeg[jpeg.GetCount() - 1], 0xD9) << "bytes after the end of the picture";
    KyCFieldBase decoded;
    ASSERT_TRUE(KyCJPGCodec::Decode(jpeg.GetData(), jpeg.GetCount(), decoded));
    EXPECT_EQ(decoded.m_pData[3], 255);  // alpha
    EXPECT_TRUE(KyTestIsMarkedPicture(decoded, c.nWidth, c.nHeight, c.nPixelSize == 1));
}

INSTANTIATE_TEST_SUITE_P(Layouts, KyCJPGCodecLayoutTest, ::testing::ValuesIn(kLayouts),
                         [](const ::testing::TestParamInfo<SLayout>& info) {
                             return std::string(info.param.pszName);
                         });

TEST(KyCJPGCodecTest, QualityScalesTheTablesAndBadInputGivesFalseAndAnEmptyResult) {
    KyCFieldBase bgra(KyCRect2(KyCSize2(32, 32)), 4, 0);
    KyTestPaintMarkedPicture(bgra, true);
    CbArray<unsigned char> jpeg;
    // libjpeg's scaling of the standard luminance table (16 at its first entry); out-of-range
    // qualities are clamped rather than refused.
    const std::pair<float, int> qualities[] = {
        {-1.0f, 255}, {0.1f, 80}, {0.5f, 16}, {0.9f, 3}, {7.0f, 1}};
    for (const auto& q : qualities) {
        ASSERT_TRUE(KyCJPGCodec::Encode(bgra, ePixelFormatBGRA32, q.first, jpeg));
        EXPECT_EQ(firstQuantValue(jpeg), q.second) << q.first;
    }
    EXPECT_FALSE(KyCJPGCodec::Encode(KyCFieldBase(), ePixelFormatBGRA32, 0.9f, jpeg));
    EXPECT_EQ(jpeg.GetCount(), 0u);  // an earlier result does not survive a failure
    ASSERT_TRUE(KyCJPGCodec::Encode(bgra, ePixelFormatBGRA32, 0.9f, jpeg));
    KyCFieldBase grey(KyCRect2(KyCSize2(8, 8)), 1, 0);
    EXPECT_FALSE(KyCJPGCodec::Encode(grey, ePixelFormatBGRA32, 0.9f, jpeg));
    EXPECT_EQ(jpeg.GetCount(), 0u);
    EXPECT_FALSE(KyCJPGCodec::Encode(bgra, ePixelFormatGray8, 0.9f, jpeg));
    EXPECT_FALSE(KyCJPGCodec::Encode(bgra, static_cast<EPixelFormat>(7), 0.9f, jpeg));
    EXPECT_FALSE(KyCJPGCodec::Encode(bgra, ePixelFormatBGRA32,
                                     std::numeric_limits<float>::quiet_NaN(), jpeg));
    KyCFieldBase out(KyCRect2(KyCSize2(2, 2)), 4, 0);
    const unsigned char garbage[] = {0xFF, 0xD8, 0x00, 0x11, 0x22, 0x33, 0x44};
    EXPECT_FALSE(KyCJPGCodec::Decode(garbage, sizeof(garbage), out));
    EXPECT_TRUE(out.IsEmpty());
    EXPECT_FALSE(KyCJPGCodec::Decode(nullptr, 0, out));
}

TEST(KyCJPGCodecTest, FrameSizeIsFoundBehindALongApplicationSegment) {
    KyCFieldBase bgra(KyCRect2(KyCSize2(48, 32)), 4, 0);
    KyTestPaintMarkedPicture(bgra, true);
    CbArray<unsigned char> jpeg;
    ASSERT_TRUE(KyCJPGCodec::Encode(bgra, ePixelFormatBGRA32, 0.9f, jpeg));
    // A 600-byte APP1 segment right after the start of the image, as cameras write EXIF.
    std::vector<unsigned char> bytes = {0xFF, 0xD8, 0xFF, 0xE1, 0x02, 0x58};
    bytes.resize(bytes.size() + 0x258 - 2, 0x20);
    bytes.insert(bytes.end(), jpeg.GetData() + 2, jpeg.GetData() + jpeg.GetCount());
    unsigned nWidth = 0, nHeight = 0;
    ASSERT_TRUE(KyJpegFrameSize(bytes.data(), bytes.size(), nWidth, nHeight));
    EXPECT_EQ(nWidth, 48u);
    EXPECT_EQ(nHeight, 32u);
}
