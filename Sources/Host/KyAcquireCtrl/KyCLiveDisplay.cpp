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
        CbCriticalSectionLock lock(m_Lock);
        m_bQuit = true;
        thread = std::move(m_RefreshThread);
    }
    m_Changed.NotifyAll();
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
    CbCriticalSectionLock lock(m_Lock);
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
        CbCriticalSectionLock lock(m_Lock);
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
    m_Changed.NotifyAll();
}

bool KyCLiveDisplay::IsBitmapBufferLocked() {
    CbCriticalSectionLock lock(m_Lock);
    return m_bWriting;
}

int KyCLiveDisplay::GetDroppedFrameCount() {
    CbCriticalSectionLock lock(m_Lock);
    return m_nDropped;
}

void KyCLiveDisplay::UpdateDisplay(int) {
    {
        CbCriticalSectionLock lock(m_Lock);
        if (!m_bStarted)
            return;
        m_bUpdatePending = true;
    }
    m_Changed.NotifyAll();
}

void KyCLiveDisplay::StartDisplay(bool bStart) {
    if (!bStart) {
        StopDisplay();
        return;
    }
    {
        CbCriticalSectionLock lock(m_Lock);
        m_bStarted = true;
        if (!m_RefreshThread.joinable()) {
            // The new thread blocks on m_Lock until this scope ends.
            m_RefreshThread = std::thread(&KyCLiveDisplay::refreshLoop, this);
            m_idRefreshThread = m_RefreshThread.get_id();
        }
    }
    m_Changed.NotifyAll();
}

bool KyCLiveDisplay::StopDisplay() {
    CbCriticalSectionLock lock(m_Lock);
    m_bStarted = false;
    m_bUpdatePending = false;
    waitForCallbackLocked();
    return true;
}

void KyCLiveDisplay::SetPixelFormat(int nPixelFormat) {
    CbCriticalSectionLock lock(m_Lock);
    m_nPixelFormat = nPixelFormat;
}

int KyCLiveDisplay::GetPixelFormat() {
    CbCriticalSectionLock lock(m_Lock);
    return m_nPixelFormat;
}

void KyCLiveDisplay::SetBitmapSize(KyCSize2 size) {
    CbCriticalSectionLock lock(m_Lock);
    m_BitmapSize = size;
}

KyCSize2 KyCLiveDisplay::GetBitmapSize() {
    CbCriticalSectionLock lock(m_Lock);
    return m_BitmapSize;
}

KyCSize2 KyCLiveDisplay::GetPictureSize() {
    CbCriticalSectionLock lock(m_Lock);
    return m_Shown.size;
}

void KyCLiveDisplay::SetPictureCallback(CbPictureCallback callback) {
    {
        CbCriticalSectionLock lock(m_Lock);
        std::swap(m_Callback, callback);
        waitForCallbackLocked();
    }
    // callback now holds the old functor; its reference goes here, outside the lock.
}

void KyCLiveDisplay::SetDisplayState(int nState) {
    CbCriticalSectionLock lock(m_Lock);
    m_nDisplayState = nState;
}

int KyCLiveDisplay::GetDisplayState() {
    CbCriticalSectionLock lock(m_Lock);
    return m_nDisplayState;
}

void KyCLiveDisplay::FreezeDisplay() {
    CbCriticalSectionLock lock(m_Lock);
    m_bFrozen = true;
}

void KyCLiveDisplay::ThawDisplay() {
    {
        CbCriticalSectionLock lock(m_Lock);
        m_bFrozen = false;
    }
    m_Changed.NotifyAll();
}

void KyCLiveDisplay::ResetDisplay() {
    CbCriticalSectionLock lock(m_Lock);
    m_Shown.size = KyCSize2(0, 0);
    m_Shown.nBytesPerPixel = 0;
    m_Shown.nPitch = 0;
    m_Shown.vecPixels.clear();
    ++m_nResets;
}

bool KyCLiveDisplay::CopyPicture(KyCFieldBase& out) const {
    CbCriticalSectionLock lock(m_Lock);
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
    CbCriticalSectionLock lock(m_Lock);
    return m_Shown.nBytesPerPixel;
}

unsigned KyCLiveDisplay::GetPicturesShown() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_nPicturesShown;
}

bool KyCLiveDisplay::WaitForPicture(unsigned nMinCount, unsigned nTimeoutMs) const {
    const auto deadline = CbCondition::After(nTimeoutMs);
    CbCriticalSectionLock lock(m_Lock);
    while (m_nPicturesShown < nMinCount) {
        if (!m_Changed.WaitUntil(m_Lock, deadline))
            return m_nPicturesShown >= nMinCount;
    }
    return true;
}

bool KyCLiveDisplay::IsPictureCallbackSet() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_Callback.IsValid();
}

bool KyCLiveDisplay::IsDisplayStarted() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_bStarted;
}

bool KyCLiveDisplay::IsDisplayFrozen() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_bFrozen;
}

unsigned KyCLiveDisplay::GetRefreshCount() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_nRefreshes;
}

unsigned KyCLiveDisplay::GetResetCount() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_nResets;
}

bool KyCLiveDisplay::WaitForRefresh(unsigned nMinCount, unsigned nTimeoutMs) const {
    const auto deadline = CbCondition::After(nTimeoutMs);
    CbCriticalSectionLock lock(m_Lock);
    while (m_nRefreshes < nMinCount) {
        if (!m_Changed.WaitUntil(m_Lock, deadline))
            return m_nRefreshes >= nMinCount;
    }
    return true;
}

void KyCLiveDisplay::waitForCallbackLocked() {
    if (std::this_thread::get_id() == m_idRefreshThread)
        return;  // called from inside the callback: that call is the one in progress
    if (!m_bCallbackRunning)
        return;
    // Wait for that call only: under steady updates the next one may start at once.
    const unsigned nStart = m_nRefreshes;
    while (m_nRefreshes == nStart)
        m_Changed.Wait(m_Lock);
}

void KyCLiveDisplay::refreshLoop() {
    KyPlatform::SetCurrentThreadName(L"LiveDisplay");
    CbCriticalSectionLock lock(m_Lock);
    for (;;) {
        while (!m_bQuit && !(m_bStarted && !m_bFrozen && m_bUpdatePending))
            m_Changed.Wait(m_Lock);
        if (m_bQuit)
            return;
        m_bUpdatePending = false;
        CbPictureCallback callback = m_Callback;
        if (!callback.IsValid())
            continue;
        m_bCallbackRunning = true;
        m_Lock.Leave();
        try {
            callback(this);
        } catch (...) {
            // A failing refresh must not end the display; the next update tries again.
        }
        callback = CbPictureCallback();  // a replaced functor may die here, outside the lock
        m_Lock.Enter();
        m_bCallbackRunning = false;
        ++m_nRefreshes;
        m_Changed.NotifyAll();
    }
}
