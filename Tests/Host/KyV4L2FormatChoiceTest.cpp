// V4L2 format negotiation: convertible formats only, the nearest size, YUYV before MJPEG.
#include <gtest/gtest.h>

#include "KyCV4L2FormatChoice.h"

namespace {

const std::uint32_t kNV12 = KyV4L2FourCC('N', 'V', '1', '2');
const std::uint32_t kH264 = KyV4L2FourCC('H', '2', '6', '4');

KyV4L2FormatOffer offer(std::uint32_t nFourCC, std::vector<KyCSize2> vecSizes) {
    KyV4L2FormatOffer result;
    result.nFourCC = nFourCC;
    result.vecSizes = std::move(vecSizes);
    return result;
}

// A typical USB camera: YUYV only at small sizes, MJPEG up to 1280x720.
std::vector<KyV4L2FormatOffer> webcam() {
    return {offer(kV4L2FormatYUYV, {KyCSize2(640, 480), KyCSize2(320, 240)}),
            offer(kV4L2FormatMJPEG, {KyCSize2(1280, 720), KyCSize2(640, 480)})};
}

KyV4L2Format choose(const std::vector<KyV4L2FormatOffer>& vecOffers, KyCSize2 wished) {
    KyV4L2Format format;
    EXPECT_TRUE(KyCV4L2FormatChoice::Choose(vecOffers, wished, format));
    return format;
}

}  // namespace

TEST(KyV4L2FormatChoiceTest, ExactSizeInBothFormatsTakesYuyvWhicheverIsListedFirst) {
    KyV4L2Format format = choose(webcam(), KyCSize2(640, 480));
    EXPECT_EQ(format.nFourCC, kV4L2FormatYUYV);
    EXPECT_EQ(format.size, KyCSize2(640, 480));

    std::vector<KyV4L2FormatOffer> vecReversed = webcam();
    std::swap(vecReversed[0], vecReversed[1]);
    format = choose(vecReversed, KyCSize2(640, 480));
    EXPECT_EQ(format.nFourCC, kV4L2FormatYUYV);
}

TEST(KyV4L2FormatChoiceTest, SizeOnlyOfferedAsMjpegTakesMjpeg) {
    const KyV4L2Format format = choose(webcam(), KyCSize2(1280, 720));
    EXPECT_EQ(format.nFourCC, kV4L2FormatMJPEG);
    EXPECT_EQ(format.size, KyCSize2(1280, 720));
}

TEST(KyV4L2FormatChoiceTest, NearestPixelCountWinsAndTiesGoToTheLargerSize) {
    // 1000x700 is 700000 pixels: 1280x720 is 221600 away, 640x480 392800.
    EXPECT_EQ(choose(webcam(), KyCSize2(1000, 700)).size, KyCSize2(1280, 720));
    // 400x300 is nearer to 320x240 than to 640x480.
    EXPECT_EQ(choose(webcam(), KyCSize2(400, 300)).size, KyCSize2(320, 240));
    // 500x500: 400x500 and 600x500 are both 50000 pixels away.
    const std::vector<KyV4L2FormatOffer> vecTie = {
        offer(kV4L2FormatYUYV, {KyCSize2(400, 500), KyCSize2(600, 500)})};
    EXPECT_EQ(choose(vecTie, KyCSize2(500, 500)).size, KyCSize2(600, 500));
}

TEST(KyV4L2FormatChoiceTest, UnconvertibleFormatsAreIgnoredEvenAtTheExactSize) {
    const std::vector<KyV4L2FormatOffer> vecOffers = {offer(kH264, {KyCSize2(640, 480)}),
                                                      offer(kV4L2FormatYUYV, {KyCSize2(320, 240)})};
    const KyV4L2Format format = choose(vecOffers, KyCSize2(640, 480));
    EXPECT_EQ(format.nFourCC, kV4L2FormatYUYV);
    EXPECT_EQ(format.size, KyCSize2(320, 240));
}

TEST(KyV4L2FormatChoiceTest, NothingConvertibleOrNoWishLeavesTheFormatUntouched) {
    KyV4L2Format format;
    format.nFourCC = 7;
    EXPECT_FALSE(KyCV4L2FormatChoice::Choose({offer(kNV12, {KyCSize2(640, 480)}), offer(kH264, {})},
                                             KyCSize2(640, 480), format));
    EXPECT_FALSE(KyCV4L2FormatChoice::Choose({}, KyCSize2(640, 480), format));
    EXPECT_FALSE(KyCV4L2FormatChoice::Choose(webcam(), KyCSize2(0, 480), format));
    EXPECT_EQ(format.nFourCC, 7u);
}

TEST(KyV4L2FormatChoiceTest, OfferWithoutDiscreteSizesTakesTheWishAsItIs) {
    const KyV4L2Format format = choose({offer(kV4L2FormatMJPEG, {})}, KyCSize2(1024, 576));
    EXPECT_EQ(format.nFourCC, kV4L2FormatMJPEG);
    EXPECT_EQ(format.size, KyCSize2(1024, 576));
}

TEST(KyV4L2FormatChoiceTest, DriverAnswerIsUsableOnlyWhenConvertibleAndNotEmpty) {
    KyV4L2Format format;
    format.nFourCC = kV4L2FormatYUYV;
    format.size = KyCSize2(640, 480);
    EXPECT_TRUE(KyCV4L2FormatChoice::IsUsable(format));
    format.size = KyCSize2(640, 0);
    EXPECT_FALSE(KyCV4L2FormatChoice::IsUsable(format));
    format.size = KyCSize2(640, 480);
    format.nFourCC = kNV12;
    EXPECT_FALSE(KyCV4L2FormatChoice::IsUsable(format));
}

TEST(KyV4L2FormatChoiceTest, FourCCTextReadsAsTheDriverWritesIt) {
    EXPECT_EQ(KyV4L2FourCCText(kV4L2FormatYUYV), "YUYV");
    EXPECT_EQ(KyV4L2FourCCText(kV4L2FormatMJPEG), "MJPG");
    EXPECT_EQ(KyV4L2FourCCText(0x01020341u), "A???");
}
