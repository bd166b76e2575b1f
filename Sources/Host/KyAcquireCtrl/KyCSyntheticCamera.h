// The built-in acquisition: a synthetic camera that delivers a moving test picture.
#pragma once

#include "KyCCameraBase.h"
#include "KyCGeometry.h"
#include "KyHostApi.h"

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
// Locks (KyCCameraBase), in this order: m_DeliveryLock (held across one whole delivery, calls
// into the display), then m_Lock (a leaf: nothing is called while it is held).
class KYHOST_API KyCSyntheticCamera : public KyCCameraBase {
public:
    static const int kMaxSide = 8192;
    static const int kDefaultWidth = 640;
    static const int kDefaultHeight = 480;

    KyCSyntheticCamera();
    // Stops acquisition and ends the delivery thread.
    ~KyCSyntheticCamera() override;
    KyCSyntheticCamera(const KyCSyntheticCamera&) = delete;
    KyCSyntheticCamera& operator=(const KyCSyntheticCamera&) = delete;

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

    // Delivers one frame on the calling thread while acquisition runs; true when the display
    // took it (released valid).
    bool DeliverFrameNow();

    // Frames refused (no buffer), frames with no display to go to; GetFramesDelivered counts
    // those released valid.
    unsigned GetFramesRefused() const;
    unsigned GetFramesWithoutDisplay() const;
    unsigned GetNextFrameNumber() const;  // the number the next frame carries in its picture

private:
    void threadLoop() override;
    KyCSize2 frameSizeLocked() const KY_REQUIRES(m_Lock) override { return m_FrameSize; }
    bool deliverFrame();

    // Guarded by KyCCameraBase::m_Lock.
    KyCSize2 m_FrameSize KY_GUARDED_BY(m_Lock);
    float m_fFrameRate KY_GUARDED_BY(m_Lock) = 15.0f;
    int m_nPixelFormat KY_GUARDED_BY(m_Lock) = 15;
    bool m_bReady KY_GUARDED_BY(m_Lock) = true;
    // Changes when pacing must start anew (start, rate changed).
    unsigned m_nSchedule KY_GUARDED_BY(m_Lock) = 0;
    unsigned m_nNextFrameNumber KY_GUARDED_BY(m_Lock) = 0;
    unsigned m_nRefused KY_GUARDED_BY(m_Lock) = 0;
    unsigned m_nWithoutDisplay KY_GUARDED_BY(m_Lock) = 0;
};
