// The one fake display: frames kept, calls logged, pictures pulled.
#include "KyTestRecordingDisplay.h"

#include <chrono>
#include <cstring>
#include <utility>

#include "KyCTestPattern.h"

namespace {
const int kGuardBytes = 8;
const unsigned char kGuard = 0xCD;
}  // namespace

KyTestRecordingDisplay::KyTestRecordingDisplay() = default;
KyTestRecordingDisplay::~KyTestRecordingDisplay() = default;

void KyTestRecordingDisplay::logCall(const std::string& strCall) {
    if (m_bClosed)
        ++m_nLateCalls;
    if (m_arrCalls.size() < 1000)
        m_arrCalls.push_back(strCall);
    m_strLastCall = strCall;
}

IAcquireDisplay* KyTestRecordingDisplay::GetDisplay(int nIndex) {
    log("GetDisplay(" + std::to_string(nIndex) + ")");
    return this;
}

unsigned char* KyTestRecordingDisplay::GetBitmapBuffer(KyCSize2 size, int* pnPitch,
                                                       unsigned nBitsPerPixel) {
    log("GetBitmapBuffer(" + std::to_string(size.nWidth) + "x" + std::to_string(size.nHeight) +
        "," + std::to_string(nBitsPerPixel) + ")");
    const unsigned nDelayMs = locked([&] { return m_nDelayMs; });
    if (nDelayMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(nDelayMs));
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (m_bRefuse || m_bHandedOut || size.nWidth <= 0 || size.nHeight <= 0 ||
        (nBitsPerPixel != 32 && nBitsPerPixel != 8))
        return nullptr;
    m_BufferSize = size;
    m_nBufferBytesPerPixel = static_cast<int>(nBitsPerPixel / 8);
    m_nRowBytes = size.nWidth * m_nBufferBytesPerPixel + kGuardBytes;
    m_vecBuffer.assign(static_cast<size_t>(m_nRowBytes) * size.nHeight, kGuard);
    m_bHandedOut = true;
    if (m_bBottomUp) {
        if (pnPitch)
            *pnPitch = -m_nRowBytes;
        return m_vecBuffer.data() + static_cast<size_t>(m_nRowBytes) * (size.nHeight - 1);
    }
    if (pnPitch)
        *pnPitch = m_nRowBytes;
    return m_vecBuffer.data();
}

void KyTestRecordingDisplay::ReleaseBitmapBuffer(bool bValid) {
    std::function<void(bool)> onRelease;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        logCall(bValid ? "ReleaseBitmapBuffer(true)" : "ReleaseBitmapBuffer(false)");
        onRelease = m_OnRelease;
        if (!bValid || !m_bHandedOut) {
            if (!bValid)
                ++m_nInvalid;
            m_bHandedOut = false;
        } else {
            m_bHandedOut = false;
            Frame frame;
            frame.size = m_BufferSize;
            frame.nBytesPerPixel = m_nBufferBytesPerPixel;
            frame.idThread = std::this_thread::get_id();
            const int nWidthBytes = m_BufferSize.nWidth * m_nBufferBytesPerPixel;
            frame.vecPixels.resize(static_cast<size_t>(nWidthBytes) * m_BufferSize.nHeight);
            for (int nRow = 0; nRow < m_BufferSize.nHeight; ++nRow) {
                // Row r of the producer, in memory order top-down or bottom-up.
                const int nMemoryRow = m_bBottomUp ? m_BufferSize.nHeight - 1 - nRow : nRow;
                const unsigned char* pRow =
                    m_vecBuffer.data() + static_cast<size_t>(nMemoryRow) * m_nRowBytes;
                std::memcpy(frame.vecPixels.data() + static_cast<size_t>(nRow) * nWidthBytes, pRow,
                            nWidthBytes);
                for (int i = nWidthBytes; i < m_nRowBytes; ++i) {
                    if (pRow[i] != kGuard)
                        m_bGuardsIntact = false;
                }
            }
            unsigned nNumber = 0;
            if (KyCTestPattern::ReadFrameNumber(frame.vecPixels.data(), nWidthBytes, frame.size,
                                                frame.nBytesPerPixel, nNumber))
                m_arrFrameNumbers.push_back(nNumber);
            m_LastFrame = std::move(frame);
            ++m_nFrames;
        }
    }
    m_FrameAdded.notify_all();
    if (onRelease)
        onRelease(bValid);
}

void KyTestRecordingDisplay::StartDisplay(bool bStart) {
    log(bStart ? "StartDisplay(true)" : "StartDisplay(false)");
}

bool KyTestRecordingDisplay::StopDisplay() {
    log("StopDisplay");
    return true;
}

int KyTestRecordingDisplay::GetPixelFormat() {
    log("GetPixelFormat");
    return locked([&] { return m_nFormat; });
}

void KyTestRecordingDisplay::SetBitmapSize(KyCSize2 size) {
    log("SetBitmapSize(" + std::to_string(size.nWidth) + "x" + std::to_string(size.nHeight) + ")");
    KyCAcquireDisplayBase::SetBitmapSize(size);
}

KyCSize2 KyTestRecordingDisplay::GetBitmapSize() {
    log("GetBitmapSize");
    return KyCAcquireDisplayBase::GetBitmapSize();
}

void KyTestRecordingDisplay::SetPictureCallback(CbPictureCallback callback) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    logCall(callback.IsValid() ? "SetPictureCallback(set)" : "SetPictureCallback(empty)");
    std::swap(m_Callback, callback);  // the old one goes after the lock
}

bool KyTestRecordingDisplay::Pull() {
    CbPictureCallback callback = locked([&] { return m_Callback; });
    if (!callback.IsValid())
        return false;
    callback(this);
    return true;
}

bool KyTestRecordingDisplay::WaitForFrames(unsigned nMinCount, unsigned nTimeoutMs) const {
    std::unique_lock<std::mutex> lock(m_Mutex);
    return m_FrameAdded.wait_for(lock, std::chrono::milliseconds(nTimeoutMs),
                                 [&] { return m_nFrames >= nMinCount; });
}
