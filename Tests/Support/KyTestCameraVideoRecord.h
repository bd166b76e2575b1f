// The record worker with its protected surface opened and its fields reachable under its locks.
#pragma once

#include <vector>

#include "KyCCameraVideoRecord.h"

// Built with priority 0, as the controller builds it. Set-up helpers let the sink run without
// the thread (ConfigureSink) and let a test choose the pacing state; every accessor takes the
// lock that guards what it reads or writes.
class KyTestCameraVideoRecord : public KyCCameraVideoRecord {
public:
    KyTestCameraVideoRecord() : KyCCameraVideoRecord(eThreadPriorityNormal) {}
    // The thread ends while this is still the object's type.
    ~KyTestCameraVideoRecord() override;

    using KyCCameraVideoRecord::clearFrames;
    using KyCCameraVideoRecord::copyPictureTo;
    using KyCCameraVideoRecord::detachDisplay;
    using KyCCameraVideoRecord::getFrame;
    using KyCCameraVideoRecord::getFrameCount;
    using KyCCameraVideoRecord::getFreeBuffer;
    using KyCCameraVideoRecord::savePicture;

    // The frame size and pixel size StartThread would set, without starting the thread.
    void ConfigureSink(KyCSize2 frameSize, int nBytesPerPixel);
    // The pacing inputs: recording flag, start time (invalid when bStartValid is false),
    // seconds per frame and frames written.
    void SetPacing(bool bRecording, bool bStartValid, float fFrameInterval, int nFramesWritten);
    void SetRecordStart(const KyCTime& time);
    void SetCapturePending(bool bPending);
    bool IsCapturePending() const;
    // Adds a frame to the queue as the sink does.
    void QueueFrame(const KyCFieldBase& frame);
    // The lock the loop holds while it writes a frame: a test that holds it stalls the loop.
    CbCriticalSection& WriterLock() { return m_WriterLock; }
    // Makes every later frame fail in the open writer (a size limit no frame fits).
    bool MakeWriterRefuseFrames();

    KyCSize2 FrameSize() const;
    int BytesPerPixel() const;
    int PixelFormat() const;
    float FrameInterval() const;
    int FramesWritten() const;
    bool RecordStartIsValid() const;
    IAcquireDisplay* AttachedDisplay() const;
    bool HasVideoCreator() const;
    unsigned BufferCount() const;
    unsigned BufferCapacity() const;
    unsigned BuffersAllocated() const;  // pooled buffers that hold memory
    bool FrameInUse() const;            // m_Frame is set
    KyCRect2 LastFrameRect() const;
    bool LastFrameTimeIsValid() const;
    bool QueueEventIsSet() const;
    bool StopEventIsSet() const;
    void SetStopEvent();
    unsigned QueueBlocksAllocated() const;
    // The first pixel addresses of the queued frames, head first.
    std::vector<const unsigned char*> QueuedAddresses() const;
};
