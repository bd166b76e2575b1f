// The built-in live display: its sink face, its refresh thread and what the host reads.
#include "KyCLiveDisplay.h"

#include <chrono>
#include <cstring>
#include <new>
#include <utility>

#include "KyCFieldBase.h"
#include "KyPlatform.h"

KyCLiveDisplay::KyCLiveDisplay() = default;

KyCLiveDisplay::~KyCLiveDisplay() {
    std::thread thread;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_bQuit = true;
        thread = std::move(m_RefreshThread);
    }
    m_Changed.notify_all();
    if (thread.joinable())
        thread.join();
}

unsigned char* KyCLiveDisplay::GetBitmapBuffer(KyCSize2 size, int* pnPitch,
                                               unsigned nBitsPerPixel) {
    if (nBitsPerPixel != 32 && nBitsPerPixel != 8)
        return nullptr;
    if (size.nWidth <= 0 || size.nHeight <= 0 || size.nWidth > kMaxSide || size.nHeight > kMaxSide)
        return nullptr;
    const int nBytesPerPixel = static_cast<int>(nBitsPerPixel / 8);
    const int nPitch = (size.nWidth * nBytesPerPixel + 3) & ~3;
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (m_bWriting)
        return nullptr;
    try {
        m_Write.vecPixels.resize(static_cast<size_t>(nPitch) * static_cast<size_t>(size.nHeight));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    m_Write.size = size;
    m_Write.nBytesPerPixel = nBytesPerPixel;
    m_Write.nPitch = nPitch;
    m_bWriting = true;
    m_idWriter = std::this_thread::get_id();
    if (pnPitch)
        *pnPitch = nPitch;
    return m_Write.vecPixels.data();
}

void KyCLiveDisplay::ReleaseBitmapBuffer(bool bValid) {
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (!bValid) {
            ++m_nDropped;
            // A producer that was refused releases too: only the writer's release frees the
            // buffer.
            if (m_bWriting && m_idWriter == std::this_thread::get_id())
                m_bWriting = false;
            return;
        }
        if (!m_bWriting)
            return;  // nothing was handed out
        m_bWriting = false;
        std::swap(m_Write, m_Shown);  // the old shown buffer is reused for the next write
        m_BitmapSize = m_Shown.size;
        ++m_nPicturesShown;
    }
    m_Changed.notify_all();
}

bool KyCLiveDisplay::IsBitmapBufferLocked() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_bWriting;
}

int KyCLiveDisplay::GetDroppedFrameCount() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_nDropped;
}

void KyCLiveDisplay::UpdateDisplay(int) {
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (!m_bStarted)
            return;
        m_bUpdatePending = true;
    }
    m_Changed.notify_all();
}

void KyCLiveDisplay::StartDisplay(bool bStart) {
    if (!bStart) {
        StopDisplay();
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_bStarted = true;
        if (!m_RefreshThread.joinable()) {
            // The new thread blocks on m_Mutex until this scope ends.
            m_RefreshThread = std::thread(&KyCLiveDisplay::refreshLoop, this);
            m_idRefreshThread = m_RefreshThread.get_id();
        }
    }
    m_Changed.notify_all();
}

bool KyCLiveDisplay::StopDisplay() {
    std::unique_lock<std::mutex> lock(m_Mutex);
    m_bStarted = false;
    m_bUpdatePending = false;
    waitForCallbackLocked(lock);
    return true;
}

void KyCLiveDisplay::SetPixelFormat(int nPixelFormat) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_nPixelFormat = nPixelFormat;
}

int KyCLiveDisplay::GetPixelFormat() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_nPixelFormat;
}

void KyCLiveDisplay::SetBitmapSize(KyCSize2 size) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_BitmapSize = size;
}

KyCSize2 KyCLiveDisplay::GetBitmapSize() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_BitmapSize;
}

KyCSize2 KyCLiveDisplay::GetPictureSize() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Shown.size;
}

void KyCLiveDisplay::SetPictureCallback(CbPictureCallback callback) {
    std::unique_lock<std::mutex> lock(m_Mutex);
    std::swap(m_Callback, callback);
    waitForCallbackLocked(lock);
    lock.unlock();
    // callback now holds the old functor; its reference goes here, outside the lock.
}

void KyCLiveDisplay::SetDisplayState(int nState) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_nDisplayState = nState;
}

int KyCLiveDisplay::GetDisplayState() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_nDisplayState;
}

void KyCLiveDisplay::FreezeDisplay() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_bFrozen = true;
}

void KyCLiveDisplay::ThawDisplay() {
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_bFrozen = false;
    }
    m_Changed.notify_all();
}

void KyCLiveDisplay::ResetDisplay() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Shown.size = KyCSize2(0, 0);
    m_Shown.nBytesPerPixel = 0;
    m_Shown.nPitch = 0;
    m_Shown.vecPixels.clear();
    ++m_nResets;
}

bool KyCLiveDisplay::CopyPicture(KyCFieldBase& out) const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (m_Shown.nBytesPerPixel == 0 ||
        !out.Create(KyCRect2(m_Shown.size), m_Shown.nBytesPerPixel, 0)) {
        out.Empty();
        return false;
    }
    const size_t nRowBytes = static_cast<size_t>(m_Shown.size.nWidth) * m_Shown.nBytesPerPixel;
    for (int nRow = 0; nRow < m_Shown.size.nHeight; ++nRow) {
        std::memcpy(out.m_pData + static_cast<ptrdiff_t>(nRow) * out.m_nPitch,
                    m_Shown.vecPixels.data() + static_cast<size_t>(nRow) * m_Shown.nPitch,
                    nRowBytes);
    }
    return true;
}

int KyCLiveDisplay::GetPictureBytesPerPixel() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Shown.nBytesPerPixel;
}

unsigned KyCLiveDisplay::GetPicturesShown() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_nPicturesShown;
}

bool KyCLiveDisplay::WaitForPicture(unsigned nMinCount, unsigned nTimeoutMs) const {
    std::unique_lock<std::mutex> lock(m_Mutex);
    return m_Changed.wait_for(lock, std::chrono::milliseconds(nTimeoutMs),
                              [&] { return m_nPicturesShown >= nMinCount; });
}

bool KyCLiveDisplay::IsPictureCallbackSet() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Callback.IsValid();
}

bool KyCLiveDisplay::IsDisplayStarted() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_bStarted;
}

bool KyCLiveDisplay::IsDisplayFrozen() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_bFrozen;
}

unsigned KyCLiveDisplay::GetRefreshCount() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_nRefreshes;
}

unsigned KyCLiveDisplay::GetResetCount() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_nResets;
}

bool KyCLiveDisplay::WaitForRefresh(unsigned nMinCount, unsigned nTimeoutMs) const {
    std::unique_lock<std::mutex> lock(m_Mutex);
    return m_Changed.wait_for(lock, std::chrono::milliseconds(nTimeoutMs),
                              [&] { return m_nRefreshes >= nMinCount; });
}

void KyCLiveDisplay::waitForCallbackLocked(std::unique_lock<std::mutex>& lock) {
    if (std::this_thread::get_id() == m_idRefreshThread)
        return;  // called from inside the callback: that call is the one in progress
    if (!m_bCallbackRunning)
        return;
    // Wait for that call only: under steady updates the next one may start at once.
    const unsigned nStart = m_nRefreshes;
    m_Changed.wait(lock, [&] { return m_nRefreshes != nStart; });
}

void KyCLiveDisplay::refreshLoop() {
    KyPlatform::SetCurrentThreadName(L"LiveDisplay");
    std::unique_lock<std::mutex> lock(m_Mutex);
    for (;;) {
        m_Changed.wait(lock,
                       [&] { return m_bQuit || (m_bStarted && !m_bFrozen && m_bUpdatePending); });
        if (m_bQuit)
            return;
        m_bUpdatePending = false;
        CbPictureCallback callback = m_Callback;
        if (!callback.IsValid())
            continue;
        m_bCallbackRunning = true;
        lock.unlock();
        try {
            callback(this);
        } catch (...) {
            // A failing refresh must not end the display; the next update tries again.
        }
        callback = CbPictureCallback();  // a replaced functor may die here, outside the lock
        lock.lock();
        m_bCallbackRunning = false;
        ++m_nRefreshes;
        m_Changed.notify_all();
    }
}
