// The skeleton both cameras share: a frame-delivery thread, the display source it delivers to,
// and the counts hosts and tests wait for.
#pragma once

#include <string>
#include <thread>

#include "CbCondition.h"
#include "CbCriticalSection.h"
#include "KyCGeometry.h"
#include "KyHostApi.h"
#include "KyIAcquisition.h"

class IAcquireDisplay;
class IAcquireDisplaySource;

// A derived camera implements threadLoop (run on the delivery thread, returning once
// quitRequested says so) and the frame size; it starts the thread with startThread and ends it
// in its own destructor with endThread, while its fields still exist.
//
// Guarantee: once SetDisplaySource returns, the previous source gets no further call. Every
// delivery holds m_DeliveryLock from reading the source to the last display call.
//
// Locks, in this order: the derived camera's own locks, m_DeliveryLock (re-entrant, so that a
// display may call back from inside a delivery), then m_Lock (a leaf: nothing is called while
// it is held).
class KYHOST_API KyCCameraBase : public KyIAcquisition {
public:
    ~KyCCameraBase() override;
    KyCCameraBase(const KyCCameraBase&) = delete;
    KyCCameraBase& operator=(const KyCCameraBase&) = delete;

    // Height first, then width; a null pointer is skipped.
    void GetImageSize(int* pnHeight, int* pnWidth) override;
    // Waits for a delivery in progress.
    void SetDisplaySource(IAcquireDisplaySource* pSource) override;
    IAcquireDisplaySource* GetDisplaySource() const;

    // Frames released valid.
    unsigned GetFramesDelivered() const;
    bool WaitForFramesDelivered(unsigned nMinCount, unsigned nTimeoutMs) const;

protected:
    // The thread gets the name, as the platform shows it.
    explicit KyCCameraBase(const std::wstring& strThreadName);

    // The delivery thread's body.
    virtual void threadLoop() = 0;
    // The size frames are delivered in.
    virtual KyCSize2 frameSizeLocked() const KY_REQUIRES(m_Lock) = 0;

    // Starts the delivery thread unless it runs already; false when it cannot be started.
    bool startThreadLocked() KY_REQUIRES(m_Lock);
    // Asks the thread to quit and waits for it (detaches it when called on it, from inside a
    // delivery). Called by the derived destructor; again by this one, as a no-op.
    void endThread();
    bool quitRequestedLocked() const KY_REQUIRES(m_Lock) { return m_bQuit; }

    // GetDisplay(0) of the current source, or null; m_DeliveryLock held by the caller for the
    // whole delivery.
    IAcquireDisplay* displayForDelivery() KY_REQUIRES(m_DeliveryLock);

    // Held across one delivery; SetDisplaySource and a stop pass through it to wait for a frame
    // in progress.
    CbCriticalSection m_DeliveryLock;
    // Guards the fields below and those of the derived camera that say so; a leaf lock.
    mutable CbCriticalSection m_Lock;
    // Signalled on: start, stop, a setting changed, quit (thread), a frame counted (waiters).
    CbCondition m_Changed;

    bool m_bRunning KY_GUARDED_BY(m_Lock) = false;
    unsigned m_nDelivered KY_GUARDED_BY(m_Lock) = 0;

private:
    void run();

    const std::wstring m_strThreadName;
    IAcquireDisplaySource* m_pSource KY_GUARDED_BY(m_Lock) = nullptr;
    bool m_bQuit KY_GUARDED_BY(m_Lock) = false;
    // Started by the first StartAcquisition, ended by endThread.
    std::thread m_Thread KY_GUARDED_BY(m_Lock);
};
