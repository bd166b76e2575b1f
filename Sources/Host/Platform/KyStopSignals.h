// Requests to end the process (Ctrl-C, SIGTERM, SIGHUP; a closing console on Windows) turned
// into a flag that a command-line host looks at, so that it can file its work before it ends.
#pragma once

#include "KyHostApi.h"

namespace KyStopSignals {

// From Install until Remove, the requests only set the flag. Call it on the thread that reads
// the input: on POSIX a request delivered to another thread is passed on to it, and a read that
// the request interrupts returns (no restart), so that a host blocked on its input notices.
KYHOST_API void Install();
// Back to the defaults (a request ends the process).
KYHOST_API void Remove();
// 0 while none came; else the number of the first one (SIGINT 2, SIGHUP 1, SIGTERM 15; Windows
// reports Ctrl-C as 2 and Ctrl-Break or a closing console as 15).
KYHOST_API int GetRequested();
// The name of the signal: "SIGINT", "SIGTERM", ...
KYHOST_API const char* Name(int nSignal);

}  // namespace KyStopSignals
