// Video file writer: an AVI of Motion JPEG frames.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "CbReferenceCounter.h"
#include "IReferenceCounted.h"
#include "KyHostApi.h"

class KyVideoWriterBackend;

// Writes an AVI file at 1 / frameInterval frames per second. The file stores the time it was
// created (its start time) and stays readable, without its index, if the process dies. Reference
// counted: the file is complete and indexed once the last reference goes. One thread at a time
// calls ProcessFrame.
class KYHOST_API KyCVideoCreator : public IReferenceCounted {
public:
    // Opens the file; throws a CbException when it cannot be created or the arguments are bad.
    KyCVideoCreator(const std::wstring& strFile, unsigned nWidth, unsigned nHeight,
                    float fFrameInterval);
    ~KyCVideoCreator() override;
    KyCVideoCreator(const KyCVideoCreator&) = delete;
    KyCVideoCreator& operator=(const KyCVideoCreator&) = delete;

    // Appends one frame. The row at p is the picture's bottom line, p + nPitch the one above it,
    // and so on; bytes per pixel are abs(nPitch) / width (4: BGRA, 3: BGR, 1: grey).
    bool ProcessFrame(const unsigned char* p, int nPitch);
    // Appends a frame that is already a JPEG (from a camera that compresses, say), as it stands.
    // False when the bytes are no JPEG of the file's frame size, or on a write failure.
    bool ProcessJpegFrame(const unsigned char* pJpeg, std::size_t nSize);

    unsigned GetFramesWritten() const;
    // Bytes written to the file so far (approximately, before the index).
    unsigned long long GetBytesWritten() const;

    // JPEG quality of the frames from now on, 0.0 to 1.0 (default 0.9).
    void SetQuality(float fQuality);
    // Frames that would take the file past nMaxBytes are refused (ProcessFrame returns false)
    // and the file stays complete. 0 (the default): no limit; past 1 GiB the file continues in
    // OpenDML parts, each with its own index.
    void SetFileSizeLimit(unsigned long long nMaxBytes);
    // How much of a recording a crash or a power cut may take: what was written reaches the disk
    // at least every nMilliseconds of recording and of wall time (default 1000); 0 leaves it to
    // the system.
    void SetSyncInterval(unsigned nMilliseconds);

protected:
    const CbReferenceCounter<unsigned int>& getReferenceCounter() const override {
        return m_Counter;
    }

private:
    CbReferenceCounter<unsigned int> m_Counter;
    unsigned m_nWidth;
    unsigned m_nHeight;
    std::unique_ptr<KyVideoWriterBackend> m_pBackend;
};
