// Which format and size to ask a V4L2 camera for.
#pragma once

#include <vector>

#include "KyHostApi.h"
#include "KyV4L2Types.h"

// Among the offers in a format this host converts (YUYV or MJPEG), the size nearest to the
// wished one wins: an exact size first, then the smallest difference in pixel count, then the
// larger size. At equal sizes YUYV wins (no decoding, no compression loss). An offer without
// discrete sizes takes the wished size as it is and lets the driver adjust it.
class KYHOST_API KyCV4L2FormatChoice {
public:
    static bool IsConvertible(std::uint32_t nFourCC);

    // False (out untouched) when no offer is convertible or the wished size is not positive.
    static bool Choose(const std::vector<KyV4L2FormatOffer>& vecOffers, KyCSize2 wished,
                       KyV4L2Format& out);

    // What the driver answered to SetFormat: usable when convertible and not empty.
    static bool IsUsable(const KyV4L2Format& format);
};
