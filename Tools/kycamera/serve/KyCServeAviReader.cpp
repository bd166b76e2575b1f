// Reading stored Motion JPEG frames with libavformat.
#include "KyCServeAviReader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

KyCServeAviReader::KyCServeAviReader() = default;

KyCServeAviReader::~KyCServeAviReader() {
    av_packet_free(&m_pPacket);
    avformat_close_input(&m_pContext);
}

bool KyCServeAviReader::Open(const std::string& strPath, std::string& strError) {
    if (avformat_open_input(&m_pContext, strPath.c_str(), nullptr, nullptr) < 0) {
        m_pContext = nullptr;
        strError = "cannot open the video";
        return false;
    }
    if (avformat_find_stream_info(m_pContext, nullptr) < 0) {
        strError = "cannot read the video's streams";
        return false;
    }
    m_nStream = av_find_best_stream(m_pContext, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (m_nStream < 0 || m_pContext->streams[m_nStream]->codecpar->codec_id != AV_CODEC_ID_MJPEG) {
        strError = "the file holds no Motion JPEG video";
        return false;
    }
    const AVStream* pStream = m_pContext->streams[m_nStream];
    AVRational rate = pStream->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        rate = pStream->r_frame_rate;
    m_fFramesPerSecond = rate.num > 0 && rate.den > 0 ? av_q2d(rate) : 18.0;
    m_fTimeBaseS = av_q2d(pStream->time_base);
    m_pPacket = av_packet_alloc();
    if (!m_pPacket) {
        strError = "out of memory";
        return false;
    }
    return true;
}

bool KyCServeAviReader::ReadFrame(std::string& strJpeg, double& fTimeS) {
    if (!m_pContext || !m_pPacket)
        return false;
    while (av_read_frame(m_pContext, m_pPacket) >= 0) {
        if (m_pPacket->stream_index != m_nStream || m_pPacket->size <= 0) {
            av_packet_unref(m_pPacket);
            continue;
        }
        strJpeg.assign(reinterpret_cast<const char*>(m_pPacket->data),
                       static_cast<size_t>(m_pPacket->size));
        fTimeS = m_pPacket->pts != AV_NOPTS_VALUE && m_fTimeBaseS > 0
                     ? static_cast<double>(m_pPacket->pts) * m_fTimeBaseS
                     : static_cast<double>(m_nFrames) / m_fFramesPerSecond;
        ++m_nFrames;
        av_packet_unref(m_pPacket);
        return true;
    }
    return false;
}
