// YUYV (packed 4:2:2) to BGRA with FFmpeg's libswscale.
extern "C" {
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include "KyV4L2Converter.h"

namespace {

class KyV4L2YuyvConverter final : public KyV4L2Converter {
public:
    KyV4L2YuyvConverter(const KyV4L2Format& format, SwsContext* pContext)
        : m_Size(format.size),
          // Drivers that leave the line length open mean the packed minimum.
          m_nBytesPerLine(format.nBytesPerLine >= format.size.nWidth * 2 ? format.nBytesPerLine
                                                                         : format.size.nWidth * 2),
          m_pContext(pContext) {}
    ~KyV4L2YuyvConverter() override { sws_freeContext(m_pContext); }
    KyV4L2YuyvConverter(const KyV4L2YuyvConverter&) = delete;
    KyV4L2YuyvConverter& operator=(const KyV4L2YuyvConverter&) = delete;

    bool Convert(const unsigned char* pFrame, std::size_t nBytes, unsigned char* pBgra,
                 int nPitch) override {
        // The last line needs only its packed pixels, not the padding after them.
        const std::size_t nNeeded =
            static_cast<std::size_t>(m_nBytesPerLine) * (m_Size.nHeight - 1) + m_Size.nWidth * 2;
        if (!pFrame || !pBgra || nBytes < nNeeded || nPitch < m_Size.nWidth * 4)
            return false;
        const std::uint8_t* const arrSource[4] = {pFrame, nullptr, nullptr, nullptr};
        const int arrSourceStride[4] = {m_nBytesPerLine, 0, 0, 0};
        std::uint8_t* const arrTarget[4] = {pBgra, nullptr, nullptr, nullptr};
        const int arrTargetStride[4] = {nPitch, 0, 0, 0};
        return sws_scale(m_pContext, arrSource, arrSourceStride, 0, m_Size.nHeight, arrTarget,
                         arrTargetStride) == m_Size.nHeight;
    }

private:
    const KyCSize2 m_Size;
    const int m_nBytesPerLine;
    SwsContext* const m_pContext;  // owned
};

}  // namespace

std::unique_ptr<KyV4L2Converter> KyCreateV4L2YuyvConverter(const KyV4L2Format& format) {
    // 4:2:2 pairs two pixels per chroma sample: an odd width has no whole last pair. libswscale
    // writes a pixel pair past the end of a picture only 2 pixels wide (found by fuzzing).
    if (format.size.nWidth % 2 != 0 || format.size.nWidth < 4)
        return nullptr;
    SwsContext* pContext = sws_getContext(
        format.size.nWidth, format.size.nHeight, AV_PIX_FMT_YUYV422, format.size.nWidth,
        format.size.nHeight, AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!pContext)
        return nullptr;
    return std::make_unique<KyV4L2YuyvConverter>(format, pContext);
}
