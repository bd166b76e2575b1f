// The one fake display (and its own display source): keeps what a producer writes into it, logs
// what its client calls and pulls pictures through the client's callback.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "IAcquireDisplaySource.h"
#include "KyCAcquireDisplayBase.h"
#include "KyTestGuarded.h"

// GetBitmapBuffer hands out a buffer of the requested size with guard bytes after every row
// (optionally bottom-up: a negative pitch); ReleaseBitmapBuffer(true) copies the rows out, in the
// producer's order (row r at address + r * pitch), into a frame. The call log keeps the first
// 1000 calls: "GetDisplay(0)", "GetBitmapBuffer(640x480,32)", "ReleaseBitmapBuffer(true)", and
// the display face: "SetBitmapSize(64x48)", "SetPixelFormat(15)", "SetPictureCallback(set)" or
// "(empty)", "SetDisplayState(0)", "ResetDisplay", "StartDisplay(true)", "StopDisplay",
// "UpdateDisplay(0)", "GetBitmapSize", "GetPixelFormat".
// After Close, every call is counted as late (a producer that promised to stop did not).
// Any thread may call; the fields are guarded, and no lock is held while calling out.
class KyTestRecordingDisplay : public KyCAcquireDisplayBase,
                               public IAcquireDisplaySource,
                               private KyTestGuarded {
public:
    struct Frame {
        KyCSize2 size;
        int nBytesPerPixel = 0;
        std::vector<unsigned char> vecPixels;  // rows top first, width × pixel size per row
        std::thread::id idThread;              // who released it

        const unsigned char* Pixel(int nRow, int nCol) const {
            return vecPixels.data() +
                   (static_cast<size_t>(nRow) * size.nWidth + nCol) * nBytesPerPixel;
        }
    };

    KyTestRecordingDisplay();
    ~KyTestRecordingDisplay() override;

    IAcquireDisplay* GetDisplay(int nIndex) override;
    unsigned char* GetBitmapBuffer(KyCSize2 size, int* pnPitch, unsigned nBitsPerPixel) override;
    void ReleaseBitmapBuffer(bool bValid) override;
    void UpdateDisplay(int nFlags) override {
        log("UpdateDisplay(" + std::to_string(nFlags) + ")");
    }
    void StartDisplay(bool bStart) override;
    bool StopDisplay() override;
    void SetPixelFormat(int nFormat) override {
        log("SetPixelFormat(" + std::to_string(nFormat) + ")");
    }
    int GetPixelFormat() override;
    void SetBitmapSize(KyCSize2 size) override;
    KyCSize2 GetBitmapSize() override;
    void SetPictureCallback(CbPictureCallback callback) override;
    void SetDisplayState(int nState) override {
        log("SetDisplayState(" + std::to_string(nState) + ")");
    }
    void ResetDisplay() override { log("ResetDisplay"); }

    // Behaviour.
    void SetRefuseBuffers(bool bRefuse) { set(m_bRefuse, bRefuse); }
    void SetBottomUp(bool bBottomUp) { set(m_bBottomUp, bBottomUp); }
    // Widens race windows.
    void SetGetBufferDelayMs(unsigned nDelayMs) { set(m_nDelayMs, nDelayMs); }
    // Called at the end of every ReleaseBitmapBuffer, on the producer's thread, no lock held.
    void SetOnRelease(std::function<void(bool)> onRelease) {
        set(m_OnRelease, std::move(onRelease));
    }
    void Close() { set(m_bClosed, true); }
    // What GetPixelFormat answers (15 until set); SetPixelFormat does not change it.
    void SetPixelFormatAnswer(int nFormat) { set(m_nFormat, nFormat); }
    // The client's side: calls its picture callback with this display as the target; false
    // without one.
    bool Pull();

    // What happened.
    std::vector<std::string> GetCalls() const { return get(m_arrCalls); }
    // The log so far, emptied.
    std::vector<std::string> TakeCalls() {
        return locked([&] { return std::exchange(m_arrCalls, {}); });
    }
    // The latest call, also once the log is full.
    std::string GetLastCall() const { return get(m_strLastCall); }
    // Valid releases of a handed-out buffer.
    unsigned GetFrameCount() const { return get(m_nFrames); }
    unsigned GetInvalidReleases() const { return get(m_nInvalid); }
    unsigned GetLateCalls() const { return get(m_nLateCalls); }
    // No producer wrote past a row.
    bool GuardsIntact() const { return get(m_bGuardsIntact); }
    Frame GetLastFrame() const { return get(m_LastFrame); }
    // Read from each frame's test picture.
    std::vector<unsigned> GetFrameNumbers() const { return get(m_arrFrameNumbers); }
    bool WaitForFrames(unsigned nMinCount, unsigned nTimeoutMs) const;

private:
    void logCall(const std::string& strCall);  // with m_Mutex held
    void log(const std::string& strCall) {
        locked([&] { logCall(strCall); });
    }

    // Every field below is guarded by m_Mutex.
    mutable std::condition_variable m_FrameAdded;
    std::vector<std::string> m_arrCalls;
    std::string m_strLastCall;
    bool m_bRefuse = false;
    bool m_bBottomUp = false;
    unsigned m_nDelayMs = 0;
    std::function<void(bool)> m_OnRelease;
    CbPictureCallback m_Callback;
    int m_nFormat = 15;
    bool m_bClosed = false;
    unsigned m_nLateCalls = 0;
    // The buffer handed out, written by the producer without the lock.
    std::vector<unsigned char> m_vecBuffer;
    KyCSize2 m_BufferSize;
    int m_nBufferBytesPerPixel = 0;
    int m_nRowBytes = 0;  // pitch magnitude: the row plus its guard
    bool m_bHandedOut = false;
    bool m_bGuardsIntact = true;
    unsigned m_nFrames = 0;
    unsigned m_nInvalid = 0;
    Frame m_LastFrame;
    std::vector<unsigned> m_arrFrameNumbers;
};
