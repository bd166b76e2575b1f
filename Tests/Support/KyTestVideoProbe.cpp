// A second opinion on video files: FFmpeg's own demuxer and decoder (Linux test builds only).
#include "KyTestVideoProbe.h"

#if defined(KY_TEST_HAVE_FFMPEG)

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

#include <filesystem>

namespace {

// Owns what one probe opens.
struct ProbeContext {
    AVFormatContext* pFormat = nullptr;
    AVCodecContext* pCodec = nullptr;
    AVPacket* pPacket = av_packet_alloc();
    AVFrame* pFrame = av_frame_alloc();
    ~ProbeContext() {
        av_frame_free(&pFrame);
        av_packet_free(&pPacket);
        avcodec_free_context(&pCodec);
        avformat_close_input(&pFormat);
    }
};

// Mean of one chroma plane over rows [nFirst, nLast) of the luma picture.
int meanChroma(const AVFrame* pFrame, int nPlane, int nFirstRow, int nLastRow) {
    const AVPixFmtDescriptor* pDesc =
        av_pix_fmt_desc_get(static_cast<AVPixelFormat>(pFrame->format));
    if (pDesc == nullptr || pDesc->nb_components < 3)
        return 128;
    const int nShiftY = pDesc->log2_chroma_h, nShiftX = pDesc->log2_chroma_w;
    long long nSum = 0, nCount = 0;
    for (int y = nFirstRow >> nShiftY; y < ((nLastRow + (1 << nShiftY) - 1) >> nShiftY); ++y)
        for (int x = 0; x < (pFrame->width >> nShiftX); ++x, ++nCount)
            nSum += pFrame->data[nPlane][y * pFrame->linesize[nPlane] + x];
    return nCount == 0 ? 128 : static_cast<int>(nSum / nCount);
}

bool decode(ProbeContext& ctx, KyTestVideoProbe& probe) {
    if (avcodec_send_packet(ctx.pCodec, ctx.pPacket) < 0)
        return false;
    bool bGot = false;
    while (avcodec_receive_frame(ctx.pCodec, ctx.pFrame) == 0) {
        if (probe.nDecoded++ == 0) {
            const int nTenth = ctx.pFrame->height / 10 > 0 ? ctx.pFrame->height / 10 : 1;
            probe.nTopCr = meanChroma(ctx.pFrame, 2, 0, nTenth);
            probe.nBottomCb =
                meanChroma(ctx.pFrame, 1, ctx.pFrame->height - nTenth, ctx.pFrame->height);
        }
        av_frame_unref(ctx.pFrame);
        bGot = true;
    }
    return bGot;
}

}  // namespace

bool KyTestHaveFfmpeg() {
    return true;
}

bool KyTestProbeVideo(const std::wstring& strPath, bool bDecodeAll, KyTestVideoProbe& probe) {
    probe = KyTestVideoProbe();
    ProbeContext ctx;
    const std::string strFile = std::filesystem::path(strPath).string();
    if (avformat_open_input(&ctx.pFormat, strFile.c_str(), nullptr, nullptr) < 0) {
        probe.strError = "cannot open";
        return false;
    }
    if (avformat_find_stream_info(ctx.pFormat, nullptr) < 0) {
        probe.strError = "no stream info";
        return false;
    }
    const int nStream = av_find_best_stream(ctx.pFormat, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (nStream < 0) {
        probe.strError = "no video stream";
        return false;
    }
    AVStream* pStream = ctx.pFormat->streams[nStream];
    const AVCodec* pDecoder = avcodec_find_decoder(pStream->codecpar->codec_id);
    ctx.pCodec = pDecoder != nullptr ? avcodec_alloc_context3(pDecoder) : nullptr;
    if (ctx.pCodec == nullptr || avcodec_parameters_to_context(ctx.pCodec, pStream->codecpar) < 0 ||
        avcodec_open2(ctx.pCodec, pDecoder, nullptr) < 0) {
        probe.strError = "no decoder";
        return false;
    }
    probe.strCodec = pDecoder->name;
    probe.nRateNum = pStream->r_frame_rate.num;
    probe.nRateDen = pStream->r_frame_rate.den;
    probe.nWidth = pStream->codecpar->width;
    probe.nHeight = pStream->codecpar->height;
    probe.nStreamFrames = pStream->nb_frames;

    AVPacket* pLast = av_packet_alloc();
    while (av_read_frame(ctx.pFormat, ctx.pPacket) >= 0) {
        if (ctx.pPacket->stream_index == nStream) {
            ++probe.nPackets;
            if (bDecodeAll || probe.nPackets == 1) {
                decode(ctx, probe);
            } else {
                av_packet_unref(pLast);
                av_packet_ref(pLast, ctx.pPacket);
            }
        }
        av_packet_unref(ctx.pPacket);
    }
    if (pLast->size > 0) {
        av_packet_move_ref(ctx.pPacket, pLast);
        decode(ctx, probe);
        av_packet_unref(ctx.pPacket);
    }
    av_packet_free(&pLast);
    return true;
}

#else

bool KyTestHaveFfmpeg() {
    return false;
}

bool KyTestProbeVideo(const std::wstring&, bool, KyTestVideoProbe& probe) {
    probe = KyTestVideoProbe();
    probe.strError = "FFmpeg is not part of this build";
    return false;
}

#endif
