// The V4L2 frame converters fed malformed frames (wrong sizes, truncated or damaged Motion JPEG,
// odd line lengths): a clear false or a picture, never a read or write outside the buffers.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "KyV4L2Converter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    if (nSize < 5)
        return 0;
    // Header: format, width, height, line padding, pitch padding; the rest is the frame.
    KyV4L2Format format;
    format.nFourCC = pData[0] % 2 == 0 ? kV4L2FormatYUYV : kV4L2FormatMJPEG;
    format.size = KyCSize2(1 + pData[1] % 64, 1 + pData[2] % 64);
    format.nBytesPerLine = pData[3] < 0x80 ? format.size.nWidth * 2 + pData[3] : pData[3] - 0x80;
    const int nPitch = format.size.nWidth * 4 + (pData[4] % 8) - 2;
    std::unique_ptr<KyV4L2Converter> pConverter = KyCreateV4L2Converter(format);
    if (!pConverter)
        return 0;
    const std::vector<unsigned char> arrFrame(pData + 5, pData + nSize);
    std::vector<unsigned char> arrPicture(static_cast<std::size_t>(nPitch > 0 ? nPitch : 1) *
                                          format.size.nHeight);
    pConverter->Convert(arrFrame.empty() ? nullptr : arrFrame.data(), arrFrame.size(),
                        arrPicture.data(), nPitch);
    return 0;
}
