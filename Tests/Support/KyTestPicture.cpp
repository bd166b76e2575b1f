// A picture whose orientation can be recognised after encoding.
#include "KyTestPicture.h"

#include <cstdlib>

namespace {

struct Bgr {
    int b, g, r;
};
const Bgr kRed = {0, 0, 255};
const Bgr kBlue = {255, 0, 0};
const Bgr kGreen = {0, 255, 0};
const int kTopGrey = 230, kBottomGrey = 20, kBlockGrey = 130;

bool inBlock(int x, int nLine, int nWidth, int nHeight) {
    return nLine < nHeight / 4 && x < nWidth / 4;
}

::testing::AssertionResult checkPixel(const KyCFieldBase& decoded, int x, int y, Bgr expected) {
    const unsigned char* p = decoded.m_pData + y * decoded.m_nPitch + x * 4;
    if (std::abs(p[0] - expected.b) > 48 || std::abs(p[1] - expected.g) > 48 ||
        std::abs(p[2] - expected.r) > 48)
        return ::testing::AssertionFailure()
               << "pixel " << x << "," << y << " is B" << int(p[0]) << " G" << int(p[1]) << " R"
               << int(p[2]) << ", expected B" << expected.b << " G" << expected.g << " R"
               << expected.r;
    return ::testing::AssertionSuccess();
}

}  // namespace

void KyTestPaintMarkedPicture(KyCFieldBase& field, bool bBottomUp) {
    const int nWidth = field.m_Rect.Width(), nHeight = field.m_Rect.Height();
    for (int nLine = 0; nLine < nHeight; ++nLine) {
        const int nRow = bBottomUp ? nHeight - 1 - nLine : nLine;
        unsigned char* pRow = field.m_pData + nRow * field.m_nPitch;
        for (int x = 0; x < nWidth; ++x) {
            unsigned char* p = pRow + x * field.m_nPixelSize;
            const bool bTop = nLine < nHeight / 2, bBlock = inBlock(x, nLine, nWidth, nHeight);
            if (field.m_nPixelSize == 1) {
                p[0] = static_cast<unsigned char>(bBlock ? kBlockGrey
                                                         : (bTop ? kTopGrey : kBottomGrey));
                continue;
            }
            const Bgr colour = bBlock ? kGreen : (bTop ? kRed : kBlue);
            p[0] = static_cast<unsigned char>(colour.b);
            p[1] = static_cast<unsigned char>(colour.g);
            p[2] = static_cast<unsigned char>(colour.r);
            if (field.m_nPixelSize == 4)
                p[3] = 0;  // alpha is ignored by the encoders
        }
    }
}

::testing::AssertionResult KyTestIsMarkedPicture(const KyCFieldBase& decoded, int nWidth,
                                                 int nHeight, bool bGrey) {
    if (decoded.IsEmpty() || decoded.m_nPixelSize != 4)
        return ::testing::AssertionFailure() << "no decoded BGRA picture";
    if (decoded.Size() != KyCSize2(nWidth, nHeight))
        return ::testing::AssertionFailure()
               << "size " << decoded.Size().nWidth << "x" << decoded.Size().nHeight << ", expected "
               << nWidth << "x" << nHeight;
    const int nRight = nWidth - 1 - nWidth / 8, nLeft = nWidth / 8;
    const int nTop = nHeight / 8, nBottom = nHeight - 1 - nHeight / 8;
    auto grey = [](int v) { return Bgr{v, v, v}; };
    const Bgr block = bGrey ? grey(kBlockGrey) : kGreen;
    const Bgr top = bGrey ? grey(kTopGrey) : kRed;
    const Bgr bottom = bGrey ? grey(kBottomGrey) : kBlue;
    for (auto check :
         {checkPixel(decoded, nLeft, nTop, block), checkPixel(decoded, nRight, nTop, top),
          checkPixel(decoded, nWidth / 2, nHeight / 2 - 1 - nHeight / 8, top),
          checkPixel(decoded, nLeft, nBottom, bottom),
          checkPixel(decoded, nRight, nHeight / 2 + nHeight / 8, bottom)})
        if (!check)
            return check;
    return ::testing::AssertionSuccess();
}
