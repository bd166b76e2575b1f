// The cameras' shared skeleton: the delivery thread's start and end, the source, the counts.
#include "KyCCameraBase.h"

#include <system_error>
#include <utility>

#include "IAcquireDisplaySource.h"
#include "KyPlatform.h"

KyCCameraBase::KyCCameraBase(const std::wstring& strThreadName) : m_strThreadName(strThreadName) {}

KyCCameraBase::~KyCCameraBase() {
    endThread();
}

void KyCCameraBase::GetImageSize(int* pnHeight, int* pnWidth) {
    CbCriticalSectionLock lock(m_Lock);
    const KyCSize2 size = frameSizeLocked();
    if (pnHeight)
        *pnHeight = size.nHeight;
    if (pnWidth)
        *pnWidth = size.nWidth;
}

void KyCCameraBase::SetDisplaySource(IAcquireDisplaySource* pSource) {
    CbCriticalSectionLock delivery(m_DeliveryLock);  // waits for a frame in progress
    CbCriticalSectionLock lock(m_Lock);
    m_pSource = pSource;
}

IAcquireDisplaySource* KyCCameraBase::GetDisplaySource() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_pSource;
}

unsigned KyCCameraBase::GetFramesDelivered() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_nDelivered;
}

bool KyCCameraBase::WaitForFramesDelivered(unsigned nMinCount, unsigned nTimeoutMs) const {
    const auto deadline = CbCondition::After(nTimeoutMs);
    CbCriticalSectionLock lock(m_Lock);
    while (m_nDelivered < nMinCount) {
        if (!m_Changed.WaitUntil(m_Lock, deadline))
            return m_nDelivered >= nMinCount;
    }
    return true;
}

bool KyCCameraBase::startThreadLocked() {
    if (m_Thread.joinable())
        return true;
    try {
        // The new thread waits for m_Lock until the caller lets it go.
        m_Thread = std::thread(&KyCCameraBase::run, this);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void KyCCameraBase::endThread() {
    std::thread thread;
    {
        CbCriticalSectionLock lock(m_Lock);
        m_bQuit = true;
        thread = std::move(m_Thread);
    }
    m_Changed.NotifyAll();
    if (!thread.joinable())
        return;
    if (thread.get_id() == std::this_thread::get_id())
        thread.detach();  // destroyed from inside a delivery: the loop ends on the quit flag
    else
        thread.join();
}

IAcquireDisplay* KyCCameraBase::displayForDelivery() {
    IAcquireDisplaySource* pSource;
    {
        CbCriticalSectionLock lock(m_Lock);
        pSource = m_pSource;
    }
    return pSource ? pSource->GetDisplay(0) : nullptr;
}

void KyCCameraBase::run() {
    KyPlatform::SetCurrentThreadName(m_strThreadName);
    threadLoop();
}
