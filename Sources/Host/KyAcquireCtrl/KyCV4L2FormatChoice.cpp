// The V4L2 format negotiation: convertible formats, nearest size, YUYV before MJPEG.
#include "KyCV4L2FormatChoice.h"

#include <cstdlib>

namespace {

long long pixelCount(KyCSize2 size) {
    return static_cast<long long>(size.nWidth) * size.nHeight;
}

// True when candidate a is a better answer to the wish than b.
bool isNearer(KyCSize2 a, KyCSize2 b, KyCSize2 wished) {
    const bool bExactA = a == wished, bExactB = b == wished;
    if (bExactA != bExactB)
        return bExactA;
    const long long nDiffA = std::llabs(pixelCount(a) - pixelCount(wished));
    const long long nDiffB = std::llabs(pixelCount(b) - pixelCount(wished));
    if (nDiffA != nDiffB)
        return nDiffA < nDiffB;
    return pixelCount(a) > pixelCount(b);
}

}  // namespace

bool KyCV4L2FormatChoice::IsConvertible(std::uint32_t nFourCC) {
    return nFourCC == kV4L2FormatYUYV || nFourCC == kV4L2FormatMJPEG;
}

bool KyCV4L2FormatChoice::Choose(const std::vector<KyV4L2FormatOffer>& vecOffers, KyCSize2 wished,
                                 KyV4L2Format& out) {
    if (wished.nWidth <= 0 || wished.nHeight <= 0)
        return false;
    bool bFound = false;
    KyV4L2Format best;
    for (const KyV4L2FormatOffer& offer : vecOffers) {
        if (!IsConvertible(offer.nFourCC))
            continue;
        std::vector<KyCSize2> vecSizes = offer.vecSizes;
        if (vecSizes.empty())
            vecSizes.push_back(wished);
        for (const KyCSize2& size : vecSizes) {
            if (size.nWidth <= 0 || size.nHeight <= 0)
                continue;
            const bool bBetter = !bFound || isNearer(size, best.size, wished) ||
                                 (size == best.size && offer.nFourCC == kV4L2FormatYUYV &&
                                  best.nFourCC != kV4L2FormatYUYV);
            if (bBetter) {
                best = KyV4L2Format();
                best.nFourCC = offer.nFourCC;
                best.size = size;
                bFound = true;
            }
        }
    }
    if (bFound)
        out = best;
    return bFound;
}

bool KyCV4L2FormatChoice::IsUsable(const KyV4L2Format& format) {
    return IsConvertible(format.nFourCC) && format.size.nWidth > 0 && format.size.nHeight > 0;
}
