// The write stall rule.
#include "KyCWriteStall.h"

void KyCWriteStall::Sample(double fTimeS, int nFramesWritten, unsigned nPicturesShown) {
    if (!m_bStarted || nFramesWritten != m_nFramesWritten) {
        m_bStarted = true;
        m_fSinceS = fTimeS;
        m_nFramesWritten = nFramesWritten;
        m_nPicturesAtChange = nPicturesShown;
        return;
    }
    if (fTimeS - m_fSinceS >= kStallS && nPicturesShown >= m_nPicturesAtChange + kMinPictures)
        m_bStalled = true;
}
