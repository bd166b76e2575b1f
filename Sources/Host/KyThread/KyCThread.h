// The host's thread: a CbThread with the host policy and an interrupt as its stop signal.
#pragma once

#include <cstdint>

#include "CbThread.h"
#include "EThreadPriority.h"
#include "KyCThreadInterrupt.h"
#include "KyCThreadPolicy.h"
#include "KyHostApi.h"

// A derived class supplies Run, which watches the interrupt (IsInterrupt, or a wait on
// GetExternalEvent) and returns when it is set. The owner stops it the same way every time:
// set the stop source (the external event, or ActivateInterrupt), then WaitUntilTerminate, and
// does so before the derived object is destroyed (see CbThread for the whole contract).
class KYHOST_API KyCThread : public CbThread<KyCThread, KyCThreadPolicy>,
                             public KyCThreadInterrupt {
public:
    // pszName names the OS thread (Linux keeps 15 bytes); pExternalInterrupt (may be null) also
    // interrupts this thread; nAffinityMask: all bits set for every processor.
    KyCThread(const wchar_t* pszName, KyCThreadInterrupt* pExternalInterrupt,
              EThreadPriority ePriority = eThreadPriorityNormal,
              std::uintptr_t nAffinityMask = ~std::uintptr_t(0));
    ~KyCThread() override;
};
