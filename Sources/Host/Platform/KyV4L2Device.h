// The operating system's side of a V4L2 camera, behind an interface small enough to fake.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "KyHostApi.h"
#include "KyV4L2Types.h"

// One device node, used in this order: Open, GetFormatOffers, SetFormat, SetFrameRate (optional),
// StartStreaming, then WaitFrame / ReleaseFrame per frame, StopStreaming, Close. Every frame that
// WaitFrame gave must be handed back with ReleaseFrame before StopStreaming. A failure leaves the
// system's detail in GetErrorText ("VIDIOC_S_FMT: Device or resource busy"; the caller names the
// device). Not thread-safe: the caller serialises all calls.
class KYHOST_API KyV4L2Device {
public:
    virtual ~KyV4L2Device() = default;

    // Opens the node and checks that it captures video with streaming I/O.
    virtual EV4L2Result Open(const std::string& strPath) = 0;
    // Stops streaming if needed and closes the node; harmless when closed.
    virtual void Close() = 0;
    // The driver's name for the device ("UVC Camera (046d:0825)").
    virtual std::string GetCardName() const = 0;
    virtual std::vector<KyV4L2FormatOffer> GetFormatOffers() = 0;
    // Asks for the format; on success the argument holds what the driver chose instead.
    virtual EV4L2Result SetFormat(KyV4L2Format& format) = 0;
    // Asks for a frame rate; drivers that cannot set one answer eV4L2Failed.
    virtual EV4L2Result SetFrameRate(float fFramesPerSecond) = 0;
    // Maps nBuffers buffers (the driver may give more or fewer), queues them and starts.
    virtual EV4L2Result StartStreaming(unsigned nBuffers) = 0;
    // The next filled buffer, or eV4L2Timeout when none came within the wait.
    virtual EV4L2Result WaitFrame(unsigned nTimeoutMs, KyV4L2Frame& frame) = 0;
    // Gives the frame's buffer back to the driver.
    virtual EV4L2Result ReleaseFrame(const KyV4L2Frame& frame) = 0;
    virtual void StopStreaming() = 0;
    virtual std::string GetErrorText() const = 0;
};

// The platform's device: V4L2 on Linux; null where there is none.
KYHOST_API std::unique_ptr<KyV4L2Device> KyCreateV4L2Device();
