// FFmpeg's demuxer; TurboJPEG decodes, as Windows builds link FFmpeg without decoders.
#include "KyTestVideoProbe.h"

#include "KyStringConvert.h"

extern "C" {
#include <libavformat/avformat.h>
}
#include <turbojpeg.h>

#include <memory>

namespace {

// Owns what one reading opens.
struct Reader {
    AVFormatContext* pFormat = nullptr;
    AVPacket* pPacket = av_packet_alloc();
    int nStream = -1;
    ~Reader() {
        av_packet_free(&pPacket);
        avformat_close_input(&pFormat);
    }
    bool Open(const std::wstring& strPath, std::string& strError) {
        // FFmpeg's file protocol takes UTF-8 on every platform.
        if (avformat_open_input(&pFormat, KyWideToUtf8(strPath).c_str(), nullptr, nullptr) < 0)
            strError = "cannot open";
        else if ((nStream = av_find_best_stream(pFormat, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0)) <
                 0)
            strError = "no video stream";
        return strError.empty();
    }
    // The next packet of the video stream; false at the end.
    bool Next() {
        av_packet_unref(pPacket);
        while (av_read_frame(pFormat, pPacket) >= 0) {
            if (pPacket->stream_index == nStream)
                return true;
            av_packet_unref(pPacket);
        }
        return false;
    }
    std::string Bytes() const {
        return std::string(reinterpret_cast<const char*>(pPacket->data), pPacket->size);
    }
};

// Mean chroma over rows [nFirst, nLast) of a BGRA field: Cr with bRed, else Cb (BT.601).
int meanChroma(const KyCFieldBase& field, int nFirst, int nLast, bool bRed) {
    long long nSum = 0, nCount = 0;
    for (int y = nFirst; y < nLast; ++y)
        for (int x = 0; x < field.Size().nWidth; ++x, ++nCount) {
            const unsigned char* p = field.m_pData + y * field.m_nPitch + x * 4;
            nSum += bRed ? (128000 + 500 * p[2] - 419 * p[1] - 81 * p[0]) / 1000
                         : (128000 - 169 * p[2] - 331 * p[1] + 500 * p[0]) / 1000;
        }
    return nCount == 0 ? 128 : static_cast<int>(nSum / nCount);
}

void decode(const std::string& strJpeg, KyTestVideoProbe& probe) {
    KyCFieldBase field;
    if (!KyTestDecodeJpeg(strJpeg, field))
        return;
    if (probe.nDecoded++ == 0) {
        const int nHeight = field.Size().nHeight, nTenth = nHeight / 10 > 0 ? nHeight / 10 : 1;
        probe.nTopCr = meanChroma(field, 0, nTenth, true);
        probe.nBottomCb = meanChroma(field, nHeight - nTenth, nHeight, false);
    }
}

}  // namespace

bool KyTestHaveFfmpeg() {
    return true;
}

bool KyTestProbeVideo(const std::wstring& strPath, bool bDecodeAll, KyTestVideoProbe& probe,
                      std::vector<std::string>* pPackets) {
    probe = KyTestVideoProbe();
    if (pPackets != nullptr)
        pPackets->clear();
    Reader reader;
    if (!reader.Open(strPath, probe.strError))
        return false;
    const AVStream* pStream = reader.pFormat->streams[reader.nStream];
    probe.strCodec = avcodec_get_name(pStream->codecpar->codec_id);
    if (const AVDictionaryEntry* pDate = av_dict_get(reader.pFormat->metadata, "date", nullptr, 0))
        probe.strDate = pDate->value;
    const AVRational rate = av_inv_q(pStream->time_base);
    probe.nRateNum = rate.num;
    probe.nRateDen = rate.den;
    probe.nWidth = pStream->codecpar->width;
    probe.nHeight = pStream->codecpar->height;
    probe.nStreamFrames = pStream->nb_frames;
    probe.nIndexEntries = avformat_index_get_entries_count(pStream);
    std::string strLast;
    while (reader.Next()) {
        if (pPackets != nullptr)
            pPackets->push_back(reader.Bytes());
        if (++probe.nPackets == 1 || bDecodeAll)
            decode(reader.Bytes(), probe);
        else
            strLast = reader.Bytes();
    }
    if (!strLast.empty())
        decode(strLast, probe);
    return true;
}

bool KyTestDecodeJpeg(const std::string& strJpeg, KyCFieldBase& decoded) {
    decoded.Empty();
    const std::unique_ptr<void, int (*)(tjhandle)> handle(tjInitDecompress(), tjDestroy);
    auto* pBytes = reinterpret_cast<const unsigned char*>(strJpeg.data());
    int nWidth = 0, nHeight = 0, nSubsampling = 0, nColourspace = 0;
    if (!handle || tjDecompressHeader3(handle.get(), pBytes, strJpeg.size(), &nWidth, &nHeight,
                                       &nSubsampling, &nColourspace) != 0)
        return false;
    KyCFieldBase field(KyCRect2(KyCSize2(nWidth, nHeight)), 4, 0);
    if (tjDecompress2(handle.get(), pBytes, strJpeg.size(), field.m_pData, nWidth, field.m_nPitch,
                      nHeight, TJPF_BGRA, 0) != 0)
        return false;
    decoded = field;
    return true;
}
