// Messages of the host's GUI messaging: reference counted, immutable once posted.
#pragma once

#include "CbReferenceCounter.h"
#include "IReferenceCounted.h"
#include "KyHostApi.h"

class KYHOST_API CyMessage : public IReferenceCounted {
public:
    ~CyMessage() override;

protected:
    const CbReferenceCounter<unsigned int>& getReferenceCounter() const override {
        return m_Counter;
    }

private:
    CbReferenceCounter<unsigned int> m_Counter;
};

// A message that reports a step of a workflow to the GUI.
class KYHOST_API CyMessageWorkflowAction : public CyMessage {
public:
    ~CyMessageWorkflowAction() override;
};
