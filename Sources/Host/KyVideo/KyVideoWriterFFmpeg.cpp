// AVI writer: FFmpeg's AVI muxer with Motion JPEG frames compressed by libjpeg-turbo.
extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
}

#include <atomic>
#include <climits>
#include <string>

#include "CbException.h"
#include "KyJpegEncoder.h"
#include "KyStringConvert.h"
#include "KyVideoWriterBackend.h"

namespace {

// The fixed part of what the trailer adds: index chunk headers, a standard index header.
const unsigned long long kTrailerBytes = 1024;

std::string avErrorText(int nError) {
    char szText[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(nError, szText, sizeof(szText));
    return szText;
}

// Every frame is a key frame handed to the muxer as it stands; FFmpeg's AVI muxer switches to
// OpenDML (RIFF AVIX parts with their own indexes) by itself past 1 GiB, so the file has no
// size limit of its own.
class KyVideoWriterFFmpeg final : public KyVideoWriterBackend {
public:
    explicit KyVideoWriterFFmpeg(const KyVideoWriterSettings& settings);
    ~KyVideoWriterFFmpeg() override;

    bool WriteFrame(const unsigned char* p, int nPitch) override;
    bool WriteJpegFrame(const unsigned char* pJpeg, std::size_t nSize) override;
    unsigned GetFramesWritten() const override { return m_nFrames.load(); }
    unsigned long long GetBytesWritten() const override { return m_nBytes.load(); }
    void SetQuality(int nQuality) override { m_nQuality = nQuality; }
    void SetFileSizeLimit(unsigned long long nMaxBytes) override { m_nMaxBytes = nMaxBytes; }

private:
    [[noreturn]] void fail(unsigned nLine, const std::string& strText);
    void close();

    const KyVideoWriterSettings m_Settings;
    AVFormatContext* m_pFormat = nullptr;  // owns the output file (pb) once opened
    AVStream* m_pStream = nullptr;         // owned by m_pFormat
    AVPacket* m_pPacket = nullptr;         // reused for every frame; never owns the data
    bool m_bHeaderWritten = false;
    bool m_bFailed = false;  // a write failed: the file ends with the frames before it
    KyJpegEncoder m_Encoder;
    int m_nQuality;
    unsigned long long m_nMaxBytes = 0;
    // Written by the frame writer, read by anyone.
    std::atomic<unsigned> m_nFrames{0};
    std::atomic<unsigned long long> m_nBytes{0};
};

KyVideoWriterFFmpeg::KyVideoWriterFFmpeg(const KyVideoWriterSettings& settings)
    : m_Settings(settings), m_nQuality(settings.nQuality) {
    const std::string strPath = KyWideToUtf8(settings.strFile);
    int nResult = avformat_alloc_output_context2(&m_pFormat, nullptr, "avi", strPath.c_str());
    if (nResult < 0 || m_pFormat == nullptr)
        fail(__LINE__, "no AVI muxer: " + avErrorText(nResult));
    m_pStream = avformat_new_stream(m_pFormat, nullptr);
    m_pPacket = av_packet_alloc();
    if (m_pStream == nullptr || m_pPacket == nullptr)
        fail(__LINE__, "out of memory");
    AVCodecParameters* pParams = m_pStream->codecpar;
    pParams->codec_type = AVMEDIA_TYPE_VIDEO;
    pParams->codec_id = AV_CODEC_ID_MJPEG;
    pParams->codec_tag = MKTAG('M', 'J', 'P', 'G');
    pParams->width = static_cast<int>(settings.nWidth);
    pParams->height = static_cast<int>(settings.nHeight);
    pParams->bits_per_coded_sample = 24;
    // One tick per frame: the muxer writes the time base as the stream's scale and rate.
    m_pStream->time_base = AVRational{settings.nRateDen, settings.nRateNum};
    m_pStream->avg_frame_rate = AVRational{settings.nRateNum, settings.nRateDen};
    m_pStream->r_frame_rate = m_pStream->avg_frame_rate;

    nResult = avio_open(&m_pFormat->pb, strPath.c_str(), AVIO_FLAG_WRITE);
    if (nResult < 0)
        fail(__LINE__, "cannot create " + strPath + ": " + avErrorText(nResult));
    nResult = avformat_write_header(m_pFormat, nullptr);
    if (nResult < 0)
        fail(__LINE__, "cannot write the AVI header: " + avErrorText(nResult));
    m_bHeaderWritten = true;
    m_nBytes = static_cast<unsigned long long>(avio_tell(m_pFormat->pb));
}

KyVideoWriterFFmpeg::~KyVideoWriterFFmpeg() {
    close();
}

void KyVideoWriterFFmpeg::fail(unsigned nLine, const std::string& strText) {
    close();
    throw CbException(__FILE__, nLine, "KyCVideoCreator::KyCVideoCreator", strText.c_str());
}

void KyVideoWriterFFmpeg::close() {
    if (m_pFormat != nullptr) {
        if (m_bHeaderWritten)
            av_write_trailer(m_pFormat);  // the index and the final header sizes
        if (m_pFormat->pb != nullptr)
            avio_closep(&m_pFormat->pb);
        avformat_free_context(m_pFormat);
        m_pFormat = nullptr;
        m_pStream = nullptr;
    }
    m_bHeaderWritten = false;
    av_packet_free(&m_pPacket);
}

bool KyVideoWriterFFmpeg::WriteFrame(const unsigned char* p, int nPitch) {
    const int nPixelSize = KyVideoBytesPerPixel(m_Settings.nWidth, nPitch);
    if (p == nullptr || nPixelSize == 0 || !m_bHeaderWritten)
        return false;
    KyJpegPicture picture;
    picture.pBottomRow = p;
    picture.nPitchUp = nPitch;
    picture.nWidth = static_cast<int>(m_Settings.nWidth);
    picture.nHeight = static_cast<int>(m_Settings.nHeight);
    picture.nPixelSize = nPixelSize;
    if (!m_Encoder.Encode(picture, m_nQuality))
        return false;
    return WriteJpegFrame(m_Encoder.GetData(), m_Encoder.GetSize());
}

bool KyVideoWriterFFmpeg::WriteJpegFrame(const unsigned char* pJpeg, std::size_t nSize) {
    if (pJpeg == nullptr || nSize == 0 || nSize > INT_MAX || !m_bHeaderWritten || m_bFailed)
        return false;
    const unsigned long long nFrameBytes = nSize;
    // The chunk with its header and padding, the index entries of all frames so far (idx1 and
    // OpenDML, 24 bytes each) and the fixed part of the indexes must still fit.
    if (m_nMaxBytes != 0 &&
        m_nBytes + 8 + nFrameBytes + (nFrameBytes & 1) + 24ull * (m_nFrames + 1) + kTrailerBytes >
            m_nMaxBytes)
        return false;

    const unsigned nIndex = m_nFrames;
    m_pPacket->data = const_cast<uint8_t*>(pJpeg);
    m_pPacket->size = static_cast<int>(nFrameBytes);
    m_pPacket->stream_index = m_pStream->index;
    m_pPacket->pts = av_rescale_q(nIndex, AVRational{m_Settings.nRateDen, m_Settings.nRateNum},
                                  m_pStream->time_base);
    m_pPacket->dts = m_pPacket->pts;
    m_pPacket->duration =
        av_rescale_q(1, AVRational{m_Settings.nRateDen, m_Settings.nRateNum}, m_pStream->time_base);
    m_pPacket->flags = AV_PKT_FLAG_KEY;
    // Not interleaved: one stream needs no reordering, and the muxer then uses our bytes
    // in place instead of copying them.
    const int nResult = av_write_frame(m_pFormat, m_pPacket);
    m_pPacket->data = nullptr;
    m_pPacket->size = 0;
    // Handing the bytes to the system now makes true mean written, and shows a full disk at
    // the frame that met it rather than some frames later.
    avio_flush(m_pFormat->pb);
    if (nResult < 0 || m_pFormat->pb->error < 0) {
        // The muxer's position and the file disagree from here on: write nothing more.
        m_bFailed = true;
        return false;
    }
    m_nFrames = nIndex + 1;
    m_nBytes = static_cast<unsigned long long>(avio_tell(m_pFormat->pb));
    return true;
}

}  // namespace

std::unique_ptr<KyVideoWriterBackend> KyCreateVideoWriterBackend(
    const KyVideoWriterSettings& settings) {
    return std::unique_ptr<KyVideoWriterBackend>(new KyVideoWriterFFmpeg(settings));
}
