// The stop signal of a thread: an own flag plus optional external sources.
#include "KyCThreadInterrupt.h"

#include "CbEvent.h"

KyCThreadInterrupt::KyCThreadInterrupt(KyCThreadInterrupt* pExternalInterrupt)
    : m_pExternalInterrupt(pExternalInterrupt != this ? pExternalInterrupt : nullptr) {}

KyCThreadInterrupt::~KyCThreadInterrupt() = default;

void KyCThreadInterrupt::RemoveExternalInterrupt() {
    m_pExternalInterrupt.store(nullptr);
}

bool KyCThreadInterrupt::SetExternalInterrupt(KyCThreadInterrupt* pInterrupt) {
    // A cycle would make IsInterrupt recurse for ever.
    for (KyCThreadInterrupt* p = pInterrupt; p != nullptr; p = p->GetExternalInterrupt()) {
        if (p == this)
            return false;
    }
    m_pExternalInterrupt.store(pInterrupt);
    return true;
}

void KyCThreadInterrupt::SetExternalVariable(const std::atomic<bool>* pbVariable) {
    m_pbExternalVariable.store(pbVariable);
}

void KyCThreadInterrupt::SetExternalEvent(CbEvent* pEvent) {
    m_pExternalEvent.store(pEvent);
}

CbEvent* KyCThreadInterrupt::GetExternalEvent() const {
    return m_pExternalEvent.load();
}

void KyCThreadInterrupt::ClearInterrupt() {
    m_bActive.store(false);
    m_bRecognized.store(false);
}

void KyCThreadInterrupt::ActivateInterrupt() {
    m_bActive.store(true);
}

bool KyCThreadInterrupt::IsRecognized() {
    return m_bRecognized.load() || IsInterrupt();
}

unsigned KyCThreadInterrupt::NumRecognitions() const {
    return m_nRecognitions.load();
}

bool KyCThreadInterrupt::IsInterrupt() {
    bool bPending = m_bActive.load();
    if (!bPending) {
        const CbEvent* pEvent = m_pExternalEvent.load();
        bPending = pEvent != nullptr && pEvent->IsSet();
    }
    if (!bPending) {
        const std::atomic<bool>* pbVariable = m_pbExternalVariable.load();
        bPending = pbVariable != nullptr && pbVariable->load();
    }
    if (!bPending) {
        KyCThreadInterrupt* pExternal = m_pExternalInterrupt.load();
        bPending = pExternal != nullptr && pExternal->IsInterrupt();
    }
    if (bPending && !m_bRecognized.exchange(true))
        m_nRecognitions.fetch_add(1);
    return bPending;
}
