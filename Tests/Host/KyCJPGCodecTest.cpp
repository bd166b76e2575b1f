// The JPEG encoder reads bitmap-ordered rows (bottom line first) and its output decodes upright.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "KyCJPGCodec.h"
#include "KyTestPicture.h"

namespace {

void expectUpright(const CbArray<unsigned char>& jpeg, int nWidth, int nHeight) {
    ASSERT_GT(jpeg.GetCount(), 4u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    EXPECT_EQ(jpeg[jpeg.GetCount() - 2], 0xFF);
    EXPECT_EQ(jpeg[jpeg.GetCount() - 1], 0xD9);
    KyCFieldBase decoded;
    ASSERT_TRUE(KyCJPGCodec::Decode(jpeg.GetData(), jpeg.GetCount(), decoded));
    EXPECT_EQ(decoded.m_pData[3], 255);  // alpha
    EXPECT_TRUE(KyTestIsMarkedPicture(decoded, nWidth, nHeight));
}

// The first value of the first quantisation table (luminance DC), or -1.
int firstQuantValue(const CbArray<unsigned char>& jpeg) {
    for (unsigned i = 2; i + 5 < jpeg.GetCount(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDB)
            return jpeg[i + 4] >> 4 == 0 ? jpeg[i + 5] : -1;
    return -1;
}

}  // namespace

TEST(KyCJPGCodecTest, BottomUpBgraFieldDecodesAsAnUprightPicture) {
    KyCFieldBase field(KyCRect2(KyCSize2(64, 48)), 4, 0);
    KyTestPaintMarkedPicture(field, true);
    CbArray<unsigned char> jpeg;
    // A previous, smaller result in the array is replaced, not appended to.
    ASSERT_TRUE(KyCJPGCodec::Encode(KyCFieldBase(KyCRect2(KyCSize2(1, 1)), 4, 0),
                                    ePixelFormatBGRA32, 0.9f, jpeg));
    ASSERT_TRUE(KyCJPGCodec::Encode(field, ePixelFormatBGRA32, 0.9f, jpeg));
    expectUpright(jpeg, 64, 48);
}

TEST(KyCJPGCodecTest, NegativePitchFieldIsReadFromItsFirstRowUpwards) {
    // Memory holds the picture top line first; a field with a negative pitch that starts at
    // the last memory row presents it in bitmap order.
    const int nWidth = 40, nHeight = 32, nPitch = nWidth * 4;
    std::vector<unsigned char> memory(nPitch * nHeight);
    KyCFieldBase topDown(memory.data(), KyCRect2(KyCSize2(nWidth, nHeight)), 4, nPitch);
    KyTestPaintMarkedPicture(topDown, false);
    KyCFieldBase wrapped(memory.data() + (nHeight - 1) * nPitch,
                         KyCRect2(KyCSize2(nWidth, nHeight)), 4, -nPitch);
    CbArray<unsigned char> jpeg;
    ASSERT_TRUE(KyCJPGCodec::Encode(wrapped, ePixelFormatBGRA32, 0.9f, jpeg));
    expectUpright(jpeg, nWidth, nHeight);
}

TEST(KyCJPGCodecTest, ThreeBytePixelsWithPaddedRowsDecodeUpright) {
    KyCFieldBase field(KyCRect2(KyCSize2(37, 30)), 3, 0);
    ASSERT_EQ(field.m_nPitch, 112);  // 111 rounded up
    KyTestPaintMarkedPicture(field, true);
    CbArray<unsigned char> jpeg;
    ASSERT_TRUE(KyCJPGCodec::Encode(field, ePixelFormatBGR24, 0.9f, jpeg));
    expectUpright(jpeg, 37, 30);
}

TEST(KyCJPGCodecTest, GreyFieldDecodesUpright) {
    KyCFieldBase field(KyCRect2(KyCSize2(48, 32)), 1, 0);
    KyTestPaintMarkedPicture(field, true);
    CbArray<unsigned char> jpeg;
    ASSERT_TRUE(KyCJPGCodec::Encode(field, ePixelFormatGray8, 0.9f, jpeg));
    KyCFieldBase decoded;
    ASSERT_TRUE(KyCJPGCodec::Decode(jpeg.GetData(), jpeg.GetCount(), decoded));
    EXPECT_TRUE(KyTestIsMarkedPicture(decoded, 48, 32, true));
}

TEST(KyCJPGCodecTest, OnePixelPictureIsEncoded) {
    KyCFieldBase field(KyCRect2(KyCSize2(1, 1)), 4, 0);
    field.m_pData[1] = 200;  // green
    CbArray<unsigned char> jpeg;
    ASSERT_TRUE(KyCJPGCodec::Encode(field, ePixelFormatBGRA32, 0.9f, jpeg));
    KyCFieldBase decoded;
    ASSERT_TRUE(KyCJPGCodec::Decode(jpeg.GetData(), jpeg.GetCount(), decoded));
    ASSERT_EQ(decoded.Size(), KyCSize2(1, 1));
    EXPECT_LT(decoded.m_pData[0], 60);
    EXPECT_GT(decoded.m_pData[1], 150);
    EXPECT_LT(decoded.m_pData[2], 60);
}

TEST(KyCJPGCodecTest, QualityScalesTheQuantisationTables) {
    KyCFieldBase field(KyCRect2(KyCSize2(32, 32)), 4, 0);
    KyTestPaintMarkedPicture(field, true);
    const float qualities[] = {0.1f, 0.5f, 0.9f};
    int nQuant[3] = {};
    for (int i = 0; i < 3; ++i) {
        CbArray<unsigned char> jpeg;
        ASSERT_TRUE(KyCJPGCodec::Encode(field, ePixelFormatBGRA32, qualities[i], jpeg));
        nQuant[i] = firstQuantValue(jpeg);
        ASSERT_GT(nQuant[i], 0);
    }
    // libjpeg's scaling of the standard luminance table (16 at its first entry): quality 10
    // gives 80, 50 gives 16, 90 gives 3.
    EXPECT_EQ(nQuant[0], 80);
    EXPECT_EQ(nQuant[1], 16);
    EXPECT_EQ(nQuant[2], 3);
}

TEST(KyCJPGCodecTest, BadFieldsAndQualitiesGiveFalseAndAnEmptyResult) {
    KyCFieldBase bgra(KyCRect2(KyCSize2(8, 8)), 4, 0);
    KyCFieldBase grey(KyCRect2(KyCSize2(8, 8)), 1, 0);
    CbArray<unsigned char> jpeg;
    ASSERT_TRUE(KyCJPGCodec::Encode(bgra, ePixelFormatBGRA32, 0.9f, jpeg));
    EXPECT_FALSE(KyCJPGCodec::Encode(KyCFieldBase(), ePixelFormatBGRA32, 0.9f, jpeg));
    EXPECT_EQ(jpeg.GetCount(), 0u);  // an earlier result does not survive a failure
    ASSERT_TRUE(KyCJPGCodec::Encode(bgra, ePixelFormatBGRA32, 0.9f, jpeg));
    EXPECT_FALSE(KyCJPGCodec::Encode(grey, ePixelFormatBGRA32, 0.9f, jpeg));
    EXPECT_EQ(jpeg.GetCount(), 0u);
    EXPECT_FALSE(KyCJPGCodec::Encode(bgra, ePixelFormatGray8, 0.9f, jpeg));
    EXPECT_FALSE(KyCJPGCodec::Encode(bgra, static_cast<EPixelFormat>(7), 0.9f, jpeg));
    EXPECT_FALSE(KyCJPGCodec::Encode(bgra, ePixelFormatBGRA32,
                                     std::numeric_limits<float>::quiet_NaN(), jpeg));
    // Out-of-range qualities are clamped rather than refused.
    EXPECT_TRUE(KyCJPGCodec::Encode(bgra, ePixelFormatBGRA32, 7.0f, jpeg));
    EXPECT_TRUE(KyCJPGCodec::Encode(bgra, ePixelFormatBGRA32, -1.0f, jpeg));
}

TEST(KyCJPGCodecTest, DecodeRefusesBytesThatAreNoPicture) {
    KyCFieldBase out(KyCRect2(KyCSize2(2, 2)), 4, 0);
    const unsigned char garbage[] = {0xFF, 0xD8, 0x00, 0x11, 0x22, 0x33, 0x44};
    EXPECT_FALSE(KyCJPGCodec::Decode(garbage, sizeof(garbage), out));
    EXPECT_TRUE(out.IsEmpty());
    EXPECT_FALSE(KyCJPGCodec::Decode(nullptr, 0, out));
}
