// The host's thread: a CbThread with the host policy and an interrupt as its stop signal.
#include "KyCThread.h"

KyCThread::KyCThread(const wchar_t* pszName, KyCThreadInterrupt* pExternalInterrupt,
                     EThreadPriority ePriority, std::uintptr_t nAffinityMask)
    : CbThread<KyCThread, KyCThreadPolicy>(pszName, ePriority, nAffinityMask),
      KyCThreadInterrupt(pExternalInterrupt) {}

KyCThread::~KyCThread() = default;
