// The stop request flag and its exit code.
#include "KyCInterrupt.h"

#include "KyCExitCode.h"
#include "KyStopSignals.h"

void KyCInterrupt::Install() {
    KyStopSignals::Install();
}

void KyCInterrupt::Remove() {
    KyStopSignals::Remove();
}

bool KyCInterrupt::IsRequested() {
    return KyStopSignals::GetRequested() != 0;
}

int KyCInterrupt::ExitCode() {
    const int nSignal = KyStopSignals::GetRequested();
    return nSignal == 0 ? eExitOk : eExitSignalBase + nSignal;
}

std::string KyCInterrupt::Describe() {
    return std::string("interrupted by ") + KyStopSignals::Name(KyStopSignals::GetRequested());
}
