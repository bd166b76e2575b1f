// The AVI writer behind KyCVideoCreator, kept apart so that FFmpeg stays out of its header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct KyVideoWriterSettings {
    std::wstring strFile;
    unsigned nWidth = 0;
    unsigned nHeight = 0;
    int nRateNum = 0;  // frames per second as nRateNum / nRateDen
    int nRateDen = 1;
    int nQuality = 90;            // JPEG quality, 1 to 100
    std::int64_t nStartTime = 0;  // seconds since 1970 UTC, stored in the file where it can be
};

// Writes Motion JPEG frames into one AVI file. The destructor completes the file (index,
// headers) and closes it. One thread at a time calls WriteFrame; the getters may be called from
// any thread.
class KyVideoWriterBackend {
public:
    virtual ~KyVideoWriterBackend() = default;

    // The row at p is the picture's bottom line, p + nPitch the one above it; bytes per pixel
    // are |nPitch| / width (4, 3 or 1). False on bad arguments, an encoder or write failure, or
    // when the frame would take the file past its size limit; the file stays complete.
    virtual bool WriteFrame(const unsigned char* p, int nPitch) = 0;
    // Appends a frame already compressed as a JPEG of the file's frame size, as it stands.
    virtual bool WriteJpegFrame(const unsigned char* pJpeg, std::size_t nSize) = 0;
    virtual unsigned GetFramesWritten() const = 0;
    virtual unsigned long long GetBytesWritten() const = 0;
    virtual void SetQuality(int nQuality) = 0;
    // 0: no limit (past 1 GiB the file continues in OpenDML parts).
    virtual void SetFileSizeLimit(unsigned long long nMaxBytes) = 0;
    // What is written reaches the disk at least every nMilliseconds of recording (by the frame
    // count) and of wall time; 0 leaves it to the system. A backend without it ignores it.
    virtual void SetSyncInterval(unsigned nMilliseconds) { (void)nMilliseconds; }
};

// Opens the file; throws a CbException naming the reason when it cannot be created.
std::unique_ptr<KyVideoWriterBackend> KyCreateVideoWriterBackend(
    const KyVideoWriterSettings& settings);

// Bytes per pixel of a frame row handed to WriteFrame: |nPitch| / width when that is 1, 3 or 4,
// else 0.
inline int KyVideoBytesPerPixel(unsigned nWidth, int nPitch) {
    if (nWidth == 0)
        return 0;
    const long long nAbsPitch = nPitch < 0 ? -static_cast<long long>(nPitch) : nPitch;
    const long long nBytes = nAbsPitch / nWidth;
    return nBytes == 1 || nBytes == 3 || nBytes == 4 ? static_cast<int>(nBytes) : 0;
}
