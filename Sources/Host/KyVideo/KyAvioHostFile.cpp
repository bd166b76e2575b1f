// FFmpeg output through the host layer's file handle.
#include "KyAvioHostFile.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

#include <cerrno>
#include <cstddef>
#include <cstdint>

namespace {

// The muxer's output buffer; callers flush after every frame.
const int kIoBufferSize = 1 << 16;

#if LIBAVFORMAT_VERSION_MAJOR >= 61
typedef const uint8_t TIoBytes;
#else
typedef uint8_t TIoBytes;
#endif

int writeToFile(void* pOpaque, TIoBytes* pData, int nSize) {
    if (!KyPlatform::WriteFile(pOpaque, pData, static_cast<std::size_t>(nSize)))
        return KyPlatform::GetLastError() == KyPlatform::kErrorDiskFull ? AVERROR(ENOSPC)
                                                                        : AVERROR(EIO);
    return nSize;
}

int64_t seekInFile(void* pOpaque, int64_t nOffset, int nWhence) {
    nWhence &= ~AVSEEK_FORCE;
    if (nWhence != SEEK_SET && nWhence != SEEK_CUR && nWhence != SEEK_END)
        return AVERROR(ENOSYS);  // AVSEEK_SIZE: the muxer does without
    const int nOrigin = nWhence == SEEK_SET ? 0 : nWhence == SEEK_CUR ? 1 : 2;
    const std::int64_t nPos = KyPlatform::SeekFile(pOpaque, nOffset, nOrigin);
    return nPos < 0 ? AVERROR(EIO) : nPos;
}

}  // namespace

AVIOContext* KyAvioOpen(KyPlatform::KyFileHandle hFile) {
    unsigned char* pBuffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
    if (pBuffer == nullptr)
        return nullptr;
    AVIOContext* pContext =
        avio_alloc_context(pBuffer, kIoBufferSize, 1, hFile, nullptr, &writeToFile, &seekInFile);
    if (pContext == nullptr)
        av_free(pBuffer);
    return pContext;
}

bool KyAvioFree(AVIOContext*& pContext) {
    if (pContext == nullptr)
        return true;
    avio_flush(pContext);
    const bool bOk = pContext->error >= 0;
    av_freep(&pContext->buffer);
    avio_context_free(&pContext);
    return bOk;
}
