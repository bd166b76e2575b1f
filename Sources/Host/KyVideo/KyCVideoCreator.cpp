// Video file writer: an AVI of Motion JPEG frames, written by FFmpeg's AVI muxer.
#include "KyCVideoCreator.h"

#include <cmath>

#include "CbException.h"
#include "KyFrameRate.h"
#include "KyJpegFrameSize.h"
#include "KyPlatform.h"
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
    settings.nStartTime = KyPlatform::Time64();
    m_pBackend = KyCreateVideoWriterBackend(settings);
}

KyCVideoCreator::~KyCVideoCreator() = default;

bool KyCVideoCreator::ProcessFrame(const unsigned char* p, int nPitch) {
    return m_pBackend->WriteFrame(p, nPitch);
}

bool KyCVideoCreator::ProcessJpegFrame(const unsigned char* pJpeg, std::size_t nSize) {
    unsigned nWidth = 0, nHeight = 0;
    if (!KyJpegFrameSize(pJpeg, nSize, nWidth, nHeight) || nWidth != m_nWidth ||
        nHeight != m_nHeight)
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

void KyCVideoCreator::SetSyncInterval(unsigned nMilliseconds) {
    m_pBackend->SetSyncInterval(nMilliseconds);
}
