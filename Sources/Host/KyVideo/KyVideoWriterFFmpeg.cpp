// AVI writer: FFmpeg's AVI muxer with Motion JPEG frames compressed by libjpeg-turbo.
extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <string>

#include "CbException.h"
#include "KyAvioHostFile.h"
#include "KyJpegEncoder.h"
#include "KyPlatform.h"
#include "KyPlatformTime.h"
#include "KyStringConvert.h"
#include "KyVideoWriterBackend.h"

namespace {

// The fixed part of what the trailer adds: index chunk headers, a standard index header.
const unsigned long long kTrailerBytes = 1024;

// "2024-01-31T09:15:00Z"; empty for a time without calendar form.
std::string startTimeText(std::int64_t nTime) {
    KyPlatform::KySystemTime utc;
    if (nTime <= 0 || nTime > KyPlatform::kMaxTime64 ||
        !KyPlatform::KyFileTimeToCalendar(KyPlatform::KyFileTimeFromUnix(nTime, 0), utc))
        return std::string();
    char szText[32];
    std::snprintf(szText, sizeof(szText), "%04d-%02d-%02dT%02d:%02d:%02dZ", utc.nYear, utc.nMonth,
                  utc.nDay, utc.nHour, utc.nMinute, utc.nSecond);
    return szText;
}

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
    void SetSyncInterval(unsigned nMilliseconds) override { m_nSyncMilliseconds = nMilliseconds; }

private:
    [[noreturn]] void fail(unsigned nLine, const std::string& strText);
    void close();
    // Syncs the file to the disk when the interval has passed, in frames or in wall time.
    bool syncWhenDue();

    const KyVideoWriterSettings m_Settings;
    AVFormatContext* m_pFormat = nullptr;        // the muxer; its pb is ours, freed in close
    AVStream* m_pStream = nullptr;               // owned by m_pFormat
    AVPacket* m_pPacket = nullptr;               // reused for every frame; never owns the data
    KyPlatform::KyFileHandle m_hFile = nullptr;  // the file; m_pFormat->pb writes into it
    bool m_bHeaderWritten = false;
    bool m_bFailed = false;  // a write failed: the file ends with the frames before it
    KyJpegEncoder m_Encoder;
    int m_nQuality;
    unsigned long long m_nMaxBytes = 0;
    unsigned m_nSyncMilliseconds = 1000;
    unsigned m_nSyncedFrames = 0;           // frames on the disk at the last sync
    std::int64_t m_nSyncedNanoseconds = 0;  // monotonic time of the last sync
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
    // The start time, for a recovery that has to name the file: the AVI muxer writes "date" as
    // the INFO list's creation date (ICRD).
    const std::string strDate = startTimeText(settings.nStartTime);
    if (!strDate.empty())
        av_dict_set(&m_pFormat->metadata, "date", strDate.c_str(), 0);

    m_hFile = KyPlatform::OpenFileForWrite(settings.strFile);
    if (m_hFile == nullptr) {
        fail(__LINE__, "cannot create " + strPath + " (error " +
                           std::to_string(KyPlatform::GetLastError()) + ")");
    }
    // Through the host layer's file handle: the file is held as Windows holds it and can be
    // synced to the disk.
    m_pFormat->pb = KyAvioOpen(m_hFile);
    if (m_pFormat->pb == nullptr)
        fail(__LINE__, "out of memory");
    nResult = avformat_write_header(m_pFormat, nullptr);
    if (nResult < 0)
        fail(__LINE__, "cannot write the AVI header: " + avErrorText(nResult));
    m_bHeaderWritten = true;
    m_nBytes = static_cast<unsigned long long>(avio_tell(m_pFormat->pb));
    m_nSyncedNanoseconds = KyPlatform::MonotonicNanoseconds();
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
        if (m_pFormat->pb != nullptr) {
            avio_flush(m_pFormat->pb);
            // The completed file is about to get its final name: its index must not be the
            // part that a power cut takes.
            if (m_bHeaderWritten && m_nSyncMilliseconds != 0)
                KyPlatform::FlushFileToDisk(m_hFile);
            KyAvioFree(m_pFormat->pb);
        }
        avformat_free_context(m_pFormat);
        m_pFormat = nullptr;
        m_pStream = nullptr;
    }
    if (m_hFile != nullptr) {
        KyPlatform::CloseFile(m_hFile);
        m_hFile = nullptr;
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
    if (!syncWhenDue()) {
        m_bFailed = true;  // the disk did not take what was written
        return false;
    }
    return true;
}

// At most the last interval of a recording is lost when the process dies or the power goes:
// the frames without an index are what a recovery re-muxes.
bool KyVideoWriterFFmpeg::syncWhenDue() {
    if (m_nSyncMilliseconds == 0)
        return true;
    // Frames per interval, rounded down, at least one.
    const long long nDue = std::max(1LL, static_cast<long long>(m_nSyncMilliseconds) *
                                             m_Settings.nRateNum / (1000LL * m_Settings.nRateDen));
    const std::int64_t nNow = KyPlatform::MonotonicNanoseconds();
    if (static_cast<long long>(m_nFrames - m_nSyncedFrames) < nDue &&
        nNow - m_nSyncedNanoseconds < static_cast<std::int64_t>(m_nSyncMilliseconds) * 1000000)
        return true;
    m_nSyncedFrames = m_nFrames;
    m_nSyncedNanoseconds = nNow;
    return KyPlatform::FlushFileToDisk(m_hFile);
}

}  // namespace

std::unique_ptr<KyVideoWriterBackend> KyCreateVideoWriterBackend(
    const KyVideoWriterSettings& settings) {
    return std::unique_ptr<KyVideoWriterBackend>(new KyVideoWriterFFmpeg(settings));
}
