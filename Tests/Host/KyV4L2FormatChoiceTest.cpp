// V4L2 format negotiation: convertible formats only, the nearest size, YUYV before MJPEG.
#include <gtest/gtest.h>

#include "KyCV4L2FormatChoice.h"

namespace {

const std::uint32_t kYUYV = kV4L2FormatYUYV, kMJPG = kV4L2FormatMJPEG;
const std::uint32_t kNV12 = KyV4L2FourCC('N', 'V', '1', '2');
const std::uint32_t kH264 = KyV4L2FourCC('H', '2', '6', '4');

KyV4L2FormatOffer offer(std::uint32_t nFourCC, std::vector<KyCSize2> sizes) {
    KyV4L2FormatOffer result;
    result.nFourCC = nFourCC;
    result.vecSizes = std::move(sizes);
    return result;
}

// A typical USB camera: YUYV only at small sizes, MJPEG up to 1280x720.
const std::vector<KyV4L2FormatOffer> kWebcam = {
    offer(kYUYV, {KyCSize2(640, 480), KyCSize2(320, 240)}),
    offer(kMJPG, {KyCSize2(1280, 720), KyCSize2(640, 480)})};

const std::vector<KyV4L2FormatOffer> kWebcamReversed = {kWebcam[1], kWebcam[0]};
const std::vector<KyV4L2FormatOffer> kTwoSizes = {
    offer(kYUYV, {KyCSize2(400, 500), KyCSize2(600, 500)})};
const std::vector<KyV4L2FormatOffer> kH264First = {offer(kH264, {KyCSize2(640, 480)}),
                                                   offer(kYUYV, {KyCSize2(320, 240)})};
const std::vector<KyV4L2FormatOffer> kAnySize = {offer(kMJPG, {})};
const std::vector<KyV4L2FormatOffer> kNoneConvertible = {offer(kNV12, {KyCSize2(640, 480)}),
                                                         offer(kH264, {})};

struct SChoice {
    const char* pszName;
    const std::vector<KyV4L2FormatOffer>& offers;
    KyCSize2 wished;
    std::uint32_t nFourCC;  // 0: nothing is chosen
    KyCSize2 size;
};

const SChoice kChoices[] = {
    {"ExactSizeInBothTakesYuyv", kWebcam, KyCSize2(640, 480), kYUYV, KyCSize2(640, 480)},
    {"YuyvEvenWhenListedLast", kWebcamReversed, KyCSize2(640, 480), kYUYV, KyCSize2(640, 480)},
    {"OnlyOfferedAsMjpeg", kWebcam, KyCSize2(1280, 720), kMJPG, KyCSize2(1280, 720)},
    // 700000 pixels: 1280x720 is 221600 away, 640x480 392800.
    {"NearestPixelCountUp", kWebcam, KyCSize2(1000, 700), kMJPG, KyCSize2(1280, 720)},
    {"NearestPixelCountDown", kWebcam, KyCSize2(400, 300), kYUYV, KyCSize2(320, 240)},
    {"TieGoesToTheLargerSize", kTwoSizes, KyCSize2(500, 500), kYUYV, KyCSize2(600, 500)},
    {"UnconvertibleIgnoredAtTheExactSize", kH264First, KyCSize2(640, 480), kYUYV,
     KyCSize2(320, 240)},
    {"NoDiscreteSizesTakesTheWish", kAnySize, KyCSize2(1024, 576), kMJPG, KyCSize2(1024, 576)},
    {"NothingConvertible", kNoneConvertible, KyCSize2(640, 480), 0, KyCSize2()},
    {"NoWish", kWebcam, KyCSize2(0, 480), 0, KyCSize2()},
};

class KyV4L2FormatChoiceTest : public ::testing::TestWithParam<SChoice> {};

}  // namespace

TEST_P(KyV4L2FormatChoiceTest, ChoosesTheConvertibleFormatNearestTheWish) {
    const SChoice& c = GetParam();
    KyV4L2Format format;
    format.nFourCC = 7;
    EXPECT_EQ(KyCV4L2FormatChoice::Choose(c.offers, c.wished, format), c.nFourCC != 0);
    if (c.nFourCC == 0) {
        EXPECT_EQ(format.nFourCC, 7u) << "a refusal leaves the format untouched";
        return;
    }
    EXPECT_EQ(KyV4L2FourCCText(format.nFourCC), KyV4L2FourCCText(c.nFourCC));
    EXPECT_EQ(format.size, c.size);
}

INSTANTIATE_TEST_SUITE_P(Offers, KyV4L2FormatChoiceTest, ::testing::ValuesIn(kChoices),
                         [](const ::testing::TestParamInfo<SChoice>& info) {
                             return std::string(info.param.pszName);
                         });
