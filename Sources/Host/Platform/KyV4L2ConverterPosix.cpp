// Picks the converter for a negotiated V4L2 format on Linux.
#include "KyV4L2Converter.h"

namespace {
const int kMaxSide = 8192;  // as the live display: a bad size must not ask for gigabytes
}

std::unique_ptr<KyV4L2Converter> KyCreateV4L2Converter(const KyV4L2Format& format) {
    if (format.size.nWidth <= 0 || format.size.nHeight <= 0 || format.size.nWidth > kMaxSide ||
        format.size.nHeight > kMaxSide)
        return nullptr;
    if (format.nFourCC == kV4L2FormatYUYV)
        return KyCreateV4L2YuyvConverter(format);
    if (format.nFourCC == kV4L2FormatMJPEG)
        return KyCreateV4L2MjpegConverter(format);
    return nullptr;
}

bool KyV4L2ConvertersAvailable() {
    return true;
}
