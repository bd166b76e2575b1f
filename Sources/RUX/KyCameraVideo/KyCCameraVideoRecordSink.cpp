// The record worker's display sink: pooled frame buffers for the camera, pacing frames into the
// queue, and the picture callback that feeds the host display.
#include <cmath>
#include <thread>

#include "KyCCameraVideoRecord.h"

IAcquireDisplay* KyCCameraVideoRecord::GetDisplay(int /*nIndex*/) {
    return this;
}

unsigned char* KyCCameraVideoRecord::GetBitmapBuffer(KyCSize2 size, int* pnPitch,
                                                     unsigned nBitsPerPixel) {
    KyCSize2 frameSize;
    int nBytesPerPixel;
    {
        CbCriticalSectionLock lock(m_StateLock);
        if (!m_Frame.IsEmpty())
            return nullptr;  // the previous frame has not been released
        frameSize = m_FrameSize;
        nBytesPerPixel = m_nBytesPerPixel;
    }
    if (nBitsPerPixel != static_cast<unsigned>(nBytesPerPixel * 8) ||
        size.nWidth > frameSize.nWidth || size.nHeight > frameSize.nHeight)
        return nullptr;
    // A negative side would centre the picture outside the buffer.
    if (size.nWidth < 0 || size.nHeight < 0)
        return nullptr;

    KyCFieldBase buffer;
    if (!getFreeBuffer(frameSize, nBytesPerPixel, buffer))
        return nullptr;
    if (pnPitch != nullptr)
        *pnPitch = buffer.m_nPitch;

    const int nX = (frameSize.nWidth - size.nWidth) / 2;
    const int nY = (frameSize.nHeight - size.nHeight) / 2;
    const KyCRect2 pictureRect(KyCPos2(nX, nY), size);
    // A smaller picture leaves a border, which must not show an older frame.
    buffer.ClrData(buffer.m_Rect, pictureRect);
    {
        CbCriticalSectionLock lock(m_StateLock);
        m_Frame = buffer;
        m_FramePart = buffer.Part(pictureRect);
    }
    return buffer.m_pData + nY * buffer.m_nPitch + nX * buffer.m_nPixelSize;
}

bool KyCCameraVideoRecord::getFreeBuffer(const KyCSize2& frameSize, int nPixelSize,
                                         KyCFieldBase& out) {
    for (unsigned i = 0;; ++i) {
        CbCriticalSectionLock lock(m_StateLock);
        if (i >= m_arrBuffers.GetCount())
            break;
        KyCFieldBase& buffer = m_arrBuffers[i];
        if (buffer.IsEmpty()) {
            if (!buffer.Create(KyCRect2(frameSize), nPixelSize, 0))
                break;
            buffer.ClrData(buffer.m_Rect);
            out = buffer;
            return true;
        }
        // Free again once no frame, queue node or picture shares it.
        if (buffer.IsLastRef() && buffer.m_Rect.Width() >= frameSize.nWidth &&
            buffer.m_Rect.Height() >= frameSize.nHeight) {
            out = buffer;
            return true;
        }
    }
    out.Empty();
    return false;
}

void KyCCameraVideoRecord::ReleaseBitmapBuffer(bool bValid) {
    const KyCTime now(true);
    if (!bValid) {
        CbCriticalSectionLock lock(m_StateLock);
        m_Frame.Empty();
        m_FramePart.Empty();
    } else if (m_bRecording.load() || m_bCapturePending.load()) {
        KyCFieldBase frame;
        int nCopies = 1;
        bool bCounted;
        {
            CbCriticalSectionLock lock(m_StateLock);
            frame = m_Frame;
            bCounted = m_bRecording.load();
            if (bCounted && m_RecordStart.IsValid() && m_fFrameInterval > 0.0f) {
                // As many copies as keep the video's timeline in step with real time.
                const float fElapsed = static_cast<float>((now - m_RecordStart).Get());
                nCopies = static_cast<int>(std::floor(fElapsed / m_fFrameInterval)) -
                          m_nFramesWritten - static_cast<int>(getFrameCount());
                if (nCopies < 1)
                    nCopies = 1;
            }
        }
        // The copies share the buffer: no pixel is copied on the way to the loop.
        const int nRequested = nCopies;
        for (;;) {
            {
                CbCriticalSectionLock lock(m_QueueLock);
                if (m_Frames.GetCount() >= kMaxQueuedFrames)
                    break;  // full: the remaining copies are dropped, a capture keeps waiting
                FrameNode* pNode = m_Frames.GetPlexManager().getFreeElement();
                pNode->m_Element = frame;
                m_Frames.AddTail(pNode);
                m_QueueEvent.Set();
            }
            if (--nCopies == 0) {
                m_bCapturePending = false;
                break;
            }
        }
        if (bCounted)
            countDelivered(nRequested, nCopies);
        frame.Empty();
    }
    {
        CbCriticalSectionLock lock(m_StateLock);
        m_LastFrameTime = now;
        m_LastFrame = m_FramePart;
        m_Frame.Empty();
        m_FramePart.Empty();
    }
    CbCriticalSectionLock lock(m_StateLock);
    // The display may pull the picture from inside, on this thread: the lock is re-entrant.
    if (m_pDisplay != nullptr)
        m_pDisplay->UpdateDisplay(0);
}

void KyCCameraVideoRecord::copyPictureTo(IAcquireDisplay* pTarget) {
    KyCFieldBase picture;
    int nBytesPerPixel;
    if (!enterStateLockForCallback())
        return;  // the display is being detached and waits for this call to end
    picture = m_LastFrame;
    m_LastFrame.Empty();  // each frame is handed out once
    nBytesPerPixel = m_nBytesPerPixel;
    m_StateLock.Leave();

    if (pTarget == nullptr)
        return;
    int nPitch = 0;
    unsigned char* pData = pTarget->GetBitmapBuffer(picture.Size(), &nPitch,
                                                    static_cast<unsigned>(nBytesPerPixel * 8));
    bool bValid = false;
    if (pData != nullptr) {
        KyCFieldBase target(pData, picture.m_Rect, nBytesPerPixel, nPitch);
        target.CopyData(picture, picture.m_Rect, picture.m_Rect, 0);
        bValid = true;
    }
    pTarget->ReleaseBitmapBuffer(bValid);
}

bool KyCCameraVideoRecord::enterStateLockForCallback() {
    for (;;) {
        if (m_StateLock.TryEnter())
            return true;
        // Whoever holds the lock while the display is attached or detached may be waiting for
        // this very callback to return.
        if (m_bDisplayChanging.load())
            return false;
        std::this_thread::yield();
    }
}

bool KyCCameraVideoRecord::IsBitmapBufferLocked() {
    return false;
}

void KyCCameraVideoRecord::BeginWriting() {}

void KyCCameraVideoRecord::EndWriting() {}

void KyCCameraVideoRecord::AbortWriting() {}

int KyCCameraVideoRecord::GetDroppedFrameCount() {
    return 0;
}

void KyCCameraVideoRecord::UpdateDisplay(int /*nFlags*/) {}

bool KyCCameraVideoRecord::IsDisplayEnabled() {
    return true;
}

void KyCCameraVideoRecord::StartDisplay(bool /*bStart*/) {}

bool KyCCameraVideoRecord::StopDisplay() {
    return StopRecording();
}

void KyCCameraVideoRecord::SetPixelFormat(int /*nPixelFormat*/) {}

int KyCCameraVideoRecord::GetPixelFormat() {
    return 15;
}

void KyCCameraVideoRecord::SetBitmapSize(KyCSize2 size) {
    CbCriticalSectionLock lock(m_StateLock);
    m_BitmapSize = size;
}

KyCSize2 KyCCameraVideoRecord::GetBitmapSize() {
    CbCriticalSectionLock lock(m_StateLock);
    return m_BitmapSize;
}

KyCSize2 KyCCameraVideoRecord::GetPictureSize() {
    CbCriticalSectionLock lock(m_StateLock);
    return m_LastFrame.Size();
}

void KyCCameraVideoRecord::SetPictureCallback(CbPictureCallback /*callback*/) {}

int KyCCameraVideoRecord::GetDisplayCount() {
    return 1;
}

void KyCCameraVideoRecord::SetDisplayState(int /*nState*/) {}

int KyCCameraVideoRecord::GetDisplayState() {
    return 0;
}

void KyCCameraVideoRecord::FreezeDisplay() {}

void KyCCameraVideoRecord::ThawDisplay() {}

void KyCCameraVideoRecord::RedrawDisplay() {}

void KyCCameraVideoRecord::ResetDisplay() {}
