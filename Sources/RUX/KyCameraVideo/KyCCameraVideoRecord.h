// The record worker: a thread that writes queued camera frames into a video file, and the
// display sink that the camera writes into on its way to the live display.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "CbArray.h"
#include "CbCriticalSection.h"
#include "CbEvent.h"
#include "CbListBaseIntermediate.h"
#include "CbReferenceCounter.h"
#include "CbSmartPointer.h"
#include "EThreadPriority.h"
#include "IAcquireDisplay.h"
#include "IAcquireDisplaySource.h"
#include "KyCFieldBase.h"
#include "KyCThread.h"
#include "KyCTime.h"
#include "KyCVideoCreator.h"
#include "KyCameraVideoApi.h"
#include "KyCameraVideoViews.h"

// One object, three roles:
// - its own thread "CameraVideoRecord" (Run, the recording loop): waits for queued frames and
//   hands each, bottom row first, to the video writer of the recording in progress;
// - a display sink (IAcquireDisplaySource, IAcquireDisplay): the camera writes every frame into
//   one of 13 pooled buffers, centred; a finished frame becomes the last frame, is queued (paced
//   to real time) while a recording runs or a still capture waits, and the attached host display
//   is asked to refresh;
// - a client of the host display given to StartThread: it gets the picture callback
//   copyPictureTo, through which it pulls the last frame.
//
// Threads and faces:
// - host thread (the controller): StartThread, StopThread, StartRecording, StopRecording,
//   CapturePicture, the queries; every operation checks the state itself.
// - frame delivery thread (the acquisition): GetBitmapBuffer, ReleaseBitmapBuffer, and the other
//   display operations; StopDisplay ends a recording.
// - own thread "CameraVideoRecord": Run only.
// - the host display's callback thread: copyPictureTo.
//
// States: Stopped --StartThread--> Idle --StartRecording--> Recording --StopRecording--> Idle;
// StopThread from any state --> Stopped. A capture runs in Idle or Recording and changes neither.
//
// Lock order: the controller's m_Lock, then m_StateLock, then m_QueueLock. m_WriterLock is always
// taken alone. All are re-entrant.
//
// The worker lives by value inside its controller; its reference counter is only the answer the
// display face owes, and must not be handed to a CbSmartPointer.
class KYCAMERAVIDEO_API KyCCameraVideoRecord : public KyCThread,
                                               public IAcquireDisplaySource,
                                               public IAcquireDisplay {
public:
    typedef CbListBaseIntermediate<KyCFieldBase, 9> FrameList;

    // Frames that may wait in the queue; further copies are dropped.
    static const unsigned kMaxQueuedFrames = 10;

    explicit KyCCameraVideoRecord(EThreadPriority ePriority);
    // Stops the thread (and a recording) before the fields go. A derived class calls StopThread in
    // its own destructor already: the running body calls virtual functions, and the object's
    // dynamic type changes as soon as the derived destructor ends.
    ~KyCCameraVideoRecord() override;
    KyCCameraVideoRecord(const KyCCameraVideoRecord&) = delete;
    KyCCameraVideoRecord& operator=(const KyCCameraVideoRecord&) = delete;

    // Stops a running worker, then configures the frame size and pixel format (15: 32-bit BGRA,
    // anything else 8-bit grey), attaches the display (may be null) and starts the thread.
    // False for a side of 0 or less (the worker stays stopped) or when the thread does not start.
    bool StartThread(IAcquireDisplay* pDisplay, const KyCSize2& size, int nPixelFormat);
    // Ends a recording, stops the thread (waiting at most 2000 ms), detaches the display and
    // empties the buffers. Always true.
    bool StopThread();
    // A frame size is set and the thread runs.
    bool IsInitialized() const;
    bool IsRecording() const;
    // Frames written since StartRecording.
    int GetFramesWritten() const;
    // Ends a recording in progress and records at nFrameRate frames per second into the file.
    // False when the worker is not running or stopping, for a rate of 0 or less, or when the
    // writer cannot open the file.
    bool StartRecording(int nFrameRate, const std::wstring& strFileName);
    // Lets the queue drain (in steps of 500 ms, while it shrinks), ends the recording and returns
    // once the video file is closed. Always true.
    bool StopRecording();
    // Takes the next frame (waiting up to about 20 s) and writes it as a JPEG file. True when a
    // frame was taken, whether or not the file could be written.
    bool CapturePicture(const std::wstring& strFileName);
    // How the recording in progress, or the last one, is doing: one snapshot under m_StateLock
    // and m_QueueLock. Frames that StopRecording clears from a stuck queue are neither written
    // nor waiting; otherwise written + waiting = delivered + repeated - dropped.
    SRecordingStatistics GetStatistics() const;
    // Tests shorten the capture's wait for a frame; the product keeps 2000 x 10 ms. Called while
    // no capture runs.
    void SetCaptureWaitForTesting(int nAttempts, unsigned nAttemptMs);
    // Tests stall the recording loop: while the calling thread holds the writer (true), the loop
    // cannot write and frames wait in the queue; false on the same thread lets it go. Taken with
    // no other lock of this worker held, as m_WriterLock always is.
    void HoldWriterForTesting(bool bHold) KY_NO_THREAD_SAFETY_ANALYSIS;

    // Display source face: this worker's display face, whatever the index.
    IAcquireDisplay* GetDisplay(int nIndex) override;

    // Display face. A producer calls GetBitmapBuffer, writes the picture top row first from the
    // address with the pitch, then ReleaseBitmapBuffer. Null for a frame not yet released, a bit
    // depth other than the configured one, a picture larger than the frame (or with a negative
    // side), or when every buffer is in use.
    unsigned char* GetBitmapBuffer(KyCSize2 size, int* pnPitch, unsigned nBitsPerPixel) override;
    void ReleaseBitmapBuffer(bool bValid) override;
    bool IsBitmapBufferLocked() override;  // false
    void BeginWriting() override;
    void EndWriting() override;
    void AbortWriting() override;
    int GetDroppedFrameCount() override;  // 0; the drops are in GetStatistics
    void UpdateDisplay(int nFlags) override;
    bool IsDisplayEnabled() override;  // true
    void StartDisplay(bool bStart) override;
    bool StopDisplay() override;  // ends a recording
    void SetPixelFormat(int nPixelFormat) override;
    int GetPixelFormat() override;  // 15
    void SetBitmapSize(KyCSize2 size) override;
    KyCSize2 GetBitmapSize() override;
    KyCSize2 GetPictureSize() override;  // of the last frame
    void SetPictureCallback(CbPictureCallback callback) override;
    int GetDisplayCount() override;  // 1
    void SetDisplayState(int nState) override;
    int GetDisplayState() override;  // 0
    void FreezeDisplay() override;
    void ThawDisplay() override;
    void RedrawDisplay() override;
    void ResetDisplay() override;

protected:
    typedef FrameList::Node FrameNode;

    const CbReferenceCounter<unsigned int>& getReferenceCounter() const override;
    // The recording loop (KyCCameraVideoRecordLoop.cpp).
    bool Run() override;

    // Detaches the host display: StopDisplay, an empty callback, m_pDisplay null. Always true.
    bool detachDisplay();

    // The frame queue, each under m_QueueLock. getFrame shares the head frame into out (false,
    // out emptied, when the queue is empty) and with bRemove takes it out of the queue.
    bool getFrame(KyCFieldBase& out, bool bRemove);
    void clearFrames();
    unsigned int getFrameCount() const;

    // A pooled buffer of the frame size that nobody else holds (an empty one is created), or
    // false with out emptied.
    bool getFreeBuffer(const KyCSize2& frameSize, int nPixelSize, KyCFieldBase& out);
    // The picture callback: copies the last frame into the target display, once per frame.
    void copyPictureTo(IAcquireDisplay* pTarget);
    // Writes the frame as a JPEG file, rows reversed for the bottom-up encoder. Only pixel
    // format 15 is written. True when the file was written.
    bool savePicture(const std::wstring& strFileName, const KyCFieldBase& frame, int nPixelFormat,
                     float fQuality);

    CbReferenceCounter<unsigned int> m_ReferenceCounter;

    // Guards the display, the sizes and pixel fields, the buffers and the three frame fields, the
    // times and the interval, m_nFramesWritten and the writes of both flags. Taken after the
    // controller's m_Lock, before m_QueueLock. The attached display is called with it held.
    CbCriticalSection m_StateLock;
    // Held by the recording loop while it writes one frame, and by whoever changes
    // m_pVideoCreator; taken with no other lock of the worker held.
    CbCriticalSection m_WriterLock;

    IAcquireDisplay* m_pDisplay KY_GUARDED_BY(m_StateLock);  // not owned
    int m_nBytesPerPixel KY_GUARDED_BY(m_StateLock);         // 4 or 1, set by StartThread
    KyCSize2 m_BitmapSize KY_GUARDED_BY(m_StateLock);        // SetBitmapSize / GetBitmapSize only
    KyCSize2 m_FrameSize KY_GUARDED_BY(m_StateLock);
    int m_nPixelFormat KY_GUARDED_BY(m_StateLock);
    CbArray<KyCFieldBase> m_arrBuffers KY_GUARDED_BY(m_StateLock);  // 13 pooled frame buffers
    KyCFieldBase m_Frame KY_GUARDED_BY(m_StateLock);                // being written by the producer
    KyCFieldBase m_FramePart KY_GUARDED_BY(m_StateLock);            // its centred picture
    KyCFieldBase m_LastFrame KY_GUARDED_BY(m_StateLock);  // for the picture callback, once
    KyCTime m_RecordStart KY_GUARDED_BY(m_StateLock);
    KyCTime m_LastFrameTime KY_GUARDED_BY(m_StateLock);
    float m_fFrameInterval KY_GUARDED_BY(m_StateLock);  // seconds per video frame

    // Guards m_Frames, its node pool and its count; a leaf: nothing else is taken inside it.
    CbCriticalSection m_QueueLock;
    FrameList m_Frames KY_GUARDED_BY(m_QueueLock);
    // Set when a frame is queued, reset when one is taken or the queue is cleared; the loop
    // waits on it.
    CbEvent m_QueueEvent;
    // The external event of the thread's interrupt: set means "stop".
    CbEvent m_StopEvent;

    // Written under m_StateLock, except that the sink clears m_bCapturePending once it has queued
    // a frame for the capture; the sink, the loop and the capture read them without the lock.
    std::atomic<bool> m_bRecording;
    std::atomic<bool> m_bCapturePending;
    // The writer of the recording in progress; changed only under m_WriterLock, so that the loop
    // never takes a reference to a writer being destroyed.
    CbSmartPointer<KyCVideoCreator> m_pVideoCreator KY_GUARDED_BY(m_WriterLock);
    int m_nFramesWritten KY_GUARDED_BY(m_StateLock);

private:
    // Attaching or detaching the host display holds m_StateLock while the display may wait for a
    // picture callback in progress to finish; that callback must then give up rather than wait
    // for m_StateLock. Written with m_StateLock held.
    std::atomic<bool> m_bDisplayChanging;

    // m_StateLock for the picture callback: false (not entered) while the display is being
    // attached or detached by another thread.
    bool enterStateLockForCallback() KY_TRY_ACQUIRE(true, m_StateLock);
    // Drops m_pVideoCreator under m_WriterLock; the file closes once the caller lets go of the
    // returned reference.
    CbSmartPointer<KyCVideoCreator> takeVideoCreator();
    // The interrupt test of the recording loop.
    bool isStopRequested();
    // Counts one frame released during a recording: the copies pacing asked for and those the
    // full queue refused.
    void countDelivered(int nCopies, int nDropped);

    // The statistics of the recording in progress or the last one; reset by StartRecording.
    // Relaxed atomics, so that the frame path counts without a lock; a snapshot of them is
    // consistent only to within the frames in flight.
    std::atomic<std::uint64_t> m_nStatDelivered;
    std::atomic<std::uint64_t> m_nStatWritten;
    std::atomic<std::uint64_t> m_nStatRepeated;
    std::atomic<std::uint64_t> m_nStatDropped;
    std::atomic<std::uint64_t> m_nStatBytes;  // the writer's count after its last frame
    // The length of the last recording, from its start to StopRecording.
    double m_fStatElapsedS KY_GUARDED_BY(m_StateLock);

    // How long CapturePicture looks for a frame: attempts, and the pause between two. Read only
    // by the capture, on the host's calling thread.
    int m_nCaptureAttempts;
    unsigned m_nCaptureAttemptMs;
};
