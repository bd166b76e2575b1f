// Video file writer: an AVI of Motion JPEG frames, written by FFmpeg's AVI muxer.
#include "KyCVideoCreator.h"

#include <cmath>

#include "CbException.h"
#include "KyFrameRate.h"
#include "KyVideoWriterBackend.h"

namespace {

const char* const kConstructor = "KyCVideoCreator::KyCVideoCreator";
// The largest side a JPEG frame can have.
const unsigned kMaxSide = 65535;

int qualityPercent(float fQuality) {
    if (std::isnan(fQuality))
        return 90;
    const float fClamped = fQuality < 0.0f ? 0.0f : (fQuality > 1.0f ? 1.0f : fQuality);
    const long nPercent = std::lround(fClamped * 100.0f);
    return nPercent < 1 ? 1 : static_cast<int>(nPercent);
}

// The frame size in a JPEG's start-of-frame header; false when there is none before the data.
bool jpegFrameSize(const unsigned char* p, std::size_t nSize, unsigned& nWidth, unsigned& nHeight) {
    if (p == nullptr || nSize < 4 || p[0] != 0xFF || p[1] != 0xD8)
        return false;
    std::size_t nPos = 2;
    while (nPos + 4 <= nSize) {
        if (p[nPos] != 0xFF)
            return false;
        const unsigned char nMarker = p[nPos + 1];
        if (nMarker == 0xFF) {  // fill byte
            ++nPos;
            continue;
        }
        if (nMarker == 0xDA || nMarker == 0xD9)  // data or end before any frame header
            return false;
        const bool bFrameHeader = nMarker >= 0xC0 && nMarker <= 0xCF && nMarker != 0xC4 &&
                                  nMarker != 0xC8 && nMarker != 0xCC;
        if (bFrameHeader) {
            if (nPos + 9 > nSize)
                return false;
            nHeight = static_cast<unsigned>(p[nPos + 5] << 8 | p[nPos + 6]);
            nWidth = static_cast<unsigned>(p[nPos + 7] << 8 | p[nPos + 8]);
            return true;
        }
        if (nMarker == 0x01 || (nMarker >= 0xD0 && nMarker <= 0xD8)) {  // no length
            nPos += 2;
            continue;
        }
        nPos += 2 + static_cast<std::size_t>(p[nPos + 2] << 8 | p[nPos + 3]);
    }
    return false;
}

}  // namespace

KyCVideoCreator::KyCVideoCreator(const std::wstring& strFile, unsigned nWidth, unsigned nHeight,
                                 float fFrameInterval)
    : m_nWidth(nWidth), m_nHeight(nHeight) {
    if (strFile.empty())
        throw CbException(__FILE__, __LINE__, kConstructor, "no file name");
    if (nWidth == 0 || nHeight == 0 || nWidth > kMaxSide || nHeight > kMaxSide)
        throw CbException(__FILE__, __LINE__, kConstructor, "frame size out of range");
    KyVideoWriterSettings settings;
    if (!KyFrameRateFromInterval(fFrameInterval, settings.nRateNum, settings.nRateDen))
        throw CbException(__FILE__, __LINE__, kConstructor, "frame interval out of range");
    settings.strFile = strFile;
    settings.nWidth = nWidth;
    settings.nHeight = nHeight;
    settings.nQuality = qualityPercent(0.9f);
    m_pBackend = KyCreateVideoWriterBackend(settings);
}

KyCVideoCreator::~KyCVideoCreator() = default;

bool KyCVideoCreator::ProcessFrame(const unsigned char* p, int nPitch) {
    return m_pBackend->WriteFrame(p, nPitch);
}

bool KyCVideoCreator::ProcessJpegFrame(const unsigned char* pJpeg, std::size_t nSize) {
    unsigned nWidth = 0, nHeight = 0;
    if (!jpegFrameSize(pJpeg, nSize, nWidth, nHeight) || nWidth != m_nWidth || nHeight != m_nHeight)
        return false;
    return m_pBackend->WriteJpegFrame(pJpeg, nSize);
}

unsigned KyCVideoCreator::GetFramesWritten() const {
    return m_pBackend->GetFramesWritten();
}

unsigned long long KyCVideoCreator::GetBytesWritten() const {
    return m_pBackend->GetBytesWritten();
}

void KyCVideoCreator::SetQuality(float fQuality) {
    m_pBackend->SetQuality(qualityPercent(fQuality));
}

void KyCVideoCreator::SetFileSizeLimit(unsigned long long nMaxBytes) {
    m_pBackend->SetFileSizeLimit(nMaxBytes);
}
