// Stop requests on POSIX: sigaction without SA_RESTART, passed on to the reading thread.
#include <pthread.h>
#include <signal.h>

#include "KyStopSignals.h"

namespace KyStopSignals {

namespace {

const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
volatile sig_atomic_t g_nRequested = 0;  // written by the handler only, once per request
pthread_t g_ReadingThread;               // set by Install before any handler can run

extern "C" void onSignal(int nSignal) {
    if (g_nRequested == 0)
        g_nRequested = nSignal;
    // A worker thread took it: the reading thread's blocking read must return as well.
    if (!pthread_equal(pthread_self(), g_ReadingThread))
        pthread_kill(g_ReadingThread, nSignal);
}

}  // namespace

void Install() {
    g_nRequested = 0;
    g_ReadingThread = pthread_self();
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a blocked read returns with EINTR
    for (const int nSignal : kSignals)
        sigaction(nSignal, &action, nullptr);
}

void Remove() {
    for (const int nSignal : kSignals)
        signal(nSignal, SIG_DFL);
}

int GetRequested() {
    return g_nRequested;
}

const char* Name(int nSignal) {
    switch (nSignal) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        case SIGHUP:
            return "SIGHUP";
        default:
            return "a signal";
    }
}

}  // namespace KyStopSignals
