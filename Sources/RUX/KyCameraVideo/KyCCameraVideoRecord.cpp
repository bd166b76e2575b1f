// The record worker's lifecycle: construction, starting and stopping the thread with the host
// display, and starting and stopping a recording.
#include "KyCCameraVideoRecord.h"

#include <cstdint>
#include <initializer_list>
#include <utility>

#include "CbException.h"
#include "CbFunctor.h"
#include "KyPlatform.h"

namespace {

const unsigned kPooledBuffers = 13;
const unsigned kStopTimeoutMs = 2000;
const unsigned kDrainStepMs = 500;
const int kPixelFormatBGRA = 15;
const int kCaptureAttempts = 2000;
const unsigned kCaptureAttemptMs = 10;

// Marks the host display as being attached or detached for the scope, exceptions included.
class KyCDisplayChangeScope {
public:
    explicit KyCDisplayChangeScope(std::atomic<bool>& bFlag) : m_bFlag(bFlag) { m_bFlag = true; }
    ~KyCDisplayChangeScope() { m_bFlag = false; }
    KyCDisplayChangeScope(const KyCDisplayChangeScope&) = delete;
    KyCDisplayChangeScope& operator=(const KyCDisplayChangeScope&) = delete;

private:
    std::atomic<bool>& m_bFlag;
};

}  // namespace

KyCCameraVideoRecord::KyCCameraVideoRecord(EThreadPriority ePriority)
    : KyCThread(L"CameraVideoRecord", nullptr, ePriority, ~std::uintptr_t(0)),
      m_pDisplay(nullptr),
      m_nBytesPerPixel(0),  // StartThread sets it; nothing reads it before
      m_nPixelFormat(0),
      m_arrBuffers(0),
      m_fFrameInterval(0.0f),
      m_Frames(FrameList::SharedPlexManager::Create(10u, 0u, 1.5f)),
      m_QueueEvent(true, nullptr),
      m_StopEvent(true, nullptr),
      m_bRecording(false),
      m_bCapturePending(false),
      m_nFramesWritten(0),
      m_bDisplayChanging(false),
      m_nStatDelivered(0),
      m_nStatWritten(0),
      m_nStatRepeated(0),
      m_nStatDropped(0),
      m_nStatBytes(0),
      m_fStatElapsedS(0.0),
      m_nCaptureAttempts(kCaptureAttempts),
      m_nCaptureAttemptMs(kCaptureAttemptMs) {
    {
        CbCriticalSectionLock lock(m_StateLock);
        m_arrBuffers.Reserve(kPooledBuffers);
        for (unsigned i = 0; i < kPooledBuffers; ++i)
            m_arrBuffers.Add(KyCFieldBase());
        m_RecordStart.Invalidate();
        m_LastFrameTime.Invalidate();
        m_fFrameInterval = 0.0f;
    }
    m_QueueEvent.Reset();
    m_StopEvent.Set();
    SetExternalEvent(&m_StopEvent);
}

KyCCameraVideoRecord::~KyCCameraVideoRecord() {
    StopThread();
    // A body that outlived its 2000 ms still uses the fields: they must not go before it ends.
    // A body that ended by itself is joined here too, by the module that started it (see
    // StartThread).
    WaitUntilTerminate(CbEvent::kInfinite).SetChecked();
    SetExternalEvent(nullptr);
}

bool KyCCameraVideoRecord::StartThread(IAcquireDisplay* pDisplay, const KyCSize2& size,
                                       int nPixelFormat) {
    StopThread();
    if (size.nWidth <= 0 || size.nHeight <= 0)
        return false;

    {
        CbCriticalSectionLock lock(m_StateLock);
        m_FrameSize = size;
        m_nPixelFormat = nPixelFormat;
        m_fFrameInterval = 0.0f;
        m_nFramesWritten = 0;
        m_RecordStart.SetZero();
        m_bRecording = false;
        m_bCapturePending = false;
    }
    {
        // Under the lock too: the buffers are shared with the frame delivery thread.
        CbCriticalSectionLock lock(m_StateLock);
        for (KyCFieldBase& buffer : m_arrBuffers)
            buffer.Empty();
    }
    {
        CbCriticalSectionLock lock(m_StateLock);
        m_nBytesPerPixel = nPixelFormat == kPixelFormatBGRA ? 4 : 1;
        m_FrameSize = size;
    }
    {
        CbCriticalSectionLock lock(m_StateLock);
        if (pDisplay != m_pDisplay) {
            detachDisplay();
            if (pDisplay != nullptr) {
                KyCDisplayChangeScope changing(m_bDisplayChanging);
                pDisplay->SetBitmapSize(size);
                pDisplay->SetPixelFormat(nPixelFormat);
                // The display keeps the callback alive for as long as it wants it.
                CbSmartPointer<CbPictureCallback::Impl> pCallback(
                    new CbFunctorMember<KyCCameraVideoRecord, void(IAcquireDisplay*)>(
                        this, &KyCCameraVideoRecord::copyPictureTo));
                pDisplay->SetPictureCallback(CbPictureCallback(pCallback));
                pCallback.Release();
                pDisplay->SetDisplayState(0);
                pDisplay->ResetDisplay();
                pDisplay->StartDisplay(true);
            }
            m_pDisplay = pDisplay;
        }
    }

    ClearInterrupt();
    m_StopEvent.Reset();
    // Called directly, not through the table: the thread is then started by this module's code,
    // the same that waits for it in StopThread. On Windows every module has its own copy of the
    // thread runtime, which cannot wait for a thread that another copy started.
    const CbCheckReturn<bool> bStarted = KyCThread::StartAndWait();
    return bStarted.GetValue();
}

bool KyCCameraVideoRecord::StopThread() {
    StopRecording();
    if (IsRunning()) {
        m_StopEvent.Set();
        WaitUntilTerminate(kStopTimeoutMs).SetChecked();
    }
    takeVideoCreator();
    {
        CbCriticalSectionLock lock(m_StateLock);
        detachDisplay();
        for (KyCFieldBase& buffer : m_arrBuffers)
            buffer.Empty();
        m_nFramesWritten = 0;
        m_bRecording = false;
        m_bCapturePending = false;
    }
    return true;
}

bool KyCCameraVideoRecord::detachDisplay() {
    CbCriticalSectionLock lock(m_StateLock);
    if (m_pDisplay != nullptr) {
        KyCDisplayChangeScope changing(m_bDisplayChanging);
        m_pDisplay->StopDisplay();
        m_pDisplay->SetPictureCallback(CbPictureCallback());
        m_pDisplay = nullptr;
    }
    return true;
}

bool KyCCameraVideoRecord::IsInitialized() const {
    CbCriticalSectionLock lock(m_StateLock);
    return m_FrameSize.nWidth > 0 && m_FrameSize.nHeight > 0 && IsRunning();
}

bool KyCCameraVideoRecord::IsRecording() const {
    CbCriticalSectionLock lock(m_StateLock);
    return m_bRecording.load();
}

int KyCCameraVideoRecord::GetFramesWritten() const {
    CbCriticalSectionLock lock(m_StateLock);
    return m_nFramesWritten;
}

bool KyCCameraVideoRecord::StartRecording(int nFrameRate, const std::wstring& strFileName) {
    if (!IsInitialized() || !IsRunning() || !StopRecording() || m_StopEvent.IsSet())
        return false;
    ClearInterrupt();
    m_StopEvent.Reset();
    if (nFrameRate <= 0)
        return false;

    KyCSize2 frameSize;
    float fFrameInterval;
    {
        // Under the lock: the sink reads the interval while it paces frames.
        CbCriticalSectionLock lock(m_StateLock);
        m_fFrameInterval = 1.0f / static_cast<float>(nFrameRate);
        fFrameInterval = m_fFrameInterval;
        frameSize = m_FrameSize;
    }

    CbSmartPointer<KyCVideoCreator> pCreator;
    try {
        pCreator = CbSmartPointer<KyCVideoCreator>(
            new KyCVideoCreator(strFileName, static_cast<unsigned>(frameSize.nWidth),
                                static_cast<unsigned>(frameSize.nHeight), fFrameInterval));
    } catch (const CbException&) {
        return false;
    }
    {
        CbCriticalSectionLock lock(m_WriterLock);
        std::swap(m_pVideoCreator, pCreator);
    }
    pCreator.Release();  // the previous writer, null after StopRecording

    CbCriticalSectionLock lock(m_StateLock);
    for (std::atomic<std::uint64_t>* pCount :
         {&m_nStatDelivered, &m_nStatWritten, &m_nStatRepeated, &m_nStatDropped, &m_nStatBytes})
        pCount->store(0, std::memory_order_relaxed);
    m_fStatElapsedS = 0.0;
    m_bRecording = true;
    m_nFramesWritten = 0;
    m_RecordStart.SetCurrentTime();
    return true;
}

bool KyCCameraVideoRecord::StopRecording() {
    if (!IsInitialized())
        return true;
    {
        CbCriticalSectionLock lock(m_StateLock);
        if (!m_bRecording.load())
            return true;
    }

    // The sink keeps queuing and the loop keeps writing meanwhile: wait while the queue shrinks.
    if (IsRunning()) {
        unsigned int nCount = getFrameCount();
        unsigned int nPrevious = nCount + 1;
        while (nCount > 0 && nCount < nPrevious) {
            KyPlatform::Sleep(kDrainStepMs);
            nPrevious = nCount;
            nCount = getFrameCount();
        }
    }

    {
        CbCriticalSectionLock lock(m_StateLock);
        if (!m_bCapturePending.load())
            clearFrames();  // a waiting capture keeps its frame
        m_fStatElapsedS = (KyCTime(true) - m_RecordStart).Get();
        m_bRecording = false;
    }
    // Passing through m_WriterLock waits for a frame being written; the loop has dropped its own
    // reference by then, so the file is complete and closed when this one goes.
    CbSmartPointer<KyCVideoCreator> pCreator = takeVideoCreator();
    pCreator.Release();
    return true;
}

SRecordingStatistics KyCCameraVideoRecord::GetStatistics() const {
    SRecordingStatistics stats;
    CbCriticalSectionLock lock(m_StateLock);
    stats.bRecording = m_bRecording.load();
    stats.nFramesDelivered = m_nStatDelivered.load(std::memory_order_relaxed);
    stats.nFramesWritten = m_nStatWritten.load(std::memory_order_relaxed);
    stats.nFramesRepeated = m_nStatRepeated.load(std::memory_order_relaxed);
    stats.nFramesDropped = m_nStatDropped.load(std::memory_order_relaxed);
    stats.nFramesWaiting = getFrameCount();
    stats.nBytesWritten = m_nStatBytes.load(std::memory_order_relaxed);
    stats.fElapsedS = stats.bRecording ? (KyCTime(true) - m_RecordStart).Get() : m_fStatElapsedS;
    return stats;
}

void KyCCameraVideoRecord::countDelivered(int nCopies, int nDropped) {
    m_nStatDelivered.fetch_add(1, std::memory_order_relaxed);
    if (nCopies > 1)
        m_nStatRepeated.fetch_add(static_cast<std::uint64_t>(nCopies - 1),
                                  std::memory_order_relaxed);
    if (nDropped > 0)
        m_nStatDropped.fetch_add(static_cast<std::uint64_t>(nDropped), std::memory_order_relaxed);
}

CbSmartPointer<KyCVideoCreator> KyCCameraVideoRecord::takeVideoCreator() {
    CbSmartPointer<KyCVideoCreator> pCreator;
    CbCriticalSectionLock lock(m_WriterLock);
    std::swap(pCreator, m_pVideoCreator);
    return pCreator;
}

const CbReferenceCounter<unsigned int>& KyCCameraVideoRecord::getReferenceCounter() const {
    return m_ReferenceCounter;
}
