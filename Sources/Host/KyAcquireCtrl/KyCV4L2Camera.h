// A V4L2 camera as the host acquisition: frames converted to BGRA on its own delivery thread.
#pragma once

#include <memory>
#include <string>

#include "CbCriticalSection.h"
#include "KyCCameraBase.h"
#include "KyCGeometry.h"
#include "KyHostApi.h"
#include "KyV4L2Types.h"

class IAcquireDisplaySource;
class KyV4L2Converter;
class KyV4L2Device;

// Open negotiates the format (KyCV4L2FormatChoice: YUYV or MJPEG, the size nearest to the wish)
// and reports what the driver agreed to through GetImageSize. StartAcquisition maps the buffers
// and starts streaming; the delivery thread ("V4L2Camera") waits for each frame and converts it
// straight into GetDisplay(0) of the display source set last: GetBitmapBuffer(size, &pitch, 32),
// the BGRA rows top first, ReleaseBitmapBuffer(true) (false for a frame that could not be
// converted, or when no buffer came back).
//
// Lost camera: when the device fails while streaming (typically unplugged), streaming stops and
// the camera counts as lost: IsLost, GetErrorText, not ready, StartAcquisition refused until the
// next Open. Frames already delivered stay delivered; the host decides what to do with a
// recording in progress.
//
// Guarantee, as KyCSyntheticCamera: once SetDisplaySource or StopAcquisition returns, the previous
// display source gets no further call from this camera. Both wait for a delivery in progress;
// StopAcquisition also waits for a frame wait in progress (at most kWaitSliceMs).
//
// Locks, in this order: m_DeviceLock (every device and converter call; the delivery thread holds
// it across one frame wait and delivery), then KyCCameraBase's m_DeliveryLock (across the display
// calls; re-entrant so that a display may call back) and m_Lock (leaf: the state fields; nothing
// is called inside).
class KYHOST_API KyCV4L2Camera : public KyCCameraBase {
public:
    static constexpr unsigned kBufferCount = 4;
    // Longest single wait for a frame before the thread looks at its state again.
    static constexpr unsigned kWaitSliceMs = 100;

    // The platform's device; where there is none, Open answers eV4L2NotSupported.
    KyCV4L2Camera();
    // The given device (a fake in tests); null behaves as no V4L2 on this platform.
    explicit KyCV4L2Camera(std::unique_ptr<KyV4L2Device> pDevice);
    // Stops acquisition, closes the device and ends the delivery thread.
    ~KyCV4L2Camera() override;
    KyCV4L2Camera(const KyCV4L2Camera&) = delete;
    KyCV4L2Camera& operator=(const KyCV4L2Camera&) = delete;

    // Opens the device node and negotiates the format nearest to the wished size; a frame rate
    // above 0 is asked for (drivers may ignore it). Closes a device opened before.
    EV4L2Result Open(const std::string& strPath, KyCSize2 wished, float fFramesPerSecond);
    void Close();
    bool IsOpen() const;
    KyV4L2Format GetFormat() const;  // the negotiated one; empty when closed
    std::string GetCardName() const;
    // One line on the last failure, or empty:
    // "/dev/video0: no such device (open: No such file or directory)".
    std::string GetErrorText() const;

    // GetImageSize: the negotiated size, 0 × 0 when closed.
    // Any mode; 0 when streaming afterwards, -1 when closed, lost or the device refused.
    int StartAcquisition(int nMode) override;
    // Any mode and flags; always true.
    bool StopAcquisition(int nMode, int nFlags) override;
    bool IsAcquisitionRunning() const override;
    bool IsAcquisitionReady() override;  // open and not lost

    bool IsLost() const;
    bool WaitForLost(unsigned nTimeoutMs) const;
    // Frames that could not be converted; frames without a buffer or a display to go to.
    // GetFramesDelivered counts those released valid.
    unsigned GetFramesDamaged() const;
    unsigned GetFramesRefused() const;

private:
    void threadLoop() override;
    KyCSize2 frameSizeLocked() const KY_REQUIRES(m_Lock) override { return m_Format.size; }
    // One wait for a frame and its delivery, with m_DeviceLock held.
    void serviceDevice();
    void deliverFrame(const unsigned char* pFrame, std::size_t nBytes) KY_REQUIRES(m_DeviceLock);
    // The device failed while streaming: stop it and remember why. m_DeviceLock held.
    void loseDevice(EV4L2Result eResult) KY_REQUIRES(m_DeviceLock);
    // "path: what the result means (the device's detail)", kept as the last error.
    void setError(EV4L2Result eResult, const std::string& strDetail);

    // Every call of m_pDevice and m_pConverter, and the fields that only they touch.
    CbCriticalSection m_DeviceLock;
    std::unique_ptr<KyV4L2Device> m_pDevice KY_GUARDED_BY(m_DeviceLock);
    std::unique_ptr<KyV4L2Converter> m_pConverter KY_GUARDED_BY(m_DeviceLock);
    bool m_bStreaming KY_GUARDED_BY(m_DeviceLock) = false;

    // Guarded by KyCCameraBase::m_Lock.
    KyV4L2Format m_Format KY_GUARDED_BY(m_Lock);
    std::string m_strPath KY_GUARDED_BY(m_Lock);
    std::string m_strCard KY_GUARDED_BY(m_Lock);
    std::string m_strError KY_GUARDED_BY(m_Lock);
    bool m_bOpen KY_GUARDED_BY(m_Lock) = false;
    bool m_bLost KY_GUARDED_BY(m_Lock) = false;
    unsigned m_nDamaged KY_GUARDED_BY(m_Lock) = 0;
    unsigned m_nRefused KY_GUARDED_BY(m_Lock) = 0;
};
