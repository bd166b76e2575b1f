// Whether a filed picture or video is whole: libjpeg-turbo reads the picture's header, FFmpeg's
// demuxer the video's packets.
#include "KyCMediaFileCheck.h"

extern "C" {
#include <libavformat/avformat.h>
}
#include <turbojpeg.h>

#include <memory>
#include <vector>

#include "KyPlatform.h"

namespace {

// A picture larger than this is no picture the component writes.
const std::int64_t kMaxPictureBytes = 1LL << 30;

struct SInputCloser {
    void operator()(AVFormatContext* p) const { avformat_close_input(&p); }
};
struct SIoCloser {
    void operator()(AVIOContext* p) const { avio_closep(&p); }
};
struct STurboCloser {
    void operator()(void* p) const { tjDestroy(p); }
};

// The whole file; false with the reason.
bool readWhole(const std::wstring& strPath, std::vector<unsigned char>& bytes,
               std::string& strReason) {
    AVIOContext* pIo = nullptr;
    if (strPath.empty() ||
        avio_open(&pIo, KyPlatform::NativePathUtf8(strPath).c_str(), AVIO_FLAG_READ) < 0) {
        strReason = "missing";
        return false;
    }
    std::unique_ptr<AVIOContext, SIoCloser> pOwner(pIo);
    const std::int64_t nSize = avio_size(pIo);
    if (nSize < 0 || nSize > kMaxPictureBytes) {
        strReason = nSize < 0 ? "unreadable" : "too large";
        return false;
    }
    bytes.resize(static_cast<std::size_t>(nSize));
    if (nSize > 0 && avio_read(pIo, bytes.data(), static_cast<int>(nSize)) != nSize) {
        strReason = "unreadable";
        return false;
    }
    return true;
}

}  // namespace

bool KyCMediaFileCheck::CheckPicture(const std::wstring& strPath, std::string& strReason) {
    std::vector<unsigned char> bytes;
    if (!readWhole(strPath, bytes, strReason))
        return false;
    if (bytes.empty()) {
        strReason = "empty";
        return false;
    }
    if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) {
        strReason = "not a JPEG";
        return false;
    }
    // A write cut short by a full disk or a crash loses the end first.
    if (bytes[bytes.size() - 2] != 0xFF || bytes[bytes.size() - 1] != 0xD9) {
        strReason = "no end marker";
        return false;
    }
    std::unique_ptr<void, STurboCloser> pDecoder(tjInitDecompress());
    int nWidth = 0, nHeight = 0, nSubsampling = 0, nColorspace = 0;
    if (!pDecoder ||
        tjDecompressHeader3(pDecoder.get(), bytes.data(), static_cast<unsigned long>(bytes.size()),
                            &nWidth, &nHeight, &nSubsampling, &nColorspace) != 0 ||
        nWidth <= 0 || nHeight <= 0) {
        strReason = "no decodable header";
        return false;
    }
    strReason.clear();
    return true;
}

bool KyCMediaFileCheck::CheckVideo(const std::wstring& strPath, unsigned& nFrames,
                                   std::string& strReason) {
    nFrames = 0;
    AVFormatContext* pInput = nullptr;
    if (strPath.empty() || avformat_open_input(&pInput, KyPlatform::NativePathUtf8(strPath).c_str(),
                                               av_find_input_format("avi"), nullptr) < 0) {
        strReason = "does not open as an AVI";
        return false;
    }
    std::unique_ptr<AVFormatContext, SInputCloser> pOwner(pInput);
    int nStream = -1;
    for (unsigned i = 0; i < pInput->nb_streams; ++i) {
        if (pInput->streams[i]->codecpar->codec_id == AV_CODEC_ID_MJPEG) {
            nStream = static_cast<int>(i);
            break;
        }
    }
    if (nStream < 0) {
        strReason = "no Motion JPEG stream";
        return false;
    }
    AVPacket* pPacket = av_packet_alloc();
    if (pPacket == nullptr) {
        strReason = "out of memory";
        return false;
    }
    while (av_read_frame(pInput, pPacket) >= 0) {
        if (pPacket->stream_index == nStream && pPacket->size > 0 &&
            (pPacket->flags & AV_PKT_FLAG_CORRUPT) == 0)
            ++nFrames;
        av_packet_unref(pPacket);
    }
    av_packet_free(&pPacket);
    if (nFrames == 0) {
        strReason = "no frames";
        return false;
    }
    strReason.clear();
    return true;
}
