// The synthetic camera: settings, start and stop, and its frame-delivery thread.
#include "KyCSyntheticCamera.h"

#include <chrono>
#include <cmath>
#include <system_error>

#include "IAcquireDisplay.h"
#include "IAcquireDisplaySource.h"
#include "KyCTestPattern.h"
#include "KyPlatform.h"

namespace {
typedef std::chrono::steady_clock Clock;
}

KyCSyntheticCamera::KyCSyntheticCamera() : m_FrameSize(kDefaultWidth, kDefaultHeight) {}

KyCSyntheticCamera::~KyCSyntheticCamera() {
    StopAcquisition(1, 0);
    std::thread thread;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_bQuit = true;
        thread = std::move(m_Thread);
    }
    m_Changed.notify_all();
    if (!thread.joinable())
        return;
    if (thread.get_id() == std::this_thread::get_id())
        thread.detach();  // destroyed from inside a delivery: the loop ends on m_bQuit
    else
        thread.join();
}

void KyCSyntheticCamera::GetImageSize(int* pnHeight, int* pnWidth) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (pnHeight)
        *pnHeight = m_FrameSize.nHeight;
    if (pnWidth)
        *pnWidth = m_FrameSize.nWidth;
}

void KyCSyntheticCamera::SetDisplaySource(IAcquireDisplaySource* pSource) {
    CbCriticalSectionLock delivery(m_DeliveryLock);  // waits for a frame in progress
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_pSource = pSource;
}

int KyCSyntheticCamera::StartAcquisition(int) {
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (!m_Thread.joinable()) {
            try {
                m_Thread = std::thread(&KyCSyntheticCamera::threadLoop, this);
            } catch (const std::system_error&) {
                return -1;
            }
        }
        if (!m_bRunning) {
            m_bRunning = true;
            ++m_nSchedule;
        }
    }
    m_Changed.notify_all();
    return 0;
}

bool KyCSyntheticCamera::StopAcquisition(int, int) {
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_bRunning = false;
    }
    m_Changed.notify_all();
    // Every delivery checks m_bRunning under this lock: passing through it waits for the one
    // frame that may have started before the flag fell.
    CbCriticalSectionLock delivery(m_DeliveryLock);
    return true;
}

bool KyCSyntheticCamera::IsAcquisitionRunning() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_bRunning;
}

bool KyCSyntheticCamera::IsAcquisitionReady() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_bReady;
}

bool KyCSyntheticCamera::SetFrameSize(KyCSize2 size) {
    if (size.nWidth <= 0 || size.nHeight <= 0 || size.nWidth > kMaxSide || size.nHeight > kMaxSide)
        return false;
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_FrameSize = size;
    return true;
}

KyCSize2 KyCSyntheticCamera::GetFrameSize() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_FrameSize;
}

bool KyCSyntheticCamera::SetFrameRate(float fFramesPerSecond) {
    if (!std::isfinite(fFramesPerSecond) || fFramesPerSecond < 0.0f || fFramesPerSecond > 1000.0f)
        return false;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_fFrameRate = fFramesPerSecond;
        ++m_nSchedule;
    }
    m_Changed.notify_all();
    return true;
}

float KyCSyntheticCamera::GetFrameRate() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_fFrameRate;
}

void KyCSyntheticCamera::SetPixelFormat(int nPixelFormat) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_nPixelFormat = nPixelFormat;
}

int KyCSyntheticCamera::GetPixelFormat() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_nPixelFormat;
}

int KyCSyntheticCamera::GetBytesPerPixel() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_nPixelFormat == 15 ? 4 : 1;
}

void KyCSyntheticCamera::SetAcquisitionReady(bool bReady) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_bReady = bReady;
}

IAcquireDisplaySource* KyCSyntheticCamera::GetDisplaySource() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_pSource;
}

bool KyCSyntheticCamera::DeliverFrameNow() {
    return deliverFrame();
}

unsigned KyCSyntheticCamera::GetFramesDelivered() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_nDelivered;
}

unsigned KyCSyntheticCamera::GetFramesRefused() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_nRefused;
}

unsigned KyCSyntheticCamera::GetFramesWithoutDisplay() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_nWithoutDisplay;
}

unsigned KyCSyntheticCamera::GetNextFrameNumber() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_nNextFrameNumber;
}

bool KyCSyntheticCamera::WaitForFramesDelivered(unsigned nMinCount, unsigned nTimeoutMs) const {
    std::unique_lock<std::mutex> lock(m_Mutex);
    return m_Changed.wait_for(lock, std::chrono::milliseconds(nTimeoutMs),
                              [&] { return m_nDelivered >= nMinCount; });
}

bool KyCSyntheticCamera::deliverFrame() {
    CbCriticalSectionLock delivery(m_DeliveryLock);
    IAcquireDisplaySource* pSource = nullptr;
    KyCSize2 size;
    int nBytesPerPixel = 4;
    unsigned nFrameNumber = 0;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (!m_bRunning)
            return false;
        pSource = m_pSource;
        size = m_FrameSize;
        nBytesPerPixel = m_nPixelFormat == 15 ? 4 : 1;
        nFrameNumber = m_nNextFrameNumber++;
    }
    IAcquireDisplay* pDisplay = pSource ? pSource->GetDisplay(0) : nullptr;
    bool bTaken = false;
    if (pDisplay) {
        int nPitch = 0;
        unsigned char* pFirstRow =
            pDisplay->GetBitmapBuffer(size, &nPitch, static_cast<unsigned>(nBytesPerPixel * 8));
        if (pFirstRow) {
            if (nPitch == 0)
                nPitch = (size.nWidth * nBytesPerPixel + 3) & ~3;
            KyCTestPattern::Draw(pFirstRow, nPitch, size, nBytesPerPixel, nFrameNumber);
            bTaken = true;
        }
        pDisplay->ReleaseBitmapBuffer(bTaken);
    }
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (!pDisplay)
            ++m_nWithoutDisplay;
        else if (bTaken)
            ++m_nDelivered;
        else
            ++m_nRefused;
    }
    m_Changed.notify_all();
    return bTaken;
}

void KyCSyntheticCamera::threadLoop() {
    KyPlatform::SetCurrentThreadName(L"SyntheticCamera");
    std::unique_lock<std::mutex> lock(m_Mutex);
    unsigned nSchedule = m_nSchedule - 1;  // forces a new schedule on the first frame
    Clock::time_point deadline;
    for (;;) {
        m_Changed.wait(lock, [&] { return m_bQuit || (m_bRunning && m_fFrameRate > 0.0f); });
        if (m_bQuit)
            return;
        const Clock::duration interval = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(1.0 / m_fFrameRate));
        if (nSchedule != m_nSchedule) {
            nSchedule = m_nSchedule;
            deadline = Clock::now();  // the first frame of a schedule goes out at once
        }
        const unsigned nWaitSchedule = nSchedule;
        if (m_Changed.wait_until(lock, deadline, [&] {
                return m_bQuit || !m_bRunning || m_nSchedule != nWaitSchedule;
            }))
            continue;  // stopped, quit or rescheduled meanwhile
        deadline += interval;
        const Clock::time_point now = Clock::now();
        if (now > deadline + interval)
            deadline = now;  // far behind: skip what was missed instead of a burst
        lock.unlock();
        try {
            deliverFrame();
        } catch (...) {
            // A display that throws loses this frame; the camera keeps running.
        }
        lock.lock();
    }
}
