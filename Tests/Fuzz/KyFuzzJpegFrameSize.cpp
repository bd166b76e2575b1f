// The video writer's reading of a frame's declared size on any bytes: no crash, no read past
// the frame, and the size libjpeg-turbo reads wherever both find one.
#include <cstddef>
#include <cstdint>
#include <vector>

#include <turbojpeg.h>

#include "KyJpegFrameSize.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    // A copy of exactly the input's length, so that the sanitizer sees any read past its end.
    const std::vector<unsigned char> arrFrame(pData, pData + nSize);
    unsigned nWidth = 0, nHeight = 0;
    if (!KyJpegFrameSize(arrFrame.data(), arrFrame.size(), nWidth, nHeight))
        return 0;
    static const tjhandle hDecompressor = tjInitDecompress();
    // Tables without a frame (no scan) can come back as a success of size 0x0: no size found.
    int nTjWidth = 0, nTjHeight = 0, nSubsampling = 0, nColourspace = 0;
    if (tjDecompressHeader3(hDecompressor, const_cast<unsigned char*>(arrFrame.data()),
                            static_cast<unsigned long>(arrFrame.size()), &nTjWidth, &nTjHeight,
                            &nSubsampling, &nColourspace) == 0 &&
        nTjWidth > 0 && nTjHeight > 0 &&
        (unsigned(nTjWidth) != nWidth || unsigned(nTjHeight) != nHeight))
        __builtin_trap();
    return 0;
}
