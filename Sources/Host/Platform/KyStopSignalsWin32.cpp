// Stop requests on Windows: the console control handler.
#include <windows.h>

#include <atomic>

#include "KyStopSignals.h"

namespace KyStopSignals {

namespace {

const int kInterrupt = 2;
const int kTerminate = 15;
// How long a closing console waits for the host to file its work (Windows ends the process
// about 5 s after the event).
const DWORD kCloseGraceMs = 4500;

std::atomic<int> g_nRequested{0};  // the first request; read by the host's thread

BOOL WINAPI onControl(DWORD nEvent) {
    const int nSignal = nEvent == CTRL_C_EVENT ? kInterrupt : kTerminate;
    int nNone = 0;
    g_nRequested.compare_exchange_strong(nNone, nSignal);
    if (nEvent == CTRL_CLOSE_EVENT || nEvent == CTRL_LOGOFF_EVENT || nEvent == CTRL_SHUTDOWN_EVENT)
        Sleep(kCloseGraceMs);  // returning ends the process at once
    return TRUE;
}

}  // namespace

void Install() {
    g_nRequested = 0;
    SetConsoleCtrlHandler(onControl, TRUE);
}

void Remove() {
    SetConsoleCtrlHandler(onControl, FALSE);
}

int GetRequested() {
    return g_nRequested.load();
}

const char* Name(int nSignal) {
    return nSignal == kInterrupt ? "Ctrl-C" : nSignal == kTerminate ? "a stop request" : "a signal";
}

}  // namespace KyStopSignals
