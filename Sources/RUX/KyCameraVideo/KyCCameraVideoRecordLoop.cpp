// The record worker's thread body and its frame queue: queued frames go to the video writer,
// bottom row first.
#include "CException.h"
#include "KyCCameraVideoRecord.h"
#include "KyPlatform.h"

namespace {

// How long the loop waits before it looks again at a frame that only a still capture may take.
const unsigned kCaptureFramePollMs = 1;

}  // namespace

bool KyCCameraVideoRecord::getFrame(KyCFieldBase& out, bool bRemove) {
    CbCriticalSectionLock lock(m_QueueLock);
    FrameNode* pHead = m_Frames.GetHead();
    if (pHead == nullptr) {
        out.Empty();
        return false;
    }
    out = pHead->m_Element;
    if (bRemove) {
        m_Frames.RemoveHead();
        m_QueueEvent.Reset();
    }
    return true;
}

void KyCCameraVideoRecord::clearFrames() {
    CbCriticalSectionLock lock(m_QueueLock);
    m_QueueEvent.Reset();
    m_Frames.RemoveAll();
}

unsigned int KyCCameraVideoRecord::getFrameCount() const {
    CbCriticalSectionLock lock(m_QueueLock);
    return m_Frames.GetCount();
}

bool KyCCameraVideoRecord::isStopRequested() {
    // Asked twice; the second answer counts.
    bool bStop = IsRecognized() || IsInterrupt();
    bStop = IsRecognized() || IsInterrupt();
    return bStop;
}

bool KyCCameraVideoRecord::Run() {
    try {
        ClearInterrupt();
        // The stop event first, so that a stop wins over waiting frames.
        CbArray<const CbEvent*> arrEvents;
        if (const CbEvent* pStopEvent = GetExternalEvent())
            arrEvents.Add(pStopEvent);
        arrEvents.Add(&m_QueueEvent);

        while (!isStopRequested()) {
            unsigned nIndex = 0;
            CbEvent::WaitForSingleEvent(arrEvents, CbEvent::kInfinite, nIndex);
            // Drain: frames stay in order; a stop ends the loop before the next frame.
            while (!isStopRequested()) {
                {
                    CbCriticalSectionLock lock(m_QueueLock);
                    if (m_Frames.GetHead() == nullptr)
                        break;
                }
                KyCFieldBase frame;
                if (!m_bRecording.load()) {
                    // Queued for a still capture, which takes it itself.
                    frame.Empty();
                    KyPlatform::Sleep(kCaptureFramePollMs);
                    continue;
                }
                if (!getFrame(frame, true))
                    continue;  // emptied meanwhile

                bool bWritten = false;
                {
                    CbCriticalSectionLock lock(m_WriterLock);
                    // Our own reference keeps the writer alive while it writes; it goes before
                    // the lock does, so that StopRecording finds the file closed.
                    CbSmartPointer<KyCVideoCreator> pCreator = m_pVideoCreator;
                    const int nRows = frame.m_Rect.nBottom - frame.m_Rect.nTop;
                    if (pCreator && nRows >= 0) {
                        const unsigned char* pBottomRow =
                            frame.m_pData + static_cast<int>(frame.m_nPitch * nRows);
                        bWritten = pCreator->ProcessFrame(pBottomRow, -frame.m_nPitch);
                        // Counted before the writer lock goes: a stop that passed through it
                        // finds the statistics final.
                        if (bWritten)
                            m_nStatWritten.fetch_add(1, std::memory_order_relaxed);
                        m_nStatBytes.store(pCreator->GetBytesWritten(), std::memory_order_relaxed);
                    }
                    pCreator.Release();
                }
                if (bWritten) {
                    CbCriticalSectionLock lock(m_StateLock);
                    ++m_nFramesWritten;
                }
            }
        }
    } catch (CException* pException) {
        pException->Delete();
        return false;
    }
    return true;
}
