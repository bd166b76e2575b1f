// The synthetic camera: settings, start and stop, and its frame-delivery thread.
#include "KyCSyntheticCamera.h"

#include <chrono>
#include <cmath>

#include "IAcquireDisplay.h"
#include "IAcquireDisplaySource.h"
#include "KyCTestPattern.h"

namespace {
typedef std::chrono::steady_clock Clock;
}

KyCSyntheticCamera::KyCSyntheticCamera()
    : KyCCameraBase(L"SyntheticCamera"), m_FrameSize(kDefaultWidth, kDefaultHeight) {}

KyCSyntheticCamera::~KyCSyntheticCamera() {
    StopAcquisition(1, 0);
    endThread();
}

int KyCSyntheticCamera::StartAcquisition(int) {
    {
        CbCriticalSectionLock lock(m_Lock);
        if (!startThreadLocked())
            return -1;
        if (!m_bRunning) {
            m_bRunning = true;
            ++m_nSchedule;
        }
    }
    m_Changed.NotifyAll();
    return 0;
}

bool KyCSyntheticCamera::StopAcquisition(int, int) {
    {
        CbCriticalSectionLock lock(m_Lock);
        m_bRunning = false;
    }
    m_Changed.NotifyAll();
    // Every delivery checks m_bRunning under this lock: passing through it waits for the one
    // frame that may have started before the flag fell.
    CbCriticalSectionLock delivery(m_DeliveryLock);
    return true;
}

bool KyCSyntheticCamera::IsAcquisitionRunning() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_bRunning;
}

bool KyCSyntheticCamera::IsAcquisitionReady() {
    CbCriticalSectionLock lock(m_Lock);
    return m_bReady;
}

bool KyCSyntheticCamera::SetFrameSize(KyCSize2 size) {
    if (size.nWidth <= 0 || size.nHeight <= 0 || size.nWidth > kMaxSide || size.nHeight > kMaxSide)
        return false;
    CbCriticalSectionLock lock(m_Lock);
    m_FrameSize = size;
    return true;
}

KyCSize2 KyCSyntheticCamera::GetFrameSize() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_FrameSize;
}

bool KyCSyntheticCamera::SetFrameRate(float fFramesPerSecond) {
    if (!std::isfinite(fFramesPerSecond) || fFramesPerSecond < 0.0f || fFramesPerSecond > 1000.0f)
        return false;
    {
        CbCriticalSectionLock lock(m_Lock);
        m_fFrameRate = fFramesPerSecond;
        ++m_nSchedule;
    }
    m_Changed.NotifyAll();
    return true;
}

float KyCSyntheticCamera::GetFrameRate() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_fFrameRate;
}

void KyCSyntheticCamera::SetPixelFormat(int nPixelFormat) {
    CbCriticalSectionLock lock(m_Lock);
    m_nPixelFormat = nPixelFormat;
}

int KyCSyntheticCamera::GetPixelFormat() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_nPixelFormat;
}

int KyCSyntheticCamera::GetBytesPerPixel() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_nPixelFormat == 15 ? 4 : 1;
}

void KyCSyntheticCamera::SetAcquisitionReady(bool bReady) {
    CbCriticalSectionLock lock(m_Lock);
    m_bReady = bReady;
}

bool KyCSyntheticCamera::DeliverFrameNow() {
    return deliverFrame();
}

unsigned KyCSyntheticCamera::GetFramesRefused() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_nRefused;
}

unsigned KyCSyntheticCamera::GetFramesWithoutDisplay() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_nWithoutDisplay;
}

unsigned KyCSyntheticCamera::GetNextFrameNumber() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_nNextFrameNumber;
}

bool KyCSyntheticCamera::deliverFrame() {
    CbCriticalSectionLock delivery(m_DeliveryLock);
    KyCSize2 size;
    int nBytesPerPixel = 4;
    unsigned nFrameNumber = 0;
    {
        CbCriticalSectionLock lock(m_Lock);
        if (!m_bRunning)
            return false;
        size = m_FrameSize;
        nBytesPerPixel = m_nPixelFormat == 15 ? 4 : 1;
        nFrameNumber = m_nNextFrameNumber++;
    }
    IAcquireDisplay* pDisplay = displayForDelivery();
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
        CbCriticalSectionLock lock(m_Lock);
        if (!pDisplay)
            ++m_nWithoutDisplay;
        else if (bTaken)
            ++m_nDelivered;
        else
            ++m_nRefused;
    }
    m_Changed.NotifyAll();
    return bTaken;
}

void KyCSyntheticCamera::threadLoop() {
    CbCriticalSectionLock lock(m_Lock);
    unsigned nSchedule = m_nSchedule - 1;  // forces a new schedule on the first frame
    Clock::time_point deadline;
    for (;;) {
        while (!quitRequestedLocked() && !(m_bRunning && m_fFrameRate > 0.0f))
            m_Changed.Wait(m_Lock);
        if (quitRequestedLocked())
            return;
        const Clock::duration interval = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(1.0 / m_fFrameRate));
        if (nSchedule != m_nSchedule) {
            nSchedule = m_nSchedule;
            deadline = Clock::now();  // the first frame of a schedule goes out at once
        }
        // Until the deadline, unless stopped, quit or rescheduled meanwhile.
        bool bInterrupted = false;
        for (bool bWaiting = true; bWaiting;) {
            bWaiting = m_Changed.WaitUntil(m_Lock, deadline);
            bInterrupted = quitRequestedLocked() || !m_bRunning || m_nSchedule != nSchedule;
            if (bInterrupted)
                break;
        }
        if (bInterrupted)
            continue;
        deadline += interval;
        const Clock::time_point now = Clock::now();
        if (now > deadline + interval)
            deadline = now;  // far behind: skip what was missed instead of a burst
        m_Lock.Leave();
        try {
            deliverFrame();
        } catch (...) {
            // A display that throws loses this frame; the camera keeps running.
        }
        m_Lock.Enter();
    }
}
