// YUYV (packed 4:2:2) to BGRA with FFmpeg's libswscale.
extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/mem.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include "KyV4L2Converter.h"

namespace {

// A picture in libavutil's own layout: lines aligned and padded as libswscale expects them.
struct PaddedPicture {
    ~PaddedPicture() { av_freep(&apData[0]); }
    bool Allocate(const KyCSize2& size, AVPixelFormat eFormat) {
        return apData[0] != nullptr ||
               av_image_alloc(apData, anLinesize, size.nWidth, size.nHeight, eFormat, 64) >= 0;
    }
    std::uint8_t* apData[4] = {};
    int anLinesize[4] = {};
};

class KyV4L2YuyvConverter final : public KyV4L2Converter {
public:
    KyV4L2YuyvConverter(const KyV4L2Format& format, SwsContext* pContext)
        : m_Size(format.size),
          // Drivers that leave the line length open mean the packed minimum.
          m_nBytesPerLine(format.nBytesPerLine >= format.size.nWidth * 2 ? format.nBytesPerLine
                                                                         : format.size.nWidth * 2),
          m_pContext(pContext) {
        if (!linesFitBlocks()) {  // every frame takes the copies: no allocation per frame
            m_Source.Allocate(m_Size, AV_PIX_FMT_YUYV422);
            m_Target.Allocate(m_Size, AV_PIX_FMT_BGRA);
        }
    }
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
        // libswscale reads and writes whole blocks of pixels: past the end of a line whose
        // width is not a multiple of 16, and past the end of the frame (found by fuzzing: a 4x1
        // frame with 73-byte lines). Only whole, aligned lines go to it directly.
        if (linesFitBlocks() && nPitch % 64 == 0 &&
            nBytes >= static_cast<std::size_t>(m_nBytesPerLine) * m_Size.nHeight)
            return scale(pFrame, m_nBytesPerLine, pBgra, nPitch);
        if (!m_Source.Allocate(m_Size, AV_PIX_FMT_YUYV422) ||
            !m_Target.Allocate(m_Size, AV_PIX_FMT_BGRA))
            return false;
        av_image_copy_plane(m_Source.apData[0], m_Source.anLinesize[0], pFrame, m_nBytesPerLine,
                            m_Size.nWidth * 2, m_Size.nHeight);
        if (!scale(m_Source.apData[0], m_Source.anLinesize[0], m_Target.apData[0],
                   m_Target.anLinesize[0]))
            return false;
        av_image_copy_plane(pBgra, nPitch, m_Target.apData[0], m_Target.anLinesize[0],
                            m_Size.nWidth * 4, m_Size.nHeight);
        return true;
    }

private:
    bool linesFitBlocks() const { return m_Size.nWidth % 16 == 0 && m_nBytesPerLine % 64 == 0; }

    bool scale(const std::uint8_t* pSource, int nSourceStride, std::uint8_t* pTarget,
               int nTargetStride) {
        const std::uint8_t* const arrSource[4] = {pSource, nullptr, nullptr, nullptr};
        const int arrSourceStride[4] = {nSourceStride, 0, 0, 0};
        std::uint8_t* const arrTarget[4] = {pTarget, nullptr, nullptr, nullptr};
        const int arrTargetStride[4] = {nTargetStride, 0, 0, 0};
        return sws_scale(m_pContext, arrSource, arrSourceStride, 0, m_Size.nHeight, arrTarget,
                         arrTargetStride) == m_Size.nHeight;
    }

    const KyCSize2 m_Size;
    const int m_nBytesPerLine;
    SwsContext* const m_pContext;  // owned
    // For frames that cannot go to libswscale directly: allocated up front when no frame of this
    // format can, else with the first such frame (an odd pitch, a frame cut after its pixels).
    PaddedPicture m_Source, m_Target;
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
