// The stop signal of a thread: an own flag plus optional external sources.
#pragma once

#include <atomic>

#include "KyHostApi.h"

class CbEvent;

// An interrupt is pending while any of these holds: the own flag (ActivateInterrupt), the external
// event is set, the external variable is true, or the external interrupt is pending.
// IsInterrupt answers whether one is pending and marks it recognized; IsRecognized stays true
// from then on until ClearInterrupt, even after the source went away. ClearInterrupt clears the
// own flag and the recognition only: external sources belong to their owners (a thread that
// starts again resets its stop event itself), so a stop set just before a new thread clears its
// interrupt is never lost.
//
// Thread contract: any thread may call any operation. The external sources are not owned; they
// must outlive this object or be removed first (set null).
class KYHOST_API KyCThreadInterrupt {
public:
    explicit KyCThreadInterrupt(KyCThreadInterrupt* pExternalInterrupt = nullptr);
    virtual ~KyCThreadInterrupt();
    KyCThreadInterrupt(const KyCThreadInterrupt&) = delete;
    KyCThreadInterrupt& operator=(const KyCThreadInterrupt&) = delete;

    virtual void RemoveExternalInterrupt();
    // False (nothing changes) when the interrupt would end up watching itself.
    virtual bool SetExternalInterrupt(KyCThreadInterrupt* pInterrupt);
    virtual void SetExternalVariable(const std::atomic<bool>* pbVariable);
    virtual void SetExternalEvent(CbEvent* pEvent);
    virtual CbEvent* GetExternalEvent() const;
    virtual void ClearInterrupt();
    virtual void ActivateInterrupt();
    virtual bool IsRecognized();
    // How often a pending interrupt was newly recognized since construction.
    virtual unsigned NumRecognitions() const;
    virtual bool IsInterrupt();

    KyCThreadInterrupt* GetExternalInterrupt() const { return m_pExternalInterrupt.load(); }

private:
    std::atomic<KyCThreadInterrupt*> m_pExternalInterrupt;
    std::atomic<const std::atomic<bool>*> m_pbExternalVariable{nullptr};
    std::atomic<CbEvent*> m_pExternalEvent{nullptr};
    std::atomic<bool> m_bActive{false};
    std::atomic<bool> m_bRecognized{false};
    std::atomic<unsigned> m_nRecognitions{0};
};
