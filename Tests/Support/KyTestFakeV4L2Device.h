// A V4L2 device in memory: scripted answers, frames of the synthetic test picture, a call log.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "KyV4L2Device.h"

// Frames are KyCTestPattern numbered 0, 1, 2, ... as YUYV (BT.601 limited) or MJPEG. A test may
// keep a plain pointer to read the log while the camera owns the device; a mutex guards it.
class KyTestFakeV4L2Device : public KyV4L2Device {
public:
    struct Script {
        EV4L2Result eOpen = eV4L2Ok;
        // Default: YUYV at 640x480 and 320x240, MJPEG at 1280x720 and 640x480.
        std::vector<KyV4L2FormatOffer> vecOffers;
        // The driver's own choice; with nFourCC 0 it takes what it was asked for.
        KyV4L2Format forced;
        EV4L2Result eStart = eV4L2Ok;
        int nFramesBeforeGone = -1;  // frames delivered before the device disappears; -1 never
        bool bSilent = false;        // no frame ever comes
        int nDamagedFrame = -1;      // this frame number comes truncated
        unsigned nFrameIntervalMs = 2;
    };
    struct Counts {
        unsigned nHandedOut = 0;
        unsigned nBadReleases = 0;  // a buffer released that was not out, or while stopped
        unsigned nMaxOut = 0;       // buffers out at once
        bool bStreaming = false;
    };

    KyTestFakeV4L2Device() : KyTestFakeV4L2Device(Script()) {}
    explicit KyTestFakeV4L2Device(const Script& script);

    EV4L2Result Open(const std::string& strPath) override;
    void Close() override;
    std::string GetCardName() const override { return "Fake Camera"; }
    std::vector<KyV4L2FormatOffer> GetFormatOffers() override;
    EV4L2Result SetFormat(KyV4L2Format& format) override;
    EV4L2Result SetFrameRate(float fFramesPerSecond) override;
    EV4L2Result StartStreaming(unsigned nBuffers) override;
    EV4L2Result WaitFrame(unsigned nTimeoutMs, KyV4L2Frame& frame) override;
    EV4L2Result ReleaseFrame(const KyV4L2Frame& frame) override;
    void StopStreaming() override;
    std::string GetErrorText() const override;

    // "Open /dev/video9", "GetFormatOffers", "SetFormat YUYV 640x480", "SetFrameRate 30",
    // "StartStreaming 4", "StopStreaming", "Close"; frame waits are counted, not logged.
    std::vector<std::string> GetCalls() const;
    Counts GetCounts() const;

    // The frame the device sends for a frame number, in the format given.
    static std::vector<unsigned char> MakeFrame(const KyV4L2Format& format, unsigned nNumber,
                                                int nPaddingPerLine);

private:
    Script m_Script;             // fixed once constructed
    mutable std::mutex m_Mutex;  // guards every field below
    std::vector<std::string> m_vecCalls;
    bool m_bOpen = false;
    bool m_bGone = false;
    KyV4L2Format m_Format;
    std::vector<std::vector<unsigned char>> m_vecBuffers;
    std::vector<bool> m_vecOut;  // buffer handed out and not yet released
    unsigned m_nNextFrame = 0;
    Counts m_Counts;
    std::string m_strError;
};
