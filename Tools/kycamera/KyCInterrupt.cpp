// The SIGINT flag.
#include "KyCInterrupt.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t g_nRequested = 0;  // written by the signal handler only

extern "C" void onInterrupt(int) {
    g_nRequested = 1;
}

}  // namespace

void KyCInterrupt::Install() {
    g_nRequested = 0;
    std::signal(SIGINT, onInterrupt);
}

void KyCInterrupt::Remove() {
    std::signal(SIGINT, SIG_DFL);
}

bool KyCInterrupt::IsRequested() {
    return g_nRequested != 0;
}
