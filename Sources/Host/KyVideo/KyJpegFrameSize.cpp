// Reads the declared frame size of each JPEG frame that the video writer is handed.
#include "KyJpegFrameSize.h"

bool KyJpegFrameSize(const unsigned char* p, std::size_t nSize, unsigned& nWidth,
                     unsigned& nHeight) {
    if (p == nullptr || nSize < 4 || p[0] != 0xFF || p[1] != 0xD8)
        return false;
    std::size_t nPos = 2;
    while (nPos + 4 <= nSize) {
        if (p[nPos] != 0xFF)
            return false;
        const unsigned char nMarker = p[nPos + 1];
        if (nMarker == 0xFF) {  // fill byte
            ++nPos;
            continue;
        }
        if (nMarker == 0xDA || nMarker == 0xD9)  // data or end before any frame header
            return false;
        const bool bFrameHeader = nMarker >= 0xC0 && nMarker <= 0xCF && nMarker != 0xC4 &&
                                  nMarker != 0xC8 && nMarker != 0xCC;
        if (bFrameHeader) {
            if (nPos + 9 > nSize)
                return false;
            nHeight = static_cast<unsigned>(p[nPos + 5] << 8 | p[nPos + 6]);
            nWidth = static_cast<unsigned>(p[nPos + 7] << 8 | p[nPos + 8]);
            return true;
        }
        if (nMarker == 0x01 || (nMarker >= 0xD0 && nMarker <= 0xD8)) {  // no length
            nPos += 2;
            continue;
        }
        nPos += 2 + static_cast<std::size_t>(p[nPos + 2] << 8 | p[nPos + 3]);
    }
    return false;
}
