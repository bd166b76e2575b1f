// Motion JPEG to BGRA with libjpeg-turbo (frames without Huffman tables use the standard ones).
#include <turbojpeg.h>

#include "KyV4L2Converter.h"

namespace {

class KyV4L2MjpegConverter final : public KyV4L2Converter {
public:
    KyV4L2MjpegConverter(KyCSize2 size, tjhandle hDecompressor)
        : m_Size(size), m_hDecompressor(hDecompressor) {}
    ~KyV4L2MjpegConverter() override { tjDestroy(m_hDecompressor); }
    KyV4L2MjpegConverter(const KyV4L2MjpegConverter&) = delete;
    KyV4L2MjpegConverter& operator=(const KyV4L2MjpegConverter&) = delete;

    bool Convert(const unsigned char* pFrame, std::size_t nBytes, unsigned char* pBgra,
                 int nPitch) override {
        if (!pFrame || !pBgra || nBytes == 0 || nPitch < m_Size.nWidth * 4)
            return false;
        int nWidth = 0, nHeight = 0, nSubsampling = 0, nColourspace = 0;
        unsigned char* pSource = const_cast<unsigned char*>(pFrame);  // the old API is not const
        const unsigned long nSize = static_cast<unsigned long>(nBytes);
        if (tjDecompressHeader3(m_hDecompressor, pSource, nSize, &nWidth, &nHeight, &nSubsampling,
                                &nColourspace) != 0)
            return false;
        // A frame of another size would not fit the picture the camera promised.
        if (nWidth != m_Size.nWidth || nHeight != m_Size.nHeight)
            return false;
        if (tjDecompress2(m_hDecompressor, pSource, nSize, pBgra, nWidth, nPitch, nHeight,
                          TJPF_BGRA, TJFLAG_FASTDCT) == 0)
            return true;
        // Webcams often send frames with stray bytes that the decoder only warns about; the
        // picture is whole, so it is used.
        return tjGetErrorCode(m_hDecompressor) == TJERR_WARNING;
    }

private:
    const KyCSize2 m_Size;
    const tjhandle m_hDecompressor;  // owned
};

}  // namespace

std::unique_ptr<KyV4L2Converter> KyCreateV4L2MjpegConverter(const KyV4L2Format& format) {
    tjhandle hDecompressor = tjInitDecompress();
    if (!hDecompressor)
        return nullptr;
    return std::make_unique<KyV4L2MjpegConverter>(format.size, hDecompressor);
}
