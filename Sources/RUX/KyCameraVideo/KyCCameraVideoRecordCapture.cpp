// The record worker's still capture: the next camera frame, written as a JPEG file.
#include <cstring>

#include "CException.h"
#include "CyStreamWriteBinaryFile.h"
#include "KyCCameraVideoRecord.h"
#include "KyCJPGCodec.h"
#include "KyPlatform.h"

namespace {

const int kPixelFormatBGRA = 15;
const float kPictureQuality = 0.9f;

}  // namespace

bool KyCCameraVideoRecord::CapturePicture(const std::wstring& strFileName) {
    if (!IsRunning() || m_StopEvent.IsSet())
        return false;
    ClearInterrupt();
    m_StopEvent.Reset();
    {
        CbCriticalSectionLock lock(m_StateLock);
        m_bCapturePending = true;  // the sink now queues the next frame even without a recording
    }

    // Without a recording the frame is taken out of the queue; during one it is only shared, so
    // that the loop still writes it into the video.
    KyCFieldBase frame;
    for (int nAttempt = 0; nAttempt < m_nCaptureAttempts; ++nAttempt) {
        if (nAttempt > 0)
            KyPlatform::Sleep(m_nCaptureAttemptMs);
        if (getFrame(frame, !m_bRecording.load()))
            break;
    }

    const bool bTaken = !frame.m_Rect.IsEmpty();
    if (bTaken) {
        int nBytesPerPixel;
        {
            CbCriticalSectionLock lock(m_StateLock);
            nBytesPerPixel = m_nBytesPerPixel;
        }
        savePicture(strFileName, frame, nBytesPerPixel == 4 ? kPixelFormatBGRA : -1,
                    kPictureQuality);
    }
    {
        CbCriticalSectionLock lock(m_StateLock);
        if (!m_bRecording.load())
            clearFrames();  // frames queued for this capture and not used
        m_bCapturePending = false;
    }
    return bTaken;
}

void KyCCameraVideoRecord::SetCaptureWaitForTesting(int nAttempts, unsigned nAttemptMs) {
    m_nCaptureAttempts = nAttempts;
    m_nCaptureAttemptMs = nAttemptMs;
}

void KyCCameraVideoRecord::HoldWriterForTesting(bool bHold) {
    if (bHold)
        m_WriterLock.Enter();
    else
        m_WriterLock.Leave();
}

bool KyCCameraVideoRecord::savePicture(const std::wstring& strFileName, const KyCFieldBase& frame,
                                       int nPixelFormat, float fQuality) {
    if (nPixelFormat != kPixelFormatBGRA)
        return false;

    CbArray<unsigned char> arrBytes;
    bool bEncoded;
    {
        const KyCFieldBase source(frame.m_pData, frame.m_Rect, frame.m_nPixelSize, frame.m_nPitch);
        KyCFieldBase copy(frame.m_Rect, frame.m_nPixelSize, 0);
        if (source.IsEmpty() || copy.IsEmpty())
            return false;
        // The encoder reads the first row as the picture's bottom line: reverse the rows.
        const int nWidth = frame.m_Rect.nRight - frame.m_Rect.nLeft + 1;
        const int nHeight = frame.m_Rect.nBottom - frame.m_Rect.nTop + 1;
        const size_t nRowBytes = static_cast<size_t>(nWidth) * source.m_nPixelSize;
        for (int nRow = 0; nRow < nHeight; ++nRow) {
            std::memcpy(copy.m_pData + (nHeight - 1 - nRow) * copy.m_nPitch,
                        source.m_pData + nRow * source.m_nPitch, nRowBytes);
        }
        bEncoded = KyCJPGCodec::Encode(copy, static_cast<EPixelFormat>(2), fQuality, arrBytes);
    }
    if (!bEncoded || arrBytes.GetCount() == 0)
        return false;

    try {
        CyStreamWriteBinaryFile file(strFileName, static_cast<EAccessMode>(0),
                                     static_cast<ECompressionMode>(0),
                                     static_cast<ECompressionLevel>(0));
        file.WriteBuffer(arrBytes.GetData(), arrBytes.GetCount());
    } catch (CException* pException) {
        pException->Delete();
        return false;
    } catch (...) {
        return false;
    }
    return true;
}
