// The built-in acquisition: a synthetic camera that delivers a moving test picture.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

#include "CbCriticalSection.h"
#include "KyCGeometry.h"
#include "KyHostApi.h"
#include "KyIAcquisition.h"

// While acquisition runs, its own frame-delivery thread ("SyntheticCamera") writes one frame of
// the KyCTestPattern picture per frame interval into GetDisplay(0) of the display source set
// last: GetBitmapBuffer(frame size, &pitch, bits) → rows written top first → ReleaseBitmapBuffer
// (true), or ReleaseBitmapBuffer(false) when no buffer came back. Frames are paced by absolute
// deadlines from the start, so the rate does not drift; a camera more than one interval late
// starts a new schedule instead of catching up in a burst. A frame rate of 0 delivers only on
// demand (DeliverFrameNow, on the caller's thread). Defaults: 640 × 480, 15 frames per second,
// pixel format 15 (32-bit BGRA); any other pixel format gives 8-bit grey.
//
// Guarantee: once SetDisplaySource or StopAcquisition returns, the previous display source (and
// its displays) gets no further call from this camera. Both wait for a frame in progress, so the
// caller must not hold a lock that the display's GetBitmapBuffer or ReleaseBitmapBuffer take
// (the display itself may call them from inside a delivery: the delivery lock is re-entrant).
//
// Locks, in this order: m_DeliveryLock (held across one whole delivery, calls into the display),
// then m_Mutex (a leaf: nothing is called while it is held).
class KYHOST_API KyCSyntheticCamera : public KyIAcquisition {
public:
    static const int kMaxSide = 8192;
    static const int kDefaultWidth = 640;
    static const int kDefaultHeight = 480;

    KyCSyntheticCamera();
    // Stops acquisition and ends the delivery thread.
    ~KyCSyntheticCamera() override;
    KyCSyntheticCamera(const KyCSyntheticCamera&) = delete;
    KyCSyntheticCamera& operator=(const KyCSyntheticCamera&) = delete;

    // Height first, then width; a null pointer is skipped.
    void GetImageSize(int* pnHeight, int* pnWidth) override;
    void SetDisplaySource(IAcquireDisplaySource* pSource) override;
    // Any mode; 0 when running afterwards, -1 when the delivery thread could not be started.
    int StartAcquisition(int nMode) override;
    // Any mode and flags; always true.
    bool StopAcquisition(int nMode, int nFlags) override;
    bool IsAcquisitionRunning() const override;
    bool IsAcquisitionReady() override;  // true unless the host said otherwise

    // Settings; they apply from the next frame on.
    bool SetFrameSize(KyCSize2 size);  // false for a side outside 1..kMaxSide
    KyCSize2 GetFrameSize() const;
    // Frames per second; 0 = only on demand. False for a negative, non-finite or above-1000 rate.
    bool SetFrameRate(float fFramesPerSecond);
    float GetFrameRate() const;
    void SetPixelFormat(int nPixelFormat);  // 15: 32-bit BGRA; anything else: 8-bit grey
    int GetPixelFormat() const;
    int GetBytesPerPixel() const;  // 4 or 1, as the pixel format says
    void SetAcquisitionReady(bool bReady);
    IAcquireDisplaySource* GetDisplaySource() const;

    // Delivers one frame on the calling thread while acquisition runs; true when the display
    // took it (released valid).
    bool DeliverFrameNow();

    // Frames released valid, frames refused (no buffer), frames with no display to go to.
    unsigned GetFramesDelivered() const;
    unsigned GetFramesRefused() const;
    unsigned GetFramesWithoutDisplay() const;
    unsigned GetNextFrameNumber() const;  // the number the next frame carries in its picture
    bool WaitForFramesDelivered(unsigned nMinCount, unsigned nTimeoutMs) const;

private:
    void threadLoop();
    bool deliverFrame();

    // Held across one delivery; SetDisplaySource and StopAcquisition pass through it to wait for
    // a frame in progress. Re-entrant, so that a display may call back from inside a delivery.
    CbCriticalSection m_DeliveryLock;

    mutable std::mutex m_Mutex;  // guards every field below
    // Signalled on: start, stop, a setting changed, quit (thread), a frame counted (waiters).
    mutable std::condition_variable m_Changed;
    IAcquireDisplaySource* m_pSource = nullptr;
    KyCSize2 m_FrameSize;
    float m_fFrameRate = 15.0f;
    int m_nPixelFormat = 15;
    bool m_bReady = true;
    bool m_bRunning = false;
    bool m_bQuit = false;
    unsigned m_nSchedule = 0;  // changes when pacing must start anew (start, rate changed)
    unsigned m_nNextFrameNumber = 0;
    unsigned m_nDelivered = 0;
    unsigned m_nRefused = 0;
    unsigned m_nWithoutDisplay = 0;
    std::thread m_Thread;  // started by the first StartAcquisition, ended by the destructor
};
