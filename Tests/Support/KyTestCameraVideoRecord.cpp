// The record worker opened for tests.
#include "KyTestCameraVideoRecord.h"

KyTestCameraVideoRecord::~KyTestCameraVideoRecord() {
    // Joins the thread in the library's own code, which started it.
    StopThread();
}

void KyTestCameraVideoRecord::ConfigureSink(KyCSize2 frameSize, int nBytesPerPixel) {
    CbCriticalSectionLock lock(m_StateLock);
    m_FrameSize = frameSize;
    m_nBytesPerPixel = nBytesPerPixel;
    m_nPixelFormat = nBytesPerPixel == 4 ? 15 : 8;
}

void KyTestCameraVideoRecord::SetPacing(bool bRecording, bool bStartValid, float fFrameInterval,
                                        int nFramesWritten) {
    CbCriticalSectionLock lock(m_StateLock);
    m_bRecording = bRecording;
    if (bStartValid)
        m_RecordStart.SetCurrentTime();
    else
        m_RecordStart.Invalidate();
    m_fFrameInterval = fFrameInterval;
    m_nFramesWritten = nFramesWritten;
}

void KyTestCameraVideoRecord::SetRecordStart(const KyCTime& time) {
    CbCriticalSectionLock lock(m_StateLock);
    m_RecordStart = time;
}

void KyTestCameraVideoRecord::SetCapturePending(bool bPending) {
    CbCriticalSectionLock lock(m_StateLock);
    m_bCapturePending = bPending;
}

bool KyTestCameraVideoRecord::IsCapturePending() const {
    return m_bCapturePending.load();
}

void KyTestCameraVideoRecord::QueueFrame(const KyCFieldBase& frame) {
    CbCriticalSectionLock lock(m_QueueLock);
    FrameNode* pNode = m_Frames.GetPlexManager().getFreeElement();
    pNode->m_Element = frame;
    m_Frames.AddTail(pNode);
    m_QueueEvent.Set();
}

bool KyTestCameraVideoRecord::MakeWriterRefuseFrames() {
    CbCriticalSectionLock lock(m_WriterLock);
    if (!m_pVideoCreator)
        return false;
    m_pVideoCreator->SetFileSizeLimit(1);
    return true;
}

KyCSize2 KyTestCameraVideoRecord::FrameSize() const {
    CbCriticalSectionLock lock(m_StateLock);
    return m_FrameSize;
}

int KyTestCameraVideoRecord::BytesPerPixel() const {
    CbCriticalSectionLock lock(m_StateLock);
    return m_nBytesPerPixel;
}

int KyTestCameraVideoRecord::PixelFormat() const {
    CbCriticalSectionLock lock(m_StateLock);
    return m_nPixelFormat;
}

float KyTestCameraVideoRecord::FrameInterval() const {
    CbCriticalSectionLock lock(m_StateLock);
    return m_fFrameInterval;
}

int KyTestCameraVideoRecord::FramesWritten() const {
    CbCriticalSectionLock lock(m_StateLock);
    return m_nFramesWritten;
}

bool KyTestCameraVideoRecord::RecordStartIsValid() const {
    CbCriticalSectionLock lock(m_StateLock);
    return m_RecordStart.IsValid();
}

IAcquireDisplay* KyTestCameraVideoRecord::AttachedDisplay() const {
    CbCriticalSectionLock lock(m_StateLock);
    return m_pDisplay;
}

bool KyTestCameraVideoRecord::HasVideoCreator() const {
    CbCriticalSectionLock lock(m_WriterLock);
    return !m_pVideoCreator.IsNull();
}

unsigned KyTestCameraVideoRecord::BufferCount() const {
    CbCriticalSectionLock lock(m_StateLock);
    return m_arrBuffers.GetCount();
}

unsigned KyTestCameraVideoRecord::BufferCapacity() const {
    CbCriticalSectionLock lock(m_StateLock);
    return m_arrBuffers.GetCapacity();
}

unsigned KyTestCameraVideoRecord::BuffersAllocated() const {
    CbCriticalSectionLock lock(m_StateLock);
    unsigned nCount = 0;
    for (const KyCFieldBase& buffer : m_arrBuffers) {
        if (!buffer.IsEmpty())
            ++nCount;
    }
    return nCount;
}

bool KyTestCameraVideoRecord::FrameInUse() const {
    CbCriticalSectionLock lock(m_StateLock);
    return !m_Frame.IsEmpty();
}

KyCRect2 KyTestCameraVideoRecord::LastFrameRect() const {
    CbCriticalSectionLock lock(m_StateLock);
    return m_LastFrame.m_Rect;
}

bool KyTestCameraVideoRecord::LastFrameTimeIsValid() const {
    CbCriticalSectionLock lock(m_StateLock);
    return m_LastFrameTime.IsValid();
}

bool KyTestCameraVideoRecord::QueueEventIsSet() const {
    return m_QueueEvent.IsSet();
}

bool KyTestCameraVideoRecord::StopEventIsSet() const {
    return m_StopEvent.IsSet();
}

void KyTestCameraVideoRecord::SetStopEvent() {
    m_StopEvent.Set();
}

unsigned KyTestCameraVideoRecord::QueueBlocksAllocated() const {
    CbCriticalSectionLock lock(m_QueueLock);
    return m_Frames.GetPlexManager().GetBlocksAllocated();
}

std::vector<const unsigned char*> KyTestCameraVideoRecord::QueuedAddresses() const {
    CbCriticalSectionLock lock(m_QueueLock);
    std::vector<const unsigned char*> arrAddresses;
    for (const FrameNode* pNode = m_Frames.GetHead(); pNode != nullptr; pNode = pNode->m_pNext)
        arrAddresses.push_back(pNode->m_Element.m_pData);
    return arrAddresses;
}
